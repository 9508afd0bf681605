// Browsing a table of 1,000,000 records of 100 bytes with two indexes in an
// ISAM file through a real grid window, beside SQLite holding the same data
// as plain columns in an in-file table, in one run:
//
// - SetSelection with three terms no index serves, then DisplayTable,
//   right after opening the file, against SQLite's count(*) with the same
//   WHERE (a full scan); the median of five openings on both sides;
// - a joker on the indexed name field, against SQLite's GLOB count that its
//   name index serves;
// - the three terms once more, now that the engine holds its copy of the
//   table that the first count made;
// - 1,000 random lines of the grid through GetDataField, against SQLite's
//   row at an OFFSET of the same ordered query;
// - 10,000 lines scrolled one at a time through the grid (ScrollLines and
//   the paint that follows), and the same lines read by GetDataField,
//   against stepping SQLite's ordered cursor.
//
// Prints each time, ours / SQLite against its target and the peak memory.
//
//   browse_bench [records=1000000] [folder=temp folder]
#include <windows.h>
#include <vq_isa32.h>
#include <vq_tbl32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

[[noreturn]] void die(const char *what, long code) {
  std::fprintf(stderr, "browse_bench: %s failed (%ld)\n", what, code);
  std::exit(1);
}

// The record layout; the name index comes first, because SetSelection
// counts over index 0 and a joker on the name limits that key.
constexpr UINT kRecordSize = 100;
struct FieldSpec {
  const char *name;
  UINT offset, size, encodeType, contentType;
};
enum Field : UINT { NUM, NAME, CITY, AGE, BORN, SUM, NOTE, kFields };
constexpr FieldSpec kFieldSpecs[kFields] = {
    {"Num", 0, 4, iteINT32, pkNUMBER},
    {"Name", 4, 16, iteTEXT, pkTEXT},
    {"City", 20, 12, iteTEXT, pkTEXT | twNOCASE},
    {"Age", 32, 4, iteINT32, pkNUMBER | twSIGNED},
    {"Born", 36, 10, iteTEXT, pkDATETIME | twDATE},
    {"Sum", 46, 12, iteTEXT, pkDECIMAL | twSIGNED | (2u << twDECIMALS_SHIFT)},
    {"Note", 58, 42, iteTEXT, pkTEXT},
};

const char kSelection[] = "age >= 18 and age <= 65 and born >= 1.1.2000";
const char kSqlSelection[] =
    "SELECT count(*) FROM t WHERE age >= 18 AND age <= 65 AND born >= '2000-01-01'";
const char kJoker[] = "name = M*ER*";
const char kSqlJoker[] = "SELECT count(*) FROM t WHERE name GLOB 'M*ER*'";

constexpr int kRandomLines = 1000, kSqliteRandomLines = 50, kScrollLines = 10000;
constexpr UINT kGridId = 700;
constexpr int kOpenings = 5; // of the file, for the first count

void describe(CVQTableDesc &desc) {
  std::strcpy(desc.name, "Browse");
  desc.fields.fields = new CVQFieldDesc[kFields];
  desc.fields.count = desc.fields.capacity = kFields;
  for (UINT i = 0; i < kFields; ++i) {
    CVQFieldDesc &f = desc.fields.fields[i];
    const FieldSpec &s = kFieldSpecs[i];
    std::strcpy(f.name, s.name);
    f.offset = s.offset;
    f.size = s.size;
    f.encodeType = s.encodeType;
    f.contentType = f.displayType = s.contentType;
    f.dispWidth = 10;
  }
  desc.keys.keys = new CVQKeyDesc[2];
  desc.keys.count = desc.keys.capacity = 2;
  const struct {
    const char *type;
    Field field;
  } keys[2] = {{"TEXT", NAME}, {"UNSIGNED", NUM}};
  for (UINT k = 0; k < 2; ++k) {
    desc.keys.keys[k].partCount = 1;
    desc.keys.keys[k].parts[0].partType = ISAMGetKeyType(keys[k].type);
    std::strcpy(desc.keys.keys[k].parts[0].fieldName, kFieldSpecs[keys[k].field].name);
  }
}

