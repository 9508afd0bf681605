// What every vqtbl command shares: the parsed command line, the answers
// given to the library's message boxes, the progress bar, opening files
// and tables, and writing outputs so that a failed run leaves nothing
// half made.
#ifndef VQTBL_HOST_H
#define VQTBL_HOST_H

#include <windows.h>
#include <vq_tbl32.h>

#include <map>
#include <string>
#include <vector>

namespace vqtbl {

/// Exit statuses.
enum : int { kOk = 0, kFailed = 1, kUsage = 2 };

/// One command line after option parsing: the operands in order and the
/// options by name ("--index" -> "2"; flags map to "").
struct Args {
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;

  bool Has(const char *name) const { return options.count(name) != 0; }
  std::string Get(const char *name, const char *fallback = "") const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
};

/// Prints "vqtbl: TEXT" to stderr (printf style) and returns `status`.
int Fail(int status, const char *format, ...) __attribute__((format(printf, 2, 3)));

/// Installs the answers to message boxes: each box is printed to stderr
/// ("vqtbl: message N: TEXT") and a question answered yes only with `yes`;
/// with `person` (the commands a person works in) nothing is answered, so
/// on a display the person does and without one the box's default does.
void InstallModalAnswers(bool yes, bool person);

/// A progress bar on stderr, drawn only when stderr is a terminal.
class Progress {
public:
  explicit Progress(const char *what) : what_(what) {}
  ~Progress() { Done(); }
  void Show(unsigned long long done, unsigned long long total);
  void Done();
  /// The callback form for CVQTableISAM::SetProgressCallback.
  static void CALLBACK Callback(UINT visited, UINT total, DWORD_PTR self);

private:
  const char *what_;
  bool shown_ = false;
  int last_ = -1;
};

/// Opens the descriptions of an ISAM or configuration file. kOk, or the
/// status after its message.
int OpenDescriptions(CVQFileDesc &file, const std::string &path);
/// The same for a file that must be an ISAM file.
int OpenIsamDescriptions(CVQFileDesc &file, const std::string &path);
/// The table named `name` (ASCII case ignored) of the opened file, or NULL
/// after the message.
CVQTableDesc *FindTable(CVQFileDesc &file, const std::string &path, const std::string &name);

/// The index of --index (0 when absent) checked against the table's keys;
/// kOk or the status after its message.
int IndexOption(const Args &args, const CVQTableDesc &table, UINT &index);
/// Parses and resolves --where against the table; kOk or kFailed after the
/// library's messages.
int SelectionOption(const Args &args, const CVQTableDesc &table, CVQTblSelDesc &selection);

/// An output file made under a temporary name beside its target and
/// renamed over it only by Commit; dropped unfinished otherwise.
class NewFile {
public:
  /// kOk, or kFailed after the message when the target exists and
  /// `force` is not set.
  int Prepare(const std::string &target, bool force, const char *suffix = "");
  const std::string &temp() const { return temp_; }
  /// Renames the temporary file to the target; kOk or kFailed.
  int Commit();
  ~NewFile();

private:
  std::string target_, temp_;
  bool done_ = false;
};

/// Reads a whole file; false (with errno) when it cannot.
bool ReadFile(const std::string &path, std::string &out);

// The commands.
int CmdInfo(const Args &args);
int CmdVerify(const Args &args);
int CmdCreate(const Args &args);
int CmdCopyStructure(const Args &args);
int CmdWriteConfig(const Args &args);
int CmdPrint(const Args &args);
int CmdExport(const Args &args);
int CmdImport(const Args &args);
int CmdBrowse(const Args &args);
int CmdEdit(const Args &args);

} // namespace vqtbl

#endif
