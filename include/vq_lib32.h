/*
 * vq_lib32: the base library of the vq library family.
 *
 * This header is the library's manual. It declares the log (CVQLogFile),
 * the configuration file reader and editor (CVQConfFile, a CVQFile), the
 * printer page writer (CVQPrint), the library context (CVQLibrary) with its
 * numbered message boxes (CVQError), and the list-box, combo-box and
 * list-view fillers (CVQListBox, CVQComboBox, CVQListView).
 *
 * Texts are single-byte (Windows-1252) and NUL-terminated; a text copied
 * into a caller's buffer is cut to the buffer size minus one.
 */
#ifndef VQ_LIB32_H
#define VQ_LIB32_H

#include <windows.h>

#include <cstdarg>
#include <string>
#include <vector>

#if defined(_WIN32)
#if defined(VQ_LIB32_EXPORTS)
#define VQ_LIB32_API __declspec(dllexport)
#else
#define VQ_LIB32_API __declspec(dllimport)
#endif
#else
#define VQ_LIB32_API __attribute__((visibility("default")))
#endif

#if defined(__GNUC__) || defined(__clang__)
#define VQ_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define VQ_PRINTF_FORMAT(fmt, args)
#endif

/* ---- Log ---------------------------------------------------------------- */

/// Log levels. Levels 2 and 3 are unused by the family but accepted.
enum : UINT {
  VQLOG_ERROR = 0,
  VQLOG_WARNING = 1,
  VQLOG_INFO = 4,
  VQLOG_TRACE = 5,
};

/// The library log.
///
/// A log is inactive until it gets a destination: `OpenLog` with a path or
/// "stderr", or, at construction, the environment setting VQ_LOG (a path, or
/// "stderr"). Files are appended to. VQ_LOG_LEVEL (a number) sets the
/// threshold at construction: a line whose level is above the threshold is
/// dropped; the default threshold 5 keeps every level.
///
/// A destination line reads "YYYY-MM-DD hh:mm:ss.mmm LEVEL TAG TEXT" in local
/// time. `StartCapture` also makes the log active and keeps every written line
/// in memory as "LEVEL TAG TEXT" (no timestamp), which is what tests compare.
///
/// The base library's own classes write to `GetDefault()`: the log installed
/// with `SetDefault` (the library context installs itself) or, when none is,
/// a built-in one. A log is not copyable.
class VQ_LIB32_API CVQLogFile {
public:
  CVQLogFile();
  ~CVQLogFile();
  CVQLogFile(const CVQLogFile &) = delete;
  CVQLogFile &operator=(const CVQLogFile &) = delete;

  /// Starts writing to `target`: "stderr" or a file path (appended to);
  /// NULL takes the VQ_LOG setting. Returns 1, or 0 when the file cannot be
  /// opened or NULL was given without a setting (the log keeps its state).
  BOOL OpenLog(const char *target);
  /// Stops writing to the destination; a running capture goes on.
  void CloseLog();
  /// Non-zero while the log has a destination or a capture.
  BOOL IsLogActive() const { return logActive; }

  /// Lines of a level above `maxLevel` are dropped.
  void SetLogLevel(UINT maxLevel) { logLevel = maxLevel; }
  UINT GetLogLevel() const { return logLevel; }

  /// Writes one line (NULL tag or text count as empty).
  void WriteLog(UINT level, const char *tag, const char *text);
  /// Formats with printf rules and writes the result; texts beyond 4095
  /// characters are cut.
  void PrtVALog(UINT level, const char *tag, const char *format, va_list args);
  /// The form callers use: formats only while the log is active.
  void PrtLog(UINT level, const char *tag, const char *format, ...) VQ_PRINTF_FORMAT(4, 5) {
    if (!logActive)
      return;
    va_list args;
    va_start(args, format);
    PrtVALog(level, tag, format, args);
    va_end(args);
  }

  /// Keeps every line written from now on in memory and activates the log.
  void StartCapture();
  /// Ends the capture (the kept lines stay until `ClearCaptured`).
  void StopCapture();
  /// The kept lines, oldest first, each "LEVEL TAG TEXT".
  std::vector<std::string> GetCapturedLines() const;
  void ClearCaptured();

  /// The log the base library writes to.
  static CVQLogFile &GetDefault();
  /// Installs `log` as the default; NULL returns to the built-in one.
  static void SetDefault(CVQLogFile *log);

private:
  void UpdateActive();

  BOOL logActive;
  UINT logLevel;
  struct State;
  State *state;
};

/* ---- Files -------------------------------------------------------------- */

/// A named file of the family: its path and the one way it is written.
class VQ_LIB32_API CVQFile {
public:
  CVQFile();
  ~CVQFile();

