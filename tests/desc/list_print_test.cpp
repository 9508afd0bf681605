// The printed field list read back from its PDF: pdftotext -layout for the
// lines and their order, pdftotext -bbox for where the column headers and
// values stand. The clock is fixed, so every page header is known.
#include "desc_fixture.h"

#include "../common/pdf_text.h"

#include <vqwin_print.h>
#include <vqwin_seams.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

using namespace vqtest;

// 2024-03-05 06:08:09 UTC, an hour ahead locally: single-digit fields show
// their padding.
constexpr LONGLONG kNow = 1709618889000;
constexpr char kHeaderDE[] = "Satzstruktur einer ISAM-Datei - Feldliste";

// The layer's printer: 300 dpi A4 with a border of 50 dots; the print area
// lies 15 mm inside the sheet's edges.
constexpr int kDpi = 300, kBorder = 50, kLeft = 177 - kBorder, kRight = 2480 - 177 - kBorder;

double ToPoints(int device) { return (device + kBorder) * 72.0 / kDpi; }

// The twelve stops in device units, each step rounded down on its own.
std::vector<int> Stops() {
  const int steps[12] = {3, 1, 17, 17, 7, 1, 9, 8, 8, 9, 9, 11};
  std::vector<int> out;
  int stop = kLeft;
  for (int s : steps)
    out.push_back(stop += (kRight - kLeft) * s / 100);
  return out;
}

std::vector<std::string> Rows(const std::string &page) {
  std::vector<std::string> rows;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);)
    rows.push_back(line);
  return rows;
}

// The first row holding every cell, in this order and apart; -1 when none.
int RowWith(const std::vector<std::string> &rows, const Calls &cells) {
  for (size_t r = 0; r < rows.size(); ++r) {
    size_t at = 0;
    bool all = true;
    for (const std::string &cell : cells) {
      at = rows[r].find(cell, at);
      if (at == std::string::npos || (at > 0 && rows[r][at - 1] != ' ')) {
        all = false;
        break;
      }
      at += cell.size();
    }
    if (all)
      return static_cast<int>(r);
  }
  return -1;
}

int RowOf(const std::vector<std::string> &rows, const std::string &text) {
  return RowWith(rows, {text});
}

using Word = PdfWord;

// The words on the baseline of `anchor`'s n-th appearance on `page`, left to right.
std::vector<Word> LineOfWords(const std::vector<Word> &words, int page, const std::string &anchor,
                              int nth = 0) {
  double y = -1;
  for (const Word &w : words)
    if (w.page == page && w.text == anchor && nth-- == 0) {
      y = w.yMin;
      break;
    }
  std::vector<Word> line;
  for (const Word &w : words)
    if (w.page == page && std::fabs(w.yMin - y) < 0.5)
      line.push_back(w);
  std::sort(line.begin(), line.end(), [](const Word &a, const Word &b) { return a.xMin < b.xMin; });
  return line;
}

void AddField(CVQTableDesc &t, const char *name, UINT offset, UINT size, UINT encode, UINT width) {
  UINT at = ~0u;
  ASSERT_EQ(t.InsertField(name, &at), 1) << name;
  CVQFieldDesc &f = t.fields.fields[at];
  f.offset = offset;
  f.size = size;
  f.encodeType = encode;
  f.dispWidth = width;
}

class FieldListPrint : public DescTest {
protected:
  void SetUp() override {
    DescTest::SetUp();
    const VQWIN_CLOCK clock{[](void *) { return kNow; },
                            [](LONGLONG, void *) { return LONG(3600); },
                            [](void *) { return ULONGLONG(1); }, nullptr};
    VqwinSetClock(&clock);
    path = testing::TempDir() + "desc_print_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + ".pdf";
    std::remove(path.c_str());
    ASSERT_TRUE(vqwinSetPrintOutput(path.c_str()));
  }
  void TearDown() override {
    vqwinSetPrintOutput(nullptr);
    VqwinSetClock(nullptr);
    // Kept on failure, or when VQ_KEEP_PRINTS is set, for a look at the pages.
    if (!HasFailure() && !std::getenv("VQ_KEEP_PRINTS"))
      std::remove(path.c_str());
    DescTest::TearDown();
  }
  static CVQTableDesc Sample() {
    CVQFileDesc file;
    const std::string sample = std::string(VQ_SAMPLES_DIR) + "/kunden.cfg";
    EXPECT_EQ(file.InitDescEdit(nullptr, sample.c_str(), FALSE), 1);
    EXPECT_GE(file.tables.count, 1u);
    return file.tables.count ? file.tables.tables[0] : CVQTableDesc();
  }
  /// Every page has the header line with the fixed date, time and its number.
  void ExpectPageHeaders(const std::vector<std::string> &pages, const char *header) {
    for (size_t p = 0; p < pages.size(); ++p) {
      const auto rows = Rows(pages[p]);
      // pdftotext -layout shows the three blanks between them as one.
      const Calls stamp = {header, "05.03.2024", "07:08:09", "Seite " + std::to_string(p + 1)};
      EXPECT_EQ(RowWith(rows, stamp), 0) << "page " << p + 1 << ":\n" << pages[p];
    }
  }
  std::string path;
};

