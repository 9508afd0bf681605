// Opens arbitrary bytes as an ISAM file and walks everything in it: table
// names, sizes, stored descriptions, index descriptions and every index in
// both directions. Any result is fine; a crash, hang or leak is not.
#include <vq_isa32.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxRecordsPerWalk = 5000;

void walk(HISAMTABLE table, UINT index, UINT flags, UINT recordSize) {
  std::vector<BYTE> buffer(recordSize);
  DWORD address = 0, first = 0;
  if (ISAMSetupIterationLimits(table, index, flags, nullptr, nullptr) != 0)
    return;
  for (int i = 0; i < kMaxRecordsPerWalk; ++i) {
    if (ISAMReadNextRecord(table, index, buffer.data(), &address, 0) != 0)
      break;
    if (i == 0)
      first = address;
  }
  if (first && ISAMSetupIterationAddress(table, index, 12 | flags, first, 0) == 0)
    ISAMReadNextRecord(table, index, buffer.data(), &address, 0);
  if (first)
    ISAMReadRecordByAddress(table, first, buffer.data(), recordSize, 0);
}

void exploreTable(HISAMFILE file, const char *name) {
  HISAMTABLE table = nullptr;
  if (ISAMOpenTable(file, name, &table) != 0)
    return;
  UINT recordSize = 0, nodeSize = 0, descSize = 0, read = 0;
  ISAMGetDataRecSize(table, &recordSize);
  ISAMGetIndexRecSize(table, &nodeSize);
  if (ISAMGetTableDescSize(table, 0, &descSize) == 0 && descSize < (1u << 24)) {
    std::vector<BYTE> desc(descSize + 1);
    ISAMReadTableDesc(table, 0, desc.data(), descSize, &read);
  }
  BYTE indexDesc[ISAM_INDEX_DESC_SIZE];
  for (UINT index = 0; ISAMGetIndexDesc(table, index, indexDesc) == 0; ++index) {
    walk(table, index, 0, recordSize);
    walk(table, index, ISAM_ITER_DESCENDING, recordSize);
  }
  ISAMCloseTable(table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path = "/tmp/vq_isam_fuzz_" + std::to_string(::getpid()) + ".isa";
  FILE *out = std::fopen(path.c_str(), "wb");
  if (!out)
    return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  HISAMFILE file = nullptr;
  UINT detail = 0, count = 0;
  if (ISAMOpen(&file, path.c_str(), ISAM_MODE_READ, &detail) == 0) {
    if (ISAMGetTableCount(file, &count) == 0)
      for (UINT i = 0; i < count && i < 64; ++i) {
        char name[32];
        if (ISAMGetTableName(file, i, name, sizeof name) == 0)
          exploreTable(file, name);
      }
    ISAMClose(file, &detail);
  }
  for (const char *suffix : {"", "-wal", "-shm", "-journal"})
    std::remove((path + suffix).c_str());
  return 0;
}
