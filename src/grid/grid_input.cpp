// The grid control's mouse and keyboard: hit testing, column resizing by
// dragging a header border, clicks that select and start editing, the
// keyboard table that moves the current cell, and the mouse wheel.
//
// Chosen here, where the control's description leaves room:
// - The wheel scrolls three lines a notch (120 units; smaller deltas add
//   up), never past the ends, and tells the parent the new top line as
//   the scroll bar does (GVN_TOPLINECHANGED), so hosts that follow the top
//   line see wheel scrolling too.
// - In line mode with GS_LINEMODEEDIT a click also makes the clicked
//   column current, so that the cell opened is the one clicked.
#include "grid/grid_view.h"

#include "frame/library.h"

#include <algorithm>

using namespace vq::grid;

namespace {

constexpr int kBorderReach = 5;
constexpr int kWheelDelta = 120;
constexpr int kWheelLines = 3;

// The border within reach of x, searched from column 1: a column index
// (its left edge), the column count (the right edge of the last one), or
// kNone.
UINT BorderNear(const CGridView &g, int x) {
  for (UINT i = 1; i < g.columnCount; ++i) {
    const int e = static_cast<int>(g.columns[i].x);
    if (x + kBorderReach >= e && x < e + kBorderReach)
      return i;
  }
  if (g.columnCount) {
    const SGridColumn &last = g.columns[g.columnCount - 1];
    const int r = static_cast<int>(last.x + last.width);
    if (x + kBorderReach >= r && x < r + kBorderReach)
      return g.columnCount;
  }
  return kNone;
}

void MoveBorder(CGridView &g, int x) {
  if (x == g.lastX || g.resizeBorder == 0 || g.resizeBorder > g.columnCount)
    return;
  const UINT b = g.resizeBorder;
  SGridColumn &before = g.columns[b - 1];
  const int edge = b == g.columnCount ? static_cast<int>(before.x + before.width)
                                      : static_cast<int>(g.columns[b].x);
  const int pos = std::max(edge - g.lastX + x, static_cast<int>(before.x));
  before.width = static_cast<UINT>(pos) - before.x;
  UINT next = static_cast<UINT>(pos);
  for (UINT i = b; i < g.columnCount; ++i) {
    g.columns[i].x = next;
    next += g.columns[i].width;
  }
  g.totalWidth = next;
  g.lastX = x;
  InvalidateRect(g.hWnd, nullptr, TRUE);
}

void EndResize(CGridView &g, bool lastMove, int x) {
  if (lastMove)
    MoveBorder(g, x);
  else
    InvalidateRect(g.hWnd, nullptr, TRUE);
  if (g.clientW > 0)
    for (UINT i = 0; i < g.columnCount; ++i)
      g.columns[i].percent = static_cast<UINT>(
          (static_cast<UINT64>(g.clientW) / 2 + static_cast<UINT64>(g.columns[i].width) * 100) /
          static_cast<UINT64>(g.clientW));
  if (g.prevCursor)
    SetCursor(g.prevCursor);
  g.resizeCursor = FALSE;
  g.resizing = FALSE;
  if (GetCapture() == g.hWnd)
    ReleaseCapture();
}

void ShowResizeCursor(CGridView &g, bool show) {
  if (show == static_cast<bool>(g.resizeCursor))
    return;
  if (show) {
    HCURSOR c = LoadCursorA(theLibrary.GetModule(), MAKEINTRESOURCEA(kCurColumnResize));
    g.prevCursor = SetCursor(c);
    g.resizeCursor = TRUE;
    SetCapture(g.hWnd);
  } else {
    SetCursor(g.prevCursor);
    g.resizeCursor = FALSE;
    if (GetCapture() == g.hWnd)
      ReleaseCapture();
  }
}

// The moves of the keyboard table end here: store the new cell, bring
// its line into view, and tell the parent when asked to.
void EndKeyMove(CGridView &g, UINT line, UINT column) {
  const bool changed = line != g.curLine || column != g.curColumn;
  if (changed) {
    g.RedrawLine(g.curLine);
    g.curLine = line;
    g.curColumn = column == kNone ? 0 : column;
  }
  const UINT top = g.topLine, v = static_cast<UINT>(VisibleOffset(g));
  switch (g.GetLineVisibility(line)) {
  case -1:
    g.ScrollLines(static_cast<int>(static_cast<INT64>(line) - top));
    break;
  case 1:
    g.ScrollLines(static_cast<int>(static_cast<INT64>(line) - top - v));
    break;
  default:
    g.RedrawLine(line);
  }
  if (changed && (g.style & GS_NOTIFYMOVES)) {
    const bool cell = !IsLineMode(g) && g.curColumn < g.columnCount;
    Notify(g, cell ? g.columns[g.curColumn].id : g.ownId, GVN_CELLMOVED, static_cast<LPARAM>(line));
  }
}

void ClickCell(CGridView &g, UINT line, UINT column) {
  if (IsLineMode(g)) {
    if (g.style & GS_LINEMODEEDIT)
      g.curColumn = column;
    if (line != g.curLine) {
      g.RedrawLine(g.curLine);
      g.curLine = line;
      if (g.columnCount && (g.columns[0].flags & GCF_EDITONCLICK))
        EditCurrent(g);
      else
        Notify(g, g.ownId, GVN_LINESELECTED, static_cast<LPARAM>(line));
    } else {
      EditCurrent(g);
    }
    return;
  }
  const bool changed = line != g.curLine || column != g.curColumn;
  if (line != g.curLine) {
    g.RedrawLine(g.curLine);
    g.curLine = line;
  }
  if (!changed) {
    EditCurrent(g);
    return;
  }
  g.curColumn = column;
  if (g.columns[column].flags & GCF_EDITONCLICK)
    EditCurrent(g);
  else
    Notify(g, g.columns[column].id, GVN_CELLSELECTED, static_cast<LPARAM>(line));
}

} // namespace

