// Reads DLGTEMPLATEEX dialog templates with bounds checks throughout, so a
// damaged template is refused instead of read past its end.
#include "resource/dialog_template.h"

namespace vqwin::resource {
namespace {

constexpr DWORD kDsSetFont = 0x40;

class Reader {
public:
  Reader(const BYTE *p, size_t size) : p_(p), size_(size) {}
  bool ok() const { return ok_; }
  uint32_t take(size_t width) {
    if (!ok_ || size_ - at_ < width) {
      ok_ = false;
      return 0;
    }
    uint32_t v = 0;
    for (size_t i = width; i-- > 0;)
      v = (v << 8) | p_[at_ + i];
    at_ += width;
    return v;
  }
  WORD word() { return static_cast<WORD>(take(2)); }
  DWORD dword() { return take(4); }
  short coordinate() { return static_cast<short>(word()); }
  std::u16string text() {
    std::u16string s;
    for (WORD c = word(); ok_ && c != 0; c = word())
      s += static_cast<char16_t>(c);
    return s;
  }
  DialogName name() {
    DialogName n;
    const WORD first = word();
    if (first == 0xFFFF) {
      n.isOrdinal = true;
      n.ordinal = word();
    } else if (first != 0) {
      n.text += static_cast<char16_t>(first);
      n.text += text();
    }
    return n;
  }
  void align4() {
    const size_t aligned = (at_ + 3) & ~size_t{3};
    if (aligned > size_)
      ok_ = false;
    else
      at_ = aligned;
  }
  void bytes(std::vector<BYTE> &out, size_t n) {
    if (!ok_ || size_ - at_ < n) {
      ok_ = false;
      return;
    }
    out.assign(p_ + at_, p_ + at_ + n);
    at_ += n;
  }

private:
  const BYTE *p_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

// DLGTEMPLATE and DLGITEMTEMPLATE: no help ids, no font weight, 16-bit ids.
bool ParseClassic(const void *data, size_t size, DialogTemplate *out) {
  Reader r(static_cast<const BYTE *>(data), size);
  DialogTemplate t;
  t.style = r.dword();
  t.exStyle = r.dword();
  const WORD count = r.word();
  t.x = r.coordinate();
  t.y = r.coordinate();
  t.cx = r.coordinate();
  t.cy = r.coordinate();
  t.menu = r.name();
  t.windowClass = r.name();
  t.title = r.text();
  if (t.style & kDsSetFont) {
    t.hasFont = true;
    t.pointSize = r.word();
    t.typeface = r.text();
  }
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.align4();
    DialogItem item;
    item.style = r.dword();
    item.exStyle = r.dword();
    item.x = r.coordinate();
    item.y = r.coordinate();
    item.cx = r.coordinate();
    item.cy = r.coordinate();
    item.id = r.word();
    item.windowClass = r.name();
    item.title = r.name();
    r.bytes(item.creationData, r.word());
    t.items.push_back(std::move(item));
  }
  if (!r.ok())
    return false;
  *out = std::move(t);
  return true;
}

} // namespace

bool ParseDialogTemplate(const void *data, size_t size, DialogTemplate *out) {
  if (data == nullptr || out == nullptr)
    return false;
  Reader r(static_cast<const BYTE *>(data), size);
  DialogTemplate t;
  // The extended form starts with version 1 and signature 0xFFFF; the
  // classic DLGTEMPLATE starts with its style, which never has that shape.
  const bool extended = r.word() == 1 && r.word() == 0xFFFF;
  if (!extended)
    return ParseClassic(data, size, out);
  t.helpId = r.dword();
  t.exStyle = r.dword();
  t.style = r.dword();
  const WORD count = r.word();
  t.x = r.coordinate();
  t.y = r.coordinate();
  t.cx = r.coordinate();
  t.cy = r.coordinate();
  t.menu = r.name();
  t.windowClass = r.name();
  t.title = r.text();
  if (t.style & kDsSetFont) {
    t.hasFont = true;
    t.pointSize = r.word();
    t.weight = r.word();
    t.italic = static_cast<BYTE>(r.take(1));
    t.charset = static_cast<BYTE>(r.take(1));
    t.typeface = r.text();
  }
  for (WORD i = 0; i < count && r.ok(); ++i) {
    r.align4();
    DialogItem item;
    item.helpId = r.dword();
    item.exStyle = r.dword();
    item.style = r.dword();
    item.x = r.coordinate();
    item.y = r.coordinate();
    item.cx = r.coordinate();
    item.cy = r.coordinate();
    item.id = r.dword();
    item.windowClass = r.name();
    item.title = r.name();
    r.bytes(item.creationData, r.word());
    t.items.push_back(std::move(item));
  }
  if (!r.ok())
    return false;
  *out = std::move(t);
  return true;
}

} // namespace vqwin::resource