  /// The path last read or written (empty before).
  const char *GetFileName() const { return fileName; }
  /// Sets the path; returns 0 (and keeps the old one) when it is longer
  /// than MAX_PATH - 1 characters.
  BOOL SetFileName(const char *path);

  /// Writes `size` bytes to `path` atomically: into a temporary file in the
  /// same folder, flushed to disk, then renamed over `path`. With `replace`
  /// non-zero the bytes become the whole file; with 0 they are appended to
  /// the existing contents (a missing file counts as empty). On any failure
  /// the old file is left as it was, the temporary file is removed, a line
  /// is logged and 0 is returned.
  BOOL WriteAtomic(const char *path, const char *data, UINT size, BOOL replace);

  /// Reads the whole file (at most 256 MiB) into `data`. Returns 0 or the
  /// system error number (ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ...;
  /// ERROR_NOT_ENOUGH_MEMORY for a file above the limit).
  static DWORD ReadWhole(const char *path, std::string &data);

protected:
  char fileName[MAX_PATH];
};

/* ---- Configuration files ------------------------------------------------ */

/// Results of the configuration parsers. 0 is success.
enum : UINT {
  VQCF_OK = 0,
  VQCF_NO_MORE_LINES = 1,    ///< in a sequence: no further line of the keyword
  VQCF_NOT_FOUND = 2,        ///< no line of the keyword in the current block
  VQCF_BAD_ARGUMENT = 3,     ///< no keyword, no output buffer, or a buffer size of 0
  VQCF_SYNTAX = 4,           ///< an item of the wrong kind, a missing item after ','
  VQCF_UNTERMINATED = 5,     ///< a quoted text or character constant is not closed
  VQCF_BAD_NUMBER = 6,       ///< a number beyond 32 bits, or digits run into letters
  VQCF_TOO_MANY_NUMBERS = 7, ///< more numbers than the caller asked for
  VQCF_MISSING_NUMBER = 8,   ///< `GetWord` found no number
  VQCF_MISSING_TEXT = 9,     ///< fewer quoted texts than the caller asked for
  VQCF_LINE_TOO_LONG = 10,   ///< the line is longer than VQCF_MAX_LINE bytes
  VQCF_BAD_CHARACTER = 11, ///< a control byte (other than tab) outside a comment, or a CR in a text
};

/// Lines longer than this many bytes are kept but cannot be parsed.
enum : UINT { VQCF_MAX_LINE = 4096 };

/// A configuration file: keyword lines in blocks, read and written.
///
/// File syntax
/// - Lines end in LF or CR LF; the editor writes CR LF. A lone CR counts as a
///   blank between items, but inside a text (quoted, or the inner part of a
///   bare one) it is refused like every control byte but tab
///   (VQCF_BAD_CHARACTER): the editor writes no line break into a text, and
///   a text that held one would not read back. A leading UTF-8 byte order
///   mark is skipped.
/// - ';' starts a comment that runs to the end of the line (not inside a
///   quoted text). Header lines are comments.
/// - A keyword line starts with a keyword (a letter or '_', then letters,
///   digits or '_', at most 63), optionally followed by ':'. Keywords are
///   found without regard to case and without that colon: "Field:" is found
///   with "FIELD" or "field:". Lines that start otherwise, or whose keyword
///   runs straight into another character ("Name=1"), are ignored.
/// - Behind the keyword come items separated by ',' and/or blanks: unsigned
///   numbers (decimal, 0x hexadecimal, a leading '-' gives the two's
///   complement, a character constant 'c' gives the byte's code) and quoted
///   texts ("..."; a quote inside is doubled: "a""b" is a"b). `GetText` also
///   takes an unquoted text: the rest of the line up to a comment, trimmed.
/// - A keyword line whose only item is the bare word END (any case) closes a
///   block of that keyword. END lines are block structure: parsers and
///   `GetKeyCount` do not see them.
///
/// Blocks
/// The whole file is the top block (level 0). `SelectBlock` (keyword) makes
/// the first line of that keyword in the current block the head of a
/// sub-block reaching to (not including) the first END line of that keyword
/// that follows in the current block, even behind further heads; where none
/// follows, to the next line of that keyword or the end of the current
/// block. The sub-block becomes
/// current one level deeper. `SelectNextBlock` moves to the following
/// sub-block of the same keyword in the same enclosing block; `LeaveBlock`
/// goes one level up. A failed `SelectBlock` still enters a level (an empty
/// block), so the `LeaveBlock` that ends every series keeps the levels in
/// step. Blocks nest at most 64 levels deep.
///
/// Parsers
/// Each parser takes the first line of the keyword in the current block;
/// between `BeginSequence` and `EndSequence` each call takes the next line
/// of the keyword after the one taken before (one position shared by all
/// keywords). On any error the counts and lengths are 0 and the texts empty.
/// A text longer than its buffer is cut (success; a level-1 line is logged).
class VQ_LIB32_API CVQConfFile : public CVQFile {
public:
  CVQConfFile();
  ~CVQConfFile();
  CVQConfFile(const CVQConfFile &) = delete;
  CVQConfFile &operator=(const CVQConfFile &) = delete;

