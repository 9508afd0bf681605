// The three views of a parsed selection: the text form written back for
// the user to edit, the list of its comparisons in a list view, and a dump
// of the tree's records to the log. None of them changes the tree.
//
// The text form quotes every value in double quotes and writes operators
// as || ^^ &&; an operation below the root goes in "( ... )" so that the
// text parses back to the same tree, as long as no value holds a double
// quote (which cannot be written) or a parenthesis inside such a group
// (groups close without regard to quotes).
#include "data/sel_syntax.h"

#include "frame/library.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vq::sel {
namespace {

const SVQDataCompOper *AsOperation(const SVQDataCompLink &link) {
  if (!link.fAlloc || !link.pOper || *static_cast<const BYTE *>(link.pOper) != idOPERATION)
    return nullptr;
  return static_cast<const SVQDataCompOper *>(link.pOper);
}

const SVQDataCompExpr *AsExpression(const SVQDataCompLink &link) {
  if (!link.fAlloc || !link.pOper || *static_cast<const BYTE *>(link.pOper) != idEXPRESSION)
    return nullptr;
  return static_cast<const SVQDataCompExpr *>(link.pOper);
}

// Writes up to `room` characters and counts all of them, so one pass both
// fills a bounded buffer and measures the whole text.
class Writer {
public:
  Writer(char *buffer, size_t room) : out_(buffer), room_(buffer ? room : 0) {}
  void Put(const char *text) {
    const size_t n = std::strlen(text);
    if (total_ < room_)
      std::memcpy(out_ + total_, text, std::min(n, room_ - total_));
    total_ += n;
  }
  void Put(char c) {
    if (total_ < room_)
      out_[total_] = c;
    ++total_;
  }
  // Terminates what was written; returns the whole text's length.
  size_t Finish() {
    if (out_)
      out_[std::min(total_, room_)] = '\0';
    return total_;
  }

  void Link(const SVQDataCompLink &link, UINT depth) {
    if (const SVQDataCompExpr *expr = AsExpression(link)) {
      Put(expr->Column);
      Put(' ');
      Put(FuncText(expr->Func));
      Put(" \"");
      Put(expr->Value);
      Put('"');
    } else if (const SVQDataCompOper *oper = AsOperation(link)) {
      if (depth > 0)
        Put("( ");
      if (oper->Link[0].fAlloc) {
        Link(oper->Link[0], depth + 1);
        Put(' ');
      }
      Put(OperText(oper->Oper));
      Put(' ');
      if (oper->Link[1].fAlloc) {
        Link(oper->Link[1], depth + 1);
        Put(' ');
      }
      if (depth > 0)
        Put(')');
    }
  }

private:
  char *out_;
  size_t room_; // characters that fit before the terminator
  size_t total_ = 0;
};

// Lists the comparisons below `link` from row `*row` on; false when the
// list view refused a row.
bool ListLink(CVQListView &view, const SVQDataCompLink &link, UINT *row) {
  if (const SVQDataCompOper *oper = AsOperation(link))
    return ListLink(view, oper->Link[0], row) && ListLink(view, oper->Link[1], row);
  const SVQDataCompExpr *expr = AsExpression(link);
  if (!expr)
    return true;
  if (view.InsertItem(*row, LPARAM(*row), 0) < 0)
    return false;
  const char *texts[] = {expr->Column, FuncText(expr->Func), expr->Value};
  for (int sub = 0; sub < 3; ++sub) {
    LVITEMA item{};
    item.iSubItem = sub;
    item.pszText = const_cast<char *>(texts[sub]);
    SendMessageA(view.GetListView(), LVM_SETITEMTEXTA, *row, reinterpret_cast<LPARAM>(&item));
  }
  ++*row;
  return true;
}

unsigned long long Address(const void *p) { return reinterpret_cast<UINT_PTR>(p); }

void DumpLink(const SVQDataCompLink *link) {
  const BYTE idRec = link->pOper ? *static_cast<const BYTE *>(link->pOper) : 255;
  theLibrary.PrtLog(VQLOG_TRACE, kTag,
                    "Dump Link: pLink = 0x%llX, pOper = 0x%llX, fAlloc = %u, idRec = %u",
                    Address(link), Address(link->pOper), UINT(link->fAlloc), UINT(idRec));
  if (const SVQDataCompExpr *expr = AsExpression(*link)) {
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "Expression: Func = %u, Column = %s, Value = <%s>",
                      UINT(expr->Func), expr->Column, expr->Value);
  } else if (const SVQDataCompOper *oper = AsOperation(*link)) {
    theLibrary.PrtLog(VQLOG_TRACE, kTag, "Operation: Oper = %u, Link[0] = 0x%llX, Link[1] = 0x%llX",
                      UINT(oper->Oper), Address(&oper->Link[0]), Address(&oper->Link[1]));
    DumpLink(&oper->Link[0]);
    DumpLink(&oper->Link[1]);
  }
}

} // namespace
} // namespace vq::sel

UINT CVQTblSelDesc::edit(char *buffer) const {
  if (!buffer)
    return 0;
  vq::sel::Writer writer(buffer, SIZE_MAX - 1);
  writer.Link(Root, 0);
  return UINT(writer.Finish());
}

UINT CVQTblSelDesc::edit(char *buffer, UINT size) const {
  vq::sel::Writer writer(size ? buffer : nullptr, size ? size - 1 : 0);
  writer.Link(Root, 0);
  return UINT(writer.Finish());
}

int CVQTblSelDesc::disp(CVQListView *listView) const {
  if (!listView)
    return 0;
  SendMessageA(listView->GetListView(), LVM_DELETEALLITEMS, 0, 0);
  listView->itemCount = 0;
  UINT rows = 0;
  vq::sel::ListLink(*listView, Root, &rows);
  return rows > 0 ? 1 : 0;
}

void CVQTblSelDesc::dump(const SVQDataCompLink *link) const {
  // Nothing is formatted while the log is off.
  if (theLibrary.IsLogActive())
    vq::sel::DumpLink(link ? link : &Root);
}
