// Repaints a 1280x800 window holding a grid of 40 lines by 10 cells of text,
// once through our GDI (InvalidateRect and UpdateWindow; WM_PAINT draws with
// FillRect, pen lines and ExtTextOutA per cell between BeginPaint and
// EndPaint) and once straight with cairo doing the same fills, lines and
// clipped text on a surface of the same size. A third run paints through a
// DC over a bare surface, to show what the window adds. Prints milliseconds
// per frame and the ratio window / cairo; the target is at most 1.3.
#include <windows.h>

#include <gdi/surface_dc.h>

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 800, kLines = 40, kColumns = 10;
constexpr int kHeader = 20, kLineHeight = 19, kColumnWidth = kWidth / kColumns;

const std::vector<std::string> &CellTexts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t;
    for (int line = 0; line < kLines; ++line)
      for (int col = 0; col < kColumns; ++col)
        t.push_back(col % 3 == 0   ? "Kunde " + std::to_string(10000 + line * 7 + col)
                    : col % 3 == 1 ? std::to_string(line * 1234 + col) + ",50"
                                   : "M\xFCller & S\xF6hne GmbH Nr. " + std::to_string(line));
    return t;
  }();
  return texts;
}

void PaintGdi(HDC dc, HFONT font, HPEN gridPen) {
  RECT client{0, 0, kWidth, kHeight};
  FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  RECT header{0, 0, kWidth, kHeader};
  FillRect(dc, &header, GetSysColorBrush(COLOR_3DFACE));
  HGDIOBJ oldPen = SelectObject(dc, gridPen);
  for (int y = kHeader; y < kHeight; y += kLineHeight) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, kWidth, y);
  }
  for (int x = kColumnWidth; x < kWidth; x += kColumnWidth) {
    MoveToEx(dc, x, kHeader, nullptr);
    LineTo(dc, x, kHeight);
  }
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const auto &texts = CellTexts();
  for (int line = 0; line < kLines; ++line) {
    int top = kHeader + line * kLineHeight;
    for (int col = 0; col < kColumns; ++col) {
      RECT cell{col * kColumnWidth, top, (col + 1) * kColumnWidth, top + kLineHeight};
      const std::string &t = texts[line * kColumns + col];
      ExtTextOutA(dc, cell.left + 3, top + 2, ETO_CLIPPED, &cell, t.data(),
                  static_cast<UINT>(t.size()), nullptr);
    }
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
}

// The same picture with cairo's own calls, as a program without our GDI
// would draw it. Texts are converted to UTF-8 once, outside the loop.
void PaintCairo(cairo_t *cr, const std::vector<std::string> &utf8) {
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 192 / 255.0, 192 / 255.0, 192 / 255.0);
  cairo_rectangle(cr, 0, 0, kWidth, kHeader);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1);
  for (int y = kHeader; y < kHeight; y += kLineHeight) {
    cairo_move_to(cr, 0, y + 0.5);
    cairo_line_to(cr, kWidth, y + 0.5);
  }
  for (int x = kColumnWidth; x < kWidth; x += kColumnWidth) {
    cairo_move_to(cr, x + 0.5, kHeader);
    cairo_line_to(cr, x + 0.5, kHeight);
  }
  cairo_stroke(cr);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (int line = 0; line < kLines; ++line) {
    int top = kHeader + line * kLineHeight;
    for (int col = 0; col < kColumns; ++col) {
      cairo_save(cr);
      cairo_rectangle(cr, col * kColumnWidth, top, kColumnWidth, kLineHeight);
      cairo_clip(cr);
      cairo_move_to(cr, col * kColumnWidth + 3, top + 2 + 10);
      cairo_show_text(cr, utf8[line * kColumns + col].c_str());
      cairo_restore(cr);
    }
  }
}

std::string Utf8(const std::string &cp1252) {
  std::string out;
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else { // the texts use only Latin-1 letters
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void BM_PaintGdi(benchmark::State &state) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  vqwin::gdi::SurfaceTarget target;
  target.surface = surface;
  target.clip = RECT{0, 0, kWidth, kHeight};
  HDC dc = vqwin::gdi::CreateSurfaceDC(target);
  HFONT font = CreateFontA(-11, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0,
                           "MS Sans Serif");
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
  for (auto _ : state)
    PaintGdi(dc, font, pen);
  vqwin::gdi::DestroySurfaceDC(dc);
  DeleteObject(font);
  DeleteObject(pen);
  cairo_surface_destroy(surface);
}

void BM_PaintCairo(benchmark::State &state) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t *cr = cairo_create(surface);
  std::vector<std::string> utf8;
  for (const auto &t : CellTexts())
    utf8.push_back(Utf8(t));
  for (auto _ : state)
    PaintCairo(cr, utf8);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

struct GridWindow {
  HFONT font;
  HPEN pen;
};

LRESULT CALLBACK GridProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    auto *grid = reinterpret_cast<GridWindow *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    PaintGdi(dc, grid->font, grid->pen);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND)
    return 1; // the paint covers everything
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void BM_PaintWindow(benchmark::State &state) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = GridProc;
  wc.lpszClassName = "PaintBenchGrid";
  RegisterClassA(&wc);
  GridWindow grid{CreateFontA(-11, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0,
                              "MS Sans Serif"),
                  CreatePen(PS_SOLID, 1, RGB(192, 192, 192))};
  HWND hwnd = CreateWindowExA(0, "PaintBenchGrid", "grid", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                              kHeight, nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&grid));
  RECT client;
  GetClientRect(hwnd, &client);
  if (client.right != kWidth || client.bottom != kHeight)
    state.SkipWithError("the window's client area is not 1280x800");
  for (auto _ : state) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  DestroyWindow(hwnd);
  DeleteObject(grid.font);
  DeleteObject(grid.pen);
}

BENCHMARK(BM_PaintCairo)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PaintGdi)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &r : runs)
      if (r.run_type == Run::RT_Iteration) {
        msPerFrame[r.benchmark_name()] = r.GetAdjustedRealTime();
        cpuMsPerFrame[r.benchmark_name()] = r.GetAdjustedCPUTime();
      }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> msPerFrame, cpuMsPerFrame;
};

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time is the fairer measure on a busy machine; wall time is shown too.
  const std::string gdiName = "BM_PaintWindow/min_time:2.000",
                    bareName = "BM_PaintGdi/min_time:2.000",
                    cairoName = "BM_PaintCairo/min_time:2.000";
  double gdi = reporter.cpuMsPerFrame[gdiName], cairo = reporter.cpuMsPerFrame[cairoName];
  double bare = reporter.cpuMsPerFrame[bareName];
  double gdiWall = reporter.msPerFrame[gdiName], cairoWall = reporter.msPerFrame[cairoName];
  if (gdi > 0 && cairo > 0)
    std::printf("paint 1280x800, 40 lines x 10 cells: window through GDI %.3f ms/frame, "
                "bare GDI DC %.3f ms/frame, cairo %.3f ms/frame (CPU); ratio window/cairo %.2f "
                "(target <= 1.30), wall-clock ratio %.2f\n",
                gdi, bare, cairo, gdi / cairo, gdiWall / cairoWall);
  benchmark::Shutdown();
  return 0;
}
