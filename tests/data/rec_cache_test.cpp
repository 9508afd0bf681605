// The record cache's choices: which record and buffer a save takes (empty
// first, then least recently used, ties to the lowest index), what a line
// keeps when its buffer is stolen, the nearest-line search, and the states
// after invalidation, release and a failed initialisation.
#include "../common/captured_test.h"

#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

constexpr UINT kSize = 12;
constexpr UINT kNone = 0xFFFFFFFF;

class RecCache : public vqtest::CapturedTest {
protected:
  void SetUp() override {
    CapturedTest::SetUp();
    ASSERT_EQ(cache->InitCache(kSize), 1);
  }
  // Line n is saved with address 1000 + n and bytes all n.
  int Save(UINT line) {
    char bytes[kSize];
    std::memset(bytes, int(line & 0xFF), kSize);
    return cache->SaveRecord(bytes, 1000 + line, line);
  }
  void SaveLines(UINT first, UINT count) {
    for (UINT line = first; line < first + count; ++line)
      ASSERT_EQ(Save(line), 1) << "line " << line;
  }
  SCacheRecord *Line(UINT line) { return cache->FindRecord(line); }

  std::unique_ptr<CVQRecCache> cache = std::make_unique<CVQRecCache>();
};

TEST_F(RecCache, BuffersGoToTheMostRecentlyUsedLines) {
  UINT nearest, index;
  EXPECT_EQ(cache->FindNearestLine(0, &nearest, &index), 0);
  EXPECT_EQ(cache->FindLine(0), kNone);
  EXPECT_EQ(cache->FindLine(kNone), kNone) << "empty records are no line";
  SaveLines(0, 65);
  // Line 0 lost its buffer to line 64 and keeps its place and address.
  ASSERT_NE(Line(0), nullptr);
  EXPECT_EQ(Line(0)->buffer, nullptr);
  EXPECT_EQ(Line(0)->address, 1000u);
  EXPECT_EQ(Line(64)->buffer, cache->memory);
  EXPECT_EQ(Line(64)->buffer[kSize - 1], 64);
  // The lookup above made line 1 recent, so line 2 loses its buffer next.
  ASSERT_NE(Line(1), nullptr);
  SaveLines(65, 1);
  EXPECT_NE(Line(1)->buffer, nullptr);
  EXPECT_EQ(Line(2)->buffer, nullptr);
  EXPECT_EQ(Line(65)->buffer, cache->memory + 2 * kSize);
  // A cached line is overwritten in place.
  char bytes[kSize];
  std::memset(bytes, 0x77, kSize);
  ASSERT_EQ(cache->SaveRecord(bytes, 4242, 1), 1);
  EXPECT_EQ(cache->FindLine(1), 1u);
  EXPECT_EQ(cache->records[1].address, 4242u);
  EXPECT_EQ(std::memcmp(cache->records[1].buffer, bytes, kSize), 0);
}

TEST_F(RecCache, RecordsAreReusedOldestFirstTiesToTheLowestIndex) {
  SaveLines(0, 1024);
  ASSERT_EQ(Save(1024), 1);
  EXPECT_EQ(cache->FindLine(0), kNone);
  EXPECT_EQ(cache->FindLine(1024), 0u);
  ASSERT_NE(Line(1), nullptr);
  ASSERT_EQ(Save(1025), 1);
  EXPECT_EQ(cache->FindLine(1025), 2u);
  // The record taken over keeps the buffer it held.
  EXPECT_EQ(cache->records[2].buffer[0], char(1025 & 0xFF));

  for (UINT i : {700u, 300u, 900u})
    cache->records[i].tick = 0;
  EXPECT_EQ(cache->FindFreeRecord(), 300u);
  for (UINT slot = 0; slot < 64; ++slot)
    cache->records[cache->buffers[slot].owner].tick = 100 + slot;
  cache->records[cache->buffers[10].owner].tick = 1;
  cache->records[cache->buffers[3].owner].tick = 1;
  const UINT loser = cache->buffers[3].owner;
  EXPECT_EQ(cache->FindFreeBuffer(500), cache->memory + 3 * kSize);
  EXPECT_EQ(cache->buffers[3].owner, 500u);
  EXPECT_EQ(cache->records[loser].buffer, nullptr);
}

