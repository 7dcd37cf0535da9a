// A main window on the built program's resources and skin, over a simulated
// keyboard, with the shell, the message boxes, the questions and the file
// dialogs recorded or answered by the test, and a user data folder of its
// own (emptied first).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>

#include "base/clock.h"
#include "base/text.h"
#include "device/command_set.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_keyboard.h"
#include "storage/app_settings.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/lighting_view_file.h"
#include "storage/settings.h"
#include "storage/user_data.h"
#include "storage/working_profile.h"
#include "support/list_picker.h"
#include "ui/controls/picture_win32.h"
#include "ui/dialogs/profile_dlg_win32.h"
#include "ui/main/keyloom_dlg_win32.h"
#include "ui_test_support.h"

namespace keyloom::testing {

class RecordingBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::u16string_view key) override { shown.emplace_back(key); }
  void ShowText(std::u16string_view text) override { shown.emplace_back(text); }
  std::vector<std::u16string> shown;
};

// The records a program creates once, on a simulated keyboard of model B.
struct MainWindowWorld {
  explicit MainWindowWorld(const std::u16string& name)
      : keyboard(kModelB, clock),
        backend(&keyboard),
        link(backend, clock),
        commands(link),
        folder(TestFolder(name)),
        user_data(ini, Clean(folder + u"userdata"), ProgramFolder()),
        settings(ini, folder + u"application.ini"),
        lighting_view(ini, user_data.folder()),
        text_source(texts),
        model{link,     commands,      stores,        lighting,     flags,
              user_data, settings,     text_source,   lighting_view, WorkingProfilePath(user_data.folder())} {
    keyboard.Plug();
  }

  static std::u16string Clean(const std::u16string& path) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(path), ec);
    return path;
  }
  SimMemory Memory() const { return keyboard.Memory(); }

  SystemClock clock;
  SimKeyboard keyboard;
  SimHidBackend backend;
  KeyboardLink link;
  CommandSet commands;
  std::u16string folder;
  NativeIniService ini;
  KeyStores stores;
  LightingModel lighting;
  BaseColourFlags flags{};
  RegistrySettingsStore registry;
  LanguageTexts texts{ini, registry, ProgramFolder(), [] { return uint16_t{1033}; }};
  UserDataStore user_data;
  IniAppSettings settings;
  LightingViewFile lighting_view;
  LanguageTextSource text_source;
  MainModel model;
};

struct MainWindowFixture : ::testing::Test {
  // Without a keyboard and without the keyboard threads unless asked.
  void SetUp() override {
    resources = ProgramResources();
    ASSERT_NE(resources, nullptr) << "Keyloom.exe must be built beside the tests folder";
    const std::u16string program = ProgramFolder();
    world = std::make_unique<MainWindowWorld>(u"mainwindow");
    context = std::make_unique<MainWindowContext>(MainWindowContext{
        resources, world->ini, world->texts, presence, launcher, notifier, mutex, world->model, world->backend,
        program + u"Skins\\Main.ini", program + u"Skins\\", program + u"Help\\", program + u"Skins\\Profile.ini",
        &boxes, [this](std::u16string_view key) {
          asked.emplace_back(key);
          return answer;
        },
        &picker, false, [this] { ++silent_exits; }});
  }
  // With the keyboard plugged in and the threads that find it running.
  void UseKeyboard() { context->start_keyboard_threads = true; }
  void Unplugged() { world->keyboard.Unplug(); }

  void Create() {
    window = std::make_unique<CKeyloomDlg>(*context);
    ASSERT_NE(window->Create(), nullptr);
  }
  void Start() {
    Create();
    ASSERT_TRUE(PumpUntil([&] { return window->logic().started_hidden(); }));
  }
  // Started with the keyboard: the window has opened by itself.
  void StartOnKeyboard() {
    UseKeyboard();
    Start();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd()) != FALSE; }, 10000)) << "the window opens by itself";
  }
  void TearDown() override {
    window.reset();
    PumpPending();
  }
  HWND hwnd() const { return window->hwnd(); }
  // A click on a control, as its button reports it.
  void Click(int id) {
    HWND control = GetDlgItem(hwnd(), id);
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  }
  // Ends a profile manager that is still open after `ms` (a test that lost
  // its way must not hang the run).
  std::unique_ptr<TimerDriver> ProfileDialogWatchdog(DWORD ms = 10000) {
    return std::make_unique<TimerDriver>(
        [this, ms, start = GetTickCount()] {
          if (GetTickCount() - start < ms) return false;
          if (CKeyloom_DlgProfile* dialog = window->profile_dialog()) dialog->EndDialog(IDCANCEL);
          return true;
        },
        200);
  }
  size_t Count(DWORD message) const {
    size_t n = 0;
    for (const auto& c : notifier.calls) n += c.message == message;
    return n;
  }

  GdiplusSession graphics;
  HINSTANCE resources = nullptr;
  PresenceState presence;
  RecordingLauncher launcher;
  RecordingNotifier notifier;
  UniqueHandle mutex{CreateMutexW(nullptr, FALSE, nullptr)};
  RecordingBoxes boxes;
  ListPicker picker;
  std::vector<std::u16string> asked;
  bool answer = false;
  int silent_exits = 0;
  std::unique_ptr<MainWindowWorld> world;
  std::unique_ptr<MainWindowContext> context;
  std::unique_ptr<CKeyloomDlg> window;
};

}  // namespace keyloom::testing
