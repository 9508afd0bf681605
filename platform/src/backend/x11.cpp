// The X11 display: every top-level window of the window manager becomes an
// X window showing its surface, and the X server's mouse and keyboard events
// enter the same input path that synthetic input takes. Chosen at run time
// with VQWIN_DISPLAY=x11 and DISPLAY set (see Chosen() below); the headless
// display stays the default, and a build without xcb has only that one.
//
// Decisions:
// - The window manager draws every frame itself, caption and close box
//   included, so an X window covers the whole window rectangle. Managed X
//   windows ask an X window manager for no decorations of its own
//   (_MOTIF_WM_HINTS), so a person sees one frame; a manager that ignores
//   the hint adds its frame around ours, whose close button's request
//   becomes WM_SYSCOMMAND SC_CLOSE as well. Captionless popups (menus,
//   drop-downs) are override-redirect windows placed exactly.
// - A drag on the caption is the layer's own move loop under a manager too,
//   not handed over with _NET_WM_MOVERESIZE: the host sees WM_ENTERSIZEMOVE,
//   WM_MOVING (which may hold the window) and Escape as it does without a
//   manager, and the press's implicit pointer grab brings every motion to
//   us wherever the pointer goes. Each step is a configure request, which
//   the manager still judges. Mouse points come from the events' root
//   coordinates, as the window's own coordinates lag while it moves.
// - The layer moves and sizes X windows; moves and sizes an X window manager
//   or another program chooses come back as SetWindowPos, kept above the
//   minimum the window names in WM_GETMINMAXINFO.
// - Keys: a keysym that the US layout types with the same shift state goes in
//   as its virtual key, so accelerators and the dialog keys work; any other
//   character of the layout goes in as a VK_PACKET character, which becomes
//   WM_CHAR in Windows-1252. Shift, Control and Alt are resynchronised from
//   each event's state, so a modifier released outside our windows does not
//   stick.
// - Frames are paced by the server: while it has not yet taken the last
//   pixels sent, newer damage only gathers, and goes out in one piece once
//   it has. A host painting faster than the display shows loses only
//   frames nobody could have seen; GdiFlush waits until all is shown.
//   Pixels travel through shared memory where the server offers it (one
//   segment a window, rewritten only after the server has taken the last
//   frame), else in PutImage requests.
// - Keyboard focus follows the layer's active window; cursors follow the
//   layer's current cursor, shown on the window under the pointer.
// - The clipboard is the CLIPBOARD selection, offered as UTF8_STRING and
//   STRING and owned by a hidden window of ours. Its text lives as long as
//   the process does, as no clipboard keeper takes it over. Texts too large
//   for one property (the incremental transfer of big selections) are
//   neither offered nor taken; an edit's text is far smaller.
#include "backend/backend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef VQWIN_HAVE_X11

#include "kernel/cp1252.h"
#include "resource/cursor_object.h"
#include "user/input.h"
#include "user/timer.h"

#include <cairo-xcb.h>
#include <cairo.h>
#include <poll.h>
#include <xcb/xcb.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply

