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
class CVQPrint;

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
  /// Where alloc starts looking: every block before it is full (NULL: the
  /// first block). It keeps filling a pool of many blocks linear in time.
  void *openBlock;
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

class CGridDef;
class CVQListBox;

/// A numeric value as the field conversions deliver it. The value kind that
/// goes with it says which member holds the value; the 32-bit members lie
/// in the low half.
union numVal {
  UINT u32;
  INT i32;
  ULONGLONG u64;
  LONGLONG i64;
  double dbl;
};
static_assert(sizeof(numVal) == 8, "numVal is one 64-bit word");

/// Numeric value kinds: which member of a numVal holds the value.
constexpr UINT nvkUINT32 = 0;
constexpr UINT nvkINT32 = 1;
constexpr UINT nvkUINT64 = 2;
constexpr UINT nvkINT64 = 3;
constexpr UINT nvkDOUBLE = 4;

/// Encode types: how a field's bytes are stored in the record.
constexpr UINT iteINT8 = 0;        // any non-zero size; the first byte counts
constexpr UINT iteINT16 = 1;       // 2 bytes, little-endian
constexpr UINT iteINT32 = 2;       // 4 bytes, little-endian
constexpr UINT iteINT64 = 3;       // 8 bytes, little-endian
constexpr UINT ite32FLOATING = 4;  // IEEE 754 single
constexpr UINT ite64FLOATING = 5;  // IEEE 754 double
constexpr UINT ite80FLOATING = 6;  // x87 extended, 10 bytes
constexpr UINT iteTEXT = 7;        // single-byte characters, fixed length
constexpr UINT iteUNICODETEXT = 8; // 16-bit characters, even size

/// Presentation kinds: the low four bits of a type word. Kinds 4 and 5 are
/// offered in the lists but no conversion supports them.
constexpr UINT pkTEXT = 0;
constexpr UINT pkNUMBER = 1;
constexpr UINT pkDATETIME = 2;
constexpr UINT pkDECIMAL = 3;
constexpr UINT pkKINDCOUNT = 6;

/// The bits of a type word (contentType, displayType).
constexpr UINT twKIND = 0x000F;     // presentation kind
constexpr UINT twSIGNED = 0x0010;   // integer bytes are two's complement
constexpr UINT twLEADZERO = 0x0020; // numbers shown padded with '0'
constexpr UINT twDECCOMMA = 0x0040; // decimal comma (format summary only)
constexpr UINT twGROUPING = 0x0080; // digit grouping (format summary only)
constexpr UINT twDATE = 0x0100;     // the value has a date part (kind 2)
constexpr UINT twTIME = 0x0200;     // the value has a time part (kind 2)
constexpr UINT twNOCASE = 0x0C00;   // both set on kind 0: selections compare without case
constexpr UINT twDECIMALS = 0xF000; // decimals (kinds 1, 3) or date format (kind 2)
constexpr UINT twTIMEFMT = 0xF0000; // time format (kind 2)
constexpr UINT twDECIMALS_SHIFT = 12;
constexpr UINT twTIMEFMT_SHIFT = 16;

/// One field of a table record: where it lies, how its bytes are encoded,
/// how its value is understood (content type) and shown (display type).
/// A plain record, copied by value inside a CVQFieldDescList.
class VQ_TBL32_API CVQFieldDesc {
public:
  /// Offset, size, width 0; encode type unset (-1); type words and
  /// justifications 0; empty name.
  CVQFieldDesc();

  /// Stores the encode type and, for the types of one fixed width, sets
  /// `size` to it; iteINT8, iteTEXT, iteUNICODETEXT and unknown codes keep it.
  void SetEncodeType(UINT code);
  /// Take the value of list row `index` of the matching type list. 1 when
  /// set; 0 for -1 (no selection) or a row past the list, nothing changed.
  /// The content and display setters replace the whole type word.
  int SetEncodeTypeIdx(UINT index);
  int SetContentTypeIdx(UINT index);
  int SetDisplayTypeIdx(UINT index);
  int SetDataJustTypeIdx(UINT index);
  int SetDispJustTypeIdx(UINT index);
  /// Fill the list box with the matching type list and select the field's
  /// current value (the kind, for the type words); CVQListBox::Display's result.
  int DispEncodeTypeLB(HWND listBox) const;
  int DispContentTypeLB(HWND listBox) const;
  int DispDisplayTypeLB(HWND listBox) const;
  int DispDataJustTypeLB(HWND listBox) const;
  int DispDispJustTypeLB(HWND listBox) const;

  /// Reads the field from the selected line of `keyword`; `index` numbers
  /// the field in messages only. 1, or 0 after message 1300 (the line does
  /// not parse) or 1301 (a name that is empty or longer than 31
  /// characters, which is refused rather than cut).
  int ReadDef(CVQConfFile &file, const char *keyword, UINT index);
  /// Writes the field as one "Field:" line into the open block. Returns 1.
  int WriteDef(CVQConfFile &file) const;
  /// 1 when the size suits the encode type; else 0 after one of the
  /// messages 1310-1318.
  int VerifyField() const;
  /// Writes the field as grid line `line` (twelve columns). Returns 1.
  int DispDef(CGridDef &grid, UINT line) const;
  /// Prints the field as line `line` of a field list: `index` + 1, name,
  /// encode type, offset, size, content kind and justification, display
  /// kind and justification, display width, each at its tab stop of the
  /// column header that CVQTableDesc::PrintFieldList set. Returns 1.
  int PrintDef(CVQPrint &print, UINT line, UINT index) const;

  /// The field's display text from `record`, cut to `outputSize` - 1 and
  /// terminated; `*written` (may be NULL) gets its length. 1, or 0 (logged)
  /// for an unknown encode type, a value that cannot be read, or
  /// iteUNICODETEXT. The record must hold offset + size bytes;
  /// `recordLength` is not consulted.
  int FormatData(char *output, UINT outputSize, UINT *written, const void *record,
                 UINT recordLength) const;
  /// The field's numeric value and its kind (nvk...). 1, or 0 (logged) for
  /// ite80FLOATING, iteUNICODETEXT, unknown codes and text kinds that hold
  /// no number.
  int ParseData(numVal *value, UINT *kind, const void *record, UINT recordLength) const;
  /// -1, 0 or 1 as the field in record A orders before, with or after that
  /// in record B. Values that cannot be compared give 0; 80-bit floating
  /// and 16-bit text fields also show a box saying so.
  int CompareData(const void *recordA, const void *recordB) const;
  /// Writes the lowest (`high` 0) or highest value the field can hold, in
  /// its stored form, not terminated. Returns the bytes written, 0 (logged)
  /// where no filler is supported. The buffer must hold the field's size,
  /// or 32 bytes for date and time texts; `bufferSize` is not consulted.
  UINT GetSMaskFiller(UINT high, char *buffer, UINT bufferSize) const;

  UINT offset;
  UINT size;
  UINT dispWidth;
  UINT encodeType;
  UINT contentType;
  UINT displayType;
  UINT dataJustType;
  UINT dispJustType;
  char name[32];
};
static_assert(sizeof(CVQFieldDesc) == 8 * 4 + 32, "CVQFieldDesc is a fixed record");

/// The fields of one table, by value, in a record table: a word that
/// copies reset to 0, the records in use, the records allocated and the
/// owned array. The table description fills and copies it.
class VQ_TBL32_API CVQFieldDescList {
public:
  CVQFieldDescList() : reset(0), count(0), capacity(0), fields(nullptr) {}
  /// Frees the array (allocated with new[]) and clears the three words.
  ~CVQFieldDescList();
  CVQFieldDescList(const CVQFieldDescList &) = delete;
  CVQFieldDescList &operator=(const CVQFieldDescList &) = delete;

  /// The largest offset + size over all fields (0 when empty).
  UINT GetRecSize() const;
  /// The sum of the display widths (0 when empty).
  UINT GetDispWidth() const;

  UINT reset;
  UINT count;
  UINT capacity;
  CVQFieldDesc *fields;
};

/// Compares `key` with the field's name, folding A-Z only; <0, 0, >0.
VQ_TBL32_API int CmpFieldName(const char *key, const CVQFieldDesc *field);

/// Digits of `length` characters (0 = up to the terminator): leading tabs,
/// blanks and '0's are skipped, then every digit is accumulated and every
/// other character passed over ("1.234" reads 1234).
VQ_TBL32_API ULONGLONG ParseUnsignedDigits(const char *text, UINT length);
/// As ParseUnsignedDigits after leading tabs and blanks and an optional
/// '-' (with tabs, blanks and '0's behind it).
VQ_TBL32_API LONGLONG ParseSignedDigits(const char *text, UINT length);
/// A fixed-point text "-1.234,56" scaled by 10^decimals: leading blanks
/// skipped, one sign before the first digit, '.' ignored before the ',' and
/// ending the number after it; a second ',' or a digit beyond `decimals`
/// ends the number. Missing decimals are not made up ("12,5" with 2
/// decimals reads 125).
VQ_TBL32_API LONGLONG ParseDecimalText(const char *text, UINT length, UINT decimals);
/// Writes `value` scaled by 10^decimals as "-1.234,56" and terminates it.
/// Returns the length, 0 when the text does not fit in `size`.
VQ_TBL32_API UINT FormatDecimalText(char *buffer, UINT size, LONGLONG value, UINT decimals);
/// A number with ',' or '.' as decimal point and one sign anywhere; no
/// blanks are skipped and any other character ends it.
VQ_TBL32_API double ParseFloatText(const char *text, UINT length);
/// Orders two digit texts by value: leading '0's dropped, the longer rest
/// is greater, else the first differing character decides. -1, 0, 1.
VQ_TBL32_API int CompareDigitTexts(const char *textA, UINT lengthA, const char *textB,
                                   UINT lengthB);
/// The decimal text of `value` of kind `kind` (nvk...), terminated, into a
/// buffer of 32: integers with the decimals of `contentType` as a fixed
/// point ("-12,34"), doubles with the decimals of `displayType`. Returns
/// the length (0 for an unknown kind).
VQ_TBL32_API UINT FormatNumber(char *buffer, numVal value, UINT kind, UINT contentType,
                               UINT displayType);
/// Reads a date of format 0-12 at the start of `text` (which must hold the
/// format's characters). Format 12 skips any blanks, tabs and zeros first
/// and then reads up to eight digits, so its text must end in another
/// character (the terminator will do). Returns the characters of the format
/// (10, 8, 6 or 4), 0 (logged) for a format above 12. Ranges are not tested
/// here.
VQ_TBL32_API UINT ParseDate(UINT *day, UINT *month, UINT *year, const char *text, UINT format);
/// Writes the date in format 0-12 and terminates it; the buffer holds 16.
/// Without `force`, day 0, month 0 and year 0 or 2000 give the empty text.
/// Returns the length; 0 for a format above 12 or a part wider than its
/// digits (a month of 100, a four-digit year of 10000), which the format
/// cannot show. Two-digit years show the year's last two digits.
VQ_TBL32_API UINT FormatDate(char *buffer, UINT day, UINT month, UINT year, UINT format,
                             BOOL force);
/// Reads a time of format 0-3. 1, or 0 for a format above 3.
VQ_TBL32_API int ParseTime(UINT *hour, UINT *minute, UINT *second, const char *text, UINT format);
/// Writes the time in format 0-3 and terminates it; the buffer holds 16.
/// Returns the length; 0 for a format above 3 or a part above 99.
VQ_TBL32_API UINT FormatTime(char *buffer, UINT hour, UINT minute, UINT second, UINT format);
/// Days since 1 January of year 1 (proleptic Gregorian) for the years
/// 1583-3200; 0xFFFFFFFF for an impossible date or a year outside them.
VQ_TBL32_API UINT DayNumber(UINT day, UINT month, UINT year);
/// DayNumber of 1 January of `year`, or 0xFFFFFFFF outside 1583-3200.
VQ_TBL32_API UINT DaysBeforeYear(UINT year);
/// A date constant "DDMMYY", "DDMMYYYY" or "D.M.Y" (a year below 100 is
/// 2000 + year) as its day number; (UINT)-1 for anything else or an
/// impossible date.
VQ_TBL32_API UINT ParseDateLiteral(const char *text);

/* ---- Engine field types ------------------------------------------------ */

class CVQLibrary;
struct SVQTblFldDesc;

