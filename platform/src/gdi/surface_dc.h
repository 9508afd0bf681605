// The seam between the window manager and GDI: a device context drawing
// into a window's part of a cairo surface. The window manager owns the
// surfaces (one per top-level window) and decides origin and clip; GDI owns
// the device context and everything drawn through it.
#ifndef VQWIN_GDI_SURFACE_DC_H
#define VQWIN_GDI_SURFACE_DC_H

#include <windows.h>

#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace vqwin::gdi {

struct SurfaceTarget {
  cairo_surface_t *surface = nullptr; // backing surface, not owned by the DC
  POINT origin{0, 0};                 // surface pixel of logical point (0, 0)
  RECT clip{0, 0, 0, 0};              // surface pixels; drawing outside is lost
  std::vector<RECT> excluded;         // surface pixels kept off inside clip too
  HWND window = nullptr;              // the window the DC belongs to, if any
};

/// A new device context over the target, with default objects selected
/// (white brush, black pen, system font, opaque white background, black
/// text). Returns NULL when the surface is missing.
HDC CreateSurfaceDC(const SurfaceTarget &target);

/// Releases a DC made by CreateSurfaceDC, restoring nothing on the surface.
/// Returns FALSE for any other handle.
BOOL DestroySurfaceDC(HDC dc);

/// The surface and target of a DC made by CreateSurfaceDC, or NULL.
const SurfaceTarget *SurfaceOfDC(HDC dc);

/// What GetDeviceCaps reports for a DC that draws on something other than
/// the screen, such as a printed page (a PDF surface).
struct DeviceInfo {
  int logPixelsX = 96, logPixelsY = 96; // device pixels per inch
  int horzRes = 0, vertRes = 0;         // printable area in device pixels
  bool printer = false;                 // TECHNOLOGY: DT_RASPRINTER
  // The whole sheet and where the printable area lies on it; 0 means the
  // printable area is the sheet.
  int physicalWidth = 0, physicalHeight = 0, offsetX = 0, offsetY = 0;
  // Called as DeleteDC frees the DC, so the device's owner can let go too.
  void (*released)(HDC dc) = nullptr;
};

/// A DC over the target that describes the given device. Unlike window DCs
/// it is freed with DeleteDC, as printer DCs are. Returns NULL when the
/// surface is missing.
HDC CreateDeviceDC(const SurfaceTarget &target, const DeviceInfo &device);

} // namespace vqwin::gdi

#endif
