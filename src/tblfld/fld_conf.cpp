// The configuration lines of a list-view field description set: one line
// of the caller's keyword per field, read in a sequence and written back
// in the same form. Whatever the reader accepts, the writer writes so that
// it reads back to the same entries: the name's quotes are doubled, as the
// reader expects them, and a justification always comes back as a capital.
#include "tblfld/entry_memory.h"
#include "tblfld/tblfld.h"

#include <cstdio>
#include <string>

using namespace vqtblfld;

namespace {

constexpr UINT kNumbers = 6;
constexpr char kLineComment[] = "Table field definition";

// Frees the set and ends the sequence that a refused line interrupted.
int Refuse(CVQTblFldDesc &set, CVQConfFile &conf) {
  conf.EndSequence();
  set.Free();
  return 0;
}

std::string LineText(const SVQTblField &f) {
  std::string name = "\"";
  for (size_t i = 0; i < sizeof f.name && f.name[i]; ++i) {
    if (f.name[i] == '"')
      name += '"';
    name += f.name[i];
  }
  name += '"';
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, "%3u, %2u, %2u, %2u, '%c', 0x%04X, ", f.position, f.length,
                f.type, UINT(f.width), JustChar(f.justification), f.flags);
  return numbers + name;
}

} // namespace

int CVQTblFldDesc::ParseDesc(CVQConfFile &conf, const char *keyword) {
  Free();
  const char *key = keyword ? keyword : "";
  const UINT n = conf.GetKeyCount(keyword);
  if (n == 0) {
    theLibrary.PrtLog(VQLOG_WARNING, kFldTag, "Keyword %s not found in %s", key,
                      conf.GetFileName());
    theLibrary.ErrorBox(kMsgNoKeyword, key, conf.GetFileName());
    return 0;
  }
  if (!Alloc(n))
    return 0;
  conf.BeginSequence();
  for (UINT i = 0; i < n; ++i) {
    SVQTblField &f = fields[i];
    UINT values[kNumbers] = {}, found = 0, length = 0;
    char name[sizeof f.name] = {};
    const UINT error =
        conf.GetWordsText(keyword, values, kNumbers, &found, name, sizeof name, &length);
    if (error) {
      theLibrary.PrtLog(VQLOG_ERROR, kFldTag, "Error %u on call of CVQConfFile::GetWordsText.",
                        error);
      theLibrary.ErrorBox(kMsgReadError, error, conf.GetFileName());
      return Refuse(*this, conf);
    }
    if (found < kNumbers) {
      theLibrary.PrtLog(VQLOG_ERROR, kFldTag, "Only %u numerical parameters found in definition %u",
                        found, i);
      theLibrary.ErrorBox(kMsgFewNumbers, i + 1);
      return Refuse(*this, conf);
    }
    if (length == 0) {
      theLibrary.PrtLog(VQLOG_ERROR, kFldTag, "No field name found for field %u", i);
      theLibrary.ErrorBox(kMsgNoName, i + 1);
      return Refuse(*this, conf);
    }
    f.position = values[0];
    f.length = values[1];
    f.type = values[2];
    f.width = static_cast<BYTE>(values[3]);
    f.flags = values[5];
    SetName(f, name, length);
    f.treeKey = f.indexTree = kNotFound;
    f.justification = JustFromChar(values[4], kNotFound);
    if (f.justification == kNotFound) {
      theLibrary.PrtLog(VQLOG_ERROR, kFldTag,
                        "Justification 0x%X of definition %u is not L, M or R", values[4], i);
      theLibrary.ErrorBox(kMsgBadJust, i + 1);
      return Refuse(*this, conf);
    }
  }
  conf.EndSequence();
  return 1;
}

int CVQTblFldDesc::EditDesc(CVQConfFile &conf, const char *keyword) const {
  if (!fields || !count)
    return 0;
  bool written = conf.EditComment() && conf.EditComment("Definition of the table data fields") &&
                 conf.EditComment();
  for (UINT i = 0; written && i < count; ++i)
    written = conf.EditDataLine(keyword, LineText(fields[i]).c_str(), kLineComment);
  return written && conf.EditComment() ? 1 : 0;
}
