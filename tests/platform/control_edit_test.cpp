// The single-line edit control driven by keys, mouse and messages: text,
// selection and caret after each input, the EN_ notification sequences,
// limits, and what it paints.
#include "control_fixture.h"

#include <cstring>

namespace {

using vqtest::ControlTest;
using Seq = std::vector<std::string>;

class EditTest : public ControlTest {
protected:
  HWND MakeEdit(DWORD style = ES_AUTOHSCROLL, const char *text = "", int width = 200) {
    return Make("EDIT", WS_BORDER | style, 10, 10, width, 24, text);
  }

  static std::pair<DWORD, DWORD> Sel(HWND edit) {
    DWORD from = 0, to = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
  }

  static int XOf(HWND edit, int index) {
    return static_cast<SHORT>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, index, 0)));
  }
};

// Each row starts from a text and a selection, runs its input with the edit
// focused, and names the text and selection it must leave.
struct KeyRow {
  const char *name;
  DWORD style;
  const char *text;
  int selFrom, selTo;
  std::function<void()> input;
  const char *expected;
  DWORD expectFrom, expectTo;
};

void Press(UINT vk, UINT mods = 0) { vqwinKeyPress(vk, mods); }

TEST_F(EditTest, KeysEditTextAndSelection) {
  const KeyRow rows[] = {
      {"backspace at end", 0, "hello", 5, 5, [] { Press(VK_BACK); }, "hell", 4, 4},
      {"shift-right selects, typing replaces", 0, "hello", 0, 0,
       [] {
         Press(VK_RIGHT, VQWIN_SHIFT);
         Press(VK_RIGHT, VQWIN_SHIFT);
         vqwinTypeText("X");
       },
       "Xllo", 1, 1},
      {"ctrl-left goes to the word start", 0, "hello world", 11, 11,
       [] { Press(VK_LEFT, VQWIN_CONTROL); }, "hello world", 6, 6},
      {"ctrl-right goes past the word", 0, "hello world", 0, 0,
       [] { Press(VK_RIGHT, VQWIN_CONTROL); }, "hello world", 6, 6},
      {"left collapses a selection to its start", 0, "hello", 1, 4, [] { Press(VK_LEFT); }, "hello",
       1, 1},
      {"right collapses a selection to its end", 0, "hello", 1, 4, [] { Press(VK_RIGHT); }, "hello",
       4, 4},
      {"shift-home then delete clears", 0, "hello", 5, 5,
       [] {
         Press(VK_HOME, VQWIN_SHIFT);
         Press(VK_DELETE);
       },
       "", 0, 0},
      {"backspace removes a selection", 0, "hello", 1, 3, [] { Press(VK_BACK); }, "hlo", 1, 1},
      {"left at start stays", 0, "abc", 0, 0, [] { Press(VK_LEFT); }, "abc", 0, 0},
      {"end moves to the end", 0, "abc", 0, 0, [] { Press(VK_END); }, "abc", 3, 3},
      {"return, escape and tab make no text", 0, "abc", 3, 3,
       [] {
         Press(VK_RETURN);
         Press(VK_ESCAPE);
         Press(VK_TAB);
       },
       "abc", 3, 3},
      {"read-only ignores typing and deleting", ES_READONLY, "abc", 3, 3,
       [] {
         vqwinTypeText("x");
         Press(VK_BACK);
         Press(VK_HOME);
         Press(VK_DELETE);
       },
       "abc", 0, 0},
      {"ES_NUMBER takes digits only", ES_NUMBER, "", 0, 0, [] { vqwinTypeText("1a-2"); }, "12", 2,
       2},
      {"ES_UPPERCASE raises Windows-1252 letters", ES_UPPERCASE, "", 0, 0,
       [] { vqwinTypeText("ab\xFC"); }, "AB\xDC", 3, 3},
      {"ES_LOWERCASE lowers", ES_LOWERCASE, "", 0, 0, [] { vqwinTypeText("AbC"); }, "abc", 3, 3},
  };
  for (const KeyRow &row : rows) {
    SCOPED_TRACE(row.name);
    HWND edit = MakeEdit(ES_AUTOHSCROLL | row.style, row.text);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, row.selFrom, row.selTo);
    row.input();
    EXPECT_EQ(Text(edit), row.expected);
    EXPECT_EQ(Sel(edit), std::make_pair(row.expectFrom, row.expectTo));
    DestroyWindow(edit);
  }
}

