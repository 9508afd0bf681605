// Browsing the sample table through a real grid window: every painted cell
// against the records in index order, both directions, several indexes,
// with and without selections, on tables around the cache's sizes; the
// engine calls a line costs; no rebuild without a change; engine errors
// with their boxes; handles the host lent; the progress of long counts.
#include "browse_fixture.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>
#include <vqwin_seams.h>

#include <algorithm>
#include <functional>
#include <random>

namespace {

using namespace vqtest;

// Engine calls counted through the browser's seam.
struct Calls {
  UINT reads = 0, byAddress = 0, indexDescs = 0, limits = 0;
  std::vector<UINT> addressModes;
  UINT failReadAfter = ~0u; // reads that succeed before the seam fails one
  UINT failCode = ISAM_ERR_IO;
};
Calls &Counted() {
  static Calls c;
  return c;
}
UINT WINAPI CountRead(HISAMTABLE t, UINT i, void *b, DWORD *a, UINT r) {
  if (Counted().reads++ == Counted().failReadAfter)
    return Counted().failCode;
  return ISAMReadNextRecord(t, i, b, a, r);
}
UINT WINAPI CountByAddress(HISAMTABLE t, DWORD a, void *b, UINT s, UINT r) {
  ++Counted().byAddress;
  return ISAMReadRecordByAddress(t, a, b, s, r);
}
UINT WINAPI CountIndexDesc(HISAMTABLE t, UINT i, void *d) {
  ++Counted().indexDescs;
  return ISAMGetIndexDesc(t, i, d);
}
UINT WINAPI CountLimits(HISAMTABLE t, UINT i, UINT f, LPCVOID l, LPCVOID h) {
  ++Counted().limits;
  return ISAMSetupIterationLimits(t, i, f, l, h);
}
UINT WINAPI CountAddress(HISAMTABLE t, UINT i, UINT m, DWORD a, UINT r) {
  Counted().addressModes.push_back(m);
  return ISAMSetupIterationAddress(t, i, m, a, r);
}

void CountEngineCalls() {
  Counted() = Calls{};
  theTableEngine.ReadNextRecord = CountRead;
  theTableEngine.ReadRecordByAddress = CountByAddress;
  theTableEngine.GetIndexDesc = CountIndexDesc;
  theTableEngine.SetupIterationLimits = CountLimits;
  theTableEngine.SetupIterationAddress = CountAddress;
}

class Browse : public BrowseTest {
protected:
  // Shows index/direction under `sel` and checks the line count and every
  // cell painted with the top line at the start, a quarter, the middle and
  // the last page, then a few random lines read directly.
  void CheckBrowse(CVQTableISAM &b, UINT records, UINT index, UINT descending, CVQTblSelDesc *sel,
                   const std::string &row) {
    const CVQTableDesc &table = *b.tableDesc;
    const auto expected = Expected(SampleFile(records), index, descending, sel, table);
    ASSERT_EQ(b.DisplayTable(index, 0, descending), 1) << row;
    ASSERT_EQ(view->GetLineCount(), UINT(expected.size())) << row;
    RecordPaint();
    const UINT n = UINT(expected.size());
    for (UINT top : {0u, n / 4, n / 2, n > 10 ? n - 10 : 0u}) {
      const auto cells = PaintAt(top);
      if (n == 0) {
        EXPECT_TRUE(cells.empty()) << row;
        continue;
      }
      ASSERT_FALSE(cells.empty()) << row << " top " << top;
      for (const auto &[at, text] : cells) {
        ASSERT_LT(at.first, n) << row;
        ASSERT_EQ(text, Cell(table, expected[at.first], at.second))
            << row << " line " << at.first << " column " << at.second;
      }
      // Every field of the top line was painted.
      EXPECT_EQ(cells.count({view->GetTopLine(), kFields - 1}), 1u) << row << " top " << top;
    }
    std::mt19937 random(records + index);
    char text[256];
    for (int k = 0; k < 8 && n; ++k) {
      const UINT line = random() % n, column = random() % kFields;
      const UINT length = b.GetDataField(line, column, text, sizeof text);
      ASSERT_NE(length, ~0u) << row << " line " << line;
      EXPECT_EQ(std::string(text, length), Cell(table, expected[line], column))
          << row << " line " << line;
    }
  }
};

TEST_F(Browse, EveryPaintedCellShowsItsRecordInEveryOrder) {
  // Sizes around the 64 buffers and the 1024 line records of the cache.
  for (UINT records : {0u, 1u, 64u, 65u, 1024u, 1025u, 100000u}) {
    CVQTableISAM b;
    file = CVQFileDesc();
    Open(b, records);
    CVQTblSelDesc young, city;
    ASSERT_EQ(young.parse("age < 0", 7), 1);
    ASSERT_EQ(young.resolve(b.tableDesc), 1);
    ASSERT_EQ(city.parse("city = b* or plz > 50000", 24), 1);
    ASSERT_EQ(city.resolve(b.tableDesc), 1);
    const struct {
      CVQTblSelDesc *sel;
      UINT index;
      const char *what;
    } rows[] = {{nullptr, 0, "all by name"},
                {nullptr, 2, "all by plz"},
                {&young, 0, "young by name"},
                {&city, 1, "city by city"},
                {&city, 3, "city by born"}};
    for (const auto &r : rows) {
      if (records == 100000 && r.index == 3)
        continue; // the same walks as the other rows, at a tenth of the time
      const UINT passing =
          UINT(Expected(SampleFile(records), 0, false, r.sel, *b.tableDesc).size());
      EXPECT_EQ(b.SetSelection(r.sel), passing) << records << " " << r.what;
      for (UINT descending : {0u, 1u})
        CheckBrowse(b, records, r.index, descending, r.sel,
                    std::to_string(records) + " " + r.what + (descending ? " down" : " up"));
    }
  }
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(Browse, Line500Then499CostsOneStepBack) {
  const struct {
    UINT descending;
    const char *selection;
    UINT backMode;
  } rows[] = {{0, "", 28}, {1, "", 12}, {0, "age >= 0", 28}};
  for (const auto &row : rows) {
    CVQTableISAM b;
    file = CVQFileDesc();
    Open(b, 1025);
    CVQTblSelDesc sel;
    ASSERT_EQ(sel.parse(row.selection, UINT(std::strlen(row.selection))), 1);
    ASSERT_EQ(sel.resolve(b.tableDesc), 1);
    b.SetSelection(&sel);
    ASSERT_EQ(b.DisplayTable(0, 0, row.descending), 1);
    const auto expected = Expected(SampleFile(1025), 0, row.descending, &sel, *b.tableDesc);
    CountEngineCalls();
    char text[64];
    ASSERT_NE(b.GetDataField(500, NAME, text, sizeof text), ~0u);
    EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[500], NAME)) << row.selection;
    // Line 500 is nearer to the count's anchor on line 512 than to line 0.
    EXPECT_EQ(Counted().addressModes, std::vector<UINT>{row.backMode});
    // Every record read counts, passing or not: the records from line
    // 512's back to line 500's, then back to line 499's.
    const auto all = Expected(SampleFile(1025), 0, row.descending, nullptr, *b.tableDesc);
    auto position = [&](UINT line) {
      return UINT(std::find(all.begin(), all.end(), expected[line]) - all.begin());
    };
    EXPECT_EQ(Counted().reads, position(2 * kLineAnchorStride) - position(500)) << row.selection;
    Counted() = Calls{};
    ASSERT_NE(b.GetDataField(499, NAME, text, sizeof text), ~0u);
    EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[499], NAME));
    EXPECT_EQ(Counted().addressModes, std::vector<UINT>{row.backMode});
    EXPECT_EQ(Counted().reads, position(500) - position(499)) << row.selection;
    if (!*row.selection) {
      EXPECT_EQ(Counted().reads, 1u);
    }
    // Cached lines cost nothing: the current one, and one with its bytes.
    Counted() = Calls{};
    b.GetDataField(499, AGE, text, sizeof text);
    b.GetDataField(500, AGE, text, sizeof text);
    b.GetDataField(0, AGE, text, sizeof text);
    EXPECT_EQ(Counted().reads + Counted().byAddress + Counted().addressModes.size(), 0u);
    theTableEngine = kIsamTableEngine;
  }
}

