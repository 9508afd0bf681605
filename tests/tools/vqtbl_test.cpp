// vqtbl as a user runs it: the package is installed into a fresh prefix,
// a small sample file is made, and every command runs as a process of the
// installed program. Cases check exit status, stdout and stderr; files
// made are checked for what they hold (CSV bytes, PNG pixels, PDF text).
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
  int status;
  std::string out, err;
};

std::string Slurp(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class VqtblTest : public testing::Test {
protected:
  static fs::path dir, vqtbl, sample;

  static void SetUpTestSuite() {
    dir = fs::temp_directory_path() / ("vqtbl_test_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string install = std::string(VQ_CMAKE) + " --install " + VQ_BUILD_DIR +
                                " --prefix " + (dir / "prefix").string() + " >" +
                                (dir / "install.log").string() + " 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << Slurp(dir / "install.log");
    vqtbl = dir / "prefix" / "bin" / "vqtbl";
    sample = dir / "s.isa";
    const std::string make =
        std::string(VQ_MAKE_SAMPLE) + " --records 300 --seed 7 " + sample.string() + " >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0);
  }
  static void TearDownTestSuite() { fs::remove_all(dir); }

  // Runs the installed vqtbl with `args` (shell words) in the test folder.
  static Result Run(const std::string &args) {
    const fs::path out = dir / "out.txt", err = dir / "err.txt";
    const std::string cmd = "cd " + dir.string() + " && " + vqtbl.string() + " " + args + " >" +
                            out.string() + " 2>" + err.string() + " </dev/null";
    const int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, Slurp(out), Slurp(err)};
  }
  static std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
      lines.push_back(l.empty() || l.back() != '\r' ? l : l.substr(0, l.size() - 1));
    return lines;
  }
};

fs::path VqtblTest::dir, VqtblTest::vqtbl, VqtblTest::sample;

struct Case {
  const char *name;
  const char *args;
  int status;
  const char *out; // a line stdout must hold, "" for none, nullptr for empty stdout
  const char *err; // a text stderr must hold, nullptr for empty stderr
};

TEST_F(VqtblTest, CommandLinesGiveTheirStatusAndMessages) {
  const char *const kBadCfg = "Table: \"T\"\nField: 0, 2, 2, 0x0001, 0, 0x0001, 2, 8, \"Nr\"\n"
                              "Key: 1, 0, 0, 0, 0\nKeyPart: \"UNSIGNED\", \"Nr\"\nTable: END\n";
  std::ofstream(dir / "bad.cfg") << kBadCfg;
  std::ofstream(dir / "junk.txt") << "hello\n";
  const Case cases[] = {
      {"help", "--help", 0, "Usage: vqtbl [OPTIONS] COMMAND ARGS...", nullptr},
      {"command help", "browse --help", 0,
       "Usage: vqtbl browse ISAM TABLE [--index N] [--desc] "
       "[--where SELECTION] [--lines A-B]",
       nullptr},
      {"version", "--version", 0, "vqtbl 1.00 (vq_tbl32 release 1.00, build 0087)", nullptr},
      {"no command", "", 2, nullptr, "vqtbl: no command given"},
      {"unknown command", "frob", 2, nullptr, "vqtbl: unknown command \"frob\""},
      {"missing operand", "info", 2, nullptr, "vqtbl: info: missing operand"},
      {"extra operand", "verify s.isa x", 2, nullptr, "too many operands, from \"x\" on"},
      {"unknown option", "info s.isa --bogus", 2, nullptr, "vqtbl: unknown option --bogus"},
      {"option of another command", "info s.isa --pdf x", 2, nullptr, "unknown option --pdf"},
      {"value missing", "export s.isa Kunden --where", 2, nullptr, "--where needs a value"},
      {"bad format", "info s.isa --format xml", 2, nullptr, "--format is text, csv or json"},
      {"bad language", "--lang X info s.isa", 2, nullptr, "--lang is D or E, not \"X\""},
      {"bad index", "export s.isa Kunden --index one", 2, nullptr, "--index wants a number"},
      {"bad lines", "browse s.isa Kunden --lines 5-2", 2, nullptr, "--lines wants A-B"},
      {"size without png", "browse s.isa Kunden --width 300", 2, nullptr,
       "--width and --height go with --png"},
      {"print without pdf", "print s.isa Kunden", 2, nullptr, "print needs --pdf OUT.pdf"},
      {"missing file", "info nowhere.isa", 1, nullptr, "vqtbl: nowhere.isa: no such file"},
      {"unknown table", "export s.isa Lieferanten", 1, nullptr,
       "vqtbl: s.isa: no table \"Lieferanten\""},
      {"index past the keys", "export s.isa Kunden --index 3", 1, nullptr,
       "table \"Kunden\" has no index 3 (it has 3)"},
      {"unclosed quote", "--lang E browse s.isa Kunden --count --where \"ort = 'K*\"", 1, nullptr,
       "vqtbl: message 710: Missing ' in \" 'K*\"\n"},
      {"unknown column", "--lang E export s.isa Kunden --where \"nix = 1\"", 1, nullptr,
       "vqtbl: message 740: The field name NIX is not known in the table.\n"
       "vqtbl: the selection does not suit table \"Kunden\": nix = 1\n"},
      {"config that does not verify", "--lang E verify bad.cfg", 1, nullptr,
       "vqtbl: message 1312: A 32-bit integer field must be 4 bytes long.\n"
       "vqtbl: bad.cfg: table \"T\" does not verify\n"},
      {"German messages by default", "verify bad.cfg", 1, nullptr, "vqtbl: message 1312: "},
      {"not an ISAM file", "export bad.cfg T", 1, nullptr, "vqtbl: bad.cfg: not an ISAM file"},
      {"no descriptions", "info junk.txt", 1, nullptr,
       "vqtbl: junk.txt: holds no table descriptions"},
      {"verify", "verify s.isa", 0, "s.isa: 3 tables verified", nullptr},
      {"existing target", "create " VQ_SAMPLES_DIR "/kunden.cfg s.isa", 1, nullptr,
       "vqtbl: s.isa exists already (--force replaces it)"},
      {"count", "browse s.isa Kunden --count", 0, "300", nullptr},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.out == nullptr) {
      EXPECT_EQ(r.out, "");
    } else if (*c.out) {
      EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    }
    if (c.err == nullptr) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
  }
  // A run that failed made nothing, not even under a temporary name.
  EXPECT_EQ(Run("--lang E create bad.cfg made.isa").status, 1);
  for (const auto &e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find("made.isa"), std::string::npos) << e.path();
}

