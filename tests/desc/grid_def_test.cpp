// The column definition classes against a recording grid: the calls that
// put columns into a grid, the failures with their boxes and log lines,
// and grid column lines through the configuration editor and reader.
#include "desc_fixture.h"
#include "recording_grid.h"

#include <cstdio>
#include <functional>
#include <fstream>
#include <sstream>

namespace {

using vqtest::CreateRecordingGridWindow;
using vqtest::RecordingGrid;
using Calls = std::vector<std::string>;

constexpr UINT kGridId = 300;

class GridColumns : public vqtest::DescTest {
protected:
  void SetUp() override {
    DescTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VqGridTestDialog";
    RegisterClassA(&wc);
    dialog = CreateWindowExA(0, "VqGridTestDialog", "", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    grid = CreateRecordingGridWindow(dialog, kGridId, &recorder);
    bare = CreateRecordingGridWindow(dialog, kGridId + 1, nullptr);
    ASSERT_NE(grid, nullptr);
  }

  // A configuration text read from a file, as hosts load it.
  void Load(const std::string &text) {
    const std::string path = testing::TempDir() + "grid_columns.cfg";
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_TRUE(config.Read(path.c_str(), TRUE, TRUE));
  }

  HWND dialog = nullptr, grid = nullptr, bare = nullptr;
  RecordingGrid recorder;
  CVQConfFile config;
};

const SGridColDef kColumns[] = {
    {GCK_TEXT, 0, 0, 1, 11, 40, 2200},
    {GCK_EDIT, GCF_EDITONCLICK | GCF_GROUPDIGITS, 2, 1, 12, 60, 59999},
};

TEST_F(GridColumns, DefPutsStyleColumnsAndResourceHeadersIntoTheGrid) {
  CGridDef def(&theLibrary, kGridId, kColumns, 2, 0x19);
  ASSERT_TRUE(def.DispColHeaders(dialog, TRUE));
  EXPECT_EQ(def.hGrid, grid);
  EXPECT_EQ(def.pGrid, &recorder);
  const Calls expected = {
      "DeleteAllItems(0)",
      "SetStyle(25)",
      "SetColumnCount(2, 0)",
      "SetColumnHeader(0, 40, 0, \"Text\", 0)",
      "SetColumnType(0, 0, 11, 0)",
      // A string the resource module lacks shows its number.
      "SetColumnHeader(1, 60, 2, \"<59999>\", 0)",
      "SetColumnType(1, 4, 12, 9)",
  };
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_TRUE(GetUpdateRect(grid, nullptr, FALSE)) << "the grid is repainted";

  // Without `clear` the lines stay; the grid id -1 takes the window itself.
  recorder.calls.clear();
  def.ctrlId = ~0u;
  def.style = 0x1B;
  ASSERT_TRUE(def.DispColHeaders(grid, FALSE));
  EXPECT_EQ(recorder.calls.front(), "SetStyle(27)");
  EXPECT_EQ(recorder.CallsOf("DeleteAllItems").size(), 0u);

  recorder.calls.clear();
  EXPECT_TRUE(def.InsertItem(4, 77));
  EXPECT_TRUE(def.DeleteItem(3, TRUE));
  EXPECT_TRUE(def.SetItemRes(2, 1, 2402));
  EXPECT_TRUE(def.SetItemRes(2, 0, 59998));
  const Calls forwarded = {"InsertItem(4, 77, 0)", "DeleteItem(3, 1)",
                           "SetItemText(2, 1, \"Rechts\")", "SetItemText(2, 0, \"<59998>\")"};
  EXPECT_EQ(recorder.calls, forwarded);
  ExpectNoBox("forwarding");
}

template <typename Columns> BOOL Disp(Columns &columns, UINT controlId, HWND window) {
  columns.ctrlId = controlId;
  return columns.DispColHeaders(window, TRUE);
}

TEST_F(GridColumns, FailuresShowTheirNumberedBoxAndLogLine) {
  CGridDef def(&theLibrary, kGridId, kColumns, 2, 0x19);
  CGridDesc desc(&theLibrary, kGridId, 0, 0x19);
  CGridDef noLib(nullptr, kGridId, kColumns, 2, 0x19);
  noLib.pGrid = &recorder;
  const struct {
    const char *name;
    std::function<BOOL()> call;
    UINT code;
    const char *box;
    const char *log; // nullptr: nothing logged
  } rows[] = {
      {"def: no control", [&] { return Disp(def, 999, dialog); }, 900,
       "Das Steuerelement mit der Kennung 999 wurde nicht gefunden.",
       "0 CGridDef Control id 999 not found."},
      {"def: no interface", [&] { return Disp(def, kGridId + 1, dialog); }, 901,
       "Die Tabellenansicht liefert keine Schnittstelle; das Fenster ist kein Gitter.",
       "0 CGridDef Cannot inquire the grid control instance pointer."},
      {"def: insert", [&] { return def.InsertItem(5, 0); }, 910,
       "Die Zeile 5 kann nicht eingef\xFCgt werden: Die Spalten wurden noch keinem Gitter "
       "zugeordnet.",
       "0 CGridDef Cannot insert item 5 into grid: pGrid = NULL."},
      {"def: delete", [&] { return def.DeleteItem(6, TRUE); }, 911,
       "Die Zeile 6 kann nicht gel\xF6scht werden: Die Spalten wurden noch keinem Gitter "
       "zugeordnet.",
       "0 CGridDef Cannot delete item 6 in grid: pGrid = NULL."},
      {"def: set text without context", [&] { return noLib.SetItemRes(1, 2, 2400); }, 920,
       "Der Text der Zelle (1,2) kann nicht gesetzt werden: Gitter oder Bibliothekskontext "
       "fehlen.",
       nullptr},
      {"desc: no control", [&] { return Disp(desc, 7, dialog); }, 1000,
       "Das Steuerelement mit der Kennung 7 wurde nicht gefunden.",
       "0 CGridDesc Control id 7 not found"},
      {"desc: no interface", [&] { return Disp(desc, ~0u, bare); }, 1001,
       "Die Tabellenansicht liefert keine Schnittstelle; das Fenster ist kein Gitter.",
       "0 CGridDesc Cannot inquire the grid control instance pointer"},
      {"desc: insert", [&] { return desc.InsertItem(8, 1); }, 1010,
       "Die Zeile 8 kann nicht eingef\xFCgt werden: Die Spalten wurden noch keinem Gitter "
       "zugeordnet.",
       "0 CGridDesc InsertItem(8): NULL-pointer in pGrid"},
      {"desc: set text", [&] { return desc.SetItemRes(3, 4, 2400); }, 1011,
       "Der Text der Zelle (3,4) kann nicht gesetzt werden: Gitter oder Bibliothekskontext "
       "fehlen.",
       "0 CGridDesc SetItemRes(3,4): NULL-pointer in pGrid or pLib found"},
  };
  for (const auto &r : rows) {
    Clear();
    EXPECT_FALSE(r.call()) << r.name;
    ExpectOneBox(r.code, r.box, r.name);
    const Calls logged = Logged();
    EXPECT_EQ(logged, r.log ? Calls{r.log} : Calls{}) << r.name;
  }
  // The window is kept, the interface is not.
  EXPECT_EQ(desc.hGrid, bare);
  EXPECT_EQ(desc.pGrid, nullptr);
  EXPECT_TRUE(recorder.calls.empty());
}

// The GridColumn lines of one block, as ParseDesc reads them and EditDesc
// writes them back (text behind the keyword, the editor's padding removed).
TEST_F(GridColumns, DescLinesRoundTripThroughEditorAndReader) {
  const struct {
    const char *name;
    const char *line;    // read
    const char *written; // written back
    SGridColDesc column; // id and headerString are checked apart
  } rows[] = {
      {"only the texts",
       "\"J\", \"Head\"",
       "0, 0x00, 0, 0,  0, 0x000000, 0x000000, 0x000000, 0x000000, \"J\", \"Head\"",
       {0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, "Head", "J"}},
      {"colours without their flags",
       "4, 0x01, 2, 1, 30, 0x112233, 0x445566, 0x778899, 0xAABBCC, \"Nr*\", \"Nummer\"",
       "4, 0x01, 2, 1, 30, 0x000000, 0x000000, 0x000000, 0x000000, \"Nr*\", \"Nummer\"",
       {4, 1, 2, 1, 0, 30, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, "Nummer", "Nr*"}},
      {"back colours",
       "5, 0x10, 1, 0, 100, 0x112233, 0x445566, 0x778899, 0xAABBCC, \"a\", \"b\"",
       "5, 0x10, 1, 0, 100, 0x112233, 0x000000, 0x778899, 0x000000, \"a\", \"b\"",
       {5, 0x10, 1, 0, 0, 100, 0, 0x332211, 0, 0x998877, 0, "b", "a"}},
      {"a tab inside the texts",
       "\"J\t\", \"Head\tline\"",
       "0, 0x00, 0, 0,  0, 0x000000, 0x000000, 0x000000, 0x000000, \"J\t\", \"Head\tline\"",
       {0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0, 0xFFFFFF, 0, "Head\tline", "J\t"}},
      {"text colours and a quote",
       "6, 0x20, 0, 0, 5, 0x112233, 0x445566, 0x778899, 0xAABBCC, \"x\", \"say \"\"hi\"\"\"",
       "6, 0x20, 0, 0,  5, 0x000000, 0x445566, 0x000000, 0xAABBCC, \"x\", \"say \"\"hi\"\"\"",
       {6, 0x20, 0, 0, 0, 5, 0, 0xFFFFFF, 0x665544, 0xFFFFFF, 0xCCBBAA, "say \"hi\"", "x"}},
  };
  for (const auto &r : rows) {
    Load(std::string("Grid:\r\nSortColumn: 3, 1\r\nGridColumn: ") + r.line + "\r\nGrid: END\r\n");
    ASSERT_TRUE(config.SelectBlock("GRID")) << r.name;
    CGridDesc desc(&theLibrary, kGridId, 0, 0);
    ASSERT_TRUE(desc.ParseDesc(config, "ignored")) << r.name;
    config.LeaveBlock();
    ASSERT_EQ(desc.colCount, 1u) << r.name;
    EXPECT_EQ(desc.sortColumn1, 3u) << r.name;
    EXPECT_EQ(desc.sortColumn2, 1u) << r.name;
    const SGridColDesc &c = desc.colDescs[0], &e = r.column;
    EXPECT_EQ(std::vector<UINT>({c.kind, c.flags, c.justify, c.spare, c.width}),
              std::vector<UINT>({e.kind, e.flags, e.justify, e.spare, e.width}))
        << r.name;
    EXPECT_EQ(std::vector<COLORREF>({c.backEven, c.text, c.backOdd, c.text2}),
              std::vector<COLORREF>({e.backEven, e.text, e.backOdd, e.text2}))
        << r.name;
    EXPECT_STREQ(c.header, e.header) << r.name;
    EXPECT_STREQ(c.joker, e.joker) << r.name;
    EXPECT_EQ(c.id, kGridId) << r.name;
    EXPECT_EQ(c.headerString, ~0u) << r.name;

    CVQConfFile out;
    ASSERT_TRUE(out.StartEdit(4096, 8, 32, 24, 80, 104));
    EXPECT_TRUE(desc.EditDesc(out, "Grid:"));
    const std::string path = testing::TempDir() + "grid_columns_out.cfg";
    ASSERT_TRUE(out.WriteEdit(path.c_str(), TRUE)) << r.name;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string pad(24 - 11, ' ');
    EXPECT_EQ(text.str(), "Grid:\r\nSortColumn:" + std::string(24 - 11, ' ') + "3, 1\r\n;\r\n" +
                              "GridColumn:" + pad + r.written +
                              "\r\nGrid:" + std::string(24 - 5, ' ') + "END\r\n")
        << r.name;

    // What was written reads back to the same record.
    ASSERT_TRUE(config.Read(path.c_str(), TRUE, TRUE));
    ASSERT_TRUE(config.SelectBlock("GRID"));
    CGridDesc again(&theLibrary, kGridId, 0, 0);
    ASSERT_TRUE(again.ParseDesc(config, nullptr)) << r.name;
    EXPECT_EQ(again.colDescs[0].backEven, c.flags & GCF_BACKCOLORS ? c.backEven : 0xFFFFFFu);
    EXPECT_STREQ(again.colDescs[0].header, c.header) << r.name;
  }
  ExpectNoBox("round trips");
}

TEST_F(GridColumns, BadDescLinesFailWithTheirMessageAndLeaveNoColumns) {
  const struct {
    const char *name;
    const char *lines;
    UINT code;
    const char *box;
    Calls log;
  } rows[] = {
      {"empty joker before empty header",
       "GridColumn: 1, \"\", \"\"",
       1021,
       "In der Spaltenbeschreibung GRIDCOLUMN(0) fehlt der Jokername.",
       {"0 CGridDesc Joker name ist empty in grid column GRIDCOLUMN(0)",
        "0 CGridDesc Error on reading an object definition"}},
      {"empty header in the second line",
       "GridColumn: \"a\", \"b\"\r\nGridColumn: 0, 0, \"a\", \"\"",
       1022,
       "In der Spaltenbeschreibung GRIDCOLUMN(1) fehlt der Spaltentitel.",
       {"0 CGridDesc Header text is empty in grid column GRIDCOLUMN(1)",
        "0 CGridDesc Error on reading an object definition"}},
      {"one text only",
       "GridColumn: 1, 2, \"a\"",
       1020,
       "Die Spaltenbeschreibung GRIDCOLUMN(0) ist fehlerhaft.",
       {"0 CGridDesc Error 9 on parsing keyword GRIDCOLUMN(0)",
        "0 CGridDesc Error on reading an object definition"}},
      {"a kind beyond a byte",
       "GridColumn: 256, 0, \"a\", \"b\"",
       1020,
       "Die Spaltenbeschreibung GRIDCOLUMN(0) ist fehlerhaft.",
       {"0 CGridDesc Error 6 on parsing keyword GRIDCOLUMN(0)",
        "0 CGridDesc Error on reading an object definition"}},
      {"CR in the header",
       "GridColumn: \"a\", \"\r h\"",
       1020,
       "Die Spaltenbeschreibung GRIDCOLUMN(0) ist fehlerhaft.",
       {"0 CGridDesc Error 11 on parsing keyword GRIDCOLUMN(0)",
        "0 CGridDesc Error on reading an object definition"}},
      {"CR in the joker",
       "GridColumn: \"a\r\", \"h\"",
       1020,
       "Die Spaltenbeschreibung GRIDCOLUMN(0) ist fehlerhaft.",
       {"0 CGridDesc Error 11 on parsing keyword GRIDCOLUMN(0)",
        "0 CGridDesc Error on reading an object definition"}},
      {"no column lines",
       "SortColumn: 2",
       1030,
       "Die Konfigurationsdatei enth\xE4lt keine Zeile \"GRIDCOLUMN\".",
       {}},
  };
  for (const auto &r : rows) {
    Load(std::string("Good:\r\nSortColumn: 4, 5\r\nGridColumn: \"j\", \"h\"\r\nGood: END\r\n") +
         "Grid:\r\n" + r.lines + "\r\nGrid: END\r\n");
    CGridDesc desc(&theLibrary, ~0u, 0, 0);
    ASSERT_TRUE(config.SelectBlock("GOOD"));
    ASSERT_TRUE(desc.ParseDesc(config, "")) << r.name; // an earlier read had a column
    config.LeaveBlock();
    ASSERT_EQ(desc.colCount, 1u);
    EXPECT_EQ(desc.colDescs[0].id, 0u) << "a grid without control id gives id 0";
    ASSERT_TRUE(config.SelectBlock("GRID"));
    Clear();
    EXPECT_FALSE(desc.ParseDesc(config, "")) << r.name;
    EXPECT_EQ(desc.colCount, 0u) << r.name;
    EXPECT_EQ(desc.colAlloc, 0u) << r.name;
    EXPECT_EQ(desc.colDescs, nullptr) << r.name;
    ExpectOneBox(r.code, r.box, r.name);
    Calls log = r.log;
    if (r.code == 1030)
      log = {"0 CGridDesc No keywords \"GRIDCOLUMN\" found in configuration file " +
             std::string(config.GetFileName())};
    EXPECT_EQ(Logged(), log) << r.name;
    // The sort numbers read before the failure stay.
    EXPECT_EQ(desc.sortColumn1, r.code == 1030 ? 2u : 0u) << r.name;
  }
}

TEST_F(GridColumns, DescPutsLiteralHeadersAndFlaggedColoursIntoTheGrid) {
  Load(
      "GridColumn: 0, 0, 0, 0, 50, \"a\", \"Plain\"\r\n"
      "GridColumn: 4, 0x31, 2, 0, 50, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456, \"b\", \"Both\"\r\n");
  CGridDesc desc(&theLibrary, kGridId, 0, 0x19);
  ASSERT_TRUE(desc.ParseDesc(config, nullptr));
  ASSERT_TRUE(desc.DispColHeaders(dialog, FALSE));
  const Calls expected = {
      "SetStyle(25)",
      "SetColumnCount(2, 0)",
      "SetColumnHeader(0, 50, 0, \"Plain\", 0)",
      "SetColumnType(0, 0, 300, 0)",
      "SetColumnHeader(1, 50, 2, \"Both\", 0)",
      "SetColumnType(1, 4, 300, 49)",
      "SetColumnColors4(1, 0xFF0000, 0x0000FF, 0x00FF00, 0x563412, 0)",
  };
  EXPECT_EQ(recorder.calls, expected);
  EXPECT_TRUE(desc.InsertItem(0, 9));
  EXPECT_TRUE(desc.SetItemRes(0, 1, 2401));
  EXPECT_EQ(recorder.calls.back(), "SetItemText(0, 1, \"Zentriert\")");
  desc.FreeDesc();
  EXPECT_EQ(desc.colCount, 0u);
  EXPECT_EQ(desc.colDescs, nullptr);
}

} // namespace
