// The key partition types: names and codes, and for every type a list of
// field values in key order that the engine must reproduce whatever order
// they are inserted in. Also the engine's error texts.
#include "isam_fixture.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace isamtest;

namespace {

template <typename T> std::vector<BYTE> bytesOf(T v) {
  std::vector<BYTE> b(sizeof v);
  std::memcpy(b.data(), &v, sizeof v);
  return b;
}

std::vector<BYTE> text(const char *s, size_t size) {
  std::vector<BYTE> b(size, 0);
  std::memcpy(b.data(), s, std::min(size, std::strlen(s)));
  return b;
}

struct TypeRow {
  const char *type;
  UINT size;
  // Field values in ascending key order; values in one inner list are equal keys.
  std::vector<std::vector<std::vector<BYTE>>> ascending;
};

std::vector<TypeRow> typeRows() {
  const double inf = std::numeric_limits<double>::infinity();
  const float finf = std::numeric_limits<float>::infinity();
  return {
      {"TEXT",
       6,
       {{text("", 6)},
        {text("A", 6)},
        {text("AB", 6)},
        {text("Ab", 6)},
        {text("B", 6)},
        {text("a", 6)},
        {text("a b", 6)},
        {text("ab", 6)},
        {text("\xE4", 6)}}},
      {"TEXTNOCASE",
       6,
       {{text("", 6)},
        {text("a", 6), text("A", 6)},
        {text("AB", 6), text("ab", 6), text("aB", 6)},
        {text("b", 6)},
        {text("Zz", 6), text("zZ", 6)},
        {text("\xC4rger", 6), text("\xE4rger", 6)}}},
      {"UNSIGNED",
       1,
       {{bytesOf<uint8_t>(0)},
        {bytesOf<uint8_t>(1)},
        {bytesOf<uint8_t>(200)},
        {bytesOf<uint8_t>(255)}}},
      {"UNSIGNED",
       2,
       {{bytesOf<uint16_t>(0)},
        {bytesOf<uint16_t>(255)},
        {bytesOf<uint16_t>(256)},
        {bytesOf<uint16_t>(65535)}}},
      {"UNSIGNED",
       4,
       {{bytesOf<uint32_t>(0)},
        {bytesOf<uint32_t>(0xFF)},
        {bytesOf<uint32_t>(0x100)},
        {bytesOf<uint32_t>(0x80000000u)},
        {bytesOf<uint32_t>(0xFFFFFFFFu)}}},
      {"UNSIGNED",
       8,
       {{bytesOf<uint64_t>(0)},
        {bytesOf<uint64_t>(1ull << 32)},
        {bytesOf<uint64_t>(1ull << 63)},
        {bytesOf<uint64_t>(~0ull)}}},
      {"SIGNED",
       1,
       {{bytesOf<int8_t>(-128)},
        {bytesOf<int8_t>(-1)},
        {bytesOf<int8_t>(0)},
        {bytesOf<int8_t>(1)},
        {bytesOf<int8_t>(127)}}},
      {"SIGNED",
       2,
       {{bytesOf<int16_t>(-32768)},
        {bytesOf<int16_t>(-256)},
        {bytesOf<int16_t>(-1)},
        {bytesOf<int16_t>(0)},
        {bytesOf<int16_t>(255)},
        {bytesOf<int16_t>(32767)}}},
      {"SIGNED",
       4,
       {{bytesOf<int32_t>(INT32_MIN)},
        {bytesOf<int32_t>(-70000)},
        {bytesOf<int32_t>(-1)},
        {bytesOf<int32_t>(0)},
        {bytesOf<int32_t>(70000)},
        {bytesOf<int32_t>(INT32_MAX)}}},
      {"SIGNED",
       8,
       {{bytesOf<int64_t>(INT64_MIN)},
        {bytesOf<int64_t>(-(1ll << 40))},
        {bytesOf<int64_t>(-1)},
        {bytesOf<int64_t>(0)},
        {bytesOf<int64_t>(1ll << 40)},
        {bytesOf<int64_t>(INT64_MAX)}}},
      {"FLOAT",
       4,
       {{bytesOf<float>(-finf)},
        {bytesOf<float>(-1e30f)},
        {bytesOf<float>(-1.5f)},
        {bytesOf<float>(-1e-40f)}, // subnormal
        {bytesOf<float>(0.0f), bytesOf<float>(-0.0f)},
        {bytesOf<float>(1e-40f)},
        {bytesOf<float>(0.25f)},
        {bytesOf<float>(3.0f)},
        {bytesOf<float>(finf)},
        {bytesOf<float>(std::nanf("")), bytesOf<float>(-std::nanf("1"))}}},
      {"DOUBLE",
       8,
       {{bytesOf<double>(-inf)},
        {bytesOf<double>(-1e300)},
        {bytesOf<double>(-2.5)},
        {bytesOf<double>(0.0), bytesOf<double>(-0.0)},
        {bytesOf<double>(1e-300)},
        {bytesOf<double>(2.5)},
        {bytesOf<double>(1e300)},
        {bytesOf<double>(inf)},
        {bytesOf<double>(std::nan(""))}}},
      {"DIGITS",
       8,
       {{text("-1000", 8)},
        {text("-99", 8), text("  -099", 8)},
        {text("-12,5", 8)},
        {text("-12", 8)},
        {text("-0,05", 8)},
        {text("0", 8), text("", 8), text("  ", 8), text("-0", 8), text("000", 8), text("0,00", 8)},
        {text("0.05", 8), text("0,050", 8)},
        {text("0,5", 8)},
        {text("7", 8), text(" 7", 8), text("+7", 8), text("007 ", 8), text("7x", 8)},
        {text("7,25", 8)},
        {text("12", 8)},
        {text("99", 8)},
        {text("100", 8)},
        {text("12345678", 8)}}},
  };
}

class KeyTypeTest : public IsamTest {};

TEST_F(KeyTypeTest, EveryTypeIteratesInItsOrder) {
  create();
  std::mt19937 rng(42);
  int tableNumber = 0;
  for (const TypeRow &row : typeRows()) {
    const std::string label = std::string(row.type) + "/" + std::to_string(row.size);
    const std::string name = "T" + std::to_string(tableNumber++);
    // Record: the key field, then the value's rank as a 4-byte number.
    const UINT recordSize = row.size + 4;
    HISAMTABLE t =
        makeTable(name.c_str(), {keyItem({{keyType(row.type), 0, row.size}})}, recordSize);
    std::vector<std::vector<BYTE>> records;
    for (uint32_t rank = 0; rank < row.ascending.size(); ++rank)
      for (const auto &value : row.ascending[rank]) {
        std::vector<BYTE> r(value);
        r.resize(recordSize);
        std::memcpy(r.data() + row.size, &rank, 4);
        records.push_back(r);
      }
    std::shuffle(records.begin(), records.end(), rng);
    for (const auto &r : records)
      insert(t, r);
    ASSERT_EQ(ISAMSetupIterationLimits(t, 0, 0, nullptr, nullptr), 0u) << label;
    std::vector<BYTE> buffer(recordSize);
    DWORD address = 0;
    uint32_t last = 0, seen = 0;
    while (ISAMReadNextRecord(t, 0, buffer.data(), &address, 0) == 0) {
      uint32_t rank;
      std::memcpy(&rank, buffer.data() + row.size, 4);
      EXPECT_GE(rank, last) << label << ": record " << seen << " out of order";
      last = rank;
      ++seen;
    }
    EXPECT_EQ(seen, records.size()) << label;
    EXPECT_EQ(last, row.ascending.size() - 1) << label;
  }
}

TEST_F(KeyTypeTest, UniqueKeysCompareByValueNotByBytes) {
  create();
  HISAMTABLE t = makeTable(
      "U",
      {keyItem({{keyType("DIGITS"), 0, 6}}, true), keyItem({{keyType("TEXTNOCASE"), 6, 4}}, true)},
      10);
  insert(t, {'0', '4', '2', ' ', ' ', ' ', 'a', 'b', 0, 0});
  DWORD address = 0;
  std::vector<BYTE> sameNumber = {' ', '4', '2', ',', '0', ' ', 'x', 0, 0, 0};
  EXPECT_EQ(ISAMInsertRecord(t, sameNumber.data(), 10, &address), UINT{ISAM_ERR_DUPLICATE_KEY});
  std::vector<BYTE> sameText = {'4', '3', 0, 0, 0, 0, 'A', 'B', 0, 0};
  EXPECT_EQ(ISAMInsertRecord(t, sameText.data(), 10, &address), UINT{ISAM_ERR_DUPLICATE_KEY});
}

TEST(KeyTypeNames, NamesAndCodesMapBothWays) {
  const char *names[] = {"TEXT", "TEXTNOCASE", "UNSIGNED", "SIGNED", "FLOAT", "DOUBLE", "DIGITS"};
  for (UINT code = 0; code < 7; ++code) {
    ASSERT_NE(ISAMKeyType(code), nullptr) << code;
    EXPECT_STREQ(ISAMKeyType(code), names[code]);
    EXPECT_EQ(ISAMGetKeyType(names[code]), code);
  }
  EXPECT_EQ(ISAMGetKeyType("textNoCase"), 1u);
  EXPECT_EQ(ISAMKeyType(7), nullptr);
  EXPECT_EQ(ISAMKeyType(ISAM_NO_KEY_TYPE), nullptr);
  for (const char *unknown : {"", "TEX", "TEXTS", "INTEGER", "TEXT "})
    EXPECT_EQ(ISAMGetKeyType(unknown), ISAM_NO_KEY_TYPE) << '"' << unknown << '"';
  EXPECT_EQ(ISAMGetKeyType(nullptr), ISAM_NO_KEY_TYPE);
}

// The key page's drop-down: a real list box filled from the engine's table,
// in the thread's UI language, with the part's type selected.
TEST(KeyTypeNames, ListBoxTableShowsEveryTypeInTheUiLanguage) {
  const LANGID saved = GetThreadUILanguage();
  HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_NOTIFY, 0, 0, 200, 150, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(list, nullptr);
  const struct {
    LANGID language;
    UINT partType;
    LRESULT row;
    std::vector<std::string> names;
  } rows[] = {
      {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
       3,
       3,
       {"Text", "Text ohne Gro\xDF-/Kleinschreibung", "Ganzzahl ohne Vorzeichen",
        "Ganzzahl mit Vorzeichen", "Gleitkommazahl (4 Byte)", "Gleitkommazahl (8 Byte)",
        "Ziffern nach Zahlenwert"}},
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
       6,
       6,
       {"Text", "Text ignoring case", "Unsigned integer", "Signed integer",
        "Floating point (4 bytes)", "Floating point (8 bytes)", "Digits by numeric value"}},
      // A part beyond the key's part count has no type: nothing selected.
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), ISAM_NO_KEY_TYPE, LB_ERR, {}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.partType);
    SetThreadUILanguage(row.language);
    ASSERT_EQ(ISAMLBKeyTypes.Display(list, row.partType), 1);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 7);
    for (size_t i = 0; i < row.names.size(); ++i) {
      char text[64] = "";
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(text, row.names[i]) << i;
    }
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), row.row);
    EXPECT_EQ(ISAMLBKeyTypes.Select(list), row.partType);
  }
  // Every row's value is a code the engine names.
  for (UINT i = 0; i < ISAMLBKeyTypes.GetCount(); ++i)
    EXPECT_NE(ISAMKeyType(ISAMLBKeyTypes.GetValue(i)), nullptr) << i;
  SetThreadUILanguage(saved);
  DestroyWindow(list);
}

TEST(ErrorTexts, EveryNumberHasAGermanAndAnEnglishText) {
  for (UINT e = 1001; e <= 1035; ++e) {
    const char *de = ISAMErrorText(e, 'D');
    const char *en = ISAMErrorText(e, 'E');
    ASSERT_NE(de, nullptr) << e;
    ASSERT_NE(en, nullptr) << e;
    EXPECT_STRNE(de, en) << e;
  }
  EXPECT_STREQ(ISAMErrorText(ISAM_END_OF_ITERATION, 'E'), "No more records.");
  EXPECT_STREQ(ISAMErrorText(ISAM_END_OF_ITERATION, 'D'), "Keine weiteren S\xE4tze.");
  EXPECT_STREQ(ISAMErrorText(ISAM_ERR_NOT_ISAM, 'e'), "The file is not an ISAM file.");
  EXPECT_STREQ(ISAMErrorText(ISAM_ERR_NOT_ISAM, 'X'), "Die Datei ist keine ISAM-Datei.");
  EXPECT_EQ(ISAMErrorText(1000, 'E'), nullptr);
  EXPECT_EQ(ISAMErrorText(1036, 'D'), nullptr);
}

} // namespace