// One record, both as the engine stores it and as SQLite's columns.
struct Row {
  uint32_t num;
  std::string name, city, bornIso, sum, note;
  int age;
  char bytes[kRecordSize];
};

void put(char *record, Field f, const std::string &text) {
  const FieldSpec &s = kFieldSpecs[f];
  std::memset(record + s.offset, ' ', s.size);
  std::memcpy(record + s.offset, text.data(), std::min<size_t>(text.size(), s.size));
}

Row makeRow(std::mt19937 &rng, uint32_t num) {
  static const char *const heads[] = {"M", "SCH", "B", "K", "W", "H", "FR", "ST"};
  static const char *const middles[] = {"AI", "EI", "U", "O", "A", "IE", "E", "AU"};
  static const char *const tails[] = {"ER", "MANN", "ERT", "LE", "NER", "DT", "S", "BERG"};
  static const char *const cities[] = {"Berlin", "Bonn", "Essen", "Munich", "Bremen", "Kiel"};
  Row r;
  const uint32_t a = rng(), b = rng();
  r.num = num;
  r.name = std::string(heads[a % 8]) + middles[(a >> 3) % 8] + tails[(a >> 6) % 8] +
           std::to_string((a >> 9) % 10000);
  r.city = cities[(a >> 23) % 6];
  r.age = static_cast<int>(b % 100);
  const UINT day = 1 + (b >> 7) % 28, month = 1 + (b >> 12) % 12, year = 1950 + (b >> 16) % 70;
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
  r.bornIso = text;
  std::snprintf(text, sizeof text, "%02u.%02u.%04u", day, month, year);
  const std::string born = text;
  FormatDecimalText(text, sizeof text, static_cast<LONGLONG>(rng() % 10000000) - 5000000, 2);
  r.sum = text;
  r.note = "record " + std::to_string(num) + " of the browsing benchmark";
  std::memset(r.bytes, ' ', sizeof r.bytes);
  std::memcpy(r.bytes + kFieldSpecs[NUM].offset, &r.num, 4);
  put(r.bytes, NAME, r.name);
  put(r.bytes, CITY, r.city);
  std::memcpy(r.bytes + kFieldSpecs[AGE].offset, &r.age, 4);
  put(r.bytes, BORN, born);
  put(r.bytes, SUM, r.sum);
  put(r.bytes, NOTE, r.note);
  return r;
}

void exec(sqlite3 *db, const char *sql) {
  if (int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr))
    die(sql, rc);
}

long statusKb(const char *key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0)
      return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

struct Timed {
  double seconds;
  long long result;
  double firstPart = 0; // of a selection: SetSelection's own count
};

Timed sqliteCount(sqlite3 *db, const char *sql) {
  sqlite3_stmt *stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr))
    die(sql, sqlite3_errcode(db));
  const auto start = Clock::now();
  if (sqlite3_step(stmt) != SQLITE_ROW)
    die(sql, sqlite3_errcode(db));
  const Timed t{seconds(start), sqlite3_column_int64(stmt, 0)};
  sqlite3_finalize(stmt);
  return t;
}

// SetSelection and the DisplayTable that shows its result, timed together.
Timed browseSelection(CVQTableISAM &browser, CVQTblSelDesc &sel, const char *text) {
  if (sel.parse(text, static_cast<UINT>(std::strlen(text))) != 1 ||
      sel.resolve(browser.tableDesc) != 1)
    die(text, 0);
  const auto start = Clock::now();
  const UINT count = browser.SetSelection(&sel);
  const double selected = seconds(start);
  if (browser.DisplayTable(0, 0, 0) != 1)
    die("DisplayTable", 0);
  return {seconds(start), count, selected};
}

} // namespace

