// Reading and writing a configuration file of 2,000 tables (48 fields,
// three keys of two parts and a gallery each) through the file description,
// beside the base library alone doing the same file work in the same run:
// its reader walking every block and line the descriptions read, and its
// editor writing the same lines. Prints ours / base library for reading and
// for writing; the difference is what the descriptions cost on top of the
// configuration file (records, checks, sorting, formatting).
#include <vq_lib32.h>
#include <vq_tbl32.h>

#include <benchmark/benchmark.h>

#include "common/conf_walk.h"
#include "common/ratio_reporter.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

constexpr UINT kTables = 2000;
constexpr UINT kFields = 48;
constexpr UINT kKeys = 3;

std::string Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/vq_file_desc_bench_XXXXXX";
    const char *made = mkdtemp(pattern);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

// The file the benchmarks read: written once by the file description.
const std::string &SourcePath() {
  static const std::string path = [] {
    CVQFileDesc desc;
    const std::string p = Folder() + "/tables.cfg";
    std::snprintf(desc.fileName, sizeof desc.fileName, "%s", p.c_str());
    char name[32];
    for (UINT t = 0; t < kTables; ++t) {
      std::snprintf(name, sizeof name, "TABLE%04u", t);
      UINT position = t;
      desc.InsertTable(name, &position);
      CVQTableDesc &table = desc.tables.tables[position];
      table.indexNodeSize = 2048;
      for (UINT f = 0; f < kFields; ++f) {
        std::snprintf(name, sizeof name, "FIELD_NAME_%02u", f);
        UINT at = f;
        table.InsertField(name, &at);
        CVQFieldDesc &field = table.fields.fields[at];
        field.offset = f * 8;
        field.size = 8;
        field.encodeType = iteINT64;
        field.contentType = 0x11;
        field.displayType = 0x1031;
        field.dataJustType = field.dispJustType = 2;
        field.dispWidth = 12;
      }
      for (UINT k = 0; k < kKeys; ++k) {
        UINT at = k;
        table.InsertKey(&at);
        CVQKeyDesc &key = table.keys.keys[at];
        key.attributes[0] = k == 0;
        key.partCount = 2;
        key.parts[0].partType = 3; // SIGNED
        std::snprintf(key.parts[0].fieldName, 32, "FIELD_NAME_%02u", k);
        key.parts[1].partType = 2; // UNSIGNED
        std::snprintf(key.parts[1].fieldName, 32, "FIELD_NAME_%02u", k + 1);
      }
      table.gallery.enabled = 1;
      table.gallery.layout = 1;
      table.gallery.diaMode = 2;
      table.gallery.diaWidth = 120;
    }
    desc.WriteDesc();
    return p;
  }();
  return path;
}

// The base library alone: every value the descriptions read, read.
UINT ReadBlocks(const char *path) {
  CVQConfFile conf;
  conf.Read(path, 1, 1);
  return vqbench::WalkTableBlocks(conf);
}

// The base library's editor writing the same lines the descriptions write.
BOOL WriteLines(const char *path) {
  CVQConfFile edit;
  edit.StartEdit(65536, 8, 32, 24, 80, 104);
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
      std::snprintf(line, sizeof line, "%u, %u, %u, %u, %u", k == 0, 0u, 0u, 0u, 0u);
      edit.EditDataLine("Key:", line);
      std::snprintf(line, sizeof line, "\"SIGNED\", \"FIELD_NAME_%02u\"", k);
      edit.EditDataLine("KeyPart:", line);
      std::snprintf(line, sizeof line, "\"UNSIGNED\", \"FIELD_NAME_%02u\"", k + 1);
      edit.EditDataLine("KeyPart:", line);
    }
    edit.EditComment();
    edit.EditIntLine("GalleryLayout:", 1, "gallery  windows layout");
    edit.EditIntLine("GalleryDiaMode:", 2, "gallery dia display mode");
    edit.EditDataLine("GalleryDiaSize:", "120, 80", "Gallery dia display size");
    edit.EditDataLine("Table:", "END");
    edit.EditComment();
  }
  return edit.WriteEdit(path, 1);
}

void BM_Read_ours(benchmark::State &state) {
  const std::string &path = SourcePath();
  for (auto _ : state) {
    CVQFileDesc desc;
    if (!desc.InitDescEdit(nullptr, path.c_str(), FALSE) || desc.tables.count != kTables)
      state.SkipWithError("the file did not read");
  }
}

void BM_Read_reader(benchmark::State &state) {
  const std::string &path = SourcePath();
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadBlocks(path.c_str()));
}

void BM_Write_ours(benchmark::State &state) {
  CVQFileDesc desc;
  desc.InitDescEdit(nullptr, SourcePath().c_str(), FALSE);
  const std::string out = Folder() + "/written.cfg";
  std::snprintf(desc.fileName, sizeof desc.fileName, "%s", out.c_str());
  for (auto _ : state)
    if (!desc.WriteDesc())
      state.SkipWithError("the file was not written");
}

void BM_Write_editor(benchmark::State &state) {
  const std::string out = Folder() + "/lines.cfg";
  for (auto _ : state)
    if (!WriteLines(out.c_str()))
      state.SkipWithError("the file was not written");
}

BENCHMARK(BM_Read_ours)->Name("read/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_reader)->Name("read/base")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_ours)->Name("write/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_editor)->Name("write/base")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  std::printf("configuration file: %u tables of %u fields and %u keys\n", kTables, kFields, kKeys);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  vqbench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios("base", "file description / base library", "ms");
  benchmark::Shutdown();
  std::system(("rm -rf '" + Folder() + "'").c_str());
  return 0;
}
