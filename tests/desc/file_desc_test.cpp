// The file description: what InitDescEdit makes of each kind of path and
// what each failure leaves, the configuration file written back or left
// alone, the check of all tables, ISAM files created, replaced and copied
// and read back to the same descriptions, the table list's editing, deep
// copies, and the grids and combo boxes it fills. The sample configuration
// file must read, check and write back unchanged.
#include "desc_fixture.h"
#include "recording_grid.h"

#include <vq_isa32.h>
#include <vqwin_seams.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using Calls = std::vector<std::string>;
namespace fs = std::filesystem;

const char kTwoTables[] = "Table: \"Kunden\"\r\n"
                          "IndexNodeSize: 2048\r\n"
                          "Field: 0, 4, 2, 0x0001, 0, 0x0001, 2, 8, \"Nr\"\r\n"
                          "Field: 4, 20, 7, 0x0000, 0, 0x0000, 0, 20, \"Name\"\r\n"
                          "Key: 1\r\n"
                          "KeyPart: \"UNSIGNED\", \"Nr\"\r\n"
                          "Table: END\r\n"
                          "Table: \"Orte\"\r\n"
                          "Field: 0, 5, 7, 0x0021, 0, 0x0021, 2, 5, \"PLZ\"\r\n"
                          "Field: 5, 25, 7, 0x0000, 0, 0x0000, 0, 25, \"Ort\"\r\n"
                          "Key: 0\r\n"
                          "KeyPart: \"TEXT\", \"PLZ\"\r\n"
                          "Table: END\r\n";

std::string Slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Calls Blocks(const CVQFileDesc &d) {
  Calls out;
  for (UINT i = 0; i < d.tables.count; ++i)
    out.push_back(vqtest::Written(d.tables.tables[i]));
  return out;
}

Calls Names(const CVQFileDesc &d) {
  Calls out;
  for (UINT i = 0; i < d.tables.count; ++i)
    out.push_back(d.tables.tables[i].name);
  return out;
}

std::string Joined(const Calls &lines) {
  std::string out;
  for (const auto &l : lines)
    out += (out.empty() ? "" : "\n") + l;
  return out;
}

std::string Filled(std::string text, const std::string &path) {
  const auto at = text.find('$');
  return at == std::string::npos ? text : text.replace(at, 1, path);
}

// The host's file system, with opening (and removing) decided by the test.
int HostStatus(const char *path, VQWIN_FILE_STATUS *status, void *) {
  struct stat st {};
  if (stat(path, &st) != 0)
    return errno;
  status->isDirectory = S_ISDIR(st.st_mode);
  status->isWritable = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return 0;
}

// An ISAM file and one of its tables, open for the length of a scope.
struct Opened {
  Opened(const std::string &path, UINT mode, const char *name) {
    EXPECT_EQ(ISAMOpen(&file, path.c_str(), mode, &detail), 0u) << path;
    if (file && name) {
      EXPECT_EQ(ISAMOpenTable(file, name, &table), 0u) << name;
    }
  }
  ~Opened() {
    if (table)
      ISAMCloseTable(table);
    if (file)
      ISAMClose(file, &detail);
  }
  HISAMFILE file = nullptr;
  HISAMTABLE table = nullptr;
  UINT detail = 0;
};

class FileDesc : public vqtest::DescTest {
protected:
  void SetUp() override {
    DescTest::SetUp();
    dir = testing::TempDir() + "file_desc_" +
          testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    VqwinSetFileSystem(nullptr);
    VqwinSetClock(nullptr);
    fs::remove_all(dir);
    DescTest::TearDown();
  }
  /// A configuration file holding `text`, opened into `d`.
  std::string OpenConfig(CVQFileDesc &d, const char *name, const std::string &text = kTwoTables) {
    const std::string path = dir + name;
    Put(path, text);
    EXPECT_EQ(d.InitDescEdit(nullptr, path.c_str(), FALSE), 1) << path;
    return path;
  }
  /// An ISAM file made from the two-table configuration.
  std::string MakeIsam(const char *name, CVQFileDesc &from) {
    OpenConfig(from, "from.cfg");
    const std::string path = dir + name;
    EXPECT_EQ(from.CreateISAMFile(nullptr, path.c_str()), 1);
    return path;
  }
  /// `back` holds the same tables as `d`, each with the node size the
  /// engine keeps for it in the ISAM file at `path`.
  static void ExpectSameTables(const CVQFileDesc &back, const CVQFileDesc &d,
                               const std::string &path) {
    CVQFileDesc adjusted(back);
    ASSERT_EQ(back.tables.count, d.tables.count);
    for (UINT i = 0; i < back.tables.count; ++i) {
      const Opened isam(path, ISAM_MODE_READ, back.tables.tables[i].name);
      UINT size = 0;
      ISAMGetIndexRecSize(isam.table, &size);
      EXPECT_EQ(back.tables.tables[i].indexNodeSize, size) << i;
      adjusted.tables.tables[i].indexNodeSize = d.tables.tables[i].indexNodeSize;
    }
    EXPECT_EQ(Blocks(adjusted), Blocks(d));
  }
  /// An ISAM file without tables.
  std::string EmptyIsam(const char *name) {
    const std::string path = dir + name;
    HISAMFILE file = nullptr;
    UINT detail = 0;
    EXPECT_EQ(ISAMCreate(&file, path.c_str(), &detail), 0u);
    ISAMClose(file, &detail);
    return path;
  }
  void UseFileSystem(int (*open)(const char *, int, int, int *, void *),
                     int (*remove)(const char *, void *) = nullptr) {
    const VQWIN_FILE_SYSTEM fake = {HostStatus, nullptr, open, remove};
    VqwinSetFileSystem(&fake);
  }
  std::string dir;
};