// Each row puts `before` on the clipboard, runs its input on an edit with
// the text and selection given, and names the text left and what the
// clipboard then holds (read back by a paste into an empty edit).
TEST_F(EditTest, ClipboardCopiesCutsAndPastes) {
  struct Row {
    const char *name;
    DWORD style;
    const char *text;
    int selFrom, selTo;
    const char *before;
    std::function<void(HWND)> input;
    const char *expected, *clipboard;
  } rows[] = {
      {"ctrl-c copies, ctrl-v pastes at the caret", 0, "abc", 0, 3, "x",
       [](HWND) {
         Press('C', VQWIN_CONTROL);
         Press(VK_END);
         Press('V', VQWIN_CONTROL);
       },
       "abcabc", "abc"},
      {"ctrl-x cuts", 0, "hello world", 0, 6, "x", [](HWND) { Press('X', VQWIN_CONTROL); }, "world",
       "hello "},
      {"ctrl-insert copies, shift-insert replaces the selection", 0, "ab", 0, 1, "x",
       [](HWND) {
         Press(VK_INSERT, VQWIN_CONTROL);
         Press(VK_RIGHT, VQWIN_SHIFT);
         Press(VK_INSERT, VQWIN_SHIFT);
       },
       "a", "a"},
      {"shift-delete cuts", 0, "abc", 1, 3, "x", [](HWND) { Press(VK_DELETE, VQWIN_SHIFT); }, "a",
       "bc"},
      {"nothing selected copies nothing", 0, "abc", 1, 1, "x",
       [](HWND e) { SendMessageA(e, WM_COPY, 0, 0); }, "abc", "x"},
      {"a password gives nothing away", ES_PASSWORD, "secret", 0, 6, "x",
       [](HWND e) {
         SendMessageA(e, WM_COPY, 0, 0);
         SendMessageA(e, WM_CUT, 0, 0);
       },
       "secret", "x"},
      {"read-only copies but neither cuts nor pastes", ES_READONLY, "abc", 0, 2, "x",
       [](HWND e) {
         SendMessageA(e, WM_CUT, 0, 0);
         SendMessageA(e, WM_PASTE, 0, 0);
         SendMessageA(e, WM_CLEAR, 0, 0);
         Press('C', VQWIN_CONTROL);
       },
       "abc", "ab"},
      {"a paste keeps the first line", 0, "", 0, 0, "one\r\ntwo",
       [](HWND e) { SendMessageA(e, WM_PASTE, 0, 0); }, "one", "one\r\ntwo"},
      {"a multi-line paste keeps every line, its breaks as CRLF", ES_MULTILINE, "", 0, 0,
       "a\nb\r\nc\rd", [](HWND e) { SendMessageA(e, WM_PASTE, 0, 0); }, "a\r\nb\r\nc\r\nd",
       "a\nb\r\nc\rd"},
      {"ES_NUMBER refuses a paste with other characters", ES_NUMBER, "1", 1, 1, "2a",
       [](HWND e) { SendMessageA(e, WM_PASTE, 0, 0); }, "1", "2a"},
      {"ES_NUMBER takes digits", ES_NUMBER, "1", 1, 1, "23",
       [](HWND e) { SendMessageA(e, WM_PASTE, 0, 0); }, "123", "23"},
      {"WM_CLEAR deletes without copying", 0, "abc", 0, 1, "x",
       [](HWND e) { SendMessageA(e, WM_CLEAR, 0, 0); }, "bc", "x"},
      {"Windows-1252 text travels", 0, "", 0, 0,
       "Gr\xF6\xDF"
       "e",
       [](HWND e) { SendMessageA(e, WM_PASTE, 0, 0); },
       "Gr\xF6\xDF"
       "e",
       "Gr\xF6\xDF"
       "e"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    HWND seed = MakeEdit(ES_AUTOHSCROLL, row.before);
    SendMessageA(seed, EM_SETSEL, 0, -1);
    SendMessageA(seed, WM_COPY, 0, 0);
    DestroyWindow(seed);
    HWND edit = MakeEdit(ES_AUTOHSCROLL | row.style, row.text);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, row.selFrom, row.selTo);
    row.input(edit);
    EXPECT_EQ(Text(edit), row.expected);
    DestroyWindow(edit);
    HWND probe = MakeEdit(ES_AUTOHSCROLL, "");
    SendMessageA(probe, WM_PASTE, 0, 0);
    const std::string held = row.clipboard;
    EXPECT_EQ(Text(probe), held.substr(0, held.find_first_of("\r\n")));
    DestroyWindow(probe);
  }
}

