#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <thread>

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_CLASS_ALREADY_EXISTS);
  DWORD seenByOther = 12345;
  std::thread([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_FILE_NOT_FOUND);
  }).join();
  EXPECT_EQ(seenByOther, 0u);
  EXPECT_EQ(GetLastError(), 1410u);
}

struct MulDivRow {
  int number, numerator, denominator, expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZeroAndFlagsOverflow) {
  const MulDivRow rows[] = {
      {10, 96, 72, 13}, // 13.33
      {9, 96, 72, 12},  // exactly 12
      {3, 1, 2, 2},     // 1.5 rounds up
      {-3, 1, 2, -2},   // -1.5 rounds down
      {3, -1, 2, -2},   // sign from the numerator
      {3, 1, -2, -2},   // sign from the divisor
      {-3, -1, -2, -2}, // three negatives
      {5, 1, 4, 1},     // 1.25
      {7, 1, 4, 2},     // 1.75
      {0, 5, 3, 0},     //
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MAX, 2, 1, -1}, // overflow
      {INT_MIN, 1, 1, -1}, // below -INT_MAX counts as overflow
      {1, 1, 0, -1},       // zero divisor
      {65536, 65536, 65536, 65536},
  };
  for (const auto &r : rows)
    EXPECT_EQ(MulDiv(r.number, r.numerator, r.denominator), r.expected)
        << "MulDiv(" << r.number << ", " << r.numerator << ", " << r.denominator << ")";
}
