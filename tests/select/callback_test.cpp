// Selections resolved and evaluated through a field callback: every engine
// field type of the evaluation, the string and numeric paths, the
// short-circuits, repeated resolution, and each resolution failure with its
// log line and numbered box.
#include "select_fixture.h"

#include <vq_tbl32.h>

#include <cstring>
#include <map>

namespace {

// One column as the host describes it at resolution and delivers it at
// evaluation.
struct Column {
  UINT kind = pkTEXT;        // presentation kind, at resolution
  UINT encodeType = iteTEXT; // at resolution
  UINT type = 0;             // engine field type, at evaluation
  std::string data;          // the record's field bytes
  numVal own{};              // the callback's own value ...
  UINT ownKind = nvkUINT32;  // ... and its kind
  int calls = 0;
};

struct Record {
  std::map<std::string, Column> columns;
  bool deliverNoCase = false; // tell cbresolve about engine type 1
};

int Deliver(const char *name, char *buffer, UINT size, UINT *length, UINT *kind, UINT *value,
            UINT *type, LONG_PTR context, bool resolving) {
  auto *record = reinterpret_cast<Record *>(context);
  const auto found = record->columns.find(name);
  if (found == record->columns.end())
    return 0;
  Column &c = found->second;
  ++c.calls;
  *length = UINT(std::min<size_t>(c.data.size(), size));
  std::memcpy(buffer, c.data.data(), *length);
  if (resolving) {
    *kind = c.kind;
    *value = c.encodeType;
    if (record->deliverNoCase && c.type == 1)
      *type = 1;
  } else {
    *kind = c.ownKind;
    std::memcpy(value, &c.own, sizeof c.own);
    *type = c.type;
  }
  return 1;
}

int AtResolve(const char *name, char *buffer, UINT size, UINT *length, UINT *kind, UINT *value,
              UINT *type, LONG_PTR context) {
  return Deliver(name, buffer, size, length, kind, value, type, context, true);
}
int AtTest(const char *name, char *buffer, UINT size, UINT *length, UINT *kind, UINT *value,
           UINT *type, LONG_PTR context) {
  return Deliver(name, buffer, size, length, kind, value, type, context, false);
}

template <class T> std::string Bytes(T v) {
  return std::string(reinterpret_cast<char *>(&v), sizeof v);
}

Column Text(const std::string &data, UINT type = 0) { return {pkTEXT, iteTEXT, type, data}; }
Column Number(UINT encodeType, UINT type, const std::string &data) {
  return {pkNUMBER, encodeType, type, data};
}
Column Own(UINT type, numVal value, UINT kind, UINT presentation = pkNUMBER) {
  Column c{presentation, iteINT64, type, ""};
  c.own = value;
  c.ownKind = kind;
  return c;
}

class Callback : public SelectionTest {
protected:
  Callback() {
    record.columns = {
        {"NAME", Text("  MAIER  ")},
        {"LOWER", Text("Maier", 1)},
        {"EMPTY", Text("")},
        {"BLANKS", Text("    ")},
        {"DIGITS", Text("00042")},
        {"U2", Number(iteINT32, 2, "0123")},
        {"S3", Number(iteINT32, 3, "-5")},
        {"F4", Number(ite64FLOATING, 4, "2,5")},
        {"D10", {pkDATETIME, iteTEXT, 10, "12.03.2009"}},
        {"D12", {pkDATETIME, iteTEXT, 12, "12032009"}},
        {"T22", {pkDATETIME, iteTEXT, 22, "0930"}},
        {"BADDATE", {pkDATETIME, iteTEXT, 10, "12.0x.2009"}},
        {"SHORTDATE", {pkDATETIME, iteTEXT, 10, "12.03"}},
        {"U1", Number(iteINT8, 40, Bytes<BYTE>(200))},
        {"U2B", Number(iteINT16, 40, Bytes<WORD>(60000))},
        {"U8", Number(iteINT64, 40, Bytes<ULONGLONG>(5000000000ull))},
        {"S1", Number(iteINT8, 41, Bytes<signed char>(-3))},
        {"S4", Number(iteINT32, 41, Bytes<INT>(-100000))},
        {"S8", Number(iteINT64, 41, Bytes<LONGLONG>(-5000000000ll))},
        {"U3", Number(iteINT32, 40, std::string("\x01\x02\x03", 3))},
        {"F42", Number(ite32FLOATING, 42, Bytes<float>(1.5f))},
        {"F42BAD", Number(ite32FLOATING, 42, Bytes<double>(1.5))},
        {"D43", Number(ite64FLOATING, 43, Bytes<double>(-2.25))},
        {"DEC", Own(6, numVal{.u64 = 1234}, nvkINT64, pkDECIMAL)},
        {"MONEY", Own(44, numVal{.u64 = 995}, nvkUINT64)},
        {"BADKIND", Own(44, numVal{.u64 = 1}, 5)},
    };
    record.columns["DEC"].encodeType = iteTEXT;
  }

