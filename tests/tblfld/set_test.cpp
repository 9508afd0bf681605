// The field set as data: built from source records, read from and written
// to configuration lines, checked, searched, sorted and edited; the key
// set's container operations; and both sets where memory is short.
#include "tblfld_fixture.h"

#include <cstring>
#include <functional>

namespace {

using namespace vqtest;

TEST_F(TblFldTest, SourceRecordsGiveEntriesWithNamesInEitherLanguage) {
  struct {
    const char *language, *names[3], *upper[3];
  } rows[] = {{"D", {"Name", "L\xE4nge", "Typ"}, {"NAME", "L\xC4NGE", "TYP"}},
              {"E", {"Name", "Length", "Type"}, {"NAME", "LENGTH", "TYPE"}}};
  for (const auto &r : rows) {
    ASSERT_NE(vqSetTbl32Language(r.language), 0);
    // Bytes beyond the last whole record are no record.
    const CVQTblFldDesc set(&theLibrary, kSource, sizeof kSource + 27);
    ASSERT_EQ(set.count, 3u);
    for (UINT i = 0; i < 3; ++i) {
      const SVQTblField &f = set.fields[i];
      EXPECT_STREQ(f.name, r.names[i]) << r.language << i;
      EXPECT_STREQ(f.upperName, r.upper[i]) << r.language << i;
      EXPECT_EQ(f.nameLength, std::strlen(r.names[i]));
      EXPECT_EQ(f.justification, i) << "L, r and m give 0, 1 and 2";
    }
    EXPECT_EQ(set.GetRecordSize(), 22u);
  }
  EXPECT_EQ(CVQTblFldDesc(&theLibrary, kSource, 27).count, 0u);
  // Any other character keeps the justification; the rest is cleared.
  SVQTblField f{0, 0, 0, 0, 2, 0, 0, 7, 7, 3, "alt", "ALT"};
  SVQTblFldDesc source = kSource[0];
  source.justChar = 'x';
  f = source;
  EXPECT_EQ(f.justification, 2u);
  EXPECT_EQ(f.treeKey | f.indexTree | f.nameLength | UINT(f.name[0]), 0u);
  f.LoadHeader(&theLibrary, 9999); // no such string
  EXPECT_STREQ(f.name, "");
}

// ---- Configuration lines ------------------------------------------------

constexpr char kLines[] = "TblField:   0, 10,  0, 25, 'L', 0x0000, \"Kunde\"\n"
                          "TblField:  10,  4, 40, 25, 'm', 0x8000, \"Nr \"\"1\"\"\"\n"
                          "tblfield: 14, 8, 18, 300, 'r', 0x12345, \"Datum\"\n";

int Parse(CVQTblFldDesc &set, const std::string &text) {
  CVQConfFile conf;
  conf.SetFileName("felder.cfg");
  EXPECT_TRUE(conf.ReadIt(text.data(), UINT(text.size())));
  return set.ParseDesc(conf, "TblField");
}

std::string Edited(const CVQTblFldDesc &set) {
  CVQConfFile out;
  EXPECT_TRUE(out.StartEdit(4096, 8, 32, 16, 80, 72));
  EXPECT_EQ(set.EditDesc(out, "TblField:"), 1);
  return out.GetEditText();
}

TEST_F(TblFldTest, LinesReadWriteAndReadBackToTheSameEntries) {
  CVQTblFldDesc set;
  ASSERT_EQ(Parse(set, kLines), 1);
  ASSERT_EQ(set.count, 3u);
  EXPECT_STREQ(set.fields[1].name, "Nr \"1\"");
  EXPECT_EQ(set.fields[1].justification, 2u);
  EXPECT_EQ(set.fields[2].width, 44u) << "the low byte of 300";
  EXPECT_EQ(set.fields[2].treeKey & set.fields[2].indexTree, ~0u);
  const std::string text = Edited(set);
  const char *expected =
      ";\r\n; Definition of the table data fields\r\n;\r\n"
      "TblField:         0, 10,  0, 25, 'L', 0x0000, \"Kunde\"                   ; Table field "
      "definition\r\n"
      "TblField:        10,  4, 40, 25, 'M', 0x8000, \"Nr \"\"1\"\"\"                ; Table field "
      "definition\r\n"
      "TblField:        14,  8, 18, 44, 'R', 0x12345, \"Datum\"                  ; Table field "
      "definition\r\n;\r\n";
  EXPECT_EQ(text, expected);
  CVQTblFldDesc back;
  ASSERT_EQ(Parse(back, text), 1);
  ASSERT_EQ(back.count, set.count);
  EXPECT_EQ(std::memcmp(back.fields, set.fields, set.count * sizeof(SVQTblField)), 0);
  EXPECT_TRUE(Logged().empty());

  CVQConfFile out;
  ASSERT_TRUE(out.StartEdit(4096, 8, 32, 16, 80, 72));
  EXPECT_EQ(CVQTblFldDesc().EditDesc(out, "TblField:"), 0);
  EXPECT_STREQ(out.GetEditText(), "") << "nothing written for an empty set";
}

TEST_F(TblFldTest, RefusedLinesNameTheirMessageAndLeaveTheSetEmpty) {
  const struct {
    const char *text;
    UINT code;
    const char *box, *log;
  } rows[] = {
      {"Field: 0, 1, 0, 1, 'L', 0, \"a\"\n", 500,
       "Das Schl\xFCsselwort TblField wurde in der Datei felder.cfg nicht gefunden.",
       "1 CVQTblFldDesc Keyword TblField not found in felder.cfg"},
      {"TblField: 0, 1, 0, 1, 'L', 0, \"abc\n", 510,
       "Fehler 5 beim Lesen der Felddefinitionen aus der Datei felder.cfg.",
       "0 CVQTblFldDesc Error 5 on call of CVQConfFile::GetWordsText."},
      {"TblField: 0, 1, 0, 1, 'L', 0\n", 510,
       "Fehler 9 beim Lesen der Felddefinitionen aus der Datei felder.cfg.",
       "0 CVQTblFldDesc Error 9 on call of CVQConfFile::GetWordsText."},
      {"TblField: 0, 1, 0, 1, 'L', 0, 7, \"a\"\n", 510,
       "Fehler 7 beim Lesen der Felddefinitionen aus der Datei felder.cfg.",
       "0 CVQTblFldDesc Error 7 on call of CVQConfFile::GetWordsText."},
      {"TblField: 0, 1, 0, 1, 'L', 0, \"a\"\nTblField: 0, 1, 0, 1, 'L', \"b\"\n", 511,
       "Die Felddefinition 2 enth\xE4lt weniger als 6 Zahlen.",
       "0 CVQTblFldDesc Only 5 numerical parameters found in definition 1"},
      {"TblField: 0, 1, 0, 1, 'L', 0, \"\"\n", 512,
       "Die Felddefinition 1 enth\xE4lt keinen Feldnamen.",
       "0 CVQTblFldDesc No field name found for field 0"},
      {"TblField: 0, 1, 0, 1, 'x', 0, \"a\"\n", 513,
       "Die Felddefinition 1 hat eine ung\xFCltige Ausrichtung (erlaubt sind L, M und R).",
       "0 CVQTblFldDesc Justification 0x78 of definition 0 is not L, M or R"},
  };
  for (const auto &r : rows) {
    Clear();
    CVQTblFldDesc set = Sample();
    EXPECT_EQ(Parse(set, r.text), 0) << r.text;
    EXPECT_EQ(set.count, 0u);
    EXPECT_EQ(set.fields, nullptr);
    ExpectNumberedBox(r.code, r.box, r.text);
    const auto lines = Logged();
    ASSERT_FALSE(lines.empty()) << r.text;
    EXPECT_EQ(lines[0], r.log);
  }
}

// ---- Checks, finding, sorting --------------------------------------------

TEST_F(TblFldTest, PlausibilityNamesTheFirstBadField) {
  const struct {
    UINT field, type, length;
    const char *name;
    int allowEmpty;
    UINT code; // 0: plausible
    const char *box;
  } rows[] = {
      {9, 0, 0, nullptr, 1, 0, ""},
      {9, 0, 0, nullptr, 0, 550, "Die Feldbeschreibung enth\xE4lt keine Felder."},
      {1, 44, 4, "Betrag", 0, 0, ""},
      {2, 7, 4, "Frei", 0, 551, "Das Feld 3 hat einen ung\xFCltigen Feldtyp."},
      {0, 23, 4, "Frei", 0, 551, "Das Feld 1 hat einen ung\xFCltigen Feldtyp."},
      {1, 40, 0, "Null", 0, 552, "Das Feld 2 hat die L\xE4nge 0."},
      {2, 40, 4, "", 0, 553, "Das Feld 3 hat keinen Namen."},
  };
  for (const auto &r : rows) {
    Clear();
    CVQTblFldDesc set = r.name ? Sample() : CVQTblFldDesc();
    if (r.name) {
      set.fields[r.field].type = r.type;
      set.fields[r.field].length = r.length;
      std::strcpy(set.fields[r.field].name, r.name);
    }
    EXPECT_EQ(set.IsPlausible(r.allowEmpty), r.code ? 0 : 1) << r.code << " " << r.box;
    if (r.code)
      ExpectNumberedBox(r.code, r.box, r.box);
    else
      EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
  }
}

TEST_F(TblFldTest, FindingFoldsCaseAndComparesWholeNames) {
  CVQTblFldDesc set = Sample();
  ASSERT_EQ(set.SetFldName(1, "Kunde"), 1);
  const struct {
    const char *key;
    UINT length, found;
    const char *log; // nullptr: nothing logged
  } rows[] = {
      {"KUNDE", 0, 1, nullptr},
      {"kunde", 0, 1, nullptr},
      {"KundenNr", 5, 1, nullptr},
      {"Kund", 0, ~0u, "1 CVQTblFldDesc Field Kund not found in field description table."},
      {"Kunden", 0, ~0u, "1 CVQTblFldDesc Field Kunden not found in field description table."},
      {"", 0, ~0u, nullptr},
      {nullptr, 0, ~0u, nullptr},
  };
  for (const auto &r : rows) {
    Clear();
    EXPECT_EQ(set.FindField(r.key, r.length), r.found) << (r.key ? r.key : "(null)");
    const auto lines = Logged();
    EXPECT_EQ(lines.size(), r.log ? 1u : 0u);
    if (r.log && !lines.empty()) {
      EXPECT_EQ(lines[0], r.log);
    }
  }
  EXPECT_EQ(CVQTblFldDesc().FindField("Kunde"), ~0u);
  EXPECT_TRUE(Logged().empty());
  EXPECT_EQ(set.SetFldName(3, "a") | set.SetFldName(0, "") | set.SetFldName(0, nullptr), 0);
}

TEST_F(TblFldTest, SortingByNameOrPosition) {
  CVQTblFldDesc set = Sample(); // Name 0, Länge 10, Typ 14 in German
  set.fields[0].position = 30;
  const struct {
    UINT mode;
    const char *order[3];
  } rows[] = {{0, {"L\xE4nge", "Name", "Typ"}},
              {1, {"L\xE4nge", "Typ", "Name"}},
              {7, {"L\xE4nge", "Typ", "Name"}}};
  for (const auto &r : rows) {
    set.SortFields(r.mode);
    for (UINT i = 0; i < 3; ++i)
      EXPECT_STREQ(set.fields[i].name, r.order[i]) << "mode " << r.mode;
  }
  set.SetIndexTree(3, 14, 8, 2);
  EXPECT_EQ(set.fields[1].indexTree, 3u);
  EXPECT_EQ(set.fields[1].treeKey, 2u);
  set.SetIndexTree(4, 14, 9, 1);
  const auto lines = Logged();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "5 CVQTblFldDesc Set index tree 3 to field 1 (Typ)");
  EXPECT_EQ(lines[1], "5 CVQTblFldDesc Index tree 4 not assigned to any field.");
}

