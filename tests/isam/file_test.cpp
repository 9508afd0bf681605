// Files, tables, sizes and stored descriptions: success paths, the file
// signature, and every way a file or an argument can be wrong.
#include "isam_fixture.h"

#include <fstream>
#include <iterator>

using namespace isamtest;

namespace {

std::vector<char> readBytes(const std::string &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string &p, const std::vector<char> &bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class FileTest : public IsamTest {};

TEST_F(FileTest, NewFileCarriesTheSignatureAndHeaderPage) {
  create();
  makeTable("Kunden", {keyItem({{keyType("TEXT"), 0, 8}})}, 16);
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  file = nullptr;
  const auto bytes = readBytes(path());
  ASSERT_GT(bytes.size(), 4096u);
  EXPECT_EQ(std::vector<char>(bytes.begin(), bytes.begin() + 4), std::vector<char>(4, 0));
  EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[9]), 0xFF);
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "ISAM");
  EXPECT_EQ(le32(bytes.data() + 16), 1u); // format version
  EXPECT_EQ(le32(bytes.data() + 24), 4096u);
  // The database proper starts right after the header page.
  EXPECT_EQ(std::string(bytes.begin() + 4096, bytes.begin() + 4096 + 15), "SQLite format 3");
}

TEST_F(FileTest, CreateRefusesAnExistingFileAndLeavesItAlone) {
  writeBytes(path(), {'k', 'e', 'e', 'p'});
  UINT detail = 0;
  EXPECT_EQ(ISAMCreate(&file, path().c_str(), &detail), UINT{ISAM_ERR_FILE_EXISTS});
  EXPECT_EQ(detail, 80u);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(readBytes(path()), (std::vector<char>{'k', 'e', 'e', 'p'}));
}

TEST_F(FileTest, OpenReportsWhatIsWrongWithTheFile) {
  std::vector<char> header(4096, 0);
  header[8] = header[9] = static_cast<char>(0xFF);
  std::memcpy(header.data() + 12, "ISAM", 4);
  header[16] = 1;
  header[24] = 0x00;
  header[25] = 0x10; // 4096
  header[28] = 1;
  std::vector<char> newer = header;
  newer[16] = 2;
  std::vector<char> truncated(header.begin(), header.begin() + 100);
  std::vector<char> garbage = header;
  garbage.resize(4096 + 8192, 'x');
  std::vector<char> notIsam = header;
  notIsam[12] = 'X';

  struct Row {
    const char *name;
    std::vector<char> bytes;
    UINT error;
  } rows[] = {
      {"empty file", {}, ISAM_ERR_NOT_ISAM},
      {"text file", {'h', 'e', 'l', 'l', 'o'}, ISAM_ERR_NOT_ISAM},
      {"wrong signature", notIsam, ISAM_ERR_NOT_ISAM},
      {"cut inside the header", truncated, ISAM_ERR_TRUNCATED},
      {"newer format", newer, ISAM_ERR_VERSION},
      {"garbage after the header", garbage, ISAM_ERR_CORRUPT},
      {"header page only", header, ISAM_ERR_CORRUPT},
  };
  for (const Row &row : rows) {
    writeBytes(path(), row.bytes);
    UINT detail = 0;
    HISAMFILE f = nullptr;
    EXPECT_EQ(ISAMOpen(&f, path().c_str(), ISAM_MODE_READ, &detail), row.error) << row.name;
    EXPECT_EQ(f, nullptr) << row.name;
  }
  UINT detail = 0;
  HISAMFILE f = nullptr;
  EXPECT_EQ(ISAMOpen(&f, path("missing.isa").c_str(), ISAM_MODE_READ, &detail),
            UINT{ISAM_ERR_FILE_NOT_FOUND});
  EXPECT_EQ(detail, 2u);
  EXPECT_EQ(ISAMOpen(&f, dir.c_str(), ISAM_MODE_READ, &detail), UINT{ISAM_ERR_ACCESS});
  EXPECT_EQ(detail, 5u) << "a folder";
  EXPECT_EQ(ISAMOpen(&f, "/dev/null", ISAM_MODE_READ, &detail), UINT{ISAM_ERR_NOT_ISAM});
}

