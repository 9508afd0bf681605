// Shared set-up of the list-view description set tests: the log captured
// and the boxes recorded (CapturedTest), a sample set built from source
// records, and an allocator that refuses, for the paths where memory is
// short.
#ifndef VQ_TESTS_TBLFLD_TBLFLD_FIXTURE_H
#define VQ_TESTS_TBLFLD_TBLFLD_FIXTURE_H

#include "../common/captured_test.h"
#include "tblfld/entry_memory.h"

#include <string>
#include <vector>

namespace vqtest {

// Names are the printed list's column headers, which both languages have.
inline const SVQTblFldDesc kSource[] = {
    {0, 10, 0, 0, 'L', 25, {}, 2000},  // "Name"
    {10, 4, 40, 0, 'r', 25, {}, 2002}, // "Länge" / "Length"
    {14, 8, 18, 0, 'm', 60, {}, 2003}, // "Typ" / "Type"
};

/// While it lives, every array of the sets is refused.
class NoMemory {
public:
  NoMemory() : before(vqtblfld::SetEntryAllocator([](size_t) -> void * { return nullptr; })) {}
  ~NoMemory() { vqtblfld::SetEntryAllocator(before); }

private:
  vqtblfld::EntryAllocator before;
};

class TblFldTest : public CapturedTest {
protected:
  static void Clear() {
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
  }
  static CVQTblFldDesc Sample() { return CVQTblFldDesc(&theLibrary, kSource, sizeof kSource); }
  static std::vector<std::string> Logged() { return LinesOf(" CVQTblFldDesc "); }
};

} // namespace vqtest

#endif