TEST_F(VqtblTest, InfoShowsTheLibrarysListsInEveryFormat) {
  const Result text = Run("--lang E info s.isa Kunden");
  ASSERT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  const char *const expected[] = {
      "Table \"Kunden\": 10 fields, 3 keys, record size 147, index node size 1024",
      "   6 Geboren Text                84   10 Date/time DD.MM.YYYY Left       Date/time "
      "DD.MM.YYYY Centred        10",
      "   7 Umsatz  Integer 64 bit      94    8 Decimal   .2         Right      Decimal   .2    "
      "     Right          14",
      "    3      0      1        0  0  0     3 DIGITS     PLZ",
      "                                         TEXTNOCASE Ort",
      "  Gallery: layout 2, dia mode 1, dia size 120 x 90"};
  for (const char *line : expected)
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n" << text.out;

  const Result csv = Run("--lang E info s.isa Kunden --format csv");
  ASSERT_EQ(csv.status, 0);
  EXPECT_EQ(Lines(csv.out).size(), 11u);
  EXPECT_EQ(Lines(csv.out)[8], "Kunden,8,Rabatt,Floating 32 bit,102,4,Number,-1,Right,Number,-1,"
                               "Right,6");
  const Result json = Run("--lang E info s.isa --format json");
  ASSERT_EQ(json.status, 0);
  for (const char *part : {"\"kind\": \"isam\"", "{\"name\": \"Termine\"",
                           "{\"type\": \"DIGITS\", \"field\": \"PLZ\"}", "\"diaWidth\": 120"})
    EXPECT_NE(json.out.find(part), std::string::npos) << part;
}

TEST_F(VqtblTest, FilesMadeFromDescriptionsDescribeTheSameTables) {
  const std::string cfg = VQ_SAMPLES_DIR "/kunden.cfg";
  const Result want = Run("info " + cfg + " --format csv");
  struct Made {
    std::string args, out, file;
  } const made[] = {
      {"create " + cfg + " made.isa", "made.isa: created with 3 tables", "made.isa"},
      {"copy-structure s.isa copy.isa", "copy.isa: created with the 3 tables of s.isa, no records",
       "copy.isa"},
      {"write-config s.isa written.cfg", "written.cfg: 3 tables written", "written.cfg"},
  };
  for (const Made &m : made) {
    SCOPED_TRACE(m.args);
    const Result r = Run(m.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(m.out), std::string::npos) << r.out;
    EXPECT_EQ(Run("info " + m.file + " --format csv").out, want.out);
    EXPECT_EQ(Run(m.args).status, 1); // not again without --force
    EXPECT_EQ(Run(m.args + " --force").status, 0);
  }
  EXPECT_EQ(Run("browse copy.isa Kunden --count").out, "0\n");
  fs::remove(dir / "made.isa");
}

