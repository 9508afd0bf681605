// The index key description: its KEY block through the configuration
// reader and editor, the blocks it refuses, its lines in a grid of key
// parts, and the engine's index description table built over the fields.
#include "desc_fixture.h"
#include "recording_grid.h"

#include <vq_isa32.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using vqtest::Calls;

CVQKeyDesc Key(std::vector<UINT> attributes, std::vector<std::pair<UINT, const char *>> parts) {
  CVQKeyDesc k;
  for (size_t a = 0; a < attributes.size(); ++a)
    k.attributes[a] = attributes[a];
  k.partCount = UINT(parts.size());
  for (size_t i = 0; i < parts.size() && i < 4; ++i) {
    k.parts[i].partType = parts[i].first;
    std::snprintf(k.parts[i].fieldName, sizeof k.parts[i].fieldName, "%s", parts[i].second);
  }
  return k;
}

// Fills a list the way the table description does: an array from new[].
template <typename L, typename T> void Fill(L &list, T *L::*array, std::vector<T> records) {
  delete[](list.*array);
  list.*array = new T[records.size() + 1];
  std::copy(records.begin(), records.end(), list.*array);
  list.count = UINT(records.size());
  list.capacity = list.count + 1;
}

CVQFieldDesc Field(UINT offset, UINT size, const char *name) {
  return vqtest::Field(offset, size, iteTEXT, name);
}

class KeyDesc : public vqtest::DescTest {
protected:
  static int ReadKey(const std::string &text, CVQKeyDesc &k) {
    return ReadBlock(text, "KEY", k, 3);
  }
};

TEST_F(KeyDesc, ReadsAttributesAndPartsAndFillsMissingNumbersWithZero) {
  CVQKeyDesc k;
  ASSERT_EQ(ReadKey("Key: 1, 1, 0\r\n"
                    "KeyPart: \"text\", \"Name\"\r\n"
                    "KeyPart: \"UNSIGNED\", \"Nr\"\r\n"
                    "Field: 0, 4, \"Nr\"\r\n",
                    k),
            1);
  EXPECT_EQ(std::vector<UINT>(k.attributes, k.attributes + 5), std::vector<UINT>({1, 1, 0, 0, 0}));
  ASSERT_EQ(k.partCount, 2u);
  EXPECT_EQ(k.parts[0].partType, ISAMGetKeyType("TEXT"));
  EXPECT_STREQ(k.parts[0].fieldName, "Name");
  EXPECT_EQ(k.parts[1].partType, ISAMGetKeyType("UNSIGNED"));
  EXPECT_STREQ(k.parts[1].fieldName, "Nr");
  EXPECT_EQ(k.parts[2].partType, ~0u);
  EXPECT_STREQ(k.parts[2].fieldName, "");
  ExpectNoBox("good key");
}

TEST_F(KeyDesc, RefusedBlocksNameTheKeyAndThePart) {
  const std::string part = "KeyPart: \"TEXT\", \"A\"\r\n";
  const struct {
    const char *name;
    std::string text;
    UINT code;
    const char *box;
    const char *log;
  } rows[] = {
      {"no key part", "Key: 0\r\n", 1201,
       "F\xFCr den Schl\xFCssel KEY(3) sind keine Schl\xFCsselteile definiert.",
       "0 CVQKeyDesc No key partitions defined for keyword KEY(3)"},
      {"five key parts", "Key: 0\r\n" + part + part + part + part + part, 1202,
       "F\xFCr den Schl\xFCssel KEY(3) sind 5 Schl\xFCsselteile definiert; h\xF6"
       "chstens 4 sind erlaubt.",
       "0 CVQKeyDesc Too many partitions (5) defined for key KEY(3)"},
      {"unknown type", "Key: 0\r\n" + part + "KeyPart: \"NOSUCH\", \"B\"\r\n", 1204,
       "Unbekannter Schl\xFCsselteiltyp \"NOSUCH\" im Schl\xFCsselteil 1 von KEY(3).",
       "0 CVQKeyDesc Illegal key partition type NOSUCH"},
      {"six attributes", "Key: 0, 0, 0, 0, 0, 0\r\n" + part, 1200,
       "Fehler 7 beim Lesen der Schl\xFCsselbeschreibung KEY(3).",
       "0 CVQKeyDesc Error 7 on reading key keyword KEY(3)"},
      {"one text", "Key: 0\r\n" + part + "KeyPart: \"TEXT\"\r\n", 1203,
       "Fehler 9 beim Lesen des Schl\xFCsselteils 1 von KEY(3).",
       "0 CVQKeyDesc Error 9 reading key part 1 of KEY(3)"},
      {"field name too long", "Key: 0\r\nKeyPart: \"TEXT\", \"" + std::string(32, 'x') + "\"\r\n",
       1203, "Fehler 10 beim Lesen des Schl\xFCsselteils 0 von KEY(3).",
       "0 CVQKeyDesc Field name of key part 0 of KEY(3) is longer than 31 characters"},
  };
  for (const auto &r : rows) {
    CVQKeyDesc k;
    Clear();
    EXPECT_EQ(ReadKey(r.text, k), 0) << r.name;
    ExpectOneBox(r.code, r.box, r.name);
    EXPECT_EQ(Logged(), Calls{r.log}) << r.name;
  }
}

