// A sample table description for the selection tests, fuzzer and
// benchmark: one field of every kind a selection compares, five keys of one
// and two parts, and records with typed field writers. Its index
// description items follow the keys, so the same table can be created in
// an ISAM file.
#ifndef VQ_TESTS_COMMON_SAMPLE_TABLE_H
#define VQ_TESTS_COMMON_SAMPLE_TABLE_H

#include <vq_isa32.h>
#include <vq_tbl32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vqsample {

// The record layout:
//
// | field | bytes  | stored as                 | compared as          |
// |-------|--------|---------------------------|----------------------|
// | NAME  | 0-11   | text, blank padded        | text                 |
// | CITY  | 12-21  | text, blank padded        | text, without case   |
// | PLZ   | 22-26  | five digits               | unsigned number      |
// | AGE   | 27-30  | signed 32-bit             | number               |
// | COUNT | 31-32  | unsigned 16-bit           | number               |
// | BIG   | 33-40  | unsigned 64-bit           | number               |
// | PRICE | 41-48  | double                    | number               |
// | BORN  | 49-58  | DD.MM.YYYY                | date                 |
// | SUM   | 59-70  | "-1.234,56", blank padded | decimal, 2 places    |
// | RATE  | 71-74  | float                     | number               |
enum Field : UINT { NAME, CITY, PLZ, AGE, COUNT, BIG, PRICE, BORN, SUM, RATE, kFields };
constexpr UINT kRecordSize = 75;

struct FieldSpec {
  const char *name;
  UINT offset, size, encodeType, contentType;
};
constexpr FieldSpec kFieldSpecs[kFields] = {
    {"Name", 0, 12, iteTEXT, pkTEXT},
    {"City", 12, 10, iteTEXT, pkTEXT | twNOCASE},
    {"Plz", 22, 5, iteTEXT, pkNUMBER},
    {"Age", 27, 4, iteINT32, pkNUMBER | twSIGNED},
    {"Count", 31, 2, iteINT16, pkNUMBER},
    {"Big", 33, 8, iteINT64, pkNUMBER},
    {"Price", 41, 8, ite64FLOATING, pkNUMBER},
    {"Born", 49, 10, iteTEXT, pkDATETIME | twDATE},
    {"Sum", 59, 12, iteTEXT, pkDECIMAL | twSIGNED | (2u << twDECIMALS_SHIFT)},
    {"Rate", 71, 4, ite32FLOATING, pkNUMBER},
};

// Keys: the partition type names of the engine, the fields they cover.
struct KeySpec {
  UINT parts;
  const char *type[2];
  Field field[2];
};
constexpr KeySpec kKeySpecs[] = {
    {2, {"TEXT", "SIGNED"}, {NAME, AGE}},    {2, {"TEXTNOCASE", "UNSIGNED"}, {CITY, COUNT}},
    {1, {"TEXT", nullptr}, {PLZ, PLZ}},      {2, {"TEXT", "TEXT"}, {BORN, NAME}},
    {2, {"DOUBLE", "FLOAT"}, {PRICE, RATE}},
};
constexpr UINT kKeys = sizeof kKeySpecs / sizeof kKeySpecs[0];

/// The description, filled member by member.
class SampleTable {
public:
  SampleTable() {
    std::strcpy(desc.name, "Sample");
    desc.fields.fields = new CVQFieldDesc[kFields];
    desc.fields.count = desc.fields.capacity = kFields;
    for (UINT i = 0; i < kFields; ++i) {
      CVQFieldDesc &f = desc.fields.fields[i];
      const FieldSpec &s = kFieldSpecs[i];
      std::strcpy(f.name, s.name);
      f.offset = s.offset;
      f.size = s.size;
      f.encodeType = s.encodeType;
      f.contentType = f.displayType = s.contentType;
    }
    desc.keys.keys = new CVQKeyDesc[kKeys];
    desc.keys.count = desc.keys.capacity = kKeys;
    for (UINT k = 0; k < kKeys; ++k) {
      CVQKeyDesc &key = desc.keys.keys[k];
      key.partCount = kKeySpecs[k].parts;
      for (UINT p = 0; p < key.partCount; ++p) {
        key.parts[p].partType = ISAMGetKeyType(kKeySpecs[k].type[p]);
        std::strcpy(key.parts[p].fieldName, kFieldSpecs[kKeySpecs[k].field[p]].name);
      }
    }
  }

  /// The keys as ISAMCreateTable takes them, built by the key list.
  std::vector<ISAMIDT> Idt() const {
    ISAMIDT *idt = desc.keys.CreateIDT(desc.fields);
    std::vector<ISAMIDT> items;
    if (idt)
      items.assign(idt, idt + desc.keys.count);
    desc.keys.FreeIDT(idt);
    return items;
  }

  /// A record image holding the key bytes (as keyresolve gives them) in
  /// the fields of key `k`, zeros elsewhere.
  static std::string KeyRecord(UINT k, const char *key) {
    std::string record(kRecordSize, '\0');
    UINT at = 0;
    for (UINT p = 0; p < kKeySpecs[k].parts; ++p) {
      const FieldSpec &s = kFieldSpecs[kKeySpecs[k].field[p]];
      std::memcpy(&record[s.offset], key + at, s.size);
      at += s.size;
    }
    return record;
  }
  /// The bytes of key `k`'s limits (without the terminator).
  static UINT KeyLength(UINT k) {
    UINT n = 0;
    for (UINT p = 0; p < kKeySpecs[k].parts; ++p)
      n += kFieldSpecs[kKeySpecs[k].field[p]].size;
    return n;
  }

  CVQTableDesc desc;
};

/// A record of the sample table with a writer per kind of field.
struct Record {
  char bytes[kRecordSize];

  Record() { std::memset(bytes, ' ', sizeof bytes); }
  Record &Text(Field f, const std::string &text) {
    const FieldSpec &s = kFieldSpecs[f];
    std::memset(bytes + s.offset, ' ', s.size);
    std::memcpy(bytes + s.offset, text.data(), text.size() < s.size ? text.size() : s.size);
    return *this;
  }
  template <class T> Record &Binary(Field f, T value) {
    std::memcpy(bytes + kFieldSpecs[f].offset, &value, sizeof value);
    return *this;
  }
  Record &Plz(UINT plz) {
    char text[8];
    std::snprintf(text, sizeof text, "%05u", plz % 100000);
    return Text(PLZ, text);
  }
  Record &Date(UINT day, UINT month, UINT year) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", day % 100, month % 100, year % 10000);
    return Text(BORN, text);
  }
  Record &Sum(long long cents) {
    char text[32];
    FormatDecimalText(text, sizeof text, cents, 2);
    return Text(SUM, text);
  }
};

} // namespace vqsample

#endif
