/*
 * Reading dialog templates. Templates are stored in the DLGTEMPLATEEX
 * layout (the extended template of Win32: a header with a 0xFFFF signature,
 * then DWORD-aligned items); this turns one into plain structures for the
 * dialog manager. The layout, all little-endian:
 *
 *   WORD dlgVer (1), WORD signature (0xFFFF), DWORD helpID, DWORD exStyle,
 *   DWORD style, WORD cDlgItems, short x, y, cx, cy,
 *   menu, windowClass (each: 0x0000 none | 0xFFFF + WORD ordinal | text),
 *   title (text),
 *   if style has DS_SETFONT: WORD pointsize, WORD weight, BYTE italic,
 *                            BYTE charset, typeface (text)
 *   per item, aligned to 4: DWORD helpID, DWORD exStyle, DWORD style,
 *   short x, y, cx, cy, DWORD id, windowClass, title (each as above),
 *   WORD extraCount, extraCount bytes of creation data.
 *
 * Texts are NUL-terminated UTF-16. The classic DLGTEMPLATE that callers
 * build in memory is read too: DWORD style, DWORD exStyle, WORD cdit,
 * short x, y, cx, cy, menu, class, title, with DS_SETFONT a WORD point
 * size and the typeface; items (aligned to 4) DWORD style, DWORD exStyle,
 * short x, y, cx, cy, WORD id, class, title, WORD extraCount and its bytes.
 */
#ifndef VQWIN_DIALOG_TEMPLATE_H
#define VQWIN_DIALOG_TEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

// Exported for the dialog manager, window manager and tests beside the
// platform library; not part of the Win32 surface.
namespace vqwin::resource {

/// An ordinal (predefined class atom 0x80-0x85, or a resource id) or a text.
struct DialogName {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::u16string text;
};

struct DialogItem {
  DWORD helpId = 0, exStyle = 0, style = 0, id = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DialogName windowClass, title;
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DialogName menu, windowClass;
  std::u16string title;
  bool hasFont = false;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::u16string typeface;
  std::vector<DialogItem> items;
};

/// false when the data is no DLGTEMPLATEEX or runs past size.
__attribute__((visibility("default"))) bool ParseDialogTemplate(const void *data, size_t size,
                                                                DialogTemplate *out);

} // namespace vqwin::resource

#endif