TEST_F(FieldListPrint, SampleTableShowsTitleColumnsFieldsAndSummary) {
  const CVQTableDesc table = Sample();
  ASSERT_EQ(table.fields.count, 10u);
  ASSERT_EQ(table.PrintFieldList(nullptr), 1);
  EXPECT_EQ(vqwinGetLastPrintPages(), 1u);
  const auto pages = PdfPages(path);
  ASSERT_EQ(pages.size(), 1u);
  ExpectPageHeaders(pages, kHeaderDE);
  const auto rows = Rows(pages[0]);
  const int file = RowOf(rows, "ISAM-Datei:"), name = RowWith(rows, {"Tabelle:", "Kunden"}),
            columns = RowWith(rows, {"Nr", "Name", "Typ", "Pos", "Len", "Inhalt", "Format", "Just.",
                                     "Darst.", "Format", "Just.", "Breite"});
  EXPECT_GT(file, 0);
  EXPECT_GT(name, file);
  EXPECT_GT(columns, name);
  const Calls expected[] = {
      {"1", "Nr", "Ganzzahl 32 Bit", "0", "4", "Zahl", "Links", "Zahl", "Rechts", "8"},
      {"2", "Name", "Text", "4", "30", "Text", "Links", "Text", "Links", "30"},
      {"3", "Vorname", "Text", "34", "20", "Text", "Links", "Text", "Links", "20"},
      {"4", "PLZ", "Text", "54", "5", "Zahl", "Links", "Zahl", "Rechts", "5"},
      {"5", "Ort", "Text", "59", "25", "Text", "Links", "Text", "Links", "25"},
      {"6", "Geboren", "Text", "84", "10", "Datum/Zeit", "Links", "Datum/Zeit", "Zentriert", "10"},
      {"7", "Umsatz", "Ganzzahl 64 Bit", "94", "8", "Dezimalzahl", "Rechts", "Dezimalzahl",
       "Rechts", "14"},
      // Cut to the words that leave room for the position.
      {"8", "Rabatt", "Gleitkomma", "102", "4", "Zahl", "Rechts", "Zahl", "Rechts", "6"},
      {"9", "Stufe", "Ganzzahl 8 Bit", "106", "1", "Zahl", "Links", "Zahl", "Zentriert", "3"},
      {"10", "Notiz", "Unicode-Text", "107", "40", "Text", "Links", "Text", "Links", "20"},
  };
  for (size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(RowWith(rows, expected[i]), columns + 1 + int(i)) << expected[i][1] << ":\n"
                                                                << pages[0];
  const int summary = RowWith(rows, {"10 Felder", "147", "Bytes", "141"});
  EXPECT_EQ(summary, columns + 11) << pages[0];
  EXPECT_EQ(RowOf(rows, "keine Felddefinitionen"), -1);
}

TEST_F(FieldListPrint, HeadersAndValuesStandAtTheirStops) {
  ASSERT_EQ(Sample().PrintFieldList(nullptr), 1);
  const auto words = PdfWords(path);
  const std::vector<int> stops = Stops();
  struct Row {
    const char *anchor;
    int nth;
    // The words of the line, left to right, and the stop each is aligned
    // to (negative: ends at stop -n - 1).
    Calls texts;
    std::vector<int> at;
  } rows[] = {
      {"Breite",
       0,
       {"Nr", "Name", "Typ", "Pos", "Len", "Inhalt", "Format", "Just.", "Darst.", "Format", "Just.",
        "Breite"},
       {-1, 1, 2, -4, -5, 5, 6, 7, 8, 9, 10, -12}},
      {"Umsatz",
       0,
       {"7", "Umsatz", "Ganzzahl", "64", "Bit", "94", "8", "Dezimalzahl", "Rechts", "Dezimalzahl",
        "Rechts", "14"},
       {-1, 1, 2, 99, 99, -4, -5, 5, 7, 8, 10, -12}},
      {"Bytes", 0, {"10", "Felder", "147", "Bytes", "141"}, {99, 99, -5, 5, -12}},
  };
  for (const Row &r : rows) {
    const auto line = LineOfWords(words, 0, r.anchor, r.nth);
    ASSERT_EQ(line.size(), r.texts.size()) << r.anchor;
    for (size_t i = 0; i < line.size(); ++i) {
      EXPECT_EQ(line[i].text, r.texts[i]) << r.anchor << " word " << i;
      const int at = r.at[i];
      if (at == 99)
        continue;
      const double x = at >= 0 ? line[i].xMin : line[i].xMax;
      EXPECT_NEAR(x, ToPoints(stops[at >= 0 ? at : -at - 1]), 1.0) << r.anchor << " " << r.texts[i];
    }
  }
  const auto summary = LineOfWords(words, 0, "Felder");
  ASSERT_FALSE(summary.empty());
  EXPECT_NEAR(summary[0].xMin, ToPoints(kLeft), 1.0) << "the summary begins at the left edge";
}

TEST_F(FieldListPrint, TableWithoutFieldsPrintsItsOneLineAndNoSummary) {
  CVQTableDesc table;
  std::snprintf(table.name, sizeof table.name, "%s", "Leer");
  ASSERT_EQ(table.PrintFieldList(nullptr), 1);
  const auto pages = PdfPages(path);
  ASSERT_EQ(pages.size(), 1u);
  ExpectPageHeaders(pages, kHeaderDE);
  const auto rows = Rows(pages[0]);
  const int columns = RowWith(rows, {"Nr", "Name", "Typ", "Breite"});
  EXPECT_GT(columns, RowWith(rows, {"Tabelle:", "Leer"}));
  EXPECT_EQ(RowOf(rows, "Die Tabelle enth\xC3\xA4lt keine Felddefinitionen."), columns + 1)
      << pages[0];
  EXPECT_EQ(RowOf(rows, "Felder"), -1);
  EXPECT_EQ(RowOf(rows, "Bytes"), -1);
}

TEST_F(FieldListPrint, LongTableBreaksPagesWithTheColumnHeaderRepeated) {
  CVQTableDesc table;
  std::snprintf(table.name, sizeof table.name, "%s", "Lang");
  constexpr UINT kFields = 200;
  for (UINT i = 0; i < kFields; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "F%03u", i + 1);
    AddField(table, name, 4 * i, 4, iteINT32, 1 + i % 7);
  }
  ASSERT_EQ(table.PrintFieldList(nullptr), 1);
  const auto pages = PdfPages(path);
  ASSERT_GE(pages.size(), 4u);
  EXPECT_EQ(vqwinGetLastPrintPages(), pages.size());
  ExpectPageHeaders(pages, kHeaderDE);
  UINT next = 1;
  for (size_t p = 0; p < pages.size(); ++p) {
    const auto rows = Rows(pages[p]);
    const int columns = RowWith(rows, {"Nr", "Name", "Typ", "Pos", "Len", "Inhalt", "Format",
                                       "Just.", "Darst.", "Format", "Just.", "Breite"});
    ASSERT_GT(columns, 0) << "page " << p + 1 << ":\n" << pages[p];
    EXPECT_EQ(RowOf(rows, "Tabelle:") != -1, p == 0) << "the title area is on page 1 only";
    int row = columns;
    const UINT first = next;
    for (; next <= kFields; ++next) {
      char name[16];
      std::snprintf(name, sizeof name, "F%03u", next);
      const int at = RowWith(
          rows, {std::to_string(next), name, "Ganzzahl 32", std::to_string(4 * (next - 1))});
      if (at < 0)
        break;
      EXPECT_EQ(at, row + 1) << name;
      row = at;
    }
    EXPECT_GT(next, first) << "page " << p + 1 << " holds fields";
    const int summary = RowWith(rows, {"200 Felder", "800", "Bytes", "794"});
    EXPECT_EQ(summary != -1, p + 1 == pages.size()) << "page " << p + 1;
  }
  EXPECT_EQ(next, kFields + 1) << "every field once, in order";
}

