// Writes the seed corpus of the ISAM fuzz target: a small valid file with
// two tables, keys of several types, records and a stored description.
//
//   isam_make_seed <output file>
#include <vq_isa32.h>

#include <cstdio>
#include <cstring>

namespace {
ISAMIDT item(BYTE unique, BYTE sparse, BYTE parts, const UINT (*part)[3]) {
  ISAMIDT it{};
  it.bytes[0] = unique;
  it.bytes[1] = sparse;
  it.bytes[5] = parts;
  for (BYTE i = 0; i < parts; ++i) {
    it.bytes[6 + 8 * i] = static_cast<BYTE>(part[i][0]);
    it.bytes[8 + 8 * i] = static_cast<BYTE>(part[i][1]);
    it.bytes[10 + 8 * i] = static_cast<BYTE>(part[i][2]);
  }
  return it;
}
} // namespace

int main(int argc, char **argv) {
  if (argc != 2)
    return 2;
  HISAMFILE file = nullptr;
  UINT detail = 0;
  if (ISAMCreate(&file, argv[1], &detail))
    return 1;
  const UINT numberPart[][3] = {{ISAMGetKeyType("SIGNED"), 0, 4}};
  const UINT namePart[][3] = {{ISAMGetKeyType("TEXTNOCASE"), 4, 8},
                              {ISAMGetKeyType("DIGITS"), 12, 4}};
  const ISAMIDT keys[] = {item(1, 0, 1, numberPart), item(0, 1, 2, namePart)};
  if (ISAMCreateTable(file, "Kunden", keys, 2, 16, 1024) ||
      ISAMCreateTable(file, "Leer", nullptr, 0, 8, 512))
    return 1;
  HISAMTABLE table = nullptr;
  if (ISAMOpenTable(file, "Kunden", &table))
    return 1;
  const char *desc = "Table: Kunden\r\nIndexNodeSize: 1024\r\nEND\r\n";
  ISAMWriteTableDesc(table, 0, desc, static_cast<UINT>(std::strlen(desc)));
  const char *names[] = {"Meier", "m\xFCller", "", "Schmidt"};
  for (int i = 0; i < 4; ++i) {
    BYTE rec[16] = {};
    const int number = (i - 1) * 1000;
    std::memcpy(rec, &number, 4);
    std::strncpy(reinterpret_cast<char *>(rec + 4), names[i], 8);
    std::snprintf(reinterpret_cast<char *>(rec + 12), 4, "%d", i * 7);
    DWORD address = 0;
    ISAMInsertRecord(table, rec, 16, &address);
  }
  return ISAMClose(file, &detail) ? 1 : 0;
}
