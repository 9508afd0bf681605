/*
 * vq_isa32: the ISAM engine of the vq library family.
 *
 * An ISAM file holds tables of fixed-size records. Each table has up to
 * ISAM_MAX_INDEXES index trees over key parts of its records, one stored
 * description text, and records addressed by a 32-bit record address.
 * This header is the engine's manual: every call lists each error number it
 * can return. All calls return 0 on success and an error number otherwise
 * (ISAM_END_OF_ITERATION ends an iteration); the texts of the numbers come
 * from ISAMErrorText. Any call that allocates may also return
 * ISAM_ERR_MEMORY. The vocabulary (key partition types, key attributes,
 * file layout) is described in isam/README.md.
 *
 * Handles are opaque values from the engine's handle table (never pointers
 * to memory); they fit in 32 bits and are carried in a pointer-sized type
 * as Win32 handles are. A closed handle is recognised and refused.
 *
 * Concurrency: calls come from one thread. Several handles may open the same
 * file, in one or several processes; one may read while another writes.
 */
#ifndef VQ_ISA32_H
#define VQ_ISA32_H

#include <windows.h>

#include <vq_lib32.h>

#if defined(_WIN32)
#if defined(VQ_ISA32_EXPORTS)
#define VQ_ISA32_API __declspec(dllexport)
#else
#define VQ_ISA32_API __declspec(dllimport)
#endif
#else
#define VQ_ISA32_API __attribute__((visibility("default")))
#endif

/// A handle of an open ISAM file.
typedef void *HISAMFILE;
/// A handle of an open table of an ISAM file.
typedef void *HISAMTABLE;

/* ---- Error numbers ----------------------------------------------------- */

#define ISAM_OK 0
#define ISAM_ERR_PARAMETER 1001      ///< a pointer argument is NULL or a reserved argument not 0
#define ISAM_ERR_HANDLE 1002         ///< not a handle of the needed kind, or already closed
#define ISAM_ERR_FILE_NOT_FOUND 1003 ///< the file does not exist
#define ISAM_ERR_FILE_EXISTS 1004    ///< ISAMCreate: the file exists already
#define ISAM_ERR_NOT_ISAM 1005       ///< the file carries no ISAM signature
#define ISAM_ERR_TRUNCATED 1006      ///< the file is shorter than its header page
#define ISAM_ERR_CORRUPT 1007        ///< the file's contents are damaged
#define ISAM_ERR_VERSION 1008        ///< the file was written by a newer format version
#define ISAM_ERR_ACCESS 1009         ///< the system refused access to the file
#define ISAM_ERR_READ_ONLY 1010      ///< a write on a file opened in mode 4
#define ISAM_ERR_IO 1011             ///< a read or write of the file failed
#define ISAM_ERR_BUSY 1012           ///< another handle keeps the file locked
#define ISAM_ERR_MEMORY 1013         ///< not enough memory
#define ISAM_ERR_TABLE_NUMBER 1014   ///< table number out of range
#define ISAM_ERR_TABLE_NOT_FOUND 1015
#define ISAM_ERR_TABLE_EXISTS 1016
#define ISAM_ERR_TABLE_NAME 1017       ///< empty table name, or longer than ISAM_MAX_NAME
#define ISAM_ERR_INDEX_NUMBER 1018     ///< index number out of range
#define ISAM_ERR_KEY_DEFINITION 1019   ///< a bad attribute, part count, type, offset or size
#define ISAM_ERR_RECORD_SIZE 1020      ///< record size 0 or above ISAM_MAX_RECORD
#define ISAM_ERR_NODE_SIZE 1021        ///< index node size outside 32..65535
#define ISAM_END_OF_ITERATION 1022     ///< no record is left in the iteration
#define ISAM_ERR_NO_ITERATION 1023     ///< no iteration is set up for that index
#define ISAM_ERR_RECORD_NOT_FOUND 1024 ///< no record at that address (or not in that index)
#define ISAM_ERR_DUPLICATE_KEY 1025    ///< a unique index holds that key already
#define ISAM_ERR_BUFFER_TOO_SMALL 1026
#define ISAM_ERR_DESC_NUMBER 1027    ///< description numbers other than 0
#define ISAM_ERR_TOO_LARGE 1028      ///< a description or record beyond the engine's limits
#define ISAM_ERR_TABLE_FULL 1029     ///< every record address is in use
#define ISAM_ERR_IN_TRANSACTION 1030 ///< a transaction is open already
#define ISAM_ERR_NO_TRANSACTION 1031 ///< commit or rollback without a transaction
#define ISAM_ERR_ROLLED_BACK 1032    ///< ISAMClose: an open transaction was rolled back
#define ISAM_ERR_TOO_MANY_HANDLES 1033
#define ISAM_ERR_DISK_FULL 1034
#define ISAM_ERR_MODE 1035 ///< an open mode, iteration mode or flag the engine lacks