#include <algorithm>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace vqwin::backend {
namespace {

// Keysyms used below (the X11 keysym table's values).
enum : uint32_t {
  kBackSpace = 0xff08,
  kTab = 0xff09,
  kReturn = 0xff0d,
  kEscape = 0xff1b,
  kDelete = 0xffff,
  kHome = 0xff50,
  kLeft = 0xff51,
  kUp = 0xff52,
  kRight = 0xff53,
  kDown = 0xff54,
  kPageUp = 0xff55,
  kPageDown = 0xff56,
  kEnd = 0xff57,
  kInsert = 0xff63,
  kLeftTab = 0xfe20,
  kKpEnter = 0xff8d,
  kKpHome = 0xff95, // through KP_Delete 0xff9f
  kKpMultiply = 0xffaa,
  kKpAdd = 0xffab,
  kKpSubtract = 0xffad,
  kKpDecimal = 0xffae,
  kKpDivide = 0xffaf,
  kKp0 = 0xffb0,
  kKp9 = 0xffb9,
  kF1 = 0xffbe,
  kF12 = 0xffc9,
  kShiftL = 0xffe1,
  kShiftR = 0xffe2,
  kControlL = 0xffe3,
  kControlR = 0xffe4,
  kCapsLock = 0xffe5,
  kAltL = 0xffe9,
  kAltR = 0xffea,
  kEuro = 0x20ac,
};

// The virtual key of a keysym that is not a character.
UINT FunctionKey(uint32_t sym) {
  static const struct {
    uint32_t sym;
    UINT vk;
  } table[] = {
      {kBackSpace, VK_BACK},    {kTab, VK_TAB},
      {kLeftTab, VK_TAB},       {kReturn, VK_RETURN},
      {kKpEnter, VK_RETURN},    {kEscape, VK_ESCAPE},
      {kDelete, VK_DELETE},     {kHome, VK_HOME},
      {kLeft, VK_LEFT},         {kUp, VK_UP},
      {kRight, VK_RIGHT},       {kDown, VK_DOWN},
      {kPageUp, VK_PRIOR},      {kPageDown, VK_NEXT},
      {kEnd, VK_END},           {kInsert, VK_INSERT},
      {kShiftL, VK_SHIFT},      {kShiftR, VK_SHIFT},
      {kControlL, VK_CONTROL},  {kControlR, VK_CONTROL},
      {kCapsLock, VK_CAPITAL},  {kAltL, VK_MENU},
      {kAltR, VK_MENU},         {kKpMultiply, VK_MULTIPLY},
      {kKpAdd, VK_ADD},         {kKpSubtract, VK_SUBTRACT},
      {kKpDecimal, VK_DECIMAL}, {kKpDivide, VK_DIVIDE},
  };
  for (const auto &row : table)
    if (row.sym == sym)
      return row.vk;
  if (sym >= kF1 && sym <= kF12)
    return VK_F1 + (sym - kF1);
  if (sym >= kKp0 && sym <= kKp9)
    return VK_NUMPAD0 + (sym - kKp0);
  // Keypad keys without Num Lock: Home, Left, Up, Right, Down, PgUp, PgDn,
  // End, Begin, Insert, Delete.
  static const UINT keypad[] = {VK_HOME, VK_LEFT, VK_UP,    VK_RIGHT,  VK_DOWN,  VK_PRIOR,
                                VK_NEXT, VK_END,  VK_CLEAR, VK_INSERT, VK_DELETE};
  if (sym >= kKpHome && sym < kKpHome + 11)
    return keypad[sym - kKpHome];
  return 0;
}

// The Unicode character of a keysym, or 0.
char16_t CharacterOf(uint32_t sym) {
  if ((sym >= 0x20 && sym <= 0x7e) || (sym >= 0xa0 && sym <= 0xff))
    return static_cast<char16_t>(sym);
  if (sym >= 0x1000100 && sym <= 0x100ffff)
    return static_cast<char16_t>(sym - 0x1000000);
  if (sym == kEuro)
    return 0x20ac;
  return 0;
}

std::string Utf8Of(const std::string &text) {
  std::string out;
  for (char c : text) {
    const char16_t u = vqwin::cp1252::ToUnicode(static_cast<unsigned char>(c));
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// UTF-8 in the code page; what it lacks, and broken sequences, become '?'.
std::string FromUtf8(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int more = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    uint32_t cp = more == 0 ? lead : lead & (0x3F >> more);
    bool ok = more >= 0 && i + static_cast<size_t>(std::max(more, 0)) < text.size();
    for (int k = 1; ok && k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    i += static_cast<size_t>(more) + 1;
    out += cp <= 0xFFFF ? static_cast<char>(vqwin::cp1252::FromUnicode(static_cast<char16_t>(cp)))
                        : '?';
  }
  return out;
}

// System cursors in the X cursor font (glyph numbers of its standard shapes).
uint16_t CursorGlyph(WORD id) {
  switch (id) {
  case 32513: // IDC_IBEAM
    return 152;
  case 32514: // IDC_WAIT
    return 150;
  case 32515: // IDC_CROSS
    return 34;
  case 32516: // IDC_UPARROW
    return 22;
  case 32642: // IDC_SIZENWSE
    return 14;
  case 32643: // IDC_SIZENESW
    return 12;
  case 32644: // IDC_SIZEWE
    return 108;
  case 32645: // IDC_SIZENS
    return 116;
  case 32646: // IDC_SIZEALL
    return 52;
  case 32648: // IDC_NO
    return 0;
  case 32649: // IDC_HAND
    return 60;
  case 32650: // IDC_APPSTARTING
    return 150;
  case 32651: // IDC_HELP
    return 92;
  }
  return 68; // the arrow
}

struct XWindow {
  xcb_window_t id = 0;
  cairo_surface_t *image = nullptr;  // the window manager's, not owned
  cairo_surface_t *target = nullptr; // the X window as a cairo surface
  RECT rect{};                       // screen rectangle last given to X
  bool popup = false;
  bool mapped = false;
  bool hintsDue = true;
  xcb_shm_seg_t seg = 0; // shared with the server, the surface's size
  unsigned char *shared = nullptr;
  size_t sharedSize = 0;
  bool reparented = false; // into an X window manager's frame
  uint16_t request = 0;    // the sequence of the latest configure request
  bool damaged = false;    // `damage` waits for the server to take the last frame
  RECT damage{};
  std::string title;
};

class X11 final : public DisplayBackend {
public:
  explicit X11(xcb_connection_t *c) : c_(c) {
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(screen_); d.rem;
         xcb_depth_next(&d))
      for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem;
           xcb_visualtype_next(&v))
        if (v.data->visual_id == screen_->root_visual)
          visual_ = v.data;
    const char *names[] = {"WM_PROTOCOLS",   "WM_DELETE_WINDOW", "_NET_WM_NAME",    "UTF8_STRING",
                           "CLIPBOARD",      "TARGETS",          "VQWIN_SELECTION", "INCR",
                           "_MOTIF_WM_HINTS"};
    xcb_intern_atom_cookie_t cookies[kAtoms];
    for (int i = 0; i < kAtoms; ++i)
      cookies[i] = xcb_intern_atom(c_, 0, std::strlen(names[i]), names[i]);
    for (int i = 0; i < kAtoms; ++i) {
      xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c_, cookies[i], nullptr);
      atoms_[i] = r ? r->atom : 0;
      std::free(r);
    }
    LoadKeymap();
    cursorFont_ = xcb_generate_id(c_);
    xcb_open_font(c_, cursorFont_, 6, "cursor");
    raw_ = RawPixels();
    xcb_shm_query_version_reply_t *shm =
        xcb_shm_query_version_reply(c_, xcb_shm_query_version(c_), nullptr);
    shm_ = shm != nullptr;
    std::free(shm);
    gc_ = xcb_generate_id(c_);
    const uint32_t noExposures = 0;
    xcb_create_gc(c_, gc_, screen_->root, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    selection_ = xcb_generate_id(c_);
    const uint32_t apart = 1;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, selection_, screen_->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT,
                      &apart);
  }

