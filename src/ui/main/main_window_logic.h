// The main window's life apart from drawing: its tagged messages, its
// commands, the start-up hiding, the keys it swallows and the order in which
// Quit takes things down. The Win32 window (keyloom_dlg_win32.h) implements
// the view and forwards messages here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "device/presence.h"
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
// The main window's user data, by which another copy finds it.
inline constexpr uint32_t kMainWindowTag = 0x4D41494E;  // 'MAIN'

// Commands.
inline constexpr int kCmdOk = 1;
inline constexpr int kCmdCancel = 2;
inline constexpr int kCmdApply = 1006;
inline constexpr int kCmdHelp = 1122;
inline constexpr int kCmdMinimize = 1123;
inline constexpr int kCmdClose = 1124;
inline constexpr int kCmdButtonMenu = 1139;
inline constexpr int kCmdOpen = 32771;
inline constexpr int kCmdAbout = 32773;
inline constexpr int kCmdExit = 32774;
inline constexpr int kCmdImport = 32776;
inline constexpr int kCmdExport = 32777;
inline constexpr int kCmdMenuClose = 32779;
// System-menu item appended after a separator.
inline constexpr unsigned kSysCmdAbout = 0x10;

// Resource ids of the main window.
inline constexpr int kMainDialogTemplate = 102;
inline constexpr int kAboutMenuString = 101;
inline constexpr int kButtonMenu = 144;
inline constexpr int kPreviewTimer = 1052;
inline constexpr int kPreviewTimerFirstMs = 100;
inline constexpr int kPreviewTimerMs = 50;
inline constexpr int kModeComboId = 1146;

// 210 named events live as long as the window: "Keyloom_Event_Main_01" ..
// "Keyloom_Event_Main_210".
inline constexpr int kMainEventCount = 210;
std::u16string MainEventName(int number);

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void Hide() = 0;
  // Takes the tool-window style off, puts the application-window style on,
  // shows the window and brings it to the foreground.
  virtual void ShowAsApplicationWindow() = 0;
  // A language text in a message box with an OK button.
  virtual void ShowMessage(std::u16string_view text_key) = 0;
  virtual void PostMinimize() = 0;
  virtual void TrackButtonMenu() = 0;
  virtual void ShowAbout() = 0;
  virtual void OpenHelp() = 0;
  virtual void Apply() = 0;
  // Forwards 'LANG' to the About box and the key editor, then relabels the
  // window in the language at `index`.
  virtual void ApplyLanguage(int index) = 0;
  // Quit, in its order.
  virtual bool CloseEditors() = 0;  // false when one of them refuses
  virtual void CloseInstanceMutex() = 0;
  virtual void StopMacroRecording() = 0;
  virtual void CloseNamedEvents() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void FreeKeyStores() = 0;
  virtual void ReleaseSkin() = 0;
  virtual void EndMainDialog() = 0;
};

class MainWindowLogic {
 public:
  MainWindowLogic(MainWindowView& view, PresenceState& presence, TrayImageState& tray)
      : view_(view), presence_(presence), tray_(tray) {}

  // A tagged message (INIT, OPEN, KILL, LANG); nothing when the message is
  // not one of them or its tag differs. Returns the message result.
  std::optional<intptr_t> OnTaggedMessage(unsigned message, uint64_t tag, int64_t lparam);
  // True when the command was the main window's.
  bool OnCommand(int id);
  bool OnSystemCommand(unsigned id);
  // Called for each non-client paint: true while the window must hide itself
  // (the first two paints after creation).
  bool OnNonClientPaint();
  // Keys swallowed before dispatch: Enter and Escape always, the arrows while
  // the lighting-mode combo box has the focus.
  static bool SwallowsKey(unsigned message, unsigned virtual_key, bool mode_combo_focused);

  void Open();
  // Ends the program unless an editor refuses to close; the window is hidden
  // first in any case.
  void Quit();

  bool started_hidden() const { return started_hidden_; }
  bool quitting() const { return quit_; }
  int hide_count() const { return hide_count_; }
  bool modified() const { return modified_; }
  void set_modified(bool modified) { modified_ = modified; }

 private:
  MainWindowView& view_;
  PresenceState& presence_;
  TrayImageState& tray_;
  bool started_hidden_ = false;
  bool modified_ = false;
  bool quit_ = false;
  int hide_count_ = 2;
};

}  // namespace keyloom
