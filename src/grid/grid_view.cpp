// The grid control's window classes and procedure, its object's life, and
// its data model: columns, line records with typed items, owner data,
// colours and style. The procedure is a switchboard; what a message does
// lives in a helper named for it, here or in the layout, input and editing
// units of the control.
//
// Chosen here, where the control's description leaves room:
// - GetItemInt (slot 38) answers -1 for every cell, as it always did; no
//   caller reads it.
// - A column's list selection starts at (UINT)-1 (LB_ERR) until its first
//   drop-down list was opened.
// - Each line record counts its own items, so lines inserted before the
//   column count grew simply have no items in the new columns: getters
//   answer 0 and setters fail there.
// - The window extra bytes hold the object pointer at index 0, pointer-sized.
#include "grid/grid_view.h"

#include "frame/library.h"

#include <cstring>
#include <new>

using namespace vq::grid;

namespace {

// ---- Items ----

void ReleaseText(SGridElt &e) {
  if ((e.type == GIT_TEXT || e.type == GIT_TEXTW) && e.value)
    ::operator delete(reinterpret_cast<void *>(e.value));
  if ((e.savedType == GIT_TEXT || e.savedType == GIT_TEXTW) && e.savedValue)
    ::operator delete(reinterpret_cast<void *>(e.savedValue));
  e = SGridElt{};
}

void SetNumber(SGridElt &e, BYTE type, UINT64 value) {
  if ((e.type == GIT_TEXT || e.type == GIT_TEXTW) && e.value)
    ::operator delete(reinterpret_cast<void *>(e.value));
  e.type = type;
  e.capacity = 0;
  e.value = static_cast<DWORD>(value);
  e.highValue = static_cast<DWORD>(value >> 32);
}

// Stores `bytes` bytes of text (terminator included) as an item of
// `type`, reusing the item's buffer when it is a text buffer large enough.
bool StoreText(SGridElt &e, BYTE type, const void *text, size_t bytes) {
  if (bytes > 0xFFFF) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag,
                      "Not enough free memory to store an element text of %d bytes",
                      static_cast<int>(bytes));
    return false;
  }
  const bool isText = e.type == GIT_TEXT || e.type == GIT_TEXTW;
  if (!isText || !e.value || e.capacity < bytes) {
    void *buffer = ::operator new(bytes, std::nothrow);
    if (!buffer) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Not enough free memory to store an element text of %d bytes",
                        static_cast<int>(bytes));
      return false;
    }
    if (isText && e.value)
      ::operator delete(reinterpret_cast<void *>(e.value));
    e.value = reinterpret_cast<DWORD_PTR>(buffer);
    e.capacity = static_cast<WORD>(bytes);
  }
  std::memcpy(reinterpret_cast<void *>(e.value), text, bytes);
  e.type = type;
  e.highValue = 0;
  return true;
}

void FreeLine(SGridLine *l) {
  for (UINT i = 0; i < l->itemCount; ++i)
    ReleaseText(l->items[i]);
  ::operator delete(l);
}

SGridLine *NewLine(UINT items, DWORD lineData) {
  if (items == 0)
    items = 1;
  const size_t size = sizeof(SGridLine) + (items - 1) * sizeof(SGridElt);
  void *p = ::operator new(size, std::nothrow);
  if (!p)
    return nullptr;
  std::memset(p, 0, size);
  auto *l = static_cast<SGridLine *>(p);
  l->lineData = lineData;
  l->itemCount = items;
  return l;
}

// ---- Brushes ----

// Stock brushes for black and white are shared, never deleted.
HBRUSH MakeBrush(COLORREF c, BOOL *owned) {
  *owned = FALSE;
  if (c == 0)
    return static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (c == 0xFFFFFF)
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  HBRUSH b = CreateSolidBrush(c);
  *owned = b != nullptr;
  return b;
}

CGridView *ObjectOf(HWND hwnd) { return reinterpret_cast<CGridView *>(GetWindowLongPtrA(hwnd, 0)); }