  /* -- reading -- */

  /// Loads the file `path` (which becomes the file name). `logErrors`
  /// non-zero logs why a file cannot be loaded; `textOnly` non-zero refuses
  /// files that contain NUL bytes (binary files). Returns 1 when loaded.
  BOOL Read(const char *path, BOOL logErrors, BOOL textOnly);
  /// Loads `length` bytes of configuration text (NUL bytes included; outside
  /// a comment they make their line's parsers answer VQCF_BAD_CHARACTER).
  /// The file name is kept.
  /// Returns 1, or 0 for a NULL text with a non-zero length.
  BOOL ReadIt(const char *text, UINT length);
  /// Releases the loaded text and the editor's buffer.
  void Free();

  /// Enters the first sub-block of `keyword` in the current block. 1 found;
  /// 0 not found or no keyword (an empty block is entered all the same; 0
  /// also when the nesting would pass 64 levels, and then no level is entered).
  BOOL SelectBlock(const char *keyword);
  /// Moves to the next sub-block of the keyword of the current sub-block. 1
  /// moved; 0 none left (the current block becomes empty) or at level 0.
  BOOL SelectNextBlock();
  /// Counts the sub-blocks of `keyword` in the current block. 1 counted, 0
  /// for no keyword or count (the count, if given, is then 0).
  BOOL GetBlockCount(const char *keyword, UINT *count);
  /// One level up (not below the top); the sequence ends.
  void LeaveBlock() {
    if (blockLevel > 0)
      --blockLevel;
    sequential = FALSE;
  }
  /// The nesting level of the current block (0 = the whole file).
  UINT GetBlockLevel() const { return blockLevel; }
  /// The number of lines of `keyword` in the current block (END lines not
  /// counted); 0 for no keyword.
  UINT GetKeyCount(const char *keyword);

  /// Successive parser calls take successive lines, from the block's start.
  void BeginSequence() {
    sequential = TRUE;
    sequenceNext = 0;
  }
  void EndSequence() { sequential = FALSE; }

  /// One number. Errors: 1, 2, 3, 4, 5, 6, 7, 8, 10, 11.
  UINT GetWord(const char *keyword, UINT *value);
  /// Up to `maxCount` numbers, `*count` of them found (0 is success).
  /// Errors: 1, 2, 3, 4 (a text), 5, 6, 7, 10, 11.
  UINT GetWords(const char *keyword, UINT *values, UINT maxCount, UINT *count);
  /// One text, quoted or bare, into `text` (`size` bytes); `*length` is the
  /// length copied. Errors: 1, 2, 3, 4, 5, 6, 10, 11.
  UINT GetText(const char *keyword, char *text, UINT size, UINT *length);
  /// Two quoted texts. Errors: 1, 2, 3, 4, 5, 6, 9, 10, 11.
  UINT Get2Text(const char *keyword, char *text1, UINT size1, UINT *length1, char *text2,
                UINT size2, UINT *length2);
  /// Up to `maxCount` numbers, then one quoted text.
  /// Errors: 1, 2, 3, 4, 5, 6, 7, 9, 10, 11.
  UINT GetWordsText(const char *keyword, UINT *values, UINT maxCount, UINT *count, char *text,
                    UINT size, UINT *length);
  /// Up to `maxCount` numbers, then two quoted texts. Errors as `GetWordsText`.
  UINT GetWords2Text(const char *keyword, UINT *values, UINT maxCount, UINT *count, char *text1,
                     UINT size1, UINT *length1, char *text2, UINT size2, UINT *length2);

  /* -- editing -- */

