// Shared set-up of the grid control tests: a parent window that records
// every WM_COMMAND notification (id, code, lParam; the four numbers behind
// a GVN_RCLICKLINE pointer) and every key it is passed, a grid made in it
// by class name, and helpers to fill lines and to find a cell's centre.
#ifndef VQ_TESTS_GRID_GRID_FIXTURE_H
#define VQ_TESTS_GRID_GRID_FIXTURE_H

#include "../common/captured_test.h"
#include "grid/grid_view.h"

#include <vqwin_automation.h>
#include <vqwin_modal.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vqtest {

struct Note {
  UINT id, code;
  LPARAM lParam;
  bool operator==(const Note &o) const {
    return id == o.id && code == o.code && lParam == o.lParam;
  }
};

inline std::ostream &operator<<(std::ostream &os, const Note &n) {
  return os << "{" << n.id << ", " << n.code << ", " << n.lParam << "}";
}

struct ParentLog {
  std::vector<Note> notes;
  std::vector<UINT> detail; // the four numbers of the last GVN_RCLICKLINE
  std::vector<std::string> keys;
  LRESULT keyAnswer = 0;
  HWND destroyOnChar = nullptr; // destroyed while the grid sends WM_CHAR
  // Called for each notification; a test may act on it (fill a list...).
  void (*onNote)(const Note &) = nullptr;
};

inline ParentLog &Parent() {
  static ParentLog log;
  return log;
}

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ParentLog &p = Parent();
  if (msg == WM_COMMAND) {
    Note n{LOWORD(wp), HIWORD(wp), lp};
    if (n.code == GVN_RCLICKLINE) {
      const UINT *four = reinterpret_cast<const UINT *>(lp);
      p.detail.assign(four, four + 4);
      n.lParam = 0;
    }
    p.notes.push_back(n);
    if (p.onNote)
      p.onNote(n);
    return 0;
  }
  if (msg == WM_KEYDOWN || msg == WM_CHAR) {
    char t[32];
    std::snprintf(t, sizeof t, "%s %u", msg == WM_KEYDOWN ? "key" : "char", static_cast<UINT>(wp));
    p.keys.push_back(t);
    if (msg == WM_CHAR && p.destroyOnChar)
      DestroyWindow(p.destroyOnChar);
    return p.keyAnswer;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

class GridTest : public CapturedTest {
protected:
  static constexpr UINT kGridId = 700;

  void SetUp() override {
    CapturedTest::SetUp();
    vqwinClearMessageBoxRecords();
    Parent() = ParentLog{};
    WNDCLASSA wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = "VqGridTestParent";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    RegisterClassA(&wc);
    parent = CreateWindowExA(0, "VqGridTestParent", "", WS_POPUP | WS_VISIBLE, 10, 10, 640, 480,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
  }

  /// A grid window made by class name at (10, 10) with the client size
  /// asked for; its object belongs to the window.
  HWND MakeGrid(int w, int h, UINT id = kGridId, const char *cls = "CVQGridView32") {
    // No border, so the client size is the window size.
    HWND g = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 10, 10, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    if (g)
      view = Interface(g);
    return g;
  }
  static CGridView *Interface(HWND g) {
    return static_cast<CGridView *>(
        reinterpret_cast<IGridView *>(SendMessageA(g, GM_GETINTERFACE, 0, 0)));
  }

  /// Columns of the given percents, kinds and ids 100, 101, ...
  void Columns(std::initializer_list<UINT> percents, UINT kind = GCK_TEXT, BYTE flags = 0) {
    ASSERT_TRUE(view->SetColumnCount(static_cast<UINT>(percents.size()), FALSE));
    UINT i = 0;
    for (UINT p : percents) {
      char h[16];
      std::snprintf(h, sizeof h, "Col %u", i);
      view->SetColumnHeader(i, p, 0, h, FALSE);
      view->SetColumnType(i, kind, 100 + i, flags);
      ++i;
    }
  }
  /// `n` lines whose cells hold "r<line>c<column>".
  void AddLines(UINT n) {
    for (UINT l = 0; l < n; ++l) {
      ASSERT_TRUE(view->InsertItem(l, 1000 + l, FALSE));
      for (UINT c = 0; c < view->columnCount; ++c) {
        char t[32];
        std::snprintf(t, sizeof t, "r%uc%u", l, c);
        view->SetItemText(l, c, t);
      }
    }
  }
  /// Client point in the middle of a shown cell.
  POINT CellCentre(UINT line, UINT column) const {
    const SGridColumn &c = view->columns[column];
    const int top =
        static_cast<int>(view->headerHeight + (line - view->GetTopLine()) * view->lineHeight + 1);
    return POINT{static_cast<LONG>(c.x + c.width / 2),
                 static_cast<LONG>(top + static_cast<int>(view->lineHeight) / 2)};
  }
  static std::vector<Note> &Notes() { return Parent().notes; }
  static void ClearNotes() { Parent().notes.clear(); }
  /// Level 0 to 5 lines of the grid, without the boxes' own lines.
  static std::vector<std::string> GridLog() {
    std::vector<std::string> out;
    for (const auto &l : Lines())
      if (l.find(" CGridView ") != std::string::npos)
        out.push_back(l);
    return out;
  }

  HWND parent = nullptr;
  CGridView *view = nullptr;
};

} // namespace vqtest

#endif
