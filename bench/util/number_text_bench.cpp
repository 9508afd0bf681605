// Cost per call of the money and digit texts and the decimal readers,
// each beside the C library routine that does the same job on the same
// inputs in the same run. The closing table prints ours / libc; the
// target is a ratio of at most 1 for every pair.
#include <windows.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/ratio_reporter.h"
#include "common/xorshift.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kInputs = 1024;

// Amounts and integers of every magnitude the grid shows, fixed per run.
struct Inputs {
  std::vector<double> amounts;
  std::vector<unsigned> numbers;
  std::vector<std::string> digits, decimal, signedDecimal, grouped, cLocale;
  Inputs() {
    vqbench::XorShift next;
    char text[64];
    for (size_t i = 0; i < kInputs; ++i) {
      const unsigned long long r = next();
      const unsigned magnitude = unsigned(r % 10);
      unsigned n = unsigned(r >> 20);
      for (unsigned k = magnitude; k < 9; ++k)
        n /= 10;
      numbers.push_back(n);
      amounts.push_back(n / 100.0);
      snprintf(text, sizeof text, "%u", n);
      digits.push_back(text);
      snprintf(text, sizeof text, "  %llu", r >> (r % 40));
      decimal.push_back(text);
      snprintf(text, sizeof text, " %s%llu", r & 1 ? "-" : "", r >> (r % 40 + 1));
      signedDecimal.push_back(text);
      char whole[16], g[24];
      const int w = snprintf(whole, sizeof whole, "%u", n / 100);
      int o = 0;
      for (int k = 0; k < w; ++k) {
        if (k && (w - k) % 3 == 0)
          g[o++] = '.';
        g[o++] = whole[k];
      }
      g[o] = '\0';
      snprintf(text, sizeof text, "%s,%02u", g, n % 100);
      grouped.push_back(text);
      snprintf(text, sizeof text, "%u.%02u", n / 100, n % 100);
      cLocale.push_back(text);
    }
  }
};

const Inputs &In() {
  static const Inputs inputs;
  return inputs;
}

void FormatMoneyOurs(benchmark::State &state) {
  char buffer[32];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatMoney(buffer, sizeof buffer, In().amounts[i++ % kInputs]));
    benchmark::ClobberMemory();
  }
}

void FormatMoneyLibc(benchmark::State &state) {
  char buffer[32];
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(snprintf(buffer, sizeof buffer, "%.2f", In().amounts[i++ % kInputs]));
    benchmark::ClobberMemory();
  }
}

void GroupDigitsOurs(benchmark::State &state) {
  char buffer[32];
  size_t i = 0;
  for (auto _ : state) {
    const std::string &d = In().digits[i++ % kInputs];
    memcpy(buffer, d.c_str(), d.size() + 1);
    benchmark::DoNotOptimize(GroupDigits(buffer, UINT(d.size())));
    benchmark::ClobberMemory();
  }
}

// The same grouped text from the number, one snprintf per magnitude.
void GroupDigitsLibc(benchmark::State &state) {
  char buffer[32];
  size_t i = 0;
  for (auto _ : state) {
    const unsigned n = In().numbers[i++ % kInputs];
    int written;
    if (n >= 1000000000)
      written = snprintf(buffer, sizeof buffer, "%u.%03u.%03u.%03u", n / 1000000000,
                         n / 1000000 % 1000, n / 1000 % 1000, n % 1000);
    else if (n >= 1000000)
      written =
          snprintf(buffer, sizeof buffer, "%u.%03u.%03u", n / 1000000, n / 1000 % 1000, n % 1000);
    else if (n >= 1000)
      written = snprintf(buffer, sizeof buffer, "%u.%03u", n / 1000, n % 1000);
    else
      written = snprintf(buffer, sizeof buffer, "%u", n);
    benchmark::DoNotOptimize(written);
    benchmark::ClobberMemory();
  }
}

template <typename Result, Result (*Ours)(const char *, UINT)>
void ReaderOurs(benchmark::State &state, const std::vector<std::string> *texts) {
  size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(Ours((*texts)[i++ % kInputs].c_str(), 0));
}

template <typename Result, Result (*Libc)(const char *, char **, int)>
void ReaderLibc(benchmark::State &state, const std::vector<std::string> *texts) {
  size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(Libc((*texts)[i++ % kInputs].c_str(), nullptr, 10));
}

void GroupedFloatOurs(benchmark::State &state) {
  size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadGroupedFloat(In().grouped[i++ % kInputs].c_str()));
}

void GroupedFloatLibc(benchmark::State &state) {
  size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(strtod(In().cLocale[i++ % kInputs].c_str(), nullptr));
}

INT ReadInt32Default(const char *t, UINT n) { return ReadInt32(t, n); }
UINT ReadUInt32Default(const char *t, UINT n) { return ReadUInt32(t, n); }
LONGLONG ReadInt64Default(const char *t, UINT n) { return ReadInt64(t, n); }
ULONGLONG ReadUInt64Default(const char *t, UINT n) { return ReadUInt64(t, n); }

void Register() {
  const Inputs &in = In();
  benchmark::RegisterBenchmark("FormatMoney/ours", FormatMoneyOurs);
  benchmark::RegisterBenchmark("FormatMoney/libc", FormatMoneyLibc);
  benchmark::RegisterBenchmark("GroupDigits/ours", GroupDigitsOurs);
  benchmark::RegisterBenchmark("GroupDigits/libc", GroupDigitsLibc);
  benchmark::RegisterBenchmark("ReadUInt32/ours", ReaderOurs<UINT, ReadUInt32Default>, &in.decimal);
  benchmark::RegisterBenchmark("ReadUInt32/libc", ReaderLibc<unsigned long, strtoul>, &in.decimal);
  benchmark::RegisterBenchmark("ReadInt32/ours", ReaderOurs<INT, ReadInt32Default>,
                               &in.signedDecimal);
  benchmark::RegisterBenchmark("ReadInt32/libc", ReaderLibc<long, strtol>, &in.signedDecimal);
  benchmark::RegisterBenchmark("ReadUInt64/ours", ReaderOurs<ULONGLONG, ReadUInt64Default>,
                               &in.decimal);
  benchmark::RegisterBenchmark("ReadUInt64/libc", ReaderLibc<unsigned long long, strtoull>,
                               &in.decimal);
  benchmark::RegisterBenchmark("ReadInt64/ours", ReaderOurs<LONGLONG, ReadInt64Default>,
                               &in.signedDecimal);
  benchmark::RegisterBenchmark("ReadInt64/libc", ReaderLibc<long long, strtoll>, &in.signedDecimal);
  benchmark::RegisterBenchmark("ReadGroupedFloat/ours", GroupedFloatOurs);
  benchmark::RegisterBenchmark("ReadGroupedFloat/libc", GroupedFloatLibc);
}

} // namespace

int main(int argc, char **argv) {
  Register();
  vqbench::RatioReporter reporter;
  if (vqbench::RunBenchmarks(argc, argv, reporter) != 0)
    return 1;
  reporter.PrintRatios("libc", "routine", "ns");
  return 0;
}