  // Parses and resolves; the result of cbtestdata, or -1 when either failed.
  int Test(const std::string &text) {
    if (!Parse(text) || !sel.cbresolve(AtResolve, LONG_PTR(&record)))
      return -1;
    return sel.cbtestdata(AtTest, LONG_PTR(&record));
  }

  Record record;
};

TEST_F(Callback, EvaluatesEveryEngineType) {
  // Texts go through the comparer, trimmed, engine type 1 without case;
  // order comparisons on texts read numbers; digit and floating texts;
  // dates and times by day numbers and seconds, a bad or short date passing
  // neither way; binary integers by length ("u3": a length of 3 takes the
  // callback's own value), floats of their size; the callback's own value
  // of its own kind.
  const char *passing[] = {
      "name = MAIER",    "name = M*ER",     "lower = MAIER",  "empty != x", "blanks != x",
      "digits > 41",     "u2 = 123",        "s3 < 1",         "f4 > 2,4",   "f4 = 2.5",
      "d10 = 12.03.09",  "d10 > 11.3.2009", "d12 = 12032009", "u1 = 200",   "u2b > 59999",
      "u8 = 5000000000", "u8 > 4999999999", "s1 < 0",         "s4 < 1",     "s8 < 0",
      "u3 = 0",          "f42 = 1,5",       "d43 < 0",        "dec = 1234", "money >= 995"};
  const char *failing[] = {"name = maier",
                           "name != M?IER",
                           "name = 'M*X'",
                           "blanks = *",
                           "digits <= 41",
                           "u2 >= 124",
                           "d12 < 120309",
                           "baddate = 12.03.2009",
                           "baddate != 12.03.2009",
                           "shortdate != 1.1.2000",
                           "f42bad = 1,5",
                           "money > 995",
                           "badkind = 1"};
  for (const char *text : passing)
    EXPECT_EQ(Test(text), 1) << text;
  for (const char *text : failing)
    EXPECT_EQ(Test(text), 0) << text;
  EXPECT_TRUE(SelectionLines().empty());
}

TEST_F(Callback, OperatorsShortCircuitAndEmptyOperandsPass) {
  const struct {
    const char *text;
    int expected;
    int uCalls; // evaluations of U1 by cbtestdata
  } rows[] = {
      {"name = MAIER or u1 = 1", 1, 0},
      {"name = X and u1 = 200", 0, 0},
      {"name = X or u1 = 200", 1, 1},
      {"name = MAIER and u1 = 1", 0, 1},
      {"name = MAIER xor u1 = 200", 0, 1},
      {"name = X xor u1 = 200", 1, 1},
      {"() or u1 = 1", 1, 1},
      {"() and u1 = 200", 1, 1},
  };
  for (const auto &row : rows) {
    ASSERT_EQ(Parse(row.text), 1);
    ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1) << row.text;
    record.columns["U1"].calls = 0;
    EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), row.expected) << row.text;
    EXPECT_EQ(record.columns["U1"].calls, row.uCalls) << row.text;
  }
}

TEST_F(Callback, EmptySelectionsAndUnknownColumnsAtEvaluation) {
  EXPECT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 1);
  EXPECT_EQ(sel.cbtestdata(nullptr, 0), 1);
  ASSERT_EQ(Parse("gone = 1 or name = MAIER"), 1);
  record.columns["GONE"] = Text("1");
  ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  record.columns.erase("GONE");
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 1);
  record.columns["NAME"].data = "X";
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 0);
}

TEST_F(Callback, ResolvingAgainStartsFromTheParsedComparison) {
  ASSERT_EQ(Parse("u2 = 123"), 1);
  ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  const auto *expr = static_cast<const SVQDataCompExpr *>(sel.Root.pOper);
  EXPECT_EQ(expr->Func, cfEQUAL);
  // The same column, now a text: a pattern.
  record.columns["U2"].kind = pkTEXT;
  record.columns["U2"].type = 0;
  ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  EXPECT_EQ(expr->Func, cfSTREQUAL);
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 0); // "0123" is not "123"
  // And a number again: no pattern is used.
  record.columns["U2"] = Number(iteINT32, 2, "0123");
  ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  EXPECT_EQ(expr->Func, cfEQUAL);
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 1);
}

