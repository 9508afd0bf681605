// The views of a parsed selection: its comparisons listed in a real list
// view, and the dump of its records to the log.
#include "select_fixture.h"

#include <commctrl.h>
#include <vqwin_automation.h>

#include <cstdio>

namespace {

const CVQListView::Column kColumns[] = {{3, 40, "Column"}, {3, 20, "Op"}, {1, 40, "Value"}};

class Views : public SelectionTest {
protected:
  void SetUp() override {
    SelectionTest::SetUp();
    parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, parent,
                           nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(view.DispHeader(list, parent, 1), 1);
  }
  void TearDown() override {
    vqwinResetWindows();
    SelectionTest::TearDown();
  }
  std::string Row(int item) {
    std::string row;
    for (int sub = 0; sub < 3; ++sub) {
      char text[80] = {};
      LVITEMA it{};
      it.iSubItem = sub;
      it.pszText = text;
      it.cchTextMax = sizeof text;
      SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
      row += (sub ? "|" : "") + std::string(text);
    }
    LVITEMA it{};
    it.mask = LVIF_PARAM;
    it.iItem = item;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    return row + "#" + std::to_string(it.lParam);
  }
  static std::string Hex(const void *p) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(p)));
    return text;
  }

  HWND parent = nullptr, list = nullptr;
  CVQListView view{kColumns, &theLibrary};
};

TEST_F(Views, DispListsComparisonsLeftToRight) {
  const struct {
    const char *text;
    std::vector<std::string> rows;
  } cases[] = {
      {"a=1 or (b<>x and c>=3) xor d<'y z'", {"A|==|1#0", "B|!=|x#1", "C|>=|3#2", "D|<|y z#3"}},
      {"() or name = M*ER", {"NAME|==|M*ER#0"}},
      {"", {}},
      {"() and ()", {}},
  };
  for (const auto &c : cases) {
    LVITEMA stale{};
    stale.mask = LVIF_TEXT;
    stale.pszText = const_cast<char *>("stale");
    ASSERT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&stale)), 0);
    ASSERT_EQ(Parse(c.text), 1) << c.text;
    EXPECT_EQ(sel.disp(&view), c.rows.empty() ? 0 : 1) << c.text;
    EXPECT_EQ(view.itemCount, c.rows.size()) << c.text;
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), LRESULT(c.rows.size())) << c.text;
    for (size_t i = 0; i < c.rows.size(); ++i)
      EXPECT_EQ(Row(int(i)), c.rows[i]) << c.text;
  }
  EXPECT_EQ(sel.disp(nullptr), 0);
}

TEST_F(Views, DumpWritesEveryLinkAndRecord) {
  ASSERT_EQ(Parse("a=1 or () xor b <> 'x y'"), 1);
  Clear();
  sel.dump();
  const auto *root = static_cast<const SVQDataCompOper *>(sel.Root.pOper);
  const auto *xorOp = static_cast<const SVQDataCompOper *>(root->Link[1].pOper);
  const auto *a = static_cast<const SVQDataCompExpr *>(root->Link[0].pOper);
  const auto *b = static_cast<const SVQDataCompExpr *>(xorOp->Link[0].pOper);
  const std::string p = "5 CVQTblSelDesc ";
  const std::vector<std::string> expected = {
      p + "Dump Link: pLink = " + Hex(&sel.Root) + ", pOper = " + Hex(root) +
          ", fAlloc = 1, idRec = 1",
      p + "Operation: Oper = 0, Link[0] = " + Hex(&root->Link[0]) +
          ", Link[1] = " + Hex(&root->Link[1]),
      p + "Dump Link: pLink = " + Hex(&root->Link[0]) + ", pOper = " + Hex(a) +
          ", fAlloc = 1, idRec = 0",
      p + "Expression: Func = 0, Column = A, Value = <1>",
      p + "Dump Link: pLink = " + Hex(&root->Link[1]) + ", pOper = " + Hex(xorOp) +
          ", fAlloc = 1, idRec = 1",
      p + "Operation: Oper = 1, Link[0] = " + Hex(&xorOp->Link[0]) +
          ", Link[1] = " + Hex(&xorOp->Link[1]),
      p + "Dump Link: pLink = " + Hex(&xorOp->Link[0]) + ", pOper = " + Hex(b) +
          ", fAlloc = 1, idRec = 0",
      p + "Expression: Func = 1, Column = B, Value = <x y>",
      p + "Dump Link: pLink = " + Hex(&xorOp->Link[1]) + ", pOper = 0x0, fAlloc = 0, idRec = 255",
  };
  EXPECT_EQ(theLibrary.GetCapturedLines(), expected);

  // A link of the tree dumps only what lies below it.
  Clear();
  sel.dump(&root->Link[0]);
  EXPECT_EQ(theLibrary.GetCapturedLines().size(), 2u);
}

} // namespace
