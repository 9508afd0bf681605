// Window classes and window data: registration rules and their error
// numbers, class values, extra bytes of classes and windows, window text.
#include "window_recorder.h"

#include <cstring>

namespace {

using vqtest::WindowTest;

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(h, m, wp, lp);
}

struct ClassGuard {
  const char *name;
  HINSTANCE instance;
  ~ClassGuard() { UnregisterClassA(name, instance); }
};

WNDCLASSA MakeClass(const char *name, UINT style = 0, HINSTANCE instance = nullptr) {
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  return wc;
}

// Each row registers after the rows before it; error 0 means it succeeds.
TEST(WindowClass, RegistrationRulesAndTheirErrors) {
  HINSTANCE a = reinterpret_cast<HINSTANCE>(0x1000), b = reinterpret_cast<HINSTANCE>(0x2000);
  ClassGuard ga{"VqDup", a}, gb{"VqDup", b}, gg{"VqGlobal", a};
  WNDCLASSA noProc = MakeClass("VqNoProc");
  noProc.lpfnWndProc = nullptr;
  WNDCLASSA negative = MakeClass("VqNegative");
  negative.cbWndExtra = -4;
  struct Row {
    const char *what;
    WNDCLASSA wc;
    DWORD error;
  } rows[] = {
      {"first", MakeClass("VqDup", 0, a), 0},
      {"names compare without case", MakeClass("vqdup", 0, a), 1410},
      {"a local class of another module is another class", MakeClass("vqdup", 0, b), 0},
      {"global", MakeClass("VqGlobal", CS_GLOBALCLASS, a), 0},
      {"a global clashes with a global of any instance", MakeClass("VqGlobal", CS_GLOBALCLASS, b),
       1410},
      {"no name", MakeClass(nullptr), ERROR_INVALID_PARAMETER},
      {"no procedure", noProc, ERROR_INVALID_PARAMETER},
      {"negative extra bytes", negative, ERROR_INVALID_PARAMETER},
  };
  for (const Row &row : rows) {
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&row.wc) != 0, row.error == 0) << row.what;
    EXPECT_EQ(GetLastError(), row.error) << row.what;
  }
  WNDCLASSA info{};
  EXPECT_TRUE(GetClassInfoA(reinterpret_cast<HINSTANCE>(0x3000), "VQGLOBAL", &info))
      << "a global class is found from any instance";
  EXPECT_EQ(info.style, static_cast<UINT>(CS_GLOBALCLASS));
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof(ex) - 1;
  ex.lpfnWndProc = PlainProc;
  ex.lpszClassName = "VqBadSize";
  EXPECT_EQ(RegisterClassExA(&ex), 0);
}

TEST(WindowClass, UnregisterNeedsAClassWithoutWindows) {
  ClassGuard g{"VqBusy", nullptr};
  WNDCLASSA wc = MakeClass("VqBusy");
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w =
      CreateWindowExA(0, "VqBusy", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("VqBusy", nullptr));
  EXPECT_EQ(GetLastError(), 1412u);
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("VqBusy", nullptr));
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("VqBusy", nullptr));
  EXPECT_EQ(GetLastError(), 1411u);
  SetLastError(0);
  EXPECT_EQ(
      CreateWindowExA(0, "VqBusy", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), 1407u);
}

