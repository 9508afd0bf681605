// Reading a 10 MB configuration file of 2,000 table blocks the way the
// description readers do (every block through SelectBlock/SelectNextBlock
// and the parsers), beside a plain std::getline split of the same text in
// the same run. The closing lines print ours / getline (target: at most 3),
// from paired runs timed by thread CPU time, and the peak memory each adds
// beyond the text, measured in child runs of this program.
#include <vq_lib32.h>

#include <benchmark/benchmark.h>

#include "common/conf_walk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr UINT kTables = 2000;
constexpr UINT kFields = 48;
constexpr UINT kKeys = 3;

// The text the table, field, key and gallery writers produce for 2,000 tables.
const std::string &Text() {
  static const std::string text = [] {
    CVQConfFile edit;
    edit.StartEdit(12u << 20, 8, 32, 24, 80, 104);
    edit.EditHdDelLine();
    edit.EditHdParamLine(0, "Data File Description");
    edit.EditHdParamLine(5, nullptr);
    edit.EditHdDelLine();
    edit.EditComment();
    char line[200], name[32];
    for (UINT t = 0; t < kTables; ++t) {
      std::snprintf(name, sizeof name, "TABLE%04u", t);
      edit.EditTextLine("Table:", name);
      edit.EditIntLine("IndexNodeSize:", 2048);
      edit.EditComment();
      for (UINT f = 0; f < kFields; ++f) {
        std::snprintf(line, sizeof line, "%4u, %3u, %u, 0x%04X, %u, 0x%04X, %u, %2u, \"%s%02u\"",
                      f * 8, 8u, 3u, 0x11u, 2u, 0x1031u, 2u, 12u, "FIELD_NAME_", f);
        edit.EditDataLine("Field:", line);
      }
      for (UINT k = 0; k < kKeys; ++k) {
        edit.EditComment();
        std::snprintf(line, sizeof line, "%u, %u, %u, %u, %u", k, 1u, 0u, 0u, 0u);
        edit.EditDataLine("Key:", line);
        edit.EditDataLine("KeyPart:", "\"INT64\", \"FIELD_NAME_00\"");
        edit.EditDataLine("KeyPart:", "\"TEXT\", \"FIELD_NAME_01\"");
      }
      edit.EditComment();
      edit.EditIntLine("GalleryLayout:", 1, "gallery  windows layout");
      edit.EditIntLine("GalleryDiaMode:", 2, "gallery dia display mode");
      edit.EditDataLine("GalleryDiaSize:", "120, 80", "Gallery dia display size");
      edit.EditComment();
      edit.EditTextLine("ImageFileName:", "C:\\images\\%s.jpg", "image filename definition");
      edit.EditTextLine("ImageFileName:", "D:\\scans\\%s.png", "image filename definition");
      edit.EditComment();
      edit.EditDataLine("Table:", "END");
      edit.EditComment();
    }
    return std::string(edit.GetEditText(), edit.GetEditLength());
  }();
  return text;
}

// Every value of every table, read as the description readers read them.
UINT ReadAllBlocks(const std::string &text) {
  CVQConfFile conf;
  conf.ReadIt(text.data(), UINT(text.size()));
  return vqbench::WalkTableBlocks(conf);
}

// The baseline: lines split into keyword and rest, nothing parsed.
size_t GetlineSplit(const std::string &text) {
  std::istringstream in(text);
  std::string line, keyword, rest;
  size_t sum = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    const size_t colon = line.find(':');
    if (line.empty() || line[0] == ';' || colon == std::string::npos)
      continue;
    keyword.assign(line, 0, colon);
    rest.assign(line, colon + 1);
    sum += keyword.size() + rest.size();
  }
  return sum;
}

void BM_ConfFileBlocks(benchmark::State &state) {
  const std::string &text = Text();
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadAllBlocks(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_GetlineSplit(benchmark::State &state) {
  const std::string &text = Text();
  for (auto _ : state)
    benchmark::DoNotOptimize(GetlineSplit(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

BENCHMARK(BM_ConfFileBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetlineSplit)->Unit(benchmark::kMillisecond);

// CPU time of this thread, which other processes on a busy machine do not inflate.
double ThreadCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The two readers in alternating pairs: the median of the per-pair ratios
// stays steady when the machine's load changes during the run.
struct Paired {
  double oursMs, getlineMs, ratio;
};
Paired PairedRatio(const std::string &text, int pairs) {
  std::vector<double> ours, base, ratios;
  for (int i = 0; i < pairs; ++i) {
    double a = 0, b = 0;
    for (int k = 0; k < 2; ++k) {
      const bool oursFirst = (i + k) % 2 == 0;
      const double t0 = ThreadCpuMs();
      if (oursFirst)
        benchmark::DoNotOptimize(ReadAllBlocks(text));
      else
        benchmark::DoNotOptimize(GetlineSplit(text));
      const double t1 = ThreadCpuMs();
      (oursFirst ? a : b) = t1 - t0;
    }
    ours.push_back(a);
    base.push_back(b);
    ratios.push_back(a / b);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  return {median(ours), median(base), median(ratios)};
}

long StatusKb(const char *field) {
  FILE *status = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = -1;
  const size_t n = std::strlen(field);
  while (status && std::fgets(line, sizeof line, status))
    if (std::strncmp(line, field, n) == 0)
      kb = std::atol(line + n);
  if (status)
    std::fclose(status);
  return kb;
}

// Child mode: loads the text from `path`, runs one reader and prints the
// peak memory it added on top of the loaded text, in KiB.
int PeakChild(const char *which, const char *path) {
  std::FILE *in = std::fopen(path, "rb");
  if (!in)
    return 1;
  std::string text;
  char chunk[1 << 16];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
    text.append(chunk, got);
  std::fclose(in);
  text.shrink_to_fit();
  const long before = StatusKb("VmRSS:");
  if (std::strcmp(which, "ours") == 0)
    benchmark::DoNotOptimize(ReadAllBlocks(text));
  else
    benchmark::DoNotOptimize(GetlineSplit(text));
  std::printf("%ld\n", StatusKb("VmHWM:") - before);
  return 0;
}

// Runs this program in child mode, so that each reader's peak is its own.
long ExtraPeakKb(const char *self, const char *which, const std::string &path) {
  const std::string command =
      std::string("'") + self + "' --peak-child " + which + " '" + path + "'";
  FILE *child = popen(command.c_str(), "r");
  long kb = -1;
  if (child) {
    if (std::fscanf(child, "%ld", &kb) != 1)
      kb = -1;
    pclose(child);
  }
  return kb;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 4 && std::strcmp(argv[1], "--peak-child") == 0)
    return PeakChild(argv[2], argv[3]);
  const std::string &text = Text();
  std::printf("configuration text: %zu bytes, %u tables\n", text.size(), kTables);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const Paired paired = PairedRatio(text, 21);
  std::printf("paired CPU time (median of 21): ours %.1f ms, getline %.1f ms\n", paired.oursMs,
              paired.getlineMs);
  std::printf("ratio ours/getline: %.2f (target <= 3)\n", paired.ratio);

  char path[] = "/tmp/vq_conf_bench_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, text.data(), text.size()) != ssize_t(text.size()))
    return 1;
  close(fd);
  const long ours = ExtraPeakKb(argv[0], "ours", path);
  const long base = ExtraPeakKb(argv[0], "getline", path);
  unlink(path);
  std::printf("peak memory beyond the text: ours %.1f MiB, getline %.1f MiB (text %.1f MiB)\n",
              ours / 1024.0, base / 1024.0, text.size() / 1048576.0);
  return 0;
}
