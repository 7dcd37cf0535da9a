// The main window at work on a simulated keyboard: the keyboard threads find
// it, the window opens by itself, and its buttons reach the keyboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "model/key_map.h"
#include "storage/profile_file.h"
#include "ui/dialogs/profile_dlg_win32.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using testing::MainWindowFixture;
using testing::PumpUntil;

constexpr int kA = 1058;

KeyRecord KeyGives(KeyCode code) {
  KeyRecord r;
  r.type = static_cast<uint16_t>(KeyType::kKey);
  r.value = code;
  return r;
}

// The record the keyboard's key map of `profile` holds for `key_index`.
KeyRecord KeyboardRecord(const testing::MainWindowWorld& world, int profile, uint16_t key_index) {
  const SimMemory m = world.Memory();
  const int stride = world.link.stride, size = world.link.keymap_size;
  std::vector<uint8_t> block(m.keymaps.begin() + profile * stride, m.keymaps.begin() + profile * stride + size);
  std::vector<uint8_t> records(kRecordBlockBytes);
  DecodeKeyMap(block, world.link.DefaultMatrix(), std::span<uint8_t, kRecordBlockBytes>(records));
  return LoadKeyRecord(std::span<const uint8_t>(records).subspan(key_index * kKeyRecordBytes).first<kKeyRecordBytes>());
}

TEST_F(MainWindowFixture, OnTheKeyboardTheWindowOpensByItselfInsideTheWorkArea) {
  StartOnKeyboard();
  RECT r{};
  GetWindowRect(hwnd(), &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor));
  EXPECT_GE(r.left, monitor.rcWork.left);
  EXPECT_GE(r.top, monitor.rcWork.top);
  EXPECT_LE(r.right, monitor.rcWork.right);
  EXPECT_LE(r.bottom, monitor.rcWork.bottom);
  // Centred: the same room on either side.
  EXPECT_LE(std::abs((r.left - monitor.rcWork.left) - (monitor.rcWork.right - r.right)), 1);

  ASSERT_TRUE(PumpUntil([&] { return window->button(1135)->look() == ButtonLook::kSelected; }));
  EXPECT_EQ(window->button(1147)->look(), ButtonLook::kSelected) << "report rate 0";
  EXPECT_EQ(window->tray().icon_resource(), 141) << "the keyboard was found before the icon existed";
  EXPECT_EQ(window->tray_image().current(), 141);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  wchar_t caption[64] = L"";
  GetDlgItemTextW(hwnd(), kCmdProfiles, caption, 64);
  EXPECT_STREQ(caption, L"Profile 1");
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(world->model.working_profile_path)));
  // Flip 0: F1 can be clicked, D1 cannot.
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd(), 1010)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), 1016)));

  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(testing::PumpUntilPainted(hwnd()));
  EXPECT_TRUE(testing::CaptureWindow(hwnd(), testing::ShotFolder() + u"main_window_keyboard.bmp"));
}

TEST_F(MainWindowFixture, AKeyButtonShowsTheSelectedLookAfterItsRecordChanges) {
  StartOnKeyboard();
  CPngButton* a = window->button(kA);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->look(), ButtonLook::kNormal);
  EXPECT_EQ(a->tooltip_text(), u"A");
  // As the key editor reports a change.
  world->stores.edit.SetRecord(0, 0x1E, KeyGives(0x030));
  KeyEditorHost& host = window->key_editor_host();
  host.MarkChanged();
  host.RefreshKey(0, 0x1E);
  EXPECT_EQ(a->look(), ButtonLook::kSelected);
  EXPECT_EQ(a->tooltip_text(), u"A: reassigned (key: B)");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  host.SetEditingLook(kA, true);
  EXPECT_EQ(a->look(), ButtonLook::kPressed);
  host.SetEditingLook(kA, false);
  EXPECT_EQ(a->look(), ButtonLook::kSelected);
  EXPECT_TRUE(testing::PumpUntilPainted(hwnd()));
  EXPECT_TRUE(testing::CaptureWindow(a->hwnd(), testing::ShotFolder() + u"key_assigned.bmp"));
}

TEST_F(MainWindowFixture, ProfileButtonTwoMakesTheKeyboardsSecondProfileActive) {
  StartOnKeyboard();
  Click(1136);
  EXPECT_EQ(world->Memory().settings[10], 1);
  EXPECT_EQ(window->button(1136)->look(), ButtonLook::kSelected);
  EXPECT_EQ(window->button(1135)->look(), ButtonLook::kNormal);
  wchar_t caption[64] = L"";
  GetDlgItemTextW(hwnd(), kCmdProfiles, caption, 64);
  EXPECT_STREQ(caption, L"Profile 2");
}

TEST_F(MainWindowFixture, ReportRateButtonThreeWritesTwoIntoTheLightingProfilesRecord) {
  StartOnKeyboard();
  Click(1169);
  const int profile = world->lighting.state.lighting_profile;
  EXPECT_EQ(world->Memory().params[profile * 42 + 15], 2);
  EXPECT_EQ(window->button(1169)->look(), ButtonLook::kSelected);
  EXPECT_EQ(window->button(1147)->look(), ButtonLook::kNormal);
}

