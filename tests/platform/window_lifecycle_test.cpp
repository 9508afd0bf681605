// Window creation and destruction orders, failures, owned popups,
// subclassing chains, geometry of frames and client areas, enabling.
#include "window_recorder.h"

namespace {

using vqtest::Recorder;
using vqtest::WindowTest;

class Lifecycle : public WindowTest {};

TEST_F(Lifecycle, CreationSendsNcCreateCreateSizeMoveThenShows) {
  int param = 7;
  Recorder &r = Recorder::Get();
  LPVOID seenParam = nullptr;
  r.ignored = {WM_NCPAINT,  WM_ERASEBKGND, WM_PAINT,     WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
               WM_ACTIVATE, WM_SETFOCUS,   WM_NCHITTEST, WM_SETCURSOR};
  r.handler = [&](HWND, UINT m, WPARAM, LPARAM lp) -> std::optional<LRESULT> {
    if (m == WM_CREATE)
      seenParam = reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams;
    return std::nullopt;
  };
  HWND top = CreateWindowExA(0, "VqRecorder", "t", WS_POPUP | WS_VISIBLE | WS_BORDER, 10, 20, 100,
                             50, nullptr, nullptr, nullptr, &param);
  ASSERT_NE(top, nullptr);
  r.Name(top, "top");
  EXPECT_EQ(seenParam, &param);
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "VqRecorder", "", WS_CHILD, 0, 0, 1, 1,
                            reinterpret_cast<HWND>(0x4242), nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  vqtest::ExpectSequence({{top, WM_NCCREATE},
                          {top, WM_CREATE},
                          {top, WM_SIZE, SIZE_RESTORED, MAKELPARAM(98, 48)},
                          {top, WM_MOVE, 0, MAKELPARAM(11, 21)},
                          {top, WM_SHOWWINDOW, TRUE}},
                         "creation");
}

TEST_F(Lifecycle, DestroyReachesParentsFirstThenFreesChildrenFirst) {
  HWND top = Top("top", 0, 0, 200, 200);
  HWND a = Child(top, "a", 1, 0, 0, 50, 50);
  HWND a1 = Child(a, "a1", 11, 0, 0, 10, 10);
  HWND b = Child(top, "b", 2, 60, 0, 50, 50);
  HWND popup = CreateWindowExA(0, "VqRecorder", "popup", WS_POPUP, 0, 0, 10, 10, a, nullptr,
                               nullptr, nullptr);
  Recorder &r = Recorder::Get();
  r.Name(popup, "popup");
  EXPECT_EQ(GetParent(popup), top); // the owner is the child's top-level window
  EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
  EXPECT_EQ(GetParent(a1), a);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);

  r.Clear();
  r.IgnoreNoise();
  r.ignored.insert(WM_KILLFOCUS);
  ASSERT_TRUE(DestroyWindow(top));
  vqtest::ExpectSequence({{popup, WM_DESTROY},
                          {popup, WM_NCDESTROY},
                          {top, WM_DESTROY},
                          {a, WM_DESTROY},
                          {a1, WM_DESTROY},
                          {b, WM_DESTROY},
                          {a1, WM_NCDESTROY},
                          {a, WM_NCDESTROY},
                          {b, WM_NCDESTROY},
                          {top, WM_NCDESTROY}},
                         "destruction");
  for (HWND h : {top, a, a1, b, popup})
    EXPECT_FALSE(IsWindow(h));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(top));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

// Subclassing: each procedure records its name and passes the message on.
std::vector<std::string> chain;
WNDPROC firstPrevious = nullptr, secondPrevious = nullptr;

LRESULT CALLBACK FirstSubclass(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER)
    chain.push_back("first");
  return CallWindowProcA(firstPrevious, h, m, wp, lp);
}

LRESULT CALLBACK SecondSubclass(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER) {
    chain.push_back("second");
    if (wp == 1)
      return 99; // swallowed
  }
  return CallWindowProcA(secondPrevious, h, m, wp, lp);
}

TEST_F(Lifecycle, SubclassesChainThroughCallWindowProc) {
  HWND w = Top("w", 0, 0, 10, 10);
  chain.clear();
  firstPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FirstSubclass)));
  EXPECT_EQ(firstPrevious, vqtest::RecordingProc);
  secondPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SecondSubclass)));
  EXPECT_EQ(secondPrevious, FirstSubclass);

  Recorder &r = Recorder::Get();
  r.Clear();
  SendMessageA(w, WM_USER, 0, 5);
  EXPECT_EQ(chain, (std::vector<std::string>{"second", "first"}));
  vqtest::ExpectSequence({{w, WM_USER, 0, 5}}, "message reaches the class procedure");

  chain.clear();
  r.Clear();
  EXPECT_EQ(SendMessageA(w, WM_USER, 1, 0), 99);
  EXPECT_EQ(chain, (std::vector<std::string>{"second"}));
  EXPECT_TRUE(r.log.empty());

  // Restoring the previous procedure takes the subclass out again.
  SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(secondPrevious));
  chain.clear();
  SendMessageA(w, WM_USER, 0, 0);
  EXPECT_EQ(chain, (std::vector<std::string>{"first"}));
}