/// One field of a list-view field description set, typed with the engine's
/// field type codes.
struct VQ_TBL32_API SVQTblField {
  /// Takes position, length, type, flags and width of a source record; its
  /// justification character gives 0 ('L', 'l'), 2 ('M', 'm') or 1 ('R',
  /// 'r'), any other leaves the justification as it was. The spare byte,
  /// tree key, index tree and the names are cleared.
  SVQTblField &operator=(const SVQTblFldDesc &source);
  /// The name from string `stringId` of the context's resource module (at
  /// most 63 characters), its length and its upper-case twin; a string
  /// that cannot be loaded (or no context) gives the empty name.
  void LoadHeader(CVQLibrary *library, UINT stringId);

  UINT position;      ///< byte offset in the record
  UINT length;        ///< bytes of the field
  UINT type;          ///< engine field type code
  UINT flags;         ///< 0x8000: drop leading zeros of text (codes 0, 1)
  UINT justification; ///< 0 left, 1 right, 2 middle
  BYTE width;         ///< percent of the list view's client width
  BYTE spare;
  UINT treeKey;
  UINT indexTree;
  UINT nameLength;
  char name[64];
  char upperName[64];
};
static_assert(sizeof(SVQTblField) == 164, "SVQTblField is a fixed record");

/// The engine field type codes, named by resource strings 2020 + code.
VQ_TBL32_API extern const CVQListBox lbFldTypes;

/// The display text of an engine-typed field of `length` bytes, terminated.
/// Texts (codes 0-5) end at a NUL byte and are cut to `outputSize` - 1;
/// floating values are cut too; the other codes are written whole or not
/// at all (the empty text and 0 when the output is too small, the field
/// shorter than its layout, or an integer field not 1, 2, 4 or 8 bytes).
/// 32 characters of output always suffice. A code the engine does not
/// have gives 0 and writes nothing.
VQ_TBL32_API UINT FormatEngineField(const SVQTblField *field, char *output, UINT outputSize,
                                    const void *bytes, UINT length);
/// The comparison value of a stored date or time: a day number (codes
/// 10-19; two-digit years take their century from the current year) or
/// the seconds of the day (codes 20-22). (UINT)-1 when a character is not
/// a digit, for an impossible date, or for any other code.
typedef UINT (*PENGINEFIELDVALUE)(const char *bytes);
/// The routine of `code`, or NULL for a code that is no date or time.
VQ_TBL32_API PENGINEFIELDVALUE EngineFieldValueProc(UINT code);
/// The value by code: the routine of `code` applied to `bytes`.
VQ_TBL32_API UINT EngineFieldValue(UINT code, const char *bytes);

/* ---- Grid item interface and column definitions ------------------------ */

class CVQLibrary;

/// Grid style bits (IGridView::SetStyle). The library's own column tables
/// use GS_GRIDLINES | GS_DELETEBYGRID | GS_INSERTBYGRID (0x19).
enum : DWORD {
  GS_GRIDLINES = 0x0001,    ///< lines between grid lines and columns
  GS_LINEMODE = 0x0002,     ///< whole lines are selected; notifications carry the grid's id
  GS_DELETEBYGRID = 0x0008, ///< the Delete key notifies GVN_DELETELINE
  GS_INSERTBYGRID = 0x0010, ///< the Insert key notifies GVN_INSERTLINE
  GS_NOTIFYMOVES = 0x0020,  ///< keyboard moves of the current cell notify GVN_CELLMOVED
  GS_RCLICKPOINT = 0x0040,  ///< a right click on a cell notifies only GVN_RCLICKEMPTY
  GS_LINEMODEEDIT = 0x0080, ///< in line mode, cells still open their editors
  GS_RCLICKDETAIL = 0x0200, ///< a right click on a cell notifies GVN_RCLICKLINE
  GS_OWNERDATA = 0x8000,    ///< items are not stored; a callback supplies their texts
};

/// Column kinds (IGridView::SetColumnType).
enum : UINT {
  GCK_TEXT = 0,       ///< plain text
  GCK_CHECKBOX = 1,   ///< check box of value 0, 1 or 2; editing notifies GVN_EDITCHECKBOX
  GCK_PARENTEDIT = 2, ///< editing is the parent's, notified as GVN_EDITPARENT
  GCK_PARENTCELL = 3, ///< editing is the parent's, notified as GVN_CELLSELECTED
  GCK_EDIT = 4,       ///< in-place editor
  GCK_DROPDOWN = 5,   ///< drop-down list the parent fills
  GCK_COLOR = 6,      ///< the item value is a COLORREF painted as a filled cell
  GCK_PICTURE = 7,    ///< two-state picture of value 0 or 1
};

/// Column flags (IGridView::SetColumnType, CGridDef and CGridDesc tables).
enum : BYTE {
  GCF_EDITONCLICK = 0x01, ///< the first click opens the editor (else the second)
  GCF_SORTHADMARK = 0x02, ///< sort mark state: & 0x06 is 2 had a mark, 4 down, 6 up
  GCF_SORTDOWN = 0x04,
  GCF_SORTMASK = 0x06,
  GCF_GROUPDIGITS = 0x08, ///< numbers shown with '.' between groups of three digits
  GCF_BACKCOLORS = 0x10,  ///< the column's own back colours
  GCF_TEXTCOLOR = 0x20,   ///< the column's own text colour
};

/// Item types (SGridElt::type).
enum : BYTE {
  GIT_EMPTY = 0,
  GIT_UINT = 1,    ///< unsigned 32-bit
  GIT_INT = 2,     ///< signed 32-bit
  GIT_FIXED2 = 3,  ///< unsigned count of hundredths, shown with two decimals
  GIT_TEXT = 8,    ///< single-byte text
  GIT_TEXTW = 9,   ///< UTF-16 text
  GIT_UINT64 = 10, ///< unsigned 64-bit
  GIT_INT64 = 11,  ///< signed 64-bit
};

/// Messages a grid window answers besides the system's.
enum : UINT {
  GM_GETINTERFACE = WM_USER, ///< returns the window's IGridView pointer (0: none)
  GM_EDITCELL = WM_USER + 1, ///< EditCell(wParam = line, lParam = column); returns 0
};

/// Notification codes: the high word of the WM_COMMAND wParam the grid
/// sends its parent. The low word is the grid's own control id or the
/// column's id, as noted; lParam is noted too. All are sent except
/// GVN_TOPLINECHANGED, which is posted.
enum : UINT {
  GVN_LCLICKEMPTY = 1,     ///< grid; mouse position. Left button outside columns or cells
  GVN_RCLICKEMPTY = 2,     ///< grid; mouse position
  GVN_MCLICKEMPTY = 3,     ///< grid; mouse position
  GVN_LCLICKHEADER = 4,    ///< grid; column index
  GVN_RCLICKHEADER = 5,    ///< grid; column index
  GVN_MCLICKHEADER = 6,    ///< grid; column index
  GVN_LINESELECTED = 7,    ///< grid; line (line mode)
  GVN_RCLICKLINE = 8,      ///< grid; pointer to four UINTs: line, column, x, y
  GVN_CELLSELECTED = 10,   ///< column; line (cell mode; kinds 3, 6, 7 to be edited)
  GVN_RCLICKCELL = 11,     ///< column; line
  GVN_EDITLINE = 13,       ///< grid; line (line mode without GS_LINEMODEEDIT)
  GVN_EDITCHECKBOX = 14,   ///< column; line
  GVN_EDITPARENT = 15,     ///< column; line
  GVN_EDITOROPENED = 16,   ///< column; line
  GVN_EDITORCLOSED = 17,   ///< column; line
  GVN_DROPDOWNOPENED = 18, ///< column; line: the parent fills the list now
  GVN_DROPDOWNCHOSEN = 19, ///< column; line
  GVN_DELETELINE = 20,     ///< grid; current line
  GVN_DELETECELL = 21,     ///< column; current line
  GVN_INSERTLINE = 22,     ///< grid; current line
  GVN_INSERTCELL = 23,     ///< column; current line
  GVN_CELLMOVED = 28,      ///< column (cell mode) or grid; line
  GVN_TOPLINECHANGED = 29, ///< grid; new top line
};

/// One item of a grid line. `value` holds the value (its low 32 bits for
/// the 64-bit types) or, for texts, the pointer to the item's own buffer;
/// the saved fields keep the value while an editor is open.
struct SGridElt {
  BYTE type;      ///< GIT_...
  BYTE savedType; ///< 0 = nothing saved
  WORD capacity;  ///< bytes of the text buffer (texts of at most 65,534 bytes)
  WORD savedSize; ///< bytes of the saved text copy
  DWORD_PTR value;
  DWORD highValue; ///< high 32 bits of GIT_UINT64 and GIT_INT64
  DWORD_PTR savedValue;
  DWORD savedHighValue;
};

/// The owner-data callback of a GS_OWNERDATA grid: writes the single-byte
/// text of the cell (at most bufferSize - 1 characters) and its length, and
/// returns non-zero; 0 leaves the rest of the line unpainted.
typedef BOOL(CALLBACK *PFNGRIDOWNERDATA)(UINT line, UINT column, char *buffer, UINT bufferSize,
                                         UINT *length, DWORD_PTR userValue);

/// The grid control's item interface; any holder of a grid window gets it
/// with SendMessage(grid, GM_GETINTERFACE, 0, 0). Lines and columns are
/// 0-based; a non-zero `redraw` invalidates the window afterwards; BOOL
/// results are non-zero on success. Getters answer 0 for a missing line,
/// column or item unless noted. The slot order is part of the interface.
class IGridView {
public:
  /// Destroys an open child window and the grid window, releases everything.
  virtual ~IGridView() {}
  /// Creates the grid window (class "CVQGridView32") as child `id` of
  /// `parent` at `rect` (right and bottom exclusive) with grid style `style`.
  /// 0 (logged, message 1102) when the window cannot be created.
  virtual BOOL Create(HWND parent, UINT id, const RECT *rect, DWORD style) = 0;
  virtual void Destroy() = 0;
  virtual HWND GetWindow() = 0;
  /// The open in-place editor or drop-down popup, or NULL.
  virtual HWND GetChildWindow() = 0;
  virtual DWORD GetStyle() = 0;
  /// Replaces the style; returns it.
  virtual DWORD SetStyle(DWORD style) = 0;
  /// Sets the bits; returns them.
  virtual DWORD AddStyle(DWORD bits) = 0;
  /// Clears the bits; returns their complement.
  virtual DWORD RemoveStyle(DWORD bits) = 0;
  /// (UINT)-1: none.
  virtual UINT GetCurColumn() = 0;
  /// (UINT)-1: none.
  virtual UINT GetCurLine() = 0;
  /// The owner-data count with GS_OWNERDATA, else the number of lines.
  virtual UINT GetLineCount() = 0;
  /// The index last chosen in the column's drop-down list; (UINT)-1 for a
  /// missing column.
  virtual UINT GetColumnListSel(UINT column) = 0;
  virtual BOOL HasSortMark(UINT column) = 0;
  /// Turns every sort mark into "had a mark" and repaints the header.
  virtual void ClearSortMarks() = 0;
  /// Selects the cell (line mode: the line); (UINT)-1 drops the selection.
  virtual BOOL SetCurCell(UINT line, UINT column) = 0;
  /// Selects the cell and opens its editor.
  virtual BOOL EditCell(UINT line, UINT column) = 0;
  /// Colours of even (`odd` 0) or odd lines and of their focused selection.
  virtual BOOL SetLineColors(BOOL odd, COLORREF back, COLORREF text, COLORREF selBack,
                             COLORREF selText) = 0;
  /// Replaces the columns (lines stay; the count must not grow while lines
  /// exist); widths share 100 percent evenly. 0 (message 1121) without memory.
  virtual BOOL SetColumnCount(UINT count, BOOL redraw) = 0;
  /// Sets kind (GCK_...), command id and flags (GCF_...).
  virtual BOOL SetColumnType(UINT column, UINT kind, UINT id, BYTE flags) = 0;
  /// Width in percent of the client width, justification (0 left, 1 centre,
  /// 2 right) and header text (at most 127 characters; NULL: none).
  virtual BOOL SetColumnHeader(UINT column, UINT widthPercent, BYTE justify, const char *text,
                               BOOL redraw) = 0;
  virtual BOOL SetColumnColors(UINT column, COLORREF back, COLORREF text, BOOL redraw) = 0;
  virtual BOOL SetColumnColors4(UINT column, COLORREF backEven, COLORREF backOdd, COLORREF text,
                                COLORREF text2, BOOL redraw) = 0;
  virtual BOOL SetSortMark(UINT column, BOOL up) = 0;
  /// Owner data: `count` lines whose texts `callback` supplies. 0 (logged)
  /// without GS_OWNERDATA.
  virtual BOOL SetItemCount(PFNGRIDOWNERDATA callback, UINT count, DWORD_PTR userValue,
                            BOOL redraw) = 0;
  /// Inserts a line at `line` (empty lines fill a gap up to it). 0 (logged,
  /// message 1120) without memory.
  virtual BOOL InsertItem(UINT line, DWORD lineData, BOOL redraw) = 0;
  /// 0 when there is no such line.
  virtual BOOL DeleteItem(UINT line, BOOL redraw) = 0;
  /// Releases every line; no current line or column afterwards.
  virtual void DeleteAllItems(BOOL redraw) = 0;
  /// The item setters release a text the item held and do not repaint.
  virtual BOOL SetItemUInt64(UINT line, UINT column, UINT64 value) = 0;
  virtual BOOL SetItemUInt(UINT line, UINT column, DWORD value) = 0;
  virtual BOOL SetItemInt64(UINT line, UINT column, INT64 value) = 0;
  virtual BOOL SetItemInt(UINT line, UINT column, int value) = 0;
  virtual BOOL SetItemFixed2(UINT line, UINT column, DWORD hundredths) = 0;
  /// 0 (logged) when the text's buffer cannot be had; NULL stores "".
  virtual BOOL SetItemTextW(UINT line, UINT column, const WCHAR *text) = 0;
  virtual BOOL SetItemText(UINT line, UINT column, const char *text) = 0;
  /// (DWORD)-1 for a missing line.
  virtual DWORD GetLineData(UINT line) = 0;
  /// Texts are read as decimal numbers; other types give their value.
  virtual DWORD GetItemUInt(UINT line, UINT column) = 0;
  /// The value field as it is (for texts, the buffer's address).
  virtual DWORD_PTR GetItemValue(UINT line, UINT column) = 0;
  /// Answers -1 for every cell.
  virtual int GetItemInt(UINT line, UINT column) = 0;
  virtual UINT64 GetItemUInt64(UINT line, UINT column) = 0;
  virtual UINT64 GetItemValue64(UINT line, UINT column) = 0;
  /// GIT_TEXTW only; at most (bufferBytes - 1) / 2 characters and a zero.
  virtual BOOL GetItemTextW(UINT line, UINT column, WCHAR *buffer, UINT bufferBytes) = 0;
  /// GIT_TEXT only; at most bufferSize - 1 characters and a zero.
  virtual BOOL GetItemText(UINT line, UINT column, char *buffer, UINT bufferSize) = 0;
  /// -1 above the window, 1 below the last visible line, 0 visible.
  virtual int GetLineVisibility(UINT line) = 0;
  /// Scrolls the line into view; the result carries no meaning.
  virtual BOOL EnsureVisible(UINT line) = 0;
  virtual BOOL RedrawLine(UINT line) = 0;
  virtual BOOL ScrollLines(int delta) = 0;
  virtual BOOL SetTopLine(UINT line) = 0;
  /// 0 without a vertical scroll bar.
  virtual UINT GetTopLine() = 0;
};

