// The main window's logic on a simulated keyboard, for tests: a recording
// view that keeps every control's state, a lighting panel and a key editor
// that record what they are asked, a file picker that answers from a list,
// and a user data folder of its own.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "storage/ini.h"
#include "storage/persist_support.h"
#include "storage/user_data.h"
#include "storage/working_profile.h"
#include "support/list_picker.h"
#include "support/sim_stack.h"
#include "ui/dialogs/profile_dialog_logic.h"
#include "ui/main/main_window_logic.h"

namespace keyloom::testing {

inline std::string Narrow(std::u16string_view s) { return Utf16ToUtf8(s); }

// "command@offset+length" for each frame.
inline std::vector<std::string> FrameSummary(const std::vector<CommandFrame>& frames) {
  std::vector<std::string> out;
  for (const CommandFrame& f : frames) {
    out.push_back(std::to_string(f[frame::kCommand]) + "@" + std::to_string(LoadU16(&f[frame::kOffset])) + "+" +
                  std::to_string(f[frame::kLength]));
  }
  return out;
}
// The commands alone.
inline std::vector<int> FrameCommands(const std::vector<CommandFrame>& frames) {
  std::vector<int> out;
  for (const CommandFrame& f : frames) out.push_back(f[frame::kCommand]);
  return out;
}

struct ControlState {
  bool enabled = true;
  bool selected = false;
  bool visible = true;
  std::u16string tooltip;
  std::u16string caption;
};

class RecordingView final : public MainWindowView {
 public:
  // Controls.
  void SetEnabled(int id, bool enabled) override { controls[id].enabled = enabled; }
  void SetSelected(int id, bool selected) override { controls[id].selected = selected; }
  void SetTooltip(int id, std::u16string_view text) override { controls[id].tooltip = text; }
  void SetCaption(int id, std::u16string_view text) override { controls[id].caption = text; }
  void SetVisible(int id, bool visible) override { controls[id].visible = visible; }
  void Redraw(int) override {}
  // Prompts: questions take the next answer (No when none is left).
  void ShowMessage(std::u16string_view key) override { Add("message " + Narrow(key)); }
  void ShowText(std::u16string_view text) override { Add("text " + Narrow(text)); }
  bool AskYesNo(std::u16string_view key) override {
    Add("ask " + Narrow(key));
    if (while_asking) {
      auto during = std::move(while_asking);
      during();
    }
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void SetProfileMenu(const ProfileMenu& m) override { menu = m; }
  // Window.
  void Hide() override { Add("hide"); }
  void ShowAsApplicationWindow() override { Add("show"); }
  void PostMinimize() override { Add("minimize"); }
  void TrackButtonMenu() override { Add("button menu"); }
  void TrackProfileMenu() override { Add("profile menu"); }
  void ShowAbout() override { Add("about"); }
  void ShowProfileManager() override {
    Add("profile manager");
    if (on_profile_manager) on_profile_manager();
  }
  void ShowFirmwareUpdate() override { Add("firmware"); }
  void RunUpdateCheck() override { Add("update check"); }
  // Kept apart from `calls`: most tests do not look for them.
  void TellProfileChanged(int profile) override { told_profiles.push_back(profile); }
  void OpenHelp() override { Add("help"); }
  void OpenLink(int index) override { Add("link " + std::to_string(index)); }
  void ApplyLanguage(int index) override { Add("language " + std::to_string(index)); }
  void RefreshTexts() override { Add("refresh texts"); }
  void CloseDialogsForRemoval() override { Add("close dialogs"); }
  void BeginBusy() override { Add("busy on"); }
  void EndBusy() override { Add("busy off"); }
  // The window keeps handling messages while `work` runs: `while_working`
  // stands for them.
  void RunWhileResponsive(const std::function<void()>& work) override {
    if (while_working) while_working();
    work();
  }
  bool CloseEditors() override {
    Add("close editors");
    return editors_close;
  }
  void StopKeyboardThreads() override {
    Add("stop threads");
    if (stop_threads) stop_threads();
  }
  void CloseInstanceMutex() override { Add("close mutex"); }
  void CloseNamedEvents() override { Add("close events"); }
  void RemoveTrayIcon() override { Add("remove tray"); }
  void ReleaseSkin() override { Add("release skin"); }
  void EndMainDialog() override { Add("end"); }

  void Add(std::string call) { calls.push_back(std::move(call)); }
  bool Called(const std::string& call) const {
    for (const auto& c : calls)
      if (c == call) return true;
    return false;
  }
  // Which of `ids` shows the selected look; -1 for none, -2 for several.
  template <typename Ids>
  int SelectedOf(const Ids& ids) const {
    int found = -1;
    for (size_t i = 0; i < ids.size(); ++i) {
      auto it = controls.find(ids[i]);
      if (it != controls.end() && it->second.selected) found = found == -1 ? static_cast<int>(i) : -2;
    }
    return found;
  }
  bool Selected(int id) const {
    auto it = controls.find(id);
    return it != controls.end() && it->second.selected;
  }
  bool Enabled(int id) const {
    auto it = controls.find(id);
    return it == controls.end() || it->second.enabled;
  }

  std::map<int, ControlState> controls;
  std::vector<std::string> calls;
  std::vector<int> told_profiles;
  std::deque<bool> answers;
  std::function<void()> while_asking;
  std::function<void()> on_profile_manager;
  std::function<void()> stop_threads;
  std::function<void()> while_working;
  bool editors_close = true;
  ProfileMenu menu;
};

class RecordingPanel final : public LightingPanel {
 public:
  void Initialise() override { calls.push_back("initialise"); }
  void RefreshFromModel() override { calls.push_back("refresh"); }
  void OnUserModesLoaded() override { calls.push_back("user modes"); }
  void ResetToDefaults() override { calls.push_back("defaults"); }
  void OnSliderMoved(int id, int position) override {
    calls.push_back("slider " + std::to_string(id) + " " + std::to_string(position));
  }
  void OnPreviewTick() override { calls.push_back("tick"); }
  void OnPreviewTimerIdle() override { calls.push_back("idle"); }
  bool OnCommand(int id, int notification) override {
    calls.push_back("command " + std::to_string(id) + " " + std::to_string(notification));
    return id >= 1146 && id <= 1223;
  }
  void OnLanguage(int index) override { calls.push_back("language " + std::to_string(index)); }
  bool LightingViewOn() const override { return view_on; }
  void TurnLightingViewOff() override {
    calls.push_back("view off");
    view_on = false;
  }
  void PaintKey(int id, int led) override { calls.push_back("paint " + std::to_string(id) + " " + std::to_string(led)); }

