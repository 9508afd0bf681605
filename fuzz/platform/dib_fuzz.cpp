// Arbitrary bytes as a packed DIB (BITMAPINFOHEADER, colour table or masks,
// then the rows), the form resource bitmaps take. The harness checks what a
// loader must (header, table and rows inside the input), copies each part
// into a buffer of exactly its size so that any read beyond it is caught,
// and hands them to CreateDIBitmap, SetDIBits and GetDIBits.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  BITMAPINFOHEADER h;
  if (size < sizeof h)
    return 0;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < sizeof h || h.biSize > size || h.biBitCount == 0 || h.biBitCount > 32)
    return 0;
  int64_t table = 0;
  if (h.biBitCount <= 8)
    table = 4 * static_cast<int64_t>(h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount);
  else if (h.biCompression == BI_BITFIELDS)
    table = 12;
  int64_t info = h.biSize + table;
  int64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
  // Every row takes at least four bytes, so neither side can exceed the input.
  if (h.biWidth <= 0 || h.biWidth > static_cast<int64_t>(8 * size) || rows == 0 ||
      rows > static_cast<int64_t>(size) || info > static_cast<int64_t>(size))
    return 0;
  int64_t stride = (static_cast<int64_t>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  if (stride * rows > static_cast<int64_t>(size) - info)
    return 0;
  std::vector<uint8_t> header(data, data + info);
  std::vector<uint8_t> bits(data + info, data + info + stride * rows);
  const auto *bmi = reinterpret_cast<const BITMAPINFO *>(header.data());

  HBITMAP bm = CreateDIBitmap(nullptr, &bmi->bmiHeader, CBM_INIT, bits.data(), bmi, DIB_RGB_COLORS);
  if (!bm)
    return 0;
  BITMAP desc{};
  if (GetObjectA(bm, sizeof desc, &desc) != sizeof desc || desc.bmWidth != h.biWidth ||
      desc.bmHeight != rows)
    std::abort();
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO out{};
  out.bmiHeader = {
      sizeof(BITMAPINFOHEADER), desc.bmWidth, -desc.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(desc.bmWidth) * desc.bmHeight);
  if (GetDIBits(dc, bm, 0, desc.bmHeight, pixels.data(), &out, DIB_RGB_COLORS) != desc.bmHeight)
    std::abort();
  if (SetDIBits(dc, bm, 0, static_cast<UINT>(rows), bits.data(), bmi, DIB_RGB_COLORS) !=
      static_cast<int>(rows))
    std::abort();
  DeleteDC(dc);
  DeleteObject(bm);
  return 0;
}
