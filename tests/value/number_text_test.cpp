// The digit, fixed-point and floating readers where they stop or pass over
// characters, the fixed-point writer at the edges of its buffer, and the
// number writer for every value kind.
#include "value_fixture.h"

#include <climits>
#include <cmath>

namespace {

using valuetest::Type;

TEST(ValueNumbers, DigitReaders) {
  struct Row {
    const char *text;
    UINT length;
    ULONGLONG unsignedValue;
    LONGLONG signedValue;
  };
  const Row rows[] = {
      {"  \t0012", 0, 12, 12},
      {"1.234", 0, 1234, 1234},
      {"12 34", 0, 1234, 1234},
      {"-\t 007", 0, 7, -7},
      {"12345", 3, 123, 123},
      {"12\0"
       "34",
       5, 12, 12},
      {"x9", 0, 9, 9},
      {"", 0, 0, 0},
      {"--5", 0, 5, -5},
      {"18446744073709551616", 0, 0, 0}, // wraps at 64 bits
  };
  for (const auto &r : rows) {
    EXPECT_EQ(ParseUnsignedDigits(r.text, r.length), r.unsignedValue) << '"' << r.text << '"';
    EXPECT_EQ(ParseSignedDigits(r.text, r.length), r.signedValue) << '"' << r.text << '"';
  }
  EXPECT_EQ(ParseUnsignedDigits(nullptr, 0), 0u);
}

TEST(ValueNumbers, DecimalTextStopsWhereTheNumberEnds) {
  struct Row {
    const char *text;
    UINT length, decimals;
    LONGLONG value;
  };
  const Row rows[] = {
      {"1.234,56", 0, 2, 123456}, {"-0,5", 0, 2, -5}, {"12,345", 0, 2, 1234}, {"12,5", 0, 2, 125},
      {"12,50", 0, 2, 1250},      {"  +7", 0, 0, 7},  {"\t7", 0, 0, 0},       {"1,2,3", 0, 5, 12},
      {"1,2.3", 0, 5, 12},        {"1-2", 0, 0, 1},   {"-+1", 0, 0, 0},       {"1234", 2, 0, 12},
      {"12 3", 0, 0, 12},         {",5", 0, 1, 5},    {"", 0, 2, 0},
  };
  for (const auto &r : rows)
    EXPECT_EQ(ParseDecimalText(r.text, r.length, r.decimals), r.value) << '"' << r.text << '"';
}

TEST(ValueNumbers, FloatText) {
  struct Row {
    const char *text;
    UINT length;
    double value;
  };
  const Row rows[] = {{"12,5", 0, 12.5}, {"12.5", 0, 12.5}, {"1.2.3", 0, 1.2},
                      {"3-", 0, -3},     {"-3-1", 0, -3},   {" 3", 0, 0},
                      {"1,25", 3, 1.2},  {"7x8", 0, 7},     {"", 0, 0}};
  for (const auto &r : rows)
    EXPECT_DOUBLE_EQ(ParseFloatText(r.text, r.length), r.value) << '"' << r.text << '"';
}

TEST(ValueNumbers, CompareDigitTexts) {
  struct Row {
    const char *a;
    UINT lengthA;
    const char *b;
    UINT lengthB;
    int order;
  };
  const Row rows[] = {{"0099", 0, "99", 0, 0}, {"100", 0, "99", 0, 1}, {"98", 0, "99", 0, -1},
                      {"000", 0, "", 0, 0},    {" 5", 0, "5", 0, 1},   {"12", 1, "1", 0, 0},
                      {"0", 0, "1", 0, -1}};
  for (const auto &r : rows) {
    EXPECT_EQ(CompareDigitTexts(r.a, r.lengthA, r.b, r.lengthB), r.order) << r.a << " : " << r.b;
    EXPECT_EQ(CompareDigitTexts(r.b, r.lengthB, r.a, r.lengthA), -r.order) << r.b << " : " << r.a;
  }
}

TEST(ValueNumbers, FormatDecimalText) {
  struct Row {
    LONGLONG value;
    UINT decimals, size;
    const char *text; // "" = does not fit
  };
  const Row rows[] = {
      {123456789, 2, 32, "1.234.567,89"},
      {5, 2, 32, "0,05"},
      {0, 0, 32, "0"},
      {-1234, 2, 32, "-12,34"},
      {LLONG_MIN, 0, 32, "-9.223.372.036.854.775.808"},
      {1000, 0, 6, "1.000"},
      {1000, 0, 5, ""},
      {-5, 2, 6, "-0,05"},
      {-5, 2, 5, ""},
      {5, 2, 4, ""}, // a fraction needs d + 3 characters
  };
  for (const auto &r : rows) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatDecimalText(buffer, r.size, r.value, r.decimals), std::strlen(r.text))
        << r.text;
    EXPECT_STREQ(buffer, r.text) << r.value;
    if (r.size < sizeof buffer) {
      EXPECT_EQ(buffer[r.size], '#') << "wrote past the buffer for " << r.value;
    }
  }
}

TEST(ValueNumbers, FormatNumberEveryKind) {
  struct Row {
    UINT kind;
    ULONGLONG bits;
    double dbl;
    UINT content, display;
    const char *text;
  };
  const UINT dec = Type(pkNUMBER, 0, 2);
  const Row rows[] = {
      {nvkUINT32, 1005, 0, dec, 0, "10,05"},
      {nvkUINT32, 1005, 0, 0, 0, "1005"},
      {nvkINT32, ULONGLONG(UINT(-1234)), 0, dec, 0, "-12,34"},
      {nvkINT32, ULONGLONG(UINT(-5)), 0, dec, 0, "-0,05"},
      {nvkUINT32, 0xFFFFFFFF, 0, 0, 0, "4294967295"},
      {nvkUINT64, ~0ull, 0, Type(pkNUMBER, 0, 9), 0, "18446744073,709551615"},
      {nvkINT64, ULONGLONG(LLONG_MIN), 0, 0, 0, "-9223372036854775808"},
      {nvkUINT32, 7, 0, Type(pkNUMBER, 0, 12), 0, "7"}, // beyond 9: unscaled
      {nvkUINT32, 0, 0, dec, 0, "0,00"},
      {nvkDOUBLE, 0, 2.5, 0, 0, "3"},
      {nvkDOUBLE, 0, -2.5, 0, 0, "-2"},
      {nvkDOUBLE, 0, 2.5, 0, Type(pkNUMBER, 0, 4), "2.5000"},
      {nvkDOUBLE, 0, 2.5, 0, Type(pkNUMBER, 0, 12), "2.500000"},
      {nvkDOUBLE, 0, 1e300, 0, 0, nullptr},
      {5, 0, 0, 0, 0, ""},
  };
  for (const auto &r : rows) {
    numVal value;
    if (r.kind == nvkDOUBLE)
      value.dbl = r.dbl;
    else
      value.u64 = r.bits;
    char buffer[32];
    const UINT length = FormatNumber(buffer, value, r.kind, r.content, r.display);
    if (!r.text) { // printf's digits, cut to the buffer
      EXPECT_EQ(length, 31u);
      EXPECT_EQ(std::strlen(buffer), 31u);
      continue;
    }
    EXPECT_STREQ(buffer, r.text) << "kind " << r.kind << " bits " << r.bits;
    EXPECT_EQ(length, std::strlen(r.text)) << r.text;
  }
}

} // namespace
