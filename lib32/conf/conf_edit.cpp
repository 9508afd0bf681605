/*
 * CVQConfFile, the editor: builds a configuration text line by line in a
 * buffer that a caller either writes to a file or stores elsewhere (a table
 * keeps its description text inside its ISAM file). Everything written here
 * reads back through the parsers to the same values; what would not (a line
 * break inside a text, an unbalanced quote) is refused.
 */
#include "conf/conf_impl.h"

#include "os/os_seam.h"

#include <cstdio>
#include <new>

using namespace vq::lib32;

namespace {

constexpr UINT kMaxBufferSize = 64u << 20;
constexpr UINT kMaxColumn = 1024;
constexpr UINT kHeaderLines = 7;
constexpr UINT kDateLine = 5;
// Header labels by parameter line number; line 0 is the title.
constexpr const char *kHeaderLabels[kHeaderLines] = {
    "", "File:", "Name:", "Comment:", "Program:", "Date:", "Remark:"};

CVQLogFile &Log() { return CVQLogFile::GetDefault(); }

bool HasControl(const char *text) {
  for (const char *p = text; *p; ++p)
    if (static_cast<unsigned char>(*p) < 0x20 && *p != '\t')
      return true;
  return false;
}

// A keyword the reader finds again: [A-Za-z_][A-Za-z0-9_]* and an optional
// colon, exactly; blanks around it would be taken as part of the text.
bool IsWritableKeyword(const char *keyword) {
  if (!keyword || !IsKeywordStart(static_cast<unsigned char>(*keyword)))
    return false;
  const char *p = keyword;
  while (IsKeywordChar(static_cast<unsigned char>(*p)))
    ++p;
  if (p - keyword > static_cast<ptrdiff_t>(kMaxKeyword))
    return false;
  if (*p == ':')
    ++p;
  return *p == '\0';
}

// A caller-formatted text reads back whole only when its quotes pair up and
// no ';' outside them starts a comment.
bool ReadsBack(const char *text) {
  bool inQuotes = false;
  for (const char *p = text; *p; ++p) {
    if (*p == '"')
      inQuotes = !inQuotes; // a doubled quote toggles twice
    else if (*p == ';' && !inQuotes)
      return false;
  }
  return !inQuotes;
}

void PadTo(std::string &line, UINT column, UINT minBlanks) {
  const size_t target = line.size() + minBlanks > column ? line.size() + minBlanks : column;
  line.append(target - line.size(), ' ');
}

} // namespace

namespace {

// Appends one line, trailing blanks dropped, with the CR LF the editor always writes.
BOOL AppendLine(std::string &edit, std::string line) {
  while (!line.empty() && line.back() == ' ')
    line.pop_back();
  if (edit.size() + line.size() + 2 > 0xFFFFFFFFu) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "Configuration text grows beyond 4 GB");
    return FALSE;
  }
  try {
    edit += line;
    edit += "\r\n";
  } catch (const std::bad_alloc &) {
    Log().PrtLog(VQLOG_ERROR, kConfTag,
                 "Not enough free memory to add a line to the configuration text");
    return FALSE;
  }
  return TRUE;
}

BOOL NotStarted() {
  Log().PrtLog(VQLOG_ERROR, kConfTag, "The configuration editor is not started.");
  return FALSE;
}

} // namespace

BOOL CVQConfFile::StartEdit(UINT bufferSize, UINT headerIndent, UINT headerTextColumn,
                            UINT keywordWidth, UINT delimiterWidth, UINT commentColumn) {
  impl->editing = false;
  std::string().swap(impl->edit);
  if (bufferSize == 0 || bufferSize > kMaxBufferSize || headerTextColumn > kMaxColumn ||
      delimiterWidth > kMaxColumn || commentColumn > kMaxColumn ||
      headerIndent >= headerTextColumn || keywordWidth >= commentColumn) {
    Log().PrtLog(VQLOG_ERROR, kConfTag,
                 "Illegal layout for the configuration editor (%u, %u, %u, %u, %u, %u)", bufferSize,
                 headerIndent, headerTextColumn, keywordWidth, delimiterWidth, commentColumn);
    return FALSE;
  }
  try {
    impl->edit.reserve(bufferSize);
  } catch (const std::bad_alloc &) {
    Log().PrtLog(VQLOG_ERROR, kConfTag,
                 "Not enough free memory for the configuration editor (%u bytes)", bufferSize);
    return FALSE;
  }
  impl->headerIndent = headerIndent;
  impl->headerTextColumn = headerTextColumn;
  impl->keywordWidth = keywordWidth;
  impl->delimiterWidth = delimiterWidth;
  impl->commentColumn = commentColumn;
  impl->editing = true;
  return TRUE;
}

