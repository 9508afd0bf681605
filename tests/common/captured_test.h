// Base of the vq_tbl32 test fixtures that read what the library logged and
// which message boxes it showed: each test starts with the log captured and
// no modal answers or box records, and leaves no windows, answers or
// captured lines behind, with the library back in its default language.
#ifndef VQ_TESTS_COMMON_CAPTURED_TEST_H
#define VQ_TESTS_COMMON_CAPTURED_TEST_H

#include "frame/library.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vqtest {

class CapturedTest : public testing::Test {
protected:
  void SetUp() override {
    vqwinResetModal();
    theLibrary.StartCapture();
    theLibrary.ClearCaptured();
  }
  void TearDown() override {
    theLibrary.StopCapture();
    theLibrary.ClearCaptured();
    vqwinResetWindows();
    vqwinResetModal();
    vqSetTbl32Language("D"); // a test that switched and failed midway
  }
  static std::vector<std::string> Lines() { return theLibrary.GetCapturedLines(); }
  /// The lines a class logged (`cls` as " CVQTblSelDesc "), without the
  /// boxes' own trace lines.
  static std::vector<std::string> LinesOf(const std::string &cls) {
    std::vector<std::string> out;
    for (const std::string &line : Lines())
      if (line.find(cls) != std::string::npos)
        out.push_back(line);
    return out;
  }
  /// Exactly one exclamation box was shown, its caption numbered `code` in
  /// either language, saying `text` unless that is empty.
  static void ExpectNumberedBox(UINT code, const std::string &text, const std::string &row) {
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << row;
    const std::string &caption = boxes[0].caption;
    EXPECT_EQ(UINT(std::atoi(caption.c_str() + caption.rfind('=') + 1)), code) << row;
    EXPECT_EQ(boxes[0].icon, UINT(MB_ICONEXCLAMATION)) << row;
    if (!text.empty()) {
      EXPECT_EQ(boxes[0].text, text) << row;
    }
  }
};

} // namespace vqtest

#endif