TEST_F(Browse, KeyRangeCountsShowWhatFullScansShow) {
  const UINT records = 1025;
  CVQTableISAM b;
  Open(b, records);
  // The first and last names in key order limit the range at either end.
  const auto byName = Expected(SampleFile(records), 0, false, nullptr, *b.tableDesc);
  const std::string first = "name = " + Cell(*b.tableDesc, byName.front(), NAME);
  const std::string last = "name = " + Cell(*b.tableDesc, byName.back(), NAME);
  const struct {
    std::string selection;
    UINT index;
    bool limited;
  } rows[] = {
      {"name = N00*", 0, true},
      {"name = N01*1 and age > 3", 0, true},
      {first, 0, true},
      {last, 0, true},
      {"age > 3 and (name = N01* and city = b*)", 0, true},
      {"city = B*", 1, true}, // without case, on a key without case
      {"city = b* and count < 500", 1, true},
      {"price >= 100 and price < 150", 4, true},
      {"price = 12,25", 4, true},
      {"price <= 0", 4, true},
      {"name = N00* or age > 3", 0, false},
      {"name = *1", 0, false},
      {"city = *n", 1, false},
      {"plz = 10037", 2, false}, // digits as text: no byte order
      {"price > 300 and price < 100", 4, false},
  };
  for (const auto &row : rows) {
    CVQTblSelDesc sel;
    ASSERT_EQ(sel.parse(row.selection.c_str(), UINT(row.selection.size())), 1) << row.selection;
    ASSERT_EQ(sel.resolve(b.tableDesc), 1) << row.selection;
    b.SetSelection(&sel);
    ASSERT_EQ(b.DisplayTable((row.index + 1) % kKeys, 0, 0), 1);
    CountEngineCalls();
    ASSERT_EQ(b.DisplayTable(row.index, 0, 0), 1);
    // Half the cities start with a B.
    if (row.limited)
      EXPECT_LT(Counted().reads, records * 6 / 10) << row.selection;
    else
      EXPECT_GE(Counted().reads, records) << row.selection;
    theTableEngine = kIsamTableEngine;
    for (UINT descending : {0u, 1u})
      CheckBrowse(b, records, row.index, descending, &sel,
                  row.selection + (descending ? " down" : " up"));
  }
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(Browse, FarLinesAreWalkedToFromTheNearestAnchor) {
  for (UINT descending : {0u, 1u}) {
    CVQTableISAM b;
    file = CVQFileDesc();
    Open(b, 1025);
    ASSERT_EQ(b.DisplayTable(2, 0, descending), 1);
    const auto expected = Expected(SampleFile(1025), 2, descending, nullptr, *b.tableDesc);
    // Either end, anchors themselves, and lines between them, in an order
    // that keeps each far from the lines cached before it.
    for (UINT line : {1024u, 256u, 700u, 1000u, 128u, 383u, 900u}) {
      CountEngineCalls();
      char text[64];
      ASSERT_NE(b.GetDataField(line, NAME, text, sizeof text), ~0u) << line;
      EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[line], NAME)) << line;
      EXPECT_LE(Counted().reads, kLineAnchorStride / 2) << line;
      EXPECT_EQ(Counted().byAddress, line % kLineAnchorStride == 0 || line == 1024 ? 1u : 0u)
          << line;
      theTableEngine = kIsamTableEngine;
    }
  }
}

