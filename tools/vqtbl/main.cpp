// vqtbl: ISAM files and their descriptions from the command line, through
// the vq_tbl32 library's public headers only. Data goes to stdout, every
// message to stderr; the exit status is 0 on success, 1 when the library
// or a file refused, 2 for a command line that makes no sense.
//
// The library's message boxes have no one to answer them here: each is
// printed as "vqtbl: message N: TEXT" and a question is answered no,
// unless --yes is given.
#include "host.h"

#include <vq_lib32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace vqtbl {
extern char gEngineLanguage;
namespace {

struct Option {
  const char *name;
  bool value; // takes an argument
};

struct Command {
  const char *name;
  int (*run)(const Args &);
  unsigned minOperands, maxOperands;
  const char *usage;
  const char *summary;
  const char *help;
  std::initializer_list<Option> options;
};

const Option kGlobal[] = {{"--lang", true}, {"--log", true}, {"--yes", false}, {"--help", false}};

const Command kCommands[] = {
    {"info",
     CmdInfo,
     1,
     2,
     "info FILE [TABLE] [--format text|csv|json]",
     "tables, fields, keys and galleries of a file",
     "Shows the tables of an ISAM file or configuration file (or only TABLE)\n"
     "as the library's field and key lists show them.\n"
     "  --format F   text (default), csv (the field lists) or json\n",
     {{"--format", true}}},
    {"verify",
     CmdVerify,
     1,
     1,
     "verify FILE",
     "checks every table of a file",
     "Verifies every table description; a failure is reported as the library's\n"
     "message and exit status 1.\n",
     {}},
    {"create",
     CmdCreate,
     2,
     2,
     "create CFG ISAM [--force]",
     "makes an ISAM file from a configuration file",
     "Creates the ISAM file with every table of the configuration file.\n"
     "  --force      replace an existing ISAM file\n",
     {{"--force", false}}},
    {"copy-structure",
     CmdCopyStructure,
     2,
     2,
     "copy-structure SRC DST [--force]",
     "makes an empty ISAM file with the tables of another",
     "Creates DST with the tables of the ISAM file SRC, without records.\n"
     "  --force      replace an existing DST\n",
     {{"--force", false}}},
    {"write-config",
     CmdWriteConfig,
     2,
     2,
     "write-config ISAM CFG [--force]",
     "writes the descriptions stored in an ISAM file",
     "Writes the table descriptions stored inside ISAM as configuration file CFG.\n"
     "  --force      replace an existing CFG\n",
     {{"--force", false}}},
    {"edit",
     CmdEdit,
     2,
     2,
     "edit CFG TABLE",
     "edits a table's description in its property sheet",
     "Opens the description of TABLE in the configuration file CFG in the\n"
     "library's property sheet (fields, keys, gallery) on the display\n"
     "(VQWIN_DISPLAY=x11); OK writes CFG back whole, Cancel leaves it.\n",
     {}},
    {"export",
     CmdExport,
     2,
     2,
     "export ISAM TABLE [--index N] [--desc] [--where SELECTION]",
     "writes records as CSV to stdout",
     "Writes the records of TABLE as CSV (RFC 4180, UTF-8): a header line of\n"
     "field names, then one line per record, each field as its display text.\n"
     "  --index N    the order of index N (default 0)\n"
     "  --desc       descending order\n"
     "  --where S    only records that pass the selection S\n",
     {{"--index", true}, {"--desc", false}, {"--where", true}}},
    {"import",
     CmdImport,
     3,
     3,
     "import ISAM TABLE FILE.csv",
     "adds records from CSV",
     "Adds the records of a CSV file whose header line names fields of TABLE.\n"
     "Every value must read back as written; the first bad row is reported\n"
     "with its line and column and nothing is imported.\n",
     {}},
    {"browse",
     CmdBrowse,
     2,
     2,
     "browse ISAM TABLE [--index N] [--desc] [--where SELECTION] [--lines A-B]\n"
     "              [--count] [--png FILE [--width W] [--height H] [--force]] [--gui]",
     "shows records as the library's grid shows them",
     "Shows the records of TABLE through the library's table browser and grid:\n"
     "as aligned text, or as a PNG picture of the grid window.\n"
     "  --index N    the order of index N (default 0)\n"
     "  --desc       descending order\n"
     "  --where S    only records that pass the selection S\n"
     "  --lines A-B  lines A to B, counted from 1 (A- to the end; for --png the top line)\n"
     "  --count      print the number of records only\n"
     "  --png FILE   a picture of the grid window instead of text\n"
     "  --width W, --height H   its size in pixels (800 x 400)\n"
     "  --force      replace an existing FILE\n"
     "  --gui        the grid in a window of the display (VQWIN_DISPLAY=x11): keys\n"
     "               and wheel scroll, F3 opens the selection dialog; every change\n"
     "               prints \"records N, top T, cell LINE/COLUMN\"\n",
     {{"--index", true},
      {"--gui", false},
      {"--desc", false},
      {"--where", true},
      {"--lines", true},
      {"--count", false},
      {"--png", true},
      {"--width", true},
      {"--height", true},
      {"--force", false}}},
    {"print",
     CmdPrint,
     2,
     2,
     "print FILE TABLE --pdf OUT.pdf [--force]",
     "prints a table's field list as PDF",
     "Prints the field list of TABLE through the library's printing into a PDF.\n"
     "  --pdf OUT    the PDF file to write\n"
     "  --force      replace an existing OUT\n",
     {{"--pdf", true}, {"--force", false}}},
};

const char kGlobalHelp[] = "Options of every command:\n"
                           "  --lang D|E   the library's language: German (default) or English\n"
                           "  --log FILE   keep the library's log in FILE\n"
                           "  --yes        answer the library's questions yes (default: no)\n"
                           "  --help       this help\n";

void MainHelp() {
  std::printf("Usage: vqtbl [OPTIONS] COMMAND ARGS...\n\n"
              "Works with ISAM data files and their descriptions through vq_tbl32.\n\n"
              "Commands:\n");
  for (const Command &c : kCommands)
    std::printf("  %-15s %s\n", c.name, c.summary);
  std::printf("\n%s  --version    the program's and the library's version\n\n"
              "'vqtbl COMMAND --help' describes a command.\n",
              kGlobalHelp);
}

void CommandHelp(const Command &c) {
  std::printf("Usage: vqtbl %s\n\n%s\n%s", c.usage, c.help, kGlobalHelp);
}

int Usage(const Command *c, const char *format, const char *what) {
  std::fprintf(stderr, "vqtbl: ");
  std::fprintf(stderr, format, what);
  std::fprintf(stderr, "\n");
  if (c)
    std::fprintf(stderr, "Usage: vqtbl %s\n", c->usage);
  std::fprintf(stderr, "Try 'vqtbl %s--help'.\n", c ? (std::string(c->name) + " ").c_str() : "");
  return kUsage;
}

const Option *FindOption(const Command *c, const std::string &name) {
  for (const Option &o : kGlobal)
    if (name == o.name)
      return &o;
  if (c)
    for (const Option &o : c->options)
      if (name == o.name)
        return &o;
  return nullptr;
}

} // namespace
} // namespace vqtbl