TEST_F(Lifecycle, FramesShrinkTheClientArea) {
  struct Row {
    const char *what;
    DWORD style, exStyle;
    RECT client; // in window coordinates
  };
  const Row rows[] = {
      {"plain child", WS_CHILD, 0, {0, 0, 100, 80}},
      {"WS_BORDER", WS_CHILD | WS_BORDER, 0, {1, 1, 99, 79}},
      {"WS_EX_CLIENTEDGE", WS_CHILD, WS_EX_CLIENTEDGE, {2, 2, 98, 78}},
      {"both", WS_CHILD | WS_BORDER, WS_EX_CLIENTEDGE, {3, 3, 97, 77}},
      {"WS_VSCROLL", WS_CHILD | WS_VSCROLL, 0, {0, 0, 84, 80}},
      {"both bars and a border", WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL, 0, {1, 1, 83, 63}},
      {"caption", WS_CHILD | WS_CAPTION, 0, {3, 22, 97, 77}},
      {"sizing frame", WS_CHILD | WS_THICKFRAME, 0, {4, 4, 96, 76}},
  };
  HWND top = Top("top", 100, 50, 400, 300);
  for (const Row &row : rows) {
    HWND c = Child(top, row.what, 1, 10, 20, 100, 80, row.style | WS_VISIBLE, row.exStyle);
    RECT rc, wr;
    GetClientRect(c, &rc);
    GetWindowRect(c, &wr);
    EXPECT_EQ(rc.right, row.client.right - row.client.left) << row.what;
    EXPECT_EQ(rc.bottom, row.client.bottom - row.client.top) << row.what;
    EXPECT_EQ(wr.left, 110) << row.what;
    EXPECT_EQ(wr.top, 70) << row.what;
    POINT p{0, 0};
    ClientToScreen(c, &p);
    EXPECT_EQ(p.x, 110 + row.client.left) << row.what;
    EXPECT_EQ(p.y, 70 + row.client.top) << row.what;
    ScreenToClient(c, &p);
    EXPECT_EQ(p.x, 0) << row.what;
    DestroyWindow(c);
  }
}

TEST_F(Lifecycle, EnableWindowSendsCancelModeAndEnableAndDropsFocus) {
  HWND top = Top("top", 0, 0, 100, 100);
  HWND c = Child(top, "c", 1, 0, 0, 50, 50);
  SetFocus(c);
  Recorder &r = Recorder::Get();
  r.Clear();
  r.IgnoreNoise();
  EXPECT_FALSE(EnableWindow(c, FALSE)); // was enabled
  EXPECT_FALSE(IsWindowEnabled(c));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(SetFocus(c), nullptr);     // a disabled window cannot take the focus
  EXPECT_TRUE(EnableWindow(c, FALSE)); // was disabled; nothing sent
  EXPECT_TRUE(EnableWindow(c, TRUE));
  vqtest::ExpectSequence(
      {{c, WM_CANCELMODE}, {c, WM_KILLFOCUS, 0}, {c, WM_ENABLE, FALSE}, {c, WM_ENABLE, TRUE}},
      "disable and enable");
}

TEST_F(Lifecycle, SetWindowPosActivatesUnlessToldNot) {
  HWND a = Top("a", 0, 0, 50, 50);
  HWND b = Top("b", 60, 0, 50, 50);
  EXPECT_EQ(GetActiveWindow(), b);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDFIRST), a); // on top all the same
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
}

TEST_F(Lifecycle, ShowWindowReportsThePreviousVisibility) {
  HWND top = Top("top", 0, 0, 100, 100, WS_POPUP);
  HWND c = Child(top, "c", 1, 0, 0, 50, 50);
  EXPECT_FALSE(IsWindowVisible(c)); // its parent is hidden
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(c));
  EXPECT_EQ(GetActiveWindow(), top);
  EXPECT_EQ(GetFocus(), top); // activation focuses the window
  EXPECT_TRUE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(ShowWindow(top, SW_HIDE));
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Lifecycle, MaximiseMinimiseAndRestoreReportTheirSizes) {
  HWND w = Top("w", 30, 40, 200, 100, WS_POPUP | WS_VISIBLE | WS_BORDER);
  Recorder &r = Recorder::Get();
  r.Clear();
  r.ignored = {WM_NCPAINT, WM_ERASEBKGND, WM_PAINT,    WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED,
               WM_MOVE,    WM_ACTIVATE,   WM_SETFOCUS, WM_KILLFOCUS};
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  ShowWindow(w, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_MAXIMIZE);
  ShowWindow(w, SW_RESTORE);
  ShowWindow(w, SW_MINIMIZE);
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_TRUE(IsRectEmpty(&rc));
  ShowWindow(w, SW_RESTORE);
  GetWindowRect(w, &rc);
  EXPECT_EQ(rc.left, 30);
  EXPECT_EQ(rc.right, 230);
  vqtest::ExpectSequence({{w, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(cx - 2, cy - 2)},
                          {w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(198, 98)},
                          {w, WM_SIZE, SIZE_MINIMIZED, 0},
                          {w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(198, 98)}},
                         "size changes");
}

} // namespace