/* ---- Limits and constants ---------------------------------------------- */

#define ISAM_MODE_READ 4        ///< ISAMOpen: read only
#define ISAM_MODE_READWRITE 5   ///< ISAMOpen: read and write
#define ISAM_ITER_DESCENDING 16 ///< ISAMSetupIterationLimits: descending key order
#define ISAM_ITER_AFTER 12      ///< ISAMSetupIterationAddress: go on after a record
#define ISAM_MAX_NAME 31        ///< longest table name, in characters
#define ISAM_MAX_INDEXES 32     ///< most indexes of a table
#define ISAM_MAX_PARTS 4        ///< most key parts of an index
#define ISAM_MAX_RECORD 1048576 ///< largest record size in bytes
#define ISAM_INDEX_DESC_SIZE 60 ///< bytes of an index description (ISAMGetIndexDesc)
#define ISAM_NO_KEY_TYPE 0xFFFFFFFFu

/* ---- Index description table --------------------------------------------- */

/// One key of ISAMCreateTable's index description table: 58 bytes. Words are
/// 16-bit little endian. Bytes 0-4 are the key attributes (see isam/README.md:
/// attribute 1 unique, 2 sparse, 3 reversed, 4 and 5 must be 0), byte 5 the
/// part count (0..4), then per part i at 6+8i the key partition type, at
/// 8+8i the field offset, at 10+8i the field size; 12+8i and 38-57 unused.
typedef struct ISAMIDT {
  BYTE bytes[58];
} ISAMIDT;

extern "C" {

/* ---- Files ------------------------------------------------------------- */

/// Opens an ISAM file: mode 4 reads only, mode 5 reads and writes.
/// *detail receives the second number: a Win32 system error (2, 5) for
/// ISAM_ERR_FILE_NOT_FOUND and ISAM_ERR_ACCESS, otherwise the storage
/// layer's result code (0 when the engine itself found the fault).
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_MODE, ISAM_ERR_FILE_NOT_FOUND,
/// ISAM_ERR_NOT_ISAM, ISAM_ERR_TRUNCATED, ISAM_ERR_VERSION, ISAM_ERR_CORRUPT,
/// ISAM_ERR_ACCESS (mode 5 on a file without write permission), ISAM_ERR_IO,
/// ISAM_ERR_BUSY, ISAM_ERR_MEMORY, ISAM_ERR_TOO_MANY_HANDLES.
VQ_ISA32_API UINT WINAPI ISAMOpen(HISAMFILE *file, LPCSTR path, UINT mode, UINT *detail);

/// Creates a new, empty ISAM file and opens it in mode 5. An existing file
/// is never replaced: it is left untouched and ISAM_ERR_FILE_EXISTS returned
/// (detail 80), so the caller decides whether to delete it first.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_FILE_EXISTS, ISAM_ERR_ACCESS,
/// ISAM_ERR_IO, ISAM_ERR_DISK_FULL, ISAM_ERR_MEMORY, ISAM_ERR_TOO_MANY_HANDLES.
VQ_ISA32_API UINT WINAPI ISAMCreate(HISAMFILE *file, LPCSTR path, UINT *detail);

/// Closes a file and every table handle opened on it. An open transaction
/// is rolled back; the handle is closed all the same.
/// Errors: ISAM_ERR_PARAMETER (detail NULL), ISAM_ERR_HANDLE,
/// ISAM_ERR_ROLLED_BACK, ISAM_ERR_IO.
VQ_ISA32_API UINT WINAPI ISAMClose(HISAMFILE file, UINT *detail);

/* ---- Tables ------------------------------------------------------------ */

/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMGetTableCount(HISAMFILE file, UINT *count);

/// Copies the name of table tableNumber (0-based, in creation order),
/// NUL-terminated, into buffer.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_TABLE_NUMBER,
/// ISAM_ERR_BUFFER_TOO_SMALL (nothing copied), ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMGetTableName(HISAMFILE file, UINT tableNumber, LPSTR buffer,
                                          UINT size);

