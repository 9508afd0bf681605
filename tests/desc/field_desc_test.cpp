// The field description: its "Field:" line through the configuration
// editor and reader, the lines that fail, the size check, the setters and
// list fillers over the type lists, and its line in a grid of fields.
#include "desc_fixture.h"
#include "recording_grid.h"

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using Calls = std::vector<std::string>;

CVQFieldDesc Field(UINT offset, UINT size, UINT encode, UINT content, UINT dataJust, UINT display,
                   UINT dispJust, UINT width, const char *name) {
  CVQFieldDesc f;
  f.offset = offset;
  f.size = size;
  f.encodeType = encode;
  f.contentType = content;
  f.dataJustType = dataJust;
  f.displayType = display;
  f.dispJustType = dispJust;
  f.dispWidth = width;
  std::snprintf(f.name, sizeof f.name, "%s", name);
  return f;
}

std::vector<UINT> Words(const CVQFieldDesc &f) {
  return {f.offset,      f.size,         f.encodeType,   f.contentType,
          f.displayType, f.dataJustType, f.dispJustType, f.dispWidth};
}

class FieldDesc : public vqtest::DescTest {
protected:
  // Reads field `index` of the "Field:" lines of `text` as the table
  // description does: each line entered as a sub-block of its own.
  int ReadField(const std::string &text, UINT index, CVQFieldDesc &f) {
    EXPECT_TRUE(config.ReadIt(text.data(), UINT(text.size())));
    config.SelectBlock("FIELD");
    for (UINT i = 0; i < index; ++i)
      config.SelectNextBlock();
    const int rc = f.ReadDef(config, "FIELD", index);
    config.LeaveBlock();
    return rc;
  }
  CVQConfFile config;
};

TEST_F(FieldDesc, LinesRoundTripThroughEditorFileAndReader) {
  // The widest line: every number at its maximum, a name of 31 quotes.
  const std::string quotes(31, '"'), widest = "4294967295, 4294967295, 4294967295, 0xFFFFFFFF, "
                                              "4294967295, 0xFFFFFFFF, 4294967295, 4294967295, \"" +
                                              quotes + quotes + "\"";
  const struct {
    CVQFieldDesc field;
    const char *line; // behind the keyword's padding
  } rows[] = {
      {Field(0, 4, iteINT32, 0x11, 0, 0x11, 2, 10, "Nummer"),
       "   0,   4, 2, 0x0011, 0, 0x0011, 2, 10, \"Nummer\""},
      {Field(12345, 1000, iteTEXT, 0x2F312, 2, 0xC00, 1, 123, "Wide numbers stay whole"),
       "12345, 1000, 7, 0x2F312, 2, 0x0C00, 1, 123, \"Wide numbers stay whole\""},
      {Field(8, 3, ~0u, 0, ~0u, 0, ~0u, 0, "say \"hi\""),
       "   8,   3, 4294967295, 0x0000, 4294967295, 0x0000, 4294967295,  0, \"say \"\"hi\"\"\""},
      {Field(1, 2, iteUNICODETEXT, 0, 0, 0, 0, 5, "0123456789012345678901234567890"),
       "   1,   2, 8, 0x0000, 0, 0x0000, 0,  5, \"0123456789012345678901234567890\""},
      {Field(3, 4, iteTEXT, 0, 0, 0, 0, 6, "tab\there"),
       "   3,   4, 7, 0x0000, 0, 0x0000, 0,  6, \"tab\there\""},
      {Field(~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, ~0u, quotes.c_str()), widest.c_str()},
  };
  CVQConfFile out;
  ASSERT_TRUE(out.StartEdit(4096, 8, 32, 24, 80, 104));
  std::string expected;
  for (const auto &r : rows) {
    EXPECT_EQ(r.field.WriteDef(out), 1);
    expected += "Field:" + std::string(24 - 6, ' ') + r.line + "\r\n";
  }
  const std::string path = testing::TempDir() + "fields.cfg";
  ASSERT_TRUE(out.WriteEdit(path.c_str(), TRUE));
  ASSERT_TRUE(config.Read(path.c_str(), TRUE, TRUE));
  EXPECT_EQ(std::string(out.GetEditText()), expected);
  ASSERT_TRUE(config.SelectBlock("FIELD"));
  for (UINT i = 0; i < std::size(rows); ++i) {
    CVQFieldDesc back;
    ASSERT_EQ(back.ReadDef(config, "FIELD", i), 1) << rows[i].line;
    EXPECT_EQ(Words(back), Words(rows[i].field)) << rows[i].line;
    EXPECT_STREQ(back.name, rows[i].field.name) << rows[i].line;
    config.SelectNextBlock();
  }
  config.LeaveBlock();
  ExpectNoBox("round trip");
}