TEST_F(Callback, PatternsFollowTheCaseTheCallbackAnnounces) {
  // Without the announcement, a lower-case pattern cannot meet the
  // upper-cased text of engine type 1.
  EXPECT_EQ(Test("lower = maier"), 0);
  record.deliverNoCase = true;
  EXPECT_EQ(Test("lower = maier"), 1);
  EXPECT_EQ(Test("lower = m*R"), 1);
  EXPECT_EQ(static_cast<const SVQDataCompExpr *>(sel.Root.pOper)->fNoCase, 1);
}

// The English texts of the reports the two resolutions share are pinned in
// the resolve tests; here each number, line and German lookup.
TEST_F(Callback, ResolutionFailuresLogAndShowTheirNumbers) {
  const struct {
    std::string text;
    std::string line; // without "0 CVQTblSelDesc "
    UINT box;
    std::string english; // "": pinned elsewhere
  } rows[] = {
      {"nobody = 1", "Cannot resolve the field name NOBODY", 740, ""},
      {"name = " + std::string(16, '*'), "Cannot setup the field string compare operation for NAME",
       741, ""},
      {"u2 > 8*", "Cannot use function > with jokers in 8*", 742, ""},
      {"name > ABC", "Cannot use function > with text strings", 743, ""},
      {"name <= -5", "Cannot use function <= with text strings", 743,
       "The comparison <= cannot be used with the text \"-5\"."},
      {"k4 < 1", "Cannot use function < with text strings", 743, ""},
      {"intdate = 1.1.2000", "Cannot setup date/time-compare for data encoding type 2", 745,
       "A date/time comparison on field INTDATE needs a text field, not encoding type 2."},
      {"intdec >= 1", "Cannot setup date/time-compare for data encoding type 3", 746,
       "A decimal comparison on field INTDEC needs a text field, not encoding type 3."},
  };
  record.columns["K4"] = {4, iteTEXT, 0, "1"};
  record.columns["INTDATE"] = {pkDATETIME, iteINT32, 0, ""};
  record.columns["INTDEC"] = {pkDECIMAL, iteINT64, 0, ""};
  for (const auto &row : rows) {
    for (const char *language : {"D", "E"}) {
      ASSERT_EQ(vqSetTbl32Language(language), 1);
      // The comparison after the failing one is not visited.
      ASSERT_EQ(Parse("u1 = 1 and " + row.text + " and f4 = 1"), 1) << row.text;
      Clear();
      record.columns["F4"].calls = 0;
      EXPECT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 0) << row.text;
      EXPECT_EQ(record.columns["F4"].calls, 0) << row.text;
      EXPECT_EQ(SelectionLines(), std::vector<std::string>{"0 CVQTblSelDesc " + row.line});
      ExpectNumberedBox(row.box, *language == 'E' ? row.english : "", row.text);
      const std::string text = vqwin::MessageBoxRecords().at(0).text;
      EXPECT_TRUE(text.find("<Substitution") == std::string::npos &&
                  text.find("existiert nicht") == std::string::npos)
          << text;
    }
  }
  ASSERT_EQ(vqSetTbl32Language("D"), 1);
  Clear();
  ASSERT_EQ(Parse("nobody = 1"), 1);
  EXPECT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 0);
  ExpectNumberedBox(740, "Der Feldname NOBODY ist in der Tabelle nicht bekannt.", "German");
  Clear();
  ASSERT_EQ(Parse("name = 1"), 1);
  EXPECT_EQ(sel.cbresolve(nullptr, 0), 0);
  EXPECT_EQ(SelectionLines(),
            std::vector<std::string>{"0 CVQTblSelDesc Cannot resolve the field name NAME"});
}

TEST_F(Callback, OrderOnTextNeedsANumericSample) {
  record.columns["NAME"].data = "abc";
  EXPECT_EQ(Test("name > 5"), -1);
  record.columns["NAME"].data = "";
  EXPECT_EQ(Test("name > 5"), 0); // "" reads 0
  record.columns["NAME"].data = " 7";
  EXPECT_EQ(Test("name > 5"), 1);
  // A signed text is read with its sign once resolution has passed.
  record.columns["NAME"].data = "-17";
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 0);
  ASSERT_EQ(Parse("name < 5"), 1);
  record.columns["NAME"].data = "";
  ASSERT_EQ(sel.cbresolve(AtResolve, LONG_PTR(&record)), 1);
  record.columns["NAME"].data = "-17";
  EXPECT_EQ(sel.cbtestdata(AtTest, LONG_PTR(&record)), 1);
}

} // namespace
