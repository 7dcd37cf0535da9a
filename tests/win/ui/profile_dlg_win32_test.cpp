// The profile manager dialog (131), opened from the main window on a
// simulated keyboard and driven by control ids while it runs modally.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "ui/dialogs/profile_dlg_win32.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using testing::MainWindowFixture;

struct ProfileDialogFixture : MainWindowFixture {
  // Opens the dialog from the main window and runs `step` from a timer
  // while it is open, until `step` returns true (then the dialog is left to
  // close itself). A watchdog ends a dialog that stays open.
  void WhileOpen(const std::function<bool(CKeyloom_DlgProfile&)>& step) {
    testing::TimerDriver driver([&] {
      CKeyloom_DlgProfile* dialog = window->profile_dialog();
      if (!dialog || !dialog->hwnd() || !IsWindowVisible(dialog->hwnd())) return false;
      return step(*dialog);
    });
    auto watchdog = ProfileDialogWatchdog();
    Click(kCmdProfiles);
  }
  static void Press(CKeyloom_DlgProfile& dialog, int id) {
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.hwnd(), id)));
  }
};

TEST_F(ProfileDialogFixture, ListsTheOnboardProfilesAndMakesTheTickedOneActive) {
  StartOnKeyboard();
  std::vector<std::u16string> columns, names;
  int checked = -2, painted_ticks = 0;
  bool apply_before = true, apply_after_tick = false, single = false;
  WhileOpen([&](CKeyloom_DlgProfile& dialog) {
    // The screen shows a painted window a moment later: painted on two
    // ticks in a row before the screenshot.
    if (!testing::IsPainted(dialog.hwnd())) return false;
    if (++painted_ticks < 2) return false;
    CReportList& list = dialog.list();
    HWND header = ListView_GetHeader(list.hwnd());
    for (int c = 0; c < Header_GetItemCount(header); ++c) {
      wchar_t text[64] = L"";
      HDITEMW item{};
      item.mask = HDI_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      Header_GetItem(header, c, &item);
      columns.push_back(FromWide(text));
    }
    for (int r = 0; r < list.RowCount(); ++r) names.push_back(list.CellText(r, 1));
    checked = list.CheckedRow();
    apply_before = IsWindowEnabled(GetDlgItem(dialog.hwnd(), kCmdProfileApply)) != FALSE;
    testing::CaptureWindow(dialog.hwnd(), testing::ShotFolder() + u"profile_manager.bmp");

    // The user ticks the third row: the first one is cleared, Apply lights up.
    ListView_SetCheckState(list.hwnd(), 2, TRUE);
    single = list.CheckedRow() == 2 && !list.Checked(0);
    apply_after_tick = IsWindowEnabled(GetDlgItem(dialog.hwnd(), kCmdProfileApply)) != FALSE;
    Press(dialog, IDOK);
    return true;
  });
  EXPECT_EQ(columns, (std::vector<std::u16string>{u"Active", u"Name", u"Folder"}));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Profile 1", u"Profile 2", u"Profile 3"}));
  EXPECT_EQ(checked, 0);
  EXPECT_FALSE(apply_before);
  EXPECT_TRUE(single);
  EXPECT_TRUE(apply_after_tick);
  EXPECT_EQ(window->profile_dialog(), nullptr);
  EXPECT_EQ(world->Memory().settings[10], 2);
  EXPECT_EQ(world->settings.ReadString(kProfilesSection, u"PROFILE00", u""), u"3");
  EXPECT_EQ(window->button(1137)->look(), ButtonLook::kSelected) << "the bar follows";
}

TEST_F(ProfileDialogFixture, AddMakesAProfileFileAndARowThatCannotBeMadeActive) {
  StartOnKeyboard();
  const std::u16string path = world->folder + u"Gaming.fwc";
  DeleteFileW(AsWide(path));
  picker.answers = {path};
  int rows = 0, checked = -2;
  WhileOpen([&](CKeyloom_DlgProfile& dialog) {
    Press(dialog, kCmdProfileAdd);
    CReportList& list = dialog.list();
    rows = list.RowCount();
    ListView_SetCheckState(list.hwnd(), 3, TRUE);  // refused
    checked = list.CheckedRow();
    Press(dialog, IDCANCEL);
    return true;
  });
  ASSERT_EQ(picker.requests.size(), 1u);
  EXPECT_TRUE(picker.requests[0].save);
  EXPECT_EQ(picker.requests[0].initial_name, world->user_data.folder() + u"\\New Profile");
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(boxes.shown, std::vector<std::u16string>{u"PROFILE_ONLY_ONBOARD"});
  EXPECT_NE(GetFileAttributesW(AsWide(path)), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(world->Memory().settings[10], 0) << "Cancel applies nothing";
}

}  // namespace
}  // namespace keyloom