// The object's window is gone or going: forget it and release what the
// object holds. The object itself stays (its owner deletes it).
void Detach(CGridView &g) {
  if (g.hWnd && IsWindow(g.hWnd) && ObjectOf(g.hWnd) == &g)
    SetWindowLongPtrA(g.hWnd, 0, 0);
  DestroyChild(g);
  if (g.ownTitleFont && g.titleFont)
    DeleteObject(g.titleFont);
  if (g.ownDataFont && g.dataFont)
    DeleteObject(g.dataFont);
  if (g.ownDataFontW && g.dataFontW)
    DeleteObject(g.dataFontW);
  g.titleFont = g.dataFont = g.dataFontW = nullptr;
  g.ownTitleFont = g.ownDataFont = g.ownDataFontW = FALSE;
  if (g.ownGridPen && g.gridPen)
    DeleteObject(g.gridPen);
  g.gridPen = nullptr;
  g.ownGridPen = FALSE;
  g.lineBack.Release();
  g.selBack.Release();
  g.unfocusedBack.Release();
  for (HBITMAP *b : {&g.checkOn, &g.checkOff, &g.checkUndet, &g.stateOn, &g.stateOff}) {
    if (*b)
      DeleteObject(*b);
    *b = nullptr;
  }
  if (g.resizeCursor && g.prevCursor)
    SetCursor(g.prevCursor);
  g.resizeCursor = g.resizing = FALSE;
  delete[] g.columns;
  g.columns = nullptr;
  g.columnCount = 0;
  for (SGridLine *l = g.firstLine; l;) {
    SGridLine *next = l->next;
    FreeLine(l);
    l = next;
  }
  g.firstLine = nullptr;
  g.lineCount = 0;
  g.ownId = kNone;
  g.hWnd = nullptr;
  g.hParent = nullptr;
}

// Detaches, and deletes an object that belongs to its window.
void FinishDestroy(CGridView *g) {
  const BOOL owned = g->ownsSelf;
  g->destroyPending = FALSE;
  Detach(*g);
  if (owned)
    delete g;
}

bool OnWMCreate(CGridView &g, HWND hwnd) {
  g.hWnd = hwnd;
  g.hParent = GetParent(hwnd);
  g.lineCount = 0;
  g.firstLine = nullptr;
  g.columnCount = 0;
  g.columns = nullptr;
  g.hasFocus = g.vBarShown = g.hBarShown = FALSE;
  g.lineHeight = g.headerHeight = 0;
  g.curLine = kNone;
  g.curColumn = 0;
  g.topLine = 0;
  g.ownId = static_cast<UINT>(GetWindowLongA(hwnd, GWL_ID));
  RECT rc{};
  GetClientRect(hwnd, &rc);
  g.clientW = rc.right;
  g.clientH = rc.bottom;
  g.classBrush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND));
  g.faceBrush = GetSysColorBrush(COLOR_3DFACE);
  g.lineBack.CreateBrushes();
  g.selBack.CreateBrushes();
  g.unfocusedBack.CreateBrushes();
  if (!g.gridPen) {
    g.gridPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DFACE));
    g.ownGridPen = g.gridPen != nullptr;
  }
  return CreateFontsAndMetrics(g);
}

LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA *cs) {
  auto *g = static_cast<CGridView *>(cs->lpCreateParams);
  if (!g) {
    g = new (std::nothrow) CGridView;
    if (!g) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "WM_CREATE: Not enough free memory for a CGridView instance available");
      theLibrary.ErrorBox(kMsgNoObject);
      return -1;
    }
    g->ownsSelf = TRUE;
  }
  SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(g));
  if (!OnWMCreate(*g, hwnd)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error on call of CGridView::OnWMCreate");
    FinishDestroy(g);
    return -1;
  }
  return 0;
}

void OnDestroy(CGridView &g) {
  if (g.sending) {
    theLibrary.PrtLog(VQLOG_WARNING, kTag, "WM_DESTROY received: Message send is currently active");
    g.destroyPending = TRUE;
    return;
  }
  FinishDestroy(&g);
}

void OnFocus(CGridView &g, bool gained) {
  g.hasFocus = gained;
  if (gained || !g.hChild)
    g.RedrawLine(g.curLine);
}

void OnEnable(CGridView &g, WPARAM enabled) {
  DestroyChild(g);
  g.disabled = enabled == 0;
  InvalidateRect(g.hWnd, nullptr, TRUE);
  UpdateWindow(g.hWnd);
}

LRESULT OnEraseBackground(CGridView &g, HDC dc) {
  RECT rc{};
  GetClientRect(g.hWnd, &rc);
  FillRect(dc, &rc, g.disabled ? g.faceBrush : g.classBrush);
  return 1;
}

LRESULT OnGetDlgCode(CGridView &g, const MSG *m) {
  LRESULT code = DLGC_WANTARROWS;
  if (m && m->message == WM_KEYDOWN &&
      ((m->wParam == VK_RETURN && g.curLine < g.GetLineCount()) ||
       (m->wParam == VK_INSERT && !g.hChild)))
    code |= DLGC_WANTMESSAGE;
  return code;
}

