// A stand-in for a grid window in tests of code that fills grids: a window
// class that answers WM_USER with a RecordingGrid, an IGridView that writes
// every call it gets, arguments and all, into a list of lines such as
//   SetColumnHeader(0, 40, 2, "Name", 0)
// so a test compares the exact conversation. Texts are quoted (NULL bare),
// colours are written 0x%06X, other numbers in decimal.
#ifndef VQ_TESTS_DESC_RECORDING_GRID_H
#define VQ_TESTS_DESC_RECORDING_GRID_H

#include <vq_tbl32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vqtest {

class RecordingGrid : public IGridView {
public:
  struct Colour {
    COLORREF value;
  };

  std::vector<std::string> calls;
  /// What the getters answer.
  DWORD style = 0;
  UINT lineCount = 0;
  BOOL result = TRUE;

  /// The recorded calls whose name is `name`.
  std::vector<std::string> CallsOf(const std::string &name) const {
    std::vector<std::string> out;
    for (const auto &c : calls)
      if (c.compare(0, name.size() + 1, name + "(") == 0)
        out.push_back(c);
    return out;
  }

  BOOL Create(HWND parent, UINT id, const RECT *, DWORD s) override {
    return Rec("Create", Ptr(parent), id, s);
  }
  void Destroy() override { Rec("Destroy"); }
  HWND GetWindow() override { return Rec("GetWindow"), nullptr; }
  HWND GetChildWindow() override { return Rec("GetChildWindow"), nullptr; }
  DWORD GetStyle() override { return Rec("GetStyle"), style; }
  DWORD SetStyle(DWORD s) override { return Rec("SetStyle", s), style = s; }
  DWORD AddStyle(DWORD bits) override { return Rec("AddStyle", bits), style |= bits, bits; }
  DWORD RemoveStyle(DWORD bits) override { return Rec("RemoveStyle", bits), style &= ~bits, ~bits; }
  UINT GetCurColumn() override { return Rec("GetCurColumn"), ~0u; }
  UINT GetCurLine() override { return Rec("GetCurLine"), ~0u; }
  UINT GetLineCount() override { return Rec("GetLineCount"), lineCount; }
  UINT GetColumnListSel(UINT column) override { return Rec("GetColumnListSel", column), ~0u; }
  BOOL HasSortMark(UINT column) override { return Rec("HasSortMark", column); }
  void ClearSortMarks() override { Rec("ClearSortMarks"); }
  BOOL SetCurCell(UINT line, UINT column) override { return Rec("SetCurCell", line, column); }
  BOOL EditCell(UINT line, UINT column) override { return Rec("EditCell", line, column); }
  BOOL SetLineColors(BOOL odd, COLORREF back, COLORREF text, COLORREF selBack,
                     COLORREF selText) override {
    return Rec("SetLineColors", odd, Colour{back}, Colour{text}, Colour{selBack}, Colour{selText});
  }
  BOOL SetColumnCount(UINT count, BOOL redraw) override {
    return Rec("SetColumnCount", count, redraw);
  }
  BOOL SetColumnType(UINT column, UINT kind, UINT id, BYTE flags) override {
    return Rec("SetColumnType", column, kind, id, UINT(flags));
  }
  BOOL SetColumnHeader(UINT column, UINT width, BYTE justify, const char *text,
                       BOOL redraw) override {
    return Rec("SetColumnHeader", column, width, UINT(justify), text, redraw);
  }
  BOOL SetColumnColors(UINT column, COLORREF back, COLORREF text, BOOL redraw) override {
    return Rec("SetColumnColors", column, Colour{back}, Colour{text}, redraw);
  }
  BOOL SetColumnColors4(UINT column, COLORREF backEven, COLORREF backOdd, COLORREF text,
                        COLORREF text2, BOOL redraw) override {
    return Rec("SetColumnColors4", column, Colour{backEven}, Colour{backOdd}, Colour{text},
               Colour{text2}, redraw);
  }
  BOOL SetSortMark(UINT column, BOOL up) override { return Rec("SetSortMark", column, up); }
  BOOL SetItemCount(PFNGRIDOWNERDATA, UINT count, DWORD_PTR userValue, BOOL redraw) override {
    return Rec("SetItemCount", count, ULONGLONG(userValue), redraw);
  }
  BOOL InsertItem(UINT line, DWORD lineData, BOOL redraw) override {
    return Rec("InsertItem", line, lineData, redraw);
  }
  BOOL DeleteItem(UINT line, BOOL redraw) override { return Rec("DeleteItem", line, redraw); }
  void DeleteAllItems(BOOL redraw) override { Rec("DeleteAllItems", redraw); }
  BOOL SetItemUInt64(UINT line, UINT column, UINT64 value) override {
    return Rec("SetItemUInt64", line, column, value);
  }
  BOOL SetItemUInt(UINT line, UINT column, DWORD value) override {
    return Rec("SetItemUInt", line, column, value);
  }
  BOOL SetItemInt64(UINT line, UINT column, INT64 value) override {
    return Rec("SetItemInt64", line, column, value);
  }
  BOOL SetItemInt(UINT line, UINT column, int value) override {
    return Rec("SetItemInt", line, column, value);
  }
  BOOL SetItemFixed2(UINT line, UINT column, DWORD hundredths) override {
    return Rec("SetItemFixed2", line, column, hundredths);
  }
  BOOL SetItemTextW(UINT line, UINT column, const WCHAR *text) override {
    std::string narrow;
    for (; text && *text; ++text)
      narrow += *text < 0x80 ? char(*text) : '?';
    return Rec("SetItemTextW", line, column, text ? narrow.c_str() : nullptr);
  }
  BOOL SetItemText(UINT line, UINT column, const char *text) override {
    return Rec("SetItemText", line, column, text);
  }
  DWORD GetLineData(UINT line) override { return Rec("GetLineData", line), ~0u; }
  DWORD GetItemUInt(UINT line, UINT column) override { return Rec("GetItemUInt", line, column), 0; }
  DWORD_PTR GetItemValue(UINT line, UINT column) override {
    return Rec("GetItemValue", line, column), 0;
  }
  int GetItemInt(UINT line, UINT column) override { return Rec("GetItemInt", line, column), -1; }
  UINT64 GetItemUInt64(UINT line, UINT column) override {
    return Rec("GetItemUInt64", line, column), 0;
  }
  UINT64 GetItemValue64(UINT line, UINT column) override {
    return Rec("GetItemValue64", line, column), 0;
  }
  BOOL GetItemTextW(UINT line, UINT column, WCHAR *, UINT bytes) override {
    return Rec("GetItemTextW", line, column, bytes), FALSE;
  }
  BOOL GetItemText(UINT line, UINT column, char *, UINT size) override {
    return Rec("GetItemText", line, column, size), FALSE;
  }
  int GetLineVisibility(UINT line) override { return Rec("GetLineVisibility", line), 0; }
  BOOL EnsureVisible(UINT line) override { return Rec("EnsureVisible", line); }
  BOOL RedrawLine(UINT line) override { return Rec("RedrawLine", line); }
  BOOL ScrollLines(int delta) override { return Rec("ScrollLines", delta); }
  BOOL SetTopLine(UINT line) override { return Rec("SetTopLine", line); }
  UINT GetTopLine() override { return Rec("GetTopLine"), 0; }

private:
  struct Pointer {
    const void *value;
  };
  static Pointer Ptr(const void *p) { return {p}; }