  bool view_on = false;
  std::vector<std::string> calls;
};

class RecordingEditor final : public KeyEditorLauncher {
 public:
  void OpenForButton(uint16_t key_index, int control_id) override {
    calls.push_back("open " + std::to_string(key_index) + " " + std::to_string(control_id));
    if (on_open) on_open(key_index);
  }
  bool IsOpen() const override { return open; }
  bool Close() override {
    calls.push_back("close");
    if (refuse_close) return false;
    open = false;
    return true;
  }
  void StopRecording() override { calls.push_back("stop recording"); }
  void OnLanguage(int index) override { calls.push_back("language " + std::to_string(index)); }

  bool open = false;
  bool refuse_close = false;
  std::function<void(uint16_t)> on_open;
  std::vector<std::string> calls;
};

// The English language file's texts, with some replaced by the test. The
// file does not change while the tests run: each text is read once.
class EnglishTexts final : public TextSource {
 public:
  std::u16string Text(std::u16string_view key) const override {
    if (auto it = replaced.find(key); it != replaced.end()) return it->second;
    auto it = read_.find(key);
    if (it == read_.end()) it = read_.emplace(std::u16string(key), ini_.GetString(file_, u"TEXT", key, u"#Error", 260)).first;
    return it->second;
  }
  std::map<std::u16string, std::u16string, std::less<>> replaced;

