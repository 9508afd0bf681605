// A field's bytes as display text, number, order and key filler, for every
// encode type and presentation kind, with the log lines and boxes of the
// values that cannot be converted.
#include "value_fixture.h"

#include <cmath>
#include <limits>

namespace {

using valuetest::Captured;
using valuetest::Field;
using valuetest::Type;

template <typename T> std::string Bytes(T value) {
  return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

constexpr UINT kNum = pkNUMBER, kDate = pkDATETIME, kDec = pkDECIMAL;
const UINT kDateText = Type(kDate, twDATE, 2); // DDMMYYYY
const UINT kShowDate = Type(kDate, twDATE, 0); // DD.MM.YYYY
const UINT kDateTime = Type(kDate, twDATE | twTIME, 0, 0);

struct FormatRow {
  const char *what;
  CVQFieldDesc field;
  std::string record;
  std::string text;
  UINT written;
};

TEST_F(Captured, FormatDataEveryEncodingAndKind) {
  const FormatRow rows[] = {
      {"int8", Field(iteINT8, 1, 0, 0), "\xFF", "255", 3},
      {"signed int8", Field(iteINT8, 4, twSIGNED, 0), "\xFF\x01\x01\x01", "-1", 2},
      {"int16", Field(iteINT16, 2, 0, 0), "\xFF\xFF", "65535", 5},
      {"int32 2 decimals", Field(iteINT32, 4, Type(kNum, 0, 2), 0), Bytes(1005), "10,05", 5},
      {"signed int32", Field(iteINT32, 4, Type(kNum, twSIGNED, 2), 0), Bytes(-1234), "-12,34", 6},
      {"int64", Field(iteINT64, 8, twSIGNED, 0), Bytes(-5ll), "-5", 2},
      {"float", Field(ite32FLOATING, 4, 0, 0), Bytes(2.5f), "3", 1},
      {"double", Field(ite64FLOATING, 8, 0, 0), Bytes(-2.5), "-2", 2},
      {"double 4 decimals", Field(ite64FLOATING, 8, 0, Type(kNum, 0, 4)), Bytes(2.5), "2.5000", 6},
      {"int32 zeros", Field(iteINT32, 4, 0, Type(kNum, twLEADZERO)), Bytes(12), "0012", 2},
      {"text zeros", Field(iteTEXT, 8, kNum, Type(kNum, twLEADZERO)), "12      ", "00000012", 2},
      {"text number", Field(iteTEXT, 8, kNum, kNum), "0012    ", "12", 2},
      {"text all zeros", Field(iteTEXT, 8, kNum, kNum), "00000000", "0", 1},
      {"text blanks", Field(iteTEXT, 8, kNum, kNum), "        ", "", 0},
      {"text", Field(iteTEXT, 4, 0, pkTEXT), " ab ", " ab", 3},
      {"text with NUL", Field(iteTEXT, 4, 0, pkTEXT), std::string("a\0b ", 4),
       std::string("a\0b", 3), 3},
      {"kind 4 unchanged", Field(iteTEXT, 4, 0, 4), "ab  ", "ab  ", 4},
      {"date", Field(iteTEXT, 8, kDateText, kShowDate), "31122009", "31.12.2009", 10},
      {"no date", Field(iteTEXT, 8, kDateText, kShowDate), "00000000", "", 0},
      {"date and time", Field(iteTEXT, 20, kDateTime, Type(kDate, twDATE | twTIME, 8, 3)),
       "31.12.2009  23:59:58", "20091231 2359", 13},
      {"bad time format", Field(iteTEXT, 19, Type(kDate, twDATE | twTIME, 0, 5), kDateTime),
       "31.12.2009 23:59:58", "31.12.2009", 10},
      {"bad shown time", Field(iteTEXT, 19, kDateTime, Type(kDate, 0, 0, 9)), "31.12.2009 23:59:58",
       "31.12.2009", 10},
      {"time only", Field(iteTEXT, 6, Type(kDate, twTIME, 0, 1), kDate), "235958", "23:59:58", 8},
      {"neither part", Field(iteTEXT, 8, kDate, kShowDate), "31122009", "", 0},
      {"short date field", Field(iteTEXT, 2, kDateText, kShowDate), "31122009", "31.00.0000", 10},
      {"decimal text", Field(iteTEXT, 11, Type(kDec, 0, 2), kDec), "  1234567,8", "123.456,78", 10},
      {"decimal int32", Field(iteINT32, 4, Type(kDec, twSIGNED, 2), kDec), Bytes(-1234567),
       "-12.345,67", 10},
      {"at offset", Field(iteINT16, 2, 0, 0, 3), "xxx\x01\x02", "513", 3},
  };
  for (const auto &r : rows) {
    char output[64];
    UINT written = 99;
    ASSERT_EQ(r.field.FormatData(output, sizeof output, &written, r.record.data(), 0), 1) << r.what;
    EXPECT_EQ(std::string(output, r.text.size() + 1), r.text + '\0') << r.what;
    EXPECT_EQ(written, r.written) << r.what;
  }
  EXPECT_TRUE(FieldLines().empty());
}

TEST_F(Captured, FormatDataCutsToTheOutput) {
  char output[4];
  UINT written;
  ASSERT_EQ(Field(iteTEXT, 6, 0, 0).FormatData(output, 4, &written, "abcdef", 6), 1);
  EXPECT_STREQ(output, "abc");
  EXPECT_EQ(written, 3u);
  ASSERT_EQ(Field(iteTEXT, 8, kNum, Type(kNum, twLEADZERO))
                .FormatData(output, 4, &written, "12      ", 8),
            1);
  EXPECT_STREQ(output, "000");
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Field(iteTEXT, 1, 0, 0).FormatData(output, 0, &written, "a", 1), 0);
}

TEST_F(Captured, FormatAndParseFailuresAreLogged) {
  const struct {
    CVQFieldDesc field;
    bool format; // FormatData, else ParseData
    std::vector<std::string> lines;
  } rows[] = {
      {Field(9, 4, 0, 0), true, {"Unkown data encoding type 9 for field found."}},
      {Field(~0u, 4, 0, 0), true, {"Unkown data encoding type -1 for field found."}},
      {Field(9, 4, 0, 0), false, {}},
      {Field(iteUNICODETEXT, 4, 0, 0), true, {"Data type iteUNICODETEXT not yet supported."}},
      {Field(iteUNICODETEXT, 4, 0, 0), false, {"Cannot process data type iteUNOCDETEXT."}},
      {Field(ite80FLOATING, 10, 0, 0), true, {"Cannot process data type ite80FLOATING."}},
      {Field(iteTEXT, 8, Type(kDate, 0, 13), 0),
       false,
       {"Illegal date format 13 on ParseDate", "Cannot parse a date format."}},
      {Field(iteTEXT, 8, pkTEXT, 0), false, {"Cannot parse text type 0"}},
      {Field(iteTEXT, 8, 5, 0), false, {"Cannot parse text type 5"}},
  };
  const char record[16] = "12345678";
  for (const auto &r : rows) {
    theLibrary.ClearCaptured();
    char output[32];
    numVal value;
    UINT kind;
    EXPECT_EQ(r.format ? r.field.FormatData(output, sizeof output, nullptr, record, 16)
                       : r.field.ParseData(&value, &kind, record, 16),
              0);
    std::vector<std::string> expected;
    for (const auto &line : r.lines)
      expected.push_back("0 CVQFieldDesc " + line);
    EXPECT_EQ(Lines(), expected);
  }
}

TEST(FieldValue, ParseDataKinds) {
  struct Row {
    const char *what;
    CVQFieldDesc field;
    std::string record;
    UINT kind;
    ULONGLONG bits; // the value's bits; doubles compared as values
    double dbl;
  };
  const Row rows[] = {
      {"int8", Field(iteINT8, 1, 0, 0), "\x80", nvkUINT32, 128, 0},
      {"signed int8", Field(iteINT8, 1, twSIGNED, 0), "\x80", nvkINT32, ULONGLONG(UINT(-128)), 0},
      {"signed int16", Field(iteINT16, 2, twSIGNED, 0), Bytes(SHORT(-2)), nvkINT32, UINT(-2), 0},
      {"int32", Field(iteINT32, 4, 0, 0), Bytes(~0u), nvkUINT32, ~0u, 0},
      {"int64", Field(iteINT64, 8, 0, 0), Bytes(~0ull), nvkUINT64, ~0ull, 0},
      {"signed int64", Field(iteINT64, 8, twSIGNED, 0), Bytes(-3ll), nvkINT64, ULONGLONG(-3ll), 0},
      {"float", Field(ite32FLOATING, 4, 0, 0), Bytes(0.25f), nvkDOUBLE, 0, 0.25},
      {"text float", Field(iteTEXT, 5, Type(kNum, 0, 1), 0), "-1,25", nvkDOUBLE, 0, -1.25},
      {"text signed", Field(iteTEXT, 5, Type(kNum, twSIGNED), 0), " -0 7", nvkINT64,
       ULONGLONG(-7ll), 0},
      {"text unsigned", Field(iteTEXT, 5, kNum, 0), "1.234", nvkUINT64, 1234, 0},
      {"text date", Field(iteTEXT, 8, kDateText, 0), "31122009", nvkUINT32, 733771, 0},
      {"impossible date", Field(iteTEXT, 8, kDateText, 0), "29022100", nvkUINT32, 0xFFFFFFFF, 0},
      {"decimal", Field(iteTEXT, 5, Type(kDec, 0, 2), 0), "12,50", nvkUINT64, 1250, 0},
      {"zero decimal", Field(iteTEXT, 5, Type(kDec, 0, 2), 0), "0,00 ", nvkINT64, 0, 0},
      {"negative decimal", Field(iteTEXT, 5, Type(kDec, 0, 2), 0), "-1,5 ", nvkINT64,
       ULONGLONG(-15ll), 0},
  };
  for (const auto &r : rows) {
    numVal value;
    value.u64 = 0xAAAAAAAAAAAAAAAAull;
    UINT kind = 99;
    ASSERT_EQ(r.field.ParseData(&value, &kind, r.record.data(), 0), 1) << r.what;
    EXPECT_EQ(kind, r.kind) << r.what;
    if (kind == nvkDOUBLE)
      EXPECT_DOUBLE_EQ(value.dbl, r.dbl) << r.what;
    else if (kind <= nvkINT32)
      EXPECT_EQ(value.u64, r.bits & 0xFFFFFFFF) << r.what << ": the high half is cleared";
    else
      EXPECT_EQ(value.u64, r.bits) << r.what;
  }
}

TEST_F(Captured, CompareDataOrders) {
  struct Row {
    const char *what;
    CVQFieldDesc field;
    std::string a, b;
    int order;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Row rows[] = {
      {"int8", Field(iteINT8, 1, 0, 0), "\xFF", "\x01", 1},
      {"signed int8", Field(iteINT8, 1, twSIGNED, 0), "\xFF", "\x01", -1},
      {"int16", Field(iteINT16, 2, 0, 0), "\xFF\xFF", "\x01\x00", 1},
      {"signed int16", Field(iteINT16, 2, twSIGNED, 0), "\xFF\xFF", "\x01\x00", -1},
      {"signed int32", Field(iteINT32, 4, twSIGNED, 0), Bytes(-1), Bytes(1), -1},
      {"signed int64", Field(iteINT64, 8, twSIGNED, 0), Bytes(-1ll), Bytes(1ll), -1},
      {"equal", Field(iteINT64, 8, 0, 0), Bytes(7ll), Bytes(7ll), 0},
      {"float", Field(ite32FLOATING, 4, 0, 0), Bytes(2.0f), Bytes(1.5f), 1},
      {"decimal", Field(iteTEXT, 5, Type(kDec, 0, 2), 0), "-1,00", " 1,00", -1},
      {"digits", Field(iteTEXT, 4, kNum, 0), "0099", std::string("99\0\0", 4), 0},
      {"more digits", Field(iteTEXT, 4, kNum, 0), "0100", "0099", 1},
      {"float text", Field(iteTEXT, 4, Type(kNum, 0, 2), 0), "1,5 ", "1,25", 1},
      {"date", Field(iteTEXT, 8, kDateText, 0), "31122009", "01012010", -1},
      {"impossible date", Field(iteTEXT, 8, kDateText, 0), "31022009", "31122009", 1},
      {"bytes", Field(iteTEXT, 3, 0, 0), "ab\xFF", "abc", 1},
      {"offset", Field(iteINT8, 1, 0, 0, 2), "\x09\x09\x01", std::string("\0\0\x02", 3), -1},
      {"unknown", Field(12, 1, 0, 0), "a", "b", 0},
  };
  for (const auto &r : rows) {
    EXPECT_EQ(r.field.CompareData(r.a.data(), r.b.data()), r.order) << r.what;
    EXPECT_EQ(r.field.CompareData(r.b.data(), r.a.data()), -r.order) << r.what << " reversed";
  }
  // An unordered pair is "less" whichever way it is asked.
  const std::string n = Bytes(nan), one = Bytes(1.0);
  EXPECT_EQ(Field(ite64FLOATING, 8, 0, 0).CompareData(n.data(), one.data()), -1);
  EXPECT_EQ(Field(ite64FLOATING, 8, 0, 0).CompareData(one.data(), n.data()), -1);
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(Captured, CompareDataShowsWhatItCannotCompare) {
  const char a[10] = {}, b[10] = {};
  EXPECT_EQ(Field(ite80FLOATING, 10, 0, 0).CompareData(a, b), 0);
  EXPECT_EQ(Field(iteUNICODETEXT, 2, 0, 0).CompareData(a, b), 0);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Cannot compare two 80-bit floating point fields.");
  EXPECT_EQ(boxes[1].text, "Cannot compare two unicode data fields.");
  for (const auto &box : boxes)
    EXPECT_EQ(box.icon, UINT(MB_ICONEXCLAMATION)) << box.text;
}

TEST_F(Captured, KeyFillers) {
  struct Row {
    const char *what;
    CVQFieldDesc field;
    std::string low, high;
    const char *log; // "" = none
  };
  const Row rows[] = {
      {"int8", Field(iteINT8, 4, twSIGNED, 0), std::string(1, '\0'), "\xFF", ""},
      {"int16", Field(iteINT16, 2, 0, 0), std::string(2, '\0'), "\xFF\xFF", ""},
      {"int32", Field(iteINT32, 4, 0, 0), std::string(4, '\0'), "\xFF\xFF\xFF\xFF", ""},
      {"int64", Field(iteINT64, 8, 0, 0), "", "",
       "1 CVQFieldDesc GetSMaskFiller for numerical type not yet supported."},
      {"double", Field(ite64FLOATING, 8, 0, 0), "", "",
       "1 CVQFieldDesc GetSMaskFiller for numerical type not yet supported."},
      {"text", Field(iteTEXT, 3, 0, 0), std::string(3, '\0'), "\xFF\xFF\xFF", ""},
      {"digits", Field(iteTEXT, 8, kNum, 0), "00000000", "99999999", ""},
      {"date and time", Field(iteTEXT, 18, kDateTime, 0), "00.00.000000:00:00",
       "31.12.999923:59:59", ""},
      {"inverted date", Field(iteTEXT, 8, Type(kDate, twDATE, 12), 0), "99999999", "8768", ""},
      {"time", Field(iteTEXT, 4, Type(kDate, twTIME, 0, 3), 0), "0000", "2359", ""},
      {"decimal", Field(iteTEXT, 8, kDec, 0), "", "",
       "1 CVQFieldDesc GetSMaskFiller: Data presentation type 3 not yet supported."},
      {"kind 6", Field(iteTEXT, 8, 6, 0), "", "", ""},
      {"unicode", Field(iteUNICODETEXT, 8, 0, 0), "", "",
       "0 CVQFieldDesc GetSMaskFiller for UNICODETEXT not yet supported."},
      {"unknown", Field(12, 8, 0, 0), "", "",
       "0 CVQFieldDesc GetSMaskFiller for unkown data encoding type 12."},
  };
  for (const auto &r : rows) {
    for (const UINT high : {0u, 1u}) {
      theLibrary.ClearCaptured();
      char buffer[32];
      std::memset(buffer, '#', sizeof buffer);
      const std::string &expected = high ? r.high : r.low;
      ASSERT_EQ(r.field.GetSMaskFiller(high, buffer, sizeof buffer), expected.size()) << r.what;
      EXPECT_EQ(std::string(buffer, expected.size()), expected) << r.what << " high " << high;
      EXPECT_EQ(buffer[expected.size()], '#') << r.what << ": fillers are not terminated";
      const auto lines = Lines();
      EXPECT_EQ(lines, *r.log ? std::vector<std::string>{r.log} : std::vector<std::string>{})
          << r.what;
    }
  }
}

} // namespace