TEST_F(FieldListPrint, EnglishModuleNamesTheHeaderAndTheTypes) {
  struct Row {
    const char *language, *header;
    Calls line;
  } rows[] = {
      {"D", kHeaderDE, {"8", "Rabatt", "Gleitkomma", "102", "4", "Zahl", "Rechts"}},
      {"E",
       "Record structure of an ISAM file - Feldliste",
       {"8", "Rabatt", "Floating 32 bit", "102", "4", "Number", "Right"}},
  };
  const CVQTableDesc table = Sample();
  for (const Row &r : rows) {
    ASSERT_EQ(vqSetTbl32Language(r.language), 1) << r.language;
    ASSERT_EQ(table.PrintFieldList(nullptr), 1) << r.language;
    const auto pages = PdfPages(path);
    ASSERT_EQ(pages.size(), 1u) << r.language;
    ExpectPageHeaders(pages, r.header);
    EXPECT_NE(RowWith(Rows(pages[0]), r.line), -1) << r.language << ":\n" << pages[0];
  }
}

TEST_F(FieldListPrint, CodesWithoutANamePrintEmptyCells) {
  CVQTableDesc table;
  std::snprintf(table.name, sizeof table.name, "%s", "Codes");
  AddField(table, "Unset", 0, 4, ~0u, 4);
  AddField(table, "Far", 4, 4, 9, 5);
  // Past their blocks these codes would name date formats and kinds.
  table.fields.fields[1].dataJustType = 100;
  table.fields.fields[1].dispJustType = 200;
  ASSERT_EQ(table.PrintFieldList(nullptr), 1);
  const auto pages = PdfPages(path);
  ASSERT_EQ(pages.size(), 1u);
  const auto rows = Rows(pages[0]);
  const int unset = RowWith(rows, {"1", "Unset", "0", "4", "Text", "Links", "Text", "Links", "4"});
  const int far = RowWith(rows, {"2", "Far", "4", "4", "Text", "Text", "5"});
  EXPECT_NE(unset, -1) << pages[0];
  EXPECT_EQ(far, unset + 1) << pages[0];
  EXPECT_EQ(rows[far].find("TT.MM"), std::string::npos) << rows[far];
  EXPECT_EQ(rows[far].find("Links"), std::string::npos) << rows[far];
}

