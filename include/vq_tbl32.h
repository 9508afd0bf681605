/*
 * vq_tbl32: the data table description manager of the vq library family.
 *
 * This is the library's one public header. It declares every exported
 * class, function and data item; hosts include it after <windows.h>
 * exactly as on Windows.
 */
#ifndef VQ_TBL32_H
#define VQ_TBL32_H

#include <windows.h>

#if defined(_WIN32)
#if defined(VQ_TBL32_EXPORTS)
#define VQ_TBL32_API __declspec(dllexport)
#else
#define VQ_TBL32_API __declspec(dllimport)
#endif
#else
#define VQ_TBL32_API __attribute__((visibility("default")))
#endif

/* ---- Library entry, version and language ------------------------------ */

extern "C" {
/// The release number, "1.00", as a zero-terminated text.
VQ_TBL32_API extern const char DllVersion[];
/// The build number, "0087", as a zero-terminated text.
VQ_TBL32_API extern const char DllBuild[];

/// The library's version: major release in the high byte, minor in the low
/// byte (256 for release 1.00), whatever language is set.
VQ_TBL32_API UINT vqGetTbl32Version(void);
/// Sets the dialog item `releaseId` to "Release 1.00" and `buildId` to
/// "Build 0087"; an id of 0 leaves that item alone.
VQ_TBL32_API void vqDispTbl32Version(HWND dialog, UINT releaseId, UINT buildId);
/// Switches the language of the library's dialogs and messages ("D" German,
/// "E" English). Non-zero when the language is now in effect; 0 (logged)
/// when the id is bad or its resource library cannot be loaded.
VQ_TBL32_API int vqSetTbl32Language(const char *languageId);
}

/* ---- Utility containers, keyword tables, text and number routines ----- */

class CVQConfFile;

/// A table of keywords with their values, searched by halving. The table
/// does not own its rows: its user defines them (normally static data) and
/// puts them in order once with SortTable before the first search.
class VQ_TBL32_API CEnumString {
public:
  /// One row: the value and its keyword of up to 31 characters.
  struct Row {
    UINT value;
    char name[32];
  };

  constexpr CEnumString() : count(0), rows(nullptr) {}
  constexpr CEnumString(UINT rowCount, Row *rowArray) : count(rowCount), rows(rowArray) {}
  template <UINT N> constexpr explicit CEnumString(Row (&rowArray)[N]) : count(N), rows(rowArray) {}

  /// The value of the row whose keyword equals the key exactly, comparing
  /// `length` characters and the terminator behind them (0 = the whole key;
  /// the key also ends at its own terminator). Rows must be in ascending
  /// byte order. Returns (UINT)-1 for no match, no key, an empty key or an
  /// empty table.
  UINT FindUpper(const char *key, UINT length = 0) const;
  /// FindUpper on a lower-cased copy of (at most 32 characters of) the key.
  UINT FindLower(const char *key, UINT length = 0) const;
  /// FindUpper on an upper-cased copy of (at most 32 characters of) the key.
  UINT FindString(const char *key, UINT length = 0) const;
  /// The keyword of the first row holding `value`, or NULL.
  const char *GetString(UINT value) const;
  /// The value of row `index`, or (UINT)-1 when the index is not below the count.
  UINT GetIndex(UINT index) const;
  /// Sorts the rows by keyword, comparing without regard to ASCII case. For
  /// keywords of capitals and digits this is the order FindUpper needs.
  void SortTable();
  /// Empties the list box, inserts every keyword at its row index and
  /// selects the row holding `current`. Nothing happens without a window.
  void FillListBox(HWND listBox, UINT current) const;
  /// Takes the value of the list box's selected row into `*value`. 1 when
  /// that changed the value; 0 when it did not, when nothing or a row past
  /// the table is selected (logged), or without a window or value.
  int GetListBoxSelection(HWND listBox, UINT *value) const;

  UINT count;
  Row *rows;
};

/// A short name (up to 63 characters) with its upper-case twin.
class VQ_TBL32_API CVQName {
public:
  CVQName() : length(0), name{}, upper{} {}
  /// Takes `textLength` characters of the text (0 = up to its terminator),
  /// cut to 63; no text gives the empty name.
  void set(const char *text, UINT textLength = 0);

  UINT length;
  char name[64];
  char upper[64];
};

/// A pool of equal-sized records in chained blocks of 64. Records keep
/// their address while they are in use; a block that becomes empty is
/// released. Failures are logged (tag "CVQBPool") and shown as messages
/// 200 (no memory), 210 (not a record boundary) and 211 (not in the pool).
///
/// A block is a header (previous block, next block, 64-bit mask: bit i set
/// = record i in use) followed by its 64 records. With 4-byte links the
/// block takes 64 x record size + 20 bytes; the links here are pointers,
/// so the header and the block grow by 8 bytes on 64-bit systems.
class VQ_TBL32_API CVQBuffPool {
public:
  explicit CVQBuffPool(UINT recordBytes);
  ~CVQBuffPool();
  CVQBuffPool(const CVQBuffPool &) = delete;
  CVQBuffPool &operator=(const CVQBuffPool &) = delete;