LRESULT OnChar(CGridView &g, WPARAM wp, LPARAM lp) {
  BeginSending(g);
  LRESULT r = SendMessageA(g.hParent, WM_CHAR, wp, lp);
  EndSending(g);
  return r;
}

LRESULT OnSysKeyDown(CGridView &g, WPARAM wp, LPARAM lp) {
  if (wp == VK_F10)
    return SendMessageA(g.hParent, WM_KEYDOWN, VK_F10, lp);
  return 0;
}

void OnCommand(CGridView &g, WPARAM wp, LPARAM lp) {
  if (g.hChild && reinterpret_cast<HWND>(lp) == g.hChild)
    OnChildCommand(g, wp);
  else if (LOWORD(wp) == IDCANCEL)
    Beep(880, 500);
}

bool IsInputWhileChildOpen(UINT msg) {
  switch (msg) {
  case WM_KEYDOWN:
  case WM_CHAR:
  case WM_SYSKEYDOWN:
  case WM_VSCROLL:
  case WM_MOUSEMOVE:
  case WM_MOUSEWHEEL:
    return true;
  }
  return false;
}

bool IsButtonDown(UINT msg) {
  return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN;
}

// One window class of the grid: an extra pointer per window for its object.
template <typename WC, typename Name>
ATOM RegisterGridClass(ATOM(WINAPI *reg)(const WC *), const Name *name, WNDPROC proc,
                       HINSTANCE module) {
  WC wc{};
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = module;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  return reg(&wc);
}

// Registers one class; false after the log line (and, unless the class
// exists already, the box) when it cannot be.
bool RegisterOne(HINSTANCE module, const char *name, bool wide, WNDPROC proc, const char *what,
                 UINT box) {
  ATOM atom = 0;
  if (wide) {
    WCHAR wname[32] = {};
    for (size_t i = 0; name[i] && i + 1 < sizeof wname / sizeof *wname; ++i)
      wname[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
    atom = RegisterGridClass<WNDCLASSW>(RegisterClassW, wname, proc, module);
  } else {
    atom = RegisterGridClass<WNDCLASSA>(RegisterClassA, name, proc, module);
  }
  if (atom)
    return true;
  const DWORD err = GetLastError();
  theLibrary.PrtLog(VQLOG_ERROR, kTag, what, static_cast<UINT>(err), name);
  if (err != ERROR_CLASS_ALREADY_EXISTS)
    theLibrary.ErrorBox(box, name, static_cast<UINT>(err));
  return false;
}

} // namespace

// ---- Shared helpers ----

namespace vq::grid {

void RegisterGridClasses(HINSTANCE module) {
  if (!RegisterOne(module, kGridClass, false, CGridView::GridWndProc,
                   "Error %u on registering the ASCII grid window class %s", kMsgRegister))
    return;
  if (!RegisterOne(module, kPopupClass, false, ListBoxParentWndProc,
                   "Error %u on register the listbox parent window class %s", kMsgRegPopup))
    return;
  RegisterOne(module, kGridClassW, true, CGridView::GridWndProc,
              "Error %u on registering the UNICODE grid window class %s", kMsgRegister);
}

void UnregisterGridClasses(HINSTANCE module) {
  UnregisterClassA(kGridClassW, module);
  UnregisterClassA(kPopupClass, module);
  UnregisterClassA(kGridClass, module);
}

SGridLine *FindLine(const CGridView &g, UINT line) {
  if (line >= g.lineCount)
    return nullptr;
  SGridLine *l = g.firstLine;
  for (UINT i = 0; l && i < line; ++i)
    l = l->next;
  return l;
}

SGridElt *FindItem(const CGridView &g, UINT line, UINT column) {
  if (column >= g.columnCount)
    return nullptr;
  SGridLine *l = FindLine(g, line);
  return l && column < l->itemCount ? &l->items[column] : nullptr;
}

LRESULT Notify(CGridView &g, UINT id, UINT code, LPARAM lParam) {
  if (code == GVN_TOPLINECHANGED)
    return PostMessageA(g.hParent, WM_COMMAND, MAKEWPARAM(id, code), lParam);
  return SendMessageA(g.hParent, WM_COMMAND, MAKEWPARAM(id, code), lParam);
}

UINT ColumnId(const CGridView &g, UINT column) {
  return column < g.columnCount ? g.columns[column].id : g.ownId;
}

BOOL IsLineMode(const CGridView &g) { return (g.style & GS_LINEMODE) != 0; }

void BeginSending(CGridView &g) { g.sending = TRUE; }

bool EndSending(CGridView &g) {
  g.sending = FALSE;
  if (!g.destroyPending)
    return true;
  FinishDestroy(&g);
  return false;
}

} // namespace vq::grid