TEST_F(KeyDesc, WritesACommentTheKeyLineAndOneLinePerPartThatReadBack) {
  const CVQKeyDesc key = Key({1, 0, 1, 0, 0}, {{ISAMGetKeyType("TEXTNOCASE"), "Name \"A\""},
                                               {ISAMGetKeyType("SIGNED"), "Nr"}});
  CVQConfFile out;
  ASSERT_TRUE(out.StartEdit(4096, 8, 32, 24, 80, 104));
  EXPECT_EQ(key.WriteDef(out), 1);
  const std::string pad(24 - 8, ' ');
  const std::string part = "KeyPart:" + pad;
  EXPECT_EQ(std::string(out.GetEditText()),
            ";\r\nKey:" + std::string(20, ' ') + "1, 0, 1, 0, 0\r\n" + part +
                "\"TEXTNOCASE\", \"Name \"\"A\"\"\"\r\n" + part + "\"SIGNED\", \"Nr\"\r\n");
  CVQKeyDesc back;
  ASSERT_EQ(ReadKey(out.GetEditText(), back), 1);
  EXPECT_EQ(std::memcmp(&back, &key, sizeof key), 0);
}

TEST_F(KeyDesc, DispDefShowsTheKeyOnItsFirstLineAndEveryPartOnItsOwn) {
  vqtest::RecordingGrid grid;
  CGridDef def(&theLibrary, 7, nullptr, 0, 0);
  const CVQKeyDesc key = Key({1, 2, 3, 4, 5}, {{ISAMGetKeyType("TEXT"), "Name"}, {999, "Nr"}});
  EXPECT_EQ(key.DispDef(def, 4, 10), 1); // no interface: nothing to do
  def.pGrid = &grid;
  EXPECT_EQ(key.DispDef(def, 4, 10), 1);
  EXPECT_EQ(grid.calls,
            (Calls{"SetItemUInt(10, 0, 5)", "SetItemUInt(10, 1, 1)", "SetItemUInt(10, 2, 2)",
                   "SetItemUInt(10, 3, 3)", "SetItemUInt(10, 4, 4)", "SetItemUInt(10, 5, 5)",
                   "SetItemUInt(10, 6, 2)", "SetItemText(10, 7, \"TEXT\")",
                   "SetItemText(10, 8, \"Name\")", "SetItemText(11, 0, \"\")",
                   "SetItemUInt(11, 1, 4294967295)", "SetItemUInt(11, 2, 4294967295)",
                   "SetItemUInt(11, 3, 4294967295)", "SetItemUInt(11, 4, 4294967295)",
                   "SetItemUInt(11, 5, 4294967295)", "SetItemText(11, 6, \"\")",
                   "SetItemText(11, 7, \"???\")", "SetItemText(11, 8, \"Nr\")"}));
}