// ---- Editing both sets --------------------------------------------------

// The first byte of each key entry marks it; a new entry reads 0.
std::string Marks(const CVQTblKeyDesc &keys) {
  std::string out;
  for (UINT i = 0; i < keys.count; ++i)
    out += char('0' + keys.keys[i].bytes[0]);
  return out;
}

std::string Names(const CVQTblFldDesc &set) {
  std::string out;
  for (UINT i = 0; i < set.count; ++i)
    out += set.fields[i].name[0] ? set.fields[i].name[0] : '0';
  return out;
}

TEST_F(TblFldTest, InsertDeleteAndMoveInBothSets) {
  // Field names start N, L, T; key entries are marked 1, 2, 3.
  CVQTblKeyDesc keys;
  CVQTblFldDesc set = Sample();
  for (UINT i = 0; i < 3; ++i) {
    ASSERT_EQ(keys.InsertKey(i), 1);
    keys.keys[i].bytes[0] = BYTE(i + 1);
    keys.keys[i].bytes[295] = BYTE(i + 1);
  }
  const struct {
    char op; // i insert, d delete, m move
    UINT a, b;
    int result;
    const char *keys, *fields;
  } rows[] = {
      {'i', 10, 0, 1, "1230", "NLT0"}, {'d', 4, 0, 0, "1230", "NLT0"}, {'d', 3, 0, 1, "123", "NLT"},
      {'m', 5, 0, 1, "321", "TLN"},    {'m', 0, 3, 0, "321", "TLN"},   {'m', 1, 1, 1, "321", "TLN"},
      {'i', 1, 0, 1, "3021", "T0LN"},  {'d', 0, 0, 1, "021", "0LN"},
  };
  for (const auto &r : rows) {
    const std::string row = std::string(1, r.op) + std::to_string(r.a) + "," + std::to_string(r.b);
    if (r.op == 'i') {
      EXPECT_EQ(keys.InsertKey(r.a), r.result) << row;
      EXPECT_EQ(set.InsertField(r.a), r.result) << row;
    } else if (r.op == 'd') {
      EXPECT_EQ(keys.DeleteKey(r.a), r.result) << row;
      EXPECT_EQ(set.DeleteField(r.a), r.result) << row;
    } else {
      EXPECT_EQ(keys.MoveKey(r.a, r.b), r.result) << row;
      EXPECT_EQ(set.MoveField(r.a, r.b), r.result) << row;
    }
    EXPECT_EQ(Marks(keys), r.keys) << row;
    EXPECT_EQ(Names(set), r.fields) << row;
  }
  CVQTblKeyDesc copy(keys);
  ASSERT_EQ(copy.count, 3u);
  EXPECT_NE(copy.keys, keys.keys);
  EXPECT_EQ(std::memcmp(copy.keys, keys.keys, 3 * sizeof(SVQTblKey)), 0);
  keys.Free();
  EXPECT_EQ(keys.DeleteKey(0), 0);
  EXPECT_EQ(CVQTblKeyDesc(keys).keys, nullptr) << "an empty copy has no array";
  EXPECT_EQ(vqwinGetMessageBoxCount(), 0);
}