TEST_F(Browse, ALineWhoseBytesWerePushedOutIsReadByAddress) {
  CVQTableISAM b;
  Open(b, 1025);
  ASSERT_EQ(b.DisplayTable(2, 0, 0), 1);
  char text[64];
  for (UINT line = 1; line <= 70; ++line) // 71 lines known, 64 buffers
    ASSERT_NE(b.GetDataField(line, PLZ, text, sizeof text), ~0u);
  CountEngineCalls();
  const auto expected = Expected(SampleFile(1025), 2, false, nullptr, *b.tableDesc);
  ASSERT_NE(b.GetDataField(3, PLZ, text, sizeof text), ~0u);
  EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[3], PLZ));
  EXPECT_EQ(Counted().byAddress, 1u);
  EXPECT_EQ(Counted().reads, 0u);
}

TEST_F(Browse, DisplayTableRebuildsOnlyWhenSomethingChanged) {
  CVQTableISAM b;
  Open(b, 64);
  CountEngineCalls();
  ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
  EXPECT_EQ(Counted().indexDescs, 1u);
  Counted() = Calls{};
  ASSERT_EQ(b.DisplayTable(0, 7, 0), 1); // the second argument is not read
  EXPECT_EQ(Counted().indexDescs + Counted().reads + Counted().limits, 0u);
  ASSERT_EQ(b.DisplayTable(0, 0, 1), 1);
  EXPECT_EQ(Counted().indexDescs, 1u);
  // After SetSelection always, but on index 0 with SetSelection's count.
  char text[64];
  ASSERT_NE(b.GetDataField(40, NAME, text, sizeof text), ~0u);
  EXPECT_EQ(b.SetSelection(nullptr), 64u);
  Counted() = Calls{};
  ASSERT_EQ(b.DisplayTable(0, 0, 1), 1);
  EXPECT_EQ(Counted().indexDescs, 0u);
  EXPECT_EQ(Counted().limits, 1u); // the first line read afresh
  EXPECT_EQ(view->GetLineCount(), 64u);
  const auto expected = Expected(SampleFile(64), 0, true, nullptr, *b.tableDesc);
  Counted() = Calls{};
  ASSERT_NE(b.GetDataField(1, NAME, text, sizeof text), ~0u); // the cache was emptied
  EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[1], NAME));
  EXPECT_EQ(Counted().reads, 1u);
  // Another index is counted.
  EXPECT_EQ(b.SetSelection(nullptr), 64u);
  Counted() = Calls{};
  ASSERT_EQ(b.DisplayTable(2, 0, 0), 1);
  EXPECT_EQ(Counted().indexDescs, 1u);
}