TEST_F(FieldDesc, ShortLinesFillWithZerosAndBadLinesKeepTheRecord) {
  CVQFieldDesc f;
  ASSERT_EQ(ReadField("Field: 0, 4, \"Nr\"\r\n", 0, f), 1);
  EXPECT_EQ(Words(f), std::vector<UINT>({0, 4, iteINT8, 0, 0, 0, 0, 0}));

  const struct {
    const char *name;
    std::string text;
    UINT code;
    const char *box;
    const char *log;
  } rows[] = {
      {"empty name", "Field: 1, 2, 7, 0, 0, 0, 0, 9, \"\"", 1301,
       "Der Feldname in der Feldbeschreibung FIELD(2) ist leer oder l\xE4nger als 31 Zeichen.",
       "0 CVQFieldDesc Field name is empty in data field FIELD(2)"},
      {"name too long", "Field: 1, 2, \"01234567890123456789012345678901\"", 1301,
       "Der Feldname in der Feldbeschreibung FIELD(2) ist leer oder l\xE4nger als 31 Zeichen.",
       "0 CVQFieldDesc Field name is longer than 31 characters in data field FIELD(2)"},
      {"no name", "Field: 1, 2", 1300, "Fehler 9 beim Lesen der Feldbeschreibung FIELD(2).",
       "0 CVQFieldDesc Error 9 on reading field keyword FIELD(2)"},
      {"nine numbers", "Field: 1, 2, 3, 4, 5, 6, 7, 8, 9, \"x\"", 1300,
       "Fehler 7 beim Lesen der Feldbeschreibung FIELD(2).",
       "0 CVQFieldDesc Error 7 on reading field keyword FIELD(2)"},
      // Names that could not be written back are refused when read.
      {"CR in the name", "Field: 1, 2, \"Nr\r\"", 1300,
       "Fehler 11 beim Lesen der Feldbeschreibung FIELD(2).",
       "0 CVQFieldDesc Error 11 on reading field keyword FIELD(2)"},
      {"NUL in the name", std::string("Field: 1, 2, \"N\0r\"", 19), 1300,
       "Fehler 11 beim Lesen der Feldbeschreibung FIELD(2).",
       "0 CVQFieldDesc Error 11 on reading field keyword FIELD(2)"},
      // A line feed ends the line inside the quotes.
      {"LF in the name", "Field: 1, 2, \"N\nr\"", 1300,
       "Fehler 5 beim Lesen der Feldbeschreibung FIELD(2).",
       "0 CVQFieldDesc Error 5 on reading field keyword FIELD(2)"},
  };
  for (const auto &r : rows) {
    const std::string text = std::string("Field: 0, 1, \"a\"\r\nField: 0, 1, \"b\"\r\n") + r.text;
    CVQFieldDesc kept = Field(5, 6, iteTEXT, 0, 0, 0, 0, 7, "Kept");
    Clear();
    EXPECT_EQ(ReadField(text, 2, kept), 0) << r.name;
    EXPECT_EQ(Words(kept), std::vector<UINT>({5, 6, iteTEXT, 0, 0, 0, 0, 7})) << r.name;
    EXPECT_STREQ(kept.name, "Kept") << r.name;
    ExpectOneBox(r.code, r.box, r.name);
    EXPECT_EQ(Logged(), Calls{r.log}) << r.name;
  }
}