  /// Starts a new text in the editor's buffer (the loaded text is kept).
  /// The six numbers lay the text out:
  /// - `bufferSize`: the bytes first reserved for the text (it grows as
  ///   needed); 1 to 64 MiB.
  /// - `headerIndent`: the column where header parameter lines start their
  ///   label (the title line its text);
  /// - `headerTextColumn`: the column of the text behind a header label;
  /// - `keywordWidth`: the column where a data line's text starts (at least
  ///   one blank behind the keyword);
  /// - `delimiterWidth`: the width of a header delimiter line;
  /// - `commentColumn`: the column where a data line's comment starts (at
  ///   least two blanks behind the text).
  /// Columns count from 0 and are at most 1024; `headerIndent` must lie
  /// before `headerTextColumn` and `keywordWidth` before `commentColumn`.
  /// Returns 1, or 0 (logged) for a bad layout or when memory is short.
  BOOL StartEdit(UINT bufferSize, UINT headerIndent, UINT headerTextColumn, UINT keywordWidth,
                 UINT delimiterWidth, UINT commentColumn);
  /// A header parameter line, a comment: `number` 0 is the title (the text
  /// alone), 1 "File:", 2 "Name:", 3 "Comment:", 4 "Program:", 5 "Date:",
  /// 6 "Remark:", each label followed by the text. A NULL text on line 5
  /// writes the current local date and time (DD.MM.YYYY hh:mm:ss); on the
  /// other lines NULL is the empty text. Other numbers give 0.
  BOOL EditHdParamLine(UINT number, const char *text);
  /// An empty header line: ";".
  BOOL EditHdEmptyLine();
  /// A header delimiter line: ";" and '-' up to the delimiter width.
  BOOL EditHdDelLine();
  /// "keyword text ; comment": the text is written as given (the caller
  /// quotes it); NULL text or comment count as empty. 0 (logged) for a bad
  /// keyword, a line break or control byte, an unbalanced quote or a ';'
  /// outside quotes in the text, which would not read back.
  BOOL EditDataLine(const char *keyword, const char *text, const char *comment = NULL);
  /// As `EditDataLine` with the text quoted (inner quotes doubled).
  BOOL EditTextLine(const char *keyword, const char *text, const char *comment = NULL);
  /// As `EditDataLine` with the value as an unsigned decimal number.
  BOOL EditIntLine(const char *keyword, UINT value, const char *comment = NULL);
  /// "; text", or ";" for NULL or the empty text.
  BOOL EditComment(const char *text = NULL);
  /// Writes the editor's text to `path` with `CVQFile::WriteAtomic`: `replace`
  /// non-zero replaces an existing file, 0 appends the text behind its
  /// contents. The path becomes the file name. The buffer is kept.
  BOOL WriteEdit(const char *path, BOOL replace);
  /// The editor's text, NUL-terminated (empty before `StartEdit`), and its
  /// length in bytes without the terminator: what a table stores inside its
  /// ISAM file and `ReadIt` takes back.
  const char *GetEditText() const;
  UINT GetEditLength() const;

private:
  struct Impl;
  Impl *impl;
  UINT blockLevel;
  BOOL sequential;
  UINT sequenceNext; // lines of the current block already passed in the sequence
};

/* ---- Library context, numbered boxes and list fillers ------------------- */

class CVQLibrary;

/// One argument of a numbered box, as `ErrorBox`, `AskBox` and `TextBox`
/// collect them: the box knows the kind of every argument, so a text whose
/// directives do not match what the caller passed is refused instead of
/// reading memory that was never passed.
struct CVQBoxArg {
  enum Kind : UINT { Signed, Unsigned, Floating, Text, Pointer };
  Kind kind;
  union {
    LONGLONG i;
    ULONGLONG u;
    double f;
    const char *s;
    const void *p;
  };
  CVQBoxArg(signed char v) : kind(Signed), i(v) {}
  CVQBoxArg(short v) : kind(Signed), i(v) {}
  CVQBoxArg(int v) : kind(Signed), i(v) {}
  CVQBoxArg(long v) : kind(Signed), i(v) {}
  CVQBoxArg(long long v) : kind(Signed), i(v) {}
  CVQBoxArg(char v) : kind(Signed), i(v) {}
  CVQBoxArg(unsigned char v) : kind(Unsigned), u(v) {}
  CVQBoxArg(unsigned short v) : kind(Unsigned), u(v) {}
  CVQBoxArg(unsigned int v) : kind(Unsigned), u(v) {}
  CVQBoxArg(unsigned long v) : kind(Unsigned), u(v) {}
  CVQBoxArg(unsigned long long v) : kind(Unsigned), u(v) {}
  CVQBoxArg(char16_t v) : kind(Unsigned), u(v) {}
  CVQBoxArg(bool v) : kind(Signed), i(v) {}
  CVQBoxArg(float v) : kind(Floating), f(v) {}
  CVQBoxArg(double v) : kind(Floating), f(v) {}
  CVQBoxArg(const char *v) : kind(Text), s(v) {}
  CVQBoxArg(decltype(nullptr)) : kind(Pointer), p(nullptr) {}
  CVQBoxArg(const void *v) : kind(Pointer), p(v) {}
};