int main(int argc, char **argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (count < kScrollLines * 4 || count > 100000000)
    die("record count", count);
  const std::filesystem::path folder =
      (argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path()) /
      ("vq_browse_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string isamPath = (folder / "browse.isa").string();
  const std::string sqlitePath = (folder / "browse.db").string();

  CVQFileDesc file;
  UINT position = 0;
  if (!file.InsertTable("Browse", &position))
    die("InsertTable", 0);
  describe(file.tables.tables[position]);
  CopyText(file.fileName, sizeof file.fileName, isamPath.c_str());
  file.curTable = position;
  const CVQTableDesc &desc = file.tables.tables[position];

  // Both stores filled from the same rows, each in one transaction.
  HISAMFILE isam = nullptr;
  HISAMTABLE isamTable = nullptr;
  UINT detail = 0, err;
  if ((err = ISAMCreate(&isam, isamPath.c_str(), &detail)))
    die("ISAMCreate", err);
  ISAMIDT *idt = desc.keys.CreateIDT(desc.fields);
  if (!idt)
    die("CreateIDT", 0);
  if ((err = ISAMCreateTable(isam, "Browse", idt, desc.keys.count, kRecordSize, 1024)))
    die("ISAMCreateTable", err);
  desc.keys.FreeIDT(idt);
  if ((err = ISAMOpenTable(isam, "Browse", &isamTable)))
    die("ISAMOpenTable", err);
  sqlite3 *db = nullptr;
  if (sqlite3_open(sqlitePath.c_str(), &db))
    die("sqlite3_open", 0);
  exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
           "CREATE TABLE t(num INTEGER, name TEXT, city TEXT, age INTEGER, born TEXT, sum TEXT,"
           " note TEXT)");
  exec(db, "CREATE INDEX t_name ON t(name); CREATE UNIQUE INDEX t_num ON t(num)");
  sqlite3_stmt *ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?, ?, ?, ?, ?, ?, ?)", -1, &ins, nullptr);
  std::vector<uint32_t> numbers(static_cast<size_t>(count));
  for (uint32_t i = 0; i < numbers.size(); ++i)
    numbers[i] = i;
  std::mt19937 rng(1);
  std::shuffle(numbers.begin(), numbers.end(), rng);
  auto start = Clock::now();
  ISAMBeginTransaction(isam);
  exec(db, "BEGIN");
  for (uint32_t number : numbers) {
    const Row r = makeRow(rng, number);
    DWORD address = 0;
    if ((err = ISAMInsertRecord(isamTable, r.bytes, kRecordSize, &address)))
      die("ISAMInsertRecord", err);
    sqlite3_bind_int64(ins, 1, r.num);
    sqlite3_bind_text(ins, 2, r.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 3, r.city.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(ins, 4, r.age);
    sqlite3_bind_text(ins, 5, r.bornIso.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 6, r.sum.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(ins, 7, r.note.c_str(), -1, SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE)
      die("INSERT", sqlite3_errcode(db));
    sqlite3_reset(ins);
  }
  if ((err = ISAMCommitTransaction(isam)))
    die("ISAMCommitTransaction", err);
  exec(db, "COMMIT");
  sqlite3_finalize(ins);
  ISAMCloseTable(isamTable);
  ISAMClose(isam, &detail);
  const double built = seconds(start);
  std::vector<uint32_t>().swap(numbers);

  // The browser in a grid window of its own parent, as a host shows it.
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VqBrowseBenchParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, "VqBrowseBenchParent", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                nullptr, nullptr, nullptr, nullptr);
  HWND gridWindow =
      CreateWindowExA(0, "CVQGridView32", "", WS_CHILD | WS_VISIBLE, 10, 10, 600, 300, parent,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kGridId)), nullptr, nullptr);
  if (!parent || !gridWindow)
    die("CreateWindowExA", 0);
  CVQTableISAM browser;
  const auto open = [&] {
    if (browser.InitISAMFile(nullptr, nullptr, &file, 1) != 1)
      die("InitISAMFile", 0);
    if (browser.InitTable(parent, kGridId) != 1)
      die("InitTable", 0);
  };

  // The first count after opening pays for the engine's copy of the table.
  // A single run of it moves with the machine, so the file is opened
  // several times and the medians of both sides are compared.
  std::vector<Timed> ours, theirs;
  for (int k = 0; k < kOpenings; ++k) {
    if (k)
      browser.CloseTable();
    open();
    CVQTblSelDesc first;
    ours.push_back(browseSelection(browser, first, kSelection));
    browser.SetSelection(nullptr);
    theirs.push_back(sqliteCount(db, kSqlSelection));
  }
  const auto median = [](std::vector<Timed> v) {
    std::sort(v.begin(), v.end(),
              [](const Timed &a, const Timed &b) { return a.seconds < b.seconds; });
    return v[v.size() / 2];
  };
  const Timed ourFilter = median(ours), theirFilter = median(theirs);
  const auto fastest =
      std::min_element(ours.begin(), ours.end(), [](const Timed &a, const Timed &b) {
        return a.seconds < b.seconds;
      })->seconds;
  const auto slowestFirst =
      std::max_element(ours.begin(), ours.end(), [](const Timed &a, const Timed &b) {
        return a.seconds < b.seconds;
      })->seconds;
  CVQTblSelDesc joker;
  const Timed ourJoker = browseSelection(browser, joker, kJoker);
  const Timed theirJoker = sqliteCount(db, kSqlJoker);
  // The first count after opening also pays for the engine's copy of the
  // table; the same selection again shows the count alone.
  CVQTblSelDesc filterAgain;
  const Timed ourFilterAgain = browseSelection(browser, filterAgain, kSelection);
  const Timed theirFilterAgain = sqliteCount(db, kSqlSelection);

  // Lines of the whole table in name order from here on.
  browser.SetSelection(nullptr);
  if (browser.DisplayTable(0, 0, 0) != 1)
    die("DisplayTable", 0);
  const UINT lines = browser.grid->GetLineCount();
  std::mt19937 pick(2);
  std::vector<UINT> randomLines(kRandomLines);
  for (UINT &line : randomLines)
    line = pick() % lines;
  char text[256];
  unsigned long long checksum = 0;
  auto readLine = [&](UINT line) {
    for (UINT column = 0; column < kFields; ++column) {
      const UINT length = browser.GetDataField(line, column, text, sizeof text);
      if (length == ~0u)
        die("GetDataField", line);
      checksum += length;
    }
  };
  start = Clock::now();
  double slowest = 0;
  for (UINT line : randomLines) {
    const auto one = Clock::now();
    readLine(line);
    slowest = std::max(slowest, seconds(one));
  }
  const double ourRandom = seconds(start) / kRandomLines;

  sqlite3_stmt *at = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM t ORDER BY name, rowid LIMIT 1 OFFSET ?", -1, &at, nullptr);
  start = Clock::now();
  for (int i = 0; i < kSqliteRandomLines; ++i) {
    sqlite3_bind_int64(at, 1, randomLines[static_cast<size_t>(i)]);
    if (sqlite3_step(at) != SQLITE_ROW)
      die("SELECT OFFSET", sqlite3_errcode(db));
    for (int column = 0; column < static_cast<int>(kFields); ++column)
      checksum += static_cast<unsigned long long>(sqlite3_column_bytes(at, column)) +
                  (sqlite3_column_text(at, column) != nullptr);
    sqlite3_reset(at);
  }
  const double theirRandom = seconds(start) / kSqliteRandomLines;
  sqlite3_finalize(at);

  // Scrolling starts in the middle of the table, its first page painted.
  const UINT first = lines / 2 - kScrollLines;
  browser.grid->SetTopLine(first);
  UpdateWindow(gridWindow);
  start = Clock::now();
  for (int i = 0; i < kScrollLines; ++i) {
    browser.grid->ScrollLines(1);
    UpdateWindow(gridWindow);
  }
  const double ourScroll = seconds(start) / kScrollLines;
  const UINT scrolledTo = browser.grid->GetTopLine();

  const UINT from = lines / 2 + kScrollLines;
  readLine(from);
  start = Clock::now();
  for (UINT line = from; line < from + kScrollLines; ++line)
    readLine(line);
  const double ourSteps = seconds(start) / kScrollLines;

  sqlite3_stmt *cursor = nullptr;
  sqlite3_prepare_v2(db, "SELECT * FROM t ORDER BY name, rowid", -1, &cursor, nullptr);
  for (UINT i = 0; i < from; ++i)
    if (sqlite3_step(cursor) != SQLITE_ROW)
      die("SELECT cursor", sqlite3_errcode(db));
  start = Clock::now();
  for (int i = 0; i < kScrollLines; ++i) {
    if (sqlite3_step(cursor) != SQLITE_ROW)
      die("SELECT cursor", sqlite3_errcode(db));
    for (int column = 0; column < static_cast<int>(kFields); ++column)
      checksum += static_cast<unsigned long long>(sqlite3_column_bytes(cursor, column)) +
                  (sqlite3_column_text(cursor, column) != nullptr);
  }
  const double theirSteps = seconds(start) / kScrollLines;
  sqlite3_finalize(cursor);

  std::printf("records: %ld of %u bytes, two indexes (name, number); built both in %.1f s\n", count,
              kRecordSize, built);
  std::printf("filter \"%s\": ours %lld, sqlite %lld records%s\n", kSelection, ourFilter.result,
              theirFilter.result, ourFilter.result == theirFilter.result ? "" : "  MISMATCH");
  std::printf("joker \"%s\": ours %lld, sqlite %lld records%s\n", kJoker, ourJoker.result,
              theirJoker.result, ourJoker.result == theirJoker.result ? "" : "  MISMATCH");
  std::printf("\n%-44s %12s %12s %8s  %s\n", "", "ours ms", "sqlite ms", "ratio", "target");
  const struct {
    const char *name;
    double ours, theirs;
    const char *target;
  } rows[] = {
      {"SetSelection+DisplayTable, 3 terms / scan", ourFilter.seconds, theirFilter.seconds,
       "ratio <= 3"},
      {"SetSelection+DisplayTable, M*ER* / GLOB", ourJoker.seconds, theirJoker.seconds,
       "ratio <= 1.5"},
      {"the 3 terms again, the engine's copy made", ourFilterAgain.seconds,
       theirFilterAgain.seconds, "(the count alone)"},
      {"random line (GetDataField) / OFFSET", ourRandom, theirRandom, "ours <= 20 ms"},
      {"scroll step (ScrollLines+paint) / step", ourScroll, theirSteps, "ours << 16.7 ms"},
      {"next line (GetDataField) / step", ourSteps, theirSteps, "ours << 16.7 ms"},
  };
  for (const auto &row : rows)
    std::printf("%-44s %12.4f %12.4f %8.2f  %s\n", row.name, row.ours * 1e3, row.theirs * 1e3,
                row.ours / row.theirs, row.target);
  std::printf(
      "\nfirst count over %d openings: median %.1f ms, fastest %.1f, slowest %.1f; in turn:",
      kOpenings, ourFilter.seconds * 1e3, fastest * 1e3, slowestFirst * 1e3);
  for (int k = 0; k < kOpenings; ++k)
    std::printf(" %.0f/%.0f", ours[k].seconds * 1e3, theirs[k].seconds * 1e3);
  std::printf(" ms (ours/sqlite)\n");
  std::printf("of which SetSelection alone: 3 terms %.1f ms, M*ER* %.1f ms (DisplayTable "
              "shows its count and reads the first line)\n",
              ourFilter.firstPart * 1e3, ourJoker.firstPart * 1e3);
  std::printf("slowest random line %.2f ms; sqlite's random row over %d lines of the same "
              "%d; scrolled to line %u (asked %u)\n",
              slowest * 1e3, kSqliteRandomLines, kRandomLines, scrolledTo, first + kScrollLines);
  std::printf("peak memory (VmHWM) %.1f MB; checksum %llu\n",
              static_cast<double>(statusKb("VmHWM:")) / 1024.0, checksum);

  browser.CloseTable();
  DestroyWindow(parent);
  sqlite3_close(db);
  std::filesystem::remove_all(folder);
  return 0;
}
