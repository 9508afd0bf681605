/*
 * The library log: one line per call, filtered by level, written to a file
 * or the standard error stream and, for tests, kept in memory. It is not a
 * general logging framework: no rotation, no threads, no formatting options.
 */
#include <vq_lib32.h>

#include "os/os_seam.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using vq::lib32::kOsNoFile;
using vq::lib32::Os;
using vq::lib32::OsFile;
using vq::lib32::OsTime;

namespace {
// Longer texts are cut; a log line is for a person to read.
constexpr size_t kMaxText = 4095;
constexpr UINT kDefaultLevel = VQLOG_TRACE;

CVQLogFile *installedLog = nullptr;
} // namespace

struct CVQLogFile::State {
  OsFile destination = kOsNoFile;
  bool ownsDestination = false; // the standard error stream is never closed
  bool capturing = false;
  std::vector<std::string> captured;
};

CVQLogFile::CVQLogFile() : logActive(FALSE), logLevel(kDefaultLevel), state(new State) {
  if (const char *level = Os().getEnv("VQ_LOG_LEVEL")) {
    char *end = nullptr;
    unsigned long value = std::strtoul(level, &end, 10);
    if (end != level && *end == '\0')
      logLevel = static_cast<UINT>(value > 0xFFFFFFFFul ? 0xFFFFFFFFul : value);
  }
  if (Os().getEnv("VQ_LOG"))
    OpenLog(nullptr);
}

CVQLogFile::~CVQLogFile() {
  if (installedLog == this)
    installedLog = nullptr;
  CloseLog();
  delete state;
}

BOOL CVQLogFile::OpenLog(const char *target) {
  if (!target)
    target = Os().getEnv("VQ_LOG");
  if (!target || !*target)
    return FALSE;
  OsFile file = kOsNoFile;
  bool owns = false;
  if (std::strcmp(target, "stderr") == 0)
    file = Os().standardError();
  else if (Os().openAppend(target, &file) == 0)
    owns = true;
  else
    return FALSE;
  CloseLog();
  state->destination = file;
  state->ownsDestination = owns;
  UpdateActive();
  return TRUE;
}

void CVQLogFile::CloseLog() {
  if (state->destination != kOsNoFile && state->ownsDestination)
    Os().close(state->destination);
  state->destination = kOsNoFile;
  state->ownsDestination = false;
  UpdateActive();
}

void CVQLogFile::UpdateActive() { logActive = state->destination != kOsNoFile || state->capturing; }

void CVQLogFile::WriteLog(UINT level, const char *tag, const char *text) {
  if (!logActive || level > logLevel)
    return;
  std::string line = std::to_string(level);
  line += ' ';
  line += tag ? tag : "";
  line += ' ';
  line.append(text ? text : "", text ? strnlen(text, kMaxText) : 0);
  if (state->capturing)
    state->captured.push_back(line);
  if (state->destination != kOsNoFile) {
    OsTime t;
    Os().localTime(&t);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    std::string out = stamp + line + '\n';
    // A log that cannot be written must not disturb the caller's operation.
    Os().write(state->destination, out.data(), out.size());
  }
}

void CVQLogFile::PrtVALog(UINT level, const char *tag, const char *format, va_list args) {
  if (!logActive || level > logLevel)
    return;
  char text[kMaxText + 1];
  if (!format)
    text[0] = '\0';
  else if (std::vsnprintf(text, sizeof text, format, args) < 0)
    std::snprintf(text, sizeof text, "(bad log format: %s)", format);
  WriteLog(level, tag, text);
}

void CVQLogFile::StartCapture() {
  state->capturing = true;
  UpdateActive();
}

void CVQLogFile::StopCapture() {
  state->capturing = false;
  UpdateActive();
}

std::vector<std::string> CVQLogFile::GetCapturedLines() const { return state->captured; }

void CVQLogFile::ClearCaptured() { state->captured.clear(); }

CVQLogFile &CVQLogFile::GetDefault() {
  static CVQLogFile builtIn;
  return installedLog ? *installedLog : builtIn;
}

void CVQLogFile::SetDefault(CVQLogFile *log) { installedLog = log; }