/// The brushes of one pair of colours, even and odd lines. A colour of 0
/// or 0xFFFFFF takes the stock black or white brush; brush 2 is brush 1
/// when both colours are equal. Only brushes it made itself are deleted.
struct VQ_TBL32_API CBGColor {
  BOOL owned;      ///< set: the object deletes what it created
  COLORREF color1; ///< even lines
  HBRUSH brush1;
  BOOL ownBrush1;
  COLORREF color2; ///< odd lines
  HBRUSH brush2;
  BOOL ownBrush2;

  /// Makes the brushes that are missing; non-zero when both exist.
  BOOL CreateBrushes();
  /// Sets colour 1 (`second` 0) or 2 and remakes its brush when it changed;
  /// non-zero when the brush exists.
  BOOL SetColor(BOOL second, COLORREF color);
  /// Deletes the brushes it made; every field becomes 0.
  void Release();
};

/// One column of a grid window (IGridView::SetColumnCount makes them).
struct SGridColumn {
  BYTE kind;      ///< GCK_...
  BYTE flags;     ///< GCF_...
  BYTE justify;   ///< 0 left, 1 centre, 2 right
  BYTE vjustify;  ///< 0 top, 1 centre, 2 bottom
  UINT id;        ///< notifications' low word; the editor's child id
  UINT x;         ///< left edge in pixels
  UINT width;     ///< in pixels
  UINT percent;   ///< width in percent of the client width
  UINT listSel;   ///< index last chosen in the column's drop-down list
  UINT headerLen; ///< length of `header`
  char header[128];
  COLORREF backEven, backOdd, text, text2;
};

/// One line of a grid window: its data, the next line, and its items (as
/// many as there were columns when it was inserted, at least one).
struct SGridLine {
  DWORD lineData;
  SGridLine *next;
  UINT itemCount;
  SGridElt items[1];
};

/// The grid control: the one implementation of IGridView. A window of the
/// class "CVQGridView32" (or "CVQGridView32W") made without a creation
/// parameter makes its own object and deletes it with the window; an
/// object made here and given a window with Create stays the caller's, and
/// deleting it destroys its window. Failures are logged with the tag
/// "CGridView" and shown as messages 1100-1160 (see vq_tbl32's resources).
class VQ_TBL32_API CGridView : public IGridView {
public:
  CGridView();
  ~CGridView() override;
  CGridView(const CGridView &) = delete;
  CGridView &operator=(const CGridView &) = delete;

  BOOL Create(HWND parent, UINT id, const RECT *rect, DWORD style) override;
  void Destroy() override;
  HWND GetWindow() override;
  HWND GetChildWindow() override;
  DWORD GetStyle() override;
  DWORD SetStyle(DWORD style) override;
  DWORD AddStyle(DWORD bits) override;
  DWORD RemoveStyle(DWORD bits) override;
  UINT GetCurColumn() override;
  UINT GetCurLine() override;
  UINT GetLineCount() override;
  UINT GetColumnListSel(UINT column) override;
  BOOL HasSortMark(UINT column) override;
  void ClearSortMarks() override;
  BOOL SetCurCell(UINT line, UINT column) override;
  BOOL EditCell(UINT line, UINT column) override;
  BOOL SetLineColors(BOOL odd, COLORREF back, COLORREF text, COLORREF selBack,
                     COLORREF selText) override;
  BOOL SetColumnCount(UINT count, BOOL redraw) override;
  BOOL SetColumnType(UINT column, UINT kind, UINT id, BYTE flags) override;
  BOOL SetColumnHeader(UINT column, UINT widthPercent, BYTE justify, const char *text,
                       BOOL redraw) override;
  BOOL SetColumnColors(UINT column, COLORREF back, COLORREF text, BOOL redraw) override;
  BOOL SetColumnColors4(UINT column, COLORREF backEven, COLORREF backOdd, COLORREF text,
                        COLORREF text2, BOOL redraw) override;
  BOOL SetSortMark(UINT column, BOOL up) override;
  BOOL SetItemCount(PFNGRIDOWNERDATA callback, UINT count, DWORD_PTR userValue,
                    BOOL redraw) override;
  BOOL InsertItem(UINT line, DWORD lineData, BOOL redraw) override;
  BOOL DeleteItem(UINT line, BOOL redraw) override;
  void DeleteAllItems(BOOL redraw) override;
  BOOL SetItemUInt64(UINT line, UINT column, UINT64 value) override;
  BOOL SetItemUInt(UINT line, UINT column, DWORD value) override;
  BOOL SetItemInt64(UINT line, UINT column, INT64 value) override;
  BOOL SetItemInt(UINT line, UINT column, int value) override;
  BOOL SetItemFixed2(UINT line, UINT column, DWORD hundredths) override;
  BOOL SetItemTextW(UINT line, UINT column, const WCHAR *text) override;
  BOOL SetItemText(UINT line, UINT column, const char *text) override;
  DWORD GetLineData(UINT line) override;
  DWORD GetItemUInt(UINT line, UINT column) override;
  DWORD_PTR GetItemValue(UINT line, UINT column) override;
  int GetItemInt(UINT line, UINT column) override;
  UINT64 GetItemUInt64(UINT line, UINT column) override;
  UINT64 GetItemValue64(UINT line, UINT column) override;
  BOOL GetItemTextW(UINT line, UINT column, WCHAR *buffer, UINT bufferBytes) override;
  BOOL GetItemText(UINT line, UINT column, char *buffer, UINT bufferSize) override;
  int GetLineVisibility(UINT line) override;
  BOOL EnsureVisible(UINT line) override;
  BOOL RedrawLine(UINT line) override;
  BOOL ScrollLines(int delta) override;
  BOOL SetTopLine(UINT line) override;
  UINT GetTopLine() override;

  /// The grid classes' window procedure.
  static LRESULT CALLBACK GridWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  // The state below is the control's own; it is public only so that the
  // control's units (layout, painting, input, editing) share it.

  // Windows.
  HWND hParent;
  HWND hWnd;
  UINT ownId;         ///< GWL_ID of the window; (UINT)-1 before creation
  HWND hChild;        ///< the open editor or drop-down popup
  UINT childKind;     ///< GCK_EDIT or GCK_DROPDOWN while hChild is open
  WNDPROC edPrevProc; ///< the editor's procedure before subclassing
  // Client size.
  int clientW, clientH;
  // Flags.
  BOOL hasFocus, ownsSelf, disabled, cancelEdit, sending, destroyPending, vBarShown, hBarShown;
  // Vertical scrolling: maximum, last visible offset V, top line.
  UINT scrollMax, lastVisible, topLine;
  int wheelRest; ///< wheel units short of a notch
  // Column resizing by mouse.
  BOOL resizeCursor, resizing;
  int lastX;
  UINT resizeBorder;
  HCURSOR prevCursor;
  // Selection, style and metrics.
  DWORD style;
  UINT curColumn, curLine;
  UINT totalWidth, headerHeight, lineHeight, ellipsisWidth;
  // Fonts, brushes, pen and pictures.
  HFONT titleFont, dataFont, dataFontW;
  BOOL ownTitleFont, ownDataFont, ownDataFontW;
  HBRUSH classBrush, faceBrush;
  HPEN gridPen;
  BOOL ownGridPen;
  HBITMAP checkOn, checkOff, checkUndet, stateOn, stateOff; ///< 5100, 5101, 5102, 5106, 5105
  // Colours, even [0] and odd [1] lines.
  COLORREF textColor[2];
  CBGColor lineBack;
  COLORREF selText[2];
  CBGColor selBack;
  COLORREF unfocusedText[2];
  CBGColor unfocusedBack;
  // Columns and lines.
  UINT columnCount;
  SGridColumn *columns;
  UINT lineCount;
  SGridLine *firstLine;
  // Owner data.
  UINT itemCount;
  DWORD_PTR ownerValue;
  PFNGRIDOWNERDATA ownerCallback;
};

/// One column of a program's column table (constant data).
struct SGridColDef {
  BYTE kind;         ///< GCK_...
  BYTE flags;        ///< GCF_...
  BYTE justify;      ///< 0 left, 1 centre, 2 right
  BYTE spare;        ///< carried, not passed to the grid
  UINT id;           ///< the low word of the column's notifications; its editor's child id
  UINT width;        ///< percent of the grid's client width
  UINT headerString; ///< number of the header text in the resource module
};

/// Puts a program's column table into a grid window and forwards line and
/// item calls to it. The table is not owned. Failures are logged (tag
/// "CGridDef") and shown as messages 900 (no control of that id), 901 (no
/// interface), 910 (insert without interface), 911 (delete without
/// interface) and 920 (SetItemRes without interface or context).
class VQ_TBL32_API CGridDef {
public:
  constexpr CGridDef(CVQLibrary *library, UINT controlId, const SGridColDef *columns,
                     UINT columnCount, DWORD gridStyle)
      : hGrid(NULL), ctrlId(controlId), style(gridStyle), pLib(library), pGrid(NULL),
        colCount(columnCount), colDefs(columns) {}

  /// Finds the grid (the dialog's control `ctrlId`, or `window` itself when
  /// that is (UINT)-1), obtains its interface, empties it when `clear` is
  /// non-zero, and sets the style and columns; a header string the resource
  /// module lacks shows as "<N>". 1, or 0 (messages 900, 901).
  BOOL DispColHeaders(HWND window, BOOL clear);
  /// IGridView::InsertItem(line, lineData, FALSE); 0 (message 910) without
  /// an interface.
  BOOL InsertItem(UINT line, UINT lineData);
  /// IGridView::DeleteItem; 0 (message 911) without an interface.
  BOOL DeleteItem(UINT line, BOOL redraw);
  /// Sets the item to resource string `stringNumber` ("<N>" when missing).
  /// 0 (message 920) without an interface or context.
  BOOL SetItemRes(UINT line, UINT column, UINT stringNumber) const;

