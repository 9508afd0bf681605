// Shared set-up of the description tests: the library's log captured, the
// record of message boxes emptied, and windows and modal answers reset
// after each test; helpers that state a failure's one box and log line.
#ifndef VQ_TESTS_DESC_DESC_FIXTURE_H
#define VQ_TESTS_DESC_DESC_FIXTURE_H

#include "../common/captured_test.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vqtest {

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
  /// Exactly one error box was shown, numbered `code`, saying `text`.
  static void ExpectOneBox(UINT code, const std::string &text, const std::string &row) {
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << row;
    EXPECT_EQ(boxes[0].caption, "vq_tbl32 Fehler (Fehlercode = " + std::to_string(code) + ")")
        << row;
    EXPECT_EQ(boxes[0].text, text) << row;
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION)) << row;
  }
  static void ExpectNoBox(const std::string &row) {
    EXPECT_EQ(vqwinGetMessageBoxCount(), 0) << row;
  }
};

} // namespace vqtest

#endif
