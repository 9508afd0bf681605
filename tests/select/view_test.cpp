// The views of a parsed selection: its comparisons listed in a real list
// view, and the dump of its records to the log.
#include "select_fixture.h"

#include <commctrl.h>
#include <vqwin_automation.h>

#include <cstdio>

namespace {

const CVQListView::Column kColumns[] = {{3, 40, "Column"}, {3, 20, "Op"}, {1, 40, "Value"}};

std::string Hex(const void *p) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(UINT_PTR(p)));
  return text;
}

using Views = SelectionTest;

TEST_F(Views, DispListsComparisonsLeftToRight) {
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  CVQListView view(kColumns, &theLibrary);
  ASSERT_EQ(view.DispHeader(list, list, 1), 1);
  const struct {
    const char *text;
    std::vector<std::string> rows; // column|op|value#item data
  } cases[] = {
      {"a=1 or (b<>x and c>=3) xor d<'y z'", {"A|==|1#0", "B|!=|x#1", "C|>=|3#2", "D|<|y z#3"}},
      {"() or name = M*ER", {"NAME|==|M*ER#0"}},
      {"() and ()", {}},
  };
  for (const auto &c : cases) {
    LVITEMA stale{};
    stale.mask = LVIF_TEXT;
    stale.pszText = const_cast<char *>("stale");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&stale));
    ASSERT_EQ(Parse(c.text), 1) << c.text;
    EXPECT_EQ(sel.disp(&view), c.rows.empty() ? 0 : 1) << c.text;
    EXPECT_EQ(view.itemCount, c.rows.size()) << c.text;
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), LRESULT(c.rows.size())) << c.text;
    for (int item = 0; item < int(c.rows.size()); ++item) {
      char texts[3][80] = {};
      LVITEMA it{};
      it.cchTextMax = sizeof texts[0];
      for (it.iSubItem = 0; it.iSubItem < 3; ++it.iSubItem) {
        it.pszText = texts[it.iSubItem];
        SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it));
      }
      it = LVITEMA{};
      it.mask = LVIF_PARAM;
      it.iItem = item;
      SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
      EXPECT_EQ(std::string(texts[0]) + "|" + texts[1] + "|" + texts[2] + "#" +
                    std::to_string(it.lParam),
                c.rows[item])
          << c.text;
    }
  }
  EXPECT_EQ(sel.disp(nullptr), 0);
  vqwinResetWindows();
}

TEST_F(Views, DumpWritesEveryLinkAndRecord) {
  ASSERT_EQ(Parse("a=1 or () xor b <> 'x y'"), 1);
  Clear();
  sel.dump();
  const auto *root = static_cast<const SVQDataCompOper *>(sel.Root.pOper);
  const auto *xorOp = static_cast<const SVQDataCompOper *>(root->Link[1].pOper);
  const auto Link = [](const void *link, const void *record, int idRec) {
    return "5 CVQTblSelDesc Dump Link: pLink = " + Hex(link) + ", pOper = " + Hex(record) +
           ", fAlloc = " + (record ? "1" : "0") + ", idRec = " + std::to_string(idRec);
  };
  const auto Oper = [](const SVQDataCompOper *oper) {
    return "5 CVQTblSelDesc Operation: Oper = " + std::to_string(oper->Oper) +
           ", Link[0] = " + Hex(&oper->Link[0]) + ", Link[1] = " + Hex(&oper->Link[1]);
  };
  const std::vector<std::string> expected = {
      Link(&sel.Root, root, 1),
      Oper(root),
      Link(&root->Link[0], root->Link[0].pOper, 0),
      "5 CVQTblSelDesc Expression: Func = 0, Column = A, Value = <1>",
      Link(&root->Link[1], xorOp, 1),
      Oper(xorOp),
      Link(&xorOp->Link[0], xorOp->Link[0].pOper, 0),
      "5 CVQTblSelDesc Expression: Func = 1, Column = B, Value = <x y>",
      Link(&xorOp->Link[1], nullptr, 255),
  };
  EXPECT_EQ(theLibrary.GetCapturedLines(), expected);

  // A link of the tree dumps only what lies below it.
  Clear();
  sel.dump(&root->Link[0]);
  EXPECT_EQ(theLibrary.GetCapturedLines().size(), 2u);
}

} // namespace
