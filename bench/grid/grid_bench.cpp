// Paints a 1280x800 grid window of 40 lines by 10 columns through
// WM_PAINT, from line records and from owner data, beside a plain cairo
// loop that draws the same texts on a surface of the same size (target:
// at most 1.3 times the cairo loop). Then steps the current line of a
// 1,000,000-line owner-data grid down with the Down key past the bottom,
// so every step scrolls, and prints the cost of a step against a full
// frame (target: below a third), beside the same steps repainting the
// whole window.
#include <vq_tbl32.h>
#include <windows.h>

#include <vqwin_automation.h>

#include "common/ratio_reporter.h"

#include <cairo.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1280, kHeight = 800, kLines = 40, kColumns = 10;

std::string CellText(UINT line, UINT col) {
  return col % 3 == 0   ? "Kunde " + std::to_string(10000 + line * 7 + col)
         : col % 3 == 1 ? std::to_string(line * 1234 + col) + ",50"
                        : "Mueller & Soehne GmbH Nr. " + std::to_string(line);
}

BOOL CALLBACK OwnerCell(UINT line, UINT column, char *buffer, UINT size, UINT *length, DWORD_PTR) {
  const std::string t = CellText(line % kLines, column);
  *length = static_cast<UINT>(std::snprintf(buffer, size, "%s", t.c_str()));
  return TRUE;
}

struct Grid {
  HWND parent = nullptr;
  CGridView view;

  Grid(bool owner, UINT lines) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VqGridBenchParent";
    RegisterClassA(&wc);
    parent = CreateWindowExA(0, "VqGridBenchParent", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                             kHeight, nullptr, nullptr, nullptr, nullptr);
    const RECT r{0, 0, kWidth, kHeight};
    view.Create(parent, 1, &r, owner ? DWORD(GS_GRIDLINES | GS_OWNERDATA) : DWORD(GS_GRIDLINES));
    view.SetColumnCount(kColumns, FALSE);
    for (UINT c = 0; c < kColumns; ++c) {
      view.SetColumnHeader(c, 10, c % 3 == 1 ? 2 : 0, ("Spalte " + std::to_string(c)).c_str(),
                           FALSE);
      view.SetColumnType(c, GCK_TEXT, 100 + c, 0);
    }
    if (owner) {
      view.SetItemCount(OwnerCell, lines, 0, TRUE);
    } else {
      for (UINT l = 0; l < lines; ++l) {
        view.InsertItem(l, l, FALSE);
        for (UINT c = 0; c < kColumns; ++c)
          view.SetItemText(l, c, CellText(l, c).c_str());
      }
    }
    vqwinRunUntilIdle();
  }
  ~Grid() { DestroyWindow(parent); }
  void Frame() {
    InvalidateRect(view.GetWindow(), nullptr, TRUE);
    UpdateWindow(view.GetWindow());
  }
};

void BM_FrameRecords(benchmark::State &state) {
  Grid g(false, kLines);
  for (auto _ : state)
    g.Frame();
}

void BM_FrameOwner(benchmark::State &state) {
  Grid g(true, kLines);
  for (auto _ : state)
    g.Frame();
}

// The same texts with cairo's own calls: header strip, grid lines, and
// each cell's text clipped to the cell.
void BM_FrameCairo(benchmark::State &state) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t *cr = cairo_create(surface);
  std::vector<std::string> texts;
  for (UINT l = 0; l < kLines; ++l)
    for (UINT c = 0; c < kColumns; ++c)
      texts.push_back(CellText(l, c));
  const int header = 20, lh = 18, cw = kWidth / kColumns;
  for (auto _ : state) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
    cairo_rectangle(cr, 0, 0, kWidth, header);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    for (int y = header; y < kHeight; y += lh) {
      cairo_move_to(cr, 0, y + 0.5);
      cairo_line_to(cr, kWidth, y + 0.5);
    }
    for (int x = cw; x < kWidth; x += cw) {
      cairo_move_to(cr, x + 0.5, header);
      cairo_line_to(cr, x + 0.5, kHeight);
    }
    cairo_stroke(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (int l = 0; l < kLines; ++l) {
      const int top = header + l * lh;
      for (int c = 0; c < kColumns; ++c) {
        cairo_save(cr);
        cairo_rectangle(cr, c * cw, top, cw, lh);
        cairo_clip(cr);
        cairo_move_to(cr, c * cw + 3, top + 13);
        cairo_show_text(cr, texts[l * kColumns + c].c_str());
        cairo_restore(cr);
      }
    }
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

// Down at the bottom line: every step scrolls one line and repaints. With
// `whole` each step repaints the whole window, as a grid that cannot move
// its pixels must: the baseline of the scrolled step.
void DownSteps(benchmark::State &state, bool whole) {
  Grid g(true, 1000000);
  HWND w = g.view.GetWindow();
  g.view.SetCurCell(0, 0);
  SendMessageA(w, WM_KEYDOWN, VK_END, 0); // to the last shown line
  UpdateWindow(w);
  UINT steps = 0;
  for (auto _ : state) {
    SendMessageA(w, WM_KEYDOWN, VK_DOWN, 0);
    if (whole)
      InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    if (++steps == 10000) {
      state.PauseTiming();
      g.view.SetTopLine(0);
      g.view.SetCurCell(0, 0);
      SendMessageA(w, WM_KEYDOWN, VK_END, 0);
      UpdateWindow(w);
      steps = 0;
      state.ResumeTiming();
    }
  }
}

void BM_DownStep(benchmark::State &state) { DownSteps(state, false); }
void BM_DownStepWhole(benchmark::State &state) { DownSteps(state, true); }

BENCHMARK(BM_FrameRecords)->Name("frame_records/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCairo)->Name("frame_records/cairo")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameOwner)->Name("frame_owner/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCairo)->Name("frame_owner/cairo")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownStep)->Name("down_step")->Iterations(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownStepWhole)
    ->Name("down_step_whole")
    ->Iterations(10000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  vqbench::RatioReporter reporter;
  if (vqbench::RunBenchmarks(argc, argv, reporter))
    return 1;
  reporter.PrintRatios("cairo", "frame (target <= 1.3)", "ms");
  const double step = reporter.Time("down_step/iterations:10000"),
               whole = reporter.Time("down_step_whole/iterations:10000"),
               frame = reporter.Time("frame_owner/ours");
  if (step > 0 && whole > 0 && frame > 0)
    std::printf("\ndown step %.3f ms, repainting the whole window %.3f ms, full frame %.3f ms\n"
                "ratio to a frame: %.3f scrolled, %.3f whole (target < 0.333)\n",
                step, whole, frame, step / frame, whole / frame);
  return 0;
}
