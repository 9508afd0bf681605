// Cost per record of FormatData, ParseData and CompareData for four kinds
// of field (a 32-bit integer, a fixed-point text, a date text, a plain
// text) over 1,000,000 records, each beside the C library doing the same
// conversion (snprintf, strtoll, memcmp) on the same records in the same
// run. Prints ours / libc per pair (target: at most 1 for the integer and
// the date) and the heap allocations per call, counted by interposing
// malloc: the conversions must allocate nothing. The integer's parse and
// compare are also set beside a bare out-of-line load and comparison, the
// floor for any call that reads a field through its description.
#include <windows.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/alloc_counter.h"
#include "common/xorshift.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kRecords = 1000000;
constexpr size_t kRuns = 5;

// Record layout: int32 | "  1.234.567,89" | DDMMYYYY | 16 characters of text.
constexpr UINT kIntAt = 0, kDecAt = 4, kDecSize = 14, kDateAt = 18, kTextAt = 26, kTextSize = 16;
constexpr UINT kRecordSize = 42;

struct FieldBytes {
  UINT offset, size, dispWidth, encodeType, contentType, displayType, dataJust, dispJust;
  char name[32];
};
CVQFieldDesc Field(UINT offset, UINT size, UINT encode, UINT content, UINT display) {
  return std::bit_cast<CVQFieldDesc>(
      FieldBytes{offset, size, 0, encode, content, display, 0, 0, "F"});
}

struct Data {
  std::vector<char> records;
  // The same values in the forms the C library reads: "123456789" for the
  // decimal and "20091231" (YYYYMMDD) for the date.
  std::vector<char> plainDecimal, plainDate, plainInt;
  Data()
      : records((kRecords + 1) * kRecordSize), plainDecimal((kRecords + 1) * 24),
        plainDate((kRecords + 1) * 12), plainInt((kRecords + 1) * 12) {
    vqbench::XorShift next;
    for (size_t i = 0; i < kRecords; ++i) {
      char *r = Record(i);
      const unsigned long long x = next();
      const int number = int(x % 2000000001) - 1000000000;
      std::memcpy(r + kIntAt, &number, 4);
      std::snprintf(&plainInt[i * 12], 12, "%d", number);
      const long long cents = (long long)((x >> 20) % 10000000000ull);
      char text[32];
      FormatDecimalText(text, sizeof text, cents, 2);
      // Right-aligned in the field: 99.999.999,99 fills all but one place.
      const size_t length = std::strlen(text);
      std::memset(r + kDecAt, ' ', kDecSize - length);
      std::memcpy(r + kDecAt + kDecSize - length, text, length);
      std::snprintf(&plainDecimal[i * 24], 24, "%lld", cents);
      const unsigned day = unsigned(x % 28) + 1, month = unsigned(x / 28 % 12) + 1;
      const unsigned year = 1900 + unsigned(x / 336 % 200);
      char date[16];
      std::snprintf(date, sizeof date, "%02u%02u%04u", day, month, year);
      std::memcpy(r + kDateAt, date, 8);
      std::snprintf(&plainDate[i * 12], 12, "%04u%02u%02u", year, month, day);
      char words[32];
      std::snprintf(words, sizeof words, "Name %llu%-16s", x % 100000, "");
      std::memcpy(r + kTextAt, words, kTextSize);
    }
  }
  char *Record(size_t i) { return &records[i * kRecordSize]; }
};

struct Result {
  double ns;
  double allocationsPerCall;
};

// The fastest of kRuns passes over all records, in nanoseconds per record.
template <typename Body> Result Measure(Body body) {
  double best = 1e300;
  unsigned long long allocations = 0;
  for (size_t run = 0; run < kRuns; ++run) {
    const unsigned long long before = g_allocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < kRecords; ++i)
      body(i);
    const auto stop = std::chrono::steady_clock::now();
    allocations += g_allocations.load() - before;
    best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count());
  }
  return {best / kRecords, double(allocations) / double(kRuns * kRecords)};
}

int g_slower = 0;

