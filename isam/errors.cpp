/*
 * Texts of the engine's error numbers in German and English, for hosts and
 * for the error box that shows them. Texts are Windows-1252.
 */
#include <vq_isa32.h>

namespace {

struct ErrorText {
  UINT number;
  const char *german;
  const char *english;
};

const ErrorText kTexts[] = {
    {ISAM_OK, "Kein Fehler.", "No error."},
    {ISAM_ERR_PARAMETER, "Ung\xFCltiger Parameter.", "Invalid parameter."},
    {ISAM_ERR_HANDLE, "Ung\xFCltiges oder bereits geschlossenes Handle.",
     "Invalid or already closed handle."},
    {ISAM_ERR_FILE_NOT_FOUND, "Die Datei existiert nicht.", "The file does not exist."},
    {ISAM_ERR_FILE_EXISTS, "Die Datei existiert bereits.", "The file exists already."},
    {ISAM_ERR_NOT_ISAM, "Die Datei ist keine ISAM-Datei.", "The file is not an ISAM file."},
    {ISAM_ERR_TRUNCATED, "Die ISAM-Datei ist abgeschnitten.", "The ISAM file is truncated."},
    {ISAM_ERR_CORRUPT,
     "Die ISAM-Datei ist besch\xE4"
     "digt.",
     "The ISAM file is damaged."},
    {ISAM_ERR_VERSION, "Die ISAM-Datei hat eine neuere Formatversion.",
     "The ISAM file has a newer format version."},
    {ISAM_ERR_ACCESS, "Zugriff auf die Datei verweigert.", "Access to the file denied."},
    {ISAM_ERR_READ_ONLY,
     "Die Datei ist nur zum Lesen ge\xF6"
     "ffnet.",
     "The file is open for reading only."},
    {ISAM_ERR_IO, "Fehler beim Lesen oder Schreiben der Datei.",
     "Error on reading or writing the file."},
    {ISAM_ERR_BUSY, "Die Datei ist von einem anderen Zugriff gesperrt.",
     "The file is locked by another handle."},
    {ISAM_ERR_MEMORY, "Nicht gen\xFCgend Speicher.", "Not enough memory."},
    {ISAM_ERR_TABLE_NUMBER, "Ung\xFCltige Tabellennummer.", "Table number out of range."},
    {ISAM_ERR_TABLE_NOT_FOUND, "Die Tabelle existiert nicht.", "The table does not exist."},
    {ISAM_ERR_TABLE_EXISTS, "Die Tabelle existiert bereits.", "The table exists already."},
    {ISAM_ERR_TABLE_NAME, "Ung\xFCltiger Tabellenname.", "Invalid table name."},
    {ISAM_ERR_INDEX_NUMBER, "Ung\xFCltige Indexnummer.", "Index number out of range."},
    {ISAM_ERR_KEY_DEFINITION, "Ung\xFCltige Schl\xFCsseldefinition.", "Invalid key definition."},
    {ISAM_ERR_RECORD_SIZE, "Ung\xFCltige Satzl\xE4nge.", "Invalid record size."},
    {ISAM_ERR_NODE_SIZE,
     "Ung\xFCltige Indexknotengr\xF6\xDF"
     "e.",
     "Invalid index node size."},
    {ISAM_END_OF_ITERATION, "Keine weiteren S\xE4tze.", "No more records."},
    {ISAM_ERR_NO_ITERATION, "F\xFCr diesen Index ist kein Durchlauf eingerichtet.",
     "No iteration is set up for this index."},
    {ISAM_ERR_RECORD_NOT_FOUND, "Satz nicht gefunden.", "Record not found."},
    {ISAM_ERR_DUPLICATE_KEY, "Der Schl\xFCssel existiert bereits in einem eindeutigen Index.",
     "The key exists already in a unique index."},
    {ISAM_ERR_BUFFER_TOO_SMALL, "Der Puffer ist zu klein.", "The buffer is too small."},
    {ISAM_ERR_DESC_NUMBER, "Ung\xFCltige Beschreibungsnummer.", "Invalid description number."},
    {ISAM_ERR_TOO_LARGE, "Die Daten sind zu gro\xDF.", "The data is too large."},
    {ISAM_ERR_TABLE_FULL, "Alle Satzadressen der Tabelle sind belegt.",
     "Every record address of the table is in use."},
    {ISAM_ERR_IN_TRANSACTION, "Eine Transaktion ist bereits offen.",
     "A transaction is open already."},
    {ISAM_ERR_NO_TRANSACTION, "Keine Transaktion offen.", "No transaction is open."},
    {ISAM_ERR_ROLLED_BACK,
     "Die offene Transaktion wurde zur\xFC"
     "ckgesetzt.",
     "The open transaction was rolled back."},
    {ISAM_ERR_TOO_MANY_HANDLES, "Zu viele offene Handles.", "Too many open handles."},
    {ISAM_ERR_DISK_FULL, "Der Datentr\xE4ger ist voll.", "The disk is full."},
    {ISAM_ERR_MODE, "Ung\xFCltiger Modus.", "Invalid mode."},
};

} // namespace

extern "C" LPCSTR WINAPI ISAMErrorText(UINT error, CHAR language) {
  const bool english = language == 'E' || language == 'e';
  for (const ErrorText &t : kTexts)
    if (t.number == error)
      return english ? t.english : t.german;
  return NULL;
}
