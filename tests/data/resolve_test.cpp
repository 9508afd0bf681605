// Selections resolved against a table description and tested on raw
// records: every field kind, order comparisons on text, resolution
// failures with their log lines and boxes, key limits with their failure
// paths, and key limits that the engine's iteration takes and that give
// exactly the records a full scan gives.
#include "../common/captured_test.h"
#include "../common/sample_table.h"

#include <vq_isa32.h>
#include <vq_lib32.h>
#include <vq_tbl32.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using vqsample::Record;
using namespace vqsample;

Record Base() {
  Record r;
  r.Text(NAME, "MAIER").Text(CITY, "Munich").Plz(80331).Binary(AGE, INT(42));
  r.Binary(COUNT, WORD(300)).Binary(BIG, ULONGLONG(5000000000ull)).Binary(PRICE, 19.99);
  r.Date(12, 3, 2009).Sum(-123456).Binary(RATE, 1.5f);
  return r;
}

using Texts = std::vector<std::string>;

class Resolve : public vqtest::CapturedTest {
protected:
  static Texts SelectionLines() { return LinesOf(" CVQTblSelDesc "); }
  int Parse(const std::string &text) { return sel.parse(text.data(), UINT(text.size())); }
  // Parses, resolves and tests; -1 when parsing or resolution failed.
  int Test(const std::string &text, const Record &record) {
    if (!Parse(text) || !sel.resolve(&table.desc))
      return -1;
    return sel.testdata(&table.desc, record.bytes, kRecordSize);
  }

  SampleTable table;
  CVQTblSelDesc sel;
};

TEST_F(Resolve, EveryFieldKindComparesAsItsFieldIsUnderstood) {
  // Texts go through the comparer, trimmed, CITY without case; order
  // comparisons on text compare the numbers the texts hold; numbers by
  // encode type, digit texts by their value; dates by day numbers however
  // written; decimals scaled, signed either way, and decimals that are not
  // written are not made up ("sum > -2000").
  const char *passing[] = {
      "name = MAIER",     "name = M*ER",      "name = M?IER",    "city = munich",
      "city = mUN*",      "plz = 80331",      "plz = 080331",    "plz > 80000",
      "plz = 8*",         "plz = 803##",      "age = 42",        "count > 255",
      "big = 5000000000", "big < 5000000001", "price > 19,98",   "price < 20",
      "rate = 1,5",       "born = 12.03.09",  "born = 12032009", "born > 11.3.2009",
      "born <= 1.1.2010", "sum = -1.234,56",  "sum < 0",         "sum > -2000,00",
      "() or name = X"};
  const char *failing[] = {"name = maier", "name != MAIER", "city != MUNICH", "name > 5",
                           "plz < 80331",  "plz = 9*",      "born < 120309",  "sum > -2000"};
  for (const char *text : passing)
    EXPECT_EQ(Test(text, Base()), 1) << text;
  for (const char *text : failing)
    EXPECT_EQ(Test(text, Base()), 0) << text;
  // The operators, and records changed from the base.
  const struct {
    const char *text;
    int expected;
    std::function<void(Record &)> change;
  } rows[] = {
      {"name = MAIER und plz > 80000 oder age < 0", 1, nullptr},
      {"name = X oder age = 42", 1, nullptr},
      {"(name = X or city = munich) and born = 12.3.2009", 1, nullptr},
      {"name = X und plz > 80000 oder age < 0", 0, nullptr},
      {"name = MAIER xor age = 42", 0, nullptr},
      {"name = M*ER", 1, [](Record &r) { r.Text(NAME, "MEIER"); }},
      {"name = MAIER", 1, [](Record &r) { r.Text(NAME, "   MAIER"); }},
      {"name = AB*", 0, [](Record &r) { r.Text(NAME, "AB"); }},
      {"name = *AB", 1, [](Record &r) { r.Text(NAME, "AB"); }},
      {"name = ##.##.2009", 1, [](Record &r) { r.Text(NAME, "12.03.2009"); }},
      {"name = ##.##.2009", 0, [](Record &r) { r.Text(NAME, "1.3.2009"); }},
      {"name != x", 1, [](Record &r) { r.Text(NAME, ""); }},
      {"name = *", 0, [](Record &r) { r.Text(NAME, ""); }},
      {"name > 41", 1, [](Record &r) { r.Text(NAME, "00042"); }},
      {"name <= 41", 0, [](Record &r) { r.Text(NAME, "00042"); }},
      {"name < 1.000", 1, [](Record &r) { r.Text(NAME, "999"); }},
      {"age < 0", 1, [](Record &r) { r.Binary(AGE, INT(-7)); }},
      {"age > -10", 1, [](Record &r) { r.Binary(AGE, INT(-7)); }},
      {"sum > -1", 1, [](Record &r) { r.Sum(500); }},
      {"sum < 5,01", 1, [](Record &r) { r.Sum(500); }},
  };
  for (const auto &row : rows) {
    Record record = Base();
    if (row.change)
      row.change(record);
    EXPECT_EQ(Test(row.text, record), row.expected) << row.text;
  }
  EXPECT_TRUE(SelectionLines().empty());
}

