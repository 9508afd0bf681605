// Layout of a standard scroll bar along its length, shared by hit testing,
// tracking and drawing.
#ifndef VQWIN_USER_SCROLLBAR_H
#define VQWIN_USER_SCROLLBAR_H

#include <windows.h>

namespace vqwin::user {

struct Window;

enum class BarPart { None, ArrowBack, PageBack, Thumb, PageForward, ArrowForward };

// Offsets along the bar from its top (vertical) or left (horizontal) end.
struct BarLayout {
  int length = 0;
  int arrow = 0;
  int trackStart = 0, trackEnd = 0;
  int thumbStart = 0, thumbLength = 0; // no thumb when thumbLength is 0
};

BarLayout LayoutBar(const Window &w, int bar);
BarPart PartAt(const BarLayout &layout, int along);

} // namespace vqwin::user

#endif
