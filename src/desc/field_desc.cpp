// The field description record: its defaults, its attributes set from the
// type lists, its "Field:" configuration line, its size check, and its
// line in a grid of fields; the field list's record size and display
// width; the name comparator the lists are searched with.
//
// A field line reads
//   offset, size, encodeType, contentType, dataJustType, displayType,
//   dispJustType, dispWidth, "name"
// which is not the member order: each justification follows its type word.
#include "desc/record_table.h"
#include "desc/type_lists.h"
#include "grid/grid_attach.h"

#include "frame/library.h"

#include <cstdio>
#include <cstring>

namespace {

using vq::grid::LoadResText;
using namespace vqdesc;

constexpr char kTag[] = "CVQFieldDesc";
constexpr UINT kUnset = ~0u;
constexpr UINT kNameChars = sizeof(CVQFieldDesc::name) - 1;

// Numbered messages; their texts are in the resource modules.
enum : UINT {
  kMsgRead = 1300,
  kMsgName = 1301,
  kMsgSize = 1310, // + encode type
};

// Takes the value of list row `index` into `member`; rows never hold -1,
// which GetValue answers for -1 and rows past the end.
int TakeRow(const CVQListBox &list, UINT index, UINT &member) {
  const UINT value = list.GetValue(index);
  if (value == kUnset)
    return 0;
  member = value;
  return 1;
}

// The name of code `code` of the vocabulary at `base`; an unset code has
// the empty name. Codes past the last name show as "<number>" like any
// missing text, also those whose number would lie beyond the string ids.
void CodeName(UINT base, UINT code, char *text, UINT size) {
  text[0] = '\0';
  if (code == kUnset)
    return;
  const ULONGLONG id = ULONGLONG(base) + code;
  if (id <= 0xFFFF)
    LoadResText(&theLibrary, static_cast<UINT>(id), text, size);
  else
    std::snprintf(text, size, "<%llu>", id);
}

// Appends `text` to the NUL-terminated `out` of `size` bytes, cut to fit.
void Append(char *out, UINT size, const char *text) {
  const size_t used = std::strlen(out);
  std::snprintf(out + used, size - used, "%s", text);
}

void AppendChar(char *out, UINT size, char c) {
  const char text[2] = {c, '\0'};
  Append(out, size, text);
}

// The short flag summary of a type word shown beside its kind name:
// "-0.,2" for a signed, zero-padded, grouped number of two decimals with
// a decimal comma; date and time format names for kind 2.
void TypeSummary(UINT word, char *out, UINT size) {
  out[0] = '\0';
  const UINT decimals = (word & twDECIMALS) >> twDECIMALS_SHIFT;
  switch (word & twKIND) {
  case pkNUMBER:
    if (word & twSIGNED)
      AppendChar(out, size, '-');
    if (word & twLEADZERO)
      AppendChar(out, size, '0');
    [[fallthrough]];
  case pkDECIMAL:
    if (word & twGROUPING)
      AppendChar(out, size, '.');
    if (decimals != 0) {
      if (word & twDECCOMMA)
        AppendChar(out, size, ',');
      AppendChar(out, size, static_cast<char>('0' + decimals));
    }
    break;
  case pkDATETIME: {
    char name[64];
    if (word & twDATE) {
      CodeName(kDateFormatNames, decimals, name, sizeof name);
      Append(out, size, name);
      if (word & twTIME)
        AppendChar(out, size, '+');
    }
    if (word & twTIME) {
      CodeName(kTimeFormatNames, (word & twTIMEFMT) >> twTIMEFMT_SHIFT, name, sizeof name);
      Append(out, size, name);
    }
    break;
  }
  default:
    break;
  }
}

} // namespace

CVQFieldDesc::CVQFieldDesc()
    : offset(0), size(0), dispWidth(0), encodeType(kUnset), contentType(0), displayType(0),
      dataJustType(0), dispJustType(0), name{} {}

void CVQFieldDesc::SetEncodeType(UINT code) {
  encodeType = code;
  switch (code) {
  case iteINT16:
    size = 2;
    break;
  case iteINT32:
  case ite32FLOATING:
    size = 4;
    break;
  case iteINT64:
  case ite64FLOATING:
    size = 8;
    break;
  case ite80FLOATING:
    size = 10;
    break;
  default: // the variable-sized encodings keep what the caller set
    break;
  }
}

int CVQFieldDesc::SetEncodeTypeIdx(UINT index) {
  UINT code = encodeType;
  if (!TakeRow(lbEncodeTypes, index, code))
    return 0;
  SetEncodeType(code);
  return 1;
}

int CVQFieldDesc::SetContentTypeIdx(UINT index) {
  return TakeRow(lbContentTypes, index, contentType);
}
int CVQFieldDesc::SetDisplayTypeIdx(UINT index) {
  return TakeRow(lbDisplayTypes, index, displayType);
}
int CVQFieldDesc::SetDataJustTypeIdx(UINT index) {
  return TakeRow(lbDataJustTypes, index, dataJustType);
}
int CVQFieldDesc::SetDispJustTypeIdx(UINT index) {
  return TakeRow(lbDispJustTypes, index, dispJustType);
}

int CVQFieldDesc::DispEncodeTypeLB(HWND listBox) const {
  return lbEncodeTypes.Display(listBox, encodeType);
}
int CVQFieldDesc::DispContentTypeLB(HWND listBox) const {
  return lbContentTypes.Display(listBox, contentType & twKIND);
}
int CVQFieldDesc::DispDisplayTypeLB(HWND listBox) const {
  return lbDisplayTypes.Display(listBox, displayType & twKIND);
}
int CVQFieldDesc::DispDataJustTypeLB(HWND listBox) const {
  return lbDataJustTypes.Display(listBox, dataJustType);
}
int CVQFieldDesc::DispDispJustTypeLB(HWND listBox) const {
  return lbDispJustTypes.Display(listBox, dispJustType);
}

