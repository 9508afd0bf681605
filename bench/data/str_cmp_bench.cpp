// The joker comparer over 1,000,000 names, case-sensitive and not, beside
// fnmatch on the same names and patterns in the same run (FNM_CASEFOLD for
// the case-blind one). One iteration is a pass over all names; the closing
// table prints ours / fnmatch per pattern, and the target is at most 1.
#include <windows.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/ratio_reporter.h"
#include "common/xorshift.h"

#include <fnmatch.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kNames = 1000000;

// Surnames as a register of persons holds them: upper-case for the
// case-sensitive pass, capitalised for the case-blind one. Fixed per run.
struct Names {
  std::vector<std::string> upper, mixed;
  Names() {
    static const char *const heads[] = {"M", "SCH", "B", "K", "W", "H", "FR", "ST", "L", "R"};
    static const char *const middles[] = {"AI", "EI", "U", "O", "A", "IE", "E", "AU"};
    static const char *const tails[] = {"ER", "MANN", "ERT", "LE", "NER", "DT", "S", "BERG", ""};
    vqbench::XorShift next;
    upper.reserve(kNames);
    mixed.reserve(kNames);
    for (size_t i = 0; i < kNames; ++i) {
      const unsigned long long r = next();
      std::string name = heads[r % 10];
      name += middles[(r >> 8) % 8];
      if ((r >> 16) % 3 == 0)
        name += "LM";
      name += tails[(r >> 24) % 9];
      if ((r >> 32) % 4 == 0)
        name += middles[(r >> 40) % 8];
      upper.push_back(name);
      for (size_t k = 1; k < name.size(); ++k)
        name[k] = char(name[k] - 'A' + 'a');
      mixed.push_back(name);
    }
  }
};

const Names &In() {
  static const Names names;
  return names;
}

const char *const kPatterns[] = {"M*ER*", "*MANN", "SCH??*T", "*AU*E*"};

void Ours(benchmark::State &state, const char *pattern, bool caseBlind) {
  CVQStrCmp cmp;
  cmp.SetupString(pattern, 0, caseBlind);
  const std::vector<std::string> &names = caseBlind ? In().mixed : In().upper;
  size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string &name : names)
      matches += caseBlind ? cmp.CompareiString(name.c_str()) : cmp.CompareStringA(name.c_str());
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = double(matches);
}

void Fnmatch(benchmark::State &state, const char *pattern, bool caseBlind) {
  const std::vector<std::string> &names = caseBlind ? In().mixed : In().upper;
  const int flags = caseBlind ? FNM_CASEFOLD : 0;
  size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string &name : names)
      matches += fnmatch(pattern, name.c_str(), flags) == 0;
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = double(matches);
}

void Register() {
  In();
  for (const char *pattern : kPatterns) {
    for (int caseBlind = 0; caseBlind < 2; ++caseBlind) {
      const std::string base =
          std::string(caseBlind ? "CompareiString/" : "CompareStringA/") + pattern;
      benchmark::RegisterBenchmark((base + "/ours").c_str(), Ours, pattern, caseBlind != 0)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((base + "/fnmatch").c_str(), Fnmatch, pattern, caseBlind != 0)
          ->Unit(benchmark::kMillisecond);
    }
  }
}

} // namespace

int main(int argc, char **argv) {
  Register();
  vqbench::RatioReporter reporter;
  if (vqbench::RunBenchmarks(argc, argv, reporter) != 0)
    return 1;
  reporter.PrintRatios("fnmatch", "comparison", "ms");
  return 0;
}