// The special EM_SETSEL values, replacing and the limit's notifications are
// pinned by the conformance recordings; these are the rest.
TEST_F(EditTest, SelectionSetTextAndLimitAsMessages) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abcdef");
  SendMessageA(edit, EM_SETSEL, 10, 20);
  EXPECT_EQ(Sel(edit), std::make_pair(6u, 6u)) << "beyond the end clamps";
  SendMessageA(edit, EM_SETSEL, 4, 1);
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), static_cast<LRESULT>(MAKELRESULT(1, 4)));
  EXPECT_TRUE(Notes(edit).empty()) << "selection changes are not notified";

  SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
  EXPECT_TRUE(SetWindowTextA(edit, "new text"));
  EXPECT_EQ(Sel(edit), std::make_pair(0u, 0u));
  EXPECT_EQ(SendMessageA(edit, EM_GETMODIFY, 0, 0), FALSE) << "a new text is unmodified";
  SendMessageA(edit, WM_SETTEXT, 0, 0);
  EXPECT_EQ(Text(edit), "");

  SetWindowTextA(edit, "abc");
  SendMessageA(edit, EM_LIMITTEXT, 3, 0);
  SendMessageA(edit, EM_SETSEL, 1, 1);
  SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("XYZ"));
  EXPECT_EQ(Text(edit), "abc") << "a full control takes nothing";
  SendMessageA(edit, EM_SETSEL, 0, 2);
  SendMessageA(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("XYZ"));
  EXPECT_EQ(Text(edit), "XYc") << "the replacement is cut to the room left";
}

TEST_F(EditTest, WithoutAutoHScrollTheTextStopsAtTheVisibleWidth) {
  HWND edit = MakeEdit(0, "", 60);
  SetFocus(edit);
  vqwinTypeText("WWWWWWWWWWWWWWWWWWWW");
  std::string text = Text(edit);
  EXPECT_GT(text.size(), 0u);
  EXPECT_LT(text.size(), 20u);
  RECT rc;
  GetClientRect(edit, &rc);
  int last = XOf(edit, static_cast<int>(text.size()) - 1);
  EXPECT_GE(XOf(edit, 0), 0);
  EXPECT_LT(last, rc.right);
  std::vector<std::string> notes = Notes(edit);
  ASSERT_GE(notes.size(), 3u);
  EXPECT_EQ(notes[notes.size() - 3], "EN_MAXTEXT");
}

TEST_F(EditTest, AutoHScrollKeepsTheCaretInView) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "", 60);
  SetFocus(edit);
  vqwinTypeText("WWWWWWWWWWWWWWWWWWWW");
  EXPECT_EQ(Text(edit), "WWWWWWWWWWWWWWWWWWWW");
  RECT rc;
  GetClientRect(edit, &rc);
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_GE(caret.x, 0);
  EXPECT_LT(caret.x, rc.right);
  EXPECT_LT(XOf(edit, 0), 0) << "the start scrolled out";
  vqwinKeyPress(VK_HOME, 0);
  EXPECT_EQ(XOf(edit, 0), 1) << "Home scrolls back";
}

TEST_F(EditTest, AlignmentPlacesShortTextInTheControl) {
  struct Row {
    const char *name;
    DWORD style;
    bool left, right;
  } rows[] = {{"ES_LEFT", ES_LEFT, true, false},
              {"ES_RIGHT", ES_RIGHT, false, true},
              {"ES_CENTER", ES_CENTER, false, false}};
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    HWND edit = MakeEdit(row.style, "ii", 200);
    vqwinRunUntilIdle();
    RECT rc;
    GetClientRect(edit, &rc);
    int third = rc.right / 3;
    EXPECT_EQ(DarkPixels(edit, RECT{0, 0, third, rc.bottom}) > 0, row.left);
    EXPECT_EQ(DarkPixels(edit, RECT{2 * third, 0, rc.right, rc.bottom}) > 0, row.right);
    EXPECT_EQ(DarkPixels(edit, rc) > 0, true);
    DestroyWindow(edit);
  }
}

TEST_F(EditTest, GetLineCopiesWithoutTerminatorUpToTheBufferSize) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abcdef");
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  WORD size = 4;
  std::memcpy(buffer, &size, sizeof size);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 4);
  EXPECT_EQ(std::string(buffer, 5), "abcd#");
  size = 256;
  std::memcpy(buffer, &size, sizeof size);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 6);
  EXPECT_EQ(std::string(buffer, 6), "abcdef");
  size = 0;
  std::memcpy(buffer, &size, sizeof size);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLINE, 0, 0), 0);
}