/// Creates an empty table from keyCount index description items. Table
/// names are unique without regard to ASCII case. Every key part must lie
/// inside the record and fit its partition type's sizes.
/// Errors: ISAM_ERR_PARAMETER (idt NULL with keyCount > 0), ISAM_ERR_HANDLE,
/// ISAM_ERR_READ_ONLY, ISAM_ERR_TABLE_NAME, ISAM_ERR_TABLE_EXISTS,
/// ISAM_ERR_INDEX_NUMBER (keyCount above ISAM_MAX_INDEXES),
/// ISAM_ERR_KEY_DEFINITION, ISAM_ERR_RECORD_SIZE, ISAM_ERR_NODE_SIZE,
/// ISAM_ERR_IO, ISAM_ERR_DISK_FULL, ISAM_ERR_BUSY, ISAM_ERR_CORRUPT.
VQ_ISA32_API UINT WINAPI ISAMCreateTable(HISAMFILE file, LPCSTR tableName, const ISAMIDT *idt,
                                         UINT keyCount, UINT recordSize, UINT indexNodeSize);

/// Opens a table by name (without regard to ASCII case).
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_TABLE_NAME,
/// ISAM_ERR_TABLE_NOT_FOUND, ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY,
/// ISAM_ERR_TOO_MANY_HANDLES.
VQ_ISA32_API UINT WINAPI ISAMOpenTable(HISAMFILE file, LPCSTR tableName, HISAMTABLE *table);

/// Errors: ISAM_ERR_HANDLE.
VQ_ISA32_API UINT WINAPI ISAMCloseTable(HISAMTABLE table);

/* ---- Sizes ------------------------------------------------------------- */

/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE.
VQ_ISA32_API UINT WINAPI ISAMGetDataRecSize(HISAMTABLE table, UINT *recordSize);
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE.
VQ_ISA32_API UINT WINAPI ISAMGetIndexRecSize(HISAMTABLE table, UINT *indexNodeSize);

/// Fills the 60-byte description of an index: bytes 0-37 as the table's
/// ISAMIDT item (attributes, part count, parts), 38-41 the encoded key's
/// largest length, 42-45 the index node size, 46-49 the number of records
/// in the index, 50-53 the record size, 54-57 the index number, 58-59 zero.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_INDEX_NUMBER,
/// ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMGetIndexDesc(HISAMTABLE table, UINT indexNumber, void *description);

/* ---- Stored description (number 0 only) ------------------------------- */

/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_DESC_NUMBER,
/// ISAM_ERR_TABLE_NOT_FOUND (dropped meanwhile), ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMGetTableDescSize(HISAMTABLE table, UINT descNumber, UINT *size);

/// Copies the stored description into buffer; *read receives its length.
/// When size is smaller than the description nothing is copied, *read
/// receives the length needed and ISAM_ERR_BUFFER_TOO_SMALL is returned.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_DESC_NUMBER,
/// ISAM_ERR_BUFFER_TOO_SMALL, ISAM_ERR_TABLE_NOT_FOUND, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMReadTableDesc(HISAMTABLE table, UINT descNumber, void *buffer,
                                           UINT size, UINT *read);