/// Numbered message boxes.
///
/// The text of code N is string N of the context's resource module, filled
/// in printf style with the arguments. The caption is the context's own
/// string baseId + 0 (error boxes) or baseId + 1 (message boxes), filled in
/// with N; `TextBox` takes baseId + 3. A code without a text shows baseId + 2;
/// a text the arguments cannot fill shows baseId + 4. A text cannot be filled
/// when a directive is not one of printf's (flags "-+ #0", width and
/// precision as digits or '*', lengths hh h l ll L q j z t I I32 I64,
/// conversions d i u o x X c s f F e E g G a A p and %%), when it asks
/// for "%n" or a numbered argument ("%1$s"), when fewer arguments were
/// passed than it needs, or when an argument's kind does not suit its
/// directive: integers (and pointers, for handles printed in hexadecimal)
/// for d i u o x X c and '*', a floating value for f F e E g G a A, a text
/// or NULL for s (shown as "(null)"), a pointer or an integer for p. Extra
/// arguments are ignored, as printf ignores them. Texts are cut at 4095
/// characters.
///
/// Every box goes through MessageBoxA, owned by the active window (or none)
/// so that it stays in front of what the user works in. Boxes are logged at
/// level 5 with the tag "CVQError"; a missing text and a failed substitution
/// at level 1. Without a context (NULL) the strings come from the executable.
class VQ_LIB32_API CVQError {
public:
  explicit CVQError(CVQLibrary *library) : errLibrary(library) {}

  /// Shows the box of `code`: `error` non-zero titles it as an error (own
  /// string 100), 0 as a message (101); `type` holds the MB_* flags. Returns
  /// what MessageBoxA returned (0 when it failed).
  int DispBox(UINT code, BOOL error, UINT type, const CVQBoxArg *args, UINT count);
  /// Shows the literal `text`, filled with the arguments, under the caption
  /// of error messages (own string 103), with the exclamation icon: every
  /// caller reports a failure with it.
  int DispText(const char *text, UINT type, const CVQBoxArg *args, UINT count);

  /// An error box: exclamation icon, OK button.
  template <typename... A> int ErrorBox(UINT code, A... args) {
    const CVQBoxArg list[] = {CVQBoxArg(args)..., CVQBoxArg(0)};
    return DispBox(code, TRUE, MB_ICONEXCLAMATION, list, sizeof...(A));
  }
  /// A question box: information icon, Yes and No; callers compare the
  /// result with IDYES.
  template <typename... A> int AskBox(UINT code, A... args) {
    const CVQBoxArg list[] = {CVQBoxArg(args)..., CVQBoxArg(0)};
    return DispBox(code, FALSE, MB_ICONINFORMATION | MB_YESNO, list, sizeof...(A));
  }
  /// A box with a literal text.
  template <typename... A> int TextBox(const char *text, A... args) {
    const CVQBoxArg list[] = {CVQBoxArg(args)..., CVQBoxArg(0)};
    return DispText(text, MB_ICONEXCLAMATION, list, sizeof...(A));
  }

protected:
  CVQLibrary *errLibrary;
};

/// The library context: one per library of the family, built statically.
///
/// It is the library's log (a CVQLogFile, see there for switching it on:
/// `OpenLog`, `StartCapture` or the VQ_LOG setting) and the owner of its
/// numbered boxes (a CVQError). Hosts and tests see every box in the
/// platform's record of message boxes (vqwin_modal.h:
/// `vqwinGetMessageBoxRecord`) and answer them with its script.
///
/// The resource module holds the dialog templates and the texts of numbered
/// messages; its name is the pattern with every '$' replaced by the
/// language letter. An empty pattern makes the library's own module (as
/// `DllMainCall` gave it) the resource module: it carries its texts in
/// every language, LoadStringA picks by the thread's UI language, and
/// `SetLanguageId` only switches that. It is loaded at the first need, not at construction:
/// static construction runs while the loader is busy with this library,
/// which is no time to load another. A module that cannot be loaded is
/// logged once per language and asked for again at the next need.
///
/// The flag: bit 0 makes the context the base library's default log
/// (CVQLogFile::SetDefault), so that the base library's own classes log
/// where the library logs.
class VQ_LIB32_API CVQLibrary : public CVQLogFile, public CVQError {
public:
  CVQLibrary(const char *moduleName, const char *resourcePattern, const char *languageId,
             const char *banner, UINT flags);
  ~CVQLibrary();
  CVQLibrary(const CVQLibrary &) = delete;
  CVQLibrary &operator=(const CVQLibrary &) = delete;

  /// Passed on by the library's entry point for every reason. Attach
  /// remembers the library's own module, whose string table from `baseId`
  /// on holds the captions and fallbacks of the boxes (baseId 0 keeps 100);
  /// detach releases the resource module. Returns 1.
  BOOL DllMainCall(HINSTANCE module, DWORD reason, UINT baseId);

