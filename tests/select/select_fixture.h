// Shared set-up of the selection tests: a captured log and a clean record
// of message boxes (which take their default answer and never block).
#ifndef VQ_TESTS_SELECT_FIXTURE_H
#define VQ_TESTS_SELECT_FIXTURE_H

#include "frame/library.h"

#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

class SelectionTest : public testing::Test {
protected:
  void SetUp() override {
    vqwinResetModal();
    theLibrary.StartCapture();
    theLibrary.ClearCaptured();
  }
  void TearDown() override {
    theLibrary.StopCapture();
    theLibrary.ClearCaptured();
    vqwinResetModal();
  }

  // The text form of the current tree.
  std::string Edited() const {
    std::vector<char> buffer(64 * 1024);
    const UINT length = sel.edit(buffer.data());
    EXPECT_EQ(length, std::strlen(buffer.data()));
    return buffer.data();
  }
  int Parse(const std::string &text) { return sel.parse(text.data(), UINT(text.size())); }

  // The lines this subsystem logged, without the boxes' own trace lines.
  static std::vector<std::string> SelectionLines() {
    std::vector<std::string> out;
    for (const std::string &line : theLibrary.GetCapturedLines())
      if (line.find(" CVQTblSelDesc ") != std::string::npos)
        out.push_back(line);
    return out;
  }
  static void Clear() {
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
  }

  CVQTblSelDesc sel;
};

#endif