/// Replaces the stored description with length bytes of text (any bytes).
/// Errors: ISAM_ERR_PARAMETER (text NULL with length > 0), ISAM_ERR_HANDLE,
/// ISAM_ERR_DESC_NUMBER, ISAM_ERR_READ_ONLY, ISAM_ERR_TOO_LARGE,
/// ISAM_ERR_TABLE_NOT_FOUND, ISAM_ERR_IO, ISAM_ERR_DISK_FULL, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMWriteTableDesc(HISAMTABLE table, UINT descNumber, LPCVOID text,
                                            UINT length);

/* ---- Iteration --------------------------------------------------------- */

/// Sets up an iteration over one index: flags 0 ascending, 16 descending
/// key order. lowRecord and highRecord are NULL for the whole index, or
/// record images (record size bytes) whose key parts give an inclusive
/// lower and upper key. Records of equal keys come in address order
/// (reversed when descending). A table handle keeps one iteration.
/// Errors: ISAM_ERR_HANDLE, ISAM_ERR_INDEX_NUMBER, ISAM_ERR_MODE (other flags),
/// ISAM_ERR_CORRUPT (the table's storage is not what the catalog says).
VQ_ISA32_API UINT WINAPI ISAMSetupIterationLimits(HISAMTABLE table, UINT indexNumber, UINT flags,
                                                  LPCVOID lowRecord, LPCVOID highRecord);

/// Sets up an iteration that goes on after the record at recordAddress:
/// mode 12 in ascending, mode 28 in descending key order. The record itself
/// is not delivered again. reserved must be 0.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_INDEX_NUMBER,
/// ISAM_ERR_MODE, ISAM_ERR_RECORD_NOT_FOUND (no such record, or a sparse
/// index leaves it out), ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMSetupIterationAddress(HISAMTABLE table, UINT indexNumber, UINT mode,
                                                   DWORD recordAddress, UINT reserved);

/// Delivers the next record of the iteration into buffer (which must hold
/// the record size) and its address into *recordAddress. Writes made
/// meanwhile through the same file handle are seen from the current
/// position on; another handle's writes are seen after the next set-up.
/// Errors: ISAM_END_OF_ITERATION (also on every later call),
/// ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_INDEX_NUMBER,
/// ISAM_ERR_NO_ITERATION (none set up for that index), ISAM_ERR_CORRUPT,
/// ISAM_ERR_IO, ISAM_ERR_BUSY, ISAM_ERR_MEMORY.
VQ_ISA32_API UINT WINAPI ISAMReadNextRecord(HISAMTABLE table, UINT indexNumber, void *buffer,
                                            DWORD *recordAddress, UINT reserved);

/// Reads the record at recordAddress into buffer of size bytes.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_BUFFER_TOO_SMALL
/// (size below the record size), ISAM_ERR_RECORD_NOT_FOUND,
/// ISAM_ERR_CORRUPT, ISAM_ERR_IO, ISAM_ERR_BUSY.
VQ_ISA32_API UINT WINAPI ISAMReadRecordByAddress(HISAMTABLE table, DWORD recordAddress,
                                                 void *buffer, UINT size, UINT reserved);

/* ---- Record writes and transactions ------------------------------------ */

/// Inserts a record (the first record-size bytes of record) and returns its
/// address, 1 or above and below 2^32. Addresses are not handed out twice
/// while their record exists; the highest may be used again after its
/// record was deleted. Outside a transaction the write is atomic and
/// durable when the call returns.
/// Errors: ISAM_ERR_PARAMETER, ISAM_ERR_HANDLE, ISAM_ERR_READ_ONLY,
/// ISAM_ERR_BUFFER_TOO_SMALL, ISAM_ERR_DUPLICATE_KEY (nothing changed),
/// ISAM_ERR_TABLE_FULL, ISAM_ERR_IO, ISAM_ERR_DISK_FULL, ISAM_ERR_BUSY, ISAM_ERR_CORRUPT.
VQ_ISA32_API UINT WINAPI ISAMInsertRecord(HISAMTABLE table, LPCVOID record, UINT size,
                                          DWORD *recordAddress);

