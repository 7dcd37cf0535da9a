// The update dialog on the built program's template and skin, driven from a
// timer while it runs modally, on the simulated keyboard. File dialogs,
// message boxes and questions are answered by the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "base/text.h"
#include "model/key_store.h"
#include "storage/backups.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/settings.h"
#include "support/sim_stack.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/window_text_win32.h"
#include "ui/dialogs/update_dlg_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

RECT ClientRectOf(HWND dialog, int id) {
  RECT r{};
  HWND control = GetDlgItem(dialog, id);
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct UpdateFixture : ::testing::Test {
  using Step = std::function<bool(CKeyloom_DlgUpdate&)>;

  void SetUp() override {
    ASSERT_NE(context.resources, nullptr) << "Keyloom.exe must be built beside the tests folder";
    ASSERT_TRUE(testing::WriteFileBytes(updater, "MZ"));
    std::error_code ec;
    std::filesystem::remove_all(FsPath(backups.folder()), ec);  // left by an earlier run
  }

  // Runs the dialog and `steps` (each returns true when done) from a timer,
  // until the dialog closes; a dialog still open after the limit is closed.
  void Run(std::vector<Step> steps, DWORD limit_ms = 20000) {
    size_t next = 0;
    const DWORD start = GetTickCount();
    bool finished = false;
    testing::TimerDriver driver(
        [&] {
          CKeyloom_DlgUpdate* d = update.dialog();
          if (!d || !d->hwnd() || !IsWindowVisible(d->hwnd())) return false;
          if (GetTickCount() - start > limit_ms) {
            ADD_FAILURE() << (finished ? "the dialog did not close" : "a step did not finish: ") << next;
            d->logic().OnCancelUpdate();
            return true;
          }
          if (next < steps.size() && steps[next](*d)) ++next;
          finished = next == steps.size();
          return false;
        },
        20);
    update.RunDialog(nullptr);
    EXPECT_TRUE(finished);
    EXPECT_EQ(update.dialog(), nullptr);
  }
  static Step Do(std::function<void(CKeyloom_DlgUpdate&)> action) {
    return [action](CKeyloom_DlgUpdate& d) {
      action(d);
      return true;
    };
  }
  static Step Shot(const char16_t* name) {
    return [name](CKeyloom_DlgUpdate& d) {
      RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      if (GetUpdateRect(d.hwnd(), nullptr, FALSE)) return false;
      EXPECT_TRUE(testing::CaptureWindow(d.hwnd(), testing::ShotFolder() + name));
      return true;
    };
  }

  GdiplusSession graphics;
  NativeIniService ini;
  RegistrySettingsStore settings{u"Software\\Keyloom tests\\update"};
  LanguageTexts language{ini, settings, testing::ProgramFolder(), [] { return uint16_t{1033}; }};
  LanguageTextSource texts{language};
  testing::SimStack sim{'B'};
  KeyStore edit;
  testing::RecordingLauncher shell;
  std::u16string folder = testing::TestFolder(u"update_dialog");
  std::u16string updater = folder + u"Updater.exe";
  KeyboardBackups backups{folder + u"Backups", [] { return LocalDateTime{2025, 6, 1, 10, 20, 30}; }};
  std::deque<std::optional<std::u16string>> files;
  std::vector<std::string> shown;
  std::vector<std::string> asked;
  FirmwareUpdateContext context{
      testing::ProgramResources(),
      ini,
      texts,
      sim.commands,
      edit,
      shell,
      &backups,
      testing::ProgramFolder() + u"Skins\\UpdateDlg.ini",
      testing::ProgramFolder() + u"Skins\\",
      testing::ProgramFolder() + u"Help\\",
      testing::ProgramFolder() + u"Package\\",
      [this](const FileDialogRequest&) {
        std::optional<std::u16string> answer = files.empty() ? std::nullopt : files.front();
        if (!files.empty()) files.pop_front();
        return answer;
      },
      [this](std::u16string_view text, std::u16string_view) { shown.push_back(Utf16ToUtf8(text)); },
      [this](std::u16string_view question, std::u16string_view) {
        asked.push_back(Utf16ToUtf8(question));
        return false;
      },
      nullptr,
      [] { ADD_FAILURE() << "the skin is missing"; }};
  FirmwareUpdate update{context};
};

TEST_F(UpdateFixture, ControlsSitWhereTheSkinPutsThem) {
  Run({Do([](CKeyloom_DlgUpdate& d) {
    RECT client{};
    GetClientRect(d.hwnd(), &client);
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 236);
    struct Where {
      int id;
      RECT at;
    };
    for (const Where& w : {Where{kUpdatePathStatic, {26, 110, 356, 130}}, Where{kOpenButton, {370, 102, 460, 138}},
                           Where{kBackupButton, {20, 180, 130, 216}}, Where{kCancelUpdateButton, {264, 180, 360, 216}},
                           Where{kUpdateButton, {368, 180, 460, 216}}}) {
      const RECT r = ClientRectOf(d.hwnd(), w.id);
      EXPECT_EQ(r.left, w.at.left) << w.id;
      EXPECT_EQ(r.top, w.at.top) << w.id;
      EXPECT_EQ(r.right, w.at.right) << w.id;
      EXPECT_EQ(r.bottom, w.at.bottom) << w.id;
    }
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d.hwnd(), kUpdateCombo)));
    // Captions from the language file, for screen readers; the title too.
    EXPECT_EQ(WindowText(GetDlgItem(d.hwnd(), kUpdateButton)), u"Update");
    EXPECT_EQ(WindowText(GetDlgItem(d.hwnd(), kCancelUpdateButton)), u"Cancel update");
    EXPECT_EQ(WindowText(d.hwnd()), u"Firmware update");
    d.logic().OnCancelUpdate();
  })});
}