TEST_F(FieldListPrint, CellsThatOverrunAreCutBeforeTheNextCell) {
  CVQTableDesc table = Sample();
  const char longName[] = "Rechnungsanschrift_Postleitzahl";
  UINT at = table.fields.count;
  ASSERT_EQ(table.InsertField(longName, &at), 1);
  CVQFieldDesc &f = table.fields.fields[at];
  f.offset = 12345;
  f.size = 10;
  f.encodeType = ite80FLOATING;
  f.contentType = f.displayType = 3;
  f.dispWidth = 12345;
  f.dispJustType = 1;
  ASSERT_EQ(table.PrintFieldList(nullptr), 1);
  const auto words = PdfWords(path);
  const auto pages = PdfPages(path);
  ASSERT_EQ(pages.size(), 1u);
  const auto rows = Rows(pages[0]);
  EXPECT_NE(RowWith(rows, {"11", "Rechnungsanschri", "Gleitkomma", "12345", "10", "Dezimalzahl",
                           "Links", "Dezimalzahl", "12345"}),
            -1)
      << pages[0];
  // No word of a field line or the header reaches into the next one.
  for (const char *anchor : {"Breite", "Rabatt", "Geboren", "Umsatz", "11", "Felder"}) {
    const auto line = LineOfWords(words, 0, anchor);
    ASSERT_FALSE(line.empty()) << anchor;
    for (size_t i = 1; i < line.size(); ++i)
      EXPECT_LT(line[i - 1].xMax, line[i].xMin)
          << anchor << ": " << line[i - 1].text << " runs into " << line[i].text;
  }
}

TEST_F(FieldListPrint, FailuresToOpenThePrinterPrintNothing) {
  HWND gone =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(gone, nullptr);
  DestroyWindow(gone);
  const std::string unwritable = testing::TempDir() + "no_such_dir/list.pdf";
  struct Row {
    const char *name;
    HWND owner;
    std::string output, log;
  } rows[] = {
      {"owner destroyed", gone, path, "0 CVQPrint No default printer (error 0x2)"},
      {"output cannot be created", nullptr, unwritable,
       "0 CVQPrint Cannot start the document \"ISAM Table Field List\" (error 3)"},
  };
  const CVQTableDesc table = Sample();
  for (const Row &r : rows) {
    Clear();
    ASSERT_TRUE(vqwinSetPrintOutput(r.output.c_str()));
    EXPECT_EQ(table.PrintFieldList(r.owner), 0) << r.name;
    const auto logged = Logged();
    ASSERT_FALSE(logged.empty()) << r.name;
    EXPECT_EQ(logged[0], r.log) << r.name;
    EXPECT_FALSE(std::ifstream(r.output).good()) << r.name;
    ExpectNoBox(r.name);
  }
}

TEST_F(FieldListPrint, KeyListPrintsNothing) {
  char before[MAX_PATH] = {};
  const UINT length = vqwinGetLastPrintOutput(before, sizeof before);
  EXPECT_EQ(Sample().PrintKeyList(nullptr), 1);
  char after[MAX_PATH] = {};
  EXPECT_EQ(vqwinGetLastPrintOutput(after, sizeof after), length);
  EXPECT_STREQ(after, before);
  EXPECT_FALSE(std::ifstream(path).good());
}

} // namespace