// The C library's generic comparison is a comparator called through a
// pointer, as qsort and bsearch call it; reading a stored integer is the
// same kind of out-of-line call. Through volatile pointers the compiler
// cannot inline them, as it cannot inline the library's exported calls.
int CompareInts(const void *a, const void *b) {
  int x, y;
  std::memcpy(&x, a, 4);
  std::memcpy(&y, b, 4);
  return x < y ? -1 : x > y;
}
int LoadInt(const void *p) {
  int x;
  std::memcpy(&x, p, 4);
  return x;
}
int (*volatile g_compareInts)(const void *, const void *) = CompareInts;
int (*volatile g_loadInt)(const void *) = LoadInt;

void Report(const char *field, const char *operation, Result ours, Result libc, bool target) {
  const double ratio = ours.ns / libc.ns;
  if (target && ratio > 1.0)
    ++g_slower;
  std::printf("%-8s %-9s %9.2f %9.2f %7.3f %8.3f%s\n", field, operation, ours.ns, libc.ns, ratio,
              ours.allocationsPerCall, target && ratio > 1.0 ? "  above target" : "");
}

// The C library's reading of a date: its number split into the parts.
UINT LibcDay(const char *yyyymmdd) {
  const long long n = std::strtoll(yyyymmdd, nullptr, 10);
  return DayNumber(UINT(n % 100), UINT(n / 100 % 100), UINT(n / 10000));
}

} // namespace

