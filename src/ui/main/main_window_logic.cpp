#include "ui/main/main_window_logic.h"

namespace keyloom {

std::u16string MainEventName(int number) {
  std::u16string name = u"Keyloom_Event_Main_";
  const std::string digits = (number < 10 && number >= 0 ? "0" : "") + std::to_string(number);
  name.append(digits.begin(), digits.end());
  return name;
}

std::optional<intptr_t> MainWindowLogic::OnTaggedMessage(unsigned message, uint64_t tag, int64_t lparam) {
  switch (message) {
    case kMainMsgInit:
      if (tag != kMainTagInit) return 0;
      started_hidden_ = true;
      view_.Hide();
      return 0;
    case kMainMsgOpen:
      if (tag != kMainTagOpen) return 0;
      Open();
      return 0;
    case kMainMsgKill:
      if (tag != kMainTagKill) return 0;
      Quit();
      return 0;
    case kMainMsgLanguage:
      if (tag != kMainTagLanguage) return 0;
      view_.ApplyLanguage(static_cast<int>(lparam));
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
    view_.ShowAsApplicationWindow();
  } else {
    view_.ShowMessage(u"MAIN_NO_DEVICE_PROMPT");
  }
}

bool MainWindowLogic::OnCommand(int id) {
  switch (id) {
    case kCmdOk:
      view_.Apply();
      view_.Hide();
      return true;
    case kCmdCancel: view_.Hide(); return true;
    case kCmdHelp: view_.OpenHelp(); return true;
    case kCmdMinimize: view_.PostMinimize(); return true;
    case kCmdClose:
    case kCmdExit:
    case kCmdMenuClose: Quit(); return true;
    case kCmdButtonMenu: view_.TrackButtonMenu(); return true;
    case kCmdOpen: Open(); return true;
    case kCmdAbout: view_.ShowAbout(); return true;
    default: return false;
  }
}

bool MainWindowLogic::OnSystemCommand(unsigned id) {
  if (id != kSysCmdAbout) return false;
  view_.ShowAbout();
  return true;
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

void MainWindowLogic::Quit() {
  view_.Hide();
  if (!view_.CloseEditors()) return;
  quit_ = true;
  view_.CloseInstanceMutex();
  view_.StopMacroRecording();
  view_.CloseNamedEvents();
  view_.RemoveTrayIcon();
  tray_.Reset();
  modified_ = false;
  view_.FreeKeyStores();
  view_.ReleaseSkin();
  view_.EndMainDialog();
}

}  // namespace keyloom
