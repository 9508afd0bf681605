// A drawing canvas for GDI tests: a memory DC over a white 32-bit DIB
// section, pixel reads, ink bounding boxes, and a PNG of the canvas in
// $VQ_TEST_OUTPUT whenever a test fails.
#ifndef VQ_TESTS_PLATFORM_GDI_CANVAS_H
#define VQ_TESTS_PLATFORM_GDI_CANVAS_H

#include <windows.h>
#include <vqwin_gdi_test.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  void *bits = nullptr;
  int width, height;

  Canvas(int w = 200, int h = 100, COLORREF fill = RGB(255, 255, 255)) : width(w), height(h) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    oldBitmap = SelectObject(dc, bitmap);
    Clear(fill);
  }
  ~Canvas() {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  Canvas(const Canvas &) = delete;
  Canvas &operator=(const Canvas &) = delete;

  void Clear(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, width, height};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  // Reads the DIB directly: GetPixel would answer CLR_INVALID outside the
  // DC's clip region.
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return CLR_INVALID;
    GdiFlush();
    unsigned p = static_cast<const unsigned *>(bits)[y * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

  // The smallest rectangle holding every pixel that differs from bg;
  // empty (all zero) when there is none.
  RECT Ink(COLORREF bg = RGB(255, 255, 255)) const {
    RECT r{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (At(x, y) != bg) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r.right == 0 ? RECT{0, 0, 0, 0} : r;
  }

  // The number of pixels that differ from bg.
  int Count(COLORREF bg) const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        n += At(x, y) != bg;
    return n;
  }

  // Saves the canvas when the running test has failed.
  void SaveIfFailed() const {
    if (!::testing::Test::HasFailure())
      return;
    const char *dir = std::getenv("VQ_TEST_OUTPUT");
    std::string base = dir ? dir : ".";
    mkdir(base.c_str(), 0777);
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string path = base + "/" + info->test_suite_name() + "." + info->name() + ".png";
    vqwinGdiSavePng(dc, path.c_str());
    printf("canvas saved to %s\n", path.c_str());
  }
};

inline std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
  return buf;
}

inline std::string Str(const RECT &r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

#endif