TEST_F(FileDesc, TheFileTypeDecidesWhatInitDescEditOpensAndWhatSurvivesAFailure) {
  const std::string isamHead("\0\0\0\0\x12\x34\x56\x78\xFF\xFF\xAB\xCDISAM", 16);
  const std::string gone = "Die Konfigurationsdatei $ gibt es nicht.",
                    ask = gone + " Soll eine neue Beschreibung angelegt werden?",
                    notText = "0 CVQConfFile $ is not a text file";
  const struct {
    const char *file;    // under the test folder
    std::string content; // "": none; "/": a folder
    BOOL allowNew;
    int answer; // to the question 1520; 0: none queued
    BOOL rc, isIsam, isNew;
    UINT tables;
    std::string log;
    UINT box; // ~0u: none; 0: the engine's
    std::string boxText;
  } rows[] = {
      // A missing configuration, by its ending in any case, "cfgx" as well.
      {"neu.cFg", "", FALSE, 0, 0, 0, 1, 0, "", 1521, gone},
      {"neu.Cfg", "", TRUE, IDYES, 1, 0, 1, 0, "", 1520, ask},
      {"neu.CFG", "", TRUE, IDNO, 0, 0, 1, 0, "", 1520, ask},
      {"neu.cfgx", "", FALSE, 0, 0, 0, 1, 0, "", 1521, gone},
      {"neu.txt", "", TRUE, 0, 0, 0, 0, 0, "", ~0u, ""},
      {"a.cfg/neu", "", TRUE, 0, 0, 0, 0, 0, "", ~0u, ""},
      {"ordner.cfg", "/", TRUE, 0, 0, 0, 0, 0, "", ~0u, ""},
      // The signature decides whatever the other bytes; 15 bytes are text.
      {"kein.isa", isamHead, FALSE, 0, 0, 1, 0, 0,
       "0 CVQFileDesc Error " + std::to_string(ISAM_ERR_TRUNCATED) + " / 0 on opening $", 0, ""},
      {"fast.isa", std::string(isamHead).replace(3, 1, "\x01"), FALSE, 0, 1, 0, 1, 0, notText, ~0u,
       ""},
      {"kurz.isa", isamHead.substr(0, 15), FALSE, 0, 1, 0, 1, 0, notText, ~0u, ""},
      {"kurz.cfg", ";\r\n", FALSE, 0, 1, 0, 0, 0, "", ~0u, ""},
      {"zwei.txt", kTwoTables, FALSE, 0, 1, 0, 0, 2, "", ~0u, ""},
      // A table that does not read empties the list.
      {"schlecht.cfg",
       std::string(kTwoTables) + "Table: \"Bad\"\r\nField: 0, 4, \"\"\r\nTable: END\r\n", FALSE, 0,
       1, 0, 0, 0,
       "0 CVQFieldDesc Field name is empty in data field FIELD(0)\n"
       "0 CVQTableDesc Error on reading an object definition\n"
       "0 CVQTableDesc Error reading field descs for table Bad\n"
       "0 CVQFileDesc Error on reading an object definition",
       1301, ""},
  };
  for (const auto &r : rows) {
    const std::string path = dir + r.file;
    if (r.content == "/")
      fs::create_directory(path);
    else if (!r.content.empty())
      Put(path, r.content);
    CVQFileDesc d;
    UINT at = 0;
    d.InsertTable("Alt", &at);
    std::strcpy(d.fileName, "alt.cfg");
    if (r.answer)
      vqwinQueueMessageBoxAnswer(r.answer);
    Clear();
    EXPECT_EQ(d.InitDescEdit(nullptr, path.c_str(), r.allowNew), r.rc) << r.file;
    EXPECT_EQ(d.isIsamFile, r.isIsam) << r.file;
    EXPECT_EQ(d.isNewConfig, r.isNew) << r.file;
    EXPECT_EQ(d.isReadOnly, 0) << r.file;
    EXPECT_EQ(d.tables.count, r.tables) << r.file;
    EXPECT_STREQ(d.fileName, r.rc ? path.c_str() : "alt.cfg") << r.file;
    EXPECT_EQ(Joined(Logged()), Filled(r.log, path)) << r.file;
    const std::string text = Filled(r.boxText, path);
    if (r.box == 1520) {
      const auto boxes = vqwin::MessageBoxRecords();
      ASSERT_EQ(boxes.size(), 1u) << r.file;
      EXPECT_EQ(boxes[0].buttons, UINT(MB_YESNO)) << r.file;
      EXPECT_EQ(boxes[0].answer, r.answer) << r.file;
      EXPECT_EQ(boxes[0].text, text) << r.file;
      EXPECT_EQ(Traced("5 CVQFileDesc User canceled the new configuration file " + path),
                r.answer == IDNO)
          << r.file;
    } else if (r.box == ~0u) {
      ExpectNoBox(r.file);
    } else {
      ExpectOneBox(r.box, text.empty() ? nullptr : text.c_str(), r.file);
    }
  }
}