/// Replaces the record at recordAddress; its address stays.
/// Errors: as ISAMInsertRecord, and ISAM_ERR_RECORD_NOT_FOUND.
VQ_ISA32_API UINT WINAPI ISAMUpdateRecord(HISAMTABLE table, DWORD recordAddress, LPCVOID record,
                                          UINT size);

/// Errors: ISAM_ERR_HANDLE, ISAM_ERR_READ_ONLY, ISAM_ERR_RECORD_NOT_FOUND,
/// ISAM_ERR_IO, ISAM_ERR_DISK_FULL, ISAM_ERR_BUSY, ISAM_ERR_CORRUPT.
VQ_ISA32_API UINT WINAPI ISAMDeleteRecord(HISAMTABLE table, DWORD recordAddress);

/// Starts a transaction on a file handle: the writes of all its tables up
/// to ISAMCommitTransaction become durable together, or none of them.
/// Other handles wait for the file while it is open (up to five seconds,
/// then ISAM_ERR_BUSY).
/// Errors: ISAM_ERR_HANDLE, ISAM_ERR_READ_ONLY, ISAM_ERR_IN_TRANSACTION,
/// ISAM_ERR_BUSY, ISAM_ERR_IO.
VQ_ISA32_API UINT WINAPI ISAMBeginTransaction(HISAMFILE file);
/// Errors: ISAM_ERR_HANDLE, ISAM_ERR_NO_TRANSACTION, ISAM_ERR_BUSY,
/// ISAM_ERR_IO, ISAM_ERR_DISK_FULL (the transaction stays open).
VQ_ISA32_API UINT WINAPI ISAMCommitTransaction(HISAMFILE file);
/// Errors: ISAM_ERR_HANDLE, ISAM_ERR_NO_TRANSACTION, ISAM_ERR_IO.
VQ_ISA32_API UINT WINAPI ISAMRollbackTransaction(HISAMFILE file);

/* ---- Key partition types and error texts ------------------------------- */

/// The code of a key partition type name (ASCII case ignored), or
/// ISAM_NO_KEY_TYPE for a name the engine does not know.
VQ_ISA32_API UINT WINAPI ISAMGetKeyType(LPCSTR name);
/// The name of a key partition type code, or NULL for an unknown code.
VQ_ISA32_API LPCSTR WINAPI ISAMKeyType(UINT code);

/// Shows the engine's error box for a failed call, with the platform's
/// MessageBoxA (exclamation icon, OK button), in the thread's UI language
/// (GetThreadUILanguage: English for LANG_ENGLISH, German for any other):
/// caption "ISAM-Fehler" / "ISAM error", text "Fehler <error> bei
/// <functionName>:" / "Error <error> in <functionName>:", the error's text
/// in that language and "Datei: <file>" / "File: <file>". subject is a file
/// or table handle (its path is shown) or the path itself, or NULL; owner
/// is the box's owner window or NULL.
/// Errors: ISAM_ERR_PARAMETER (the box could not be shown, e.g. a stale owner).
VQ_ISA32_API UINT WINAPI ISAMDispError(LPCVOID subject, LPCSTR functionName, UINT error,
                                       HWND owner);

/// The text of an engine error number in a language: 'D' German (the
/// default for any other letter) or 'E' English; NULL for a number the
/// engine does not define. Texts are Windows-1252.
VQ_ISA32_API LPCSTR WINAPI ISAMErrorText(UINT error, CHAR language);
}

/// The list-box table of the key partition types: one row per type code, in
/// code order, showing the type's name in the thread's UI language (German
/// or English). `ISAMLBKeyTypes.Display(listBox, partType)` fills a list box
/// (or a window that passes the LB_ messages on to one) and selects the row
/// of partType, none for a code the engine lacks; `Select` gives the chosen
/// code back.
VQ_ISA32_API extern const CVQListBox ISAMLBKeyTypes;

#endif
