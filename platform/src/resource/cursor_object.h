/*
 * Cursors and icons as the platform layer keeps them, for the parts that
 * show them (the window manager's SetCursor, a display backend, drawing an
 * icon). Handles come from LoadCursorA and LoadIconA.
 */
#ifndef VQWIN_CURSOR_OBJECT_H
#define VQWIN_CURSOR_OBJECT_H

#include <windows.h>

// Exported for the dialog manager, window manager and tests beside the
// platform library; not part of the Win32 surface.
namespace vqwin::resource {

struct CursorImage {
  bool icon = false;
  /// A system cursor or icon (IDC_*, IDI_*): systemId is its id and there
  /// is no image; whoever shows it draws its own rendering of that shape.
  bool system = false;
  WORD systemId = 0;
  int width = 0, height = 0;
  /// The point of the image that marks the position; icons: their centre.
  POINT hotspot{};
  /// The image as a packed DIB whose height counts the colour image and its
  /// AND mask together (as Windows stores them); NULL for system ones.
  const BYTE *dib = nullptr;
  DWORD dibSize = 0;
};

/// false for any value that is not a live cursor or icon handle.
__attribute__((visibility("default"))) bool DescribeCursor(HCURSOR handle, CursorImage *image);

} // namespace vqwin::resource

#endif