BOOL CVQConfFile::EditHdParamLine(UINT number, const char *text) {
  if (!impl->editing)
    return NotStarted();
  if (number >= kHeaderLines) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "Illegal header line number %u", number);
    return FALSE;
  }
  char date[32];
  if (!text && number == kDateLine) {
    OsTime t;
    Os().localTime(&t);
    std::snprintf(date, sizeof date, "%02u.%02u.%04u %02u:%02u:%02u", t.day, t.month, t.year,
                  t.hour, t.minute, t.second);
    text = date;
  }
  if (!text)
    text = "";
  if (HasControl(text)) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "Control character in the text of header line %u", number);
    return FALSE;
  }
  std::string line = ";";
  PadTo(line, impl->headerIndent, 1);
  if (number != 0) {
    line += kHeaderLabels[number];
    PadTo(line, impl->headerTextColumn, 1);
  }
  line += text;
  return AppendLine(impl->edit, std::move(line));
}

BOOL CVQConfFile::EditHdEmptyLine() {
  if (!impl->editing)
    return NotStarted();
  return AppendLine(impl->edit, ";");
}

BOOL CVQConfFile::EditHdDelLine() {
  if (!impl->editing)
    return NotStarted();
  std::string line = ";";
  if (impl->delimiterWidth > 1)
    line.append(impl->delimiterWidth - 1, '-');
  return AppendLine(impl->edit, std::move(line));
}

BOOL CVQConfFile::EditDataLine(const char *keyword, const char *text, const char *comment) {
  if (!impl->editing)
    return NotStarted();
  if (!text)
    text = "";
  if (!comment)
    comment = "";
  if (!IsWritableKeyword(keyword)) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "\"%s\" is not a legal configuration keyword",
                 keyword ? keyword : "");
    return FALSE;
  }
  if (HasControl(text) || HasControl(comment)) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "Control character in the line of keyword %s", keyword);
    return FALSE;
  }
  if (!ReadsBack(text)) {
    Log().PrtLog(VQLOG_ERROR, kConfTag,
                 "Text of keyword %s has an unpaired quote or a ';' outside quotes", keyword);
    return FALSE;
  }
  std::string line = keyword;
  if (*text) {
    PadTo(line, impl->keywordWidth, 1);
    line += text;
  }
  if (*comment) {
    PadTo(line, impl->commentColumn, 2);
    line += "; ";
    line += comment;
  }
  return AppendLine(impl->edit, std::move(line));
}

BOOL CVQConfFile::EditTextLine(const char *keyword, const char *text, const char *comment) {
  if (!impl->editing)
    return NotStarted();
  std::string quoted = "\"";
  for (const char *p = text ? text : ""; *p; ++p) {
    if (*p == '"')
      quoted += '"';
    quoted += *p;
  }
  quoted += '"';
  return EditDataLine(keyword, quoted.c_str(), comment);
}

BOOL CVQConfFile::EditIntLine(const char *keyword, UINT value, const char *comment) {
  char number[16];
  std::snprintf(number, sizeof number, "%u", value);
  return EditDataLine(keyword, number, comment);
}

BOOL CVQConfFile::EditComment(const char *text) {
  if (!impl->editing)
    return NotStarted();
  if (!text || !*text)
    return AppendLine(impl->edit, ";");
  if (HasControl(text)) {
    Log().PrtLog(VQLOG_ERROR, kConfTag, "Control character in a comment");
    return FALSE;
  }
  return AppendLine(impl->edit, std::string("; ") + text);
}

BOOL CVQConfFile::WriteEdit(const char *path, BOOL replace) {
  if (!impl->editing)
    return NotStarted();
  return WriteAtomic(path, impl->edit.data(), static_cast<UINT>(impl->edit.size()), replace);
}

const char *CVQConfFile::GetEditText() const { return impl->edit.c_str(); }

UINT CVQConfFile::GetEditLength() const { return static_cast<UINT>(impl->edit.size()); }
