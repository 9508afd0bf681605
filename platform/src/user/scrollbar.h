// A scroll bar's state and its layout along its length, shared by the
// standard bars of a window (hit testing, tracking, drawing) and by the
// "ScrollBar" control.
#ifndef VQWIN_USER_SCROLLBAR_H
#define VQWIN_USER_SCROLLBAR_H

#include <windows.h>

namespace vqwin::user {

struct Window;

// One scroll bar's state, as SCROLLINFO holds it.
struct ScrollBar {
  int min = 0;
  int max = 100; // the documented default range of a standard bar
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  bool disabled = false; // kept visible by SIF_DISABLENOSCROLL
  bool everSet = false;  // GetScrollInfo answers only once a bar exists
};

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

// The highest position the page leaves.
int MaxScrollPos(const ScrollBar &b);
// Takes SCROLLINFO's range, page and position as SetScrollInfo does: the page
// cut to the range, the position to what the page leaves.
void TakeScrollInfo(ScrollBar &b, const SCROLLINFO &si);
// A bar `length` long: arrows `arrow` long (at most half of it) and, unless
// `withThumb` is false or it does not fit, a thumb at position `shown`,
// sized by the page or else `thumb` long.
BarLayout LayoutAlong(const ScrollBar &b, int length, int arrow, int thumb, int shown,
                      bool withThumb);
// The position a thumb dragged to `thumbStart` stands for.
int PosForThumb(const ScrollBar &b, const BarLayout &l, int thumbStart);
// Draws a bar into `r` of `dc`: the track, both arrow buttons with their
// glyphs (grey without a thumb or when `enabled` is false) and the thumb.
void PaintBar(HDC dc, const RECT &r, bool vertical, const BarLayout &l, bool enabled);

} // namespace vqwin::user

#endif
