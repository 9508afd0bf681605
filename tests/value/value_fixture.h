// Shared by the value conversion tests: a field built member by member, and
// a fixture that captures the library's log and the boxes it shows.
#ifndef VQ_TESTS_VALUE_FIXTURE_H
#define VQ_TESTS_VALUE_FIXTURE_H

#include "../common/captured_test.h"

#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

namespace valuetest {

// The field's layout, every member stated by the row that uses it.
struct FieldBytes {
  UINT offset, size, dispWidth, encodeType, contentType, displayType, dataJust, dispJust;
  char name[32];
};

inline CVQFieldDesc Field(UINT encode, UINT size, UINT content, UINT display, UINT offset = 0) {
  return std::bit_cast<CVQFieldDesc>(
      FieldBytes{offset, size, 0, encode, content, display, 0, 0, "F"});
}

// Type word of kind `kind` with decimals (or date format) and time format.
constexpr UINT Type(UINT kind, UINT flags = 0, UINT decimals = 0, UINT timeFormat = 0) {
  return kind | flags | decimals << twDECIMALS_SHIFT | timeFormat << twTIMEFMT_SHIFT;
}

class Captured : public vqtest::CapturedTest {
protected:
  // Lines of the field conversions only: boxes add lines of their own.
  static std::vector<std::string> FieldLines() {
    std::vector<std::string> out;
    for (const auto &line : theLibrary.GetCapturedLines())
      if (line.find(" CVQFieldDesc ") != std::string::npos)
        out.push_back(line);
    return out;
  }
};

} // namespace valuetest

#endif