TEST_F(MainWindowFixture, AnImportThroughTheReplacedFilePickerWritesAllThreeKeyMaps) {
  StartOnKeyboard();
  KeyStore file;
  file.SetRecord(0, 0x1E, KeyGives(0x030));
  file.SetRecord(1, 0x1E, KeyGives(0x02E));
  file.SetRecord(2, 0x1E, KeyGives(0x020));
  const std::u16string path = world->folder + u"import.fwc";
  ASSERT_TRUE(ProfileFileWrite(path, file, true));
  picker.answers = {path};
  SendMessageW(hwnd(), WM_COMMAND, kCmdImport, 0);
  ASSERT_EQ(picker.requests.size(), 1u);
  EXPECT_FALSE(picker.requests[0].save);
  EXPECT_EQ(picker.requests[0].initial_name, u"*.fwc");
  EXPECT_EQ(KeyboardRecord(*world, 0, 0x1E), KeyGives(0x030));
  EXPECT_EQ(KeyboardRecord(*world, 1, 0x1E), KeyGives(0x02E));
  EXPECT_EQ(KeyboardRecord(*world, 2, 0x1E), KeyGives(0x020));
  EXPECT_EQ(window->button(kA)->look(), ButtonLook::kSelected);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  EXPECT_TRUE(boxes.shown.empty());

  // A cancelled dialog says nothing; a file that is no profile file says so.
  SendMessageW(hwnd(), WM_COMMAND, kCmdImport, 0);
  EXPECT_TRUE(boxes.shown.empty());
  const std::u16string junk = world->folder + u"junk.fwc";
  ASSERT_TRUE(testing::WriteFileBytes(junk, std::string(40000, 'x')));
  picker.answers = {junk};
  SendMessageW(hwnd(), WM_COMMAND, kCmdImport, 0);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1], u"MAIN_PROMPT_INPORT");
}

TEST_F(MainWindowFixture, ApplyShowsTheProgressStripWhileItWritesAndHidesItAfterwards) {
  StartOnKeyboard();
  world->keyboard.SetLatencyMs(20);  // ten frames: the write lasts well past 100 ms
  world->stores.edit.SetRecord(0, 0x1E, KeyGives(0x030));
  window->logic().SetModified(true);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  bool seen = false;
  int frames = 0, last = -1;
  testing::TimerDriver watch(
      [&] {
        if (window->busy_visible()) {
          seen = true;
          if (window->progress_frame() != last) ++frames, last = window->progress_frame();
        }
        return false;
      },
      10);
  Click(kCmdApply);  // returns when the write ended; the window kept working meanwhile
  world->keyboard.SetLatencyMs(0);
  EXPECT_TRUE(seen) << "the strip showed during the write";
  EXPECT_GE(frames, 2) << "and moved on";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  EXPECT_EQ(KeyboardRecord(*world, 0, 0x1E), KeyGives(0x030));
  EXPECT_TRUE(PumpUntil([&] { return !window->busy_visible(); }));
}

TEST_F(MainWindowFixture, APosted0x001EAppliesBeforeItIsDispatched) {
  StartOnKeyboard();
  world->stores.edit.SetRecord(0, 0x1E, KeyGives(0x030));
  window->logic().SetModified(true);
  MSG msg{hwnd(), kMainMsgPostedApply, 0, 0, 0, {}};
  EXPECT_FALSE(Win32Dialog::PreTranslateChain(msg)) << "the message goes on to its normal dispatch";
  EXPECT_FALSE(window->logic().modified());
  EXPECT_EQ(KeyboardRecord(*world, 0, 0x1E), KeyGives(0x030));
}

TEST_F(MainWindowFixture, RemovalClosesTheProfileManagerAndHidesTheWindow) {
  StartOnKeyboard();
  bool seen_open = false;
  testing::TimerDriver unplug([&] {
    CKeyloom_DlgProfile* dialog = window->profile_dialog();
    if (!dialog || !dialog->hwnd() || !IsWindowVisible(dialog->hwnd())) return false;
    seen_open = true;
    world->keyboard.Unplug();
    return true;
  });
  auto watchdog = ProfileDialogWatchdog();
  Click(kCmdProfiles);  // runs until the dialog closes
  EXPECT_TRUE(seen_open);
  EXPECT_EQ(window->profile_dialog(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd()); }));
  EXPECT_TRUE(PumpUntil([&] { return window->tray().icon_resource() == 128; }));
}

TEST_F(MainWindowFixture, QuitWhileTheKeyboardIsArrivingEndsPromptly) {
  UseKeyboard();
  Create();
  // Without pumping: the watcher reads the keyboard and then waits inside
  // its arrival message for this thread.
  const DWORD start = GetTickCount();
  auto settings_read_after_default_map = [&] {
    bool map = false;
    for (const CommandFrame& f : world->keyboard.Trace()) {
      if (f[frame::kCommand] == 15) map = true;
      if (map && f[frame::kCommand] == 3) return true;
    }
    return false;
  };
  while (!settings_read_after_default_map() && GetTickCount() - start < 10000) SwitchToThread();
  ASSERT_TRUE(settings_read_after_default_map());
  const DWORD quit = GetTickCount();
  SendMessageW(hwnd(), WM_COMMAND, kCmdExit, 0);
  EXPECT_LT(GetTickCount() - quit, 1000u);
  EXPECT_TRUE(window->logic().quitting());
  EXPECT_FALSE(window->keyboard_threads_running());
  EXPECT_TRUE(PumpUntil([&] { return window->hwnd() == nullptr; }));
}

}  // namespace
}  // namespace keyloom