  static std::string Arg(const char *text) {
    return text ? "\"" + std::string(text) + "\"" : std::string("NULL");
  }
  static std::string Arg(Colour c) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%06X", unsigned(c.value));
    return b;
  }
  static std::string Arg(Pointer p) { return p.value ? "window" : "NULL"; }
  static std::string Arg(int v) { return std::to_string(v); }
  static std::string Arg(unsigned v) { return std::to_string(v); }
  static std::string Arg(long v) { return std::to_string(v); }
  static std::string Arg(unsigned long v) { return std::to_string(v); }
  static std::string Arg(long long v) { return std::to_string(v); }
  static std::string Arg(unsigned long long v) { return std::to_string(v); }

  template <typename... A> BOOL Rec(const char *name, A... args) {
    std::string line = std::string(name) + "(";
    const char *sep = "";
    ((line += sep + Arg(args), sep = ", "), ...);
    (void)sep;
    calls.push_back(line + ")");
    return result;
  }
};

/// The window class of the stand-in; WM_USER answers the RecordingGrid
/// kept in the window's user data.
inline LRESULT CALLBACK RecordingGridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER)
    return GetWindowLongPtrA(window, GWLP_USERDATA);
  return DefWindowProcA(window, message, wParam, lParam);
}

/// A child window `id` of `parent` (or a top-level window for no parent)
/// that hands out `grid`; NULL for `grid` makes a window without an
/// interface, as a grid whose object is gone.
inline HWND CreateRecordingGridWindow(HWND parent, int id, RecordingGrid *grid) {
  static const ATOM registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingGridProc;
    wc.lpszClassName = "VqRecordingGrid";
    return RegisterClassA(&wc);
  }();
  (void)registered;
  HWND window =
      CreateWindowExA(0, "VqRecordingGrid", "", (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, 0, 0,
                      400, 300, parent, parent ? (HMENU)(INT_PTR)id : nullptr, nullptr, nullptr);
  if (window)
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(grid));
  return window;
}

} // namespace vqtest

#endif