TEST_F(FileTest, DamagedDatabaseAfterAValidOpenGivesErrorsNotCrashes) {
  create();
  HISAMTABLE t = makeTable("T", {keyItem({{keyType("UNSIGNED"), 0, 4}})}, 64);
  std::vector<BYTE> rec(64, 'r');
  for (uint32_t i = 0; i < 500; ++i) {
    std::memcpy(rec.data(), &i, 4);
    insert(t, rec);
  }
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  file = nullptr;
  auto bytes = readBytes(path());
  for (size_t i = 4096 + 3 * 4096; i < bytes.size(); i += 7)
    bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  writeBytes(path(), bytes);
  HISAMFILE f = nullptr;
  UINT err = ISAMOpen(&f, path().c_str(), ISAM_MODE_READ, &detail);
  if (err == 0) {
    HISAMTABLE table = nullptr;
    err = ISAMOpenTable(f, "T", &table);
    if (err == 0) {
      std::vector<BYTE> buffer(64);
      DWORD address = 0;
      err = ISAMSetupIterationLimits(table, 0, 0, nullptr, nullptr);
      while (err == 0)
        err = ISAMReadNextRecord(table, 0, buffer.data(), &address, 0);
    }
    ISAMClose(f, &detail);
  }
  EXPECT_TRUE(err == ISAM_ERR_CORRUPT || err == ISAM_END_OF_ITERATION) << err;
}

TEST_F(FileTest, ArgumentAndModeErrors) {
  create();
  UINT detail = 0;
  HISAMFILE f = nullptr;
  EXPECT_EQ(ISAMOpen(&f, path().c_str(), 3, &detail), UINT{ISAM_ERR_MODE});
  EXPECT_EQ(ISAMOpen(nullptr, path().c_str(), 4, &detail), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMOpen(&f, nullptr, 4, &detail), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMOpen(&f, path().c_str(), 4, nullptr), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMCreate(&f, nullptr, &detail), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMClose(file, nullptr), UINT{ISAM_ERR_PARAMETER});
  UINT count = 0;
  EXPECT_EQ(ISAMGetTableCount(file, nullptr), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMGetTableCount(file, &count), 0u);
  EXPECT_EQ(count, 0u);
}

TEST_F(FileTest, ClosedAndForeignHandlesAreRefused) {
  create();
  HISAMTABLE t = makeTable("T", {keyItem({{keyType("TEXT"), 0, 4}})}, 8);
  // Handles are table values that fit in 32 bits, never addresses.
  EXPECT_LE(reinterpret_cast<uintptr_t>(file), 0xFFFFFFFFu);
  EXPECT_LE(reinterpret_cast<uintptr_t>(t), 0xFFFFFFFFu);
  UINT size = 0, detail = 0, count = 0;
  EXPECT_EQ(ISAMGetDataRecSize(file, &size), UINT{ISAM_ERR_HANDLE}) << "file handle as table";
  EXPECT_EQ(ISAMGetTableCount(t, &count), UINT{ISAM_ERR_HANDLE}) << "table handle as file";
  EXPECT_EQ(ISAMCloseTable(t), 0u);
  EXPECT_EQ(ISAMCloseTable(t), UINT{ISAM_ERR_HANDLE});
  EXPECT_EQ(ISAMGetDataRecSize(t, &size), UINT{ISAM_ERR_HANDLE});
  // A slot used again does not bring an old handle back to life.
  HISAMTABLE again = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, "T", &again), 0u);
  EXPECT_NE(again, t);
  EXPECT_EQ(ISAMGetDataRecSize(t, &size), UINT{ISAM_ERR_HANDLE});
  // Closing the file closes its tables.
  HISAMFILE f = file;
  ASSERT_EQ(ISAMClose(f, &detail), 0u);
  file = nullptr;
  EXPECT_EQ(ISAMGetDataRecSize(again, &size), UINT{ISAM_ERR_HANDLE});
  EXPECT_EQ(ISAMClose(f, &detail), UINT{ISAM_ERR_HANDLE});
  EXPECT_EQ(ISAMGetTableCount(nullptr, &count), UINT{ISAM_ERR_HANDLE});
  EXPECT_EQ(ISAMCloseTable(reinterpret_cast<HISAMTABLE>(uintptr_t{0x12345678})),
            UINT{ISAM_ERR_HANDLE});
}

