#include "ui/main/main_window_logic.h"

#include <algorithm>
#include <utility>
#include <mutex>
#include <vector>

#include "base/format.h"
#include "model/key_apply.h"
#include "storage/interrupted_apply.h"
#include "storage/message_boxes.h"
#include "storage/profile_file.h"

namespace keyloom {

namespace {

// Messages of work that ran off the window's thread, shown on it afterwards
// in their order.
class CollectedMessages final : public MessageBoxes {
 public:
  void ShowMessage(std::u16string_view key) override { shown_.push_back({true, std::u16string(key)}); }
  void ShowText(std::u16string_view text) override { shown_.push_back({false, std::u16string(text)}); }
  // Finished texts have no window of their own to go to: they are shown
  // through `text`.
  void Replay(MainPrompts& prompts, const std::function<void(const std::u16string&)>& text) const {
    for (const auto& [is_key, value] : shown_) {
      if (is_key) {
        prompts.ShowMessage(value);
      } else if (text) {
        text(value);
      }
    }
  }

 private:
  std::vector<std::pair<bool, std::u16string>> shown_;
};

}  // namespace

std::u16string MainEventName(int number) {
  std::u16string name = u"Keyloom_Event_Main_";
  const std::string digits = (number < 10 && number >= 0 ? "0" : "") + std::to_string(number);
  name.append(digits.begin(), digits.end());
  return name;
}

std::u16string ProgressPictureName(int frame) {
  return FormatText(u"jdt%d", std::clamp(frame, 0, kProgressFrames - 1) + 1) + u".bmp";
}

MainWindowLogic::MainWindowLogic(MainWindowView& view, const MainWindowServices& services)
    : view_(view),
      model_(services.model),
      presence_(services.presence),
      tray_(services.tray),
      panel_(services.panel),
      editor_(services.editor),
      files_(services.files),
      keyboard_(view, services.model, services.panel, services.editor),
      profiles_(services.model, view, view, view, keyboard_, services.editor, *this),
      bar_(services.model, view, view, services.panel, keyboard_, profiles_) {}

void MainWindowLogic::OnCreating() {
  model_.link.active_profile_cache = -1;
  {
    KeyStore& edit = model_.stores.edit;
    std::lock_guard lock(edit.mutex);
    edit.macros.clear();
    edit.slots.assign(kKeyRecordCount, StringSlot{});
    edit.text_size = 0;
    NewProfileFile(u"", 0, &edit);
  }
  SetModified(false);
}

void MainWindowLogic::OnCreated() {
  model_.user_data.SeedUserDataFolder();
  profiles_.RebuildProfileMenu();
  keyboard_.ShowAssignments();
  created_ = true;
  if (arrival_waiting_) {
    arrival_waiting_ = false;
    OnKeyboardArrived();
  }
}

std::optional<intptr_t> MainWindowLogic::OnTaggedMessage(unsigned message, uint64_t tag, int64_t lparam) {
  switch (message) {
    case kMainMsgInit:
      if (tag != kMainTagInit) return 0;
      started_hidden_ = true;
      // A window opened before its queue first ran (the keyboard was there
      // at start) stays open.
      if (!opened_) view_.Hide();
      return 0;
    case kMainMsgOpen:
      if (tag != kMainTagOpen) return 0;
      Open();
      view_.RunUpdateCheck();
      return 0;
    case kMainMsgKill:
      if (tag != kMainTagKill) return 0;
      Quit();
      return 0;
    case kMainMsgLanguage:
      if (tag != kMainTagLanguage) return 0;
      ApplyLanguage(static_cast<int>(lparam));
      return 0;
    case kMainMsgArrival:
      if (tag != kMainTagArrival) return 0;
      OnKeyboardArrived();
      return 0;
    case kMainMsgRemoval:
      OnKeyboardRemoved();
      return 0;
    default:
      return std::nullopt;
  }
}

void MainWindowLogic::Open() {
  if (presence_.last_reported) {
    // An explicit show ends the start-up hiding: a show that comes before
    // the window has had both its start-up paints must stay shown.
    hide_count_ = 0;
    opened_ = true;
    view_.ShowAsApplicationWindow();
  } else {
    view_.ShowMessage(u"MAIN_NO_DEVICE_PROMPT");
  }
}

void MainWindowLogic::SetModified(bool modified) {
  modified_ = modified;
  view_.SetEnabled(kCmdApply, modified);
}

bool MainWindowLogic::OnCommand(int id, int notification) {
  if (applying_) {
    // Nothing starts while an Apply writes; quitting waits for its end.
    if (id == kCmdClose || id == kCmdExit || id == kCmdMenuClose) quit_requested_ = true;
    return true;
  }
  if (notification == 0) {
    switch (id) {
      case kCmdOk:
        Apply();
        view_.Hide();
        return true;
      case kCmdCancel: view_.Hide(); return true;
      case kCmdProfiles: {
        const int active = model_.commands.GetActiveProfile();
        view_.ShowProfileManager();
        // The dialog's Apply may have made another profile active: the bar
        // and the lighting follow it.
        if (model_.commands.GetActiveProfile() != active) {
          bar_.ShowActiveProfile();
          bar_.ReadAndShowLighting();
        }
        TellProfileIfChanged();
        return true;
      }
      case kCmdApply: Apply(); return true;
      case kCmdMacro:
        editor_.OpenMacroPage();
        keyboard_.Redraw();
        return true;
      case kCmdProfileMenu: view_.TrackProfileMenu(); return true;
      case kCmdLogoLink:
      case kCmdLink0: view_.OpenLink(0); return true;
      case kCmdLink1: view_.OpenLink(1); return true;
      case kCmdLink2: view_.OpenLink(2); return true;
      case kCmdHelp: view_.OpenHelp(); return true;
      case kCmdMinimize: view_.PostMinimize(); return true;
      case kCmdClose:
      case kCmdExit:
      case kCmdMenuClose: Quit(); return true;
      case kCmdButtonMenu: view_.TrackButtonMenu(); return true;
      case kCmdOpen: Open(); return true;
      case kCmdAbout: view_.ShowAbout(); return true;
      case kCmdImport: Import(); return true;
      case kCmdExport: Export(); return true;
      case kCmdFirmwareUpdate: view_.ShowFirmwareUpdate(); return true;
      case kCmdLanguage:
        if (model_.lighting_view_setting.StoredLightingView() == 1) model_.lighting.state.lighting_view = true;
        bar_.ShowLighting();
        view_.RefreshTexts();
        return true;
      default: break;
    }
    if (profiles_.OnMenuCommand(id) || keyboard_.OnFlipCommand(id) || bar_.OnCommand(id) ||
        keyboard_.OnClick(id)) {
      TellProfileIfChanged();
      return true;
    }
  }
  return panel_.OnCommand(id, notification);
}

bool MainWindowLogic::OnSystemCommand(unsigned id) {
  if (id != kSysCmdAbout) return false;
  view_.ShowAbout();
  return true;
}

bool MainWindowLogic::OnTimer(int id) {
  switch (id) {
    case kTimerLightingChanged:
    case kTimerProfileChanged:
      // The keyboard is not asked while an Apply writes to it: the
      // notification is handled when the write has ended.
      if (applying_) {
        (id == kTimerLightingChanged ? lighting_notified_ : profile_notified_) = true;
      } else if (id == kTimerLightingChanged) {
        OnLightingNotification();
      } else {
        OnProfileNotification();
      }
      return true;
    case kPreviewTimer:
      if (panel_.LightingViewOn()) {
        panel_.OnPreviewTick();
      } else {
        panel_.OnPreviewTimerIdle();
      }
      return true;
    default: return false;
  }
}

bool MainWindowLogic::OnNonClientPaint() {
  if (hide_count_ <= 0) return false;
  --hide_count_;
  return true;
}

bool MainWindowLogic::SwallowsKey(unsigned message, unsigned virtual_key, bool mode_combo_focused) {
  constexpr unsigned kKeyDown = 0x0100, kKeyUp = 0x0101;
  constexpr unsigned kReturn = 0x0D, kEscape = 0x1B, kLeft = 0x25, kDown = 0x28;
  if (message != kKeyDown && message != kKeyUp) return false;
  if (virtual_key == kReturn || virtual_key == kEscape) return true;
  return mode_combo_focused && virtual_key >= kLeft && virtual_key <= kDown;
}

void MainWindowLogic::ApplyLanguage(int index) {
  view_.ApplyLanguage(index);
  editor_.OnLanguage(index);
  panel_.OnLanguage(index);
  keyboard_.Redraw();
  profiles_.RebuildProfileMenu();
}

// --- the keyboard ---

void MainWindowLogic::OnKeyboardArrived() {
  if (quit_) return;  // releases the watcher at once: the threads are stopping
  if (!created_) {
    arrival_waiting_ = true;
    return;
  }
  // An apply that a kill or an unplug cut short is finished first: read
  // back, the half-written keyboard would become the working file.
  CollectedMessages messages;
  const InterruptedApply finished =
      FinishInterruptedApply(model_.working_profile_path, model_.stores, model_.commands, messages);
  if (finished == InterruptedApply::kNone) {
    profiles_.LoadFromKeyboard(false);
  } else {
    profiles_.RefreshAfterSwitch();
    SetModified(finished == InterruptedApply::kFailed);
    messages.Replay(view_, nullptr);
    if (finished == InterruptedApply::kFailed) view_.ShowMessage(u"MAIN_PROMPT_APPLY_UNFINISHED");
  }
  bar_.ShowActiveProfile();
  profiles_.RebuildProfileMenu();
  ReadLightingAtConnection();
  bar_.ShowLighting();
  if (model_.connected()) RecomputeBaseColourFlags();
  TellProfileIfChanged();
}

void MainWindowLogic::TellProfileIfChanged() {
  const int p = model_.link.active_profile_cache;
  if (!IsValidLightingProfile(p) || p == told_profile_) return;
  if (told_profile_ != -1) view_.TellProfileChanged(p);
  told_profile_ = p;
}

void MainWindowLogic::ReadLightingAtConnection() {
  LightingModel& lighting = model_.lighting;
  CommandSet& commands = model_.commands;
  std::fill_n(lighting.settings.begin() + kModeListOffset, kModeSlots, uint8_t{0});
  std::array<uint8_t, kSettingsBlockSize> settings{};
  if (commands.ReadSettings(settings) != kResultOk) return;
  lighting.settings = settings;

  // The keyboard is told once per connection, inside a doubled begin, that
  // profile 0's byte 19 is 1.
  commands.BeginExchange();
  commands.BeginExchange();
  const uint8_t one[1] = {1};
  commands.WriteParams(lighting_field::kTrigger, one);
  commands.EndExchange();

  if (model_.connected()) {
    model_.user_data.LoadUserMode(lighting, model_.base_colour_flags, commands, true);
    panel_.OnUserModesLoaded();
  }

  for (int profile = 0; profile < kLightingProfiles; ++profile) {
    const int offset = profile * kLightingRecordSize;
    std::array<uint8_t, kFrameData> answer{};
    if (commands.ReadParams(offset, static_cast<int>(kFrameData), answer) == kResultOk)
      std::copy_n(answer.begin(), kLightingRecordSize, lighting.records.begin() + offset);
  }
  commands.EndExchange();
  const int p = lighting.state.lighting_profile;
  if (IsValidLightingProfile(p)) {
    DecodeLightingRecord(std::span<const uint8_t, kLightingRecordSize>(lighting.records.data() + p * kLightingRecordSize,
                                                                       kLightingRecordSize),
                         lighting.state);
  }
  if (model_.lighting_view_setting.StoredLightingView() == 1) lighting.state.lighting_view = true;
}

void MainWindowLogic::RecomputeBaseColourFlags() {
  const LightingModel& lighting = model_.lighting;
  const Colour base = lighting.state.base_colour;
  auto follows = [&](int profile, int led) {
    return ColourFromBytes(lighting.key_colours.data() + profile * kKeyColourBlockSize + led * 3) == base;
  };
  for (int p = 0; p < kLightingProfiles; ++p) {
    auto& flags = model_.base_colour_flags[p];
    for (int i = 0; i < kMainKeyButtonCount; ++i) flags[i] = follows(p, kMainKeyButtons[i].led) ? 1 : 0;
    for (int j = 0; j < kGKeyCount; ++j) flags[kGKeySlot0 + j] = follows(p, kGKeyLed) ? 1 : 0;
    flags[kFnSlot] = follows(p, kFnLed) ? 1 : 0;
  }
}

void MainWindowLogic::OnKeyboardRemoved() {
  view_.CloseDialogsForRemoval();
  editor_.Close();
}

void MainWindowLogic::OnLightingNotification() { bar_.ReadAndShowLighting(); }

void MainWindowLogic::OnProfileNotification() {
  // The keyboard switched its profile itself: the cache does not know.
  std::array<uint8_t, kSettingsBlockSize> settings{};
  if (model_.commands.ReadSettings(settings) != kResultOk) return;
  const int p = settings[10];
  if (!IsValidLightingProfile(p)) return;
  model_.link.active_profile_cache = p;
  TellProfileIfChanged();
  LightingModel& lighting = model_.lighting;
  lighting.state.lighting_profile = p;
  if (panel_.LightingViewOn()) panel_.TurnLightingViewOff();
  if (profiles_.SwitchProfile(p)) {
    bar_.ShowActiveProfile();
    if (model_.connected()) {
      // Every profile's user mode into memory; only the lighting profile's
      // is on the keyboard already.
      for (int q = 0; q < kLightingProfiles; ++q) {
        lighting.state.lighting_profile = q;
        model_.user_data.LoadUserMode(lighting, model_.base_colour_flags, model_.commands, false);
      }
      lighting.state.lighting_profile = p;
    }
  }
  bar_.ReadAndShowLighting();
  bar_.SelectProfile(p);
}

// --- Apply, import, export ---

void MainWindowLogic::Apply() {
  if (applying_) return;
  applying_ = true;
  view_.BeginBusy();
  bool ok = true;
  if (modified_) {
    CollectedMessages messages;
    view_.RunWhileResponsive([&] {
      std::lock_guard lock(model_.stores.edit.mutex);
      ok = SaveAndApply(model_.working_profile_path, model_.stores, model_.commands, messages);
    });
    messages.Replay(view_, nullptr);
  }
  view_.EndBusy();
  if (modified_ && ok) SetModified(false);
  applying_ = false;
  AfterWriting();
}

void MainWindowLogic::AfterWriting() {
  if (std::exchange(profile_notified_, false)) {
    lighting_notified_ = false;  // the profile's handling reads the lighting too
    OnProfileNotification();
  }
  if (std::exchange(lighting_notified_, false)) OnLightingNotification();
  if (std::exchange(quit_requested_, false)) Quit();
}

// The file dialog of Import (open) and Export (save, asking before it
// overwrites a file).
static FileDialogRequest ProfileFileRequest(bool save) {
  FileDialogRequest request;
  request.save = save;
  request.default_extension = kProfileFileExtension;
  request.filter = kProfileFileFilter;
  request.initial_name = u"*.fwc";
  request.hide_read_only = true;
  request.ask_before_overwrite = save;
  return request;
}

void MainWindowLogic::Import() {
  const auto path = files_.Choose(ProfileFileRequest(false));
  if (!path) return;  // cancelled: nothing to report

  CollectedMessages messages;
  ProfileImportContext context{model_.stores, model_.commands, model_.texts, messages,
                               model_.working_profile_path, nullptr};
  bool loaded = false;
  applying_ = true;
  view_.BeginBusy();
  // What the keyboard holds is kept before the file replaces it.
  if (profiles_.BackUpKeyboard([this](const std::function<void()>& work) { view_.RunWhileResponsive(work); }))
    view_.RunWhileResponsive([&] { loaded = ImportProfileFile(*path, context); });
  view_.EndBusy();
  applying_ = false;
  messages.Replay(view_, [this](const std::u16string& text) { view_.ShowText(text); });
  keyboard_.Redraw();
  // A file that loaded but did not reach the keyboard is still pending.
  if (loaded) SetModified(!context.applied);
  AfterWriting();
}

void MainWindowLogic::Export() {
  const auto path = files_.Choose(ProfileFileRequest(true));
  if (!path) return;
  if (!ExportProfileFile(*path, model_.stores.edit)) view_.ShowMessage(u"MAIN_PROMPT_EXPORT");
}

// --- Quit ---

void MainWindowLogic::FreeKeyStores() {
  std::lock_guard edit_lock(model_.stores.edit.mutex);
  std::lock_guard applied_lock(model_.stores.applied.mutex);
  for (KeyStore* store : {&model_.stores.edit, &model_.stores.applied}) {
    store->macros.clear();
    store->macros.shrink_to_fit();
    store->slots.assign(store->slots.size(), StringSlot{});
    store->text_size = 0;
    store->text_pool.clear();
  }
}

void MainWindowLogic::Quit() {
  if (applying_) {
    quit_requested_ = true;  // the Apply ends first
    return;
  }
  view_.Hide();
  if (!view_.CloseEditors() || !editor_.Close()) return;
  quit_ = true;
  view_.StopKeyboardThreads();
  view_.CloseInstanceMutex();
  editor_.StopRecording();
  view_.CloseNamedEvents();
  view_.RemoveTrayIcon();
  tray_.Reset();
  modified_ = false;
  FreeKeyStores();
  view_.ReleaseSkin();
  view_.EndMainDialog();
}

}  // namespace keyloom
