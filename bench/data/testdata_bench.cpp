// Selection evaluation over 1,000,000 records of the sample table held in
// memory: "AGE >= 18 UND AGE <= 65 UND NAME = M*ER UND BORN >= 1.1.2000"
// (an integer range, a joker on a text field, a date comparison), through
// testdata and through cbtestdata, each beside the same filter written as a
// plain C++ lambda over the same bytes in the same run. One iteration is a
// pass over all records, so milliseconds per iteration are nanoseconds per
// record. The closing table prints ours / lambda (target: at most 3) and the
// heap allocations per call, counted by interposing malloc (target: 0).
#include <windows.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/ratio_reporter.h"
#include "common/alloc_counter.h"
#include "common/xorshift.h"
#include "sample_table.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using namespace vqsample;

constexpr size_t kRecords = 1000000;
const char kSelection[] = "age >= 18 und age <= 65 und name = M*ER und born >= 1.1.2000";

struct Data {
  SampleTable table;
  std::vector<char> bytes; // kRecords records back to back
  Data() : bytes(kRecords * kRecordSize) {
    static const char *const heads[] = {"M", "SCH", "B", "K", "W", "H", "FR", "ST"};
    static const char *const middles[] = {"AI", "EI", "U", "O", "A", "IE", "E", "AU"};
    static const char *const tails[] = {"ER", "MANN", "ERT", "LE", "NER", "DT", "S", "BERG"};
    vqbench::XorShift next;
    for (size_t i = 0; i < kRecords; ++i) {
      const unsigned long long r = next();
      std::string name = heads[r % 8];
      name += middles[(r >> 8) % 8];
      name += tails[(r >> 16) % 8];
      vqsample::Record record;
      record.Text(NAME, name).Text(CITY, "Munich").Plz(80331);
      record.Binary(AGE, INT((r >> 24) % 100)).Binary(COUNT, WORD(r >> 32));
      record.Date(1 + (r >> 40) % 28, 1 + (r >> 45) % 12, 1990 + (r >> 50) % 30);
      record.Sum(LONGLONG(r % 100000) - 50000).Binary(RATE, 1.0f).Binary(PRICE, 1.0);
      std::memcpy(&bytes[i * kRecordSize], record.bytes, kRecordSize);
    }
  }
  const char *At(size_t i) const { return &bytes[i * kRecordSize]; }
};

const Data &In() {
  static const Data data;
  return data;
}

// The filter as one would write it by hand for this record layout.
bool Plain(const char *record) {
  int age;
  std::memcpy(&age, record + 27, 4);
  if (age < 18 || age > 65)
    return false;
  const char *name = record;
  size_t n = 12;
  while (n && name[n - 1] == ' ')
    --n;
  while (n && *name == ' ')
    ++name, --n;
  if (n < 3 || name[0] != 'M' || name[n - 2] != 'E' || name[n - 1] != 'R')
    return false;
  const char *born = record + 49; // DD.MM.YYYY
  for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
    if (born[i] < '0' || born[i] > '9')
      return false;
  const int year =
      (born[6] - '0') * 1000 + (born[7] - '0') * 100 + (born[8] - '0') * 10 + (born[9] - '0');
  return year >= 2000;
}

// The callback form's host: the sample's fields by name, as engine types.
struct Host {
  const char *record;
};
int Deliver(const char *column, char *buffer, UINT size, UINT *length, UINT *kind, UINT *value,
            UINT *type, LONG_PTR context) {
  const auto *host = reinterpret_cast<const Host *>(context);
  struct Entry {
    const char *name;
    Field field;
    UINT type;
  };
  static const Entry kEntries[] = {{"AGE", AGE, 41}, {"NAME", NAME, 0}, {"BORN", BORN, 10}};
  for (const Entry &e : kEntries) {
    if (std::strcmp(column, e.name) != 0)
      continue;
    const FieldSpec &s = kFieldSpecs[e.field];
    if (!host->record) { // resolution
      *kind = s.contentType & twKIND;
      *value = s.encodeType;
      *length = 0;
      return 1;
    }
    *length = s.size < size ? s.size : size;
    std::memcpy(buffer, host->record + s.offset, *length);
    *type = e.type;
    return 1;
  }
  return 0;
}

size_t g_expected = 0;
int g_mismatch = 0;
double g_allocsTable = 0, g_allocsCallback = 0;

void Check(size_t passed) {
  if (passed != g_expected)
    g_mismatch = 1;
}

void Lambda(benchmark::State &state) {
  const Data &data = In();
  size_t passed = 0;
  for (auto _ : state) {
    passed = 0;
    for (size_t i = 0; i < kRecords; ++i)
      passed += Plain(data.At(i));
    benchmark::DoNotOptimize(passed);
  }
  state.counters["passed"] = double(passed);
}

void Table(benchmark::State &state) {
  const Data &data = In();
  CVQTblSelDesc sel;
  sel.parse(kSelection, UINT(sizeof kSelection - 1));
  sel.resolve(&data.table.desc);
  size_t passed = 0;
  for (auto _ : state) {
    passed = 0;
    const unsigned long long before = g_allocations.load();
    for (size_t i = 0; i < kRecords; ++i)
      passed += sel.testdata(&data.table.desc, data.At(i), kRecordSize);
    g_allocsTable = double(g_allocations.load() - before) / kRecords;
    benchmark::DoNotOptimize(passed);
  }
  Check(passed);
  state.counters["passed"] = double(passed);
}

void Callback(benchmark::State &state) {
  const Data &data = In();
  CVQTblSelDesc sel;
  sel.parse(kSelection, UINT(sizeof kSelection - 1));
  Host host{nullptr};
  sel.cbresolve(Deliver, LONG_PTR(&host));
  size_t passed = 0;
  for (auto _ : state) {
    passed = 0;
    const unsigned long long before = g_allocations.load();
    for (size_t i = 0; i < kRecords; ++i) {
      host.record = data.At(i);
      passed += sel.cbtestdata(Deliver, LONG_PTR(&host));
    }
    g_allocsCallback = double(g_allocations.load() - before) / kRecords;
    benchmark::DoNotOptimize(passed);
  }
  Check(passed);
  state.counters["passed"] = double(passed);
}

} // namespace

int main(int argc, char **argv) {
  const Data &data = In();
  for (size_t i = 0; i < kRecords; ++i)
    g_expected += Plain(data.At(i));
  benchmark::RegisterBenchmark("testdata/ours", Table)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("testdata/lambda", Lambda)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("cbtestdata/ours", Callback)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("cbtestdata/lambda", Lambda)->Unit(benchmark::kMillisecond);
  vqbench::RatioReporter reporter;
  if (vqbench::RunBenchmarks(argc, argv, reporter) != 0)
    return 1;
  reporter.PrintRatios("lambda", "evaluation (ns/record)", "ms");
  std::printf("\nallocations per call: testdata %.3f, cbtestdata %.3f (target 0)\n", g_allocsTable,
              g_allocsCallback);
  std::printf("records passing: %zu of %zu%s\n", g_expected, kRecords,
              g_mismatch ? "; ours and the lambda DISAGREE" : ", the same in every form");
  return g_mismatch;
}
