// The window manager's object model: registered classes, the window tree and
// the state every USER function shares (focus, capture, active window, the
// message queue lives in msg_queue.cpp). Handles are opaque numbers looked
// up in a table, so a stale handle is detected instead of dereferenced, and
// code that sends a message re-looks its window up afterwards because the
// receiver may have destroyed it.
#ifndef VQWIN_USER_WND_STATE_H
#define VQWIN_USER_WND_STATE_H

#include "user/scrollbar.h"

#include <windows.h>

#include <cairo.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vqwin::user {

struct WindowClass {
  ATOM atom = 0;
  std::string name; // Windows-1252, compared without case
  bool unicode = false;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  std::vector<unsigned char> extra;
  int windows = 0; // live windows of the class; unregistering waits for 0
};

struct Window {
  HWND handle = nullptr;
  WindowClass *cls = nullptr;
  HWND parent = nullptr;      // child windows only
  HWND owner = nullptr;       // top-level windows only
  std::vector<HWND> children; // z-order, topmost first
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR id = 0; // child id, or the menu handle of a top-level window
  HINSTANCE instance = nullptr;
  WNDPROC proc = nullptr;
  bool unicode = false;
  LONG_PTR userData = 0;
  std::vector<unsigned char> extra;
  std::u16string text;

  RECT rect{};        // in the parent's client coordinates, or the screen's
  RECT clientRect{};  // relative to rect's top-left corner
  RECT restoreRect{}; // the rectangle to go back to from maximised

  ScrollBar bars[2]; // SB_HORZ, SB_VERT

  cairo_region_t *update = nullptr; // client coordinates; null when valid
  bool erasePending = false;
  bool frameDirty = false;
  bool painting = false;

  cairo_surface_t *surface = nullptr; // top-level windows only

  bool created = false;    // WM_NCCREATE accepted
  bool destroying = false; // WM_DESTROY sent or on its way
  bool sizeSent = false;   // WM_SIZE / WM_MOVE went out at least once
  DWORD thread = 0;

  ~Window();
};

struct State {
  std::unordered_map<HWND, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevels; // z-order, topmost first
  std::vector<std::unique_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
  uintptr_t nextHandle = 0x10010;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND active = nullptr;
  HCURSOR cursor = nullptr;
};

State &GetState();

/// The window behind a handle, or null (and ERROR_INVALID_WINDOW_HANDLE
/// when `setError`).
Window *Find(HWND hwnd, bool setError = true);
bool IsChildStyle(const Window &w);
/// The top-level window that holds `w` (itself when top-level).
Window *TopLevelOf(Window *w);
/// Screen position of the window rectangle's top-left corner.
POINT WindowOrigin(const Window &w);
/// Screen position of the client area's top-left corner.
POINT ClientOrigin(const Window &w);
/// Visible, and every ancestor visible too.
bool IsShown(const Window &w);
/// Recomputes clientRect from rect, style and scroll bars.
void ComputeClientRect(Window &w);
/// Client size as WM_SIZE reports it.
SIZE ClientSize(const Window &w);
/// Windows below `root` (itself first) in painting order: a parent before its
/// children, children bottom-up.
void CollectPaintOrder(HWND root, std::vector<HWND> &out);
/// The thread id the window manager uses for window ownership.
DWORD CurrentThread();

// Frame widths that the non-client area takes on each side.
struct Frame {
  int left = 0, top = 0, right = 0, bottom = 0;
  int caption = 0; // included in top
};
Frame FrameOf(DWORD style, DWORD exStyle);

// Message delivery (msg_send.cpp).
LRESULT CallProc(Window &w, bool senderUnicode, UINT msg, WPARAM wp, LPARAM lp);
LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/// A procedure as a caller of the given character set may see it: the
/// address when the sets match, else a handle for CallWindowProcA/W.
WNDPROC ProcForCaller(const Window &w, bool callerUnicode);
/// The procedure and character set behind a handle; false for an address.
bool FromProcHandle(WNDPROC value, WNDPROC &proc, bool &unicode);

// Painting (paint.cpp).
/// Adds a client rectangle (null: all of it) to the update region. Children
/// under it follow unless `children` is false or the window clips them
/// (WS_CLIPCHILDREN) without `allChildren`.
void InvalidateClient(Window &w, const RECT *rc, bool erase, bool children,
                      bool allChildren = false);
void InvalidateFrame(Window &w);
void EnsureSurface(Window &top);
/// Where a window's client area lies on its top-level surface, and the part
/// of it (client coordinates) that the window and its ancestors leave
/// visible; empty while the window is not shown.
struct ClientPlacement {
  Window *top = nullptr;
  POINT origin{}; // surface pixel of client point (0, 0)
  RECT visible{};
};
ClientPlacement PlaceClient(Window &w);
/// One step of the idle paint pass over the windows of the calling thread
/// (those under `filter` when it is set), in painting order: frames that
/// alone need drawing get WM_NCPAINT at once; the first window with an
/// update region is returned for a WM_PAINT message, null when none has.
HWND NextPaintWindow(HWND filter);
/// Draws borders, caption and scroll bars of the window (WM_NCPAINT).
void DrawFrame(Window &w);
/// The close box of a caption with WS_SYSMENU, in window coordinates;
/// false when the window has none.
bool CloseBox(const Window &w, RECT &box);

// Scroll bars (scrollbar.cpp).
/// The rectangle of a standard bar in window coordinates; empty when hidden.
RECT BarRect(const Window &w, int bar);
LRESULT ScrollBarHitTest(const Window &w, POINT windowPt);
void BeginScrollTracking(HWND hwnd, int hit, POINT screenPt);
bool ScrollTrackingActive();
void TrackScrollMouse(UINT msg, POINT screenPt);
void CancelScrollTracking();

// Focus, capture, activation (focus.cpp).
void ForgetWindow(HWND hwnd);
void ActivateTopLevel(HWND hwnd, WORD how);
/// True while SetFocus activates a window on its way to focusing a child.
bool FocusFollowsActivation();

// Input (input.cpp).
void ResetInput();

// Geometry change (wnd_pos.cpp).
void ApplyFrameChange(HWND hwnd);
LRESULT DefWindowPosChanged(HWND hwnd, const WINDOWPOS *wp);

// The message queue of the calling thread (msg_queue.cpp, input.cpp).
/// Milliseconds for message times; synthetic input may move it forward.
DWORD MessageTime();
void AdvanceMessageTime(DWORD ms);
/// Converts the oldest raw input event into a message for GetMessage; false
/// when no input is waiting.
bool CookInput(MSG &out);
void NoteRetrieved(const MSG &msg);
/// Drops the queued messages of a window that is going away.
void PurgeMessages(HWND hwnd);
void ResetQueue();

} // namespace vqwin::user

#endif
