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
};

} // namespace vqtest

#endif
