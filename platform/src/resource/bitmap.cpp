// LoadBitmapA: a bitmap resource (a packed DIB: header, colour table, bits)
// made into a device-dependent bitmap through GDI, as Windows does: a
// monochrome DIB stays monochrome, every other one becomes a colour bitmap.
// Each call makes a new bitmap that the caller deletes with DeleteObject.
#include <windows.h>

#include "resource/resource_lookup.h"

#include <cstring>
#include <vector>

namespace {

uint32_t Le(const BYTE *p, int width) {
  uint32_t v = 0;
  for (int i = width - 1; i >= 0; --i)
    v = (v << 8) | p[i];
  return v;
}

// Bytes of the header and colour table (or bit masks) before the bits, or
// 0 when the header is not one GDI reads.
size_t InfoSize(const BYTE *dib, size_t size) {
  if (size < 40)
    return 0;
  const uint32_t headerSize = Le(dib, 4);
  if (headerSize < 40 || headerSize > size)
    return 0;
  const uint32_t bits = Le(dib + 14, 2), compression = Le(dib + 16, 4), used = Le(dib + 32, 4);
  size_t extra = 0;
  if (bits <= 8) {
    if (used > (1u << bits))
      return 0;
    extra = 4 * size_t{used ? used : 1u << bits};
  } else if (compression == BI_BITFIELDS && headerSize == 40) {
    extra = 12;
  }
  return headerSize + extra <= size ? headerSize + extra : 0;
}

} // namespace

HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
  if (hInstance == nullptr) { // system bitmaps (OBM_*) are not provided
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const vqwin_resource_entry *entry = vqwin::resource::Find(hInstance, RT_BITMAP, lpBitmapName, 0);
  if (entry == nullptr)
    return nullptr;
  const BYTE *dib = vqwin::resource::DataOf(entry);
  const size_t info = InfoSize(dib, entry->size);
  if (info == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const auto width = static_cast<int32_t>(Le(dib + 4, 4));
  const auto height = static_cast<int32_t>(Le(dib + 8, 4));
  const uint32_t bitCount = Le(dib + 14, 2);
  const int64_t rows = height < 0 ? -int64_t{height} : height;
  const int64_t stride = (int64_t{width} * bitCount + 31) / 32 * 4;
  if (width <= 0 || rows == 0 || stride <= 0 ||
      stride * rows > static_cast<int64_t>(entry->size - info)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // The resource bytes carry no alignment; GDI reads BITMAPINFO in place.
  std::vector<uint32_t> aligned((info + 3) / 4);
  std::memcpy(aligned.data(), dib, info);
  const auto *bmi = reinterpret_cast<const BITMAPINFO *>(aligned.data());
  return CreateDIBitmap(nullptr, &bmi->bmiHeader, CBM_INIT, dib + info, bmi, DIB_RGB_COLORS);
}
