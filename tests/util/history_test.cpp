// The history of recent texts: promotion, its 16-item limit with a bound
// combo box, and its lines in a configuration file.
#include "frame/library.h"

#include <vqwin_automation.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class History : public testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VqHistoryTestDialog";
    RegisterClassA(&wc);
    dialog = CreateWindowExA(0, "VqHistoryTestDialog", "", WS_POPUP, 0, 0, 300, 200, nullptr,
                             nullptr, nullptr, nullptr);
    combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 150, dialog,
                            reinterpret_cast<HMENU>(INT_PTR(40)), nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    theLibrary.StartCapture();
    theLibrary.ClearCaptured();
  }
  void TearDown() override {
    theLibrary.StopCapture();
    theLibrary.ClearCaptured();
    vqwinResetWindows();
  }
  std::vector<std::string> ComboItems() {
    std::vector<std::string> out;
    const LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char text[CVQHistory::kItemSize] = {};
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      out.push_back(text);
    }
    return out;
  }
  static std::vector<std::string> Items(const CVQHistory &h) {
    return std::vector<std::string>(h.items, h.items + h.count);
  }
  HWND dialog = nullptr, combo = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(History, PromotesCaseInsensitivelyAndKeepsTheComboInStep) {
  CVQHistory h;
  ASSERT_EQ(h.FillComboBox(dialog, 40, 0), 1);
  const struct {
    const char *insert;
    UINT count;
    Texts items;
  } steps[] = {
      {"A", 1, {"A"}},           {"B", 2, {"B", "A"}},      {"a", 2, {"a", "B"}},
      {"C", 3, {"C", "a", "B"}}, {"b", 3, {"b", "C", "a"}}, {"b", 3, {"b", "C", "a"}},
  };
  for (const auto &s : steps) {
    EXPECT_EQ(h.InsertItem(s.insert), s.count) << s.insert;
    EXPECT_EQ(Items(h), s.items) << s.insert;
    EXPECT_EQ(ComboItems(), s.items) << s.insert;
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0) << s.insert;
  }
}

TEST_F(History, KeepsTheNewestSixteen) {
  CVQHistory h;
  ASSERT_EQ(h.FillComboBox(combo, 0, 0), 1);
  Texts expected;
  for (int i = 1; i <= 17; ++i) {
    const std::string text = "T" + std::to_string(i);
    h.InsertItem(text.c_str());
    expected.insert(expected.begin(), text);
  }
  expected.resize(16);
  EXPECT_EQ(h.count, 16u);
  EXPECT_EQ(Items(h), expected);
  EXPECT_EQ(ComboItems(), expected);
}

TEST_F(History, RefusesEmptyTextsAndCutsLongOnes) {
  CVQHistory h;
  h.InsertItem("x");
  EXPECT_EQ(h.InsertItem(""), 1u);
  EXPECT_EQ(h.InsertItem(nullptr), 1u);
  const auto lines = theLibrary.GetCapturedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1 CVQHistory Cannot insert empty item text.");
  const std::string longText(400, 'L');
  EXPECT_EQ(h.InsertItem(longText.c_str()), 2u);
  EXPECT_EQ(std::string(h.items[0]), longText.substr(0, 259));
  EXPECT_STREQ(h.items[1], "x");
}

TEST_F(History, FillComboBoxFindsTheControlOrLogs) {
  CVQHistory h;
  h.InsertItem("old");
  h.InsertItem("new");
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
  EXPECT_EQ(h.FillComboBox(dialog, 40, 1), 1);
  EXPECT_EQ(ComboItems(), (Texts{"new", "old"}));
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(h.comboBox, combo);

  CVQHistory other;
  EXPECT_EQ(other.FillComboBox(dialog, 41, 0), 0);
  EXPECT_EQ(other.comboBox, nullptr);
  const auto lines = theLibrary.GetCapturedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "0 CVQHistory ComboBox 41 not found in dialog window.");
}

TEST_F(History, ItemsRoundTripThroughAConfigurationFile) {
  CVQHistory h;
  const Texts texts = {"C:\\DATA\\KUNDEN.DAT", "say \"hi\"", std::string(259, 'z'), "plain"};
  for (auto it = texts.rbegin(); it != texts.rend(); ++it)
    h.InsertItem(it->c_str());

  CVQConfFile out;
  ASSERT_TRUE(out.StartEdit(4096, 0, 12, 16, 60, 40));
  ASSERT_EQ(h.WriteItems(out, "History"), 1);
  const std::string text(out.GetEditText(), out.GetEditLength());
  EXPECT_EQ(text.substr(text.size() - 3), ";\r\n"); // the empty comment behind the items

  CVQConfFile in;
  ASSERT_TRUE(in.ReadIt(text.data(), UINT(text.size())));
  CVQHistory back;
  back.count = 7; // parsing starts afresh
  EXPECT_EQ(back.ParseItems(in, "HISTORY"), 1);
  EXPECT_EQ(Items(back), texts);

  CVQHistory none;
  CVQConfFile empty;
  ASSERT_TRUE(empty.StartEdit(4096, 0, 12, 16, 60, 40));
  EXPECT_EQ(none.WriteItems(empty, "History"), 1);
  EXPECT_EQ(empty.GetEditLength(), 0u);
}

} // namespace