  HWND hGrid;  ///< set by DispColHeaders
  UINT ctrlId; ///< (UINT)-1: the window handed to DispColHeaders is the grid
  DWORD style; ///< grid style bits, changed by callers between uses
  CVQLibrary *pLib;
  IGridView *pGrid; ///< set by DispColHeaders
  UINT colCount;
  const SGridColDef *colDefs;
};

/// One column of a grid description: the SGridColDef layout, then the
/// column's colours (COLORREF) and its literal texts.
struct SGridColDesc {
  BYTE kind;
  BYTE flags;
  BYTE justify;
  BYTE spare; ///< read and written back, not passed to the grid
  UINT id;    ///< see CGridDesc::ParseDesc
  UINT width;
  UINT headerString; ///< always (UINT)-1: the header is literal
  COLORREF backEven; ///< with GCF_BACKCOLORS; default white
  COLORREF text;     ///< with GCF_TEXTCOLOR; default black
  COLORREF backOdd;  ///< with GCF_BACKCOLORS; default white
  COLORREF text2;    ///< with GCF_TEXTCOLOR; kept, not painted
  char header[66];
  char joker[34];
};

/// Grid columns described in a configuration file: the lines
///   SortColumn: first, second
///   GridColumn: kind, flags, justify, spare, width, backEven, text, backOdd,
///               text2, "joker", "header"
/// of a block, colours written as 0xRRGGBB. Failures are logged (tag
/// "CGridDesc") and shown as messages 1000, 1001 (as CGridDef's 900, 901),
/// 1010, 1011 (as 910, 920), 1020 (a line that does not parse), 1021 (empty
/// joker name), 1022 (empty header), 1030 (no GridColumn line), 1031 (no
/// memory).
class VQ_TBL32_API CGridDesc {
public:
  /// `unused` is accepted for the callers' sake and not kept.
  CGridDesc(CVQLibrary *library, UINT controlId, UINT unused, DWORD gridStyle);
  ~CGridDesc();
  CGridDesc(const CGridDesc &) = delete;
  CGridDesc &operator=(const CGridDesc &) = delete;

  /// Releases the columns.
  void FreeDesc();
  /// Reads the SortColumn and GridColumn lines of the current block (`name`
  /// is not used). Every column gets the grid's control id as its command
  /// id (0 when ctrlId is (UINT)-1), so that its notifications reach the
  /// parent under the grid's own id. 1, or 0 with no columns left (the sort
  /// numbers are kept).
  BOOL ParseDesc(CVQConfFile &config, const char *name);
  /// Writes the lines into the edited file, inside a block `name` ... END
  /// when `name` is not empty. Returns 1.
  BOOL EditDesc(CVQConfFile &config, const char *name) const;
  /// As CGridDef::DispColHeaders, with literal headers and the columns'
  /// colours (messages 1000, 1001).
  BOOL DispColHeaders(HWND window, BOOL clear);
  /// As CGridDef::InsertItem (message 1010).
  BOOL InsertItem(UINT line, UINT lineData);
  /// As CGridDef::SetItemRes (message 1011).
  BOOL SetItemRes(UINT line, UINT column, UINT stringNumber) const;

  HWND hGrid;
  UINT ctrlId;
  DWORD style;
  UINT sortColumn1;
  UINT sortColumn2;
  CVQLibrary *pLib;
  IGridView *pGrid;
  UINT colCount; ///< records read
  UINT colAlloc; ///< records allocated
  SGridColDesc *colDescs;
};

/* ---- Key, gallery and table descriptions -------------------------------- */

/// The engine's index description table item (vq_isa32.h): 58 bytes per key.
struct ISAMIDT;

/// Thrown by the copies of the description record tables (CVQKeyDescList,
/// CVQImgNameDescList, CVQGallDesc, CVQTableDesc, CVQTableDescList) when the
/// memory for a copied record table cannot be had; the copy has logged
/// "CopyOperator: Cannot allocate a new record table" (level 0) first. The
/// record allocators of the descriptions catch it.
class VQ_TBL32_API CVQTblErr {
public:
  CVQTblErr() : text("CopyOperator: Cannot allocate a new record table") {}
  explicit CVQTblErr(const char *reason) : text(reason) {}
  const char *what() const { return text; }

private:
  const char *text; ///< static text
};

/// One part of an index key: a field of the table, named, and the engine's
/// key partition type of its bytes.
struct SVQKeyPart {
  UINT partType;      ///< the engine's key partition type code; (UINT)-1 = none
  char fieldName[32]; ///< at most 31 characters, compared without ASCII case
};

/// One index key of a table: five attributes the engine interprets (each
/// handed to it as one byte) and up to four key parts in key order. A
/// plain record, copied by value inside a CVQKeyDescList. Failures are
/// logged (tag "CVQKeyDesc") and shown as messages 1200-1204 (reading) and
/// 1210-1213 (CVQKeyDescList::CreateIDT).
///
/// Configuration lines of a key block:
///   Key:      attribute1, attribute2, attribute3, attribute4, attribute5
///   KeyPart:  "type name", "field name"      (one line per part)
class VQ_TBL32_API CVQKeyDesc {
public:
  enum : UINT { kMaxParts = 4, kAttributes = 5 };

  /// Attributes and part count 0; every part of type (UINT)-1 with an empty
  /// field name.
  CVQKeyDesc();

  /// Reads the key from the current KEY block: the "Key:" line (missing
  /// numbers are 0) and its 1 to 4 "KeyPart:" lines; `index` numbers the
  /// key in messages only. 1, or 0 after message 1200 (the "Key:" line does
  /// not parse), 1201 (no key part), 1202 (more than 4), 1203 (a key part
  /// line does not parse) or 1204 (a type name the engine does not know);
  /// the key is then partly filled.
  int ReadDef(CVQConfFile &conf, const char *keyword, UINT index);
  /// Writes an empty comment, the "Key:" line and one "KeyPart:" line per
  /// part into the block the caller has opened. Returns 1.
  int WriteDef(CVQConfFile &conf) const;
  /// Fills the grid lines firstLine .. firstLine + partCount - 1, which the
  /// caller has inserted (nine columns: key number from 1, the attributes
  /// and the part count on the first line only, type name and field name
  /// on every line). Returns 1; nothing is set without a grid interface.
  int DispDef(CGridDef &grid, UINT key, UINT firstLine) const;

  UINT attributes[kAttributes];
  UINT partCount; ///< 1..4 after a successful read
  SVQKeyPart parts[kMaxParts];
};
static_assert(sizeof(CVQKeyDesc) == 6 * 4 + 4 * 36, "CVQKeyDesc is a fixed record");

/// The keys of one table, by value, in key order: a record table (a word
/// that copies reset to 0, the records in use, the records allocated, the
/// owned array from new[]).
class VQ_TBL32_API CVQKeyDescList {
public:
  CVQKeyDescList() : reset(0), count(0), capacity(0), keys(nullptr) {}
  /// Frees the array and clears the three words.
  ~CVQKeyDescList();
  /// Deep copies; CVQTblErr when the array cannot be had (the target of an
  /// assignment keeps its old records then).
  CVQKeyDescList(const CVQKeyDescList &other);
  CVQKeyDescList &operator=(const CVQKeyDescList &other);

  /// Frees the array; the list is empty.
  void Free();
  /// The engine's index description table of the keys over `fields`: one
  /// 58-byte item per key, in key order, for ISAMCreateTable. NULL after
  /// message 1210 (no keys), 1211 (no fields), 1212 (no memory) or 1213 (a
  /// key part names no field of the list).
  ISAMIDT *CreateIDT(const CVQFieldDescList &fields) const;
  /// Releases a table made by CreateIDT; NULL does nothing.
  void FreeIDT(ISAMIDT *idt) const;

  UINT reset;
  UINT count;
  UINT capacity;
  CVQKeyDesc *keys;
};

/// One image file name definition of a gallery: a template that table
/// browsing expands for a record.
class VQ_TBL32_API CVQImgNameDesc {
public:
  CVQImgNameDesc() : textLength(0), imageName{} {}
  /// Reads the text of the next `keyword` line of the running sequence;
  /// an unreadable line leaves length 0 and the empty name. Returns 1.
  BOOL ReadDef(CVQConfFile &conf, const char *keyword, UINT index);

  UINT textLength; ///< as the reader reported it; 0 when the line could not be read
  char imageName[512];
};

/// The image file name definitions of a gallery, in file order: a record
/// table like CVQKeyDescList.
class VQ_TBL32_API CVQImgNameDescList {
public:
  CVQImgNameDescList() : reset(0), count(0), capacity(0), images(nullptr) {}
  ~CVQImgNameDescList();
  /// Deep copies; CVQTblErr as CVQKeyDescList's.
  CVQImgNameDescList(const CVQImgNameDescList &other);
  CVQImgNameDescList &operator=(const CVQImgNameDescList &other);

  void Free();

  UINT reset;
  UINT count;
  UINT capacity;
  CVQImgNameDesc *images;
};

/// A table's settings for showing its records' images as a gallery of dias.
/// Lines of the table's block, written only while `enabled`:
///   GalleryLayout:  layout              ; gallery  windows layout
///   GalleryDiaMode: diaMode             ; gallery dia display mode
///   GalleryDiaSize: diaWidth, diaHeight ; Gallery dia display size
///   ImageFileName:  "template"          ; image filename definition
/// A layout or dia mode line switches the gallery on; a size line alone
/// does not. Failures are logged with the tag "CVQGallDesc".
class VQ_TBL32_API CVQGallDesc {
public:
  /// Switched off, codes 0, dia size 80 by 80 (what a read without a size
  /// line gives), no images.
  CVQGallDesc() : enabled(0), layout(0), diaMode(0), diaWidth(80), diaHeight(80) {}

  /// Reads the gallery lines of the reader's current block. 1, or 0 after
  /// message 1 when the image records cannot be had (the image list is
  /// then empty; the other members are read).
  BOOL ReadDef(CVQConfFile &conf);
  /// Writes the lines when `enabled`, nothing otherwise. Returns 1.
  BOOL WriteDef(CVQConfFile &conf) const;
  /// Switches the gallery off and frees the images; codes and size stay.
  void FreeGallery();

  BOOL enabled;
  UINT layout;
  UINT diaMode;
  UINT diaWidth;
  UINT diaHeight;
  CVQImgNameDescList images;
};

/// One table of an ISAM file: its name, the index node size the engine
/// creates it with, its fields, its keys and its gallery. It reads and
/// writes its TABLE block of a configuration file, stores that block's
/// text inside the ISAM file it creates the table in and reads it back,
/// checks itself, and edits and shows its field and key lists.
///
/// Key parts name their fields by name, so moving fields renumbers
/// nothing. A flat key part number counts the key parts over all keys in
/// key order (key 0's parts first).
///
/// Failures are logged (level 0 unless noted, tag "CVQTableDesc") and shown
/// as messages 0-2 (block reading) and 1400-1490; engine errors through
/// ISAMDispError. Search results are (UINT)-1 for "not found".
class VQ_TBL32_API CVQTableDesc {
public:
  /// Index node size 1024, empty name, no fields, keys or images.
  CVQTableDesc() : indexNodeSize(1024), name{} {}
  /// Deep copies of every list; CVQTblErr when a record table cannot be
  /// had. Assignment to itself does nothing.
  CVQTableDesc(const CVQTableDesc &other);
  CVQTableDesc &operator=(const CVQTableDesc &other);

  /// Reads the table from the reader's current block: the keyword's text is
  /// the name, "INDEXNODESIZE" (2048 without it), the KEY blocks, the FIELD
  /// blocks, the gallery lines; the fields come out sorted by offset.
  /// `index` numbers the table in messages only. 1, or 0 after the
  /// failure's messages (1400, 0, 1, 2 or the key's or field's own).
  BOOL ReadDef(CVQConfFile &conf, const char *keyword, UINT index);
  /// Writes the block `keyword` "name" ... `keyword` END with the index
  /// node size, the fields, the keys and the gallery. 1, or 0 when a part
  /// refused.
  BOOL WriteDef(CVQConfFile &conf, const char *keyword) const;
  /// Fills the description from table `tableNumber` of the open ISAM file:
  /// its name, the engine's index node size and the stored block text. A
  /// table without a stored text keeps its fields, keys and gallery.
  BOOL ReadDesc(void *isamFile, UINT tableNumber);
  /// Creates the table in the open ISAM file and stores its block text
  /// with it. A table created stays even when storing its text fails.
  BOOL CreateISAMTable(void *isamFile) const;
  /// 1 when the table can be created: a name, an index node size of
  /// 32..65535, fields that pass their check and share no byte, keys.
  /// Otherwise 0 after one of the messages 1400-1410; unused record bytes
  /// show 1409 and pass.
  BOOL VerifyTable() const;
  /// Empties the field and key lists; name, node size and gallery stay.
  void FreeTable();