  /// A zeroed record, or NULL when memory is short or the record size is 0.
  void *alloc();
  /// Returns a record to the pool, zeroed. A pointer that is no record of
  /// this pool is refused and the pool is left as it was.
  void freeRec(void *record);
  /// The record at position `index`, counting 64 per block along the chain
  /// (in use or not), or NULL past the last block.
  void *getRec(UINT index) const;
  /// Copies the first `count` records, block by block, into the contiguous
  /// `destination`; returns how many were copied (fewer when the chain ends).
  UINT copy(void *destination, UINT count) const;
  /// Releases every block.
  void free();

  void *firstBlock;
  void *lastBlock;
  UINT recordSize;
  UINT recordsPerBlock; // always 64
  UINT blockSize;
  ULONGLONG fullMask;
};

/// A most-recently-used list of up to 16 texts of up to 259 characters,
/// item 0 the newest, kept in a configuration file and shown in a combo box.
class VQ_TBL32_API CVQHistory {
public:
  enum : UINT { kMaxItems = 16, kItemSize = 260 };

  CVQHistory() : comboBox(nullptr), count(0), items{} {}

  /// Reads the items from the lines of `keyword` in the configuration
  /// file's current block, newest first. Returns 1.
  int ParseItems(CVQConfFile &file, const char *keyword);
  /// Writes one quoted line of `keyword` per item, newest first, and an
  /// empty comment line behind them when there were any. 1, or 0 when the
  /// editor refused a line.
  int WriteItems(CVQConfFile &file, const char *keyword) const;
  /// Makes the text item 0: an item equal to it without regard to case is
  /// moved up (and takes the new spelling); otherwise the oldest of 16
  /// falls out. A bound combo box follows. Returns the item count; an empty
  /// text is refused (logged) and changes nothing.
  UINT InsertItem(const char *text);
  /// Binds the combo box (`id` 0 or -1: `window` itself, else the dialog's
  /// control `id`), fills it with the items and selects `selection` when it
  /// is below the count. 1, or 0 (logged) when there is no such control.
  int FillComboBox(HWND window, UINT id, UINT selection);

  HWND comboBox;
  UINT count;
  char items[kMaxItems][kItemSize];
};

/// Writes `count` copies of `value` (no alignment needed); returns the value.
VQ_TBL32_API DWORD FillDwords(void *destination, DWORD value, UINT count);
/// Writes `count` copies of `value`; returns the value.
VQ_TBL32_API WORD FillWords(void *destination, WORD value, UINT count);
/// Moves `count` bytes from `base` to `base + distance`; the areas may overlap.
VQ_TBL32_API void MoveUp(void *base, UINT distance, UINT count);
/// Moves `count` bytes from `destination + distance` to `destination`; the
/// areas may overlap.
VQ_TBL32_API void MoveDown(void *destination, UINT distance, UINT count);
/// The index of the first `byte` among `count` bytes, or (UINT)-1.
VQ_TBL32_API UINT FindByte(const void *buffer, BYTE byte, UINT count);
/// The index of the last `byte` among `count` bytes, or (UINT)-1.
VQ_TBL32_API UINT FindLastByte(const void *buffer, BYTE byte, UINT count);
/// Appends `c` unless the text already ends with it; the buffer must have
/// room for one more character. Returns the new length (0 for no text).
VQ_TBL32_API UINT AppendCharIfMissing(char *text, char c);
/// Removes one trailing `c`; returns the new length (0 for no text).
VQ_TBL32_API UINT StripTrailingChar(char *text, char c);
/// The position behind the last '\' or '/' of the path (0 = up to its
/// terminator), or 0 when there is none or no path.
VQ_TBL32_API UINT FileNameOffset(const char *path, UINT length = 0);
/// The position of the last '.' in the file name part, or (UINT)-1.
VQ_TBL32_API UINT ExtensionOffset(const char *path, UINT length = 0);
/// TRUE when the path names an existing entry that is not a directory.
VQ_TBL32_API BOOL IsExistingFile(const char *path);
/// TRUE when every character is a digit; the empty text counts.
VQ_TBL32_API BOOL IsDigitText(const char *text, UINT length = 0);
/// TRUE for blanks (and, with `signs`, '+' and '-'), then digits and '.',
/// then blanks only; no text gives FALSE.
VQ_TBL32_API BOOL IsNumberText(const char *text, UINT length, BOOL signs);
/// Writes DD.MM.YYYY: 10 characters, no terminator. Each part is taken
/// modulo its width (day % 100, year % 10000).
VQ_TBL32_API void WriteDateText(char *buffer, UINT day, UINT month, UINT year);
/// Writes hh:mm:ss: 8 characters, no terminator; parts taken modulo 100.
VQ_TBL32_API void WriteTimeText(char *buffer, UINT hour, UINT minute, UINT second);
/// The local date as DD.MM.YYYY (11 bytes with the terminator) and time as
/// hh:mm:ss (9 bytes) of one clock reading; either buffer may be NULL.
VQ_TBL32_API void GetNowTexts(char *dateBuffer, char *timeBuffer);