TEST_F(Browse, EmptyResultsGiveAnEmptyGrid) {
  const struct {
    UINT records;
    const char *selection;
  } rows[] = {{0, ""}, {64, "name = nobody"}};
  for (const auto &row : rows) {
    CVQTableISAM b;
    file = CVQFileDesc();
    Open(b, row.records);
    CVQTblSelDesc sel;
    ASSERT_EQ(sel.parse(row.selection, UINT(std::strlen(row.selection))), 1);
    ASSERT_EQ(sel.resolve(b.tableDesc), 1);
    EXPECT_EQ(b.SetSelection(&sel), 0u);
    theLibrary.ClearCaptured();
    ASSERT_EQ(b.DisplayTable(1, 0, 0), 1) << row.selection;
    EXPECT_EQ(view->GetLineCount(), 0u);
    EXPECT_EQ(LinesOf(" CVQTableISAM "),
              std::vector<std::string>{"1 CVQTableISAM No isam data record in index tree 1"})
        << row.selection;
  }
}

TEST_F(Browse, CellsThatCannotBeMadeFailWithTheirReason) {
  CVQTableISAM b;
  Open(b, 65);
  ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
  char text[64];
  EXPECT_EQ(b.GetDataField(3, kFields, text, sizeof text), ~0u); // no such column
  EXPECT_TRUE(LinesOf(" CVQTableISAM ").empty());
  EXPECT_EQ(b.GetDataField(65, NAME, text, sizeof text), ~0u); // past the last line
  EXPECT_EQ(LinesOf(" CVQTableISAM "),
            std::vector<std::string>{"0 CVQTableISAM ISAM Error: No More Iteration Records."});
  // The failed walk overwrote the record buffer: the last line is read afresh.
  const auto expected = Expected(SampleFile(65), 0, false, nullptr, *b.tableDesc);
  ASSERT_NE(b.GetDataField(64, NAME, text, sizeof text), ~0u);
  EXPECT_EQ(std::string(text), Cell(*b.tableDesc, expected[64], NAME));
  EXPECT_EQ(TableItemCallback(0, 0, text, sizeof text, nullptr, 0), 0);
}