TEST_F(UpdateFixture, OpenShowsTheChoiceAndUpdateBacksUpEntersBootModeAndStartsIt) {
  files = {updater};
  Run({Do([](CKeyloom_DlgUpdate& d) { Click(d.hwnd(), kOpenButton); }),
       Do([&](CKeyloom_DlgUpdate& d) {
         EXPECT_EQ(WindowText(GetDlgItem(d.hwnd(), kUpdatePathStatic)), updater);
         EXPECT_EQ(update.chosen_updater(), updater);
       }),
       Shot(u"update_dialog.bmp"), Do([](CKeyloom_DlgUpdate& d) { Click(d.hwnd(), kUpdateButton); })});
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].verb, u"open");
  EXPECT_EQ(shell.calls[0].file, updater);
  EXPECT_EQ(shell.calls[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(update.chosen_updater(), u"");
  const auto frames = sim.Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back()[3], 0xEE);
  ASSERT_EQ(backups.List().size(), 1u);
  EXPECT_EQ(backups.List()[0].name, u"Backup 2025-06-01 10-20-30.fwc");
  EXPECT_TRUE(shown.empty());
}

TEST_F(UpdateFixture, WithoutAKeyboardTheMessageSaysSoAndTheChoiceStaysForTheNextOpening) {
  sim.keyboard.Unplug();
  sim.link.connected = 0;
  files = {updater};
  Run({Do([](CKeyloom_DlgUpdate& d) { Click(d.hwnd(), kOpenButton); }),
       Do([](CKeyloom_DlgUpdate& d) { Click(d.hwnd(), kUpdateButton); }),
       Do([](CKeyloom_DlgUpdate& d) { PostMessageW(d.hwnd(), WM_COMMAND, IDCANCEL, 0); })});
  EXPECT_EQ(shown, std::vector<std::string>{
                       "The keyboard could not be put into boot mode. Make sure it is connected and try again."});
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_TRUE(sim.Frames().empty());

  // Reopened: the static shows the choice kept from before; Cancel update clears it.
  Run({Do([&](CKeyloom_DlgUpdate& d) {
         EXPECT_EQ(WindowText(GetDlgItem(d.hwnd(), kUpdatePathStatic)), updater);
       }),
       Do([](CKeyloom_DlgUpdate& d) { Click(d.hwnd(), kCancelUpdateButton); })});
  EXPECT_EQ(update.chosen_updater(), u"");
}

}  // namespace
}  // namespace keyloom
