// Repaints a 1280x800 grid window of 40 lines by 10 columns in a visible
// top-level window N times (default 300) and prints the wall time of one
// frame, with whatever display the environment chooses, up to the last
// frame shown. The display_bench
// script runs it headless and on an X display in one go and prints the
// ratio (target: at most 1.5 times the headless frame).
#include <vq_tbl32.h>
#include <windows.h>

#include <vqwin_automation.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
  if (frames < 1)
    return std::fprintf(stderr, "usage: display_repaint [FRAMES]\n"), 2;
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "VqDisplayBench";
  RegisterClassA(&wc);
  HWND top = CreateWindowExA(0, "VqDisplayBench", "display bench", WS_POPUP | WS_VISIBLE, 0, 0,
                             1280, 800, nullptr, nullptr, nullptr, nullptr);
  CGridView view;
  const RECT r{0, 0, 1280, 800};
  view.Create(top, 1, &r, GS_GRIDLINES);
  view.SetColumnCount(10, FALSE);
  for (UINT c = 0; c < 10; ++c) {
    view.SetColumnHeader(c, 10, 0, ("Spalte " + std::to_string(c)).c_str(), FALSE);
    view.SetColumnType(c, GCK_TEXT, 100 + c, 0);
  }
  for (UINT l = 0; l < 40; ++l) {
    view.InsertItem(l, l, FALSE);
    for (UINT c = 0; c < 10; ++c)
      view.SetItemText(l, c, ("Kunde " + std::to_string(10000 + l * 7 + c)).c_str());
  }
  vqwinRunUntilIdle();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    InvalidateRect(view.GetWindow(), nullptr, TRUE);
    UpdateWindow(view.GetWindow());
    MSG msg; // lets the display take its events, as a host's loop would
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
  }
  GdiFlush(); // the clock stops when the last frame is on the display
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.4f\n", ms / frames);
  DestroyWindow(top);
  return 0;
}