// ---- CBGColor ----

BOOL CBGColor::CreateBrushes() {
  owned = TRUE;
  if (!brush1)
    brush1 = MakeBrush(color1, &ownBrush1);
  if (!brush2) {
    if (color2 == color1) {
      brush2 = brush1;
      ownBrush2 = FALSE;
    } else {
      brush2 = MakeBrush(color2, &ownBrush2);
    }
  }
  return brush1 && brush2;
}

BOOL CBGColor::SetColor(BOOL second, COLORREF color) {
  COLORREF &c = second ? color2 : color1;
  HBRUSH &b = second ? brush2 : brush1;
  BOOL &own = second ? ownBrush2 : ownBrush1;
  if (b && c == color)
    return TRUE;
  // Brush 2 may share brush 1: when brush 1 changes, a sharing brush 2 gets
  // its own brush for its unchanged colour.
  if (!second && brush2 == brush1 && brush1 && !ownBrush2) {
    c = color;
    HBRUSH old = brush1;
    BOOL oldOwned = ownBrush1;
    brush1 = MakeBrush(color, &ownBrush1);
    if (color2 == color) {
      brush2 = brush1;
      ownBrush2 = FALSE;
      if (oldOwned)
        DeleteObject(old);
    } else {
      brush2 = old;
      ownBrush2 = oldOwned;
    }
    return brush1 != nullptr;
  }
  if (own && b)
    DeleteObject(b);
  c = color;
  if (second && color == color1 && brush1) {
    b = brush1;
    own = FALSE;
  } else {
    b = MakeBrush(color, &own);
  }
  return b != nullptr;
}

void CBGColor::Release() {
  if (ownBrush1 && brush1)
    DeleteObject(brush1);
  if (ownBrush2 && brush2 && brush2 != brush1)
    DeleteObject(brush2);
  *this = CBGColor{};
}

// ---- Construction, creation, destruction ----

CGridView::CGridView()
    : hParent(nullptr), hWnd(nullptr), ownId(kNone), hChild(nullptr), childKind(0),
      edPrevProc(nullptr), clientW(0), clientH(0), hasFocus(FALSE), ownsSelf(FALSE),
      disabled(FALSE), cancelEdit(FALSE), sending(FALSE), destroyPending(FALSE), vBarShown(FALSE),
      hBarShown(FALSE), scrollMax(0), lastVisible(0), topLine(0), wheelRest(0), resizeCursor(FALSE),
      resizing(FALSE), lastX(0), resizeBorder(0), prevCursor(nullptr), style(0), curColumn(0),
      curLine(kNone), totalWidth(0), headerHeight(0), lineHeight(0), ellipsisWidth(0),
      titleFont(nullptr), dataFont(nullptr), dataFontW(nullptr), ownTitleFont(FALSE),
      ownDataFont(FALSE), ownDataFontW(FALSE), classBrush(nullptr), faceBrush(nullptr),
      gridPen(nullptr), ownGridPen(FALSE), checkOn(nullptr), checkOff(nullptr), checkUndet(nullptr),
      stateOn(nullptr),
      stateOff(nullptr), textColor{0, 0}, lineBack{}, selText{0xFFFFFF, 0xFFFFFF}, selBack{},
      unfocusedText{0xFFFFFF, 0xFFFFFF}, unfocusedBack{}, columnCount(0), columns(nullptr),
      lineCount(0), firstLine(nullptr), itemCount(0), ownerValue(0), ownerCallback(nullptr) {
  lineBack.color1 = lineBack.color2 = 0xFFFFFF;
  selBack.color1 = selBack.color2 = 0x600000;
  unfocusedBack.color1 = unfocusedBack.color2 = 0xD0A0A0;
}

CGridView::~CGridView() {
  DestroyChild(*this);
  if (hWnd && IsWindow(hWnd)) {
    // Our WM_DESTROY must not delete us a second time, whoever we belong to.
    ownsSelf = FALSE;
    DestroyWindow(hWnd);
  }
  Detach(*this);
}