  /// Inserts a field named `name` at *position, or moves the field of that
  /// name there when it exists inside the list; at or past the end a new
  /// field is appended. *position receives where the field is. 1, or 0
  /// after message 1410 or 1411 with the list unchanged.
  BOOL InsertField(const char *name, UINT *position);
  /// Renames field `field` (cut to 31 characters); key parts keep the old
  /// name. 0 (logged) for an invalid index.
  BOOL SetFieldName(UINT field, const char *name);
  /// Inserts a key of one empty part at *position (appended at or past the
  /// end). 1, or 0 after message 1415 or 1416 with the list unchanged.
  BOOL InsertKey(UINT *position);
  /// The key holding flat key part number `flatPart`.
  UINT KeyPartToIndex(UINT flatPart) const;
  /// The part number within its key of flat key part number `flatPart`.
  UINT KeyPartToPart(UINT flatPart) const;
  /// The first key whose key part 0 names field `field`.
  UINT FindKeyToFieldIndex(UINT field) const;
  /// The first field named by part `part` of key `key`.
  UINT FindFieldToKeyIndex(UINT key, UINT part) const;
  /// Copies the name of field `field` into part `part` of key `key`; does
  /// nothing unless all three exist.
  void SetKeyFieldIndex(UINT key, UINT part, UINT field);

  /// Line `line` of a table list: name, field count, key count, record
  /// size, index node size. Return 1.
  BOOL DispDef(CGridDef &grid, UINT line);
  BOOL DispDef(IGridView *view, UINT line);
  /// CVQFieldDesc::DispDef of field `field`; 0 (logged) for an invalid index.
  BOOL DispFieldProperties(CGridDef &grid, UINT field);
  /// Empties the grid and shows every key part as one line (messages 1420,
  /// 1421).
  BOOL ListKeys(CGridDef &grid) const;
  /// Gives the grid (`window` itself when controlId is (UINT)-1, else its
  /// child) one plain text column per field, with the field's width,
  /// justification and name, and column ids controlId + 1 + field. The
  /// grid's interface, or NULL after message 1430-1433.
  IGridView *DispGridDataHeader(HWND window, UINT controlId);
  /// Fills the combo box (`window` itself when controlId is 0 or (UINT)-1,
  /// else its child) with the named fields and selects `selectName`.
  BOOL FillFieldsCombo(HWND window, UINT controlId, const char *selectName) const;
  /// The selected entry of the combo box into `buffer` (room for a field
  /// name). 0 (logged) without a box, a selection or its text.
  BOOL GetCurrSelCombo(HWND window, UINT controlId, char *buffer) const;

  /// Prints the field list on the default printer, document "ISAM Table
  /// Field List": a title area with the table's name, a column header
  /// repeated on every page, one line per field, and a summary of field
  /// count, record size and total display width; every page has a header
  /// line with date, time and page number. 1 after the print; 0 when the
  /// printer could not be opened (CVQPrint logs why).
  BOOL PrintFieldList(HWND owner) const;
  /// Returns 1 and prints nothing; no printer is opened.
  BOOL PrintKeyList(HWND owner) const;

  /// Lets the user edit the description in a modal property sheet (caption
  /// string 2710) owned by `parent`, with the pages chosen by the bits of
  /// `pages`: 0x01 the fields (template 5300), 0x02 the keys (5310), 0x04
  /// the gallery (5320, only while the gallery is enabled), in that order,
  /// starting on page `startPage` of those shown. Every edit changes the
  /// description at once; Cancel undoes nothing. The option dialogs 5330
  /// (number), 5340 (decimal) and 5350 (date/time) edit a field's type
  /// words. Returns what PropertySheetA returned (1 after OK or Apply, 0
  /// after a cancel); 0 after message 1701 with the last error when the
  /// sheet could not be shown (no page, a start page beyond them, a
  /// missing template), logged with the tag "CVQTableDescDlg". Deleting
  /// asks 1710 (a field, by name), 1711 (a line without a field) or 1712
  /// (a key or image, by number from 1); a key part count outside 1..4 is
  /// refused with message 1713.
  int PropertySheetA(HWND parent, UINT pages, UINT startPage);

  UINT indexNodeSize;
  char name[32];
  CVQKeyDescList keys;
  CVQFieldDescList fields;
  CVQGallDesc gallery;
};

/// The table descriptions of a file, by value, in file order: a record
/// table like CVQKeyDescList. Destroying it destroys every description.
class VQ_TBL32_API CVQTableDescList {
public:
  CVQTableDescList() : reset(0), count(0), capacity(0), tables(nullptr) {}
  ~CVQTableDescList();
  /// Deep copies through CVQTableDesc::operator=; CVQTblErr as
  /// CVQKeyDescList's.
  CVQTableDescList(const CVQTableDescList &other);
  CVQTableDescList &operator=(const CVQTableDescList &other);

  void Free();

  UINT reset;
  UINT count;
  UINT capacity;
  CVQTableDesc *tables;
};

/* ---- File description --------------------------------------------------- */

/// One data file: the path of an ISAM file or of a configuration file, what
/// kind of file it names, and its table descriptions in file order. A host
/// opens a path with InitDescEdit, edits the tables, checks them with
/// VerifyDesc, writes the configuration file back with WriteDesc or creates
/// an ISAM file with CreateISAMFile.
///
/// A configuration file is a header of comment lines and one TABLE block
/// per table (see CVQTableDesc::WriteDef); an ISAM file carries each table's
/// block as its stored description.
///
/// Failures are logged (level 0 unless noted, tag "CVQFileDesc") and shown
/// as messages 0-2 (block reading) and 1500-1553; engine errors through
/// ISAMDispError.
class VQ_TBL32_API CVQFileDesc {
public:
  /// No tables, an empty path, all flags 0, no table selected.
  CVQFileDesc() : isIsamFile(0), isReadOnly(0), isNewConfig(0), curTable(~0u), fileName{} {}
  /// Deep copies of the path, the flags and every table; CVQTblErr when
  /// the table array cannot be had. Assignment to itself does nothing.
  CVQFileDesc(const CVQFileDesc &other);
  CVQFileDesc &operator=(const CVQFileDesc &other);

  /// Destroys every table description; the list is empty.
  void Free();
  /// Opens `path`: the tables stored in an ISAM file, or the TABLE blocks of
  /// a configuration file. A configuration path (".CFG") that does not
  /// exist gives message 1521 and 0 without `allowNew`, and with it the
  /// question 1520 and an empty description (isNewConfig). A table block
  /// that does not read empties the list and still gives 1. 0 for a path
  /// that names nothing usable, or when the ISAM file cannot be read.
  /// `owner` is not used.
  BOOL InitDescEdit(HWND owner, const char *path, BOOL allowNew);
  /// Replaces the tables by those stored in the open ISAM file `isamFile`.
  /// A file whose tables cannot be counted leaves the list empty and gives
  /// 1; 0 after message 1510 (no memory) or when a table does not read.
  BOOL InitTableDescs(void *isamFile);
  /// Writes the configuration file (header, then one block per table),
  /// replacing the file whole or not at all. Writes nothing and gives 1 for
  /// an ISAM file or a read-only file; 0 when a table cannot be written.
  BOOL WriteDesc() const;
  /// Checks every table in order; the first that fails goes to *badTable
  /// (which stays untouched when all pass). 0 after message 1530 (no
  /// tables, *badTable = (UINT)-1) or the table's own message.
  BOOL VerifyDesc(UINT *badTable) const;
  /// Creates an ISAM file holding every table, at `path` or, for NULL or
  /// "", where the user chooses in the save dialog; a chosen file that
  /// exists is replaced only after the question 1522 is answered yes. A file
  /// whose tables cannot all be created is removed again. The description's
  /// own path and flags do not change.
  BOOL CreateISAMFile(HWND owner, const char *path);
  /// Creates `destination` as a new ISAM file with the tables (empty) of the
  /// ISAM file `source`; the description then holds the source's tables. A
  /// destination that exists is refused (1553) before the source is opened;
  /// a half-made destination is removed. Messages 1550-1553.
  BOOL CopyISAMStructure(const char *source, const char *destination);
  /// Does nothing and gives 0: InitDescEdit opens files.
  BOOL OpenISAMFile(HWND owner, const char *path);

  /// Inserts a table named `name` (index node size 1024, nothing else) at
  /// *position, or moves the table of that name there when it exists
  /// inside the list; at or past the end a new table is appended.
  /// *position receives where the table is. 0 after message 1501 or 1502
  /// with the list unchanged.
  BOOL InsertTable(const char *name, UINT *position);
  /// Destroys table `table`; the later ones move down. 0 for an invalid index.
  BOOL DeleteTable(UINT table);
  /// Renames table `table` (cut to 31 characters); 0 after message 1500
  /// for an invalid index.
  BOOL SetTableName(UINT table, const char *name);
  /// The index of the first table named `name` (without regard to case),
  /// or (UINT)-1; nothing is logged.
  UINT FindTableName(const char *name) const;
  /// The first table named `name`, or NULL (logged).
  CVQTableDesc *GetTableItem(const char *name);
  const CVQTableDesc *GetCTableItem(const char *name) const;

  /// Puts the table list's five columns (name, fields, keys, record size,
  /// index node size) into the grid `gridId` of `dialog`; `flag` sets grid
  /// style bit 0x02. 0 after message 1540 when the grid is not found.
  BOOL HeadTables(HWND dialog, UINT gridId, BOOL flag) const;
  /// Shows one line per table: in the grid HeadTables prepared, in the
  /// caller's grid definition, or in a grid window (`window` itself when
  /// controlId is 0 or (UINT)-1, else its child). 0 for no tables (logged,
  /// level 1), a grid without interface, or a line that cannot be shown.
  BOOL ListTables() const;
  BOOL ListTables(CGridDef &grid) const;
  BOOL ListTables(HWND window, UINT controlId) const;
  /// Fills the combo box (`window` itself when controlId is 0 or (UINT)-1,
  /// else its child) with the named tables and selects `selectName`.
  BOOL FillTablesCombo(HWND window, UINT controlId, const char *selectName) const;
  /// The selected entry of the combo box into `buffer` (room for a table
  /// name). 0 (logged) without a box, a selection or its text.
  BOOL GetCurrSelCombo(HWND window, UINT controlId, char *buffer) const;

  BOOL isIsamFile;  ///< the path names an ISAM file
  BOOL isReadOnly;  ///< the file has the read-only attribute
  BOOL isNewConfig; ///< a configuration file that does not exist or could not be read
  UINT curTable;    ///< the host's selected table, (UINT)-1 for none; set by the host
  char fileName[260];
  CVQTableDescList tables;

private:
  /// 0 a configuration path that does not exist, 1 nothing usable, 2 an
  /// ISAM file, 3 any other existing file. Sets the three flags.
  UINT TestFileType(const char *path);
};

/// Orders `name` against the table's name without regard to ASCII case, as
/// strcmp's sign does.
VQ_TBL32_API int CmpTableName(const void *name, const CVQTableDesc *table);

/* ---- Joker string comparer --------------------------------------------- */

/// A text pattern with three jokers: the char joker '?' stands for any one
/// character, the digit joker '#' for one of '0'-'9', and the run joker '*'
/// splits the pattern into segments that match in order with any run of
/// characters between them.
///
/// The matching rules, for the record: the first segment is anchored at
/// the start of the text and the last one at its end; a pattern without a
/// run joker matches texts of exactly its length; the middle segments take
/// the leftmost place that fits. A leading run joker may stand for nothing,
/// but a trailing one (or an empty segment between doubled run jokers)
/// needs at least one character left for it: "AB*" does not match "AB",
/// "*AB" and "A*B" do. A digit joker matches a digit or itself, but a
/// middle segment that begins with it is only sought at digits.
///
/// At most 16 segments (15 run jokers) of up to 63 characters are kept;
/// longer segments are cut. A pattern with more run jokers is refused:
/// SetupString logs it (level 0, tag "CVQStrCmp") and returns 0.
///
/// The member names CompareStringA and CompareiString are this class's own;
/// the Win32 function CompareStringA is a different, global function and
/// is never a macro, so the two do not meet.
class VQ_TBL32_API CVQStrCmp {
public:
  enum : UINT { kMaxSegments = 16, kSegmentSize = 64 };
  struct Segment {
    UINT length;
    char text[kSegmentSize];
  };

