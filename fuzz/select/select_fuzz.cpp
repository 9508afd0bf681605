// Feeds arbitrary bytes to CVQTblSelDesc::parse. A failed parse must leave
// the empty tree; a tree that parsed must be well formed, dump cleanly and,
// where its text form can say it, read back from that text to the same
// text. Error boxes take their default answer without a person and are
// forgotten after each input, as are the captured log lines.
#include "frame/library.h"

#include <vqwin_modal.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool ok) {
  if (!ok)
    std::abort();
}

bool IsWord(const char *text) {
  if (!*text)
    return false;
  for (; *text; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '%' || c == '_' ||
                        c == 0xC4 || c == 0xD6 || c == 0xDC || c == 0xDF;
    if (!letter && !(c >= '0' && c <= '9') && !std::strchr(",-.:#*?", c))
      return false;
  }
  return true;
}

// Checks the links below `link` and tells whether the text form can carry
// them: a column is written bare, a value between double quotes, an
// operation with its operator even when an operand is missing, and groups
// close at any parenthesis, quoted or not.
bool Examine(const SVQDataCompLink &link, UINT depth, bool *writable) {
  Check((link.fAlloc == 0) == (link.pOper == nullptr));
  if (!link.fAlloc)
    return false;
  if (*static_cast<const BYTE *>(link.pOper) == idOPERATION) {
    const auto *oper = static_cast<const SVQDataCompOper *>(link.pOper);
    Check(oper->Oper <= loAND);
    const bool left = Examine(oper->Link[0], depth + 1, writable);
    const bool right = Examine(oper->Link[1], depth + 1, writable);
    Check(!right || left); // the right operand moves left when the left is empty
    Check(oper->nLinks == left + right);
    if (oper->nLinks < 2)
      *writable = false;
    return true;
  }
  const auto *expr = static_cast<const SVQDataCompExpr *>(link.pOper);
  Check(expr->idRec == idEXPRESSION);
  Check(expr->Func <= cfLESSEQUAL && expr->Func != cfSTREQUAL && expr->Func != cfSTRNOTEQUAL);
  Check(std::memchr(expr->Column, 0, sizeof expr->Column) != nullptr);
  Check(std::memchr(expr->Value, 0, sizeof expr->Value) != nullptr);
  if (!IsWord(expr->Column) || std::strchr(expr->Value, '"') ||
      (depth >= 2 && std::strpbrk(expr->Value, "()")))
    *writable = false;
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool capturing = [] {
    theLibrary.StartCapture();
    return true;
  }();
  (void)capturing;
  if (size > 64 * 1024)
    return 0;
  const char *text = reinterpret_cast<const char *>(data);
  CVQTblSelDesc sel;
  const int parsed = sel.parse(text, UINT(size));
  bool writable = true;
  if (!parsed) {
    Check(sel.Root.fAlloc == 0 && sel.Root.pOper == nullptr);
  } else {
    Examine(sel.Root, 0, &writable);
  }
  sel.dump();

  // Buffers of the measured size exactly, so a write past one is a report.
  const UINT length = sel.edit(nullptr, 0);
  std::vector<char> first(length + 1), whole(length + 1), second(length + 1);
  Check(sel.edit(first.data(), length + 1) == length && std::strlen(first.data()) == length);
  Check(sel.edit(whole.data()) == length && std::memcmp(first.data(), whole.data(), length) == 0);
  if (length > 0) {
    Check(sel.edit(second.data(), length) == length); // one short: cut, still measured
    Check(std::strlen(second.data()) == length - 1);
  }
  if (parsed && writable) {
    Check(sel.parse(first.data(), length) == 1);
    Check(sel.edit(second.data(), length + 1) == length);
    Check(std::memcmp(first.data(), second.data(), length + 1) == 0);
  }
  theLibrary.ClearCaptured();
  vqwinClearMessageBoxRecords();
  return 0;
}
