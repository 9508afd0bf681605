/*
 * Filling box texts: what printf would print for texts that match their
 * arguments, and a refusal (never a wild read) for texts that do not.
 */
#include <vq_lib32.h>

#include "error/box_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using vq::lib32::FormatBoxText;

template <typename... A> std::vector<CVQBoxArg> Args(A... args) { return {CVQBoxArg(args)...}; }

struct Row {
  const char *format;
  std::vector<CVQBoxArg> args;
  const char *expected; // nullptr: refused
};

TEST(BoxFormat, FillsWhatPrintfWouldAndRefusesTheRest) {
  int object = 0;
  const Row rows[] = {
      {"plain", {}, "plain"},
      {"100%% sicher", {}, "100% sicher"},
      {"%u von %d", Args(7u, -3), "7 von -3"},
      {"0x%X 0x%08x %o", Args(0xBEEFu, 0xABu, 8u), "0xBEEF 0x000000ab 10"},
      {"[%5s|%-5s|%.2s]", Args("ab", "cd", "xyz"), "[   ab|cd   |xy]"},
      {"[%*d|%-*d|%.*s]", Args(4, 7, -3, 1, 2, "abc"), "[   7|1  |ab]"},
      {"%s", Args(static_cast<const char *>(nullptr)), "(null)"},
      {"%s", Args(nullptr), "(null)"},
      {"%c%c", Args('o', 107), "ok"},
      {"%.2f %g", Args(1.005, 0.5), "1.00 0.5"},
      {"%hhu %hd %lu", Args(257u, 65535u, 4294967295u), "1 -1 4294967295"},
      {"%u", Args(-1), "4294967295"},
      {"%llu %I64d", Args(1ull << 40, -(1ll << 40)), "1099511627776 -1099511627776"},
      {"%d", Args(3, 4), "3"},
      {"%X", Args(reinterpret_cast<const void *>(0x1234)), "1234"},
      {"%s", Args(5), nullptr},
      {"%d", Args("text"), nullptr},
      {"%f", Args(1), nullptr},
      {"%d %d", Args(1), nullptr},
      {"%q", Args(1), nullptr},
      {"%n", Args(&object), nullptr},
      {"%1$d", Args(1), nullptr},
      {"trailing %", {}, nullptr},
      {"%*d", Args("x", 1), nullptr},
      {"%99999d", Args(1), nullptr},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.format);
    std::string out = "stale";
    bool ok = FormatBoxText(row.format, row.args.data(), static_cast<UINT>(row.args.size()), out);
    if (row.expected) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(out, row.expected);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(out, "");
    }
  }
}

TEST(BoxFormat, PointersAndNullFormats) {
  int object = 0;
  CVQBoxArg arg(static_cast<const void *>(&object));
  std::string out;
  ASSERT_TRUE(FormatBoxText("%p", &arg, 1, out));
  char expected[32];
  std::snprintf(expected, sizeof expected, "%p", static_cast<void *>(&object));
  EXPECT_EQ(out, expected);
  EXPECT_FALSE(FormatBoxText(nullptr, nullptr, 0, out));
}

TEST(BoxFormat, LongTextsAreCutNotOverrun) {
  std::string big(10000, 'a');
  CVQBoxArg arg(big.c_str());
  std::string out;
  ASSERT_TRUE(FormatBoxText("<%s>", &arg, 1, out));
  EXPECT_EQ(out.size(), vq::lib32::kMaxBoxText);
  EXPECT_EQ(out.substr(0, 3), "<aa");
  std::string wide(6000, 'b');
  ASSERT_TRUE(FormatBoxText(wide.c_str(), nullptr, 0, out));
  EXPECT_EQ(out.size(), vq::lib32::kMaxBoxText);
}

} // namespace