  /// Switches to the language `languageId` (1 to 7 letters or digits,
  /// taken in capitals): loads its resource module and, for "D" and "E",
  /// sets the thread's UI language (German, US English) that chooses the
  /// library's own strings. Returns 1 when that language is now in effect;
  /// 0, with a level-0 log line, for a bad id or a module that cannot be
  /// loaded, and the current language stays.
  int SetLanguageId(const char *languageId);

  /// Runs the dialog `templateName` of the resource module modally and
  /// returns its end code; -1 (logged) when the module or the template is
  /// missing, as DialogBoxParamA answers.
  INT_PTR DispDialogBoxParam(LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM param);

  /// The resource module, loaded now if it was not; NULL when it cannot be.
  HINSTANCE GetResourceModule();
  /// The library's own module (NULL before attach: the executable's).
  HINSTANCE GetModule() const { return ownModule; }
  /// The first id of the library's own string table.
  UINT GetBaseId() const { return baseId; }
  const char *GetModuleName() const { return moduleName; }
  const char *GetBanner() const { return banner; }
  /// The current language letter(s).
  const char *GetLanguageId() const { return languageId; }

private:
  HINSTANCE LoadResourceModule(const char *language, bool report);
  void FreeResourceModule();

  HINSTANCE ownModule;
  HINSTANCE resourceModule;
  UINT baseId;
  UINT flags;
  BOOL loadFailed; // the current language's module could not be loaded
  char moduleName[MAX_PATH];
  char resourcePattern[MAX_PATH];
  char languageId[8];
  char banner[128];
};

/// A table of (value, string number) rows that fills list controls with
/// the texts of the context's resource module. Tables are static data;
/// each holds, in this order, a word 0, a word -1, the row count, the rows
/// and the context.
class VQ_LIB32_API CVQListTable {
public:
  struct Row {
    UINT value;
    UINT stringId;
  };

  constexpr CVQListTable(UINT rowCount, const Row *rowArray, CVQLibrary *library)
      : reserved(0), marker(0xFFFF), count(rowCount), rows(rowArray), lib(library) {}
  template <UINT N>
  constexpr CVQListTable(const Row (&rowArray)[N], CVQLibrary *library)
      : CVQListTable(N, rowArray, library) {}

  UINT GetCount() const { return count; }
  /// The value of row `index`, or (UINT)-1 when there is no such row
  /// (also for index -1, a control without a selection).
  UINT GetValue(UINT index) const { return index < count && rows ? rows[index].value : ~0u; }
  /// The index of the first row holding `value`, or (UINT)-1.
  UINT FindValue(UINT value) const;
  /// Row `index`'s text from the resource module into `buffer`; "<N>" with
  /// the string number when the module has no such string. Returns the
  /// length, 0 for no such row or no buffer.
  UINT GetText(UINT index, char *buffer, UINT size) const;
  /// The combo-box path of every table, list-box tables included: fills
  /// the combo box (CB_RESETCONTENT, CB_INSERTSTRING, CB_SETCURSEL) and
  /// selects the row of `value`, so that a list-box table such as the
  /// engine's key types can feed a drop-down combo. 1 when filled; 0
  /// (logged) for no window or a failed insertion.
  int DisplayCombo(HWND comboBox, UINT value) const;
  /// The value of the combo box's selected row (CB_GETCURSEL), (UINT)-1
  /// when none is selected.
  UINT SelectCombo(HWND comboBox) const;

protected:
  /// Empties the control, inserts every row's text at its index and selects
  /// the row of `value` (none when no row holds it). The messages are those
  /// of list boxes or of combo boxes.
  int Fill(HWND control, UINT value, UINT reset, UINT insert, UINT select) const;
  UINT Selected(HWND control, UINT getSelection, const char *what) const;

  WORD reserved;
  WORD marker;
  UINT count;
  const Row *rows;
  CVQLibrary *lib;
};

/// A list-box table. Only LB_RESETCONTENT, LB_INSERTSTRING, LB_SETCURSEL and
/// LB_GETCURSEL are sent, so a window that passes these on to a list box
/// (a drop-down popup) is filled like the list box itself.
class VQ_LIB32_API CVQListBox : public CVQListTable {
public:
  using CVQListTable::CVQListTable;
  /// Fills the list box and selects the row of `value`. 1 when filled; 0
  /// (logged) for no window or a failed insertion.
  int Display(HWND listBox, UINT value) const;
  /// The value of the selected row, (UINT)-1 when none is selected.
  UINT Select(HWND listBox) const;
};

/// A combo-box table, as CVQListBox with the CB_ messages.
class VQ_LIB32_API CVQComboBox : public CVQListTable {
public:
  using CVQListTable::CVQListTable;
  int Display(HWND comboBox, UINT value) const;
  UINT Select(HWND comboBox) const;
};

/* ---- Printer pages ------------------------------------------------------ */