TEST_F(FileDesc, OpenAndReadFailuresOfTheFileSystemAreLoggedWithTheSystemError) {
  const std::string path = dir + "daten.cfg";
  Put(path, kTwoTables);
  const struct {
    const char *name;
    int (*open)(const char *, int, int, int *, void *);
    std::string log;
  } rows[] = {
      {"open refused", [](const char *, int, int, int *, void *) { return EACCES; },
       "0 CVQFileDesc Error 5 on opening " + path},
      // A folder opens but does not read.
      {"read fails",
       [](const char *, int flags, int, int *fd, void *) {
         *fd = ::open("/", flags);
         return *fd < 0 ? errno : 0;
       },
       "0 CVQFileDesc Error 30 on reading " + path},
  };
  for (const auto &r : rows) {
    UseFileSystem(r.open);
    CVQFileDesc d;
    Clear();
    EXPECT_EQ(d.InitDescEdit(nullptr, path.c_str(), TRUE), 0) << r.name;
    EXPECT_EQ(Logged(), Calls{r.log}) << r.name;
    ExpectNoBox(r.name);
    EXPECT_EQ(d.isIsamFile + d.isNewConfig + d.isReadOnly, 0) << r.name;
    EXPECT_STREQ(d.fileName, "") << r.name;
  }
}

TEST_F(FileDesc, ARefusedWriteLeavesTheOldFileByteForByte) {
  CVQFileDesc d;
  const std::string path = OpenConfig(d, "alt.cfg");
  ASSERT_EQ(d.SetTableName(1, "Or\x01te"), 1);
  Clear();
  EXPECT_EQ(d.WriteDesc(), 0);
  EXPECT_EQ(
      Logged(),
      Calls{"0 CVQTableDesc Cannot write table Or\x01te: a name contains a control character."});
  EXPECT_EQ(Slurp(path), kTwoTables);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1)
      << "no temporary file left";

  // A new configuration is created by the first write and reads back.
  CVQFileDesc fresh;
  const std::string created = dir + "neu.cfg";
  ASSERT_EQ(fresh.InitDescEdit(nullptr, created.c_str(), TRUE), 1);
  ASSERT_EQ(fresh.isNewConfig, 1);
  ASSERT_EQ(d.SetTableName(1, "Orte"), 1);
  fresh.tables = d.tables;
  ASSERT_EQ(fresh.WriteDesc(), 1);
  CVQFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, created.c_str(), FALSE), 1);
  EXPECT_EQ(Blocks(back), Blocks(d));
}

