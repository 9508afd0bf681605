// Finding a grid window's item interface, and numbered texts with a
// stand-in, for the column definition classes and the descriptions that
// fill grids through them.
#include "grid/grid_attach.h"

#include "frame/library.h"

#include <cstdio>

namespace vq::grid {

BOOL AttachGrid(HWND window, UINT controlId, const AttachTexts &texts, HWND *grid,
                IGridView **view) {
  *view = nullptr;
  *grid = controlId == ~0u ? window : GetDlgItem(window, static_cast<int>(controlId));
  if (!*grid || !IsWindow(*grid)) {
    *grid = nullptr;
    theLibrary.PrtLog(VQLOG_ERROR, texts.tag, texts.notFound, static_cast<int>(controlId));
    theLibrary.ErrorBox(texts.notFoundBox, static_cast<int>(controlId));
    return FALSE;
  }
  // WM_USER is the grid's own question for its object; a window of another
  // class answers 0 there, or whatever its procedure makes of WM_USER, so
  // only grid windows may be handed in.
  *view = reinterpret_cast<IGridView *>(SendMessageA(*grid, GM_GETINTERFACE, 0, 0));
  if (!*view) {
    theLibrary.PrtLog(VQLOG_ERROR, texts.tag, "%s", texts.noInterface);
    theLibrary.ErrorBox(texts.noInterfaceBox);
    return FALSE;
  }
  return TRUE;
}

UINT LoadResText(CVQLibrary *library, UINT id, char *buffer, UINT size) {
  if (!buffer || size == 0)
    return 0;
  HINSTANCE module = library ? library->GetResourceModule() : nullptr;
  int n = module ? LoadStringA(module, id, buffer, static_cast<int>(size)) : 0;
  if (n > 0)
    return static_cast<UINT>(n);
  n = std::snprintf(buffer, size, "<%u>", id);
  return n < 0 ? 0 : (static_cast<UINT>(n) < size ? static_cast<UINT>(n) : size - 1);
}

void DoubleQuotes(char *out, const char *text, size_t maxLength) {
  for (const char *end = text + maxLength; text && text < end && *text; ++text) {
    if (*text == '"')
      *out++ = '"';
    *out++ = *text;
  }
  *out = '\0';
}

} // namespace vq::grid
