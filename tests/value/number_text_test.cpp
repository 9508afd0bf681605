// The digit, fixed-point and floating readers where they stop or pass over
// characters, the fixed-point writer at the edges of its buffer, and the
// number writer at the edges of its kinds.
#include "value_fixture.h"

#include <climits>

namespace {

using valuetest::Type;

TEST(ValueNumbers, Readers) {
  struct Row {
    const char *text;
    UINT length;
    ULONGLONG digits;
    LONGLONG signedDigits, decimal2; // decimal2: ParseDecimalText with 2 decimals
    double floating;
  };
  const Row rows[] = {
      {"  \t0012", 0, 12, 12, 0, 0},
      {"1.234,56", 0, 123456, 123456, 123456, 1.234},
      {"-0,5", 0, 5, -5, -5, -0.5},
      {"12,345", 0, 12345, 12345, 1234, 12.345},
      {"12,5", 0, 125, 125, 125, 12.5},
      {"-\t 007", 0, 7, -7, 0, 0},
      {"12 34", 0, 1234, 1234, 12, 12},
      {"12345", 3, 123, 123, 123, 123},
      {"--5", 0, 5, -5, 0, -0.0},
      {"1,2,3", 0, 123, 123, 12, 1.2},
      {"1-2", 0, 12, 12, 1, -12},
      {"-+1", 0, 1, -1, 0, 0},
      {"x9", 0, 9, 9, 0, 0},
      {"12\0"
       "34",
       5, 12, 12, 12, 12},
      {"18446744073709551617", 0, 1, 1, 1, 1.8446744073709552e19},
  };
  for (const auto &r : rows) {
    EXPECT_EQ(ParseUnsignedDigits(r.text, r.length), r.digits) << '"' << r.text << '"';
    EXPECT_EQ(ParseSignedDigits(r.text, r.length), r.signedDigits) << '"' << r.text << '"';
    EXPECT_EQ(ParseDecimalText(r.text, r.length, 2), r.decimal2) << '"' << r.text << '"';
    EXPECT_DOUBLE_EQ(ParseFloatText(r.text, r.length), r.floating) << '"' << r.text << '"';
  }
}

TEST(ValueNumbers, CompareDigitTexts) {
  const struct {
    const char *a, *b;
    UINT lengthA;
    int order;
  } rows[] = {{"0099", "99", 0, 0}, {"100", "99", 0, 1}, {"98", "99", 0, -1},
              {"000", "", 0, 0},    {" 5", "5", 0, 1},   {"12", "1", 1, 0}};
  for (const auto &r : rows) {
    EXPECT_EQ(CompareDigitTexts(r.a, r.lengthA, r.b, 0), r.order) << r.a << " : " << r.b;
    EXPECT_EQ(CompareDigitTexts(r.b, 0, r.a, r.lengthA), -r.order) << r.b << " : " << r.a;
  }
}

TEST(ValueNumbers, FormatDecimalTextNeverPassesItsBuffer) {
  const struct {
    LONGLONG value;
    UINT decimals, size;
    const char *text; // "" = does not fit
  } rows[] = {
      {123456789, 2, 32, "1.234.567,89"},
      {5, 2, 32, "0,05"},
      {0, 0, 32, "0"},
      {LLONG_MIN, 0, 32, "-9.223.372.036.854.775.808"},
      {1000, 0, 6, "1.000"},
      {1000, 0, 5, ""},
      {-5, 2, 6, "-0,05"},
      {-5, 2, 5, ""},
      {5, 2, 4, ""},
  };
  for (const auto &r : rows) {
    char buffer[33];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatDecimalText(buffer, r.size, r.value, r.decimals), std::strlen(r.text));
    EXPECT_STREQ(buffer, r.text) << r.value << " in " << r.size;
    EXPECT_EQ(buffer[r.size], '#') << "wrote past the buffer for " << r.value;
  }
}

TEST(ValueNumbers, FormatNumberEdges) {
  const struct {
    UINT kind;
    ULONGLONG bits;
    UINT content, display;
    const char *text; // NULL: printf's digits cut to the buffer
  } rows[] = {
      {nvkINT32, UINT(-5), Type(pkNUMBER, 0, 2), 0, "-0,05"},
      {nvkUINT32, 0, Type(pkNUMBER, 0, 2), 0, "0,00"},
      {nvkUINT64, ~0ull, Type(pkNUMBER, 0, 9), 0, "18446744073,709551615"},
      {nvkINT64, ULONGLONG(LLONG_MIN), 0, 0, "-9223372036854775808"},
      {nvkUINT32, 7, Type(pkNUMBER, 0, 12), 0, "7"}, // beyond 9 decimals: unscaled
      {nvkDOUBLE, std::bit_cast<ULONGLONG>(2.5), 0, Type(pkNUMBER, 0, 12), "2.500000"},
      {nvkDOUBLE, std::bit_cast<ULONGLONG>(-0.4), 0, 0, "0"},
      {nvkDOUBLE, std::bit_cast<ULONGLONG>(1e300), 0, 0, nullptr},
      {5, 0, 0, 0, ""},
  };
  for (const auto &r : rows) {
    numVal value;
    value.u64 = r.bits;
    char buffer[32];
    const UINT length = FormatNumber(buffer, value, r.kind, r.content, r.display);
    EXPECT_EQ(length, std::strlen(buffer));
    if (r.text)
      EXPECT_STREQ(buffer, r.text) << "kind " << r.kind << " bits " << r.bits;
    else
      EXPECT_EQ(length, 31u);
  }
}

} // namespace