TEST_F(TblFldTest, ShortMemoryThrowsFromCopiesAndFailsInsertions) {
  const CVQTblFldDesc sample = Sample();
  CVQTblKeyDesc keys;
  ASSERT_EQ(keys.InsertKey(0), 1);
  ASSERT_EQ(keys.InsertKey(0), 1);
  const std::string fieldLog =
      "0 CVQTblFldDesc Not enough free memory for 3 field description records available.";
  const struct {
    const char *what;
    std::function<void()> run;
    UINT code;
    const char *box;
    std::string log;
  } rows[] = {
      {"field copy", [&] { (void)CVQTblFldDesc(sample); }, 501,
       "Nicht gen\xFCgend freier Speicher f\xFCr 3 Felddefinitionen.", fieldLog},
      {"field assignment", [&] { CVQTblFldDesc() = sample; }, 501, "", fieldLog},
      {"key copy", [&] { (void)CVQTblKeyDesc(keys); }, 601,
       "Nicht gen\xFCgend freier Speicher f\xFCr 2 Schl\xFCsseldefinitionen.",
       "0 CVQTblKeyDesc Not enough free memory to copy the key description table."},
      {"key assignment", [&] { CVQTblKeyDesc() = keys; }, 601, "",
       "0 CVQTblKeyDesc Not enough free memory to copy the column description table."},
  };
  for (const auto &r : rows) {
    Clear();
    NoMemory refused;
    EXPECT_THROW(r.run(), CVQTblFldErr) << r.what;
    ExpectNumberedBox(r.code, r.box, r.what);
    const auto lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], r.log) << r.what;
  }
  // A failed insertion leaves the key set as it was and the field set empty.
  Clear();
  CVQTblFldDesc set = sample;
  {
    NoMemory refused;
    EXPECT_EQ(keys.InsertKey(1), 0);
    EXPECT_EQ(set.InsertField(1), 0);
  }
  EXPECT_EQ(keys.count, 2u);
  EXPECT_EQ(set.count, 0u);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "vq_tbl32 Fehler (Fehlercode = 601)");
  EXPECT_EQ(boxes[1].text, "Nicht gen\xFCgend freier Speicher f\xFCr 4 Felddefinitionen.");
}

} // namespace