BOOL CGridView::Create(HWND parent, UINT id, const RECT *rect, DWORD gridStyle) {
  style = gridStyle;
  const RECT r = rect ? *rect : RECT{0, 0, 0, 0};
  HWND w = CreateWindowExA(
      WS_EX_CLIENTEDGE, kGridClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, r.left,
      r.top, r.right - r.left, r.bottom - r.top, parent,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), theLibrary.GetModule(), this);
  if (!w) {
    const UINT err = static_cast<UINT>(GetLastError());
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Error %u on creating a grid control window", err);
    theLibrary.ErrorBox(kMsgCreate, err);
    return FALSE;
  }
  return TRUE;
}

void CGridView::Destroy() {
  if (hWnd && IsWindow(hWnd))
    DestroyWindow(hWnd);
}

HWND CGridView::GetWindow() { return hWnd; }
HWND CGridView::GetChildWindow() { return hChild; }
DWORD CGridView::GetStyle() { return style; }
DWORD CGridView::SetStyle(DWORD s) { return style = s; }
DWORD CGridView::AddStyle(DWORD bits) {
  style |= bits;
  return bits;
}
DWORD CGridView::RemoveStyle(DWORD bits) {
  style &= ~bits;
  return ~bits;
}
UINT CGridView::GetCurColumn() { return curColumn; }
UINT CGridView::GetCurLine() { return curLine; }
UINT CGridView::GetLineCount() { return (style & GS_OWNERDATA) ? itemCount : lineCount; }

UINT CGridView::GetColumnListSel(UINT column) {
  return column < columnCount ? columns[column].listSel : kNone;
}

BOOL CGridView::HasSortMark(UINT column) {
  return column < columnCount && (columns[column].flags & GCF_SORTMASK) != 0;
}

void CGridView::ClearSortMarks() {
  for (UINT i = 0; i < columnCount; ++i)
    if (columns[i].flags & GCF_SORTMASK)
      columns[i].flags = static_cast<BYTE>((columns[i].flags & ~GCF_SORTDOWN) | GCF_SORTHADMARK);
  if (hWnd) {
    RECT header{0, 0, clientW, static_cast<LONG>(headerHeight)};
    InvalidateRect(hWnd, &header, TRUE);
  }
}

BOOL CGridView::SetSortMark(UINT column, BOOL up) {
  if (column >= columnCount)
    return FALSE;
  for (UINT i = 0; i < columnCount; ++i)
    if (columns[i].flags & GCF_SORTMASK)
      columns[i].flags = static_cast<BYTE>((columns[i].flags & ~GCF_SORTDOWN) | GCF_SORTHADMARK);
  BYTE &f = columns[column].flags;
  f = static_cast<BYTE>((f & ~GCF_SORTMASK) | (up ? GCF_SORTMASK : GCF_SORTDOWN));
  if (hWnd) {
    RECT header{0, 0, clientW, static_cast<LONG>(headerHeight)};
    InvalidateRect(hWnd, &header, TRUE);
  }
  return TRUE;
}

BOOL CGridView::SetCurCell(UINT line, UINT column) {
  if (line != kNone && column != kNone && (column >= columnCount || line >= GetLineCount()))
    return FALSE;
  if (hWnd)
    SetFocus(hWnd);
  if (line != curLine) {
    RedrawLine(curLine);
    curLine = line;
  }
  if (IsLineMode(*this)) {
    if (line == kNone)
      return TRUE;
    Notify(*this, ownId, GVN_LINESELECTED, static_cast<LPARAM>(line));
    RedrawLine(line);
    return TRUE;
  }
  if (line != kNone && column != kNone) {
    Notify(*this, ColumnId(*this, column), GVN_CELLSELECTED, static_cast<LPARAM>(line));
    RedrawLine(line);
    curColumn = column;
  } else {
    curLine = curColumn = kNone;
  }
  return TRUE;
}

BOOL CGridView::EditCell(UINT line, UINT column) {
  if (column >= columnCount || line >= GetLineCount())
    return FALSE;
  if (hWnd)
    SetFocus(hWnd);
  if (line != curLine)
    RedrawLine(curLine);
  curLine = line;
  if (!IsLineMode(*this) || (style & GS_LINEMODEEDIT))
    curColumn = column;
  EditCurrent(*this);
  RedrawLine(curLine);
  return TRUE;
}

BOOL CGridView::SetLineColors(BOOL odd, COLORREF back, COLORREF text, COLORREF sBack,
                              COLORREF sText) {
  const int p = odd ? 1 : 0;
  textColor[p] = text;
  selText[p] = sText;
  BOOL ok = lineBack.SetColor(odd, back);
  ok = selBack.SetColor(odd, sBack) && ok;
  return ok;
}