TEST(WindowClass, ExClassKeepsItsValuesAndExtraBytes) {
  ClassGuard g{"VqEx", nullptr};
  HBRUSH brush = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  HCURSOR cursor = reinterpret_cast<HCURSOR>(0x5130);
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof(ex);
  ex.style = CS_GLOBALCLASS | CS_DBLCLKS;
  ex.lpfnWndProc = PlainProc;
  ex.cbClsExtra = 12;
  ex.cbWndExtra = 8;
  ex.hCursor = cursor;
  ex.hbrBackground = brush;
  ex.lpszClassName = "VqEx";
  ATOM atom = RegisterClassExA(&ex);
  ASSERT_NE(atom, 0);

  HWND w = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetClassLongPtrA(w, GCLP_HBRBACKGROUND), reinterpret_cast<ULONG_PTR>(brush));
  EXPECT_EQ(GetClassLongPtrA(w, GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(cursor));
  EXPECT_EQ(GetClassLongPtrA(w, GCL_STYLE), static_cast<ULONG_PTR>(CS_GLOBALCLASS | CS_DBLCLKS));
  EXPECT_EQ(GetClassLongPtrA(w, GCL_CBWNDEXTRA), 8u);
  EXPECT_EQ(GetClassLongPtrA(w, GCW_ATOM), atom);

  // Class extra bytes: 12 hold one pointer at 0 or 4, but not at 8.
  EXPECT_EQ(SetClassLongPtrA(w, 4, 0x1122334455667788LL), 0u);
  EXPECT_EQ(GetClassLongPtrA(w, 4), 0x1122334455667788ULL);
  SetLastError(0);
  EXPECT_EQ(GetClassLongPtrA(w, 8), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

  char name[8];
  EXPECT_EQ(GetClassNameA(w, name, sizeof name), 4);
  EXPECT_STREQ(name, "VqEx");
  EXPECT_EQ(GetClassNameA(w, name, 3), 2);
  EXPECT_STREQ(name, "Vq");
  DestroyWindow(w);
}

class WindowData : public WindowTest {};

TEST_F(WindowData, LongsHoldIdStyleUserDataAndPointerSizedExtraBytes) {
  HWND top = Top("top", 0, 0, 100, 100);
  HWND child = Child(top, "child", 42, 0, 0, 10, 10);
  EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 42);
  EXPECT_EQ(GetDlgCtrlID(child), 42);
  EXPECT_EQ(GetDlgItem(top, 42), child);
  SetLastError(0);
  EXPECT_EQ(GetDlgItem(top, 43), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND));

  EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE),
            static_cast<LONG>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(SetWindowLongPtrA(child, GWLP_USERDATA, -7), 0);
  EXPECT_EQ(GetWindowLongPtrA(child, GWLP_USERDATA), -7);

  // The recorder class has 16 extra bytes: two pointers, the second at 8.
  LONG_PTR pointer = reinterpret_cast<LONG_PTR>(&pointer);
  SetWindowLongPtrA(child, 8, pointer);
  EXPECT_EQ(GetWindowLongPtrA(child, 8), pointer);
  EXPECT_EQ(GetWindowLongA(child, 12), static_cast<LONG>(pointer >> 32));
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrA(child, 9), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  // As on 64-bit Windows, the 32-bit accessor refuses the procedure slot.
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(child, GWLP_WNDPROC), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
}

LRESULT CALLBACK WideProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(h, m, wp, lp);
}

TEST_F(WindowData, SingleByteCallsOnAWideClassConvertWindows1252) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WideProc;
  wc.lpszClassName = u"VqWide";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND w = CreateWindowExW(0, u"VqWide", u"\u20ACuro", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  char buf[8];
  EXPECT_EQ(GetWindowTextA(w, buf, sizeof buf), 4);
  EXPECT_STREQ(buf, "\x80uro"); // the euro sign is 0x80 in Windows-1252
  SetWindowTextA(w, "\xE4");
  WCHAR wide[4] = {};
  SendMessageW(w, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(wide));
  EXPECT_EQ(wide[0], u'\u00E4');
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("VqWide", nullptr));
}

TEST_F(WindowData, CharactersAndTextsCrossCharacterSets) {
  WNDCLASSW wc{};
  WCHAR lastChar = 0;
  static WCHAR *seen = nullptr;
  seen = &lastChar;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_CHAR)
      *seen = static_cast<WCHAR>(wp);
    return DefWindowProcW(h, m, wp, lp);
  };
  wc.lpszClassName = u"VqWideKeys";
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND wide = CreateWindowExW(0, u"VqWideKeys", u"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr);
  SetFocus(wide);
  vqwinTypeText("\x80"); // typed as the euro sign, dispatched as single-byte 0x80
  EXPECT_EQ(lastChar, u'\u20AC');

  // A UTF-16 sender and a single-byte window.
  HWND narrow = Top("narrow", 0, 0, 10, 10);
  SendMessageW(narrow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"\u00FC\u20AC"));
  char buf[4];
  GetWindowTextA(narrow, buf, sizeof buf);
  EXPECT_STREQ(buf, "\xFC\x80");
  WCHAR back[4] = {};
  EXPECT_EQ(SendMessageW(narrow, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(back)), 2);
  EXPECT_EQ(std::u16string(back), u"\u00FC\u20AC");
  DestroyWindow(wide);
  EXPECT_TRUE(UnregisterClassA("VqWideKeys", nullptr));
}