int main(int argc, char **argv) {
  using namespace vqtbl;
  const Command *command = nullptr;
  Args args;
  bool operandsOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (!operandsOnly && a == "--") {
      operandsOnly = true;
      continue;
    }
    if (!operandsOnly && a == "--version") {
      const UINT v = vqGetTbl32Version();
      std::printf("vqtbl %u.%02u (vq_tbl32 release %s, build %s)\n", v >> 8, v & 0xFF, DllVersion,
                  DllBuild);
      return kOk;
    }
    if (!operandsOnly && a.size() > 1 && a[0] == '-') {
      std::string value;
      const std::size_t eq = a.find('=');
      const bool inlineValue = a.rfind("--", 0) == 0 && eq != std::string::npos;
      if (inlineValue) {
        value = a.substr(eq + 1);
        a.resize(eq);
      }
      const Option *o = FindOption(command, a);
      if (!o)
        return Usage(command, "unknown option %s", a.c_str());
      if (o->value && !inlineValue) {
        if (i + 1 >= argc)
          return Usage(command, "%s needs a value", a.c_str());
        value = argv[++i];
      } else if (!o->value && inlineValue) {
        return Usage(command, "%s takes no value", a.c_str());
      }
      args.options[a] = value;
      continue;
    }
    if (!command) {
      for (const Command &c : kCommands)
        if (a == c.name)
          command = &c;
      if (!command)
        return Usage(nullptr, "unknown command \"%s\"", a.c_str());
      continue;
    }
    args.operands.push_back(a);
  }
  if (args.Has("--help")) {
    command ? CommandHelp(*command) : MainHelp();
    return kOk;
  }
  if (!command)
    return Usage(nullptr, "%s", "no command given");
  if (args.operands.size() < command->minOperands)
    return Usage(command, "%s: missing operand", command->name);
  if (args.operands.size() > command->maxOperands)
    return Usage(command, "too many operands, from \"%s\" on",
                 args.operands[command->maxOperands].c_str());

  if (args.Has("--lang")) {
    const std::string lang = args.Get("--lang");
    if (lang != "D" && lang != "E" && lang != "d" && lang != "e")
      return Usage(command, "--lang is D or E, not \"%s\"", lang.c_str());
    if (!vqSetTbl32Language(lang.c_str()))
      return Fail(kFailed, "the library's language %s cannot be loaded", lang.c_str());
    gEngineLanguage = char(lang[0] & ~0x20);
  }
  if (args.Has("--log") && !CVQLogFile::GetDefault().OpenLog(args.Get("--log").c_str()))
    return Fail(kFailed, "%s: the log cannot be opened", args.Get("--log").c_str());
  InstallModalAnswers(args.Has("--yes"),
                      args.Has("--gui") || std::strcmp(command->name, "edit") == 0);
  return command->run(args);
}