// ---- Columns ----

BOOL CGridView::SetColumnCount(UINT count, BOOL redraw) {
  delete[] columns;
  columns = nullptr;
  columnCount = 0;
  if (count == 0) {
    totalWidth = 0;
    if (redraw && hWnd)
      InvalidateRect(hWnd, nullptr, TRUE);
    return TRUE;
  }
  columns = new (std::nothrow) SGridColumn[count];
  if (!columns) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Not enough free memory to create %d new columns",
                      static_cast<int>(count));
    theLibrary.ErrorBox(kMsgNoColumns, count);
    return FALSE;
  }
  UINT given = 0;
  for (UINT i = 0; i < count; ++i) {
    SGridColumn &c = columns[i];
    c = SGridColumn{};
    c.vjustify = 1;
    c.listSel = kNone;
    c.backEven = c.backOdd = 0xFFFFFF;
    const UINT upTo = static_cast<UINT>((count / 2 + 100ull * (i + 1)) / count);
    c.percent = upTo - given;
    given = upTo;
  }
  columnCount = count;
  ComputeColumnPositions(*this);
  if (redraw && hWnd)
    InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

BOOL CGridView::SetColumnType(UINT column, UINT kind, UINT id, BYTE flags) {
  if (column >= columnCount)
    return FALSE;
  SGridColumn &c = columns[column];
  c.kind = static_cast<BYTE>(kind);
  c.id = id;
  c.flags = flags;
  HINSTANCE own = theLibrary.GetModule();
  if (kind == GCK_CHECKBOX && !checkOn) {
    checkOn = LoadBitmapA(own, MAKEINTRESOURCEA(kBmpCheckOn));
    checkOff = LoadBitmapA(own, MAKEINTRESOURCEA(kBmpCheckOff));
    checkUndet = LoadBitmapA(own, MAKEINTRESOURCEA(kBmpCheckUndetermined));
  }
  if (kind == GCK_PICTURE && !stateOn) {
    stateOn = LoadBitmapA(own, MAKEINTRESOURCEA(kBmpStateOn));
    stateOff = LoadBitmapA(own, MAKEINTRESOURCEA(kBmpStateOff));
  }
  return TRUE;
}