class CVQPrint;

/// Called by `StartPage` for every page: print the page's header line
/// (`GetLine(-1)`) with `title` (`prtTitle`) and the page number (from 1).
typedef void (*VQPRINT_PAGEHEADER)(CVQPrint &print, const char *title, UINT page);
/// Called after an automatic page break on the new page's first body line;
/// returns the next free line below the column header.
typedef UINT (*VQPRINT_COLUMNHEADER)(CVQPrint &print, UINT line);
/// Called before an automatic page break at the line below the page's last
/// body line; returns the next free line.
typedef UINT (*VQPRINT_PAGEEND)(CVQPrint &print, UINT line);

/// The printer page writer: one printed document, page by page, with lines
/// of text placed at device positions or at 12 tab stops.
///
/// Units. Positions (x) and lines (y) are device units of the printer,
/// counted from the top-left corner of the printable area; a line is the
/// top of the text printed on it. Lengths handed in by the page layout
/// values and `PrintHorLine` are tenths of a millimetre.
///
/// Members, in this order (callers prepare the first three groups before
/// `OpenPrinterA` and read the rest):
/// - five state words, 0 before the first use: the open-page mark (non-zero
///   between `StartPage` and the end of the page), the number of pages
///   started, the job id of the open document, the lines printed on the
///   current page, the system error of the last failure;
/// - six page layout values, tenths of a millimetre measured from the edges
///   of the sheet: top, left, right and bottom margin, then the heights of
///   the page header band (from the top margin to the first body line) and
///   of the page end band (kept free above the bottom margin for the page
///   end line). 200, 150, 150, 150, 60, 60 lays out an A4 sheet with 2 cm
///   on top and 1.5 cm elsewhere;
/// - three callback slots (NULL: none) and the header title;
/// - the printer DC, the horizontal and vertical resolution (dots per
///   inch), the print area's left, right, top and bottom edges, the line
///   height of the default font, and the 12 tab stops, addressed in `x`
///   arguments as the column numbers -16 (first) to -5 (twelfth). Column
///   numbers -1 and -2 stand for the print area's left and right edge.
///
/// Fonts: `CreateDefFont` and `CreateFontHeight` take the face, the line
/// pitch in points (18: a line every quarter inch), the character size in
/// points (11), the weight (400 normal, 700 bold) and an italic flag. The
/// caller owns and deletes the fonts they return, after `ClosePrinter(0)`.
///
/// Every failure is logged to the default log with the tag "CVQPrint".
class VQ_LIB32_API CVQPrint {
public:
  CVQPrint();
  ~CVQPrint();
  CVQPrint(const CVQPrint &) = delete;
  CVQPrint &operator=(const CVQPrint &) = delete;

  /// Opens printer `printerName` (NULL: the default printer, as PrintDlgA
  /// returns it) for the document `docName` owned by `owner`: gets the DC,
  /// the resolutions and the print area from the page layout values,
  /// creates a default font ("Times New Roman", 18, 11, 400, 0) of its own,
  /// sets the tab stops to twelve equal steps across the print area, and
  /// starts the document. Returns 1, or 0 (logged) when the printer cannot
  /// be had, the margins leave no print area or the document cannot start;
  /// `ClosePrinter(1)` then releases what was got.
  BOOL OpenPrinterA(HWND owner, const char *docName, const char *printerName);
  /// Starts a page: sets the open-page mark, counts the page, selects the
  /// default font and calls the page header callback. 1, or 0 (logged).
  BOOL StartPage();
  /// Ends the page begun by `StartPage` (the page end callback is not
  /// called). 1, or 0 when no page is open.
  BOOL EndPage();
  /// `flag` 0 ends the document (and a page still open) and selects the
  /// DC's original font back; 1 also releases the DC and the print object's
  /// own font (ending a document still open first). Returns 1, or 0 when
  /// the document could not be written (logged).
  BOOL ClosePrinter(UINT flag);
  /// Drops the open document: no file is written.
  void AbortPrint();

  /// Creates a font (arguments above), makes it the default font (selected
  /// now and by every `StartPage`; `prtLineHeight` follows it) and returns
  /// it; NULL (logged) without a DC or for a bad argument.
  HFONT CreateDefFont(const char *face, UINT pitch, UINT size, UINT weight, UINT italic);
  /// Creates a font and reports its line height; it is not selected.
  HFONT CreateFontHeight(const char *face, UINT pitch, UINT size, UINT weight, UINT italic,
                         UINT *lineHeight);