/// Moves a window to the middle of the screen when it is smaller than the
/// screen in both directions; TRUE when it was moved.
VQ_TBL32_API BOOL CenterWindow(HWND window);
/// Enables or disables the dialog's control `id`; FALSE when there is none.
VQ_TBL32_API BOOL EnableDlgItem(HWND dialog, int id, BOOL enable);

/// The money text of `value` ("1.234,50"): hundredths rounded half up and
/// taken modulo 2^32 (a negative amount wraps; one that is no number or out
/// of range gives 0). Returns the length, or 0 with an empty text when the
/// buffer has fewer than 5 bytes or cannot hold the text.
VQ_TBL32_API UINT FormatMoney(char *buffer, UINT size, double value);
/// Puts a '.' before every group of three digits from the right when there
/// are 4 digits or more (1234567 becomes 1.234.567), in place and
/// terminated; a leading sign stays in front. `length` 0 = up to the
/// terminator. The buffer must hold length + (length - 1) / 3 + 1 bytes.
/// Returns the new length.
VQ_TBL32_API UINT GroupDigits(char *digits, UINT length);
/// Copies the text cut to size - 1 bytes and terminates it; returns the
/// length copied: 0 for no buffer or size 0 (nothing written) and for no
/// text (an empty text written).
VQ_TBL32_API UINT CopyText(char *buffer, UINT size, const char *text);
/// Copies a 16-bit text cut to (size - 1) / 2 characters, `size` in bytes,
/// and terminates it; returns the characters copied: 0 for no buffer or a
/// size below 2, which cannot hold the terminator (nothing written), and
/// for no text (an empty text written).
VQ_TBL32_API UINT CopyWideText(WCHAR *buffer, UINT size, const WCHAR *text);

/// Decimal readers: leading tabs and blanks are skipped (the unsigned ones
/// also skip '0's), a '-' makes the signed ones negative, and digits are
/// accumulated as value * 10 + digit until a non-digit or `length`
/// characters (0 = up to the terminator). The accumulation wraps around at
/// the type's width. No text reads 0. The 16-bit forms read UTF-16 texts.
VQ_TBL32_API INT ReadInt32(const char *text, UINT length = 0);
VQ_TBL32_API UINT ReadUInt32(const char *text, UINT length = 0);
VQ_TBL32_API LONGLONG ReadInt64(const char *text, UINT length = 0);
VQ_TBL32_API ULONGLONG ReadUInt64(const char *text, UINT length = 0);
VQ_TBL32_API INT ReadInt32(const WCHAR *text, UINT length = 0);
VQ_TBL32_API UINT ReadUInt32(const WCHAR *text, UINT length = 0);
VQ_TBL32_API LONGLONG ReadInt64(const WCHAR *text, UINT length = 0);
VQ_TBL32_API ULONGLONG ReadUInt64(const WCHAR *text, UINT length = 0);
/// Reads "1.234,56": leading blanks skipped, a sign taken before the first
/// digit, ',' the decimal point, '.' ignored before it and ending the
/// number after it; any other character ends the number.
VQ_TBL32_API double ReadGroupedFloat(const char *text, UINT length = 0);
VQ_TBL32_API double ReadGroupedFloat(const WCHAR *text, UINT length = 0);

/* ---- Field description and value conversion ---------------------------- */
/* (CVQFieldDesc, numVal, CVQFieldDescList, CmpFieldName and the value text routines) */

/* ---- Engine field types ------------------------------------------------ */
/* (lbFldTypes, FormatEngineField, EngineFieldValue) */

/* ---- Grid item interface and column definitions ------------------------ */
/* (IGridView, SGridElt, CGridDef, CGridDesc) */

/* ---- Selection language ------------------------------------------------ */
/* (CVQTblSelDesc and its expression tree) */

/* ---- Joker string comparer --------------------------------------------- */
/* (CVQStrCmp) */

/* ---- Record cache ------------------------------------------------------ */
/* (CVQRecCache, SCacheRecord) */

#endif
