// Shared set-up of the description tests: the library's log captured, the
// record of message boxes emptied, and windows and modal answers reset
// after each test; helpers that state a failure's one box and log line,
// read and write a block, make a field and a dialog with a combo box.
#ifndef VQ_TESTS_DESC_DESC_FIXTURE_H
#define VQ_TESTS_DESC_DESC_FIXTURE_H

#include "../common/captured_test.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <vq_tbl32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vqtest {

using Calls = std::vector<std::string>;

inline CVQFieldDesc Field(UINT offset, UINT size, UINT encode, const char *name, UINT width = 10) {
  CVQFieldDesc f;
  f.offset = offset;
  f.size = size;
  f.encodeType = encode;
  f.dispWidth = width;
  std::snprintf(f.name, sizeof f.name, "%s", name);
  return f;
}

/// The table's block as WriteDef writes it.
inline std::string Written(const CVQTableDesc &t) {
  CVQConfFile out;
  EXPECT_TRUE(out.StartEdit(65536, 8, 32, 24, 80, 104));
  EXPECT_EQ(t.WriteDef(out, "Table:"), 1);
  return out.GetEditText();
}

class DescTest : public CapturedTest {
protected:
  static void Clear() {
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
  }
  /// The captured lines of level 0 to 4: what the code under test logged,
  /// without the boxes' own trace lines.
  static std::vector<std::string> Logged() {
    std::vector<std::string> out;
    for (const auto &l : Lines())
      if (l.size() > 1 && l[0] >= '0' && l[0] <= '4')
        out.push_back(l);
    return out;
  }
  /// Exactly one error box was shown, numbered `code` (0: the engine's
  /// box), saying `text` unless that is null.
  static void ExpectOneBox(UINT code, const char *text, const std::string &row) {
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << row;
    EXPECT_EQ(boxes[0].caption, code ? "vq_tbl32 Fehler (Fehlercode = " + std::to_string(code) + ")"
                                     : std::string("ISAM-Fehler"))
        << row;
    if (text) {
      EXPECT_EQ(boxes[0].text, text) << row;
    }
    if (code) {
      EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION)) << row;
    }
  }
  static void ExpectOneBox(UINT code, const std::string &text, const std::string &row) {
    ExpectOneBox(code, text.c_str(), row);
  }
  static void ExpectNoBox(const std::string &row) {
    EXPECT_EQ(vqwinGetMessageBoxCount(), 0) << row;
  }
  static bool Traced(const std::string &line) {
    const Calls all = Lines();
    return std::find(all.begin(), all.end(), line) != all.end();
  }
  /// Reads `d` from the block `block` of `text` as its list does.
  template <class D>
  static int ReadBlock(const std::string &text, const char *block, D &d, UINT index) {
    CVQConfFile config;
    EXPECT_TRUE(config.ReadIt(text.data(), UINT(text.size())));
    config.SelectBlock(block);
    const int rc = d.ReadDef(config, block, index);
    config.LeaveBlock();
    EXPECT_EQ(config.GetBlockLevel(), 0u);
    return rc;
  }
  /// A dialog holding a drop-down list numbered 12 (in `box`), with a
  /// stale entry the fillers must drop.
  static HWND ComboDialog(HWND &box) {
    HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    box = CreateWindowExA(0, "ComboBox", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, dialog,
                          (HMENU)(INT_PTR)12, nullptr, nullptr);
    EXPECT_NE(box, nullptr);
    SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alt"));
    return dialog;
  }
};

} // namespace vqtest

#endif
