// Shared set-up of the table browsing tests: the sample table created in
// ISAM files of several sizes (made once per run), a grid window that a
// browser binds, a recorder of every cell the grid paints, and the
// engine's own iteration as the oracle of what each line must show.
#ifndef VQ_TESTS_DATA_BROWSE_FIXTURE_H
#define VQ_TESTS_DATA_BROWSE_FIXTURE_H

#include "../common/sample_table.h"
#include "../grid/grid_fixture.h"
#include "data/table_engine.h"

#include <vq_isa32.h>
#include <vq_tbl32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vqtest {

using namespace vqsample;

/// Record `i` of a table: names unique and out of insertion order, the
/// other fields cycling so that selections and keys have work to do.
inline Record SampleRecord(UINT i) {
  static const char *const kCities[] = {"Berlin", "bonn", "Essen", "Munich", "Bremen", "Kiel"};
  char name[16];
  std::snprintf(name, sizeof name, "N%07u", (i * 7919u) % 1000003u);
  Record r;
  r.Text(NAME, name).Text(CITY, kCities[i % 6]).Plz(10000 + (i * 37) % 90000);
  r.Binary(AGE, INT(i % 50) - 10).Binary(COUNT, WORD(i % 1000));
  r.Binary(BIG, ULONGLONG(i) * 1000003ull).Binary(PRICE, double(i % 977) / 4);
  r.Date(1 + i % 28, 1 + i % 12, 1950 + i % 60).Sum((long long)(i % 5000) * 37 - 50000);
  r.Binary(RATE, float(i % 16) / 8);
  return r;
}

/// The sample table in an ISAM file of `records` records, made on first
/// use and kept for the run.
inline std::string SampleFile(UINT records) {
  static std::map<UINT, std::string> made;
  if (auto it = made.find(records); it != made.end())
    return it->second;
  const auto dir =
      std::filesystem::temp_directory_path() / ("vq_browse_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / ("sample" + std::to_string(records) + ".isa")).string();
  std::filesystem::remove(path);
  SampleTable table;
  const std::vector<ISAMIDT> idt = table.Idt();
  HISAMFILE file = nullptr;
  HISAMTABLE isam = nullptr;
  UINT detail = 0;
  EXPECT_EQ(ISAMCreate(&file, path.c_str(), &detail), 0u);
  EXPECT_EQ(ISAMCreateTable(file, "Sample", idt.data(), kKeys, kRecordSize, 1024), 0u);
  EXPECT_EQ(ISAMOpenTable(file, "Sample", &isam), 0u);
  EXPECT_EQ(ISAMBeginTransaction(file), 0u);
  for (UINT i = 0; i < records; ++i) {
    DWORD address = 0;
    const Record r = SampleRecord(i);
    EXPECT_EQ(ISAMInsertRecord(isam, r.bytes, kRecordSize, &address), 0u);
  }
  EXPECT_EQ(ISAMCommitTransaction(file), 0u);
  ISAMCloseTable(isam);
  ISAMClose(file, &detail);
  made[records] = path;
  return path;
}

/// Every cell the grid asked for since the last Clear, as it was answered.
struct PaintedCells {
  std::map<std::pair<UINT, UINT>, std::string> cells;
  PFNGRIDOWNERDATA forward = nullptr;
};

inline PaintedCells &Painted() {
  static PaintedCells p;
  return p;
}

inline BOOL CALLBACK RecordingCallback(UINT line, UINT column, char *buffer, UINT size,
                                       UINT *length, DWORD_PTR value) {
  const BOOL ok = Painted().forward(line, column, buffer, size, length, value);
  Painted().cells[{line, column}] = ok ? std::string(buffer, *length) : std::string("<failed>");
  return ok;
}

class BrowseTest : public GridTest {
protected:
  void SetUp() override {
    GridTest::SetUp();
    theTableEngine = kIsamTableEngine;
    grid = MakeGrid(600, 300);
    ASSERT_NE(grid, nullptr);
    Painted() = PaintedCells{};
  }
  void TearDown() override {
    theTableEngine = kIsamTableEngine;
    GridTest::TearDown();
  }

  /// A file description naming the sample file of `records` records with
  /// the sample table selected.
  void Describe(UINT records) {
    UINT position = 0;
    ASSERT_TRUE(file.InsertTable("Sample", &position));
    file.tables.tables[position] = SampleTable().desc;
    // Ten columns of a tenth of the width each: a width of 0 hides a column.
    for (UINT i = 0; i < kFields; ++i)
      file.tables.tables[position].fields.fields[i].dispWidth = 10;
    CopyText(file.fileName, sizeof file.fileName, SampleFile(records).c_str());
    file.curTable = position;
  }
  /// Describe, InitISAMFile (read only, own handles) and InitTable.
  void Open(CVQTableISAM &browser, UINT records) {
    Describe(records);
    ASSERT_EQ(browser.InitISAMFile(nullptr, nullptr, &file, 1), 1);
    ASSERT_EQ(browser.InitTable(parent, kGridId), 1);
  }
  /// Makes the grid report what it paints from now on.
  void RecordPaint() {
    Painted().forward = view->ownerCallback;
    view->ownerCallback = RecordingCallback;
  }
  /// Paints the grid with `top` as its top line; the cells painted.
  std::map<std::pair<UINT, UINT>, std::string> PaintAt(UINT top) {
    Painted().cells.clear();
    view->SetTopLine(top);
    InvalidateRect(grid, nullptr, TRUE);
    UpdateWindow(grid);
    return Painted().cells;
  }

  /// The records of `index` in the shown order that pass `sel`, read by
  /// the test's own handle.
  static std::vector<std::string> Expected(const std::string &path, UINT index, bool descending,
                                           const CVQTblSelDesc *sel, const CVQTableDesc &table) {
    std::vector<std::string> out;
    HISAMFILE f = nullptr;
    HISAMTABLE t = nullptr;
    UINT detail = 0;
    EXPECT_EQ(ISAMOpen(&f, path.c_str(), ISAM_MODE_READ, &detail), 0u);
    EXPECT_EQ(ISAMOpenTable(f, "Sample", &t), 0u);
    EXPECT_EQ(ISAMSetupIterationLimits(t, index, descending ? 16 : 0, nullptr, nullptr), 0u);
    char buffer[kRecordSize];
    DWORD address = 0;
    while (ISAMReadNextRecord(t, index, buffer, &address, 0) == 0)
      if (!sel || sel->testdata(&table, buffer, kRecordSize))
        out.emplace_back(buffer, kRecordSize);
    ISAMCloseTable(t);
    ISAMClose(f, &detail);
    return out;
  }
  /// The text field `column` of a record shows.
  static std::string Cell(const CVQTableDesc &table, const std::string &record, UINT column) {
    char text[256];
    UINT written = 0;
    if (!table.fields.fields[column].FormatData(text, sizeof text, &written, record.data(),
                                                kRecordSize))
      return "<failed>";
    return std::string(text, written);
  }

  HWND grid = nullptr;
  CVQFileDesc file;
};

} // namespace vqtest

#endif