namespace vq::grid {

UINT ColumnAt(const CGridView &g, int x) {
  for (UINT i = 0; i < g.columnCount; ++i) {
    const SGridColumn &c = g.columns[i];
    if (x >= static_cast<int>(c.x) && x < static_cast<int>(c.x + c.width))
      return i;
  }
  return kNone;
}

UINT LineAt(const CGridView &g, int y) {
  if (y <= static_cast<int>(g.headerHeight) || g.lineHeight == 0)
    return kNone;
  const UINT line =
      static_cast<UINT>(y - static_cast<int>(g.headerHeight)) / g.lineHeight + FirstShownLine(g);
  return line < LineTotal(g) ? line : kNone;
}

LRESULT OnKeyDown(CGridView &g, WPARAM vk, LPARAM lp) {
  const UINT n = g.GetLineCount();
  const UINT v = static_cast<UINT>(VisibleOffset(g));
  const UINT first = FirstShownLine(g);
  const UINT last = g.vBarShown ? g.topLine + v : n - 1;
  UINT line = g.curLine, column = g.curColumn;
  switch (vk) {
  case VK_RETURN:
    EditCurrent(g);
    break;
  case VK_ESCAPE:
  case VK_F1:
  case VK_F2:
  case VK_F3:
  case VK_F4:
  case VK_F5:
  case VK_F6:
  case VK_F7:
  case VK_F8:
  case VK_F9:
  case VK_F10:
  case VK_F11:
  case VK_F12:
    return SendMessageA(g.hParent, WM_KEYDOWN, vk, lp);
  case VK_PRIOR:
    if (g.vBarShown) {
      const UINT d = std::min(v, g.topLine);
      g.ScrollLines(-static_cast<int>(d));
      if (line != kNone)
        line -= std::min(d, line);
    }
    break;
  case VK_NEXT:
    if (g.vBarShown) {
      UINT d = v;
      if (2ull * d + g.topLine >= n)
        d = n - d - g.topLine - 1;
      g.ScrollLines(static_cast<int>(d));
      if (line != kNone)
        line = std::min(line + d, n - 1);
    }
    break;
  case VK_END:
    line = (line == kNone || line >= last) ? n - 1 : last;
    break;
  case VK_HOME:
    line = (line != kNone && first < line) ? first : 0;
    break;
  case VK_LEFT:
    column = (column == 0 || column == kNone) ? 0 : column - 1;
    break;
  case VK_RIGHT:
    if (column + 1 < g.columnCount || column == kNone)
      column = column + 1;
    break;
  case VK_UP:
    if (line != 0 && line != kNone)
      --line;
    break;
  case VK_DOWN:
    if (line + 1 < n || line == kNone)
      line = line + 1;
    break;
  case VK_INSERT: {
    const bool byGrid = (g.style & (GS_LINEMODE | GS_INSERTBYGRID)) || column >= g.columnCount;
    Notify(g, byGrid ? g.ownId : g.columns[column].id, byGrid ? GVN_INSERTLINE : GVN_INSERTCELL,
           static_cast<LPARAM>(line));
    return 0;
  }
  case VK_DELETE:
    if (line != kNone) {
      if (g.style & (GS_LINEMODE | GS_DELETEBYGRID))
        Notify(g, g.ownId, GVN_DELETELINE, static_cast<LPARAM>(line));
      else if (column < g.columnCount)
        Notify(g, g.columns[column].id, GVN_DELETECELL, static_cast<LPARAM>(line));
    }
    return 0;
  default:
    break;
  }
  if (n == 0 && line != kNone && line >= n)
    line = g.curLine; // nothing to move to in an empty grid
  EndKeyMove(g, line, column);
  return 0;
}

void OnMouseMove(CGridView &g, WPARAM keys, int x, int y) {
  if (g.resizing) {
    if (keys & MK_LBUTTON)
      MoveBorder(g, x);
    else
      EndResize(g, true, x);
    return;
  }
  const bool overBorder = g.columnCount && y <= static_cast<int>(g.headerHeight) && y >= 0 &&
                          x > 0 && BorderNear(g, x) != kNone && !(keys & MK_LBUTTON);
  if (overBorder)
    g.lastX = x;
  ShowResizeCursor(g, overBorder);
}

void OnLButtonDown(CGridView &g, int x, int y) {
  if (y <= static_cast<int>(g.headerHeight)) {
    const UINT border = g.resizeCursor ? BorderNear(g, x) : kNone;
    if (border != kNone && border > 0) {
      g.resizing = TRUE;
      g.lastX = x;
      g.resizeBorder = border;
      return;
    }
    if (g.resizeCursor)
      ShowResizeCursor(g, false);
    const UINT column = ColumnAt(g, x);
    if (column != kNone)
      Notify(g, g.ownId, GVN_LCLICKHEADER, static_cast<LPARAM>(column));
    else
      Notify(g, g.ownId, GVN_LCLICKEMPTY, MAKELPARAM(x, y));
    return;
  }
  const UINT line = LineAt(g, y), column = ColumnAt(g, x);
  if (line == kNone || column == kNone) {
    const UINT old = g.curLine;
    g.curLine = g.curColumn = kNone;
    g.RedrawLine(old);
    Notify(g, g.ownId, GVN_LCLICKEMPTY, MAKELPARAM(x, y));
    return;
  }
  SetFocus(g.hWnd);
  BeginSending(g);
  ClickCell(g, line, column);
  if (EndSending(g))
    g.RedrawLine(g.curLine);
}

void OnLButtonUp(CGridView &g, int x) {
  if (g.resizing)
    EndResize(g, true, x);
}

void OnCancelMode(CGridView &g) {
  if (g.resizing)
    EndResize(g, false, 0);
}

void OnRButtonDown(CGridView &g, int x, int y) {
  if (y <= static_cast<int>(g.headerHeight)) {
    const UINT column = ColumnAt(g, x);
    if (column != kNone)
      Notify(g, g.ownId, GVN_RCLICKHEADER, static_cast<LPARAM>(column));
    else
      Notify(g, g.ownId, GVN_RCLICKEMPTY, MAKELPARAM(x, y));
    return;
  }
  const UINT line = LineAt(g, y), column = ColumnAt(g, x);
  if ((g.style & GS_RCLICKPOINT) || line == kNone) {
    Notify(g, g.ownId, GVN_RCLICKEMPTY, MAKELPARAM(x, y));
  } else if ((g.style & (GS_LINEMODE | GS_RCLICKDETAIL)) || column == kNone) {
    UINT detail[4] = {line, column, static_cast<UINT>(x), static_cast<UINT>(y)};
    Notify(g, g.ownId, GVN_RCLICKLINE, reinterpret_cast<LPARAM>(detail));
  } else {
    Notify(g, g.columns[column].id, GVN_RCLICKCELL, static_cast<LPARAM>(line));
  }
}

void OnMButtonDown(CGridView &g, int x, int y) {
  if (y > static_cast<int>(g.headerHeight))
    return;
  const UINT column = ColumnAt(g, x);
  if (column != kNone)
    Notify(g, g.ownId, GVN_MCLICKHEADER, static_cast<LPARAM>(column));
  else
    Notify(g, g.ownId, GVN_MCLICKEMPTY, MAKELPARAM(x, y));
}

void OnMouseWheel(CGridView &g, int delta) {
  if (!g.vBarShown)
    return;
  g.wheelRest += delta;
  const int notches = g.wheelRest / kWheelDelta;
  g.wheelRest -= notches * kWheelDelta;
  if (notches == 0)
    return;
  const INT64 wanted = static_cast<INT64>(g.topLine) - static_cast<INT64>(notches) * kWheelLines;
  const UINT top = static_cast<UINT>(std::clamp<INT64>(wanted, 0, g.scrollMax));
  if (top == g.topLine)
    return;
  g.ScrollLines(static_cast<int>(static_cast<INT64>(top) - g.topLine));
  Notify(g, g.ownId, GVN_TOPLINECHANGED, static_cast<LPARAM>(top));
}

} // namespace vq::grid