// Both read their tables, and a write "succeeds" leaving the file as it was.
TEST_F(FileDesc, AReadOnlyConfigurationAndAnIsamFileAreNeverWritten) {
  CVQFileDesc from, d;
  const std::string readOnly = OpenConfig(d, "fest.cfg"), isam = MakeIsam("kunden.isa", from);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
  for (const std::string &path : {readOnly, isam}) {
    const std::string bytes = Slurp(path);
    const BOOL isIsam = path == isam;
    Clear();
    ASSERT_EQ(d.InitDescEdit(nullptr, path.c_str(), FALSE), 1) << path;
    EXPECT_EQ(d.isIsamFile, isIsam) << path;
    EXPECT_EQ(d.isReadOnly, !isIsam) << path;
    EXPECT_EQ(d.isNewConfig, 0) << path;
    if (isIsam)
      ExpectSameTables(d, from, isam);
    else
      EXPECT_EQ(Blocks(d), Blocks(from));
    ExpectNoBox(path);
    ASSERT_EQ(d.DeleteTable(0), 1);
    EXPECT_EQ(d.WriteDesc(), 1) << path;
    EXPECT_EQ(Slurp(path), bytes) << path;
    EXPECT_FALSE(fs::exists(path + ".tmp")) << path;
  }
  fs::permissions(readOnly, fs::perms::owner_all);

  const std::string empty = EmptyIsam("leer.isa");
  Clear();
  ASSERT_EQ(d.InitDescEdit(nullptr, empty.c_str(), FALSE), 1);
  EXPECT_EQ(d.tables.count, 0u);
  EXPECT_EQ(d.isIsamFile, 1);
  EXPECT_EQ(Logged(),
            Calls{"1 CVQFileDesc InitTableDescs: No data tables found in the isam file."});
}

TEST_F(FileDesc, InitTableDescsKeepsTheTablesReadBeforeABadStoredText) {
  CVQFileDesc from;
  const std::string path = MakeIsam("kunden.isa", from);
  CVQFileDesc d;
  {
    const Opened isam(path, 5, "Orte");
    const char bad[] = "Table: \"Orte\"\r\nField: 0, 4, \"\"\r\nTable: END\r\n";
    ASSERT_EQ(ISAMWriteTableDesc(isam.table, 0, bad, UINT(sizeof bad - 1)), 0u);
    Clear();
    EXPECT_EQ(d.InitTableDescs(isam.file), 0);
    EXPECT_EQ(Names(d), Calls{"Kunden"});
    ASSERT_FALSE(Logged().empty());
    EXPECT_EQ(Logged().back(), "0 CVQFileDesc Error on read the description of table 1.");
  }

  Clear();
  EXPECT_EQ(d.InitDescEdit(nullptr, path.c_str(), FALSE), 0);
  EXPECT_EQ(Logged().back(), "0 CVQFileDesc Error on reading table descriptions of " + path);

  // A handle the engine does not know: nothing to count, and no failure.
  std::strcpy(d.fileName, "weg.isa");
  Clear();
  EXPECT_EQ(d.InitTableDescs(nullptr), 1);
  EXPECT_EQ(d.tables.count, 0u);
  EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc Error " + std::to_string(ISAM_ERR_HANDLE) +
                            " on ISAMGetTableCount( weg.isa )"});
}

TEST_F(FileDesc, VerifyDescReportsTheFirstBadTableAndStops) {
  CVQFileDesc d;
  UINT bad = 77;
  Clear();
  EXPECT_EQ(d.VerifyDesc(&bad), 0);
  EXPECT_EQ(bad, ~0u);
  ExpectOneBox(1530, "Die Dateibeschreibung enth\xE4lt keine Tabellen.", "no tables");

  OpenConfig(d, "zwei.cfg");
  UINT at = 1, end = 9;
  ASSERT_EQ(d.InsertTable("Leer1", &at), 1); // tables 1 and 3 have no fields
  ASSERT_EQ(d.InsertTable("Leer3", &end), 1);
  Clear();
  EXPECT_EQ(d.VerifyDesc(&bad), 0);
  EXPECT_EQ(bad, 1u);
  ExpectOneBox(1403, "Die Tabelle Leer1 hat keine Datenfelder.", "first bad table only");
}

TEST_F(FileDesc, CreateIsamFileAtAGivenPathLeavesExistingFilesToTheEngine) {
  CVQFileDesc d;
  const std::string cfg = OpenConfig(d, "zwei.cfg");
  const std::string path = dir + "alt.isa";
  Put(path, "keine ISAM-Datei");
  Clear();
  EXPECT_EQ(d.CreateISAMFile(nullptr, path.c_str()), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc Error " + std::to_string(ISAM_ERR_FILE_EXISTS) +
                            " / 80 on creating " + path});
  ExpectOneBox(0, nullptr, "no question, only the engine's error");
  EXPECT_EQ(Slurp(path), "keine ISAM-Datei");

  // A table the engine refuses (a second "Kunden") removes the new file.
  const std::string doubled = dir + "doppelt.isa";
  ASSERT_EQ(d.SetTableName(1, "KUNDEN"), 1);
  Clear();
  EXPECT_EQ(d.CreateISAMFile(nullptr, doubled.c_str()), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQTableDesc Error 1016 on creating table KUNDEN"});
  EXPECT_FALSE(fs::exists(doubled));
  EXPECT_STREQ(d.fileName, cfg.c_str());
  EXPECT_EQ(d.isIsamFile + d.isNewConfig + d.isReadOnly, 0);
}

