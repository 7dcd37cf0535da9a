// The main window's life apart from drawing: its tagged messages, the
// keyboard's arrival and removal, its timers and commands, Apply with its
// busy indicator and modified flag, import and export, the start-up hiding,
// the keys it swallows and the order in which Quit takes things down. The
// Win32 window (keyloom_dlg_win32.h) implements the view and forwards
// messages here.
//
// The parts it is made of: the keyboard view (keyboard_view.h), the profile
// and report-rate bar (profile_bar.h) and the profile manager's operations
// (ui/dialogs/profile_manager.h). The lighting panel and the key editor plug
// in through main_hooks.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "device/presence.h"
#include "ui/controls/file_picker.h"
#include "ui/dialogs/profile_manager.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/main_controls.h"
#include "ui/main/main_hooks.h"
#include "ui/main/main_model.h"
#include "ui/main/profile_bar.h"
#include "ui/main/tray_image.h"

namespace keyloom {

// Messages with a four-letter tag in the first parameter; a message whose
// tag differs is ignored.
inline constexpr unsigned kMainMsgInit = 0x4D4E;
inline constexpr uint32_t kMainTagInit = 0x494E4954;  // 'INIT'
inline constexpr unsigned kMainMsgOpen = 0x5350;
inline constexpr uint32_t kMainTagOpen = 0x4F50454E;  // 'OPEN'
inline constexpr unsigned kMainMsgKill = 0x4D4B;
inline constexpr uint32_t kMainTagKill = 0x4C4C494B;  // 'KILL'
inline constexpr unsigned kMainMsgLanguage = 0x5041;
inline constexpr uint32_t kMainTagLanguage = 0x4C414E47;  // 'LANG'
// Sent by the keyboard watcher: arrival (tag 'PROF') and removal (no tag).
inline constexpr unsigned kMainMsgArrival = 0x5452;
inline constexpr uint32_t kMainTagArrival = 0x50524F46;  // 'PROF'
inline constexpr unsigned kMainMsgRemoval = 0x4753;
// Posted to the main window's queue by anyone: runs Apply.
inline constexpr unsigned kMainMsgPostedApply = 0x001E;
// From the lighting panel's bitmap sliders: wParam control id, lParam position.
inline constexpr unsigned kMainMsgSlider = 0x28D1;
// The main window's user data, by which another copy finds it.
inline constexpr uint32_t kMainWindowTag = 0x4D41494E;  // 'MAIN'

// Commands.
inline constexpr int kCmdOk = 1;
inline constexpr int kCmdCancel = 2;
inline constexpr int kCmdApply = 1006;
inline constexpr int kCmdMacro = 1007;
inline constexpr int kCmdLogoLink = 1121;
inline constexpr int kCmdHelp = 1122;
inline constexpr int kCmdMinimize = 1123;
inline constexpr int kCmdClose = 1124;
inline constexpr int kCmdButtonMenu = 1139;
inline constexpr int kCmdLink0 = 1219;  // "Link"
inline constexpr int kCmdLink1 = 1220;  // "Link1"
inline constexpr int kCmdLink2 = 1221;  // "Link2"
inline constexpr int kCmdOpen = 32771;
inline constexpr int kCmdAbout = 32773;
inline constexpr int kCmdExit = 32774;
inline constexpr int kCmdImport = 32776;
inline constexpr int kCmdExport = 32777;
inline constexpr int kCmdMenuClose = 32779;
inline constexpr int kCmdFirmwareUpdate = 32780;
inline constexpr int kCmdLanguage = 32784;
// System-menu item appended after a separator.
inline constexpr unsigned kSysCmdAbout = 0x10;

// Resource ids of the main window.
inline constexpr int kMainDialogTemplate = 102;
inline constexpr int kAboutMenuString = 101;
inline constexpr int kButtonMenu = 144;
inline constexpr int kModeComboId = 1146;
inline constexpr int kProgressStripId = 1177;  // CONTROL_JDTStatic

// Timers of the main window.
inline constexpr int kProgressTimer = 1050;     // 50 ms: next progress-strip picture
inline constexpr int kProgressTimerMs = 50;
inline constexpr int kPreviewTimer = 1052;      // the lighting preview; 100 ms, then 50 ms
inline constexpr int kPreviewTimerFirstMs = 100;
inline constexpr int kPreviewTimerMs = 50;
inline constexpr int kBusyShowTimer = 1054;     // the progress strip appears 100 ms after Apply began
inline constexpr int kBusyHideTimer = 1055;     // ... and goes 100 ms after it ended
inline constexpr int kBusyDelayMs = 100;
inline constexpr int kArrowTimer = 1056;        // the two flip arrows change frame every second
inline constexpr int kArrowTimerMs = 1000;
// (1051 and 1053 are the keyboard's notifications, presence.h.)

// The progress strip's ten pictures "jdt1.bmp".."jdt10.bmp", shown in turn.
inline constexpr int kProgressFrames = 10;
std::u16string ProgressPictureName(int frame);  // frame 0..9

// 210 named events live as long as the window: "Keyloom_Event_Main_01" ..
// "Keyloom_Event_Main_210".
inline constexpr int kMainEventCount = 210;
std::u16string MainEventName(int number);

class MainWindowView : public MainControls, public MainPrompts, public ProfileMenuView {
 public:
  virtual void Hide() = 0;
  // Takes the tool-window style off, puts the application-window style on,
  // shows the window (restored when it was minimised) and brings it to the
  // foreground.
  virtual void ShowAsApplicationWindow() = 0;
  virtual void PostMinimize() = 0;
  virtual void TrackButtonMenu() = 0;
  // The profile menu at the cursor, the window brought to the foreground.
  virtual void TrackProfileMenu() = 0;
  virtual void ShowAbout() = 0;
  // The profile manager dialog, modally.
  virtual void ShowProfileManager() = 0;
  virtual void ShowFirmwareUpdate() = 0;
  virtual void OpenHelp() = 0;
  // The skin's web address "Link" (0), "Link1" (1) or "Link2" (2).
  virtual void OpenLink(int index) = 0;
  // Forwards 'LANG' to the About box, then relabels the window's own
  // controls in the language at `index`.
  virtual void ApplyLanguage(int index) = 0;
  // The language command: the tray tip in the current language, the whole
  // window repainted.
  virtual void RefreshTexts() = 0;
  // The keyboard went away: the About box and the profile manager close,
  // the focus returns to the main window.
  virtual void CloseDialogsForRemoval() = 0;