TEST_F(Resolve, RecordsThatCannotBeReadDoNotPass) {
  const Record record = Base();
  ASSERT_EQ(Parse("name = MAIER"), 1);
  EXPECT_EQ(sel.testdata(&table.desc, record.bytes, kRecordSize), 0); // not resolved
  ASSERT_EQ(sel.resolve(&table.desc), 1);
  EXPECT_EQ(sel.testdata(&table.desc, record.bytes, 11), 0); // field beyond the record
  EXPECT_EQ(sel.testdata(&table.desc, nullptr, kRecordSize), 0);
  EXPECT_EQ(sel.testdata(nullptr, record.bytes, kRecordSize), 0);
  ASSERT_EQ(Parse("sum = 1"), 1);
  ASSERT_EQ(sel.resolve(&table.desc), 1);
  table.desc.fields.fields[SUM].encodeType = ite80FLOATING;
  EXPECT_EQ(sel.testdata(&table.desc, record.bytes, kRecordSize), 0);
  EXPECT_TRUE(theLibrary.GetCapturedLines().empty()); // evaluation reports nothing
  // The empty selection passes anything, resolves against nothing.
  ASSERT_EQ(Parse(""), 1);
  EXPECT_EQ(sel.resolve(nullptr), 1);
  EXPECT_EQ(sel.testdata(nullptr, nullptr, 0), 1);
}

TEST_F(Resolve, ResolvingAgainstAnotherTableStartsAfresh) {
  ASSERT_EQ(Parse("plz = 80331"), 1);
  ASSERT_EQ(sel.resolve(&table.desc), 1);
  const auto *expr = static_cast<const SVQDataCompExpr *>(sel.Root.pOper);
  EXPECT_EQ(expr->Func, cfEQUAL);
  EXPECT_EQ(expr->nField, UINT(PLZ));
  table.desc.fields.fields[PLZ].contentType = pkTEXT;
  ASSERT_EQ(sel.resolve(&table.desc), 1);
  EXPECT_EQ(expr->Func, cfSTREQUAL);
  table.desc.fields.fields[PLZ].contentType = pkNUMBER;
  ASSERT_EQ(sel.resolve(&table.desc), 1);
  EXPECT_EQ(expr->Func, cfEQUAL);
  EXPECT_EQ(sel.testdata(&table.desc, Base().bytes, kRecordSize), 1);
}