  /// The jokers '?', '#' and '*', and no segments: a comparer that was
  /// never set up (or whose set-up failed) matches no text.
  CVQStrCmp() : charJoker('?'), digitJoker('#'), runJoker('*'), segmentCount(0), segments{} {}

  /// Splits `length` characters of the pattern (0 = up to its terminator)
  /// at the run jokers; `upper` non-zero upper-cases the segments with the
  /// system's character mapping, as CompareiString needs. 1 when set up; 0
  /// (and no segments) for no pattern, an empty one or one with more than
  /// 15 run jokers.
  int SetupString(const char *pattern, UINT length = 0, int upper = 0);
  /// 1 when `length` characters of the text (0 = up to its terminator)
  /// match the pattern; `trim` non-zero drops leading and trailing blanks
  /// and tabs first. No text, or nothing left, matches nothing.
  int CompareStringA(const char *text, UINT length = 0, int trim = 0) const;
  /// As CompareStringA, with the text's ASCII letters upper-cased before
  /// they are compared; the pattern must have been set up upper-cased.
  int CompareiString(const char *text, UINT length = 0, int trim = 0) const;

  char charJoker;
  char digitJoker;
  char runJoker;
  UINT segmentCount;
  Segment segments[kMaxSegments];
};

/* ---- Selection language ------------------------------------------------ */

class CVQListView;

/// Logical operator codes (SVQDataCompOper::Oper). A smaller code binds
/// more loosely: AND before XOR before OR.
enum : BYTE { loOR = 0, loXOR = 1, loAND = 2 };

/// Comparison function codes (SVQDataCompExpr::Func). Parsing gives 0, 1
/// and 4-7; resolution turns 0 and 1 into 2 and 3 where the comparison goes
/// through the joker string comparer.
enum : BYTE {
  cfEQUAL = 0,
  cfNOTEQUAL = 1,
  cfSTREQUAL = 2,
  cfSTRNOTEQUAL = 3,
  cfGREATER = 4,
  cfGREATEREQUAL = 5,
  cfLESS = 6,
  cfLESSEQUAL = 7,
};

/// The first byte (idRec) of the two kinds of tree record.
enum : BYTE { idEXPRESSION = 0, idOPERATION = 1 };

/// A link to one tree record; an empty link holds none.
struct SVQDataCompLink {
  BYTE fAlloc; ///< 1 when the link holds a record
  void *pOper; ///< an SVQDataCompExpr or SVQDataCompOper (see its idRec), or NULL
};

/// A logical operation on up to two operands.
struct SVQDataCompOper {
  BYTE idRec;  ///< idOPERATION
  BYTE Oper;   ///< loOR, loXOR or loAND
  BYTE nLinks; ///< the non-empty links: 0, 1 or 2
  /// Left and right operand; when the left one came out empty (a text
  /// "() OR a = 1") the right one stands in Link[0].
  SVQDataCompLink Link[2];
};

/// One comparison of a column with a value.
struct SVQDataCompExpr {
  BYTE idRec;       ///< idEXPRESSION
  BYTE bReserved;   ///< always 0
  BYTE Func;        ///< cf... code
  BYTE fNoCase;     ///< set by resolution: 1 = the string comparison ignores case
  UINT nField;      ///< set by resolution: the column's field index; all ones = unresolved
  CVQStrCmp StrCmp; ///< the value's joker pattern, set up by resolution
  numVal CompVal;   ///< set by resolution: the value in the column's numeric form
  char Column[64];  ///< the column name, upper-cased
  char Value[64];   ///< the value as written, without quotes, case kept
};

class CVQTableDesc;

/// Describes and delivers a field by its column name, for hosts whose
/// records no CVQTableDesc describes. Non-zero when it knows the column; it
/// never writes more than `bufferSize` bytes.
///
/// At cbresolve (256-byte buffer): a sample of the field's text and its
/// length (0 = none); `*kind` the presentation kind (pkTEXT .. pkDECIMAL);
/// `*value` the encode type (iteINT8 .. iteTEXT). `*type` is preset to all
/// ones; a callback that sets it to the engine field type 1 (text compared
/// without case) gets its patterns upper-cased, so that they can match the
/// way cbtestdata compares that type.
///
/// At cbtestdata (512-byte buffer): the current record's field data and
/// its length; `*type` the engine field type code (lbFldTypes); for the
/// codes whose value the callback computes itself, `value` points to 8
/// bytes for it and `*kind` says which numVal member holds it.
typedef int (*SelFieldCallback)(const char *column, char *buffer, UINT bufferSize, UINT *length,
                                UINT *kind, UINT *value, UINT *type, LONG_PTR context);

/// A selection: a text such as NAME = 'MAIER' UND PLZ >= 80000 parsed into
/// a tree of comparisons joined by logical operators. The empty selection
/// (an empty root link) passes every record.
///
/// Language. A comparison is a column, an operator (= == != <> < <= > >=)
/// and a value; comparisons are joined by ODER / OR / ||, XOR / ^^ and
/// UND / AND / && (any case) and grouped by parentheses. AND binds tighter
/// than XOR, XOR tighter than OR; a chain of equal operators nests to the
/// right. A token is a word (letters, digits, "%_,-:.", jokers "#*?" and
/// the letters of German), a run of operator characters ("!&<=>^|") or a
/// text in single or double quotes. Parentheses close groups without
/// regard to quotes.
///
/// Errors are logged (level 0, tag "CVQTblSelDesc") and shown as numbered
/// error boxes that quote the text concerned, cut to 252 characters and
/// "..." when it is longer than 255:
/// - 710 a quote is not closed, 711 a character that starts no token;
/// - 712 a token longer than its field: 63 characters for a column or a
///   value, 31 for an operator (the box names the limit);
/// - 720 a group is not closed, 721 no column, 722 nothing after the
///   column, 723 no operator token, 724 nothing after the operator, 725 no
///   value token (721, 723 and 725 follow the tokenizer's own 710-712);
/// - 726 more than 128 terms on one level;
/// - 727 groups nested, or operations stacked, more than 256 deep (enough
///   for what `edit` writes of any tree that parses);
/// - 730 no logical operator after a term, 731 an unknown logical
///   operator, 732 an unknown comparison operator;
/// - 700 memory is short.
/// A failed text leaves the empty selection behind.
class VQ_TBL32_API CVQTblSelDesc {
public:
  CVQTblSelDesc() : Root{0, nullptr} {}
  ~CVQTblSelDesc() { free(&Root); }
  CVQTblSelDesc(const CVQTblSelDesc &) = delete;
  CVQTblSelDesc &operator=(const CVQTblSelDesc &) = delete;

  /// Replaces the tree by the parse of `length` characters of `text`. A
  /// NULL text, a length of 0 or blanks give the empty selection. 1 when
  /// parsed (or empty); 0 after a message, with the tree empty.
  int parse(const char *text, UINT length);
  /// Releases the link's records and empties it; NULL does nothing.
  void free(SVQDataCompLink *link);
  /// Writes the tree as text: comparisons as COLUMN op "value", operations
  /// below the root in "( ... )", operators as || ^^ &&. The text of an
  /// operation at the root ends with a blank. `buffer` must hold the whole
  /// text and its terminator (the selection dialog passes 512 bytes).
  /// Returns the length; 0 and the empty text for the empty selection, 0
  /// for no buffer. A value holding '"' does not read back the same.
  UINT edit(char *buffer) const;
  /// As edit(buffer), bounded: writes at most `size` - 1 characters and the
  /// terminator (nothing for size 0 or no buffer) and returns the length of
  /// the whole text form, as snprintf does; a result of `size` or more
  /// means the text was cut. The text form can be longer than the text that
  /// was parsed ("a=1" becomes A == "1"), so a caller with a fixed buffer
  /// uses this form.
  UINT edit(char *buffer, UINT size) const;
  /// Empties the list view and lists the comparisons left to right, one
  /// row each: column, operator, value (item data = row number). 1 when at
  /// least one row was listed.
  int disp(CVQListView *listView) const;
  /// Writes the tree below `link` (NULL = the root) to the log, level 5.
  void dump(const SVQDataCompLink *link = nullptr) const;

  /// Resolution prepares every comparison for one table: its column is
  /// found among the fields, and its value becomes a joker pattern (for
  /// texts, and for any comparison with '#', '*' or '?'), a binary number, a
  /// day number or a scaled decimal. It stops at the first comparison that
  /// cannot be prepared, logged (level 0, tag "CVQTblSelDesc") and shown as
  /// an error box:
  /// - 740 the column names no field (or the callback does not know it);
  /// - 741 the pattern cannot be set up (empty, or more than 15 '*');
  /// - 742 an order comparison (< <= > >=) with jokers;
  /// - 743 an order comparison on text whose value is no number, or on a
  ///   kind that has no order;
  /// - 745, 746 a date or decimal comparison on a field not stored as text.
  /// The empty selection resolves. 1 = every comparison resolved.
  ///
  /// An order comparison on a text field compares numbers: the value and
  /// the field's text are both read by their digits, and a record whose
  /// text is no number does not pass.
  int resolve(const CVQTableDesc *table);
  /// As resolve, with the fields described by `callback` (see
  /// SelFieldCallback). Signedness and decimals are not known in this
  /// form: values are read as unsigned numbers.
  int cbresolve(SelFieldCallback callback, LONG_PTR context);
  /// 1 when the record of `size` bytes passes the selection resolved
  /// against `table`: operations evaluate their right operand only when the
  /// left one does not decide, and an empty operand counts as passing.
  /// Whatever cannot be read does not pass. Allocates nothing.
  int testdata(const CVQTableDesc *table, const char *record, UINT size) const;
  /// As testdata, for the record whose fields `callback` delivers.
  int cbtestdata(SelFieldCallback callback, LONG_PTR context) const;
  /// The index key of the first comparison of the tree (whatever the
  /// operators) and the lowest and highest key values for it: the first key
  /// whose part 0 names that column, the value placed in the first part and
  /// every further part filled with its field's lowest and highest value.
  /// `low` and `high` must each hold the key's length and a terminator. The
  /// selection must have been resolved against `table`. 1 when found; 0,
  /// logged, when there is no comparison, no key or no field for a part
  /// (the last two also shown as text boxes).
  ///
  /// The limits are a hint: they hold every passing record where the first
  /// comparison is an equality without jokers, on a text (or a number
  /// written to the field's full width), that every passing record must
  /// meet, and the key orders as the comparison does. A host still tests
  /// each record it reads with testdata.
  int keyresolve(const CVQTableDesc *table, UINT *keyIndex, char *low, char *high) const;

  SVQDataCompLink Root;
};

/* ---- Record cache ------------------------------------------------------ */

/// One grid line known to a CVQRecCache: the line, the ISAM address of its
/// record and, while it holds one, the buffer with the record's bytes.
struct SCacheRecord {
  UINT tick;     ///< the cache's use counter at the record's last use
  UINT line;     ///< 0-based grid line; (UINT)-1 = the record is empty
  ULONG address; ///< ISAM record address of the line
  char *buffer;  ///< one of the cache's 64 record buffers, or NULL
};

/// Which ISAM record stands on which grid line, for a table shown in the
/// grid. 1024 cache records remember lines and addresses; 64 buffers in one
/// block hold copies of the most recently used records' bytes. A line whose
/// bytes were pushed out stays known by its address, so it can be read
/// again directly, and a line that is not known at all is reached from the
/// nearest known one. Least recently used records and buffers are reused
/// first; ties go to the lowest index.
///
/// Every lookup is a linear scan over the fixed arrays; nothing is
/// allocated after InitCache. The only failure is the allocation of the
/// buffer block in InitCache: logged (level 0, tag "CVQRecCache") and shown
/// as message 1600. Every other operation needs an initialised cache;
/// after FreeCache the cache knows no line and SaveRecord fails until the
/// next InitCache.
class VQ_TBL32_API CVQRecCache {
public:
  enum : UINT { kRecords = 1024, kBuffers = 64 };
  /// A record buffer and the index of the cache record that holds it.
  struct SBufferSlot {
    UINT owner; ///< (UINT)-1 = free
    char *buffer;
  };

  CVQRecCache();
  ~CVQRecCache();
  CVQRecCache(const CVQRecCache &) = delete;
  CVQRecCache &operator=(const CVQRecCache &) = delete;