TEST_F(VqtblTest, ExportImportExportGivesTheSameBytes) {
  const Result first = Run("export s.isa Kunden");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(Lines(first.out).size(), 301u);
  EXPECT_EQ(Lines(first.out)[0], "Nr,Name,Vorname,PLZ,Ort,Geboren,Umsatz,Rabatt,Stufe,Notiz");
  std::ofstream(dir / "all.csv", std::ios::binary) << first.out;
  ASSERT_EQ(Run("copy-structure s.isa round.isa --force").status, 0);
  const Result imported = Run("import round.isa Kunden all.csv");
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "round.isa: 300 records imported into \"Kunden\"\n");
  EXPECT_EQ(Run("export round.isa Kunden").out, first.out);
  // Another order and a selection give the same records, fewer and moved.
  const Result some = Run("export round.isa Kunden --index 1 --desc --where \"stufe = 3\"");
  EXPECT_EQ(some.status, 0);
  EXPECT_EQ(std::to_string(Lines(some.out).size() - 1) + "\n",
            Run("browse s.isa Kunden --count --where \"stufe = 3\"").out);
  for (const std::string &line : Lines(some.out))
    EXPECT_NE(first.out.find(line + "\r\n"), std::string::npos) << line;
}

TEST_F(VqtblTest, ARefusedImportLeavesTheTableAsItWas) {
  ASSERT_EQ(Run("copy-structure s.isa refused.isa --force").status, 0);
  const std::string header = "Nr,Name,Vorname,PLZ,Ort,Geboren,Umsatz,Rabatt,Stufe,Notiz\r\n";
  const std::string good = "90001,Neu,Nina,01067,Dresden,01.02.1990,\"1.000,00\",2.5,1,\r\n";
  std::ofstream(dir / "base.csv", std::ios::binary) << header << good;
  ASSERT_EQ(Run("import refused.isa Kunden base.csv").status, 0);
  const std::string before = Run("export refused.isa Kunden").out;
  struct Bad {
    const char *row;
    const char *message;
  } const bad[] = {
      {"90002,A,B,01067,Dresden,31.02.1990,\"1,00\",1.0,1,",
       "line 3, column 6 (Geboren): \"31.02.1990\" not a date of the form DD.MM.YYYY; "
       "nothing imported"},
      {"x90,A,B,01067,Dresden,01.02.1990,\"1,00\",1.0,1,",
       "line 3, column 1 (Nr): \"x90\" not a number"},
      {"90002,A,B,01067,Dresden,01.02.1990,\"1,005\",1.0,1,",
       "line 3, column 7 (Umsatz): \"1,005\" more than 2 decimals"},
      {"90002,A,B,1A,Dresden,01.02.1990,\"1,00\",1.0,1,",
       "line 3, column 4 (PLZ): \"1A\" not a number"},
      {"90002,Abcdefghijklmnopqrstuvwxyzabcdef,B,01067,Dresden,01.02.1990,\"1,00\",1.0,1,",
       "column 2 (Name): \"Abcdefghijklmnopqrstuvwxyzabcdef\" longer than 30 characters"},
      {"90002,A,B,01067,Dresden,01.02.1990,\"1,00\",1.0,300,",
       "column 9 (Stufe): \"300\" out of range for a 8-bit field"},
      {"90002,A,B,01067,Dresden,01.02.1990,\"1,00\",1.0,1", "line 3: 9 fields where the header "
                                                            "has 10; nothing imported"},
      {"90002,A,\"B,01067", "line 3, column 3: a quoted field is not closed; nothing imported"},
      {"90001,A,B,01067,Dresden,01.02.1990,\"1,00\",1.0,1,",
       "line 3: the record is refused: error 1025"},
  };
  for (const Bad &b : bad) {
    SCOPED_TRACE(b.row);
    std::ofstream(dir / "bad.csv", std::ios::binary)
        << header << "90003,Gut,Gerd,01067,Dresden,01.02.1990,\"1,00\",1.0,1,\r\n"
        << b.row << "\r\n";
    const Result r = Run("import refused.isa Kunden bad.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(std::string("vqtbl: bad.csv: ") + (b.message[0] == 'l' ? "" : "line 3, ") +
                         b.message),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Run("export refused.isa Kunden").out, before);
  }
  std::ofstream(dir / "bad.csv", std::ios::binary) << "Nr,Kundennummer\r\n1,2\r\n";
  EXPECT_NE(Run("import refused.isa Kunden bad.csv")
                .err.find("bad.csv: line 1, column 2: table \"Kunden\" has no field "
                          "\"Kundennummer\""),
            std::string::npos);
}

