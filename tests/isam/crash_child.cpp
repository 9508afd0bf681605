// Writer for the crash test: appends records with consecutive numbers, one
// transaction each, and reports every number on stdout after its commit
// returned. The test kills it at a random moment.
#include <vq_isa32.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
constexpr UINT kRecordSize = 64;

int fail(const char *what, UINT err) {
  std::fprintf(stderr, "crash child: %s failed with %u\n", what, err);
  return 2;
}
} // namespace

int main(int argc, char **argv) {
  if (argc != 2)
    return fail("arguments", 0);
  HISAMFILE file = nullptr;
  UINT detail = 0;
  UINT err = ISAMOpen(&file, argv[1], ISAM_MODE_READWRITE, &detail);
  if (err)
    return fail("ISAMOpen", err);
  HISAMTABLE table = nullptr;
  if ((err = ISAMOpenTable(file, "Log", &table)))
    return fail("ISAMOpenTable", err);
  // Go on after the highest number in the file.
  std::vector<BYTE> record(kRecordSize);
  uint32_t next = 0;
  DWORD address = 0;
  if ((err = ISAMSetupIterationLimits(table, 0, ISAM_ITER_DESCENDING, nullptr, nullptr)))
    return fail("ISAMSetupIterationLimits", err);
  err = ISAMReadNextRecord(table, 0, record.data(), &address, 0);
  if (err == 0)
    std::memcpy(&next, record.data(), 4), ++next;
  else if (err != ISAM_END_OF_ITERATION)
    return fail("ISAMReadNextRecord", err);
  for (;; ++next) {
    std::memset(record.data(), 0, kRecordSize);
    std::memcpy(record.data(), &next, 4);
    std::snprintf(reinterpret_cast<char *>(record.data() + 4), 12, "%u", next);
    std::memset(record.data() + 16, static_cast<int>('a' + next % 26), kRecordSize - 16);
    if ((err = ISAMBeginTransaction(file)))
      return fail("ISAMBeginTransaction", err);
    if ((err = ISAMInsertRecord(table, record.data(), kRecordSize, &address)))
      return fail("ISAMInsertRecord", err);
    if ((err = ISAMCommitTransaction(file)))
      return fail("ISAMCommitTransaction", err);
    std::printf("%u\n", next);
    std::fflush(stdout);
  }
}