  /// Takes a new block of 64 buffers of `recordBytes` each and empties the
  /// cache. 1 when ready; 0 (logged, message 1600) when the memory cannot be
  /// had, or the block would exceed 4 GB, and the cache then holds none.
  int InitCache(UINT recordBytes);
  /// Releases the buffer block; the cache forgets every line.
  void FreeCache();
  /// Forgets every line and buffer owner and restarts the use counter; the
  /// block stays.
  void InvalidateCache();
  /// The first empty record, else the least recently used one. Changes
  /// nothing.
  UINT FindFreeRecord();
  /// Gives record `index` the first free buffer, else the one whose owner
  /// was used least recently; that owner keeps its line and address but
  /// loses the buffer. The caller stores the result into the record. NULL
  /// for an index of 1024 or more and when no block is held.
  char *FindFreeBuffer(UINT index);
  /// The index of the record of `line`, stamped as used, or (UINT)-1.
  UINT FindLine(UINT line);
  /// The cached line closest to `line` (the lowest index among equally
  /// close ones) and its record index; 1 when found, 0 when no line is
  /// cached. Stamps nothing.
  int FindNearestLine(UINT line, UINT *nearestLine, UINT *index) const;
  /// FindLine, giving the record itself or NULL.
  SCacheRecord *FindRecord(UINT line);
  /// Record `index`, or NULL for 1024 or more. Stamps nothing.
  SCacheRecord *GetRecord(UINT index);
  /// Copies the record's bytes into the buffer of `line` (its own record if
  /// cached, else an empty or the least recently used one) with its
  /// address. 1 when saved; 0 with the box "Cannot find a free cache
  /// buffer." when no buffer can be had.
  int SaveRecord(const char *record, ULONG address, UINT line);

  UINT tick;
  UINT recordSize;
  UINT memorySize; ///< 64 x recordSize; 0 when no block is held
  char *memory;
  SBufferSlot buffers[kBuffers];
  SCacheRecord records[kRecords];
};

/* ---- Table browsing ----------------------------------------------------- */

class CICLName;

/// The owner-data callback that serves a CVQTableISAM's lines to its grid:
/// `context` is the browser. Makes `line` the current record (from the
/// record cache, by address, or by iterating from the nearest cached line)
/// and writes the text of field `column` with its length. 1, or 0 when the
/// line cannot be reached (the engine's error box was shown) or the column
/// is no field.
VQ_TBL32_API BOOL CALLBACK TableItemCallback(UINT line, UINT column, char *text, UINT size,
                                             UINT *written, DWORD_PTR context);

/// Progress of a count over an index: `visited` records read so far of the
/// index's `total`. A CVQTableISAM calls it while SetSelection or
/// DisplayTable counts, at most four times a second and only after the
/// count has run a quarter of a second, and once more with visited ==
/// total when it has called before, so that a bar can close. A command-line
/// host draws a bar; a window host may pump its messages here. Neither can
/// change the count.
typedef void(CALLBACK *PFNTABLEPROGRESS)(UINT visited, UINT total, DWORD_PTR userValue);

/// A table browser: holds the grid's interface and the shown table's
/// description and sets up the grid's columns. Neither is owned.
class VQ_TBL32_API CVQTableData {
public:
  CVQTableData() : grid(nullptr), tableDesc(nullptr), selection(nullptr), gridWindow(nullptr) {}
  /// Forgets grid, table and selection; destroys nothing.
  virtual ~CVQTableData();
  CVQTableData(const CVQTableData &) = delete;
  CVQTableData &operator=(const CVQTableData &) = delete;

  /// Sets the filter; the number of records that pass, 0 on failure.
  virtual UINT SetSelection(CVQTblSelDesc *newSelection) = 0;
  /// Shows the records in the order of index `index`; `extra` is not read.
  virtual int DisplayTable(UINT index, UINT extra, UINT descending) = 0;
  virtual int CloseTable() = 0;

  /// Binds the grid (`window` itself when controlId is (UINT)-1, else its
  /// child), one text column per field, and puts it into owner-data mode.
  /// 1, or 0 (logged, tag "CVQTableData") when the header cannot be shown.
  int InitTable(HWND window, UINT controlId);

  IGridView *grid;
  const CVQTableDesc *tableDesc;
  CVQTblSelDesc *selection;
  /// The grid's window, to tell whether `grid` still lives before the
  /// browser lets go of it.
  HWND gridWindow;
};

/// The records of one table of an ISAM file in a GS_OWNERDATA grid, in the
/// order of one index, ascending or descending, filtered by a selection.
/// A host calls InitISAMFile, InitTable, then SetSelection and DisplayTable
/// as the user changes filter, index or direction, and CloseTable or the
/// destructor. Lines are positions among the passing records in the shown
/// order; the grid pulls each cell through TableItemCallback.
///
/// Engine errors are shown by ISAMDispError with the failed call's name and
/// make the operation fail; the browser's own failures are logged (level 0,
/// tag "CVQTableISAM"). Handles the host passed in are never closed.
///
/// A count iterates the index with the selection applied, and only the key
/// ranges that hold every passing record where the selection limits the
/// index's first key part; while it runs the wait cursor is shown and the
/// progress callback, if any, is told how far it got. The DisplayTable
/// that follows SetSelection on index 0 shows SetSelection's count. At
/// most 64 records are held, the positions of 1024 recent lines, and the
/// address of every 256th line of the count, so that no line is more than
/// 128 lines' walk away.
struct SLineIndex;
class VQ_TBL32_API CVQTableISAM : public CVQTableData {
public:
  CVQTableISAM();
  ~CVQTableISAM() override;

  /// Opens (or, with handles given, adopts) the file and the file
  /// description's selected table and sizes the record buffer and cache.
  /// `readOnly` opens in mode 4, else 5. 1, or 0 after the log line or the
  /// engine's box, with nothing left open.
  int InitISAMFile(void *givenFile, void *givenTable, CVQFileDesc *file, int readOnly);
  /// Stores the selection (NULL = every record) and counts the records of
  /// index 0 that pass it; the next DisplayTable rebuilds.
  UINT SetSelection(CVQTblSelDesc *newSelection) override;
  /// Rebuilds the grid's lines for the index and direction unless both are
  /// those shown already. 1, or 0 when counting or reading the first record
  /// fails.
  int DisplayTable(UINT newIndex, UINT extra, UINT newDescending) override;
  /// Closes what this object opened; 1, or 0 when the engine refused.
  int CloseTable() override;
  /// The text of a cell into `buffer`: its length, or (UINT)-1.
  UINT GetDataField(UINT line, UINT column, char *buffer, UINT size);
  /// The first line at or after `line` whose record passes `search` (a
  /// selection resolved against the table), or (UINT)-1.
  UINT FindRecord(CVQTblSelDesc *search, UINT line);
  /// Builds the file name of image `image` of the gallery for the record on
  /// `line` into `name`, and the number read by a "#T" marker into its
  /// value. 1, or 0 (logged) for a missing image or field, a parameter of
  /// 63 characters or more, a `base` of 260 or more, or a name that would
  /// reach 260 characters.
  int GetImageName(CICLName *name, const char *base, UINT line, UINT image);
  /// Makes the counts report to `callback` (NULL: to nobody).
  void SetProgressCallback(PFNTABLEPROGRESS callback, DWORD_PTR userValue);

  void *fileHandle;
  void *tableHandle;
  int ownFile;
  int ownTable;
  UINT index;       ///< (UINT)-1 = none shown yet
  UINT descending;  ///< (UINT)-1 = the next DisplayTable rebuilds
  UINT currentLine; ///< line whose record is in recordBuffer; (UINT)-1 = none
  UINT recordSize;
  ULONG recordAddress;
  char *recordBuffer;
  char fileName[260];
  CVQRecCache cache;
  PFNTABLEPROGRESS progress;
  DWORD_PTR progressValue;
  SLineIndex *lineIndex; ///< what the last count learned of its lines; owned
};

/* ---- Selection dialog ---------------------------------------------------- */

/// The dialog in which the user types a selection, checks it and sees its
/// comparisons (template 5000 of the resource module). A successful check
/// replaces the selection's tree at once, even when the dialog is then
/// cancelled; parse errors show the parser's own boxes and keep the dialog
/// open. One selection dialog can be open at a time.
class VQ_TBL32_API CVQTblSelDlg {
public:
  explicit CVQTblSelDlg(CVQTblSelDesc *edited = nullptr) : reserved(0), selection(edited) {}

  /// Runs the dialog modally: 1 accepted, 0 cancelled, (UINT)-1 (logged)
  /// when the resource module or its template is missing.
  UINT Dialog(HWND parent);

  UINT reserved; ///< not used by the dialog
  CVQTblSelDesc *selection;
};

/* ---- List-view table field and key description sets --------------------- */

/// A field as an application defines it in a static table, 28 bytes. Its
/// name is the resource string `headerString` of the application's context.
struct SVQTblFldDesc {
  UINT position;     ///< byte offset of the field in the record
  UINT length;       ///< bytes of the field
  UINT type;         ///< engine field type code (lbFldTypes)
  UINT flags;        ///< 0x8000: drop leading zeros of text (codes 0, 1)
  UINT justChar;     ///< 'L' or 'l' left, 'R' or 'r' right, 'M' or 'm' middle
  BYTE width;        ///< percent of the list view's client width
  BYTE reserved[3];  ///< 0
  UINT headerString; ///< string number of the field's name
};
static_assert(sizeof(SVQTblFldDesc) == 28, "SVQTblFldDesc is a fixed record");

/// The justifications: left (0), middle (2), right (1), in this order,
/// named by resource strings 590, 591 and 592 (593 names any other value).
VQ_TBL32_API extern const CVQListBox lbJustTypes;

/// Thrown by the copies (copy constructor, assignment, construction from
/// source records) of CVQTblFldDesc and CVQTblKeyDesc when the memory for
/// the copied entries cannot be had; the copy has logged and shown its
/// message first.
class VQ_TBL32_API CVQTblFldErr {
public:
  CVQTblFldErr() : text("Not enough free memory to copy a table description set") {}
  explicit CVQTblFldErr(const char *reason) : text(reason) {}
  const char *what() const { return text; }

private:
  const char *text; ///< static text
};

/// Orders two SVQTblField entries by position: -1, 0 or 1 (qsort form).
VQ_TBL32_API int CmpFieldPos(const void *first, const void *second);

/// The fields of a table for standard list views, typed with the engine's
/// field type codes: built from an application's static source records or
/// read from configuration lines, written back, shown in list views (the
/// field list, or records with one column per field), sized in percent of
/// the control's width, searched by name, sorted and printed.
///
/// Failures are logged (tag "CVQTblFldDesc") and shown as numbered boxes:
/// 500 the keyword has no line, 501 memory is short (record count), 510 a
/// line does not parse (error number, file name), 511 fewer than six
/// numbers, 512 no name, 513 a justification other than L, M or R (field
/// number from 1), 520 a column cannot be inserted, 530 a line cannot be
/// inserted (numbers from 1), 550 no fields, 551 a type the engine does not
/// have, 552 a field of length 0, 553 a field without a name.
///
/// Configuration line of one field, in the block the caller chose:
///   keyword  pos, len, type, width, 'J', 0xFLAG, "name"  ; Table field definition
/// with J one of L, M, R (also read in lower case); a quote in the name is
/// doubled.
class VQ_TBL32_API CVQTblFldDesc {
public:
  CVQTblFldDesc() : count(0), fields(nullptr) {}
  /// One entry per 28 bytes of `source` (`sourceSize` bytes), its name
  /// loaded from the context's resource module. CVQTblFldErr (after message
  /// 501) when memory is short.
  CVQTblFldDesc(CVQLibrary *library, const SVQTblFldDesc *source, UINT sourceSize);
  /// Deep copies; CVQTblFldErr (after message 501, the target then empty).
  CVQTblFldDesc(const CVQTblFldDesc &other);
  CVQTblFldDesc &operator=(const CVQTblFldDesc &other);
  ~CVQTblFldDesc() { Free(); }