// The texts in English; the German ones are looked up in the callback tests.
TEST_F(Resolve, FailuresLogAndShowTheirNumbers) {
  const struct {
    std::string text;
    Field changed; // given the content type below, when not kFields
    UINT contentType;
    std::string line;
    UINT box;
    std::string english;
  } rows[] = {
      {"nobody = 1", kFields, 0, "Cannot resolve the field name NOBODY", 740,
       "The field name NOBODY is not known in the table."},
      {"name = " + std::string(16, '*'), kFields, 0,
       "Cannot setup the field string compare operation for NAME", 741,
       "The text comparison for field NAME cannot be set up."},
      {"plz > 8*", kFields, 0, "Cannot use function > with jokers in 8*", 742,
       "The comparison > cannot be used with jokers: \"8*\""},
      {"name > ABC", kFields, 0, "Cannot use function > with text strings", 743,
       "The comparison > cannot be used with the text \"ABC\"."},
      {"name >= -5", kFields, 0, "Cannot use function >= with text strings", 743,
       "The comparison >= cannot be used with the text \"-5\"."},
      {"age < 1", AGE, 4, "Cannot use function < with text strings", 743,
       "The comparison < cannot be used with the text \"1\"."},
      {"age = 1.1.2000", AGE, pkDATETIME | twDATE,
       "Cannot setup date/time-compare for data encoding type 2", 745,
       "A date/time comparison on field AGE needs a text field, not encoding type 2."},
      {"price > 1", PRICE, pkDECIMAL, "Cannot setup date/time-compare for data encoding type 5",
       746, "A decimal comparison on field PRICE needs a text field, not encoding type 5."},
  };
  ASSERT_EQ(vqSetTbl32Language("E"), 1);
  for (const auto &row : rows) {
    SampleTable local;
    if (row.changed != kFields)
      local.desc.fields.fields[row.changed].contentType = row.contentType;
    ASSERT_EQ(Parse("count = 1 and " + row.text + " and city = x"), 1) << row.text;
    vqwinResetModal();
    theLibrary.ClearCaptured();
    EXPECT_EQ(sel.resolve(&local.desc), 0) << row.text;
    EXPECT_EQ(SelectionLines(), Texts{"0 CVQTblSelDesc " + row.line});
    ExpectNumberedBox(row.box, row.english, row.text);
    // What came before the failure is resolved, what came after is not.
    const auto *top = static_cast<const SVQDataCompOper *>(sel.Root.pOper);
    const auto *rest = static_cast<const SVQDataCompOper *>(top->Link[1].pOper);
    EXPECT_EQ(static_cast<const SVQDataCompExpr *>(top->Link[0].pOper)->nField, UINT(COUNT));
    EXPECT_EQ(static_cast<const SVQDataCompExpr *>(rest->Link[1].pOper)->nField, UINT(-1));
  }
}

// Key limits: the value in the first part, fillers behind it.
TEST_F(Resolve, KeyLimitsPlaceTheValueAndFillTheFurtherParts) {
  // The signed second part of key 0 runs from INT_MIN to INT_MAX.
  const std::string z4("\0\0\0\x80", 4), f4("\xFF\xFF\xFF\x7F", 4);
  const struct {
    const char *text;
    UINT key;
    std::string low, high;
  } rows[] = {
      {"name = MAIER", 0, "MAIER" + std::string(7, '\0') + z4,
       "MAIER" + std::string(7, '\xFF') + f4},
      {"name > M* or plz = 1", 0, "M*" + std::string(10, '\0') + z4,
       "M*" + std::string(10, '\xFF') + f4},
      {"() or city = Mun", 1, "Mun" + std::string(9, '\0'), "Mun" + std::string(9, '\xFF')},
      // The floating second part of key 4 runs from -inf to NaN.
      {"price = 1", 4, std::string(7, '\0') + "1" + std::string("\0\0\x80\xFF", 4),
       std::string(7, '\0') + "1" + std::string(4, '\xFF')},
      {"plz = 803", 2, std::string(2, '\0') + "803", std::string(2, '\0') + "803"},
      {"plz = 1234567", 2, "12345", "12345"},
      {"born = 12.03.2009", 3, "12.03.2009" + std::string(12, '\0'),
       "12.03.2009" + std::string(12, '\xFF')},
  };
  for (const auto &row : rows) {
    ASSERT_EQ(Parse(row.text), 1) << row.text;
    (void)sel.resolve(&table.desc); // limits need no successful resolution
    char low[64], high[64];
    std::memset(low, '?', sizeof low);
    std::memset(high, '?', sizeof high);
    UINT key = 99;
    ASSERT_EQ(sel.keyresolve(&table.desc, &key, low, high), 1) << row.text;
    EXPECT_EQ(key, row.key) << row.text;
    const UINT n = SampleTable::KeyLength(key);
    EXPECT_EQ(std::string(low, n + 1), row.low + '\0') << row.text;
    EXPECT_EQ(std::string(high, n + 1), row.high + '\0') << row.text;
  }
}