TEST_F(Browse, FindRecordGivesTheFirstPassingLineAtOrAfterTheStart) {
  CVQTableISAM b;
  Open(b, 1024);
  ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
  CVQTblSelDesc search;
  ASSERT_EQ(search.parse("age = 7 and city = kiel", 23), 1);
  ASSERT_EQ(search.resolve(b.tableDesc), 1);
  const auto expected = Expected(SampleFile(1024), 0, false, nullptr, *b.tableDesc);
  std::vector<UINT> passing;
  for (UINT i = 0; i < expected.size(); ++i)
    if (search.testdata(b.tableDesc, expected[i].data(), kRecordSize))
      passing.push_back(i);
  ASSERT_GE(passing.size(), 2u);
  EXPECT_EQ(b.FindRecord(&search, 0), passing[0]);
  EXPECT_EQ(b.FindRecord(&search, passing[0]), passing[0]);
  EXPECT_EQ(b.FindRecord(&search, passing[0] + 1), passing[1]);
  EXPECT_EQ(b.FindRecord(&search, passing.back() + 1), ~0u);
  EXPECT_EQ(b.FindRecord(nullptr, 0), ~0u);
}

TEST_F(Browse, EngineErrorsShowTheirBoxAndFail) {
  // Each row fails one read; the engine's box names the call and the file.
  const std::string count = "0 CVQTableISAM Cannot inquire the number of records.";
  const struct {
    UINT failReadAfter;
    std::function<int(CVQTableISAM &)> run;
    int result;
    std::vector<std::string> log;
  } rows[] = {
      {3, [](CVQTableISAM &b) { return int(b.SetSelection(nullptr)); }, 0, {}},
      // 65 records and the end counted, then the first line is read.
      {66, [](CVQTableISAM &b) { return b.DisplayTable(0, 0, 1); }, 0, {}},
      {65, [](CVQTableISAM &b) { return b.DisplayTable(0, 0, 0); }, 0, {count}},
      {0,
       [](CVQTableISAM &b) {
         char t[32];
         return int(b.GetDataField(9, 0, t, sizeof t));
       },
       -1,
       {}},
  };
  const std::string box = "Fehler 1011 bei ISAMReadNextRecord:\nFehler beim Lesen oder "
                          "Schreiben der Datei.\n\nDatei: " +
                          SampleFile(65);
  for (const auto &row : rows) {
    CVQTableISAM b;
    file = CVQFileDesc();
    Open(b, 65);
    if (row.failReadAfter == 0) {
      ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
    }
    CountEngineCalls();
    Counted().failReadAfter = row.failReadAfter;
    vqwinClearMessageBoxRecords();
    theLibrary.ClearCaptured();
    EXPECT_EQ(row.run(b), row.result) << "after " << row.failReadAfter;
    EXPECT_EQ(LinesOf(" CVQTableISAM "), row.log) << "after " << row.failReadAfter;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << "after " << row.failReadAfter;
    EXPECT_EQ(boxes[0].caption, "ISAM-Fehler");
    EXPECT_EQ(boxes[0].text, box) << "after " << row.failReadAfter;
    theTableEngine = kIsamTableEngine;
  }
  // A DisplayTable that failed is tried again by the same call.
  CVQTableISAM b;
  file = CVQFileDesc();
  Open(b, 65);
  CountEngineCalls();
  Counted().failReadAfter = 0;
  EXPECT_EQ(b.DisplayTable(0, 0, 0), 0);
  theTableEngine = kIsamTableEngine;
  EXPECT_EQ(b.DisplayTable(0, 0, 0), 1);
  EXPECT_EQ(view->GetLineCount(), 65u);
}

