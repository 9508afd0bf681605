// The display seam: what the window manager needs from whatever shows its
// top-level windows. The window manager owns every backing surface and does
// all drawing; a backend only presents finished pixels, tells the screen
// size and may feed real input into the same path that synthetic input
// takes (vqwinInject* in the automation surface). Nothing above this header
// knows which backend runs.
//
// The headless backend (the default) shows nothing: surfaces stay in memory,
// where screenshots and pixel reads find them, and input comes only from the
// automation surface; its clipboard is the process's own.
#ifndef VQWIN_BACKEND_BACKEND_H
#define VQWIN_BACKEND_BACKEND_H

#include <windows.h>

#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace vqwin::backend {

class DisplayBackend {
public:
  virtual ~DisplayBackend() = default;
  virtual const char *Name() const = 0;
  virtual SIZE ScreenSize() const = 0;
  /// A top-level window got a surface (again, after a resize) or moved.
  virtual void WindowPlaced(HWND top, cairo_surface_t *surface, const RECT &screenRect) = 0;
  virtual void WindowShown(HWND top, bool shown) = 0;
  virtual void WindowDestroyed(HWND top) = 0;
  /// Pixels of the surface inside `dirty` (surface coordinates) changed.
  virtual void Present(HWND top, const RECT &dirty) = 0;
  /// Returns once every pixel presented so far is on the display
  /// (GdiFlush).
  virtual void Finish() = 0;
  /// Moves pending real input into the input queue; false when this backend
  /// never delivers any, so an empty queue can never fill by itself.
  virtual bool PollInput(bool wait) = 0;
  /// Makes `text` (Windows-1252) the clipboard's text, for this process and,
  /// on a real display, for every other program there.
  virtual void SetClipboardText(const std::string &text) = 0;
  /// The clipboard's text in Windows-1252; false when it holds none.
  virtual bool ClipboardText(std::string &text) = 0;
};

/// The backend in use; the headless one unless another was installed or
/// the environment chose one (see Chosen).
DisplayBackend &Current();
/// The display the environment asks for: the X11 one with DISPLAY set and
/// VQWIN_DISPLAY=x11 (when the build has it and the server answers), else
/// null for the headless one. Says on stderr why a display asked for cannot
/// be had.
DisplayBackend *Chosen();
/// Makes `backend` (not owned; null: the headless one) the backend in use.
/// Install before the first window is made: surfaces already placed are
/// not announced again.
void Install(DisplayBackend *backend);

} // namespace vqwin::backend

#endif
