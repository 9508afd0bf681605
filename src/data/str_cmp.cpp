// The joker string comparer: a pattern split at its run jokers into
// segments once, then matched against many texts (every record of a table
// passes through it while a selection is counted or browsed). Matching
// never allocates and never backtracks: the first and last segments are
// anchored, and each middle segment takes the leftmost place where it fits,
// which is also the place that leaves the most room for the segments after
// it.
//
// It is not a general glob: there are no character classes or escapes, and
// the jokers are the comparer's three members.
#include "frame/library.h"

#include <cstring>

namespace {

constexpr char kTag[] = "CVQStrCmp";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The runtime's upper-casing in the "C" locale: ASCII letters only, so that
// letters beyond ASCII compare as they are, whatever the host's locale.
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - ('a' - 'A')) : c; }

// The text to match, after measuring and trimming; begin == end = nothing.
struct Span {
  const char *begin;
  const char *end;
};

// The two comparers differ only in how a text character is seen; the
// matcher is instantiated for each so the case-sensitive one pays nothing.
struct SameCase {
  static char Fold(char c) { return c; }
};
struct UpperCase {
  static char Fold(char c) { return AsciiUpper(c); }
};

template <class Case> class Matcher {
public:
  explicit Matcher(const CVQStrCmp &p) : p_(p) {}

  int Match(const Span &text) const {
    const UINT count = p_.segmentCount;
    if (count == 0 || count > CVQStrCmp::kMaxSegments)
      return 0;
    const char *const begin = text.begin;
    const size_t size = size_t(text.end - begin);
    const CVQStrCmp::Segment &first = p_.segments[0];
    if (first.length > size || !At(first, begin))
      return 0;
    if (count == 1)
      return size == first.length;
    const char *pos = begin + first.length;
    const char *end = text.end;
    UINT last = count - 1; // the last segment still to be placed
    const CVQStrCmp::Segment &tail = p_.segments[count - 1];
    if (tail.length) {
      if (size_t(first.length) + tail.length > size || !At(tail, end - tail.length))
        return 0;
      end -= tail.length;
      --last;
    }
    return PlaceMiddle(pos, end, last);
  }

  // Most texts of a table fail on the first segment; a terminated text can
  // be refused there before it is measured. The terminator is no character
  // of the text, so not even the char joker matches it.
  bool HeadFails(const char *text) const {
    const CVQStrCmp::Segment &first = p_.segments[0];
    for (UINT i = 0; i < first.length; ++i)
      if (!text[i] || !Same(first.text[i], Case::Fold(text[i])))
        return true;
    return false;
  }

  bool HeadFails(const char *begin, const char *end) const {
    const CVQStrCmp::Segment &first = p_.segments[0];
    return first.length > size_t(end - begin) || !At(first, begin);
  }

private:
  bool Same(char pattern, char c) const {
    return pattern == c || pattern == p_.charJoker || (pattern == p_.digitJoker && IsDigit(c));
  }

  bool At(const CVQStrCmp::Segment &s, const char *at) const {
    for (UINT i = 0; i < s.length; ++i)
      if (!Same(s.text[i], Case::Fold(at[i])))
        return false;
    return true;
  }

  // The first place at or after `pos` where the segment's first character
  // can stand, or NULL. A pattern character that is a letter is found in
  // either case by the case-blind comparer.
  const char *Candidate(const CVQStrCmp::Segment &s, const char *pos, const char *end) const {
    const char c0 = s.text[0];
    if (c0 == p_.charJoker)
      return pos;
    if (c0 == p_.digitJoker) {
      for (; pos < end; ++pos)
        if (IsDigit(*pos))
          return pos;
      return nullptr;
    }
    for (; pos < end; ++pos)
      if (Case::Fold(*pos) == c0)
        return pos;
    return nullptr;
  }

  // Segments 1..last go between pos and end in order. An empty segment (a
  // doubled or trailing run joker) takes no characters but still needs one
  // left to stand for.
  int PlaceMiddle(const char *pos, const char *end, UINT last) const {
    UINT i = 1;
    while (i <= last) {
      if (pos >= end)
        return 0;
      const CVQStrCmp::Segment &s = p_.segments[i];
      if (s.length == 0) {
        ++i;
        continue;
      }
      const char *at = Candidate(s, pos, end);
      if (!at || size_t(end - at) < s.length)
        return 0;
      if (At(s, at)) {
        pos = at + s.length;
        ++i;
      } else {
        pos = at + 1;
      }
    }
    return 1;
  }

  const CVQStrCmp &p_;
};

} // namespace

int CVQStrCmp::SetupString(const char *pattern, UINT length, int upper) {
  segmentCount = 0;
  if (!pattern)
    return 0;
  if (length == 0)
    length = UINT(std::strlen(pattern));
  if (length == 0)
    return 0;
  UINT jokers = 0;
  for (UINT i = 0; i < length; ++i)
    jokers += pattern[i] == runJoker;
  if (jokers >= kMaxSegments) {
    // The pattern need not be terminated, and a log line need not show all of it.
    const int shown = length < 256 ? int(length) : 256;
    theLibrary.PrtLog(VQLOG_ERROR, kTag, "More than %u run jokers in the pattern %.*s",
                      kMaxSegments - 1, shown, pattern);
    return 0;
  }
  const char *piece = pattern;
  const char *const end = pattern + length;
  for (UINT n = 0; n <= jokers; ++n) {
    const char *stop = piece;
    while (stop < end && *stop != runJoker)
      ++stop;
    Segment &s = segments[n];
    s.length = UINT(stop - piece) < kSegmentSize - 1 ? UINT(stop - piece) : kSegmentSize - 1;
    std::memcpy(s.text, piece, s.length);
    s.text[s.length] = '\0';
    if (upper && s.length)
      CharUpperBuffA(s.text, s.length);
    piece = stop + 1;
  }
  segmentCount = jokers + 1;
  return 1;
}

namespace {

// Both comparisons: a cheap refusal on the first segment before the text is
// measured, then the match of the measured span. Most texts of a table fail
// on their first characters, so a blank padded text is refused there before
// its trailing blanks are counted: a segment that does not match the text
// with them cannot match it without them.
template <class Fold>
int CompareFolded(const CVQStrCmp &pattern, const char *text, UINT length, int trim) {
  if (!text || pattern.segmentCount > CVQStrCmp::kMaxSegments)
    return 0;
  const Matcher<Fold> matcher(pattern);
  const bool segments = pattern.segmentCount != 0;
  if (!length && !trim && segments && matcher.HeadFails(text))
    return 0;
  const char *begin = text;
  const char *end = text + (length ? length : std::strlen(text));
  if (trim)
    while (begin < end && IsBlank(*begin))
      ++begin;
  if (segments && matcher.HeadFails(begin, end))
    return 0;
  if (trim)
    while (end > begin && IsBlank(end[-1]))
      --end;
  if (begin == end)
    return 0;
  return matcher.Match({begin, end});
}

} // namespace

int CVQStrCmp::CompareStringA(const char *text, UINT length, int trim) const {
  return CompareFolded<SameCase>(*this, text, length, trim);
}

int CVQStrCmp::CompareiString(const char *text, UINT length, int trim) const {
  return CompareFolded<UpperCase>(*this, text, length, trim);
}