  ~X11() override {
    for (auto &entry : windows_)
      Drop(entry.second);
    for (auto &entry : cursors_)
      xcb_free_cursor(c_, entry.second);
    xcb_close_font(c_, cursorFont_);
    xcb_destroy_window(c_, selection_);
    xcb_free_gc(c_, gc_);
    for (xcb_generic_event_t *e : pending_)
      std::free(e);
    xcb_disconnect(c_);
  }

  bool Usable() const { return visual_ && screen_->root_depth == 24; }

  const char *Name() const override { return "x11"; }
  SIZE ScreenSize() const override {
    return SIZE{screen_->width_in_pixels, screen_->height_in_pixels};
  }

  void WindowPlaced(HWND top, cairo_surface_t *surface, const RECT &r) override {
    XWindow &w = windows_[top];
    if (!w.id)
      Create(top, w, r);
    w.image = surface;
    const int width = std::max<int>(r.right - r.left, 1),
              height = std::max<int>(r.bottom - r.top, 1);
    if (!SameRect(w.rect, r)) {
      uint32_t values[] = {static_cast<uint32_t>(r.left), static_cast<uint32_t>(r.top),
                           static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
      w.request = static_cast<uint16_t>(
          xcb_configure_window(c_, w.id,
                               XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                   XCB_CONFIG_WINDOW_HEIGHT,
                               values)
              .sequence);
      w.rect = r;
      w.hintsDue = true;
    }
    if (w.target)
      cairo_xcb_surface_set_size(w.target, width, height);
    xcb_flush(c_);
  }

  void WindowShown(HWND top, bool shown) override {
    auto it = windows_.find(top);
    if (it == windows_.end()) {
      if (!shown)
        return;
      RECT r{};
      GetWindowRect(top, &r);
      WindowPlaced(top, nullptr, r);
      it = windows_.find(top);
    }
    XWindow &w = it->second;
    if (shown == w.mapped)
      return;
    w.mapped = shown;
    if (shown) {
      Refresh(top, w);
      uint32_t above = XCB_STACK_MODE_ABOVE;
      xcb_configure_window(c_, w.id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
      xcb_map_window(c_, w.id);
    } else {
      xcb_unmap_window(c_, w.id);
    }
    xcb_flush(c_);
  }

  void WindowDestroyed(HWND top) override {
    auto it = windows_.find(top);
    if (it == windows_.end())
      return;
    if (focused_ == it->second.id)
      focused_ = 0;
    if (pointer_ == it->second.id)
      pointer_ = 0;
    Drop(it->second);
    windows_.erase(it);
    xcb_flush(c_);
  }

  void Present(HWND top, const RECT &dirty) override {
    auto it = windows_.find(top);
    if (it == windows_.end() || !it->second.mapped)
      return;
    XWindow &w = it->second;
    if (w.damaged)
      UnionRect(&w.damage, &w.damage, &dirty);
    else
      w.damage = dirty;
    w.damaged = true;
    SendFrames();
  }

  void Finish() override {
    while (!xcb_connection_has_error(c_)) {
      if (fenced_)
        std::free(xcb_get_input_focus_reply(c_, fence_, nullptr));
      fenced_ = false;
      if (!SendFrames())
        break;
    }
  }

  bool PollInput(bool wait) override {
    if (xcb_connection_has_error(c_))
      return false;
    SendFrames();
    Synchronise();
    bool delivered = Drain();
    if (!delivered && wait) {
      DWORD due = 0;
      int timeout =
          vqwin::user::NextTimerDue(due) ? static_cast<int>(std::min<DWORD>(due, 60000)) : -1;
      pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
      if (timeout != 0)
        poll(&fd, 1, timeout);
      Drain();
      SendFrames(); // the server's answer to the last frame may have come
    }
    return !xcb_connection_has_error(c_);
  }

  void SetClipboardText(const std::string &text) override {
    clipboard_ = text;
    owned_ = true;
    xcb_set_selection_owner(c_, selection_, atoms_[kClipboard], lastTime_);
    xcb_flush(c_);
  }

  bool ClipboardText(std::string &text) override {
    if (owned_) {
      text = clipboard_;
      return true;
    }
    if (xcb_connection_has_error(c_))
      return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atoms_[kClipboard]), nullptr);
    const bool held = owner && owner->owner != XCB_NONE;
    std::free(owner);
    if (!held)
      return false;
    for (const xcb_atom_t target : {atoms_[kUtf8], static_cast<xcb_atom_t>(XCB_ATOM_STRING)}) {
      std::string bytes;
      if (!Fetch(target, bytes))
        continue;
      if (target == atoms_[kUtf8]) {
        text = FromUtf8(bytes);
      } else {
        text.clear();
        for (char b : bytes) // Latin-1
          text += static_cast<char>(vqwin::cp1252::FromUnicode(static_cast<unsigned char>(b)));
      }
      return true;
    }
    return false;
  }

private:
  // Sends the gathered damage once the server has taken the previous frame,
  // which a round trip after it tells; false when nothing was sent.
  bool SendFrames() {
    if (fenced_) {
      void *reply = nullptr;
      if (!xcb_poll_for_reply(c_, fence_.sequence, &reply, nullptr))
        return false;
      std::free(reply);
      fenced_ = false;
    }
    bool sent = false;
    for (auto &entry : windows_) {
      XWindow &w = entry.second;
      if (!w.damaged)
        continue;
      w.damaged = false;
      if (w.mapped) {
        Blit(w, w.damage);
        sent = true;
      }
    }
    if (sent) {
      fence_ = xcb_get_input_focus(c_);
      fenced_ = true;
    }
    xcb_flush(c_);
    return sent;
  }