TEST_F(FileDesc, CreateIsamFileThroughTheSaveDialogAsksBeforeReplacing) {
  CVQFileDesc d;
  OpenConfig(d, "zwei.cfg");
  const std::string path = dir + "neu.isa";
  const std::string ask =
      "Die Datei " + path + " gibt es schon. Soll sie durch eine neue ISAM-Datei ersetzt werden?";

  Clear();
  EXPECT_EQ(d.CreateISAMFile(nullptr, ""), 0);
  EXPECT_TRUE(Traced("5 CVQFileDesc User canceled creation in filename dialog."));
  ExpectNoBox("cancelled");

  vqwinQueuePath(path.c_str());
  Clear();
  ASSERT_EQ(d.CreateISAMFile(nullptr, nullptr), 1);
  ExpectNoBox("new file");
  EXPECT_TRUE(fs::exists(path));

  Put(path, "alt");
  vqwinQueuePath(path.c_str());
  vqwinQueueMessageBoxAnswer(IDNO);
  Clear();
  EXPECT_EQ(d.CreateISAMFile(nullptr, nullptr), 0);
  EXPECT_EQ(Slurp(path), "alt");
  EXPECT_TRUE(Traced("5 CVQFileDesc User canceled creation of existing isam file " + path));
  ASSERT_EQ(vqwin::MessageBoxRecords().size(), 1u);
  EXPECT_EQ(vqwin::MessageBoxRecords()[0].text, ask);

  UseFileSystem(nullptr, [](const char *, void *) { return EBUSY; });
  vqwinQueuePath(path.c_str());
  vqwinQueueMessageBoxAnswer(IDYES);
  Clear();
  EXPECT_EQ(d.CreateISAMFile(nullptr, nullptr), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc Error 32 on deleting " + path});
  auto boxes = vqwin::MessageBoxRecords();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "vq_tbl32 Fehler (Fehlercode = 1523)");
  EXPECT_EQ(boxes[1].text,
            "Die Datei " + path + " kann nicht gel\xF6scht werden (Systemfehler 32).");
  EXPECT_EQ(Slurp(path), "alt");
  VqwinSetFileSystem(nullptr);

  vqwinQueuePath(path.c_str());
  vqwinQueueMessageBoxAnswer(IDYES);
  Clear();
  ASSERT_EQ(d.CreateISAMFile(nullptr, nullptr), 1);
  EXPECT_EQ(vqwin::MessageBoxRecords().size(), 1u);
  CVQFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, path.c_str(), FALSE), 1);
  EXPECT_EQ(back.isIsamFile, 1);
  ExpectSameTables(back, d, path);
}

