// The table description: its TABLE block read, written and read again, the
// blocks it refuses and what each failure leaves, its check, its stored
// text inside an ISAM file, the editing of its lists with flat key part
// numbers, deep copies, and the grids it fills.
#include "desc_fixture.h"
#include "recording_grid.h"

#include <vq_isa32.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>

namespace {

const char kTable[] = "Table: \"Kunden\"\r\n"
                      "IndexNodeSize: 512\r\n"
                      "Field: 4, 30, 7, 0x0C00, 0, 0, 0, 20, \"Name\"\r\n"
                      "Field: 0, 4, 2, 0x0011, 2, 0x0011, 2, 10, \"Nr\"\r\n"
                      "Field: 34, 8, 3, 0x0001, 2, 0x0001, 2, 0, \"Umsatz\"\r\n"
                      "Key: 1\r\n"
                      "KeyPart: \"UNSIGNED\", \"NR\"\r\n"
                      "Key: 0, 1\r\n"
                      "KeyPart: \"TEXTNOCASE\", \"Name\"\r\n"
                      "KeyPart: \"UNSIGNED\", \"Nr\"\r\n"
                      "GalleryLayout: 2\r\n"
                      "ImageFileName: \"img\\%Nr%.png\"\r\n"
                      "Table: END\r\n";

using vqtest::Calls;
using vqtest::Field;
using vqtest::Written;

Calls Names(const CVQTableDesc &t) {
  Calls out;
  for (UINT i = 0; i < t.fields.count; ++i)
    out.push_back(t.fields.fields[i].name);
  return out;
}

class TableDesc : public vqtest::DescTest {
protected:
  static BOOL Read(const std::string &text, CVQTableDesc &t) {
    return ReadBlock(text, "TABLE", t, 1);
  }
  static void AddFields(CVQTableDesc &t, std::vector<CVQFieldDesc> list) {
    for (const auto &f : list) {
      UINT at = ~0u;
      ASSERT_TRUE(t.InsertField(f.name, &at));
      t.fields.fields[at] = f;
    }
  }
  static void AddKey(CVQTableDesc &t, std::vector<const char *> parts) {
    UINT at = ~0u;
    ASSERT_TRUE(t.InsertKey(&at));
    t.keys.keys[at].partCount = UINT(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
      t.keys.keys[at].parts[i].partType = 0;
      std::snprintf(t.keys.keys[at].parts[i].fieldName, 32, "%s", parts[i]);
    }
  }
};

TEST_F(TableDesc, BlockReadsSortedByOffsetAndWritesBackToTheSameDescription) {
  CVQTableDesc t;
  EXPECT_EQ(t.indexNodeSize, 1024u);
  ASSERT_EQ(Read(kTable, t), 1);
  EXPECT_STREQ(t.name, "Kunden");
  EXPECT_EQ(t.indexNodeSize, 512u);
  EXPECT_EQ(Names(t), (Calls{"Nr", "Name", "Umsatz"}));
  ASSERT_EQ(t.keys.count, 2u);
  EXPECT_EQ(t.keys.keys[1].partCount, 2u);
  EXPECT_EQ(t.gallery.enabled, 1);
  ASSERT_EQ(t.gallery.images.count, 1u);

  const std::string text = Written(t);
  CVQTableDesc back;
  ASSERT_EQ(Read(text, back), 1) << text;
  EXPECT_EQ(Written(back), text);
  EXPECT_EQ(std::memcmp(back.keys.keys, t.keys.keys, 2 * sizeof(CVQKeyDesc)), 0);
  EXPECT_EQ(std::memcmp(back.fields.fields, t.fields.fields, 3 * sizeof(CVQFieldDesc)), 0);
  ExpectNoBox("round trip");

  CVQTableDesc bare;
  ASSERT_EQ(Read("Table: \"Leer\"\r\nTable: END\r\n", bare), 1);
  EXPECT_EQ(bare.indexNodeSize, 2048u);
  EXPECT_EQ(bare.fields.count + bare.keys.count, 0u);
  Clear();
  EXPECT_EQ(bare.VerifyTable(), 0);
  ExpectOneBox(1403, "Die Tabelle Leer hat keine Datenfelder.", "no fields before no keys");
}

TEST_F(TableDesc, RefusedBlocksLogTheirReasonAndKeepWhatWasReadBefore) {
  const std::string bad = "0 CVQTableDesc Error on reading an object definition";
  const struct {
    std::string text;
    UINT code;
    Calls log;
    UINT keys, fields; // what the description holds afterwards; 9: not reached
  } rows[] = {
      {"Table: \"" + std::string(32, 'x') + "\"\r\nTable: END\r\n",
       1400,
       {"0 CVQTableDesc Error 10 on reading table keyword TABLE(1)"},
       9,
       9},
      {"Table: \"T\"\r\nKey: 0\r\nField: 0, 4, \"Nr\"\r\nTable: END\r\n",
       1201,
       {"0 CVQKeyDesc No key partitions defined for keyword KEY(0)", bad,
        "0 CVQTableDesc Error reading key descs for table T"},
       0,
       9},
      {"Table: \"T\"\r\nKey: 0\r\nKeyPart: \"TEXT\", \"Nr\"\r\nField: 0, 4, \"\"\r\nTable: END\r\n",
       1301,
       {"0 CVQFieldDesc Field name is empty in data field FIELD(0)", bad,
        "0 CVQTableDesc Error reading field descs for table T"},
       1,
       0},
  };
  for (const auto &r : rows) {
    CVQTableDesc t;
    for (UINT i = 0; i < 9; ++i) {
      AddKey(t, {"a"});
      AddFields(t, {Field(i, 1, iteINT8, ("f" + std::to_string(i)).c_str())});
    }
    Clear();
    EXPECT_EQ(Read(r.text, t), 0) << r.text;
    EXPECT_EQ(Logged(), r.log) << r.text;
    ExpectOneBox(r.code, nullptr, r.text);
    EXPECT_EQ(t.keys.count, r.keys) << r.text;
    EXPECT_EQ(t.fields.count, r.fields) << r.text;
  }
}

TEST_F(TableDesc, VerifyTableStopsAtTheFirstFault) {
  const auto table = [](UINT node, std::vector<CVQFieldDesc> fields, bool key) {
    CVQTableDesc t;
    std::snprintf(t.name, sizeof t.name, "T");
    t.indexNodeSize = node;
    t.fields.fields = new CVQFieldDesc[fields.size() + 1];
    std::copy(fields.begin(), fields.end(), t.fields.fields);
    t.fields.count = UINT(fields.size());
    t.fields.capacity = t.fields.count + 1;
    if (key) {
      UINT at = 0;
      t.InsertKey(&at);
    }
    return t;
  };
  const std::vector<CVQFieldDesc> good = {Field(0, 4, iteINT32, "A"), Field(4, 2, iteINT16, "B")};
  const struct {
    const char *name;
    CVQTableDesc table;
    BOOL ok;
    UINT code; // 0: no box
    const char *box;
  } rows[] = {
      {"node 32", table(32, good, true), 1, 0, nullptr},
      {"node 65535", table(65535, good, true), 1, 0, nullptr},
      {"node 31", table(31, good, true), 0, 1401,
       "Die Tabelle T hat eine zu kleine Indexknotengr\xF6\xDF"
       "e (31); mindestens 32 Bytes sind n\xF6tig."},
      {"node 65536", table(65536, good, true), 0, 1402, nullptr},
      {"record size 0", table(1024, {Field(0, 0, ~0u, "A")}, true), 0, 1404, nullptr},
      {"no keys", table(1024, good, false), 0, 1405, "Die Tabelle T hat keine Indexschl\xFCssel."},
      {"bad field", table(1024, {Field(0, 3, iteINT32, "A")}, true), 0, 1312, nullptr},
      {"overlap", table(1024, {Field(0, 4, iteINT32, "A"), Field(2, 2, iteINT16, "B")}, true), 0,
       1407,
       "In der Tabelle T \xFC"
       "berlappen sich die Felder A und B im Byte 2."},
      {"gap", table(1024, {Field(0, 4, iteINT32, "A"), Field(6, 2, iteINT16, "B")}, true), 1, 1409,
       "In der Tabelle T geh\xF6ren 2 Bytes des Datensatzes zu keinem Feld."},
  };
  for (const auto &r : rows) {
    Clear();
    EXPECT_EQ(r.table.VerifyTable(), r.ok) << r.name;
    if (r.code)
      ExpectOneBox(r.code, r.box, r.name);
    else
      ExpectNoBox(r.name);
  }
}

class TableStore : public TableDesc {
protected:
  void SetUp() override {
    TableDesc::SetUp();
    path = testing::TempDir() + "table_store_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + ".isam";
    std::filesystem::remove(path);
    UINT detail = 0;
    ASSERT_EQ(ISAMCreate(&file, path.c_str(), &detail), 0u);
  }
  void TearDown() override {
    UINT detail = 0;
    if (file)
      ISAMClose(file, &detail);
    std::filesystem::remove(path);
    TableDesc::TearDown();
  }
  std::string path;
  HISAMFILE file = nullptr;
};

TEST_F(TableStore, CreatedTableReadsBackFromItsStoredTextWithTheEnginesNodeSize) {
  CVQTableDesc t;
  ASSERT_EQ(Read(kTable, t), 1);
  ASSERT_EQ(t.CreateISAMTable(file), 1);
  CVQTableDesc back;
  ASSERT_EQ(back.ReadDesc(file, 0), 1);
  EXPECT_STREQ(back.name, "Kunden");
  UINT engineSize = 0;
  HISAMTABLE table = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, "Kunden", &table), 0u);
  ISAMGetIndexRecSize(table, &engineSize);
  UINT size = 0;
  ISAMGetTableDescSize(table, 0, &size);
  std::string stored(size, '\0');
  ISAMReadTableDesc(table, 0, stored.data(), size, &size);
  ISAMCloseTable(table);
  EXPECT_EQ(back.indexNodeSize, engineSize);
  back.indexNodeSize = t.indexNodeSize;
  EXPECT_EQ(Written(back), Written(t));
  EXPECT_NE(stored.find("ISAM File Description"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Tablora: ISAM file manager"), std::string::npos) << stored;
  ExpectNoBox("stored");

  Clear();
  EXPECT_EQ(t.CreateISAMTable(file), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQTableDesc Error 1016 on creating table Kunden"});
  ExpectOneBox(0, nullptr, "twice");
}

TEST_F(TableStore, ATableWithoutStoredTextKeepsItsListsAndAMissingTableFails) {
  ISAMIDT item{};
  item.bytes[5] = 1;
  item.bytes[10] = 4; // part 0: TEXT at offset 0, 4 bytes
  ASSERT_EQ(ISAMCreateTable(file, "Bare", &item, 1, 4, 4096), 0u);
  CVQTableDesc t;
  AddFields(t, {Field(0, 4, iteTEXT, "Kept")});
  ASSERT_EQ(t.ReadDesc(file, 0), 1);
  EXPECT_STREQ(t.name, "Bare");
  EXPECT_EQ(t.indexNodeSize, 4096u);
  EXPECT_EQ(Names(t), Calls{"Kept"});
  EXPECT_EQ(Logged(), Calls{"1 CVQTableDesc Table Bare contains no record description."});

  Clear();
  EXPECT_EQ(t.ReadDesc(file, 5), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQTableDesc Error 1014 on ISAMGetTableName( 5 )"});

  Clear();
  CVQTableDesc noKeys;
  AddFields(noKeys, {Field(0, 4, iteTEXT, "A")});
  std::snprintf(noKeys.name, sizeof noKeys.name, "NoKeys");
  EXPECT_EQ(noKeys.CreateISAMTable(file), 0);
  EXPECT_EQ(Logged(), (Calls{"0 CVQKeyDesc No keys defined on call of CreateIDT.",
                             "0 CVQTableDesc Cannot create an IDT for table NoKeys"}));
}

// The insertion itself (growth, the end without a search, names cut to
// their room) is the table list's helper, pinned by the file description's
// tests; the fields bring their own name comparison and failure line.
TEST_F(TableDesc, InsertFieldMovesANamesakeInAnyCaseWithItsData) {
  CVQTableDesc t;
  for (const char *n : {"a", "b", "c", "d", "e", "f"}) {
    UINT at = 99;
    ASSERT_EQ(t.InsertField(n, &at), 1);
  }
  t.fields.fields[5].size = 77;
  UINT at = 2;
  ASSERT_EQ(t.InsertField("F", &at), 1);
  EXPECT_EQ(at, 2u);
  EXPECT_EQ(Names(t), (Calls{"a", "b", "f", "c", "d", "e"}));
  EXPECT_EQ(t.fields.fields[2].size, 77u);
  Clear();
  EXPECT_EQ(t.SetFieldName(6, "x"), 0);
  EXPECT_EQ(Logged(),
            Calls{"0 CVQTableDesc Data field definition 6 not found in table description."});
}

TEST_F(TableDesc, FlatKeyPartNumbersCountPartsOverAllKeys) {
  CVQTableDesc t;
  AddFields(t, {Field(0, 4, iteINT32, "Nr"), Field(4, 4, iteINT32, "Plz")});
  AddKey(t, {"NR", "plz"});
  AddKey(t, {});
  AddKey(t, {"Plz", "Nr", "Nr"});
  UINT at = 1;
  ASSERT_EQ(t.InsertKey(&at), 1);
  EXPECT_EQ(at, 1u);
  EXPECT_EQ(t.keys.keys[1].partCount, 1u);
  t.keys.keys[1].partCount = 0; // keys of 2, 0, 0 and 3 parts
  const UINT none = ~0u;
  const UINT expectKey[] = {0, 0, 3, 3, 3, none};
  const UINT expectPart[] = {0, 1, 0, 1, 2, none};
  for (UINT flat = 0; flat < 6; ++flat) {
    EXPECT_EQ(t.KeyPartToIndex(flat), expectKey[flat]) << flat;
    EXPECT_EQ(t.KeyPartToPart(flat), expectPart[flat]) << flat;
  }
  EXPECT_EQ(t.FindKeyToFieldIndex(0), 0u);
  EXPECT_EQ(t.FindKeyToFieldIndex(1), 3u);
  EXPECT_EQ(t.FindKeyToFieldIndex(2), none);
  EXPECT_EQ(t.FindFieldToKeyIndex(0, 1), 1u);
  EXPECT_EQ(t.FindFieldToKeyIndex(0, 3), none); // an unused part names no field
  EXPECT_EQ(t.FindFieldToKeyIndex(0, 4), none);
  t.SetKeyFieldIndex(3, 2, 1);
  EXPECT_STREQ(t.keys.keys[3].parts[2].fieldName, "Plz");
  t.SetKeyFieldIndex(3, 4, 1); // no such part: nothing happens

  vqtest::RecordingGrid grid;
  CGridDef def(&theLibrary, 7, nullptr, 0, 0);
  def.pGrid = &grid;
  ASSERT_EQ(t.ListKeys(def), 1);
  EXPECT_EQ(grid.CallsOf("InsertItem"),
            (Calls{"InsertItem(0, 0, 0)", "InsertItem(1, 1, 0)", "InsertItem(2, 2, 0)",
                   "InsertItem(3, 3, 0)", "InsertItem(4, 4, 0)"}));
  EXPECT_EQ(grid.calls.front(), "DeleteAllItems(1)");
  const Calls shown = grid.CallsOf("SetItemUInt");
  EXPECT_NE(std::find(shown.begin(), shown.end(), "SetItemUInt(2, 0, 4)"), shown.end())
      << "key 3 starts on line 2";
}

TEST_F(TableDesc, CopiesAreDeepAndAssignmentToItselfChangesNothing) {
  CVQTableDesc t;
  ASSERT_EQ(Read(kTable, t), 1);
  CVQTableDesc copy(t);
  EXPECT_NE(copy.fields.fields, t.fields.fields);
  EXPECT_NE(copy.keys.keys, t.keys.keys);
  EXPECT_NE(copy.gallery.images.images, t.gallery.images.images);
  EXPECT_EQ(Written(copy), Written(t));
  CVQTableDescList list;
  list.tables = new CVQTableDesc[2];
  list.count = list.capacity = 2;
  list.tables[1] = t;
  const CVQTableDescList &same = list;
  list = same;
  CVQTableDescList other(list);
  t.FreeTable();
  EXPECT_EQ(t.fields.count + t.keys.count, 0u);
  EXPECT_STREQ(t.name, "Kunden");
  EXPECT_EQ(t.gallery.enabled, 1);
  EXPECT_EQ(Written(other.tables[1]), Written(copy));
}

TEST_F(TableDesc, DataHeaderGivesOneColumnPerFieldAndMarksKeyFields) {
  CVQTableDesc t;
  ASSERT_EQ(Read(kTable, t), 1);
  vqtest::RecordingGrid grid;
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  vqtest::CreateRecordingGridWindow(parent, 40, &grid);
  ASSERT_EQ(t.DispGridDataHeader(parent, 40), &grid);
  EXPECT_EQ(grid.calls,
            (Calls{"DeleteAllItems(0)", "SetColumnCount(3, 0)",
                   "SetColumnHeader(0, 10, 2, \"Nr\", 0)", "SetColumnType(0, 0, 41, 2)",
                   "SetColumnHeader(1, 20, 0, \"Name\", 0)", "SetColumnType(1, 0, 42, 2)",
                   "SetColumnHeader(2, 0, 2, \"\", 0)", "SetColumnType(2, 0, 43, 0)"}));
  Clear();
  EXPECT_EQ(t.DispGridDataHeader(parent, 41), nullptr);
  ExpectOneBox(1430, nullptr, "no grid");
  Clear();
  EXPECT_EQ(t.DispGridDataHeader(parent, ~0u), nullptr);
  EXPECT_EQ(Logged(), Calls{"0 CVQTableDesc Cannot inquire the grid class instance."});
}

TEST_F(TableDesc, ANameThatWouldNotReadBackKeepsTheWholeBlockUnwritten) {
  CVQTableDesc t;
  ASSERT_EQ(Read(kTable, t), 1);
  ASSERT_EQ(t.SetFieldName(1, "Na\rme"), 1);
  CVQConfFile out;
  ASSERT_TRUE(out.StartEdit(4096, 8, 32, 24, 80, 104));
  Clear();
  EXPECT_EQ(t.WriteDef(out, "Table:"), 0);
  EXPECT_EQ(out.GetEditLength(), 0u);
  EXPECT_EQ(
      Logged(),
      Calls{"0 CVQTableDesc Cannot write table Kunden: a name contains a control character."});
}

// The filler and the selection are the table list's helpers, whose failures
// the file description's tests pin; what is the table's own is which fields
// it lists and how it finds the one to select.
TEST_F(TableDesc, FieldsComboListsNamedFieldsAndSelectsInAnyCase) {
  CVQTableDesc t;
  AddFields(t,
            {Field(0, 4, iteINT32, "Nr"), Field(4, 4, iteINT32, ""), Field(8, 4, iteINT32, "Plz")});
  HWND box = nullptr, dialog = ComboDialog(box);
  ASSERT_EQ(t.FillFieldsCombo(dialog, 12, "PLZ"), 1);
  EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 2);
  char name[32] = {};
  ASSERT_EQ(t.GetCurrSelCombo(box, 0, name), 1);
  EXPECT_STREQ(name, "Plz");
}

} // namespace
