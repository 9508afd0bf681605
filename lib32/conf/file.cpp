/*
 * CVQFile: a file's name and the only way the base library writes a file,
 * atomically through a temporary file beside it, so that a crash or a full
 * disk never leaves a half-written file in place of the old one.
 */
#include <vq_lib32.h>

#include "os/os_seam.h"

#include <cstring>

using vq::lib32::kOsNoFile;
using vq::lib32::Os;
using vq::lib32::OsFile;

namespace {
constexpr const char *kTag = "CVQFile";
constexpr size_t kMaxFileSize = size_t(256) << 20;
// Beside the target, so that the final rename never crosses file systems.
constexpr const char *kTempSuffix = ".vqtmp";

DWORD WriteTemp(const std::string &temp, const std::string &prefix, const char *data, UINT size) {
  OsFile file = kOsNoFile;
  DWORD rc = Os().create(temp.c_str(), &file);
  if (rc != 0)
    return rc;
  if (!prefix.empty())
    rc = Os().write(file, prefix.data(), prefix.size());
  if (rc == 0 && size > 0)
    rc = Os().write(file, data, size);
  if (rc == 0)
    rc = Os().sync(file);
  DWORD closed = Os().close(file);
  return rc != 0 ? rc : closed;
}
} // namespace

CVQFile::CVQFile() { fileName[0] = '\0'; }

CVQFile::~CVQFile() = default;

BOOL CVQFile::SetFileName(const char *path) {
  if (!path)
    path = "";
  const size_t length = strnlen(path, MAX_PATH);
  if (length >= MAX_PATH)
    return FALSE;
  std::memcpy(fileName, path, length + 1);
  return TRUE;
}

DWORD CVQFile::ReadWhole(const char *path, std::string &data) {
  data.clear();
  if (!path || !*path)
    return ERROR_INVALID_PARAMETER;
  return Os().readWhole(path, data, kMaxFileSize);
}

BOOL CVQFile::WriteAtomic(const char *path, const char *data, UINT size, BOOL replace) {
  CVQLogFile &log = CVQLogFile::GetDefault();
  if (!path || !*path || strnlen(path, MAX_PATH) >= MAX_PATH || (!data && size > 0)) {
    log.PrtLog(VQLOG_ERROR, kTag, "Illegal arguments for writing the file %s", path ? path : "");
    return FALSE;
  }
  std::string prefix;
  if (!replace) {
    DWORD rc = ReadWhole(path, prefix);
    if (rc == ERROR_FILE_NOT_FOUND)
      prefix.clear();
    else if (rc != 0) {
      log.PrtLog(VQLOG_ERROR, kTag, "Error %u on reading %s", static_cast<UINT>(rc), path);
      return FALSE;
    }
  }
  const std::string temp = std::string(path) + kTempSuffix;
  DWORD rc = WriteTemp(temp, prefix, data, size);
  if (rc == 0) {
    rc = Os().rename(temp.c_str(), path);
    if (rc == 0)
      return SetFileName(path);
  }
  Os().remove(temp.c_str());
  log.PrtLog(VQLOG_ERROR, kTag, "Error %u on writing %s", static_cast<UINT>(rc), path);
  return FALSE;
}