// A refused size shows message 1310 + encode type; its texts are checked
// with the other messages below.
TEST_F(FieldDesc, VerifyFieldChecksTheSizeOfEachEncodeType) {
  const struct {
    UINT encode, size;
    int ok;
  } rows[] = {
      {iteINT8, 4, 1},
      {iteINT8, 0, 0},
      {iteINT16, 2, 1},
      {iteINT16, 4, 0},
      {iteINT32, 2, 0},
      {iteINT64, 4, 0},
      {ite32FLOATING, 8, 0},
      {ite64FLOATING, 8, 1},
      {ite64FLOATING, 10, 0},
      {ite80FLOATING, 8, 0},
      {iteTEXT, 1, 1},
      {iteTEXT, 0, 0},
      {iteUNICODETEXT, 2, 1},
      {iteUNICODETEXT, 3, 0},
      {iteUNICODETEXT, 0, 0},
      {9, 0, 1},
      {~0u, 0, 1},
  };
  for (const auto &r : rows) {
    const std::string row = std::to_string(r.encode) + "/" + std::to_string(r.size);
    CVQFieldDesc f;
    f.encodeType = r.encode;
    f.size = r.size;
    Clear();
    EXPECT_EQ(f.VerifyField(), r.ok) << row;
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), r.ok ? 0u : 1u) << row;
    if (!r.ok) {
      EXPECT_EQ(boxes[0].caption,
                "vq_tbl32 Fehler (Fehlercode = " + std::to_string(1310 + r.encode) + ")")
          << row;
    }
    EXPECT_EQ(f.size, r.size) << row;
  }
}

TEST_F(FieldDesc, SettersMapListRowsAndRefuseRowsPastTheList) {
  using Setter = int (CVQFieldDesc::*)(UINT);
  const Setter enc = &CVQFieldDesc::SetEncodeTypeIdx, con = &CVQFieldDesc::SetContentTypeIdx,
               dis = &CVQFieldDesc::SetDisplayTypeIdx, dataJ = &CVQFieldDesc::SetDataJustTypeIdx,
               dispJ = &CVQFieldDesc::SetDispJustTypeIdx;
  // Words: offset, size, encode, content, display, data and display justification, width.
  const struct {
    const char *name;
    Setter set;
    UINT index;
    int result;
    std::vector<UINT> words;
  } rows[] = {
      {"text keeps the size", enc, 7, 1, {0, 3, 7, 0x1234, 0x5F, 0, 1, 0}},
      {"int32 sets the size", enc, 2, 1, {0, 4, 2, 0x1234, 0x5F, 0, 1, 0}},
      {"float80", enc, 6, 1, {0, 10, 6, 0x1234, 0x5F, 0, 1, 0}},
      {"encode past the list", enc, 9, 0, {0, 3, ~0u, 0x1234, 0x5F, 0, 1, 0}},
      {"no selection", enc, ~0u, 0, {0, 3, ~0u, 0x1234, 0x5F, 0, 1, 0}},
      {"content replaces the word", con, 2, 1, {0, 3, ~0u, 2, 0x5F, 0, 1, 0}},
      {"content past the list", con, 6, 0, {0, 3, ~0u, 0x1234, 0x5F, 0, 1, 0}},
      {"display", dis, 5, 1, {0, 3, ~0u, 0x1234, 5, 0, 1, 0}},
      {"data row 1 is right", dataJ, 1, 1, {0, 3, ~0u, 0x1234, 0x5F, 2, 1, 0}},
      {"data has two rows", dataJ, 2, 0, {0, 3, ~0u, 0x1234, 0x5F, 0, 1, 0}},
      {"display row 2", dispJ, 2, 1, {0, 3, ~0u, 0x1234, 0x5F, 0, 2, 0}},
  };
  for (const auto &r : rows) {
    CVQFieldDesc f;
    f.size = 3;
    f.contentType = 0x1234;
    f.displayType = 0x5F;
    f.dispJustType = 1;
    EXPECT_EQ((f.*r.set)(r.index), r.result) << r.name;
    EXPECT_EQ(Words(f), r.words) << r.name;
  }
}

TEST_F(FieldDesc, FillersShowTheListAndSelectTheCurrentValue) {
  HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 200, 300, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(list, nullptr);
  const CVQFieldDesc f = Field(0, 2, iteINT16, 0x2F312, 2, 0x13, ~0u, 0, "x");
  const std::vector<std::string> kinds = {"Text",        "Zahl",         "Datum/Zeit",
                                          "Dezimalzahl", "Reserviert 4", "Reserviert 5"};
  const struct {
    const char *name;
    int (CVQFieldDesc::*fill)(HWND) const;
    std::vector<std::string> items;
    int selected;
  } rows[] = {
      {"encode",
       &CVQFieldDesc::DispEncodeTypeLB,
       {"Ganzzahl 8 Bit", "Ganzzahl 16 Bit", "Ganzzahl 32 Bit", "Ganzzahl 64 Bit",
        "Gleitkomma 32 Bit", "Gleitkomma 64 Bit", "Gleitkomma 80 Bit", "Text", "Unicode-Text"},
       1},
      {"content kind", &CVQFieldDesc::DispContentTypeLB, kinds, 2},
      {"display kind", &CVQFieldDesc::DispDisplayTypeLB, kinds, 3},
      {"data justification", &CVQFieldDesc::DispDataJustTypeLB, {"Links", "Rechts"}, 1},
      {"unset display justification",
       &CVQFieldDesc::DispDispJustTypeLB,
       {"Links", "Zentriert", "Rechts"},
       LB_ERR},
  };
  for (const auto &r : rows) {
    EXPECT_EQ((f.*r.fill)(list), 1) << r.name;
    std::vector<std::string> items;
    const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char text[64] = {};
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    EXPECT_EQ(items, r.items) << r.name;
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), r.selected) << r.name;
  }
}