 private:
  PortableIniService ini_;
  std::u16string file_ = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets/Lang0409.ini");
  mutable std::map<std::u16string, std::u16string, std::less<>> read_;
};

class FixedViewSetting final : public LightingViewSetting {
 public:
  int StoredLightingView() const override { return value; }
  int value = 0;
};

inline const std::u16string& AssetsFolder() {
  static const std::u16string folder = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets");
  return folder;
}

// A Default record is all zero; these make the others.
inline KeyRecord Assigned(KeyType type, uint32_t value) {
  KeyRecord r;
  r.type = static_cast<uint16_t>(type);
  r.value = value;
  return r;
}

// Everything a main window works with, on simulated keyboard `model`
// (connected unless asked otherwise), with the texts the tests look for.
struct MainWorld {
  explicit MainWorld(char keyboard_model = 'B', bool connect = true)
      : sim(keyboard_model, connect),
        user_data(ini, (dir.path() / "Valdric RGB Mechanical Keyboard").u16string(), AssetsFolder()),
        settings(ini, dir.File("application.ini")),
        model{sim.link,  sim.commands, stores,       lighting,
              flags,     user_data,    settings,     texts,
              view_setting, WorkingProfilePath(user_data.folder())},
        logic(view, MainWindowServices{model, presence, tray, panel, editor, files}) {
    // The folder separator of this platform.
    texts.replaced[u"PROFILE_NEW"] = u"/New Profile";
  }

  // Creation, as the window runs it (without its Win32 steps).
  void Create() {
    logic.OnCreating();
    logic.OnCreated();
  }
  // The keyboard arrives as the watcher reports it: the default key map and
  // the settings block read, then 'PROF' sent. `frames` is called between
  // the two (to clear the trace, for example).
  void Arrive(const std::function<void()>& frames = nullptr) {
    std::array<uint8_t, kMaxKeyMapSize> matrix{};
    const size_t size = static_cast<size_t>(sim.link.keymap_size.load());
    if (sim.commands.ReadDefaultKeyMap(std::span(matrix).first(size)) == kResultOk)
      sim.link.SetDefaultMatrix(std::span(matrix).first(size));
    std::array<uint8_t, kSettingsSize> settings_block{};
    if (sim.commands.ReadSettings(settings_block) == kResultOk) sim.link.macro_capacity = settings_block[11] * 128;
    if (frames) frames();
    presence.last_reported = 1;
    logic.OnTaggedMessage(kMainMsgArrival, kMainTagArrival, 0);
  }
  // Unplugged and plugged in again; the watcher's bookkeeping included.
  // `frames` as with Arrive.
  void Replug(const std::function<void()>& frames = nullptr) {
    sim.keyboard.Unplug();
    sim.link.connected = 0;
    sim.link.active_profile_cache = -1;
    presence.last_reported = 0;
    logic.OnTaggedMessage(kMainMsgRemoval, 0, 0);
    sim.keyboard.Plug();
    sim.link.hid.Close();
    sim.Connect();
    Arrive(frames);
  }
  std::vector<std::string> Sent() const { return FrameSummary(sim.Frames()); }
  void ClearFrames() { sim.keyboard.ClearTrace(); }
  SimMemory Memory() const { return sim.keyboard.Memory(); }

  SimStack sim;
  persist_test::TempDir dir;
  PortableIniService ini;
  KeyStores stores;
  LightingModel lighting;
  BaseColourFlags flags{};
  UserDataStore user_data;
  IniAppSettings settings;
  EnglishTexts texts;
  FixedViewSetting view_setting;
  MainModel model;
  PresenceState presence;
  TrayImageState tray;
  RecordingView view;
  RecordingPanel panel;
  RecordingEditor editor;
  ListPicker files;
  MainWindowLogic logic;
};

}  // namespace keyloom::testing