// A record that holds a buffer is given another slot all the same; when its
// old slot is later taken back, the record keeps the newer buffer.
TEST_F(RecCache, FreeBufferIsTheFirstFreeSlotEvenForARecordWithOne) {
  ASSERT_EQ(Save(7), 1);
  const UINT index = cache->FindLine(7);
  ASSERT_EQ(cache->records[index].buffer, cache->memory);
  char *second = cache->FindFreeBuffer(index);
  EXPECT_EQ(second, cache->memory + kSize);
  EXPECT_EQ(cache->buffers[1].owner, index);
  cache->records[index].buffer = second;
  for (UINT line = 100; line < 162; ++line)
    ASSERT_EQ(Save(line), 1);
  cache->records[index].tick = 0; // the slots' oldest owner
  EXPECT_EQ(cache->FindFreeBuffer(900), cache->memory);
  EXPECT_EQ(cache->records[index].buffer, second);
}

TEST_F(RecCache, NearestLineTakesTheLowestIndexAmongEquals) {
  const struct {
    const char *name;
    UINT lines[3], ask, nearest, index;
  } rows[] = {
      {"6 saved first", {6, 4, 5000}, 5, 6, 0},
      {"4 saved first", {4, 6, 5000}, 5, 4, 0},
      {"exact hit", {4, 5, 6}, 5, 5, 1},
      {"beyond the last", {10, 30, 20}, 1000, 30, 1},
      {"before the first", {10, 30, 20}, 0, 10, 0},
  };
  for (const auto &r : rows) {
    cache->InvalidateCache();
    for (UINT line : r.lines)
      ASSERT_EQ(Save(line), 1) << r.name;
    const UINT tick = cache->tick;
    UINT nearest = kNone, index = kNone;
    EXPECT_EQ(cache->FindNearestLine(r.ask, &nearest, &index), 1) << r.name;
    EXPECT_EQ(nearest, r.nearest) << r.name;
    EXPECT_EQ(index, r.index) << r.name;
    EXPECT_EQ(cache->tick, tick) << r.name << ": the search stamped a record";
  }
}

TEST_F(RecCache, InvalidationKeepsTheBlockAndReleaseDropsIt) {
  SaveLines(0, 100);
  char *const block = cache->memory;
  cache->InvalidateCache();
  EXPECT_EQ(cache->tick, 0u);
  EXPECT_EQ(cache->FindLine(5), kNone);
  ASSERT_EQ(Save(5), 1);
  EXPECT_EQ(cache->records[0].buffer, block);

  cache->FreeCache();
  EXPECT_EQ(cache->memorySize, 0u);
  EXPECT_EQ(cache->FindLine(5), kNone);
  EXPECT_EQ(Save(3), 0);
  const auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot find a free cache buffer.");
  // Bad arguments are refused before any record is touched.
  ASSERT_EQ(cache->InitCache(kSize), 1);
  theLibrary.ClearCaptured();
  const char bytes[kSize] = {};
  EXPECT_EQ(cache->SaveRecord(nullptr, 1000, 4), 0);
  EXPECT_EQ(cache->SaveRecord(bytes, 1000, kNone), 0);
  EXPECT_EQ(cache->FindFreeBuffer(1024), nullptr);
  const auto lines = theLibrary.GetCapturedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "0 CVQRecCache Cannot save line 0x4 of record 0x3E8: no record bytes");
  EXPECT_EQ(lines[1], "0 CVQRecCache Cannot save line 0xFFFFFFFF of record 0x3E8: no such line");
  EXPECT_EQ(cache->records[0].line, kNone);
}

TEST_F(RecCache, BlockBeyondFourGigabytesGivesMessage1600) {
  const struct {
    const char *language, *caption, *text;
  } rows[] = {
      {"D", "vq_tbl32 Fehler (Fehlercode = 1600)",
       "Nicht gen\xFCgend freier Speicher f\xFCr 64 Zwischenspeicher-Datens\xE4tze zu je "
       "67108864 Bytes."},
      {"E", "vq_tbl32 Error (error code = 1600)",
       "Not enough free memory for 64 cache records of 67108864 bytes each."},
  };
  for (const auto &r : rows) {
    ASSERT_NE(vqSetTbl32Language(r.language), 0) << r.language;
    theLibrary.ClearCaptured();
    vqwinClearMessageBoxRecords();
    ASSERT_EQ(Save(1), 1);
    EXPECT_EQ(cache->InitCache(0x04000000), 0) << r.language;
    EXPECT_EQ(cache->memorySize, 0u);
    EXPECT_EQ(cache->FindLine(1), kNone);
    const auto lines = theLibrary.GetCapturedLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "0 CVQRecCache Not enough free memory for 64 cache recs a 67108864 bytes");
    const auto boxes = vqwin::MessageBoxRecords();
    ASSERT_EQ(boxes.size(), 1u) << r.language;
    EXPECT_EQ(boxes[0].caption, r.caption);
    EXPECT_EQ(boxes[0].text, r.text);
    ASSERT_EQ(cache->InitCache(kSize), 1);
  }
  vqSetTbl32Language("D");
}

} // namespace