TEST_F(FileDesc, CopyIsamStructureRefusesBadNamesBeforeOpeningAnything) {
  CVQFileDesc from;
  const std::string source = MakeIsam("quelle.isa", from);
  const std::string garbage = dir + "kein.isa", there = dir + "da.isa";
  Put(garbage, "kein ISAM");
  Put(there, "da");
  const std::string missing = dir + "fehlt.isa", fresh = dir + "neu.isa";
  const std::string noSource = "Missing or empty source file name.",
                    noDestination = "Missing or empty destination file name.";
  const struct {
    const char *source, *destination;
    std::string log; // behind "0 CVQFileDesc CopyISAMStructure: "
    UINT code;
    std::string box;
  } rows[] = {
      {nullptr, fresh.c_str(), noSource, 1550, "Der Name der Quelldatei fehlt."},
      {"", fresh.c_str(), noSource, 1550, "Der Name der Quelldatei fehlt."},
      {missing.c_str(), fresh.c_str(), "Source file does not exist: " + missing, 1551,
       "Die Quelldatei " + missing + " gibt es nicht."},
      {source.c_str(), nullptr, noDestination, 1552, "Der Name der Zieldatei fehlt."},
      {source.c_str(), "", noDestination, 1552, "Der Name der Zieldatei fehlt."},
      // The destination is looked at before the source is opened.
      {garbage.c_str(), there.c_str(), "Destinatino file exists already: " + there, 1553,
       "Die Zieldatei " + there + " gibt es schon; sie wird nicht ersetzt."},
  };
  for (const auto &r : rows) {
    CVQFileDesc d;
    UINT at = 0;
    d.InsertTable("Alt", &at);
    Clear();
    EXPECT_EQ(d.CopyISAMStructure(r.source, r.destination), 0) << r.log;
    EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc CopyISAMStructure: " + r.log});
    ExpectOneBox(r.code, r.box, r.log);
    EXPECT_EQ(Names(d), Calls{"Alt"}) << r.log;
  }
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_EQ(Slurp(there), "da");

  CVQFileDesc d;
  Clear();
  EXPECT_EQ(d.CopyISAMStructure(garbage.c_str(), fresh.c_str()), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc Error " + std::to_string(ISAM_ERR_NOT_ISAM) +
                            " / 0 on opening " + garbage});
  ExpectOneBox(0, nullptr, "not ISAM");
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(FileDesc, CopyIsamStructureMakesAnEmptyFileWithTheSourcesTables) {
  CVQFileDesc from;
  const std::string source = MakeIsam("quelle.isa", from);
  char record[24] = "\x01\0\0\0Meier";
  DWORD address = 0;
  ASSERT_EQ(ISAMInsertRecord(Opened(source, 5, "Kunden").table, record, sizeof record, &address),
            0u);

  CVQFileDesc d;
  d.isReadOnly = 1;
  const std::string copy = dir + "kopie.isa";
  Clear();
  ASSERT_EQ(d.CopyISAMStructure(source.c_str(), copy.c_str()), 1);
  ExpectNoBox("copy");
  EXPECT_EQ(Names(d), (Calls{"Kunden", "Orte"}));
  EXPECT_EQ(d.isReadOnly, 1);
  EXPECT_STREQ(d.fileName, "");
  CVQFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, copy.c_str(), FALSE), 1);
  ExpectSameTables(back, from, copy);
  {
    const Opened isam(copy, ISAM_MODE_READ, "Kunden");
    ASSERT_EQ(ISAMSetupIterationLimits(isam.table, 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(ISAMReadNextRecord(isam.table, 0, record, &address, 0), 1022u) << "empty";
  }

  const std::string none = EmptyIsam("leer.isa"), emptyCopy = dir + "leer2.isa";
  EXPECT_EQ(d.CopyISAMStructure(none.c_str(), emptyCopy.c_str()), 1);
  EXPECT_EQ(d.tables.count, 0u);
  ASSERT_EQ(back.InitDescEdit(nullptr, emptyCopy.c_str(), FALSE), 1);
  EXPECT_EQ(back.tables.count, 0u);
  EXPECT_EQ(back.isIsamFile, 1);
}

TEST_F(FileDesc, TheTableListIsEditedByIndexAndFoundByNameInAnyCase) {
  CVQFileDesc d;
  Clear();
  EXPECT_EQ(d.GetTableItem("a"), nullptr);
  EXPECT_EQ(static_cast<const CVQFileDesc &>(d).GetCTableItem("a"), nullptr);
  EXPECT_EQ(d.FindTableName("a"), ~0u);
  EXPECT_EQ(d.DeleteTable(0), 0);
  EXPECT_EQ(Logged(), (Calls{"0 CVQFileDesc No tables exist on call of GetTableItem( a )",
                             "0 CVQFileDesc No tables exist on call of GetCTableItem( a )"}));
  for (const char *n : {"a", "b", "c"}) {
    UINT at = 99;
    ASSERT_EQ(d.InsertTable(n, &at), 1);
  }
  EXPECT_EQ(d.tables.capacity, 4u);
  EXPECT_EQ(d.tables.tables[2].indexNodeSize, 1024u);
  d.tables.tables[2].indexNodeSize = 512;
  UINT at = 0;
  ASSERT_EQ(d.InsertTable("C", &at), 1);
  EXPECT_EQ(at, 0u);
  EXPECT_EQ(Names(d), (Calls{"c", "a", "b"})) << "a namesake moves, keeping its name";
  EXPECT_EQ(d.tables.tables[0].indexNodeSize, 512u);
  at = 1;
  ASSERT_EQ(d.InsertTable(std::string(40, 'n').c_str(), &at), 1);
  EXPECT_EQ(Names(d), (Calls{"c", std::string(31, 'n'), "a", "b"}));
  at = 4;
  ASSERT_EQ(d.InsertTable("A", &at), 1) << "at the end nothing is searched";
  EXPECT_EQ(d.tables.count, 5u);

  EXPECT_EQ(d.FindTableName("B"), 3u);
  EXPECT_EQ(d.GetTableItem("b"), &d.tables.tables[3]);
  EXPECT_EQ(d.FindTableName("a"), 2u);
  ASSERT_EQ(d.DeleteTable(2), 1);
  EXPECT_EQ(Names(d), (Calls{"c", std::string(31, 'n'), "b", "A"}));
  EXPECT_EQ(d.DeleteTable(4), 0);
  ASSERT_EQ(d.SetTableName(0, std::string(33, 'x').c_str()), 1);
  EXPECT_EQ(std::string(d.tables.tables[0].name), std::string(31, 'x'));

  Clear();
  EXPECT_EQ(d.SetTableName(4, "y"), 0);
  EXPECT_EQ(d.GetTableItem("z"), nullptr);
  EXPECT_EQ(static_cast<const CVQFileDesc &>(d).GetCTableItem("z"), nullptr);
  EXPECT_EQ(Logged(), (Calls{"0 CVQFileDesc Cannot access table 4 of 4",
                             "0 CVQFileDesc Table z not found on call of GetTableItem.",
                             "0 CVQFileDesc Table z not found on call of GetCTableItem."}));
  ExpectOneBox(1500, "Die gew\xE4hlte Tabelle gibt es in der Dateibeschreibung nicht.",
               "bad index");
}

TEST_F(FileDesc, CopiesAreDeep) {
  CVQFileDesc d;
  const std::string path = OpenConfig(d, "zwei.cfg");
  d.curTable = 1;
  CVQFileDesc copy(d);
  EXPECT_EQ(Blocks(copy), Blocks(d));
  EXPECT_EQ(copy.curTable, 1u);
  EXPECT_STREQ(copy.fileName, path.c_str());
  CVQFileDesc assigned;
  assigned = copy;
  copy.Free();
  copy = static_cast<const CVQFileDesc &>(copy);
  EXPECT_EQ(copy.tables.count, 0u);
  EXPECT_EQ(Blocks(assigned), Blocks(d));
  ASSERT_EQ(assigned.SetTableName(0, "Neu"), 1);
  EXPECT_STREQ(d.tables.tables[0].name, "Kunden");
}

TEST_F(FileDesc, TheTableListGridShowsOneLinePerTable) {
  CVQFileDesc d;
  vqtest::RecordingGrid grid;
  HWND dialog = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                nullptr, nullptr);
  vqtest::CreateRecordingGridWindow(dialog, 30, &grid);
  Clear();
  EXPECT_EQ(d.HeadTables(dialog, 31, TRUE), 0);
  ASSERT_EQ(Logged().size(), 1u);
  const DWORD error = ERROR_CONTROL_ID_NOT_FOUND;
  EXPECT_EQ(Logged()[0], "0 CVQFileDesc HeadTables: Error " + std::to_string(error) +
                             " on searching control 31 in dialog.");
  ExpectOneBox(
      1540,
      "Die Tabellenliste (Steuerelement 31) wurde im Dialog nicht gefunden (Systemfehler " +
          std::to_string(error) + ").",
      "no grid");

  ASSERT_EQ(d.HeadTables(dialog, 30, TRUE), 1);
  EXPECT_EQ(grid.calls,
            (Calls{"DeleteAllItems(0)", "SetStyle(27)", "SetColumnCount(5, 0)",
                   "SetColumnHeader(0, 40, 0, \"Tabelle\", 0)", "SetColumnType(0, 4, 5200, 0)",
                   "SetColumnHeader(1, 15, 2, \"Felder\", 0)", "SetColumnType(1, 2, 5201, 0)",
                   "SetColumnHeader(2, 15, 2, \"Schl\xFCssel\", 0)", "SetColumnType(2, 2, 5202, 0)",
                   "SetColumnHeader(3, 15, 2, \"Satzgr\xF6\xDF"
                   "e\", 0)",
                   "SetColumnType(3, 2, 5203, 0)",
                   "SetColumnHeader(4, 15, 2, \"Knotengr\xF6\xDF"
                   "e\", 0)",
                   "SetColumnType(4, 4, 5204, 0)"}));
  grid.calls.clear();
  ASSERT_EQ(d.HeadTables(dialog, 30, FALSE), 1);
  EXPECT_EQ(grid.CallsOf("SetStyle"), Calls{"SetStyle(25)"});

  grid.calls.clear();
  Clear();
  EXPECT_EQ(d.ListTables(), 0);
  EXPECT_EQ(grid.calls, (Calls{"DeleteAllItems(0)", "DeleteAllItems(1)"}));
  EXPECT_EQ(Logged(), Calls{"1 CVQFileDesc DispRecs: Table does not exist"});

  OpenConfig(d, "zwei.cfg");
  const Calls lines = {"InsertItem(0, 0, 0)", "InsertItem(1, 1, 0)"};
  grid.calls.clear();
  ASSERT_EQ(d.ListTables(), 1);
  EXPECT_EQ(grid.CallsOf("InsertItem"), lines);
  const Calls shown = grid.calls;
  EXPECT_NE(std::find(shown.begin(), shown.end(), "SetItemText(1, 0, \"Orte\")"), shown.end());

  // The caller's definition, a grid window of its own and one in a dialog: the same lines.
  vqtest::RecordingGrid other, third;
  CGridDef def(&theLibrary, 7, nullptr, 0, 0);
  def.pGrid = &other;
  HWND alone = vqtest::CreateRecordingGridWindow(nullptr, 0, &third);
  grid.calls.clear();
  ASSERT_EQ(d.ListTables(def), 1);
  ASSERT_EQ(d.ListTables(alone, ~0u), 1);
  ASSERT_EQ(d.ListTables(dialog, 30), 1);
  for (const Calls *calls : {&other.calls, &third.calls, &grid.calls})
    EXPECT_EQ(*calls, shown);
  Clear();
  EXPECT_EQ(d.ListTables(dialog, 32), 0);
  EXPECT_EQ(Logged(), Calls{"0 CVQFileDesc Grid control 32 not found for the table list."});

  // The shared list forgets a grid whose window is gone.
  DestroyWindow(dialog);
  grid.calls.clear();
  Clear();
  EXPECT_EQ(d.ListTables(), 0);
  EXPECT_TRUE(grid.calls.empty());
  const Calls log = Logged();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(Calls(log.begin(), log.begin() + 2),
            (Calls{"0 CGridDef Cannot insert item 0 into grid: pGrid = NULL.",
                   "0 CVQFileDesc Cannot insert item 0 into the grid control"}));
}