TEST_F(FieldDesc, DispDefWritesTwelveColumnsIntoTheGrid) {
  vqtest::RecordingGrid grid;
  CGridDef def(&theLibrary, ~0u, nullptr, 0, 0x19);
  EXPECT_EQ(Field(0, 4, iteINT32, 0, 0, 0, 0, 0, "x").DispDef(def, 0), 1) << "no grid";

  def.pGrid = &grid;
  ASSERT_EQ(Field(12, 4, iteINT32, 0x20B1, 2, 0x3093, 1, 11, "Betrag").DispDef(def, 4), 1);
  const Calls expected = {
      "SetItemUInt(4, 0, 5)",
      "SetItemText(4, 1, \"Betrag\")",
      "SetItemText(4, 2, \"Ganzzahl 32 Bit\")",
      "SetItemUInt(4, 3, 12)",
      "SetItemUInt(4, 4, 4)",
      "SetItemText(4, 5, \"Zahl\")",
      "SetItemText(4, 6, \"-0.2\")",
      "SetItemText(4, 7, \"Rechts\")",
      "SetItemText(4, 8, \"Dezimalzahl\")",
      "SetItemText(4, 9, \".3\")",
      "SetItemText(4, 10, \"Zentriert\")",
      "SetItemUInt(4, 11, 11)",
  };
  EXPECT_EQ(grid.calls, expected);

  // The kind name and flag summary of a type word, as columns 5 and 6 show them.
  const struct {
    UINT word;
    const char *kind, *summary;
  } words[] = {
      {0xFFFFFFFF, "", ""},
      {0x00C00, "Text", ""},
      {0x020D1, "Zahl", "-.,2"},
      {0x00061, "Zahl", "0"},
      {0x05043, "Dezimalzahl", ",5"},
      {0x0C312, "Datum/Zeit", "invertiert+hh:mm:ss"},
      {0x20102, "Datum/Zeit", "TT.MM.JJJJ"},
      {0x30202, "Datum/Zeit", "hhmm"},
      {0xF0302, "Datum/Zeit", "TT.MM.JJJJ+<2615>"},
      {0x00002, "Datum/Zeit", ""},
      {0x000F5, "Reserviert 5", ""},
      {0x0000C, "<2212>", ""},
  };
  for (const auto &w : words) {
    grid.calls.clear();
    Field(0, 1, iteTEXT, w.word, ~0u, 0, 0, 0, "f").DispDef(def, 0);
    ASSERT_EQ(grid.calls.size(), 12u);
    EXPECT_EQ(grid.calls[5], "SetItemText(0, 5, \"" + std::string(w.kind) + "\")") << w.word;
    EXPECT_EQ(grid.calls[6], "SetItemText(0, 6, \"" + std::string(w.summary) + "\")") << w.word;
    EXPECT_EQ(grid.calls[7], "SetItemText(0, 7, \"\")") << "unset justification";
  }
  grid.calls.clear();
  Field(0, 1, ~0u, 0, 0, 0, 0, 0, "").DispDef(def, 0);
  EXPECT_EQ(grid.calls[2], "SetItemText(0, 2, \"\")") << "unset encode type";
}