TEST_F(Resolve, KeyLimitFailuresAreLogged) {
  char low[64], high[64];
  UINT key = 0;
  ASSERT_EQ(Parse(""), 1);
  EXPECT_EQ(sel.keyresolve(&table.desc, &key, low, high), 0);
  EXPECT_TRUE(SelectionLines().empty());

  ASSERT_EQ(Parse("age = 1"), 1);
  EXPECT_EQ(sel.keyresolve(&table.desc, &key, low, high), 0);
  EXPECT_EQ(SelectionLines(), Texts{"0 CVQTblSelDesc No matching index key found for field AGE"});

  theLibrary.ClearCaptured();
  SampleTable keyless;
  keyless.desc.keys.count = 0;
  EXPECT_EQ(sel.keyresolve(&keyless.desc, &key, low, high), 0);
  EXPECT_EQ(sel.keyresolve(nullptr, &key, low, high), 0);
  EXPECT_EQ(SelectionLines(), Texts(2, "0 CVQTblSelDesc Search table contains no index keys."));

  theLibrary.ClearCaptured();
  sel.free(&sel.Root);
  sel.Root = {1, new SVQDataCompOper{idOPERATION, loAND, 0, {{0, nullptr}, {0, nullptr}}}};
  EXPECT_EQ(sel.keyresolve(&table.desc, &key, low, high), 0);
  EXPECT_EQ(SelectionLines(),
            (Texts{"0 CVQTblSelDesc Comparison operation has two empty links.",
                   "0 CVQTblSelDesc No expression found in comparison operation."}));

  // Key parts that name no field, or too many parts.
  const struct {
    UINT parts;
    const char *name;
    std::string line, box;
  } rows[] = {
      {2, "Nope", "Fieldname Nope of key part (0,1) not found in record",
       "Fieldname Nope of key part (0,1) not found in table record."},
      {5, "Age", "Cannot get fieldname of key part (0,4)",
       "Cannot get fieldname of key partition (0,4)"},
  };
  for (const auto &row : rows) {
    SampleTable odd;
    CVQKeyDesc &first = odd.desc.keys.keys[0];
    first.partCount = row.parts;
    std::strcpy(first.parts[1].fieldName, row.name);
    for (UINT p = 2; p < 4; ++p)
      std::strcpy(first.parts[p].fieldName, "Age");
    ASSERT_EQ(Parse("name = x"), 1);
    vqwinResetModal();
    theLibrary.ClearCaptured();
    EXPECT_EQ(sel.keyresolve(&odd.desc, &key, low, high), 0);
    EXPECT_EQ(SelectionLines(), Texts{"0 CVQTblSelDesc " + row.line});
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, row.box);
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION));
  }
}

TEST_F(Resolve, NarrowIntegersKeepTheirSign) {
  // One byte and two bytes of all ones: -1 where the field is signed, the
  // largest value where it is not.
  const struct {
    const char *name;
    UINT encodeType, contentType;
  } specs[] = {{"S8", iteINT8, pkNUMBER | twSIGNED},
               {"U8", iteINT8, pkNUMBER},
               {"S16", iteINT16, pkNUMBER | twSIGNED},
               {"U16", iteINT16, pkNUMBER}};
  CVQTableDesc narrow;
  narrow.fields.fields = new CVQFieldDesc[4];
  narrow.fields.count = narrow.fields.capacity = 4;
  UINT offset = 0;
  for (UINT i = 0; i < 4; ++i) {
    CVQFieldDesc &f = narrow.fields.fields[i];
    std::strcpy(f.name, specs[i].name);
    f.offset = offset;
    f.size = specs[i].encodeType == iteINT8 ? 1 : 2;
    offset += f.size;
    f.encodeType = specs[i].encodeType;
    f.contentType = f.displayType = specs[i].contentType;
  }
  char record[6];
  std::memset(record, 0xFF, sizeof record);
  for (const auto &[selection, passes] :
       std::vector<std::pair<std::string, int>>{{"s8 = -1", 1},
                                                {"s8 < 0", 1},
                                                {"s8 > 0", 0},
                                                {"u8 = 255", 1},
                                                {"u8 > 254", 1},
                                                {"u8 < 255", 0},
                                                {"s16 = -1", 1},
                                                {"s16 >= 0", 0},
                                                {"u16 = 65535", 1},
                                                {"u16 <= 65534", 0},
                                                {"u16 != 65535", 0}}) {
    ASSERT_EQ(Parse(selection), 1) << selection;
    ASSERT_EQ(sel.resolve(&narrow), 1) << selection;
    EXPECT_EQ(sel.testdata(&narrow, record, sizeof record), passes) << selection;
  }
  // A field the record does not hold does not pass.
  ASSERT_EQ(Parse("u16 = 65535"), 1);
  ASSERT_EQ(sel.resolve(&narrow), 1);
  EXPECT_EQ(sel.testdata(&narrow, record, 5), 0);
}