  /// -1: the page header line; -2: the first body line; -3: the last line
  /// that still fits above the page end band; n >= 0: body line n of the
  /// default font's height. Other values give the first body line (logged).
  UINT GetLine(int which) const;
  /// The line `height` below `line`; when a line of the default height no
  /// longer fits there, the page is broken: page end callback, end of page,
  /// `StartPage` (page header callback), column header callback at the
  /// first body line, and the line it returns (or the first body line).
  UINT IncLine(UINT line, UINT height);

  /// Prints `text` (`length` characters, 0 = the whole text) beginning at
  /// (right-aligned: ending at) `x` on `line` in the selected font. `x` is a
  /// position or a column number. 1, or 0 (logged) for a bad column or no DC.
  BOOL LeftText(int x, UINT line, const char *text, UINT length);
  BOOL RightText(int x, UINT line, const char *text, UINT length);
  /// A decimal number right-aligned at `x`.
  BOOL RightDez(int x, UINT line, LONGLONG value);
  /// A horizontal line `thickness` tenths of a millimetre thick with its top
  /// at `line`, across the print area less `inset` tenths of a millimetre on
  /// either side.
  BOOL PrintHorLine(UINT line, UINT thickness, UINT inset);
  /// A solid bar from `x` (a position or column number) `width` device
  /// units wide and `thickness` device units high, its top at `line`.
  BOOL PrintRectFrame(int x, UINT line, UINT width, UINT thickness);

  /// The device position of `x` (a position or column number); -1 for a
  /// column number that names nothing.
  int ColumnX(int x) const;

  /* -- state words -- */
  UINT prtPageOpen;
  UINT prtPageCount;
  UINT prtJobId;
  UINT prtLineCount;
  UINT prtLastError;
  /* -- page layout values, tenths of a millimetre -- */
  UINT prtTopMargin;
  UINT prtLeftMargin;
  UINT prtRightMargin;
  UINT prtBottomMargin;
  UINT prtHeaderHeight;
  UINT prtFooterHeight;
  /* -- callbacks -- */
  VQPRINT_PAGEHEADER prtPageHeader;
  VQPRINT_COLUMNHEADER prtColumnHeader;
  VQPRINT_PAGEEND prtPageEnd;
  const char *prtTitle;
  /* -- what OpenPrinterA and StartPage fill in -- */
  HDC prtDC;
  int prtResX;
  int prtResY;
  int prtLeft;
  int prtRight;
  int prtTop;
  int prtBottom;
  UINT prtLineHeight;
  int prtTabs[12];

private:
  HFONT MakeFont(const char *face, UINT pitch, UINT size, UINT weight, UINT italic,
                 UINT *lineHeight);
  BOOL Text(int x, UINT line, const char *text, UINT length, UINT align);
  int MmToX(UINT tenths) const;
  int MmToY(UINT tenths) const;

  HFONT defFont;    // the default font selected by StartPage
  HFONT ownFont;    // made by OpenPrinterA, released by ClosePrinter(1)
  HGDIOBJ origFont; // the DC's font before the first selection
  BOOL inBreak;     // a page break is running: no nested breaks
};

/// Fills a report-view list view from a static table of columns. A
/// column's header is a string number of the context's resource module
/// (MAKEINTRESOURCEA) or a literal text; its width is a percentage of the
/// list view's client width; the low two bits of its format are the column
/// alignment (0 left, 1 right, 2 centred; 3 is taken as left). The object
/// counts the items it inserted in `itemCount`, which callers reset when
/// they empty the control themselves.
class VQ_LIB32_API CVQListView {
public:
  struct Column {
    UINT format;
    UINT width;
    LPCSTR header;
  };

  CVQListView(UINT columnCount, const Column *columnArray, CVQLibrary *library)
      : itemCount(0), count(columnCount), columns(columnArray), lib(library), list(NULL) {}
  template <UINT N>
  CVQListView(const Column (&columnArray)[N], CVQLibrary *library)
      : CVQListView(N, columnArray, library) {}

  /// Takes `listView` as the control to fill (`owner` is the window that
  /// owns it, for messages) and inserts the columns. With `clear` non-zero
  /// existing columns and items go first and the counter restarts. 1 when
  /// every column was inserted; 0 (logged) for no window or a failed
  /// insertion.
  int DispHeader(HWND listView, HWND owner, UINT clear);
  /// Inserts item `item` with `itemData` as its value and `state` as its
  /// LVIS_ state, its first column's text supplied later. Returns the index
  /// and counts it; -1 (logged) without a control or when the control
  /// refuses.
  int InsertItem(UINT item, LPARAM itemData, UINT state);
  /// Shows `value` in decimal in column `subItem` of `item`. 1 or 0.
  int SetItemInt(UINT item, UINT subItem, int value);
  HWND GetListView() const { return list; }

  UINT itemCount;

private:
  UINT count;
  const Column *columns;
  CVQLibrary *lib;
  HWND list;
};

#endif