BOOL CGridView::SetColumnHeader(UINT column, UINT widthPercent, BYTE justify, const char *text,
                                BOOL redraw) {
  if (column >= columnCount)
    return FALSE;
  SGridColumn &c = columns[column];
  c.percent = widthPercent;
  c.justify = justify;
  c.headerLen = text ? CopyText(c.header, sizeof c.header, text) : 0;
  if (!text)
    c.header[0] = '\0';
  ComputeColumnPositions(*this);
  if (redraw && hWnd)
    InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

BOOL CGridView::SetColumnColors(UINT column, COLORREF back, COLORREF text, BOOL redraw) {
  return SetColumnColors4(column, back, back, text, text, redraw);
}

BOOL CGridView::SetColumnColors4(UINT column, COLORREF backEven, COLORREF backOdd, COLORREF text,
                                 COLORREF text2, BOOL redraw) {
  if (column >= columnCount)
    return FALSE;
  SGridColumn &c = columns[column];
  c.backEven = backEven;
  c.backOdd = backOdd;
  c.text = text;
  c.text2 = text2;
  if (redraw && hWnd)
    InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

// ---- Lines ----

BOOL CGridView::SetItemCount(PFNGRIDOWNERDATA callback, UINT count, DWORD_PTR userValue,
                             BOOL redraw) {
  if (!(style & GS_OWNERDATA)) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Call of SetItemCount but GS_OWNERDATA is clear");
    return FALSE;
  }
  ownerCallback = callback;
  itemCount = count;
  ownerValue = userValue;
  if (hWnd) {
    UpdateVScroll(*this, FALSE);
    if (redraw)
      InvalidateRect(hWnd, nullptr, TRUE);
  }
  return TRUE;
}

BOOL CGridView::InsertItem(UINT line, DWORD lineData, BOOL redraw) {
  SGridLine *rec = NewLine(columnCount, lineData);
  if (!rec) {
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot allocate a new grid line record");
    theLibrary.ErrorBox(kMsgNoLine);
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot allocate a new grid line");
    return FALSE;
  }
  // Walk to the link after line - 1; a shorter grid gets empty lines
  // appended up to there, which stay (and count) when one cannot be had.
  BOOL ok = TRUE;
  SGridLine **link = &firstLine;
  UINT index = 0;
  while (index < line && *link) {
    link = &(*link)->next;
    ++index;
  }
  while (index < line) {
    SGridLine *filler = NewLine(columnCount, 0);
    if (!filler) {
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Cannot allocate a next grid line record");
      FreeLine(rec);
      ok = FALSE;
      break;
    }
    *link = filler;
    link = &filler->next;
    ++index;
    ++lineCount;
  }
  if (ok) {
    rec->next = *link;
    *link = rec;
    ++lineCount;
  }
  if (hWnd) {
    UpdateVScroll(*this, FALSE);
    if (redraw)
      InvalidateRect(hWnd, nullptr, TRUE);
  }
  return ok;
}

BOOL CGridView::DeleteItem(UINT line, BOOL redraw) {
  if (!firstLine || line >= lineCount)
    return FALSE;
  SGridLine **link = &firstLine;
  for (UINT i = 0; i < line && *link; ++i)
    link = &(*link)->next;
  SGridLine *gone = *link;
  if (!gone)
    return FALSE;
  *link = gone->next;
  FreeLine(gone);
  --lineCount;
  if (redraw && hWnd)
    InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

void CGridView::DeleteAllItems(BOOL redraw) {
  for (SGridLine *l = firstLine; l;) {
    SGridLine *next = l->next;
    FreeLine(l);
    l = next;
  }
  firstLine = nullptr;
  lineCount = 0;
  curLine = curColumn = kNone;
  if (!hWnd)
    return;
  if (vBarShown) {
    topLine = 0;
    SetScrollPos(hWnd, SB_VERT, 0, redraw);
  }
  UpdateVScroll(*this, redraw);
  if (redraw)
    InvalidateRect(hWnd, nullptr, TRUE);
}

// ---- Items ----

BOOL CGridView::SetItemUInt64(UINT line, UINT column, UINT64 value) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (SetNumber(*e, GIT_UINT64, value), TRUE) : FALSE;
}
BOOL CGridView::SetItemUInt(UINT line, UINT column, DWORD value) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (SetNumber(*e, GIT_UINT, value), TRUE) : FALSE;
}
BOOL CGridView::SetItemInt64(UINT line, UINT column, INT64 value) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (SetNumber(*e, GIT_INT64, static_cast<UINT64>(value)), TRUE) : FALSE;
}
BOOL CGridView::SetItemInt(UINT line, UINT column, int value) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (SetNumber(*e, GIT_INT, static_cast<DWORD>(value)), TRUE) : FALSE;
}
BOOL CGridView::SetItemFixed2(UINT line, UINT column, DWORD hundredths) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (SetNumber(*e, GIT_FIXED2, hundredths), TRUE) : FALSE;
}

BOOL CGridView::SetItemTextW(UINT line, UINT column, const WCHAR *text) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e)
    return FALSE;
  static const WCHAR empty[1] = {0};
  if (!text)
    text = empty;
  size_t n = 0;
  while (text[n])
    ++n;
  return StoreText(*e, GIT_TEXTW, text, 2 * n + 2);
}

BOOL CGridView::SetItemText(UINT line, UINT column, const char *text) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e)
    return FALSE;
  if (!text)
    text = "";
  return StoreText(*e, GIT_TEXT, text, std::strlen(text) + 1);
}

DWORD CGridView::GetLineData(UINT line) {
  SGridLine *l = FindLine(*this, line);
  return l ? l->lineData : ~0u;
}

DWORD CGridView::GetItemUInt(UINT line, UINT column) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e)
    return 0;
  if (e->type == GIT_TEXT)
    return ReadUInt32(reinterpret_cast<const char *>(e->value));
  if (e->type == GIT_TEXTW)
    return ReadUInt32(reinterpret_cast<const WCHAR *>(e->value));
  return static_cast<DWORD>(e->value);
}

DWORD_PTR CGridView::GetItemValue(UINT line, UINT column) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? e->value : 0;
}

int CGridView::GetItemInt(UINT, UINT) { return -1; }

UINT64 CGridView::GetItemUInt64(UINT line, UINT column) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e)
    return 0;
  if (e->type == GIT_TEXT)
    return ReadUInt64(reinterpret_cast<const char *>(e->value));
  if (e->type == GIT_TEXTW)
    return ReadUInt64(reinterpret_cast<const WCHAR *>(e->value));
  return (static_cast<UINT64>(e->highValue) << 32) | static_cast<DWORD>(e->value);
}