TEST_F(FieldDesc, ListSizesAndNameLookup) {
  CVQFieldDescList list;
  EXPECT_EQ(list.GetRecSize(), 0u);
  EXPECT_EQ(list.GetDispWidth(), 0u);
  list.fields = new CVQFieldDesc[3];
  list.count = list.capacity = 3;
  list.fields[0] = Field(0, 4, iteINT32, 0, 0, 0, 0, 10, "Nummer");
  list.fields[1] = Field(2, 10, ite80FLOATING, 0, 0, 0, 0, 7, "Wert_1");
  list.fields[2] = Field(1, 1, iteINT8, 0, 0, 0, 0, 3, "a");
  EXPECT_EQ(list.GetRecSize(), 12u) << "overlapping fields: the furthest end, not a sum";
  EXPECT_EQ(list.GetDispWidth(), 20u);
  list.fields[2].offset = 0xFFFFFFF0;
  list.fields[2].size = 0x20;
  list.fields[2].dispWidth = 0xFFFFFFFF;
  EXPECT_EQ(list.GetRecSize(), 0xFFFFFFFFu) << "saturates instead of wrapping";
  EXPECT_EQ(list.GetDispWidth(), 0xFFFFFFFFu);

  const struct {
    const char *key;
    UINT field;
    int sign;
  } rows[] = {{"NUMMER", 0, 0}, {"nummer", 0, 0},  {"Numme", 0, -1}, {"NUMMERN", 0, 1},
              {"wert_1", 1, 0}, {"WERT[1", 1, -1}, {"\xC4", 2, 1},   {"", 2, -1}};
  list.fields[2] = Field(0, 1, iteINT8, 0, 0, 0, 0, 0, "a");
  for (const auto &r : rows) {
    const int c = CmpFieldName(r.key, &list.fields[r.field]);
    EXPECT_EQ((c > 0) - (c < 0), r.sign) << r.key;
  }
}

// Every numbered message of fields and grid columns, shown with the
// argument kinds its callers pass, fills in as a text in both languages.
TEST_F(FieldDesc, EveryMessageFillsInWithItsCallersArguments) {
  const char *key = "FIELD";
  const struct {
    UINT code;
    std::function<void()> show;
  } rows[] = {
      {1300, [&] { theLibrary.ErrorBox(1300, 9u, key, 2u); }},
      {1301, [&] { theLibrary.ErrorBox(1301, key, 2u); }},
      {900, [] { theLibrary.ErrorBox(900, 7); }},
      {901, [] { theLibrary.ErrorBox(901); }},
      {910, [] { theLibrary.ErrorBox(910, 1u); }},
      {911, [] { theLibrary.ErrorBox(911, 1u); }},
      {920, [] { theLibrary.ErrorBox(920, 1u, 2u); }},
      {1000, [] { theLibrary.ErrorBox(1000, 7); }},
      {1001, [] { theLibrary.ErrorBox(1001); }},
      {1010, [] { theLibrary.ErrorBox(1010, 1u); }},
      {1011, [] { theLibrary.ErrorBox(1011, 1u, 2u); }},
      {1020, [&] { theLibrary.ErrorBox(1020, key, 3u); }},
      {1021, [&] { theLibrary.ErrorBox(1021, key, 3u); }},
      {1022, [&] { theLibrary.ErrorBox(1022, key, 3u); }},
      {1030, [&] { theLibrary.ErrorBox(1030, key); }},
      {1031, [] { theLibrary.ErrorBox(1031, 5u); }},
  };
  for (const char *language : {"E", "D"}) {
    ASSERT_EQ(vqSetTbl32Language(language), 1);
    std::vector<UINT> codes;
    for (UINT c = 1310; c <= 1318; ++c)
      codes.push_back(c);
    for (const auto &r : rows)
      codes.push_back(r.code);
    for (UINT code : codes) {
      Clear();
      const auto row = std::find_if(std::begin(rows), std::end(rows),
                                    [&](const auto &r) { return r.code == code; });
      if (row == std::end(rows))
        theLibrary.ErrorBox(code);
      else
        row->show();
      const auto boxes = vqwin::MessageBoxRecords();
      ASSERT_EQ(boxes.size(), 1u) << language << code;
      // No directive left unfilled, no "<Substitution error>".
      EXPECT_EQ(boxes[0].text.find_first_of("%<"), std::string::npos)
          << language << code << ": " << boxes[0].text;
      // Neither the stand-in for a missing text.
      EXPECT_NE(boxes[0].text, "The text for this error or message does not exist.") << code;
      EXPECT_NE(boxes[0].text, "Der Text zu diesem Fehler oder dieser Meldung existiert nicht.")
          << code;
    }
  }
}

} // namespace