TEST_F(EditTest, MouseClicksDragsAndDoubleClicksSelect) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "alpha beta gamma");
  int y = 5;
  vqwinMouseClick(edit, XOf(edit, 3), y, VK_LBUTTON, 0);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Sel(edit), std::make_pair(3u, 3u));
  vqwinMouseClick(edit, XOf(edit, 8), y, VK_LBUTTON, VQWIN_SHIFT);
  EXPECT_EQ(Sel(edit), std::make_pair(3u, 8u)) << "shift-click extends";
  vqwinAdvanceTime(1000);
  vqwinMouseDrag(edit, XOf(edit, 1), y, XOf(edit, 4), y, 3);
  EXPECT_EQ(Sel(edit), std::make_pair(1u, 4u));
  EXPECT_EQ(GetCapture(), nullptr);
  vqwinAdvanceTime(1000);
  vqwinMouseDoubleClick(edit, XOf(edit, 7) + 1, y, VK_LBUTTON, 0);
  EXPECT_EQ(Sel(edit), std::make_pair(6u, 10u)) << "double click selects the word";
  vqwinAdvanceTime(1000);
  RECT rc;
  GetClientRect(edit, &rc);
  vqwinMouseClick(edit, rc.right - 2, y, VK_LBUTTON, 0);
  EXPECT_EQ(Sel(edit), std::make_pair(16u, 16u)) << "beyond the text is its end";
}

TEST_F(EditTest, FocusNotificationsAndTheCaret) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "abc");
  HWND other = MakeEdit(ES_AUTOHSCROLL, "", 100);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 2, 2);
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, XOf(edit, 2));
  EXPECT_EQ(caret.y, 0);
  EXPECT_FALSE(HideCaret(other)) << "the caret belongs to the focused edit";
  SetFocus(other);
  EXPECT_EQ(Notes(edit), Seq({"EN_SETFOCUS", "EN_KILLFOCUS"}));
}

TEST_F(EditTest, FontAndPasswordCharacter) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL | ES_PASSWORD, "secret");
  EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), 0);
  HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  EXPECT_EQ(Text(edit), "secret");
  EXPECT_EQ(SendMessageA(edit, EM_GETPASSWORDCHAR, 0, 0), '*');
  int masked = XOf(edit, 5);
  SendMessageA(edit, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_NE(XOf(edit, 5), masked) << "'*' is not as wide as the text";
  DestroyWindow(edit);
  DeleteObject(font);
}

TEST_F(EditTest, PaintsSelectionOnlyWhileFocusedAndTheCaret) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL, "MMMM");
  HWND other = MakeEdit(ES_AUTOHSCROLL, "", 100);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, 2);
  vqwinRunUntilIdle();
  int inside = (XOf(edit, 0) + XOf(edit, 2)) / 2;
  int below = 2; // a row of the selection band above the glyphs' bodies
  EXPECT_EQ(vqwinGetPixel(edit, inside, below), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(vqwinGetPixel(edit, XOf(edit, 3), below), GetSysColor(COLOR_WINDOW));

  SendMessageA(edit, EM_SETSEL, 4, 4);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(edit, XOf(edit, 3) + 1, below), GetSysColor(COLOR_WINDOW));
  RECT rc;
  GetClientRect(edit, &rc);
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(vqwinGetPixel(edit, caret.x, 3), RGB(0, 0, 0)) << "the caret inverts white";

  SendMessageA(edit, EM_SETSEL, 0, 2);
  SetFocus(other);
  vqwinRunUntilIdle();
  EXPECT_EQ(vqwinGetPixel(edit, inside, below), GetSysColor(COLOR_WINDOW))
      << "the selection hides without the focus";
  EXPECT_EQ(vqwinGetPixel(edit, caret.x, 3), GetSysColor(COLOR_WINDOW)) << "no caret left";
}

TEST_F(EditTest, ChangeIsAnnouncedAfterTheNewTextIsShownAndUpdateBefore) {
  HWND edit = MakeEdit();
  SetFocus(edit);
  RECT rc;
  GetClientRect(edit, &rc);
  std::vector<std::pair<WORD, int>> seen; // notification, dark pixels then
  vqtest::OnCommand() = [&](const vqtest::Command &c) {
    if (c.code == EN_UPDATE || c.code == EN_CHANGE)
      seen.emplace_back(c.code, DarkPixels(c.control, rc));
  };
  vqwinTypeText("W");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, EN_UPDATE);
  EXPECT_LE(seen[0].second, rc.bottom) << "only the caret before the change shows";
  EXPECT_EQ(seen[1].first, EN_CHANGE);
  EXPECT_GT(seen[1].second, rc.bottom) << "the W is on screen at EN_CHANGE";
}

TEST_F(EditTest, ParentMayDestroyTheEditInsideANotification) {
  HWND edit = MakeEdit(ES_AUTOHSCROLL);
  HWND other = MakeEdit(ES_AUTOHSCROLL, "", 100);
  vqtest::OnCommand() = [](const vqtest::Command &c) {
    if (c.code == EN_KILLFOCUS || c.code == EN_UPDATE)
      DestroyWindow(c.control);
  };
  SetFocus(edit);
  SetFocus(other);
  EXPECT_FALSE(IsWindow(edit));
  SetFocus(other);
  vqwinTypeText("x");
  EXPECT_FALSE(IsWindow(other));
  EXPECT_NE(GetFocus(), other);
}

} // namespace
