// The file description's ISAM files: a new file created with every table
// of the description, and the table structure of an existing file copied
// into a new, empty one. Neither leaves a half-made file behind: a file
// whose tables could not all be created is removed again.
#include "desc/file_desc.h"

#include <commdlg.h>
#include <vq_isa32.h>

#include <cstring>

namespace {

using namespace vqdesc;

bool Creates(HISAMFILE *isam, const char *path) {
  UINT detail = 0;
  if (const UINT e = ISAMCreate(isam, path, &detail)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u / %u on creating %s", e, detail, path);
    ISAMDispError(path, "ISAMCreate", e, nullptr);
    return false;
  }
  return true;
}

// Every table into the new file; when one fails the file is closed and
// removed, since a file with only some of its tables is worse than none.
bool CreatesTables(const CVQTableDescList &tables, HISAMFILE isam, const char *path) {
  for (UINT i = 0; tables.tables && i < tables.count; ++i)
    if (!tables.tables[i].CreateISAMTable(isam)) {
      CloseIsam(isam, path);
      if (!DeleteFileA(path))
        theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u on deleting %s", GetLastError(), path);
      return false;
    }
  return true;
}

// The path the user chooses in the save dialog; false when cancelled.
bool ChoosePath(HWND owner, char (&path)[MAX_PATH]) {
  char title[MAX_PATH] = {};
  path[0] = '\0';
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = theLibrary.GetResourceModule();
  ofn.lpstrFilter = "ISAM-Dateien\0*.isa\0Alle Dateien\0*.*\0";
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = sizeof title;
  ofn.lpstrInitialDir = "";
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameA(&ofn)) {
    theLibrary.PrtLog(VQLOG_TRACE, kFileTag, "User canceled creation in filename dialog.");
    return false;
  }
  return true;
}

} // namespace

bool vqdesc::CloseIsam(void *isamFile, const char *path) {
  UINT detail = 0;
  if (const UINT e = ISAMClose(static_cast<HISAMFILE>(isamFile), &detail)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u / %u on closing %s", e, detail, path);
    ISAMDispError(path, "ISAMClose", e, nullptr);
    return false;
  }
  return true;
}

BOOL CVQFileDesc::CreateISAMFile(HWND owner, const char *path) {
  char chosen[MAX_PATH];
  if (!path || !*path) {
    if (!ChoosePath(owner, chosen))
      return 0;
    path = chosen;
    // Only a path the user picked is asked about: a caller's path goes to
    // the engine, which never replaces a file.
    if (IsExistingFile(path)) {
      if (theLibrary.AskBox(kMsgAskReplace, path) != IDYES) {
        theLibrary.PrtLog(VQLOG_TRACE, kFileTag, "User canceled creation of existing isam file %s",
                          path);
        return 0;
      }
      if (!DeleteFileA(path)) {
        const DWORD error = GetLastError();
        theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "Error %u on deleting %s", error, path);
        theLibrary.ErrorBox(kMsgDeleteFailed, path, error);
        return 0;
      }
    }
  }
  HISAMFILE isam = nullptr;
  if (!Creates(&isam, path) || !CreatesTables(tables, isam, path))
    return 0;
  return CloseIsam(isam, path); // a file that fails to close is kept: its tables are all there
}

BOOL CVQFileDesc::CopyISAMStructure(const char *source, const char *destination) {
  if (!source || !*source) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag,
                      "CopyISAMStructure: Missing or empty source file name.");
    theLibrary.ErrorBox(kMsgNoSource);
    return 0;
  }
  if (!IsExistingFile(source)) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag, "CopyISAMStructure: Source file does not exist: %s",
                      source);
    theLibrary.ErrorBox(kMsgSourceMissing, source);
    return 0;
  }
  if (!destination || !*destination) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag,
                      "CopyISAMStructure: Missing or empty destination file name.");
    theLibrary.ErrorBox(kMsgNoDestination);
    return 0;
  }
  // Anything at the destination, a folder too, is refused before the source
  // is opened: the copy never replaces.
  if (GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES) {
    theLibrary.PrtLog(VQLOG_ERROR, kFileTag,
                      "CopyISAMStructure: Destinatino file exists already: %s", destination);
    theLibrary.ErrorBox(kMsgDestinationExists, destination);
    return 0;
  }
  if (!ReadIsamTables(*this, source))
    return 0;
  HISAMFILE dst = nullptr;
  if (!Creates(&dst, destination) || !CreatesTables(tables, dst, destination))
    return 0;
  if (!CloseIsam(dst, destination)) {
    DeleteFileA(destination);
    return 0;
  }
  return 1;
}