TEST_F(FileTest, TablesAreListedInCreationOrderAndFoundWithoutRegardToCase) {
  create();
  const char *names[] = {"Kunden", "Artikel", "Auftraege"};
  for (const char *n : names)
    ASSERT_EQ(ISAMCreateTable(file, n, nullptr, 0, 10, 512), 0u) << n;
  reopen(ISAM_MODE_READ);
  UINT count = 0;
  ASSERT_EQ(ISAMGetTableCount(file, &count), 0u);
  ASSERT_EQ(count, 3u);
  for (UINT i = 0; i < 3; ++i) {
    char name[32] = {};
    ASSERT_EQ(ISAMGetTableName(file, i, name, sizeof name), 0u);
    EXPECT_STREQ(name, names[i]);
  }
  char name[32];
  EXPECT_EQ(ISAMGetTableName(file, 3, name, sizeof name), UINT{ISAM_ERR_TABLE_NUMBER});
  EXPECT_EQ(ISAMGetTableName(file, 0, name, 6), UINT{ISAM_ERR_BUFFER_TOO_SMALL});
  EXPECT_EQ(ISAMGetTableName(file, 0, name, 7), 0u);
  HISAMTABLE t = nullptr;
  ASSERT_EQ(ISAMOpenTable(file, "KUNDEN", &t), 0u);
  UINT size = 0;
  ASSERT_EQ(ISAMGetDataRecSize(t, &size), 0u);
  EXPECT_EQ(size, 10u);
  ASSERT_EQ(ISAMGetIndexRecSize(t, &size), 0u);
  EXPECT_EQ(size, 512u);
  EXPECT_EQ(ISAMOpenTable(file, "Lager", &t), UINT{ISAM_ERR_TABLE_NOT_FOUND});
  EXPECT_EQ(t, nullptr);
}

