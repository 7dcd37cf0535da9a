#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "ui/controls/list_cell_editor_win32.h"
#include "ui/controls/owner_menu_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using testing::PumpUntil;

// A report list of three rows and three columns on a test window.
struct CellEditorFixture : ::testing::Test {
  void SetUp() override {
    list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 10, 10, 260, 200,
                           window.hwnd(), HMENU(INT_PTR(7)), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    for (int c = 0; c < 3; ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_WIDTH | LVCF_TEXT;
      column.cx = 63;
      column.pszText = const_cast<wchar_t*>(L"c");
      ListView_InsertColumn(list, c, &column);
    }
    for (int r = 0; r < 3; ++r) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = r;
      item.pszText = const_cast<wchar_t*>(L"row");
      ListView_InsertItem(list, &item);
    }
    ASSERT_TRUE(editor.Attach(list));
  }
  CListCellEditor::Done Record() {
    return [this](int row, int column, const CListCellEditor::Outcome& out) {
      ++calls;
      last_row = row;
      last_column = column;
      outcome = out;
    };
  }
  void Type(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) SendMessageW(editor.editor(), WM_CHAR, *c, 1);
  }
  bool Key(WPARAM vk) {
    MSG msg{editor.editor(), WM_KEYDOWN, vk, 1, 0, {}};
    return editor.PreTranslate(msg);
  }
  RECT CellRect(int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    return cell;
  }

  testing::TestWindow window{320, 260};
  HWND list = nullptr;
  CListCellEditor editor;
  int calls = 0, last_row = -1, last_column = -1;
  CListCellEditor::Outcome outcome;
};

TEST_F(CellEditorFixture, ANumberEditLiesOverItsCellTakesDigitsAndEndsOnEnterOrEscape) {
  ASSERT_TRUE(editor.BeginNumber(1, 2, u"100", Record()));
  ASSERT_TRUE(editor.editing());
  RECT placed{}, cell = CellRect(1, 2);
  GetWindowRect(editor.editor(), &placed);
  MapWindowPoints(nullptr, list, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, cell.left);
  EXPECT_EQ(placed.top, cell.top);
  EXPECT_EQ(GetFocus(), editor.editor());

  Type(L"12x34");  // the edit takes digits only
  EXPECT_TRUE(Key(VK_RETURN));
  EXPECT_FALSE(editor.editing());
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.text, u"1234");
  EXPECT_EQ(last_row, 1);
  EXPECT_EQ(last_column, 2);

  ASSERT_TRUE(editor.BeginNumber(0, 2, u"50", Record()));
  Type(L"7");
  EXPECT_TRUE(Key(VK_ESCAPE));
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(outcome.accepted);
  MSG other{list, WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_FALSE(editor.PreTranslate(other));  // nothing open: the dialog has Enter
}

TEST_F(CellEditorFixture, AChoiceIsAcceptedOnceWhenPickedOrWhenFocusLeaves) {
  ASSERT_TRUE(editor.BeginChoice(2, 1, {u"\u2193", u"  \u2191"}, 1, Record()));
  EXPECT_EQ(SendMessageW(editor.editor(), CB_GETCURSEL, 0, 0), 1);
  SendMessageW(editor.editor(), CB_SETCURSEL, 0, 0);
  SendMessageW(list, WM_COMMAND, MAKEWPARAM(0x3C1, CBN_SELENDOK), reinterpret_cast<LPARAM>(editor.editor()));
  EXPECT_EQ(calls, 0) << "the outcome comes after the notification returns";
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }));
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.choice, 0);
  EXPECT_FALSE(editor.editing());

  // Focus moving away accepts what the editor holds.
  ASSERT_TRUE(editor.BeginNumber(0, 2, u"30", Record()));
  SetFocus(list);
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }));
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.text, u"30");
  testing::PumpPending();
  EXPECT_EQ(calls, 2);
}

TEST_F(CellEditorFixture, OpeningAnotherCellAcceptsTheFirstAndMissingCellsOpenNothing) {
  ASSERT_TRUE(editor.BeginNumber(0, 2, u"10", Record()));
  ASSERT_TRUE(editor.BeginNumber(1, 2, u"20", Record()));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(last_row, 0);
  EXPECT_TRUE(outcome.accepted);
  editor.Abandon();
  EXPECT_FALSE(editor.BeginNumber(3, 2, u"1", Record()));
  EXPECT_FALSE(editor.BeginNumber(-1, 0, u"1", Record()));
  EXPECT_FALSE(editor.editing());
}

TEST_F(CellEditorFixture, AListThatGoesAwayTakesItsEditorWithoutAWord) {
  ASSERT_TRUE(editor.BeginNumber(0, 2, u"10", Record()));
  DestroyWindow(list);
  testing::PumpPending();
  EXPECT_FALSE(editor.editing());
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(editor.list(), nullptr);
}

TEST(OwnerMenu, DrawsItsItemsAndReturnsTheChosenCommand) {
  testing::TestWindow window(200, 200);
  COwnerMenu menu({{101, u"Undo", u"Ctrl+Z", true}, {0, u"", u"", true}, {102, u"Delete", u"Del", true}});
  ASSERT_NE(menu.handle(), nullptr);
  EXPECT_EQ(GetMenuItemCount(menu.handle()), 3);

  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemData = 0x4F4D0002;
  ASSERT_TRUE(menu.OnMeasureItem(window.hwnd(), measure));
  EXPECT_GE(measure.itemHeight, 20u);
  measure.itemData = 0x4F4D0001;
  ASSERT_TRUE(menu.OnMeasureItem(window.hwnd(), measure));
  EXPECT_LT(measure.itemHeight, 20u);  // a separator is thin
  measure.itemData = 12345;
  EXPECT_FALSE(menu.OnMeasureItem(window.hwnd(), measure));  // another menu's item

  // Drawn into a bitmap: the highlighted item takes the highlight colour.
  WindowDc screen(window.hwnd());
  MemoryDc dc(screen.get());
  GdiBitmap bitmap(CreateCompatibleBitmap(screen.get(), 120, 26));
  SelectedObject selected(dc.get(), bitmap.get());
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.hDC = dc.get();
  draw.rcItem = {0, 0, 120, 26};
  draw.itemData = 0x4F4D0002;
  draw.itemState = ODS_SELECTED;
  ASSERT_TRUE(menu.OnDrawItem(draw));
  EXPECT_EQ(GetPixel(dc.get(), 2, 2), COwnerMenu::Colours{}.highlight);

  // Down to Undo, down past the separator to Delete, then Enter.
  SetForegroundWindow(window.hwnd());
  int steps = 0;
  testing::TimerDriver driver([&] {
    const WORD keys[] = {VK_DOWN, VK_DOWN, VK_RETURN};
    ++steps;
    if (steps < 3) return false;
    const WORD vk = keys[steps - 3];
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[0].ki.wScan = in[1].ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    return steps - 3 == 2;
  });
  POINT at{50, 50};
  ClientToScreen(window.hwnd(), &at);
  EXPECT_EQ(menu.Track(window.hwnd(), at), 102u);
}

}  // namespace
}  // namespace keyloom