TEST_F(KeyDesc, CreateIDTFillsOneItemPerKeyFindingFieldsWithoutCase) {
  CVQFieldDescList fields;
  Fill(fields, &CVQFieldDescList::fields,
       {Field(0, 4, "Nr"), Field(4, 30, "Name"), Field(0x1234, 0x0102, "Far")});
  CVQKeyDescList keys;
  Fill(keys, &CVQKeyDescList::keys,
       {Key({1, 0, 0, 0, 0}, {{2, "NR"}}), Key({0, 1, 1, 0, 0}, {{1, "name"}, {6, "FAR"}})});
  ISAMIDT *idt = keys.CreateIDT(fields);
  ASSERT_NE(idt, nullptr);
  std::vector<BYTE> want(2 * 58, 0);
  const BYTE item0[] = {1, 0, 0, 0, 0, 1, 2, 0, 0, 0, 4, 0};
  const BYTE item1[] = {0, 1, 1, 0, 0, 2, 1, 0, 4, 0, 30, 0, 0, 0, 6, 0, 0x34, 0x12, 0x02, 0x01};
  std::copy(std::begin(item0), std::end(item0), want.begin());
  std::copy(std::begin(item1), std::end(item1), want.begin() + 58);
  EXPECT_EQ(std::vector<BYTE>(idt[0].bytes, idt[0].bytes + 2 * 58), want);
  keys.FreeIDT(idt);
  ExpectNoBox("good table");
}

TEST_F(KeyDesc, CreateIDTRefusesWhatTheEngineCouldNotTake) {
  using Keys = std::vector<CVQKeyDesc>;
  const std::vector<CVQFieldDesc> some = {Field(0, 4, "Nr"), Field(70000, 2, "Far")}, none;
  const CVQKeyDesc nr = Key({}, {{0, "Nr"}});
  const struct {
    Keys keys;
    std::vector<CVQFieldDesc> fields;
    UINT code;
    const char *box;
    const char *log; // not checked when null
  } rows[] = {
      {Keys(), some, 1210,
       "Es sind keine Schl\xFCssel definiert; die Indexbeschreibung kann nicht erstellt werden.",
       "0 CVQKeyDesc No keys defined on call of CreateIDT."},
      {Keys{nr}, none, 1211,
       "Es sind keine Datenfelder definiert; die Indexbeschreibung kann nicht erstellt werden.",
       "0 CVQKeyDesc No fields defined on call of CreateIDT."},
      {Keys{nr, Key({}, {{0, "Nr"}, {0, "Gone"}})}, some, 1213,
       "Das Datenfeld \"Gone\" des Schl\xFCssels 1, Teil 1, ist in der Feldtabelle nicht "
       "vorhanden.",
       "0 CVQKeyDesc Fieldname Gone not found in field table."},
      // An attribute of 256, then an offset of 70000.
      {Keys{Key({256}, {{0, "Nr"}})}, some, 1214, nullptr,
       "0 CVQKeyDesc Key 0 does not fit an IDT item: attributes and part count must be below "
       "256, part types, field offsets and sizes below 65536."},
      {Keys{Key({}, {{0, "Far"}})}, some, 1214, nullptr, nullptr},
  };
  for (const auto &r : rows) {
    const std::string name = std::to_string(&r - rows);
    CVQFieldDescList fields;
    CVQKeyDescList keys;
    if (!r.fields.empty())
      Fill(fields, &CVQFieldDescList::fields, r.fields);
    if (!r.keys.empty())
      Fill(keys, &CVQKeyDescList::keys, r.keys);
    Clear();
    EXPECT_EQ(keys.CreateIDT(fields), nullptr) << name;
    ExpectOneBox(r.code, r.box, name);
    if (r.log) {
      EXPECT_EQ(Logged(), Calls{r.log}) << name;
    }
  }
}

TEST_F(KeyDesc, ListCopiesAreDeepAndResetTheirWord) {
  CVQKeyDescList keys;
  Fill(keys, &CVQKeyDescList::keys, {Key({1}, {{0, "Nr"}}), Key({2}, {{0, "Name"}})});
  keys.reset = 7;
  CVQKeyDescList copy(keys);
  EXPECT_EQ(copy.reset, 0u);
  ASSERT_EQ(copy.count, 2u);
  EXPECT_NE(copy.keys, keys.keys);
  EXPECT_STREQ(copy.keys[1].parts[0].fieldName, "Name");
  CVQKeyDescList empty;
  copy = empty;
  EXPECT_EQ(copy.count, 0u);
  EXPECT_EQ(copy.keys, nullptr);
  const CVQKeyDescList &same = keys;
  keys = same;
  EXPECT_EQ(keys.count, 2u);
}

} // namespace