UINT64 CGridView::GetItemValue64(UINT line, UINT column) {
  SGridElt *e = FindItem(*this, line, column);
  return e ? (static_cast<UINT64>(e->highValue) << 32) | static_cast<DWORD>(e->value) : 0;
}

BOOL CGridView::GetItemTextW(UINT line, UINT column, WCHAR *buffer, UINT bufferBytes) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e || !buffer || bufferBytes < 2)
    return FALSE;
  if (e->type != GIT_TEXTW) {
    if (e->type == GIT_TEXT)
      theLibrary.PrtLog(VQLOG_ERROR, kTag,
                        "Grid item (%u,%u): ASCII text cannot be read as UNICODE", line, column);
    else
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Grid item (%u,%u): Cannot read data of type %u as text",
                        line, column, UINT(e->type));
    return FALSE;
  }
  CopyWideText(buffer, bufferBytes, reinterpret_cast<const WCHAR *>(e->value));
  return TRUE;
}

BOOL CGridView::GetItemText(UINT line, UINT column, char *buffer, UINT bufferSize) {
  SGridElt *e = FindItem(*this, line, column);
  if (!e || !buffer || bufferSize == 0)
    return FALSE;
  if (e->type != GIT_TEXT) {
    if (e->type == GIT_TEXTW)
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Grid item (%u,%u): UNICODE text cannot be read as text",
                        line, column);
    else
      theLibrary.PrtLog(VQLOG_ERROR, kTag, "Grid item (%u,%u): Cannot read data of type %u as text",
                        line, column, UINT(e->type));
    return FALSE;
  }
  CopyText(buffer, bufferSize, reinterpret_cast<const char *>(e->value));
  return TRUE;
}

// ---- The window procedure ----

LRESULT CALLBACK CGridView::GridWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE)
    return OnCreate(hwnd, reinterpret_cast<const CREATESTRUCTA *>(lp));
  CGridView *g = ObjectOf(hwnd);
  if (!g)
    return msg == GM_GETINTERFACE ? 0 : DefWindowProcA(hwnd, msg, wp, lp);
  if (g->hChild) {
    if (IsInputWhileChildOpen(msg))
      return 0;
    if (IsButtonDown(msg)) {
      // The focus coming back ends the child; then the click is handled.
      SetFocus(hwnd);
      g = ObjectOf(hwnd);
      if (!g)
        return 0;
    }
  }
  const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
  switch (msg) {
  case WM_DESTROY:
    OnDestroy(*g);
    return 0;
  case WM_SIZE:
    OnSize(*g, LOWORD(lp), HIWORD(lp));
    return 0;
  case WM_SETFOCUS:
    OnFocus(*g, true);
    return 0;
  case WM_KILLFOCUS:
    OnFocus(*g, false);
    return 0;
  case WM_ENABLE:
    OnEnable(*g, wp);
    break;
  case WM_PAINT:
    OnPaint(*g);
    return 0;
  case WM_ERASEBKGND:
    return OnEraseBackground(*g, reinterpret_cast<HDC>(wp));
  case WM_CANCELMODE:
    OnCancelMode(*g);
    break;
  case WM_GETDLGCODE:
    return OnGetDlgCode(*g, reinterpret_cast<const MSG *>(lp));
  case WM_KEYDOWN:
    return OnKeyDown(*g, wp, lp);
  case WM_CHAR:
    return OnChar(*g, wp, lp);
  case WM_SYSKEYDOWN:
    return OnSysKeyDown(*g, wp, lp);
  case WM_COMMAND:
    OnCommand(*g, wp, lp);
    return 0;
  case WM_VSCROLL:
    OnVScroll(*g, wp);
    return 0;
  case WM_MOUSEWHEEL:
    OnMouseWheel(*g, static_cast<short>(HIWORD(wp)));
    return 0;
  case WM_MOUSEMOVE:
    OnMouseMove(*g, wp, x, y);
    return 0;
  case WM_LBUTTONDOWN:
    OnLButtonDown(*g, x, y);
    return 0;
  case WM_LBUTTONUP:
    OnLButtonUp(*g, x);
    return 0;
  case WM_RBUTTONDOWN:
    OnRButtonDown(*g, x, y);
    return 0;
  case WM_MBUTTONDOWN:
    OnMButtonDown(*g, x, y);
    return 0;
  case GM_GETINTERFACE:
    return reinterpret_cast<LRESULT>(static_cast<IGridView *>(g));
  case GM_EDITCELL:
    g->EditCell(static_cast<UINT>(wp), static_cast<UINT>(lp));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
