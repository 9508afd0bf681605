// Services shared by the vqtbl commands; see host.h.
#include "host.h"

#include "field_text.h"

#include <vqwin_modal.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vqtbl {

int Fail(int status, const char *format, ...) {
  std::fputs("vqtbl: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  return status;
}

namespace {

// One line for a box: its lines joined by blanks, in UTF-8.
std::string OneLine(const char *text) {
  std::string s = Cp1252ToUtf8(text ? text : "");
  std::string out;
  for (char c : s) {
    if (c == '\r')
      continue;
    if (c == '\n') {
      if (!out.empty() && out.back() != ' ')
        out.push_back(' ');
      continue;
    }
    out.push_back(c);
  }
  while (!out.empty() && out.back() == ' ')
    out.pop_back();
  return out;
}

// The code a numbered box carries in its caption ("... code = 1521)"), or
// -1 for a box of literal text.
long BoxNumber(const char *caption) {
  const char *eq = caption ? std::strrchr(caption, '=') : nullptr;
  if (!eq)
    return -1;
  char *end = nullptr;
  const long n = std::strtol(eq + 1, &end, 10);
  return end != eq + 1 && *end == ')' ? n : -1;
}

bool gPerson = false;

BOOL CALLBACK AnswerModal(const VQWIN_MODAL_INFO *info, VQWIN_MODAL_STEP *step, void *context) {
  if (info->kind != VQWIN_MODAL_MESSAGEBOX)
    return FALSE; // dialogs and the save dialog are cancelled
  if (info->round == 0) {
    const long n = BoxNumber(info->caption);
    if (n >= 0)
      std::fprintf(stderr, "vqtbl: message %ld: %s\n", n, OneLine(info->text).c_str());
    else
      std::fprintf(stderr, "vqtbl: %s: %s\n", OneLine(info->caption).c_str(),
                   OneLine(info->text).c_str());
  }
  if (gPerson)
    return FALSE; // a person at the display answers
  const UINT buttons = info->type & MB_TYPEMASK;
  if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) {
    step->action = VQWIN_STEP_ANSWER;
    step->id = *static_cast<bool *>(context) ? IDYES : IDNO;
    return TRUE;
  }
  return FALSE;
}

bool gYes = false;

bool Exists(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

} // namespace

void InstallModalAnswers(bool yes, bool person) {
  gYes = yes;
  gPerson = person;
  vqwinSetModalHook(AnswerModal, &gYes);
}

void Progress::Show(unsigned long long done, unsigned long long total) {
  static const bool terminal = ::isatty(2);
  if (!terminal || total == 0)
    return;
  const int percent = int(done * 100 / total);
  if (percent == last_)
    return;
  last_ = percent;
  shown_ = true;
  char bar[41];
  const int filled = percent * 40 / 100;
  for (int i = 0; i < 40; ++i)
    bar[i] = i < filled ? '#' : '.';
  bar[40] = 0;
  std::fprintf(stderr, "\r%s [%s] %3d%%", what_, bar, percent);
  std::fflush(stderr);
}

void Progress::Done() {
  if (shown_)
    std::fputs("\r\033[K", stderr);
  shown_ = false;
  last_ = -1;
}

void CALLBACK Progress::Callback(UINT visited, UINT total, DWORD_PTR self) {
  auto *p = reinterpret_cast<Progress *>(self);
  p->Show(visited, total);
  if (visited == total)
    p->Done();
}

int OpenDescriptions(CVQFileDesc &file, const std::string &path) {
  if (!Exists(path))
    return Fail(kFailed, "%s: no such file", path.c_str());
  if (!file.InitDescEdit(nullptr, path.c_str(), FALSE))
    return Fail(kFailed, "%s: not an ISAM file or configuration file that can be read",
                path.c_str());
  return kOk;
}

int OpenIsamDescriptions(CVQFileDesc &file, const std::string &path) {
  if (int rc = OpenDescriptions(file, path))
    return rc;
  if (!file.isIsamFile)
    return Fail(kFailed, "%s: not an ISAM file", path.c_str());
  return kOk;
}

CVQTableDesc *FindTable(CVQFileDesc &file, const std::string &path, const std::string &name) {
  for (UINT i = 0; i < file.tables.count; ++i)
    if (strcasecmp(file.tables.tables[i].name, name.c_str()) == 0) {
      file.curTable = i;
      return &file.tables.tables[i];
    }
  Fail(kFailed, "%s: no table \"%s\"", path.c_str(), name.c_str());
  return nullptr;
}

int IndexOption(const Args &args, const CVQTableDesc &table, UINT &index) {
  index = 0;
  if (!args.Has("--index"))
    return kOk;
  const std::string text = args.Get("--index");
  char *end = nullptr;
  const unsigned long n = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end || text[0] == '-')
    return Fail(kUsage, "--index wants a number, not \"%s\"", text.c_str());
  if (n >= table.keys.count)
    return Fail(kFailed, "table \"%s\" has no index %lu (it has %u)", table.name, n,
                table.keys.count);
  index = UINT(n);
  return kOk;
}

int SelectionOption(const Args &args, const CVQTableDesc &table, CVQTblSelDesc &selection) {
  const std::string text = args.Get("--where");
  std::string cp;
  if (!Utf8ToCp1252(text, cp))
    return Fail(kFailed, "the selection holds a character outside Windows-1252");
  if (!selection.parse(cp.c_str(), UINT(cp.size())))
    return Fail(kFailed, "bad selection: %s", text.c_str());
  if (!selection.resolve(&table))
    return Fail(kFailed, "the selection does not suit table \"%s\": %s", table.name, text.c_str());
  return kOk;
}

int NewFile::Prepare(const std::string &target, bool force, const char *suffix) {
  target_ = target;
  if (Exists(target) && !force)
    return Fail(kFailed, "%s exists already (--force replaces it)", target.c_str());
  // Beside the target, so that the rename stays on one file system.
  temp_ = target + ".tmp-" + std::to_string(::getpid()) + suffix;
  std::remove(temp_.c_str());
  return kOk;
}

int NewFile::Commit() {
  if (std::rename(temp_.c_str(), target_.c_str()) != 0)
    return Fail(kFailed, "cannot write %s: %s", target_.c_str(), std::strerror(errno));
  done_ = true;
  return kOk;
}

NewFile::~NewFile() {
  if (!done_ && !temp_.empty())
    std::remove(temp_.c_str());
}

bool ReadFile(const std::string &path, std::string &out) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = std::move(s).str();
  return !in.bad();
}

} // namespace vqtbl
