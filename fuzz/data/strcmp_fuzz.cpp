// Any pattern against any text through CVQStrCmp, in every mode: pattern
// upper-cased or not, trimmed or not, case-sensitive or not, measured or
// given a length. Each result must equal that of a plain matcher below that
// reads the same rules declaratively and tries every place for every middle
// segment instead of the leftmost one.
//
// Input: one flag byte, the pattern up to the first NUL, then the text.
#include <vq_tbl32.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Flags : uint8_t { kUpper = 1, kTrim = 2, kCaseBlind = 4, kGivenLength = 8 };

void Check(bool ok) {
  if (!ok)
    std::abort();
}

class Reference {
public:
  Reference(const std::string &pattern, bool upper, bool caseBlind) : caseBlind_(caseBlind) {
    std::string piece;
    for (char c : pattern + '*') {
      if (c != '*') {
        piece += c;
        continue;
      }
      if (piece.size() > 63)
        piece.resize(63);
      if (upper && !piece.empty())
        CharUpperBuffA(piece.data(), DWORD(piece.size()));
      segments_.push_back(piece);
      piece.clear();
    }
  }

  bool Valid() const { return segments_.size() <= 16; }

  bool Match(std::string text, bool trim) const {
    if (trim) {
      const size_t b = text.find_first_not_of(" \t");
      text = b == std::string::npos ? "" : text.substr(b, text.find_last_not_of(" \t") - b + 1);
    }
    if (text.empty())
      return false;
    if (caseBlind_)
      for (char &c : text)
        if (c >= 'a' && c <= 'z')
          c = char(c - 32);
    text_ = text;
    const std::string &head = segments_.front();
    const size_t n = text.size();
    if (head.size() > n || !At(head, 0))
      return false;
    if (segments_.size() == 1)
      return n == head.size();
    const std::string &tail = segments_.back();
    middle_.assign(segments_.begin() + 1, segments_.end() - (tail.empty() ? 0 : 1));
    end_ = n;
    if (!tail.empty()) {
      if (head.size() + tail.size() > n || !At(tail, n - tail.size()))
        return false;
      end_ = n - tail.size();
    }
    memo_.assign((middle_.size() + 1) * (n + 1), 0);
    return Place(0, head.size());
  }

private:
  bool At(const std::string &s, size_t at) const {
    for (size_t i = 0; i < s.size(); ++i) {
      const char p = s[i], c = text_[at + i];
      if (p != c && p != '?' && !(p == '#' && c >= '0' && c <= '9'))
        return false;
    }
    return true;
  }

  // Segment j and those after it fit somewhere in [pos, end_); an empty
  // segment needs a character left for it but takes none. A middle segment
  // that begins with the digit joker starts only at a digit: unlike the
  // anchored segments, it never stands on a literal '#'.
  bool Place(size_t j, size_t pos) const {
    if (j == middle_.size())
      return true;
    if (pos >= end_)
      return false;
    char &seen = memo_[j * (text_.size() + 1) + pos];
    if (seen)
      return seen == 1;
    bool ok = false;
    const std::string &s = middle_[j];
    if (s.empty())
      ok = j + 1 == middle_.size() || Place(j + 1, pos);
    else
      for (size_t at = pos; !ok && at + s.size() <= end_; ++at)
        ok = (s[0] != '#' || (text_[at] >= '0' && text_[at] <= '9')) && At(s, at) &&
             Place(j + 1, at + s.size());
    seen = ok ? 1 : 2;
    return ok;
  }

  bool caseBlind_;
  std::vector<std::string> segments_;
  mutable std::vector<std::string> middle_;
  mutable std::string text_;
  mutable size_t end_ = 0;
  mutable std::vector<char> memo_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1 || size > 1024)
    return 0;
  const uint8_t flags = data[0];
  const char *rest = reinterpret_cast<const char *>(data + 1);
  const size_t restSize = size - 1;
  const char *split = static_cast<const char *>(std::memchr(rest, 0, restSize));
  const std::string pattern(rest, split ? size_t(split - rest) : restSize);
  std::string text = split ? std::string(split + 1, rest + restSize) : std::string();
  if (!(flags & kGivenLength) || text.empty())
    text = text.c_str(); // measured: up to the first terminator

  const bool upper = flags & kUpper, trim = flags & kTrim, caseBlind = flags & kCaseBlind;
  CVQStrCmp cmp;
  const int set = cmp.SetupString(pattern.c_str(), UINT(pattern.size()), upper);
  const Reference ref(pattern, upper, caseBlind);
  Check(set == (!pattern.empty() && ref.Valid()));

  // The text gets a buffer of its exact size, so any read past it is seen.
  std::vector<char> exact(text.begin(), text.end());
  const char *textData = exact.empty() ? "" : exact.data();
  const UINT length = (flags & kGivenLength) ? UINT(exact.size()) : 0;
  if (!(flags & kGivenLength)) {
    exact.push_back('\0');
    textData = exact.data();
  }
  const int got = caseBlind ? cmp.CompareiString(textData, length, trim)
                            : cmp.CompareStringA(textData, length, trim);
  Check(got == 0 || got == 1);
  Check(got == (set && ref.Match(text, trim)));
  return 0;
}