TEST_F(Browse, InitISAMFileFailsCleanly) {
  CVQTableISAM b;
  EXPECT_EQ(b.InitISAMFile(nullptr, nullptr, &file, 1), 0);
  Describe(1);
  file.curTable = 5;
  EXPECT_EQ(b.InitISAMFile(nullptr, nullptr, &file, 1), 0);
  EXPECT_EQ(LinesOf(" CVQTableISAM "),
            (std::vector<std::string>{"0 CVQTableISAM No table selected on InitISAMFile.",
                                      "0 CVQTableISAM Cannot access table 5 on InitISAMFile."}));
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());

  file.curTable = 0;
  CopyText(file.fileName, sizeof file.fileName, "/nonexistent/none.isa");
  EXPECT_EQ(b.InitISAMFile(nullptr, nullptr, &file, 1), 0);
  CopyText(file.fileName, sizeof file.fileName, SampleFile(1).c_str());
  CopyText(file.tables.tables[0].name, 32, "Missing");
  EXPECT_EQ(b.InitISAMFile(nullptr, nullptr, &file, 1), 0);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Fehler 1003 bei ISAMOpen:\nDie Datei existiert nicht.\n\n"
                           "Datei: /nonexistent/none.isa");
  EXPECT_EQ(boxes[1].text, "Fehler 1015 bei ISAMOpenTable:\nDie Tabelle existiert nicht.\n\n"
                           "Datei: " +
                               SampleFile(1));
  EXPECT_EQ(b.fileHandle, nullptr);
  EXPECT_EQ(b.ownFile, 0);
  EXPECT_EQ(b.ownTable, 0);
}

TEST_F(Browse, HandlesTheHostLentStayOpen) {
  Describe(64);
  HISAMFILE f = nullptr;
  HISAMTABLE t = nullptr;
  UINT detail = 0, size = 0;
  ASSERT_EQ(ISAMOpen(&f, file.fileName, ISAM_MODE_READ, &detail), 0u);
  ASSERT_EQ(ISAMOpenTable(f, "Sample", &t), 0u);
  HISAMTABLE ownTable = nullptr;
  {
    CVQTableISAM both;
    ASSERT_EQ(both.InitISAMFile(f, t, &file, 1), 1);
    EXPECT_EQ(both.ownFile + both.ownTable, 0);
    ASSERT_EQ(both.InitTable(parent, kGridId), 1);
    ASSERT_EQ(both.DisplayTable(0, 0, 0), 1);
    EXPECT_EQ(both.CloseTable(), 1);
    EXPECT_EQ(ISAMGetDataRecSize(t, &size), 0u);
    // The file alone: the browser opens the table and closes only that.
    CVQTableISAM fileOnly;
    ASSERT_EQ(fileOnly.InitISAMFile(f, nullptr, &file, 1), 1);
    EXPECT_EQ(fileOnly.ownFile, 0);
    EXPECT_EQ(fileOnly.ownTable, 1);
    ownTable = fileOnly.tableHandle;
  }
  EXPECT_EQ(ISAMGetDataRecSize(t, &size), 0u);
  EXPECT_EQ(size, kRecordSize);
  EXPECT_EQ(ISAMGetDataRecSize(ownTable, &size), UINT(ISAM_ERR_HANDLE));
  EXPECT_EQ(ISAMCloseTable(t), 0u);
  EXPECT_EQ(ISAMClose(f, &detail), 0u);
  // What the browser opened itself it closes, and it leaves the grid empty.
  CVQTableISAM own;
  Open(own, 64);
  ASSERT_EQ(own.DisplayTable(0, 0, 0), 1);
  void *table = own.tableHandle;
  EXPECT_EQ(own.CloseTable(), 1);
  EXPECT_EQ(ISAMGetDataRecSize(table, &size), UINT(ISAM_ERR_HANDLE));
  EXPECT_EQ(view->GetLineCount(), 0u);
  EXPECT_STREQ(own.fileName, "");
  EXPECT_TRUE(vqwin::MessageBoxRecords().empty());
}

