// What the program hooks into the real main window: command 32780 opens the
// update dialog over the window, the window's 'OPEN' handling runs the update
// check, and a profile button's switch reaches Keyward's notice.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/keyward_win32.h"
#include "base/text.h"
#include "storage/persist_support.h"
#include "ui/controls/window_text_win32.h"
#include "ui/dialogs/update_dlg_win32.h"
#include "ui/main/keyward_link.h"
#include "ui/main/profile_bar.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using testing::PumpUntil;

struct MainWindowHookups : testing::MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    program = testing::ProgramFolder();
    update_context = std::make_unique<FirmwareUpdateContext>(FirmwareUpdateContext{
        resources, world->ini, world->text_source, world->commands, world->stores.edit, update_launcher, nullptr,
        program + u"Skins\\UpdateDlg.ini", program + u"Skins\\", program + u"Help\\", program + u"Package\\",
        nullptr, nullptr, nullptr,
        [this](std::u16string_view text, std::u16string_view title) {
          checks.push_back(Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text));
          return check_answer;
        },
        [this] { ++update_exits; }});
    update = std::make_unique<FirmwareUpdate>(*update_context);
    HookUpFirmwareUpdate(*context, *update, world->clock);
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    update.reset();
  }

  std::u16string program;
  testing::RecordingLauncher update_launcher;
  std::vector<std::string> checks;
  bool check_answer = false;
  int update_exits = 0;
  std::unique_ptr<FirmwareUpdateContext> update_context;
  std::unique_ptr<FirmwareUpdate> update;
};

TEST_F(MainWindowHookups, Command32780OpensTheUpdateDialogOverTheWindow) {
  StartOnKeyboard();
  EXPECT_TRUE(checks.empty()) << "a keyboard whose state is 0 is offered nothing";
  HWND owner = nullptr;
  bool main_disabled = false;
  bool shot = false;
  int visible_ticks = 0;
  testing::TimerDriver driver(
      [&] {
        CKeyloom_DlgUpdate* d = update->dialog();
        if (!d || !d->hwnd() || !IsWindowVisible(d->hwnd())) return false;
        owner = GetWindow(d->hwnd(), GW_OWNER);
        main_disabled = !IsWindowEnabled(hwnd());
        // The buttons draw their pictures once the dialog's first paints are through.
        if (++visible_ticks < 4) return false;
        RedrawWindow(d->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (GetUpdateRect(d->hwnd(), nullptr, FALSE)) return false;
        for (int id : {kUpdateButton, kCancelUpdateButton, kOpenButton, kBackupButton, kUpdatePathStatic})
          if (GetUpdateRect(GetDlgItem(d->hwnd(), id), nullptr, FALSE)) return false;
        shot = testing::CaptureWindow(d->hwnd(), testing::ShotFolder() + u"update_dialog_from_main_window.bmp") &&
               testing::CaptureWindow(hwnd(), testing::ShotFolder() + u"update_dialog_over_main_window.bmp");
        d->logic().OnCancelUpdate();
        return true;
      },
      50);
  testing::TimerDriver watchdog(
      [this, start = GetTickCount()] {
        if (GetTickCount() - start < 10000) return false;
        if (CKeyloom_DlgUpdate* d = update->dialog()) d->EndDialog(IDCANCEL);
        return true;
      },
      200);
  // Sent as a command message, as nothing in the program's menus carries it.
  SendMessageW(hwnd(), WM_COMMAND, kCmdFirmwareUpdate, 0);  // returns when the dialog closed
  EXPECT_EQ(owner, hwnd());
  EXPECT_TRUE(main_disabled) << "modal over the main window";
  EXPECT_TRUE(shot);
  EXPECT_EQ(update->dialog(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(hwnd()));
  EXPECT_TRUE(IsWindowVisible(hwnd()));
}

TEST_F(MainWindowHookups, AskedToOpenOnAnOutdatedKeyboardTheWindowShowsItselfThenOffersTheEmbeddedUpdater) {
  StartOnKeyboard();
  EXPECT_TRUE(checks.empty());
  // State 256, low byte first.
  world->keyboard.EditMemory([](SimMemory& m) {
    m.settings[8] = 0x00;
    m.settings[9] = 0x01;
  });
  struct Case {
    bool ok;
    size_t started;
    int exits;
  };
  for (const Case& c : {Case{true, 1, 0}, Case{false, 0, 1}}) {
    ShowWindow(hwnd(), SW_HIDE);
    checks.clear();
    update_launcher.calls.clear();
    update_exits = 0;
    check_answer = c.ok;
    bool shown_when_asked = false;
    update_context->ask_ok_cancel = [&](std::u16string_view text, std::u16string_view title) {
      shown_when_asked = IsWindowVisible(hwnd()) != FALSE;
      checks.push_back(Utf16ToUtf8(title) + ": " + Utf16ToUtf8(text));
      return check_answer;
    };
    // What a second start of the program sends.
    SendMessageW(hwnd(), kMainMsgOpen, kMainTagOpen, 0);
    EXPECT_EQ(checks, std::vector<std::string>{
                          "Version update: Your current software is not updated to the latest version. Update now?"});
    EXPECT_TRUE(shown_when_asked) << c.ok;
    ASSERT_EQ(update_launcher.calls.size(), c.started) << c.ok;
    if (c.started) {
      EXPECT_EQ(update_launcher.calls[0].file, program + u"Help\\" + std::u16string(kEmbeddedUpdater));
      EXPECT_EQ(update_launcher.calls[0].parameters, kEmbeddedUpdaterParameters);
    }
    EXPECT_EQ(update_exits, c.exits) << c.ok;
  }
}

TEST_F(MainWindowHookups, AProfileButtonsSwitchShowsTheProfileInKeywardsNotice) {
  // A Keyward that Keyloom.exe started in another test ends with that Keyloom.
  const std::u16string keyward_class(kKeywardWindowClass);
  ASSERT_TRUE(PumpUntil([&] { return FindWindowW(AsWide(keyward_class), nullptr) == nullptr; }, 5000));
  const std::u16string owner_name = u"KeywardTest.MainWindow";
  UniqueHandle owner(CreateMutexW(nullptr, FALSE, AsWide(owner_name)));
  persist_test::FixedTexts texts;
  ManualClock clock;
  KeywardWindow keyward(GetModuleHandleW(nullptr), texts, clock, owner_name, false);
  ASSERT_TRUE(keyward.Create());

  StartOnKeyboard();
  EXPECT_FALSE(IsWindowVisible(keyward.hwnd())) << "the profile the keyboard came with is no change";
  Click(kProfileButtonIds[1]);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(keyward.hwnd()) != FALSE; }, 5000));
  EXPECT_EQ(WindowText(keyward.hwnd()), u"Profile 2");
  EXPECT_EQ(world->Memory().settings[10], 1);
}

}  // namespace
}  // namespace keyloom