  /// Releases the entries; the count is 0.
  void Free();
  /// The largest position + length of the entries; 0 when there are none.
  UINT GetRecordSize() const;
  /// Inserts a zeroed entry before `index` (at the end for an index beyond
  /// it). 0 when memory is short (message 501): the set is then empty.
  int InsertField(UINT index);
  /// Removes entry `index`; 0 when it is not below the count.
  int DeleteField(UINT index);
  /// Exchanges entry `from` (clamped to the last) with entry `to`; 0 when
  /// `to` is not below the count.
  int MoveField(UINT from, UINT to);
  /// Names entry `index` (cut to 63 characters). 0 without entries, for an
  /// index out of range, or for no or an empty name.
  int SetFldName(UINT index, const char *name);
  /// The first entry named `name` (`length` characters, 0 = up to the
  /// terminator; cut to 63) without regard to case, or (UINT)-1 (logged at
  /// level 1 unless the set or the name is empty).
  UINT FindField(const char *name, UINT length = 0) const;
  /// Mode 0 sorts by the upper-case names (byte order), 1 by position;
  /// other modes and sets of fewer than two entries are left alone.
  void SortFields(UINT mode);
  /// 1 when every entry has an engine type code, a length and a name; with
  /// `allowEmpty` an empty set passes too. 0 after message 550-553.
  int IsPlausible(int allowEmpty) const;
  /// Replaces the set by the `keyword` lines of the current block. 1, or 0
  /// after message 500, 501, 510, 511, 512 or 513 with the set empty.
  int ParseDesc(CVQConfFile &conf, const char *keyword);
  /// Writes a comment head, one `keyword` line per entry and an empty
  /// comment into the block the caller has opened. 0 without entries
  /// (nothing written) or when the editor refuses a line.
  int EditDesc(CVQConfFile &conf, const char *keyword) const;
  /// Empties the wrapper's list view and shows one item per entry: name,
  /// position, length, type name, width and justification name.
  void FillDescLV(CVQListView &listView) const;
  /// Inserts one column per entry (its justification, width and name)
  /// unless the list view has as many columns already. 1, or 0 after
  /// message 520.
  int DispDataHeader(HWND listView) const;
  /// Sets the columns to their percentages of the client width, each cut
  /// so that the columns so far fit into it. Returns 1.
  int ResizeDataHeader(HWND listView) const;
  /// Scales the columns' present widths from `oldWidth` to the client
  /// width (0: as the one-argument form); `unused` is not consulted.
  int ResizeDataHeader(HWND listView, UINT oldWidth, UINT unused) const;
  /// Inserts item `line` (text by callback, `lineData` as its value) with
  /// the display text of every field that starts inside the record (cut to
  /// its end). 1, or 0 after message 530.
  int InsertDataLine(HWND listView, UINT line, LPARAM lineData, const void *record,
                     UINT recordLength) const;
  /// The field's bytes without leading and trailing blanks and tabs (ending
  /// at a NUL byte), cut to `size` - 1 and terminated: its length. Size 0
  /// writes nothing; an index or position outside give the empty text and 0.
  UINT GetDataField(UINT index, const void *record, UINT recordLength, char *output,
                    UINT size) const;
  /// The field's display text (FormatEngineField): the field's length
  /// inside the record, or 0 as GetDataField.
  UINT EditDataField(UINT index, const void *record, UINT recordLength, char *output,
                     UINT size) const;
  /// Gives the first entry at `position` with `length` bytes the tree key
  /// and index tree (logged at level 5 either way).
  void SetIndexTree(UINT indexTree, UINT position, UINT length, UINT treeKey);
  /// Prints the field list on the default printer. 1 when printed, 0 when
  /// the printer could not be opened or the document not written.
  int PrintDesc(HWND parent) const;

  UINT count;
  SVQTblField *fields;

private:
  bool Alloc(UINT entries);
};

/// One entry of a CVQTblKeyDesc: 296 bytes whose meaning belongs to the
/// applications.
struct SVQTblKey {
  BYTE bytes[296];
};
static_assert(sizeof(SVQTblKey) == 296, "SVQTblKey is a fixed record");

/// The key-side companion of CVQTblFldDesc: an owned array of opaque key
/// entries that applications fill and read. Failures are logged (tag
/// "CVQTblKeyDesc") and shown as message 601 (record count).
class VQ_TBL32_API CVQTblKeyDesc {
public:
  CVQTblKeyDesc() : count(0), keys(nullptr) {}
  /// Deep copies; CVQTblFldErr after message 601 (the target of an
  /// assignment keeps its entries then).
  CVQTblKeyDesc(const CVQTblKeyDesc &other);
  CVQTblKeyDesc &operator=(const CVQTblKeyDesc &other);
  ~CVQTblKeyDesc() { Free(); }

  /// Inserts a zeroed entry before `index` (at the end for an index beyond
  /// it). 0 after message 601, the set unchanged.
  int InsertKey(UINT index);
  /// Removes entry `index`; 0 when it is not below the count.
  int DeleteKey(UINT index);
  /// Exchanges entry `from` (clamped to the last) with entry `to`; 0 when
  /// `to` is not below the count.
  int MoveKey(UINT from, UINT to);
  /// Releases the entries; the count is 0.
  void Free();

  UINT count;
  SVQTblKey *keys;
};

/* ---- File, drive and network browsing ------------------------------------ */

class CICLName;
/// The host's tree-view item, as commctrl.h names it.
typedef struct _TREEITEM *HTREEITEM;

/// One drive of the workstation as CVQWorkstation lists it.
struct SDriveRec {
  /// 0 none or not ready, 1 fixed disk, 2 removable, 3 CD-ROM, 4 network, 5 RAM disk.
  UINT driveKind;
  UINT volumeValid; ///< 1 = volumeName was read
  char root[4];     ///< "X:\"
  char reserved[256];
  char volumeName[256];
  char server[32];      ///< network drives: the server of the connection
  char remoteName[260]; ///< network drives: "\\server\share..."
  char share[260];      ///< network drives: the remote name behind "\\server\"
};

/// The drives of the local workstation. Failures are logged (tag
/// "CVQWorkstation") and shown as messages 400 (no drives), 401 (no
/// memory), 402 (unknown drive type), 410 (volume error) and 420
/// (connection error).
class VQ_TBL32_API CVQWorkstation {
public:
  CVQWorkstation() : count(0), table(nullptr) {}
  ~CVQWorkstation();
  CVQWorkstation(const CVQWorkstation &) = delete;
  CVQWorkstation &operator=(const CVQWorkstation &) = delete;

  /// Lists every drive whose volume can be read (and removable drives
  /// without a medium, kind 0). `station` only names the workstation in
  /// the messages. 1, or 0 when there are no drives or no memory. A table
  /// of an earlier call is released first.
  int Browse(const char *station, int flag);
  /// Makes the table that one drive (either case). 1, or 0 when the drive
  /// does not exist, is of an unknown type or its volume cannot be read.
  int InquDrive(char letter);

  UINT count;
  SDriveRec *table;
};

/// One station of the network as CVQNetwork lists it.
struct SServerRec {
  UINT platformId;
  UINT versionMajor;
  UINT versionMinor;
  UINT reserved;
  char name[40]; ///< in the code page, cut to 39 characters
};

/// The stations of the network, through "NetApi32.dll", which is loaded
/// with the object and may be missing. Failures are logged (tag
/// "CVQNetwork") and shown as messages 300 (no library), 301 (a function
/// is missing), 302 (the enumeration failed) and 303 (no memory).
class VQ_TBL32_API CVQNetwork {
public:
  CVQNetwork();
  ~CVQNetwork();
  CVQNetwork(const CVQNetwork &) = delete;
  CVQNetwork &operator=(const CVQNetwork &) = delete;

  /// Lists the servers of the network. 1, or 0 on failure (an enumeration
  /// that finds nobody is one, reported with code 0). A table of an
  /// earlier call is released first.
  int Browse();

  HMODULE module;
  UINT count;
  SServerRec *table;
};

/// Whether a name has one of the listed types, and whether that is chosen.
enum FILETYPESTATE { FTS_NOTLISTED = 0, FTS_NOTCHOSEN = 1, FTS_CHOSEN = 2 };

/// One file type: its dialog check box and its suffix with the '.', in
/// capitals (".CFG").
struct SFileTypeEntry {
  UINT reserved;
  UINT controlId;
  BYTE chosen;
  BYTE spare;
  char suffix[10];
};

/// A set of file types, kept by the host (the entries are not owned).
/// Failures are logged with the tag "CVQFileType".
class VQ_TBL32_API CVQFileType {
public:
  CVQFileType() : count(0), entries(nullptr) {}
  CVQFileType(UINT entryCount, SFileTypeEntry *entryArray)
      : count(entryCount), entries(entryArray) {}

  /// The state of `length` characters of a name (0 = up to its terminator):
  /// the suffix behind its last '.' compared without regard to case.
  FILETYPESTATE GetState(const char *name, UINT length = 0) const;
  FILETYPESTATE GetState(const CICLName *name) const;
  /// Sets every type's check box to its chosen flag.
  void CheckDlgCtls(HWND dialog) const;
  /// Inverts the chosen flag of the type of `controlId` and sets its check
  /// box: 1, or 0 when no type has that control.
  int ToggleDlgCtl(HWND dialog, UINT controlId);

  UINT count;
  SFileTypeEntry *entries;
};

/// A directory of a CVQFileTree. 300 bytes with 32-bit tree items; the
/// three pointer-sized items and their alignment make it 320 here.
struct SFileTreeDir {
  UINT browseNumber; ///< order of discovery
  UINT parent;       ///< index in the table; (UINT)-1 for the first
  UINT reserved;
  UINT fileCount;     ///< files of this directory
  UINT treeFileCount; ///< files of this directory and all below it
  HTREEITEM treeItem;
  HTREEITEM firstChildItem;
  HTREEITEM lastChildItem;
  UINT nameOffset; ///< the parent's path length
  UINT pathLength;
  char path[260]; ///< ends with '\'
};

/// A file of a CVQFileTree (296 bytes).
struct SFileTreeFile {
  UINT directory; ///< index of its directory
  BYTE shown;     ///< 1 = listed: no type set, or its type is chosen
  BYTE marked;
  UINT nameOffset; ///< position of the name in the path
  UINT pathLength;
  ULONGLONG size;
  FILETIME writeTime;
  char path[264];
};

/// A scanned directory tree: a table of directories sorted by path (the
/// first record stays first), each with its parent, and a table of files
/// sorted shown files first, then by directory and name; the first
/// `fileCount` files are the shown ones. Failures are logged with the tag
/// "CVQFileTree"; no boxes are shown. Paths are limited to 259 characters:
/// longer entries are left out (logged) and the scan goes on, and so are
/// names the code page cannot carry, links to directories (which are not
/// followed) and directories that cannot be read.
class VQ_TBL32_API CVQFileTree {
public:
  CVQFileTree()
      : dirCount(0), dirs(nullptr), fileCapacity(0), fileCount(0), files(nullptr),
        startPath(nullptr) {}
  ~CVQFileTree() { free(); }
  CVQFileTree(const CVQFileTree &) = delete;
  CVQFileTree &operator=(const CVQFileTree &) = delete;

  /// Scans the tree below `path` (kept, not copied); with `types` only the
  /// files of listed types are kept, those of chosen types shown. The tables
  /// must be empty (call free first).
  BOOL BrowseDrive(const char *path, const CVQFileType *types);
  /// Scans every drive of the workstation below a first record "Workstation".
  BOOL BrowseStation(const CVQFileType *types);
  /// Releases both tables.
  void free();
  /// Recounts the shown files and the file counts (shown files only from
  /// now on) and sorts the files.
  void reorg();
  /// The shown file with that path (without regard to case), or (UINT)-1.
  UINT findFile(const char *path) const;
  /// The first shown file whose name matches the pattern ('?', '#', '*'),
  /// or (UINT)-1.
  UINT findfile(const char *pattern) const;
  /// Removes a shown file from the tables.
  void delfile(UINT file);
  /// Gives a shown file a new name in the same directory; its new index.
  UINT renfile(UINT file, const char *newPath);
  /// Moves a shown file to another directory of the tree (one outside it
  /// removes the file); its new index or (UINT)-1.
  UINT movefile(UINT file, const char *newPath);
  /// Adds a copy of a shown file under a new path in the tree; the copy's
  /// index or (UINT)-1. The copy's size, time and mark are left 0.
  UINT copyfile(UINT file, const char *newPath);
  /// Binds a directory to the host's tree item. FALSE for no such directory.
  BOOL setHTVItem(UINT directory, HTREEITEM item);
  /// The directory of a tree item, or (UINT)-1.
  UINT getDirItem(HTREEITEM item) const;
  /// The first shown file of the directory (or below it): 0 when none.
  UINT getFirstDirFile(UINT directory, BOOL withSubdirectories) const;
  /// Sorts all files by name (key 0), ascending or descending.
  void SortFileItems(UINT key, BOOL descending);
  void UnmarkAllItems();
  /// Only that shown file is marked. FALSE when it is not one.
  BOOL MarkOnlyItem(UINT file);
  /// Only the shown files from one to the other are marked (in either
  /// order, cut at the last shown file). FALSE when both lie beyond.
  BOOL MarkOnlyRange(UINT first, UINT last);

  UINT dirCount;
  SFileTreeDir *dirs;
  UINT fileCapacity;
  UINT fileCount; ///< the shown files
  SFileTreeFile *files;
  const char *startPath;
};

#endif