TEST_F(Resolve, ATableReadFromItsBlockResolvesAndLimits) {
  const std::string text = "Table: \"Kunden\"\r\n"
                           "Field: 4, 30, 7, 0x0C00, 0, 0, 0, 20, \"Name\"\r\n"
                           "Field: 0, 4, 2, 0x0011, 2, 0x0011, 2, 10, \"Nr\"\r\n"
                           "Key: 1\r\n"
                           "KeyPart: \"SIGNED\", \"NR\"\r\n"
                           "Key: 0, 1\r\n"
                           "KeyPart: \"TEXTNOCASE\", \"Name\"\r\n"
                           "KeyPart: \"SIGNED\", \"Nr\"\r\n"
                           "Table: END\r\n";
  CVQConfFile config;
  ASSERT_TRUE(config.ReadIt(text.data(), UINT(text.size())));
  config.SelectBlock("TABLE");
  CVQTableDesc kunden;
  ASSERT_EQ(kunden.ReadDef(config, "TABLE", 0), 1);
  config.LeaveBlock();

  char record[34];
  std::memset(record, ' ', sizeof record);
  const INT nr = -12;
  std::memcpy(record, &nr, 4);
  std::memcpy(record + 4, "Kunz", 4);
  // Both fields found where the block put them, the key part "NR" in any case.
  ASSERT_EQ(Parse("Name = Kunz and nr < 0"), 1);
  ASSERT_EQ(sel.resolve(&kunden), 1);
  EXPECT_EQ(sel.testdata(&kunden, record, sizeof record), 1);
  char low[40], high[40];
  UINT key = 0;
  ASSERT_EQ(sel.keyresolve(&kunden, &key, low, high), 1);
  EXPECT_EQ(key, 1u);
  EXPECT_EQ(std::string(low, 35),
            "Kunz" + std::string(26, '\0') + std::string("\0\0\0\x80", 4) + '\0');
  EXPECT_EQ(std::string(high, 35),
            "Kunz" + std::string(26, '\xFF') + std::string("\xFF\xFF\xFF\x7F", 4) + '\0');
}