TEST_F(FileTest, CreateTableChecksEveryArgument) {
  create();
  const UINT text = keyType("TEXT"), uns = keyType("UNSIGNED"), flt = keyType("FLOAT");
  ISAMIDT good = keyItem({{text, 0, 8}});
  ISAMIDT badAttribute = good;
  badAttribute.bytes[0] = 2;
  ISAMIDT reservedAttribute = good;
  reservedAttribute.bytes[4] = 1;
  ISAMIDT fiveParts = good;
  fiveParts.bytes[5] = 5;
  struct Row {
    const char *what;
    const char *name;
    std::vector<ISAMIDT> keys;
    UINT recordSize, nodeSize, error;
  } rows[] = {
      {"empty name", "", {good}, 16, 1024, ISAM_ERR_TABLE_NAME},
      {"32-character name",
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345",
       {good},
       16,
       1024,
       ISAM_ERR_TABLE_NAME},
      {"record size 0", "T", {}, 0, 1024, ISAM_ERR_RECORD_SIZE},
      {"record size too large", "T", {}, ISAM_MAX_RECORD + 1, 1024, ISAM_ERR_RECORD_SIZE},
      {"node size 31", "T", {good}, 16, 31, ISAM_ERR_NODE_SIZE},
      {"node size 65536", "T", {good}, 16, 65536, ISAM_ERR_NODE_SIZE},
      {"part beyond the record",
       "T",
       {keyItem({{text, 10, 8}})},
       16,
       1024,
       ISAM_ERR_KEY_DEFINITION},
      {"unknown type", "T", {keyItem({{99, 0, 4}})}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"integer of 3 bytes", "T", {keyItem({{uns, 0, 3}})}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"float of 8 bytes", "T", {keyItem({{flt, 0, 8}})}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"text of 0 bytes", "T", {keyItem({{text, 0, 0}})}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"attribute 2 for a switch", "T", {badAttribute}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"attribute 5 set", "T", {reservedAttribute}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"five parts", "T", {fiveParts}, 16, 1024, ISAM_ERR_KEY_DEFINITION},
      {"33 indexes", "T", std::vector<ISAMIDT>(33, good), 16, 1024, ISAM_ERR_INDEX_NUMBER},
  };
  for (const Row &row : rows)
    EXPECT_EQ(ISAMCreateTable(file, row.name, row.keys.empty() ? nullptr : row.keys.data(),
                              static_cast<UINT>(row.keys.size()), row.recordSize, row.nodeSize),
              row.error)
        << row.what;
  EXPECT_EQ(ISAMCreateTable(file, "T", nullptr, 1, 16, 1024), UINT{ISAM_ERR_PARAMETER});
  EXPECT_EQ(ISAMCreateTable(file, nullptr, nullptr, 0, 16, 1024), UINT{ISAM_ERR_PARAMETER});
  UINT count = 1;
  ASSERT_EQ(ISAMGetTableCount(file, &count), 0u);
  EXPECT_EQ(count, 0u) << "no failed call may leave a table behind";
  EXPECT_EQ(ISAMCreateTable(file, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", &good, 1, 16, 1024), 0u);
  EXPECT_EQ(ISAMCreateTable(file, "abcdefghijklmnopqrstuvwxyz01234", &good, 1, 16, 1024),
            UINT{ISAM_ERR_TABLE_EXISTS});
}

TEST_F(FileTest, IndexDescriptionCarriesTheDefinitionAndTheCount) {
  create();
  const UINT text = keyType("TEXT"), sig = keyType("SIGNED");
  HISAMTABLE t =
      makeTable("T", {keyItem({{text, 0, 8}}, true), keyItem({{sig, 8, 4}}, false, 1)}, // sparse
                16);
  std::vector<BYTE> rec(16, 0);
  for (int i = 0; i < 5; ++i) {
    rec[0] = static_cast<BYTE>('a' + i);
    rec[8] = static_cast<BYTE>(i % 2); // zero keys stay out of the sparse index
    insert(t, rec);
  }
  BYTE desc[ISAM_INDEX_DESC_SIZE + 4];
  std::memset(desc, 0xEE, sizeof desc);
  ASSERT_EQ(ISAMGetIndexDesc(t, 0, desc), 0u);
  EXPECT_EQ(le32(desc + 46), 5u);
  EXPECT_EQ(desc[0], 1) << "unique attribute";
  EXPECT_EQ(desc[5], 1) << "part count";
  EXPECT_EQ(le32(desc + 42), 1024u);
  EXPECT_EQ(le32(desc + 50), 16u);
  EXPECT_EQ(desc[ISAM_INDEX_DESC_SIZE], 0xEE) << "wrote past 60 bytes";
  ASSERT_EQ(ISAMGetIndexDesc(t, 1, desc), 0u);
  EXPECT_EQ(le32(desc + 46), 2u);
  EXPECT_EQ(ISAMGetIndexDesc(t, 2, desc), UINT{ISAM_ERR_INDEX_NUMBER});
  EXPECT_EQ(ISAMGetIndexDesc(t, 0, nullptr), UINT{ISAM_ERR_PARAMETER});
}

TEST_F(FileTest, StoredDescriptionsOfAnySizeComeBackUnchanged) {
  create();
  HISAMTABLE t = makeTable("T", {}, 4);
  UINT size = 99, read = 99;
  ASSERT_EQ(ISAMGetTableDescSize(t, 0, &size), 0u);
  EXPECT_EQ(size, 0u) << "a new table has an empty description";
  char none[1];
  EXPECT_EQ(ISAMReadTableDesc(t, 0, none, 0, &read), 0u);
  EXPECT_EQ(read, 0u);

  std::vector<char> big(1024 * 1024);
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<char>(i * 31 + (i >> 9)); // NULs included
  ASSERT_EQ(ISAMWriteTableDesc(t, 0, big.data(), static_cast<UINT>(big.size())), 0u);
  reopen(ISAM_MODE_READ);
  ASSERT_EQ(ISAMOpenTable(file, "T", &t), 0u);
  ASSERT_EQ(ISAMGetTableDescSize(t, 0, &size), 0u);
  ASSERT_EQ(size, big.size());
  std::vector<char> back(size);
  EXPECT_EQ(ISAMReadTableDesc(t, 0, back.data(), size - 1, &read), UINT{ISAM_ERR_BUFFER_TOO_SMALL});
  EXPECT_EQ(read, size) << "the length needed";
  ASSERT_EQ(ISAMReadTableDesc(t, 0, back.data(), size, &read), 0u);
  EXPECT_EQ(read, size);
  EXPECT_TRUE(back == big);

  EXPECT_EQ(ISAMGetTableDescSize(t, 1, &size), UINT{ISAM_ERR_DESC_NUMBER});
  EXPECT_EQ(ISAMReadTableDesc(t, 1, back.data(), size, &read), UINT{ISAM_ERR_DESC_NUMBER});
  EXPECT_EQ(ISAMWriteTableDesc(t, 0, "x", 1), UINT{ISAM_ERR_READ_ONLY});
  EXPECT_EQ(ISAMWriteTableDesc(t, 0, nullptr, 1), UINT{ISAM_ERR_PARAMETER});

  reopen();
  ASSERT_EQ(ISAMOpenTable(file, "T", &t), 0u);
  ASSERT_EQ(ISAMWriteTableDesc(t, 0, nullptr, 0), 0u);
  ASSERT_EQ(ISAMGetTableDescSize(t, 0, &size), 0u);
  EXPECT_EQ(size, 0u);
}

TEST_F(FileTest, ReadOnlyFileOpensInMode4AndRefusesWrites) {
  create();
  HISAMTABLE t = makeTable("T", {keyItem({{keyType("TEXT"), 0, 4}})}, 4);
  const DWORD address = insert(t, {'a', 'b', 'c', 'd'});
  reopen(ISAM_MODE_READ); // leaves no journal behind that a reader would need
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  file = nullptr;
  std::filesystem::permissions(path(), std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  HISAMFILE f = nullptr;
  EXPECT_EQ(ISAMOpen(&f, path().c_str(), ISAM_MODE_READWRITE, &detail), UINT{ISAM_ERR_ACCESS});
  EXPECT_EQ(detail, 5u);
  reopen(ISAM_MODE_READ);
  ASSERT_EQ(ISAMOpenTable(file, "T", &t), 0u);
  BYTE rec[4];
  ASSERT_EQ(ISAMReadRecordByAddress(t, address, rec, 4, 0), 0u);
  EXPECT_EQ(std::memcmp(rec, "abcd", 4), 0);
  DWORD a = 0;
  EXPECT_EQ(ISAMInsertRecord(t, rec, 4, &a), UINT{ISAM_ERR_READ_ONLY});
  EXPECT_EQ(ISAMUpdateRecord(t, address, rec, 4), UINT{ISAM_ERR_READ_ONLY});
  EXPECT_EQ(ISAMDeleteRecord(t, address), UINT{ISAM_ERR_READ_ONLY});
  EXPECT_EQ(ISAMCreateTable(file, "U", nullptr, 0, 4, 1024), UINT{ISAM_ERR_READ_ONLY});
  EXPECT_EQ(ISAMBeginTransaction(file), UINT{ISAM_ERR_READ_ONLY});
}

TEST_F(FileTest, BackslashPathsNameTheSameFile) {
  create();
  UINT detail = 0;
  ASSERT_EQ(ISAMClose(file, &detail), 0u);
  file = nullptr;
  std::string p = path();
  for (char &c : p)
    if (c == '/')
      c = '\\';
  EXPECT_EQ(ISAMOpen(&file, p.c_str(), ISAM_MODE_READ, &detail), 0u);
}

} // namespace