// Subclassing across character sets: each procedure sees texts and
// characters in its own set, whichever set the sender and the subclass use.
struct SubclassLog {
  std::u16string wideText;
  std::string narrowText;
  WNDPROC previous = nullptr;
};
SubclassLog sub;

LRESULT CALLBACK WideBase(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETTEXT)
    sub.wideText = reinterpret_cast<const char16_t *>(lp);
  return DefWindowProcW(h, m, wp, lp);
}

LRESULT CALLBACK NarrowSubclass(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETTEXT)
    sub.narrowText = reinterpret_cast<const char *>(lp);
  return CallWindowProcA(sub.previous, h, m, wp, lp);
}

LRESULT CALLBACK NarrowBase(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETTEXT)
    sub.narrowText = reinterpret_cast<const char *>(lp);
  return DefWindowProcA(h, m, wp, lp);
}

LRESULT CALLBACK WideSubclass(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETTEXT)
    sub.wideText = reinterpret_cast<const char16_t *>(lp);
  return CallWindowProcW(sub.previous, h, m, wp, lp);
}

TEST_F(WindowData, SubclassingAcrossCharacterSetsConvertsForEachProcedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WideBase;
  wc.lpszClassName = u"VqWideBase";
  ASSERT_NE(RegisterClassW(&wc), 0);
  WNDCLASSA nc{};
  nc.lpfnWndProc = NarrowBase;
  nc.lpszClassName = "VqNarrowBase";
  ASSERT_NE(RegisterClassA(&nc), 0);
  struct Row {
    const char *name;
    bool wideWindow;
  } rows[] = {{"single-byte subclass of a UTF-16 window", true},
              {"UTF-16 subclass of a single-byte window", false}};
  for (const Row &r : rows) {
    sub = SubclassLog{};
    HWND w = r.wideWindow ? CreateWindowExW(0, u"VqWideBase", u"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr)
                          : CreateWindowExA(0, "VqNarrowBase", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                            nullptr, nullptr, nullptr);
    WNDPROC base = r.wideWindow ? WideBase : NarrowBase;
    WNDPROC mine = r.wideWindow ? NarrowSubclass : WideSubclass;
    auto set = r.wideWindow ? SetWindowLongPtrA : SetWindowLongPtrW;
    sub.previous =
        reinterpret_cast<WNDPROC>(set(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mine)));
    EXPECT_NE(sub.previous, base) << r.name << ": a handle, not the other set's address";
    EXPECT_EQ(reinterpret_cast<WNDPROC>(r.wideWindow ? GetWindowLongPtrA(w, GWLP_WNDPROC)
                                                     : GetWindowLongPtrW(w, GWLP_WNDPROC)),
              mine)
        << r.name;

    SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"\u20AC\u00E4"));
    EXPECT_EQ(sub.narrowText, "\x80\xE4") << r.name;
    EXPECT_EQ(sub.wideText, u"\u20AC\u00E4") << r.name;
    char text[8] = {};
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 2) << r.name;
    EXPECT_STREQ(text, "\x80\xE4") << r.name;

    // Setting the handle back restores the procedure and its set.
    EXPECT_EQ(set(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sub.previous)),
              reinterpret_cast<LONG_PTR>(mine))
        << r.name;
    EXPECT_EQ(reinterpret_cast<WNDPROC>(r.wideWindow ? GetWindowLongPtrW(w, GWLP_WNDPROC)
                                                     : GetWindowLongPtrA(w, GWLP_WNDPROC)),
              base)
        << r.name;
    DestroyWindow(w);
  }
  EXPECT_TRUE(UnregisterClassA("VqWideBase", nullptr));
  EXPECT_TRUE(UnregisterClassA("VqNarrowBase", nullptr));
}

} // namespace