// The sample table in an ISAM file, filled with records of a few names,
// cities, postcodes and dates in every combination.
class KeyIteration : public Resolve {
protected:
  void SetUp() override {
    Resolve::SetUp();
    dir_ = std::filesystem::temp_directory_path() / ("vq_resolve_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    UINT detail = 0;
    ASSERT_EQ(ISAMCreate(&file_, (dir_ / "sample.isa").c_str(), &detail), 0u);
    const auto idt = table.Idt();
    ASSERT_EQ(idt.size(), size_t(kKeys));
    ASSERT_EQ(ISAMCreateTable(file_, "Sample", idt.data(), kKeys, kRecordSize, 1024), 0u);
    ASSERT_EQ(ISAMOpenTable(file_, "Sample", &isam_), 0u);
    // A name of the field's full width lets the second key part decide.
    const char *names[] = {"MAIER", "MAIERS", "MEIER", "MAI", "Maier", "ZORN", "MAIERMAIERXY"};
    const char *cities[] = {"Munich", "MUNICH", "munich", "Berlin", "Bonn"};
    const UINT plzs[] = {80331, 80333, 10115};
    int age = -20;
    ASSERT_EQ(ISAMBeginTransaction(file_), 0u);
    for (const char *name : names)
      for (const char *city : cities)
        for (UINT plz : plzs)
          for (UINT day = 11; day <= 13; ++day) {
            Record r = Base();
            r.Text(NAME, name).Text(CITY, city).Plz(plz).Date(day, 3, 2009);
            r.Binary(AGE, INT(age)).Binary(COUNT, WORD(age * 7 + 200));
            age = age < 60 ? age + 1 : -20;
            DWORD address = 0;
            ASSERT_EQ(ISAMInsertRecord(isam_, r.bytes, kRecordSize, &address), 0u);
          }
    ASSERT_EQ(ISAMCommitTransaction(file_), 0u);
  }
  void TearDown() override {
    UINT detail = 0;
    if (isam_)
      ISAMCloseTable(isam_);
    if (file_)
      ISAMClose(file_, &detail);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    Resolve::TearDown();
  }

  // The records that pass `text` within the limits it gives, and (in
  // `scanned`) those that pass it in a scan of the whole table.
  std::set<DWORD> Limited(const char *text, std::set<DWORD> &scanned) {
    EXPECT_EQ(Parse(text), 1) << text;
    EXPECT_EQ(sel.resolve(&table.desc), 1) << text;
    char low[64], high[64];
    UINT key = 0;
    EXPECT_EQ(sel.keyresolve(&table.desc, &key, low, high), 1) << text;
    const std::string lowRecord = SampleTable::KeyRecord(key, low);
    const std::string highRecord = SampleTable::KeyRecord(key, high);
    scanned = Passing(0, nullptr, nullptr);
    return Passing(key, lowRecord.data(), highRecord.data());
  }
  // The addresses of the records of index `key` between the limits (NULL:
  // the whole index) that pass the selection.
  std::set<DWORD> Passing(UINT key, const void *low, const void *high) {
    std::set<DWORD> out;
    EXPECT_EQ(ISAMSetupIterationLimits(isam_, key, 0, low, high), 0u);
    char buffer[kRecordSize];
    DWORD address = 0;
    UINT rc;
    while ((rc = ISAMReadNextRecord(isam_, key, buffer, &address, 0)) == ISAM_OK)
      if (sel.testdata(&table.desc, buffer, kRecordSize))
        out.insert(address);
    EXPECT_EQ(rc, UINT(ISAM_END_OF_ITERATION));
    return out;
  }

  std::filesystem::path dir_;
  HISAMFILE file_ = nullptr;
  HISAMTABLE isam_ = nullptr;
};

TEST_F(KeyIteration, LimitsGiveExactlyTheRecordsOfAFullScan) {
  const char *exact[] = {
      "name = MAIER",
      "name = MAIER and age > 10",
      "name = MAIERMAIERXY",
      "city = munich",
      "city = MUNICH and (age < 0 or name = M*)",
      "plz = 80333",
      "plz = 80333 and born > 11.03.2009",
      "born = 12.03.2009 and name != MAIER",
      "name = MAIERSXYZXYZXYZ",
      "name = NOBODY",
  };
  for (const char *text : exact) {
    std::set<DWORD> scanned;
    EXPECT_EQ(Limited(text, scanned), scanned) << text;
    EXPECT_NE(std::string(text).find("NOBODY") == std::string::npos &&
                  std::string(text).find("XYZ") == std::string::npos,
              scanned.empty())
        << text;
  }
}

TEST_F(KeyIteration, LimitsOfOtherFirstComparisonsAreAHintOnly) {
  // Operators and comparison functions play no part: an OR, an order or a
  // pattern may pass records outside the limits, never inside them.
  for (const char *text : {"name = MAIER or age = 5", "name = M*", "plz > 80000"}) {
    std::set<DWORD> scanned;
    const std::set<DWORD> limited = Limited(text, scanned);
    EXPECT_LT(limited.size(), scanned.size()) << text;
    for (DWORD address : limited)
      EXPECT_TRUE(scanned.count(address)) << text;
  }
}

} // namespace
