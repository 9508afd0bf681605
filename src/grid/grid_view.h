// What the units of the grid control share: its classes' registration
// for the library entry, and the helpers that the window procedure
// (grid_view.cpp), layout and painting (grid_paint.cpp), mouse and
// keyboard (grid_input.cpp) and in-place editing (grid_edit.cpp) call on
// one another. Internal to the library; hosts see CGridView in vq_tbl32.h.
#ifndef VQ_TBL32_GRID_GRID_VIEW_H
#define VQ_TBL32_GRID_GRID_VIEW_H

#include <vq_lib32.h>
#include <vq_tbl32.h>

namespace vq::grid {

constexpr const char *kTag = "CGridView";
constexpr const char *kGridClass = "CVQGridView32";
constexpr const char *kGridClassW = "CVQGridView32W";
constexpr const char *kPopupClass = "CVQListBoxParent";
constexpr UINT kNone = ~0u;
/// Size of the text buffers of painting and of the owner-data callback.
constexpr UINT kCellTextSize = 512;

/// Numbered messages (texts in the resource modules).
enum : UINT {
  kMsgRegister = 1100,
  kMsgRegPopup = 1101,
  kMsgCreate = 1102,
  kMsgNoLine = 1120,
  kMsgNoColumns = 1121,
  kMsgNoObject = 1130,
  kMsgNoPopupObject = 1140,
  kMsgNoListBox = 1141,
  kMsgNoEditor = 1150,
  kMsgNoDropDown = 1151,
  kMsgNoFont = 1160,
};

/// The library's own pictures and cursor.
enum : UINT {
  kBmpCheckOn = 5100,
  kBmpCheckOff = 5101,
  kBmpCheckUndetermined = 5102,
  kBmpStateOff = 5105,
  kBmpStateOn = 5106,
  kCurColumnResize = 5130,
};

/// Registers the three classes for `module` (at library load); a failure
/// is logged and shown, and the rest is not registered.
void RegisterGridClasses(HINSTANCE module);
void UnregisterGridClasses(HINSTANCE module);

// ---- Data model (grid_view.cpp) ----

SGridLine *FindLine(const CGridView &g, UINT line);
/// The item of a cell, NULL when the line, the column or the item is missing.
SGridElt *FindItem(const CGridView &g, UINT line, UINT column);
/// WM_COMMAND to the parent with (id, code) and lParam.
LRESULT Notify(CGridView &g, UINT id, UINT code, LPARAM lParam);
/// The id notifications of the current column carry.
UINT ColumnId(const CGridView &g, UINT column);
BOOL IsLineMode(const CGridView &g);
/// GetLineCount of a const grid.
inline UINT LineTotal(const CGridView &g) {
  return (g.style & GS_OWNERDATA) ? g.itemCount : g.lineCount;
}
/// Marks the grid as sending to its parent; EndSending clears the mark and
/// finishes a destruction that became pending meanwhile. False then: the
/// object may be gone, and the caller must not touch it again.
void BeginSending(CGridView &g);
bool EndSending(CGridView &g);

// ---- Layout, scrolling and painting (grid_paint.cpp) ----

/// Fonts and metrics from a device context of the window; false (logged,
/// message 1160) when a font cannot be made.
bool CreateFontsAndMetrics(CGridView &g);
void ComputeColumnPositions(CGridView &g);
void UpdateVScroll(CGridView &g, BOOL redraw);
void UpdateHScroll(CGridView &g);
/// The last visible line offset V as a signed count (never below 0).
int VisibleOffset(const CGridView &g);
/// The first line shown: the top line with the bar, 0 without.
UINT FirstShownLine(const CGridView &g);
/// The strip of a visible line across the client width; false when the
/// line is not visible.
bool LineStrip(const CGridView &g, UINT line, RECT *strip);
/// Shows the body from the new top line after it was `oldTop`: moves the
/// pixels of the lines that stay and invalidates the rest (the whole window
/// when no line stays).
void ScrollBody(CGridView &g, UINT oldTop);
void OnPaint(CGridView &g);
void OnSize(CGridView &g, int width, int height);
void OnVScroll(CGridView &g, WPARAM wp);
/// The text of an item as painted and as the editor starts with it.
UINT FormatItemText(const SGridElt &item, BYTE flags, char *buffer, UINT size);

// ---- Mouse and keyboard (grid_input.cpp) ----

UINT ColumnAt(const CGridView &g, int x);
UINT LineAt(const CGridView &g, int y);
LRESULT OnKeyDown(CGridView &g, WPARAM vk, LPARAM lp);
void OnMouseMove(CGridView &g, WPARAM keys, int x, int y);
void OnLButtonDown(CGridView &g, int x, int y);
void OnLButtonUp(CGridView &g, int x);
void OnRButtonDown(CGridView &g, int x, int y);
void OnMButtonDown(CGridView &g, int x, int y);
void OnMouseWheel(CGridView &g, int delta);
void OnCancelMode(CGridView &g);

// ---- In-place editing and drop-down (grid_edit.cpp) ----

/// Edits the current cell: tells the parent or opens an editor or list.
BOOL EditCurrent(CGridView &g);
/// WM_COMMAND from the open child (lParam is the child).
void OnChildCommand(CGridView &g, WPARAM wp);
/// Ends the open child; without one only the focus goes to the grid.
void OnChildKillFocus(CGridView &g);
/// Destroys an open child without notifying (WM_ENABLE, destruction).
void DestroyChild(CGridView &g);
LRESULT CALLBACK ListBoxParentWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

} // namespace vq::grid

#endif