  // The busy indicator of Apply: the progress strip shows 100 ms after
  // BeginBusy and goes 100 ms after EndBusy.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // Runs `work` (device writes) and returns when it ended, keeping the
  // window painting and its timers running meanwhile. `work` must not touch
  // windows.
  virtual void RunWhileResponsive(const std::function<void()>& work) = 0;

  // Quit, in its order.
  virtual bool CloseEditors() = 0;  // the About box and the profile manager; false when one refuses
  // Stops the keyboard watcher and the notification reader, serving what
  // they send meanwhile, and returns when both have ended.
  virtual void StopKeyboardThreads() = 0;
  virtual void CloseInstanceMutex() = 0;
  virtual void CloseNamedEvents() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void ReleaseSkin() = 0;
  virtual void EndMainDialog() = 0;
};

// What the main window logic works with besides its view.
struct MainWindowServices {
  MainModel& model;
  PresenceState& presence;
  TrayImageState& tray;
  LightingPanel& panel;
  KeyEditorLauncher& editor;
  FilePicker& files;
};

class MainWindowLogic final : public MainApply {
 public:
  MainWindowLogic(MainWindowView& view, const MainWindowServices& services);

  // Creation, the parts that are decisions: the active profile unknown, an
  // empty edit store, nothing modified, the user data folder seeded, the
  // profile menu and the key buttons. The keyboard's arrival is handled
  // from the end of creation on; one that comes earlier waits for it.
  void OnCreating();
  void OnCreated();

  // A tagged message (INIT, OPEN, KILL, LANG, PROF) or the removal message;
  // nothing when the message is not one of them (its tag differs: result 0).
  // Returns the message result.
  std::optional<intptr_t> OnTaggedMessage(unsigned message, uint64_t tag, int64_t lparam);
  // A command; `notification` is the control's notification code (0 for
  // menus and clicks). True when it was handled.
  bool OnCommand(int id, int notification = 0);
  bool OnSystemCommand(unsigned id);
  // Timers 1051, 1052 and 1053; true when it was one of them. The view
  // stops one-shot timers before calling.
  bool OnTimer(int id);
  void OnSliderMessage(int control_id, int position) { panel_.OnSliderMoved(control_id, position); }
  // Called for each non-client paint: true while the window must hide itself
  // (the first two paints after creation).
  bool OnNonClientPaint();
  // Keys swallowed before dispatch: Enter and Escape always, the arrows while
  // the lighting-mode combo box has the focus.
  static bool SwallowsKey(unsigned message, unsigned virtual_key, bool mode_combo_focused);

  // The keyboard arrived ('PROF'): the edit store from the keyboard (or the
  // working file it holds), the profile buttons, the lighting read at
  // connection, the panel, the base-colour flags.
  void OnKeyboardArrived();
  // The keyboard went away: the dialogs close.
  void OnKeyboardRemoved();
  // Timer 1051: the keyboard changed its lighting.
  void OnLightingNotification();
  // Timer 1053: the keyboard changed its active profile.
  void OnProfileNotification();

  void Open();
  // Writes pending key and macro changes: the working profile file, then the
  // keyboard. The modified flag clears only when both succeeded. While an
  // Apply runs another one is not started.
  void Apply() override;
  void Import();
  void Export();
  // Ends the program unless an editor refuses to close; the window is hidden
  // first in any case. During an Apply it waits for the Apply to end.
  void Quit();

  // MainApply
  bool modified() const override { return modified_; }
  void SetModified(bool modified) override;

  bool started_hidden() const { return started_hidden_; }
  bool quitting() const { return quit_; }
  bool applying() const { return applying_; }
  int hide_count() const { return hide_count_; }

  KeyboardView& keyboard_view() { return keyboard_; }
  ProfileManager& profiles() { return profiles_; }
  ProfileBar& profile_bar() { return bar_; }
  MainModel& model() { return model_; }
  LightingPanel& panel() { return panel_; }
  KeyEditorLauncher& editor() { return editor_; }
  FilePicker& files() { return files_; }

 private:
  void ApplyLanguage(int index);
  void ReadLightingAtConnection();
  void RecomputeBaseColourFlags();
  void FreeKeyStores();
  // What was asked for while an Apply or an import was writing: the
  // keyboard's notifications, then Quit.
  void AfterWriting();

  MainWindowView& view_;
  MainModel& model_;
  PresenceState& presence_;
  TrayImageState& tray_;
  LightingPanel& panel_;
  KeyEditorLauncher& editor_;
  FilePicker& files_;
  KeyboardView keyboard_;
  ProfileManager profiles_;
  ProfileBar bar_;

  bool created_ = false;
  bool arrival_waiting_ = false;
  bool started_hidden_ = false;
  bool opened_ = false;
  bool modified_ = false;
  bool applying_ = false;
  bool quit_requested_ = false;
  bool lighting_notified_ = false;
  bool profile_notified_ = false;
  bool quit_ = false;
  int hide_count_ = 2;
};

}  // namespace keyloom