TEST_F(VqtblTest, BrowseShowsWhatTheGridShows) {
  const Result text = Run("browse s.isa Kunden --index 1 --where \"ort = 'K*'\" --lines 2-4");
  ASSERT_EQ(text.status, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "      Nr  Name                            Vorname                 PLZ  "
            "Ort                         Geboren            Umsatz  Rabatt  Stufe  Notiz");
  // The same records an export in that order gives, each field in its column.
  const std::vector<std::string> csv =
      Lines(Run("export s.isa Kunden --index 1 --where \"ort = 'K*'\"").out);
  for (std::size_t i = 1; i < 4; ++i) {
    const std::string &row = csv[i + 1];
    const std::string nr = row.substr(0, row.find(','));
    EXPECT_EQ(lines[i].substr(0, 8), std::string(8 - nr.size(), ' ') + nr) << lines[i];
    const std::size_t name = row.find(',') + 1;
    EXPECT_EQ(lines[i].substr(10, row.find(',', name) - name),
              row.substr(name, row.find(',', name) - name));
  }
  EXPECT_EQ(Run("browse s.isa Kunden --lines 301-400").out, lines[0] + "\n");
}

// The colour at (x, y) of a PNG as 0xRRGGBB.
unsigned Pixel(cairo_surface_t *s, int x, int y) {
  const unsigned char *row =
      cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  uint32_t v;
  std::memcpy(&v, row + 4 * x, 4);
  return v & 0xFFFFFF;
}

TEST_F(VqtblTest, BrowsePngIsTheGridWindow) {
  struct Shot {
    const char *where;
    bool line; // the first line holds a record
  } const shots[] = {{"nr = 10001", true}, {"nr = 1", false}};
  for (const Shot &s : shots) {
    SCOPED_TRACE(s.where);
    const Result r = Run(std::string("browse s.isa Kunden --png grid.png --force --width 320 "
                                     "--height 120 --where \"") +
                         s.where + "\"");
    ASSERT_EQ(r.status, 0) << r.err;
    cairo_surface_t *png = cairo_image_surface_create_from_png((dir / "grid.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 320);
    EXPECT_EQ(cairo_image_surface_get_height(png), 120);
    cairo_surface_flush(png);
    EXPECT_NE(Pixel(png, 3, 3), 0xFFFFFFu); // the header's face
    // The Nr cell of the first line: dark digits on white, or only white.
    bool dark = false;
    for (int y = 20; y < 32; ++y)
      for (int x = 2; x < 60; ++x)
        dark |= Pixel(png, x, y) < 0x404040;
    EXPECT_EQ(dark, s.line);
    EXPECT_EQ(Pixel(png, 30, 80), 0xFFFFFFu);
    cairo_surface_destroy(png);
  }
}

TEST_F(VqtblTest, PrintWritesTheFieldListAsPdf) {
  const Result r = Run("--lang E print s.isa Kunden --pdf list.pdf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "list.pdf: field list of \"Kunden\", 1 page\n");
  const std::string cmd =
      "pdftotext " + (dir / "list.pdf").string() + " " + (dir / "list.txt").string();
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string text = Slurp(dir / "list.txt");
  for (const char *word : {"Kunden", "Geboren", "Umsatz", "Notiz"})
    EXPECT_NE(text.find(word), std::string::npos) << word;
  EXPECT_EQ(Run("print s.isa Kunden --pdf list.pdf").status, 1);
}

TEST_F(VqtblTest, LogKeepsTheLibrarysLines) {
  EXPECT_EQ(Run("--log lib.log browse s.isa Kunden --count --where \"nix = 1\"").status, 1);
  EXPECT_NE(Slurp(dir / "lib.log").find("0 CVQTblSelDesc Cannot resolve the field name NIX"),
            std::string::npos);
}

} // namespace