int CVQFieldDesc::ReadDef(CVQConfFile &file, const char *keyword, UINT index) {
  const char *key = keyword ? keyword : "";
  UINT words[8] = {};
  UINT count = 0, nameLength = 0;
  // The name is read into a larger buffer than the member: a name the
  // member cannot hold is refused rather than cut, since a cut name could
  // meet another field's name.
  char text[4 * sizeof name];
  const UINT rc = file.GetWordsText(keyword, words, 8, &count, text, sizeof text, &nameLength);
  if (rc != VQCF_OK) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on reading field keyword %s(%u)", rc, key,
                      index);
    theLibrary.ErrorBox(kMsgRead, rc, key, index);
    return 0;
  }
  if (nameLength == 0) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Field name is empty in data field %s(%u)", key, index);
    theLibrary.ErrorBox(kMsgName, key, index);
    return 0;
  }
  if (nameLength > kNameChars) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Field name is longer than %u characters in data field %s(%u)", kNameChars,
                      key, index);
    theLibrary.ErrorBox(kMsgName, key, index);
    return 0;
  }
  std::memcpy(name, text, nameLength + 1);
  // Numbers the line leaves out stay 0: a short line is a field of encode
  // type iteINT8, not one with the type unset.
  offset = words[0];
  size = words[1];
  encodeType = words[2];
  contentType = words[3];
  dataJustType = words[4];
  displayType = words[5];
  dispJustType = words[6];
  dispWidth = words[7];
  return 1;
}

int CVQFieldDesc::WriteDef(CVQConfFile &file) const {
  char quoted[2 * sizeof name + 1];
  vq::grid::DoubleQuotes(quoted, name, kNameChars);
  char line[256]; // eight 10-digit numbers and a name of doubled quotes fit
  std::snprintf(line, sizeof line, "%4u, %3u, %u, 0x%04X, %u, 0x%04X, %u, %2u, \"%s\"", offset,
                size, encodeType, contentType, dataJustType, displayType, dispJustType, dispWidth,
                quoted);
  // A refused line is logged by the editor; the table description goes on
  // with its other lines either way.
  file.EditDataLine("Field:", line, nullptr);
  return 1;
}

int CVQFieldDesc::VerifyField() const {
  bool fits;
  switch (encodeType) {
  case iteINT8:
  case iteTEXT:
    fits = size != 0;
    break;
  case iteINT16:
    fits = size == 2;
    break;
  case iteINT32:
  case ite32FLOATING:
    fits = size == 4;
    break;
  case iteINT64:
  case ite64FLOATING:
    fits = size == 8;
    break;
  case ite80FLOATING:
    fits = size == 10;
    break;
  case iteUNICODETEXT:
    fits = size != 0 && size % 2 == 0;
    break;
  default: // unknown and unset types are checked where they are used
    return 1;
  }
  if (fits)
    return 1;
  theLibrary.ErrorBox(kMsgSize + encodeType);
  return 0;
}

int CVQFieldDesc::DispDef(CGridDef &grid, UINT line) const {
  IGridView *view = grid.pGrid;
  if (!view)
    return 1;
  char text[64];
  char fieldName[sizeof name + 1] = {};
  std::memcpy(fieldName, name, sizeof name);
  view->SetItemUInt(line, 0, line + 1);
  view->SetItemText(line, 1, fieldName);
  CodeName(kEncodeNames, encodeType, text, sizeof text);
  view->SetItemText(line, 2, text);
  view->SetItemUInt(line, 3, offset);
  view->SetItemUInt(line, 4, size);
  const struct {
    UINT word, just, column;
  } halves[] = {{contentType, dataJustType, 5}, {displayType, dispJustType, 8}};
  for (const auto &h : halves) {
    CodeName(kKindNames, h.word == kUnset ? kUnset : h.word & twKIND, text, sizeof text);
    view->SetItemText(line, h.column, text);
    text[0] = '\0';
    if (h.word != kUnset)
      TypeSummary(h.word, text, sizeof text);
    view->SetItemText(line, h.column + 1, text);
    CodeName(kJustNames, h.just, text, sizeof text);
    view->SetItemText(line, h.column + 2, text);
  }
  view->SetItemUInt(line, 11, dispWidth);
  return 1;
}

// The list's array comes from new[] (the table description allocates it).
CVQFieldDescList::~CVQFieldDescList() {
  delete[] fields;
  fields = nullptr;
  reset = count = capacity = 0;
}

// Both sums saturate: a field placed near 4 GiB must not wrap to a small
// record size that a caller would then allocate and overrun.
UINT CVQFieldDescList::GetRecSize() const {
  ULONGLONG end = 0;
  for (UINT i = 0; fields && i < count; ++i) {
    const ULONGLONG e = ULONGLONG(fields[i].offset) + fields[i].size;
    end = e > end ? e : end;
  }
  return end > kUnset ? kUnset : static_cast<UINT>(end);
}

UINT CVQFieldDescList::GetDispWidth() const {
  ULONGLONG sum = 0;
  for (UINT i = 0; fields && i < count; ++i)
    sum += fields[i].dispWidth;
  return sum > kUnset ? kUnset : static_cast<UINT>(sum);
}

int CmpFieldName(const char *key, const CVQFieldDesc *field) {
  return vqdesc::CompareName(key, field ? field->name : nullptr, sizeof(CVQFieldDesc::name));
}