TEST_F(FileDesc, TablesComboListsNamedTablesAndGivesTheSelectionBack) {
  CVQFileDesc d;
  HWND box = nullptr, dialog = ComboDialog(box);
  Clear();
  ASSERT_EQ(d.FillTablesCombo(dialog, 12, nullptr), 1);
  EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(Traced("5 CVQFileDesc No table descriptions found to insert into the combo box."));

  OpenConfig(d, "zwei.cfg");
  UINT at = 1;
  d.InsertTable("", &at);
  ASSERT_EQ(d.FillTablesCombo(dialog, 12, "ORTE"), 1);
  EXPECT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 2);
  char name[32] = {};
  ASSERT_EQ(d.GetCurrSelCombo(box, 0, name), 1);
  EXPECT_STREQ(name, "Orte");

  Clear();
  ASSERT_EQ(d.FillTablesCombo(box, ~0u, nullptr), 1);
  EXPECT_EQ(d.GetCurrSelCombo(dialog, 12, name), 0);
  EXPECT_EQ(d.FillTablesCombo(dialog, 13, nullptr), 0);
  EXPECT_EQ(Logged(), (Calls{"1 CVQFileDesc No item selected in data table combo box.",
                             "0 CVQFileDesc Combo box control (13) not found in dialog."}));
}