TEST_F(Browse, ABrowserDestroyedBeforeItsGridLeavesNoCallback) {
  {
    CVQTableISAM b;
    Open(b, 65);
    ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
  }
  EXPECT_EQ(view->ownerCallback, nullptr);
  InvalidateRect(grid, nullptr, TRUE);
  UpdateWindow(grid); // would call into the destroyed browser
  // And a grid destroyed before its browser is not touched.
  CVQTableISAM b;
  Open(b, 65);
  ASSERT_EQ(b.DisplayTable(0, 0, 0), 1);
  DestroyWindow(grid);
  EXPECT_EQ(b.CloseTable(), 1);
}

// The clock moves 40 ms at every reading, so a long count crosses the
// quarter second many times.
ULONGLONG g_ticks = 0;
ULONGLONG Ticks(void *) { return g_ticks += 40; }
LONGLONG Utc(void *) { return 0; }
LONG Offset(LONGLONG, void *) { return 0; }

struct ProgressLog {
  std::vector<std::pair<UINT, UINT>> calls;
  std::vector<ULONGLONG> times;
  bool waitCursor = true;
};
void CALLBACK OnProgress(UINT visited, UINT total, DWORD_PTR value) {
  auto *log = reinterpret_cast<ProgressLog *>(value);
  log->calls.emplace_back(visited, total);
  log->times.push_back(g_ticks);
  log->waitCursor = log->waitCursor && GetCursor() == LoadCursorA(nullptr, IDC_WAIT);
}

TEST_F(Browse, LongCountsReportProgressUnderTheWaitCursor) {
  CVQTableISAM b;
  Open(b, 100000);
  CVQTblSelDesc sel;
  ASSERT_EQ(sel.parse("age < 0", 7), 1);
  ASSERT_EQ(sel.resolve(b.tableDesc), 1);
  const UINT quiet = b.SetSelection(&sel);
  const VQWIN_CLOCK clock{Utc, Offset, Ticks, nullptr};
  VqwinSetClock(&clock);
  ProgressLog log;
  const HCURSOR before = SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  b.SetProgressCallback(OnProgress, reinterpret_cast<DWORD_PTR>(&log));
  EXPECT_EQ(b.SetSelection(&sel), quiet);
  ASSERT_EQ(b.DisplayTable(1, 0, 1), 1); // another index: a second count
  VqwinSetClock(nullptr);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  SetCursor(before);
  ASSERT_GE(log.calls.size(), 4u);
  EXPECT_TRUE(log.waitCursor);
  UINT closes = 0;
  for (size_t i = 0; i < log.calls.size(); ++i) {
    EXPECT_EQ(log.calls[i].second, 100000u);
    EXPECT_LE(log.calls[i].first, 100000u);
    if (log.calls[i].first == 100000u) {
      ++closes;
      continue;
    }
    if (i > 0 && log.calls[i - 1].first != 100000u) {
      EXPECT_GT(log.calls[i].first, log.calls[i - 1].first);
      EXPECT_GE(log.times[i] - log.times[i - 1], 250u);
    }
  }
  EXPECT_EQ(closes, 2u); // one per count
  EXPECT_EQ(log.calls.back(), std::make_pair(100000u, 100000u));
  // A short count says nothing.
  log = ProgressLog{};
  CVQTableISAM small;
  file = CVQFileDesc();
  Open(small, 65);
  small.SetProgressCallback(OnProgress, reinterpret_cast<DWORD_PTR>(&log));
  EXPECT_EQ(small.SetSelection(nullptr), 65u);
  EXPECT_TRUE(log.calls.empty());
}

} // namespace
