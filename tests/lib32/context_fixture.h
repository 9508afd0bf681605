/*
 * Shared set-up of the context tests: a library context whose own strings
 * are the library's real captions (compiled into the test program, which
 * stands in for the library's module) and a clean modal script, record and
 * UI language around every test.
 */
#ifndef VQ_TESTS_LIB32_CONTEXT_FIXTURE_H
#define VQ_TESTS_LIB32_CONTEXT_FIXTURE_H

#include <vq_lib32.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace lib32test {

/// The real resource modules, and the test module with broken texts and a
/// dialog that has no English twin.
constexpr char kRealPattern[] = "vq_tblrc$.dll";
constexpr char kTestPattern[] = "vq_ctxtest$.dll";

class ContextTest : public ::testing::Test {
protected:
  void SetUp() override {
    vqwinResetModal();
    SetThreadUILanguage(0);
  }
  void TearDown() override {
    vqwinResetModal();
    SetThreadUILanguage(0);
  }

  static std::unique_ptr<CVQLibrary> MakeContext(const char *pattern, const char *language = "D") {
    auto lib = std::make_unique<CVQLibrary>("vq_tbl32.dll", pattern, language,
                                            "vq_tbl32 (Release 1.00, Build 0087)", 1);
    lib->DllMainCall(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, 100);
    lib->StartCapture();
    lib->ClearCaptured();
    return lib;
  }
};

} // namespace lib32test

#endif
