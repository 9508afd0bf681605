// Shared set-up of the selection tests: a captured log, a clean record of
// message boxes (which take their default answer and never block), and the
// text form of the tree under test.
#ifndef VQ_TESTS_SELECT_FIXTURE_H
#define VQ_TESTS_SELECT_FIXTURE_H

#include "../common/captured_test.h"

#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SelectionTest : public vqtest::CapturedTest {
protected:
  static void Clear() {
    vqwinResetModal();
    theLibrary.ClearCaptured();
  }
  int Parse(const std::string &text) { return sel.parse(text.data(), UINT(text.size())); }
  std::string Edited() const {
    std::vector<char> buffer(64 * 1024);
    const UINT length = sel.edit(buffer.data());
    EXPECT_EQ(std::string(buffer.data()).size(), length);
    return buffer.data();
  }
  // The lines the parser logged, without the boxes' own trace lines.
  static std::vector<std::string> SelectionLines() { return LinesOf(" CVQTblSelDesc "); }

  CVQTblSelDesc sel;
};

#endif