int main() {
  static Data data;
  const CVQFieldDesc intField = Field(kIntAt, 4, iteINT32, pkNUMBER | twSIGNED, pkNUMBER);
  const CVQFieldDesc decField =
      Field(kDecAt, kDecSize, iteTEXT, pkDECIMAL | 2 << twDECIMALS_SHIFT, pkDECIMAL);
  const CVQFieldDesc dateField = Field(kDateAt, 8, iteTEXT, pkDATETIME | twDATE | 2 << 12,
                                       pkDATETIME | twDATE | 0 << twDECIMALS_SHIFT);
  const CVQFieldDesc textField = Field(kTextAt, kTextSize, iteTEXT, pkTEXT, pkTEXT);

  char out[64];
  UINT written;
  numVal value;
  UINT kind;
  const auto rec = [](size_t i) { return data.Record(i); };
  const auto next = [](size_t i) { return data.Record(i + 1); }; // the extra record is zeroed

  std::printf("%-8s %-9s %9s %9s %7s %8s\n", "field", "call", "ours ns", "libc ns", "ratio",
              "allocs");
  // Integer: display digits, the value, the order.
  Report("integer", "format", Measure([&](size_t i) {
           intField.FormatData(out, sizeof out, &written, rec(i), kRecordSize);
           benchmark::DoNotOptimize(out);
         }),
         Measure([&](size_t i) {
           int v;
           std::memcpy(&v, rec(i) + kIntAt, 4);
           benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%d", v));
         }),
         true);
  // Against the same integer kept as text (strtoll), and against the least
  // any out-of-line reader of the stored bytes does (raw: a load or a
  // comparison called through a pointer, as qsort calls its comparator).
  const auto plainInt = [](size_t i) { return &data.plainInt[i * 12]; };
  const Result parse = Measure([&](size_t i) {
    intField.ParseData(&value, &kind, rec(i), kRecordSize);
    benchmark::DoNotOptimize(value);
  });
  const Result compare =
      Measure([&](size_t i) { benchmark::DoNotOptimize(intField.CompareData(rec(i), next(i))); });
  Report("integer", "parse", parse, Measure([&](size_t i) {
           benchmark::DoNotOptimize(std::strtoll(plainInt(i), nullptr, 10));
         }),
         true);
  Report("integer", "compare", compare, Measure([&](size_t i) {
           const long long a = std::strtoll(plainInt(i), nullptr, 10);
           const long long b = std::strtoll(plainInt(i + 1), nullptr, 10);
           benchmark::DoNotOptimize(a < b ? -1 : a > b);
         }),
         true);
  Report("integer", "parse/raw", parse,
         Measure([&](size_t i) { benchmark::DoNotOptimize(g_loadInt(rec(i) + kIntAt)); }), false);
  Report("integer", "cmp/raw", compare, Measure([&](size_t i) {
           benchmark::DoNotOptimize(g_compareInts(rec(i) + kIntAt, next(i) + kIntAt));
         }),
         false);

  // Fixed-point text: regrouped display, scaled value, order by value.
  const auto plainDec = [](size_t i) { return &data.plainDecimal[i * 24]; };
  Report("decimal", "format", Measure([&](size_t i) {
           decField.FormatData(out, sizeof out, &written, rec(i), kRecordSize);
           benchmark::DoNotOptimize(out);
         }),
         Measure([&](size_t i) {
           const long long v = std::strtoll(plainDec(i), nullptr, 10);
           benchmark::DoNotOptimize(
               std::snprintf(out, sizeof out, "%lld,%02lld", v / 100, v % 100));
         }),
         false);
  Report(
      "decimal", "parse", Measure([&](size_t i) {
        decField.ParseData(&value, &kind, rec(i), kRecordSize);
        benchmark::DoNotOptimize(value);
      }),
      Measure([&](size_t i) { benchmark::DoNotOptimize(std::strtoll(plainDec(i), nullptr, 10)); }),
      false);
  Report("decimal", "compare", Measure([&](size_t i) {
           benchmark::DoNotOptimize(decField.CompareData(rec(i), next(i)));
         }),
         Measure([&](size_t i) {
           const long long a = std::strtoll(plainDec(i), nullptr, 10);
           const long long b = std::strtoll(plainDec(i + 1), nullptr, 10);
           benchmark::DoNotOptimize(a < b ? -1 : a > b);
         }),
         false);

  // Date text: DD.MM.YYYY display, day number, order by day.
  const auto plainDate = [](size_t i) { return &data.plainDate[i * 12]; };
  Report("date", "format", Measure([&](size_t i) {
           dateField.FormatData(out, sizeof out, &written, rec(i), kRecordSize);
           benchmark::DoNotOptimize(out);
         }),
         Measure([&](size_t i) {
           const long long n = std::strtoll(plainDate(i), nullptr, 10);
           benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%02u.%02u.%04u",
                                                  unsigned(n % 100), unsigned(n / 100 % 100),
                                                  unsigned(n / 10000)));
         }),
         true);
  Report("date", "parse", Measure([&](size_t i) {
           dateField.ParseData(&value, &kind, rec(i), kRecordSize);
           benchmark::DoNotOptimize(value);
         }),
         Measure([&](size_t i) { benchmark::DoNotOptimize(LibcDay(plainDate(i))); }), true);
  Report("date", "compare", Measure([&](size_t i) {
           benchmark::DoNotOptimize(dateField.CompareData(rec(i), next(i)));
         }),
         Measure([&](size_t i) {
           const UINT a = LibcDay(plainDate(i)), b = LibcDay(plainDate(i + 1));
           benchmark::DoNotOptimize(a < b ? -1 : a > b);
         }),
         true);

  // Plain text: trimmed display and byte order; it has no numeric value.
  Report("text", "format", Measure([&](size_t i) {
           textField.FormatData(out, sizeof out, &written, rec(i), kRecordSize);
           benchmark::DoNotOptimize(out);
         }),
         Measure([&](size_t i) {
           const char *t = rec(i) + kTextAt;
           int n = int(kTextSize);
           while (n && t[n - 1] == ' ')
             --n;
           benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%.*s", n, t));
         }),
         false);
  Report("text", "compare", Measure([&](size_t i) {
           benchmark::DoNotOptimize(textField.CompareData(rec(i), next(i)));
         }),
         Measure([&](size_t i) {
           const int order = std::memcmp(rec(i) + kTextAt, next(i) + kTextAt, kTextSize);
           benchmark::DoNotOptimize(order < 0 ? -1 : order > 0);
         }),
         false);

  std::printf("\n%s\n", g_slower ? "Some integer or date conversions are above the target ratio 1."
                                 : "Integer and date conversions are within the target ratio 1.");
  return 0;
}
