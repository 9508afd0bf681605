// What CGridDef, CGridDesc and the descriptions that fill grids share:
// finding a grid window and its item interface, numbered texts with a
// visible stand-in for missing ones, and quoting texts for configuration
// lines. Internal to the library.
#ifndef VQ_TBL32_GRID_GRID_ATTACH_H
#define VQ_TBL32_GRID_GRID_ATTACH_H

#include <vq_lib32.h>
#include <vq_tbl32.h>

#include <cstddef>

namespace vq::grid {

/// The log texts and message numbers of one column definition class; the
/// two classes word their failures slightly differently.
struct AttachTexts {
  const char *tag;
  const char *notFound; // "%d": the control id
  const char *noInterface;
  UINT notFoundBox; // shown with the control id
  UINT noInterfaceBox;
};

/// Finds the grid (`window` itself when `controlId` is (UINT)-1, else the
/// dialog's control) and asks it for its IGridView. `*grid` and
/// `*view` get what was found, NULL where the search stopped. 1, or
/// 0 after the log line and box of `texts`.
BOOL AttachGrid(HWND window, UINT controlId, const AttachTexts &texts, HWND *grid,
                IGridView **view);

/// Resource string `id` of the context's resource module, cut to size - 1;
/// "<id>" when the context, its module or the string is missing, so that a
/// gap in a translation shows which text it is. Returns the length.
UINT LoadResText(CVQLibrary *library, UINT id, char *buffer, UINT size);

/// Copies at most `maxLength` characters of `text` to `out` with every '"'
/// doubled, which is how the configuration reader takes a quote inside a
/// quoted text; texts without quotes come out unchanged. `out` holds
/// 2 * maxLength + 1 bytes. Records filled by hand may lack a terminator,
/// hence the bound.
void DoubleQuotes(char *out, const char *text, size_t maxLength);

} // namespace vq::grid

#endif