  // Asks the selection's owner for it as `target` and waits up to a second
  // for the answer; events arriving meanwhile wait for the next Drain.
  bool Fetch(xcb_atom_t target, std::string &bytes) {
    xcb_delete_property(c_, selection_, atoms_[kTransfer]);
    xcb_convert_selection(c_, selection_, atoms_[kClipboard], target, atoms_[kTransfer], lastTime_);
    xcb_flush(c_);
    const auto due = GetTickCount() + 1000;
    xcb_atom_t answered = XCB_NONE;
    bool notified = false;
    while (!notified && !xcb_connection_has_error(c_)) {
      xcb_generic_event_t *e = xcb_poll_for_event(c_);
      if (!e) {
        const auto now = GetTickCount();
        if (static_cast<int>(due - now) <= 0)
          return false; // the owner does not answer
        pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(due - now));
        continue;
      }
      auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(e);
      if ((e->response_type & 0x7F) == XCB_SELECTION_NOTIFY && n->requestor == selection_) {
        notified = true;
        answered = n->property;
        std::free(e);
      } else {
        pending_.push_back(e);
      }
    }
    if (answered == XCB_NONE)
      return false;
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c_,
                               xcb_get_property(c_, 1, selection_, atoms_[kTransfer],
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 22),
                               nullptr);
    const bool ok = r && r->type != atoms_[kIncr] && r->format == 8;
    if (ok)
      bytes.assign(static_cast<const char *>(xcb_get_property_value(r)),
                   static_cast<size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return ok;
  }

  // Another program asks for our clipboard text.
  void Serve(const xcb_selection_request_event_t &r) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = r.time;
    n.requestor = r.requestor;
    n.selection = r.selection;
    n.target = r.target;
    n.property = XCB_NONE;
    // Old requestors name no property: the target's name serves.
    const xcb_atom_t property = r.property != XCB_NONE ? r.property : r.target;
    const uint32_t room = xcb_get_maximum_request_length(c_) * 4 - 64;
    if (owned_ && r.owner == selection_ && r.selection == atoms_[kClipboard]) {
      if (r.target == atoms_[kTargets]) {
        const xcb_atom_t targets[] = {atoms_[kTargets], atoms_[kUtf8], XCB_ATOM_STRING};
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, r.requestor, property, XCB_ATOM_ATOM, 32, 3,
                            targets);
        n.property = property;
      } else if (r.target == atoms_[kUtf8] || r.target == XCB_ATOM_STRING) {
        std::string bytes = Utf8Of(clipboard_);
        if (r.target == XCB_ATOM_STRING) {
          bytes.clear();
          for (char c : clipboard_) {
            const char16_t u = vqwin::cp1252::ToUnicode(static_cast<unsigned char>(c));
            bytes += u <= 0xFF ? static_cast<char>(u) : '?';
          }
        }
        if (bytes.size() <= room) {
          xcb_change_property(c_, XCB_PROP_MODE_REPLACE, r.requestor, property, r.target, 8,
                              static_cast<uint32_t>(bytes.size()), bytes.data());
          n.property = property;
        }
      }
    }
    xcb_send_event(c_, 0, r.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&n));
  }

  static bool SameRect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }

  void Create(HWND top, XWindow &w, const RECT &r) {
    const LONG style = GetWindowLongA(top, GWL_STYLE);
    w.popup = (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION;
    w.id = xcb_generate_id(c_);
    const uint32_t events =
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_KEY_PRESS |
        XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
        XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_FOCUS_CHANGE;
    // The layer repaints from its surface, so the server keeps no background.
    uint32_t values[] = {XCB_BACK_PIXMAP_NONE, w.popup ? 1u : 0u, events};
    const int width = std::max<int>(r.right - r.left, 1),
              height = std::max<int>(r.bottom - r.top, 1);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w.id, screen_->root, static_cast<int16_t>(r.left),
                      static_cast<int16_t>(r.top), width, height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    w.rect = r;
    w.target = cairo_xcb_surface_create(c_, w.id, visual_, width, height);
    byId_[w.id] = top;
    if (w.popup)
      return;
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, atoms_[kProtocols], XCB_ATOM_ATOM, 32, 1,
                        &atoms_[kDelete]);
    // Flags (decorations given), functions, decorations (none), input mode,
    // status.
    const uint32_t motif[5] = {2, 0, 0, 0, 0};
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, atoms_[kMotifHints], atoms_[kMotifHints],
                        32, 5, motif);
    static const char kClass[] = "vqwin\0vqwin";
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof kClass, kClass);
    HWND owner = GetWindow(top, GW_OWNER);
    auto o = windows_.find(owner);
    if (owner && o != windows_.end())
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_TRANSIENT_FOR,
                          XCB_ATOM_WINDOW, 32, 1, &o->second.id);
  }

  // A shared segment as large as the window's surface, or none when the
  // server cannot attach one (another host, no MIT-SHM).
  void Share(XWindow &w) {
    const size_t need = w.image ? static_cast<size_t>(cairo_image_surface_get_stride(w.image)) *
                                      cairo_image_surface_get_height(w.image)
                                : 0;
    if (!shm_ || need == w.sharedSize)
      return;
    Unshare(w);
    if (!need)
      return;
    const int id = shmget(IPC_PRIVATE, need, IPC_CREAT | 0600);
    if (id < 0)
      return;
    void *at = shmat(id, nullptr, 0);
    const xcb_shm_seg_t seg = xcb_generate_id(c_);
    xcb_generic_error_t *error =
        at != reinterpret_cast<void *>(-1)
            ? xcb_request_check(c_, xcb_shm_attach_checked(c_, seg, static_cast<uint32_t>(id), 1))
            : nullptr;
    shmctl(id, IPC_RMID, nullptr); // gone once both sides let go
    if (at == reinterpret_cast<void *>(-1) || error) {
      std::free(error);
      if (at != reinterpret_cast<void *>(-1))
        shmdt(at);
      shm_ = false; // PutImage from now on
      return;
    }
    w.seg = seg;
    w.shared = static_cast<unsigned char *>(at);
    w.sharedSize = need;
  }

  void Unshare(XWindow &w) {
    if (!w.shared)
      return;
    xcb_shm_detach(c_, w.seg);
    shmdt(w.shared);
    w.shared = nullptr;
    w.sharedSize = 0;
  }

  void Drop(XWindow &w) {
    Unshare(w);
    if (w.target)
      cairo_surface_destroy(w.target);
    w.target = nullptr;
    if (w.id) {
      byId_.erase(w.id);
      xcb_destroy_window(c_, w.id);
    }
    w.id = 0;
  }

  // The server takes the surface's bytes as they are when its 24-bit
  // pixels are 32-bit words in the same byte order; else cairo converts.
  bool RawPixels() const {
    const xcb_setup_t *setup = xcb_get_setup(c_);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
      return false;
    for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem;
         xcb_format_next(&f))
      if (f.data->depth == 24)
        return f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    return false;
  }

  void Blit(XWindow &w, const RECT &dirty) {
    if (!w.image || !w.target)
      return;
    cairo_surface_flush(w.image);
    const int width = cairo_image_surface_get_width(w.image),
              height = cairo_image_surface_get_height(w.image);
    RECT r{std::max<LONG>(dirty.left, 0), std::max<LONG>(dirty.top, 0),
           std::min<LONG>(dirty.right, width), std::min<LONG>(dirty.bottom, height)};
    if (r.left >= r.right || r.top >= r.bottom)
      return;
    const int stride = cairo_image_surface_get_stride(w.image);
    const unsigned char *data = cairo_image_surface_get_data(w.image);
    if (raw_ && stride == width * 4)
      Share(w);
    if (w.shared && raw_ && stride == width * 4) {
      for (int row = r.top; row < r.bottom; ++row)
        std::memcpy(w.shared + row * stride + r.left * 4, data + row * stride + r.left * 4,
                    static_cast<size_t>(r.right - r.left) * 4);
      xcb_shm_put_image(c_, w.id, gc_, static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                        static_cast<uint16_t>(r.left), static_cast<uint16_t>(r.top),
                        static_cast<uint16_t>(r.right - r.left),
                        static_cast<uint16_t>(r.bottom - r.top), static_cast<int16_t>(r.left),
                        static_cast<int16_t>(r.top), 24, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, w.seg, 0);
      return;
    }
    if (raw_ && cairo_image_surface_get_format(w.image) != CAIRO_FORMAT_A8) {
      // Bands of whole rows as large as one request holds.
      const int cols = r.right - r.left;
      const int rowsPerBand =
          std::max<int>(1, static_cast<int>((xcb_get_maximum_request_length(c_) * 4 - 64) /
                                            (static_cast<uint32_t>(cols) * 4)));
      std::vector<unsigned char> packed;
      for (int top = r.top; top < r.bottom; top += rowsPerBand) {
        const int rows = std::min<int>(rowsPerBand, r.bottom - top);
        const unsigned char *from = data + top * stride + r.left * 4;
        if (cols * 4 != stride) {
          packed.resize(static_cast<size_t>(rows) * cols * 4);
          for (int row = 0; row < rows; ++row)
            std::memcpy(&packed[static_cast<size_t>(row) * cols * 4], from + row * stride,
                        static_cast<size_t>(cols) * 4);
          from = packed.data();
        }
        xcb_put_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, w.id, gc_, static_cast<uint16_t>(cols),
                      static_cast<uint16_t>(rows), static_cast<int16_t>(r.left),
                      static_cast<int16_t>(top), 0, 24, static_cast<uint32_t>(rows) * cols * 4,
                      from);
      }
      return;
    }
    cairo_t *cr = cairo_create(w.target);
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, w.image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(w.target);
  }

  // Title, size hints: what the window tells an X window manager.
  void Refresh(HWND top, XWindow &w) {
    if (w.popup)
      return;
    char text[512] = "";
    GetWindowTextA(top, text, sizeof text);
    const std::string title = Utf8Of(text);
    if (title != w.title) {
      w.title = title;
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, atoms_[kNetName], atoms_[kUtf8], 8,
                          title.size(), title.data());
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                          std::strlen(text), text);
    }
    if (!w.hintsDue)
      return;
    w.hintsDue = false;
    const POINT min = MinimumSize(top);
    const LONG style = GetWindowLongA(top, GWL_STYLE);
    const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
    // WM_NORMAL_HINTS: flags, x, y, w, h, min w/h, max w/h, ... (18 words).
    // A window without a sizing border keeps its size.
    uint32_t hints[18] = {};
    hints[0] = 1 | 4 | 16 | 32; // USPosition, PPosition, PMinSize, PMaxSize
    hints[1] = static_cast<uint32_t>(w.rect.left);
    hints[2] = static_cast<uint32_t>(w.rect.top);
    hints[3] = static_cast<uint32_t>(width);
    hints[4] = static_cast<uint32_t>(height);
    const bool sizable = style & WS_THICKFRAME;
    hints[5] = static_cast<uint32_t>(sizable ? min.x : width);
    hints[6] = static_cast<uint32_t>(sizable ? min.y : height);
    hints[7] = sizable ? 32767 : static_cast<uint32_t>(width);
    hints[8] = sizable ? 32767 : static_cast<uint32_t>(height);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w.id, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
  }

  static POINT MinimumSize(HWND top) {
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    info.ptMaxTrackSize = POINT{32767, 32767};
    SendMessageA(top, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return POINT{std::max<LONG>(info.ptMinTrackSize.x, 1),
                 std::max<LONG>(info.ptMinTrackSize.y, 1)};
  }

  // What the layer decided since the last look: titles and hints, the
  // keyboard focus of the active window, the cursor shape.
  void Synchronise() {
    for (auto &entry : windows_)
      if (entry.second.mapped)
        Refresh(entry.first, entry.second);
    HWND active = GetActiveWindow();
    auto a = windows_.find(active);
    if (a != windows_.end() && a->second.mapped && viewable_ && a->second.id != focused_ &&
        !a->second.popup) {
      xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, a->second.id, XCB_CURRENT_TIME);
      focused_ = a->second.id;
    }
    HCURSOR cursor = GetCursor();
    if (pointer_ && (cursor != shownCursor_ || pointer_ != cursorWindow_)) {
      shownCursor_ = cursor;
      cursorWindow_ = pointer_;
      uint32_t value = CursorFor(cursor);
      xcb_change_window_attributes(c_, pointer_, XCB_CW_CURSOR, &value);
    }
    xcb_flush(c_);
  }

  xcb_cursor_t CursorFor(HCURSOR cursor) {
    vqwin::resource::CursorImage image;
    WORD id = 32512;
    if (cursor && vqwin::resource::DescribeCursor(cursor, &image) && image.system)
      id = image.systemId;
    // A cursor of a module's own: the layer shows the pointer as an arrow.
    auto it = cursors_.find(id);
    if (it != cursors_.end())
      return it->second;
    const uint16_t glyph = CursorGlyph(id);
    xcb_cursor_t x = xcb_generate_id(c_);
    xcb_create_glyph_cursor(c_, x, cursorFont_, cursorFont_, glyph, glyph + 1, 0, 0, 0, 0xFFFF,
                            0xFFFF, 0xFFFF);
    cursors_[id] = x;
    return x;
  }

  void LoadKeymap() {
    const xcb_setup_t *setup = xcb_get_setup(c_);
    minKey_ = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *r = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, count), nullptr);
    if (!r)
      return;
    perKey_ = r->keysyms_per_keycode;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(r);
    keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(r));
    std::free(r);
  }

  uint32_t Keysym(xcb_keycode_t code, uint16_t state) const {
    const int row = code - minKey_;
    if (row < 0 || perKey_ == 0 || static_cast<size_t>((row + 1) * perKey_) > keysyms_.size())
      return 0;
    auto at = [&](int column) -> uint32_t {
      return column < perKey_ ? keysyms_[row * perKey_ + column] : 0;
    };
    const bool shift = state & XCB_MOD_MASK_SHIFT;
    int base = 0;
    if ((state & XCB_MOD_MASK_5) && at(4)) // AltGr: the third level
      base = 4;
    uint32_t lower = at(base), upper = at(base + 1) ? at(base + 1) : lower;
    // The keypad follows Num Lock (Mod2) rather than Shift.
    if (upper >= kKp0 && upper <= kKp9 + 0x10 && (state & XCB_MOD_MASK_2))
      return shift ? lower : upper;
    uint32_t sym = shift ? upper : lower;
    if ((state & XCB_MOD_MASK_LOCK) && sym >= 'a' && sym <= 'z')
      sym -= 'a' - 'A';
    else if ((state & XCB_MOD_MASK_LOCK) && shift && sym >= 'A' && sym <= 'Z')
      sym += 'a' - 'A';
    return sym;
  }

  // Brings Shift, Control and Alt in the input path to what the server says
  // was held when the event happened.
  void SyncModifiers(uint16_t state) {
    static const struct {
      uint16_t mask;
      UINT vk;
    } mods[] = {{XCB_MOD_MASK_SHIFT, VK_SHIFT},
                {XCB_MOD_MASK_CONTROL, VK_CONTROL},
                {XCB_MOD_MASK_1, VK_MENU}};
    for (const auto &m : mods) {
      const bool x = state & m.mask;
      const bool layer = GetAsyncKeyState(m.vk) & 0x8000;
      if (x != layer)
        vqwin::user::InjectKey(m.vk, x, 0);
    }
  }

  void Key(const xcb_key_press_event_t &ev, bool down) {
    SyncModifiers(ev.state);
    if (!down) {
      auto it = pressed_.find(ev.detail);
      if (it == pressed_.end())
        return;
      vqwin::user::InjectKey(it->second.first, false, it->second.second);
      pressed_.erase(it);
      return;
    }
    const uint32_t sym = Keysym(ev.detail, ev.state);
    UINT vk = FunctionKey(sym);
    char16_t ch = 0;
    if (!vk) {
      ch = CharacterOf(sym);
      if (!ch || (ch >= 0x80 && vqwin::cp1252::FromUnicode(ch) == '?'))
        return; // nothing of the code page, nor a key the input path knows
      UINT usVk = 0;
      bool usShift = false;
      const bool shift = ev.state & XCB_MOD_MASK_SHIFT;
      const bool ctrl = ev.state & XCB_MOD_MASK_CONTROL;
      const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
      if (ch < 0x80 && vqwin::user::KeyScan(static_cast<char>(ch), usVk, usShift) &&
          (ctrl || (usShift == shift && !(letter && (ev.state & XCB_MOD_MASK_LOCK))))) {
        vk = usVk;
        ch = 0;
      } else if (ctrl && letter) {
        vk = static_cast<UINT>(ch & ~0x20);
        ch = 0;
      } else {
        vk = VK_PACKET;
      }
    }
    pressed_[ev.detail] = {vk, ch};
    vqwin::user::InjectKey(vk, true, ch);
  }

  void Button(const xcb_button_press_event_t &ev, bool down) {
    SyncModifiers(ev.state);
    const POINT pt{ev.root_x, ev.root_y};
    switch (ev.detail) {
    case 1:
      vqwin::user::InjectMouse(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, pt);
      break;
    case 2:
      vqwin::user::InjectMouse(down ? WM_MBUTTONDOWN : WM_MBUTTONUP, pt);
      break;
    case 3:
      vqwin::user::InjectMouse(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, pt);
      break;
    case 4:
    case 5:
      if (down)
        vqwin::user::InjectWheel(ev.detail == 4 ? WHEEL_DELTA : -WHEEL_DELTA, pt);
      break;
    }
  }

  // A place or size chosen by an X window manager or another program. A
  // real notice of a reparented window is relative to the manager's frame:
  // then only a synthetic one gives the place on the root window. Notices
  // from before the layer's latest request for the window are stale.
  void Configured(const xcb_configure_notify_event_t &ev, bool synthetic) {
    auto it = byId_.find(ev.window);
    if (it == byId_.end())
      return;
    XWindow &w = windows_[it->second];
    if (static_cast<int16_t>(ev.sequence - w.request) < 0)
      return;
    if ((synthetic || !w.reparented) && (ev.x != w.rect.left || ev.y != w.rect.top)) {
      const int dx = ev.x - w.rect.left, dy = ev.y - w.rect.top;
      w.rect = RECT{w.rect.left + dx, w.rect.top + dy, w.rect.right + dx, w.rect.bottom + dy};
      SetWindowPos(it->second, nullptr, ev.x, ev.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
    if (ev.width == width && ev.height == height)
      return;
    const POINT min = MinimumSize(it->second);
    const int cx = std::max<int>(ev.width, min.x), cy = std::max<int>(ev.height, min.y);
    w.rect.right = w.rect.left + ev.width;
    w.rect.bottom = w.rect.top + ev.height;
    SetWindowPos(it->second, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  bool Drain() {
    bool delivered = false;
    while (!pending_.empty()) {
      xcb_generic_event_t *e = pending_.front();
      pending_.pop_front();
      delivered |= Handle(e);
      std::free(e);
    }
    while (xcb_generic_event_t *e = xcb_poll_for_event(c_)) {
      delivered |= Handle(e);
      std::free(e);
    }
    xcb_flush(c_);
    return delivered;
  }

  bool Handle(xcb_generic_event_t *e) {
    switch (e->response_type & 0x7F) {
    case XCB_EXPOSE: {
      auto *ev = reinterpret_cast<xcb_expose_event_t *>(e);
      auto it = byId_.find(ev->window);
      if (it != byId_.end())
        Present(it->second, RECT{ev->x, ev->y, ev->x + ev->width, ev->y + ev->height});
      return false;
    }
    case XCB_MAPPING_NOTIFY:
      // Tools that type a character the layout lacks map it to a spare key
      // for a moment.
      LoadKeymap();
      return false;
    case XCB_MAP_NOTIFY:
      viewable_ = true;
      focused_ = 0; // focus the active window now that it can be
      return false;
    case XCB_REPARENT_NOTIFY: {
      auto *ev = reinterpret_cast<xcb_reparent_notify_event_t *>(e);
      auto it = byId_.find(ev->window);
      if (it != byId_.end())
        windows_[it->second].reparented = ev->parent != screen_->root;
      return false;
    }
    case XCB_CONFIGURE_NOTIFY:
      Configured(*reinterpret_cast<xcb_configure_notify_event_t *>(e), e->response_type & 0x80);
      return true;
    case XCB_CLIENT_MESSAGE: {
      auto *ev = reinterpret_cast<xcb_client_message_event_t *>(e);
      auto it = byId_.find(ev->window);
      if (it != byId_.end() && ev->type == atoms_[kProtocols] &&
          ev->data.data32[0] == atoms_[kDelete]) {
        PostMessageA(it->second, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      }
      return false;
    }
    case XCB_SELECTION_REQUEST:
      Serve(*reinterpret_cast<xcb_selection_request_event_t *>(e));
      return false;
    case XCB_SELECTION_CLEAR: {
      auto *ev = reinterpret_cast<xcb_selection_clear_event_t *>(e);
      if (ev->owner == selection_ && ev->selection == atoms_[kClipboard])
        owned_ = false; // another program's text is the clipboard's now
      return false;
    }
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
      lastTime_ = reinterpret_cast<xcb_key_press_event_t *>(e)->time;
      Key(*reinterpret_cast<xcb_key_press_event_t *>(e),
          (e->response_type & 0x7F) == XCB_KEY_PRESS);
      return true;
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
      lastTime_ = reinterpret_cast<xcb_button_press_event_t *>(e)->time;
      Button(*reinterpret_cast<xcb_button_press_event_t *>(e),
             (e->response_type & 0x7F) == XCB_BUTTON_PRESS);
      return true;
    case XCB_MOTION_NOTIFY: {
      auto *ev = reinterpret_cast<xcb_motion_notify_event_t *>(e);
      pointer_ = ev->event;
      vqwin::user::InjectMouse(WM_MOUSEMOVE, POINT{ev->root_x, ev->root_y});
      return true;
    }
    case XCB_ENTER_NOTIFY: {
      auto *ev = reinterpret_cast<xcb_enter_notify_event_t *>(e);
      pointer_ = ev->event;
      vqwin::user::InjectMouse(WM_MOUSEMOVE, POINT{ev->root_x, ev->root_y});
      return true;
    }
    case XCB_FOCUS_IN: {
      auto *ev = reinterpret_cast<xcb_focus_in_event_t *>(e);
      auto it = byId_.find(ev->event);
      focused_ = ev->event;
      // A window an X window manager focused becomes the active one, unless a
      // modal window keeps it disabled.
      if (it != byId_.end() && IsWindowEnabled(it->second) && GetActiveWindow() != it->second &&
          !windows_[it->second].popup)
        SetActiveWindow(it->second);
      return false;
    }
    }
    return false;
  }

  enum {
    kProtocols,
    kDelete,
    kNetName,
    kUtf8,
    kClipboard,
    kTargets,
    kTransfer,
    kIncr,
    kMotifHints,
    kAtoms
  };

  xcb_connection_t *c_;
  xcb_screen_t *screen_ = nullptr;
  xcb_visualtype_t *visual_ = nullptr;
  xcb_atom_t atoms_[kAtoms] = {};
  xcb_font_t cursorFont_ = 0;
  std::unordered_map<HWND, XWindow> windows_;
  std::unordered_map<xcb_window_t, HWND> byId_;
  std::unordered_map<WORD, xcb_cursor_t> cursors_;
  std::unordered_map<xcb_keycode_t, std::pair<UINT, char16_t>> pressed_;
  std::vector<xcb_keysym_t> keysyms_;
  int minKey_ = 8, perKey_ = 0;
  xcb_window_t focused_ = 0, pointer_ = 0, cursorWindow_ = 0;
  bool viewable_ = false;
  HCURSOR shownCursor_ = nullptr;
  xcb_window_t selection_ = 0; // owns the CLIPBOARD selection for us
  std::string clipboard_;
  bool owned_ = false;
  xcb_timestamp_t lastTime_ = XCB_CURRENT_TIME; // of the latest key or button
  std::deque<xcb_generic_event_t *> pending_;
  xcb_gcontext_t gc_ = 0;
  bool raw_ = false;                     // surfaces go to the server byte for byte (RawPixels)
  bool shm_ = false;                     // and through shared memory
  xcb_get_input_focus_cookie_t fence_{}; // the round trip after the last frame
  bool fenced_ = false;
};

} // namespace

DisplayBackend *Chosen() {
  const char *which = std::getenv("VQWIN_DISPLAY");
  if (!which || !*which || std::strcmp(which, "headless") == 0)
    return nullptr;
  if (std::strcmp(which, "x11") != 0) {
    std::fprintf(
        stderr,
        "vqwin: VQWIN_DISPLAY=%s is not a display (x11 or headless); windows stay in memory\n",
        which);
    return nullptr;
  }
  const char *display = std::getenv("DISPLAY");
  xcb_connection_t *c = display && *display ? xcb_connect(display, nullptr) : nullptr;
  if (!c || xcb_connection_has_error(c)) {
    if (c)
      xcb_disconnect(c);
    std::fprintf(stderr, "vqwin: the X display \"%s\" cannot be opened; windows stay in memory\n",
                 display ? display : "");
    return nullptr;
  }
  static X11 *x11 = nullptr;
  x11 = new X11(c); // lives as long as the process, like the windows it shows
  if (!x11->Usable()) {
    std::fprintf(
        stderr,
        "vqwin: the X display \"%s\" has no 24-bit TrueColor screen; windows stay in memory\n",
        display);
    delete x11;
    x11 = nullptr;
  }
  return x11;
}

} // namespace vqwin::backend

#else

namespace vqwin::backend {

DisplayBackend *Chosen() {
  const char *which = std::getenv("VQWIN_DISPLAY");
  if (which && std::strcmp(which, "x11") == 0)
    std::fprintf(stderr, "vqwin: this build has no X11 display; windows stay in memory\n");
  return nullptr;
}

} // namespace vqwin::backend

#endif