// The sample is what the writer makes of it, so reading and writing it
// again gives the same file, the date line written from a fixed clock.
TEST_F(FileDesc, TheSampleReadsChecksAndWritesBackUnchanged) {
  const std::string sample = std::string(VQ_SAMPLES_DIR) + "/kunden.cfg";
  CVQFileDesc d;
  ASSERT_EQ(d.InitDescEdit(nullptr, sample.c_str(), FALSE), 1);
  EXPECT_EQ(Names(d), (Calls{"Kunden", "Termine", "Messwerte"}));
  UINT bad = 77;
  EXPECT_EQ(d.VerifyDesc(&bad), 1) << "table " << bad;
  EXPECT_EQ(bad, 77u) << "left alone when every table passes";
  ExpectNoBox("sample verifies");
  EXPECT_EQ(Logged(), Calls{});

  const VQWIN_CLOCK fixed = {[](void *) -> LONGLONG { return 1710495000000; }, // 15.03.2024 09:30
                             [](LONGLONG, void *) -> LONG { return 0; },
                             [](void *) -> ULONGLONG { return 0; }, nullptr};
  VqwinSetClock(&fixed);
  const std::string copy = dir + "kunden.cfg";
  std::strcpy(d.fileName, copy.c_str());
  const BOOL written = d.WriteDesc();
  VqwinSetClock(nullptr);
  ASSERT_EQ(written, 1);
  EXPECT_EQ(Slurp(copy), Slurp(sample));

  const std::string isam = dir + "kunden.isa";
  ASSERT_EQ(d.CreateISAMFile(nullptr, isam.c_str()), 1);
  CVQFileDesc back;
  ASSERT_EQ(back.InitDescEdit(nullptr, isam.c_str(), FALSE), 1);
  ExpectSameTables(back, d, isam);
  EXPECT_EQ(back.VerifyDesc(&bad), 1) << "table " << bad;
}

} // namespace
