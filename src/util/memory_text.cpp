// Plain text and memory routines shared by the subsystems: filling and
// moving memory, byte searches, path offsets, digit tests and the date and
// time texts. Lengths of 0 mean "up to the terminator" wherever a text may
// also be given by length.
#include <vq_tbl32.h>

#include <cstring>

namespace {

constexpr UINT kNotFound = UINT(-1);

UINT TextLength(const char *text, UINT length) { return length ? length : UINT(std::strlen(text)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void WriteTwoDigits(char *out, UINT value) {
  value %= 100;
  out[0] = char('0' + value / 10);
  out[1] = char('0' + value % 10);
}

} // namespace

DWORD FillDwords(void *destination, DWORD value, UINT count) {
  auto *out = static_cast<BYTE *>(destination);
  for (UINT i = 0; i < count; ++i)
    std::memcpy(out + ULONGLONG(i) * sizeof value, &value, sizeof value);
  return value;
}

WORD FillWords(void *destination, WORD value, UINT count) {
  auto *out = static_cast<BYTE *>(destination);
  for (UINT i = 0; i < count; ++i)
    std::memcpy(out + ULONGLONG(i) * sizeof value, &value, sizeof value);
  return value;
}

void MoveUp(void *base, UINT distance, UINT count) {
  if (count)
    std::memmove(static_cast<BYTE *>(base) + distance, base, count);
}

void MoveDown(void *destination, UINT distance, UINT count) {
  if (count)
    std::memmove(destination, static_cast<BYTE *>(destination) + distance, count);
}

UINT FindByte(const void *buffer, BYTE byte, UINT count) {
  if (!buffer || !count)
    return kNotFound;
  const void *hit = std::memchr(buffer, byte, count);
  return hit ? UINT(static_cast<const BYTE *>(hit) - static_cast<const BYTE *>(buffer)) : kNotFound;
}

UINT FindLastByte(const void *buffer, BYTE byte, UINT count) {
  const auto *bytes = static_cast<const BYTE *>(buffer);
  for (UINT i = bytes ? count : 0; i > 0; --i)
    if (bytes[i - 1] == byte)
      return i - 1;
  return kNotFound;
}

UINT AppendCharIfMissing(char *text, char c) {
  if (!text)
    return 0;
  UINT length = UINT(std::strlen(text));
  if (length == 0 || text[length - 1] != c) {
    text[length++] = c;
    text[length] = '\0';
  }
  return length;
}

UINT StripTrailingChar(char *text, char c) {
  if (!text)
    return 0;
  UINT length = UINT(std::strlen(text));
  if (length && text[length - 1] == c)
    text[--length] = '\0';
  return length;
}

UINT FileNameOffset(const char *path, UINT length) {
  if (!path)
    return 0;
  for (UINT i = TextLength(path, length); i > 0; --i)
    if (path[i - 1] == '\\' || path[i - 1] == '/')
      return i;
  return 0;
}

UINT ExtensionOffset(const char *path, UINT length) {
  if (!path)
    return kNotFound;
  const UINT end = TextLength(path, length);
  const UINT start = FileNameOffset(path, end);
  for (UINT i = end; i > start; --i)
    if (path[i - 1] == '.')
      return i - 1;
  return kNotFound;
}

BOOL IsExistingFile(const char *path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL IsDigitText(const char *text, UINT length) {
  if (!text)
    return FALSE;
  const UINT end = TextLength(text, length);
  for (UINT i = 0; i < end; ++i)
    if (!IsDigit(text[i]))
      return FALSE;
  return TRUE;
}

// Three phases in order: blanks (and signs), digits and points, blanks.
BOOL IsNumberText(const char *text, UINT length, BOOL signs) {
  if (!text)
    return FALSE;
  const UINT end = TextLength(text, length);
  UINT i = 0;
  while (i < end && (text[i] == ' ' || (signs && (text[i] == '+' || text[i] == '-'))))
    ++i;
  while (i < end && (IsDigit(text[i]) || text[i] == '.'))
    ++i;
  while (i < end && text[i] == ' ')
    ++i;
  return i == end;
}

void WriteDateText(char *buffer, UINT day, UINT month, UINT year) {
  WriteTwoDigits(buffer, day);
  buffer[2] = '.';
  WriteTwoDigits(buffer + 3, month);
  buffer[5] = '.';
  WriteTwoDigits(buffer + 6, year / 100);
  WriteTwoDigits(buffer + 8, year);
}

void WriteTimeText(char *buffer, UINT hour, UINT minute, UINT second) {
  WriteTwoDigits(buffer, hour);
  buffer[2] = ':';
  WriteTwoDigits(buffer + 3, minute);
  buffer[5] = ':';
  WriteTwoDigits(buffer + 6, second);
}

void GetNowTexts(char *dateBuffer, char *timeBuffer) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (dateBuffer) {
    WriteDateText(dateBuffer, now.wDay, now.wMonth, now.wYear);
    dateBuffer[10] = '\0';
  }
  if (timeBuffer) {
    WriteTimeText(timeBuffer, now.wHour, now.wMinute, now.wSecond);
    timeBuffer[8] = '\0';
  }
}
