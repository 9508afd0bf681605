// The benchmarks' common reporter: it keeps Google Benchmark's console
// output and remembers each run's CPU time per iteration (on a shared
// machine that varies less than the wall clock), so that a benchmark can
// print its subject against the baseline measured in the same run.
//
// Runs are paired by name: "<case>/ours" against "<case>/<baseline>".
#ifndef VQ_BENCH_RATIO_REPORTER_H
#define VQ_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace vqbench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
  }

  // CPU time per iteration of a run, 0 when it did not run.
  double Time(const std::string &name) const {
    const auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

  // Prints one line per "<case>/ours" that has a "<case>/<baseline>"
  // partner; the result is how many of them are slower than the baseline.
  int PrintRatios(const char *baseline, const char *caseTitle, const char *unit) const {
    int slower = 0;
    const std::string ours = std::string(unit) + " ours",
                      theirs = std::string(unit) + " " + baseline;
    std::printf("\n%-26s %12s %12s %8s\n", caseTitle, ours.c_str(), theirs.c_str(), "ratio");
    for (const auto &[name, time] : times_) {
      const size_t slash = name.rfind("/ours");
      if (slash == std::string::npos)
        continue;
      const std::string base = name.substr(0, slash);
      const double other = Time(base + "/" + baseline);
      if (other <= 0)
        continue;
      const double ratio = time / other;
      slower += ratio > 1.0;
      std::printf("%-26s %12.2f %12.2f %8.3f%s\n", base.c_str(), time, other, ratio,
                  ratio > 1.0 ? "  slower than the baseline" : "");
    }
    return slower;
  }

private:
  std::map<std::string, double> times_;
};

// Runs the registered benchmarks through the reporter; 1 on a bad argument.
inline int RunBenchmarks(int argc, char **argv, RatioReporter &reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

} // namespace vqbench

#endif
