// The firmware update dialog, CKeyloom_DlgUpdate (template 149): a skinned
// dialog where the user picks an updater program, may back up the key
// assignments, and starts the update. Its decisions are in
// UpdateDialogLogic; FirmwareUpdate is what the main window keeps for the
// run (the chosen updater, the button pictures) and how it runs the update
// check and the dialog.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/dialogs/update_logic.h"

namespace keyloom {

class IniService;
struct MainWindowContext;

// What the update needs from the program.
struct FirmwareUpdateContext {
  HINSTANCE resources;  // holds template 149
  const IniService& ini;
  const TextSource& texts;
  CommandSet& commands;
  KeyStore& edit;
  ShellLauncher& shell;
  KeyboardBackups* backups = nullptr;  // the automatic backup before boot mode; null: none
  std::u16string layout_file;          // Skins\UpdateDlg.ini
  std::u16string skin_folder;          // Skins\ (with the separator)
  std::u16string help_folder;          // Help\ (with the separator)
  std::u16string package_folder;       // Package\ (with the separator)
  // File dialogs, message boxes and questions; null: the system's. Tests
  // answer them.
  std::function<std::optional<std::u16string>(const FileDialogRequest&)> ask_file_name = nullptr;
  std::function<void(std::u16string_view text, std::u16string_view title)> show_text = nullptr;
  std::function<bool(std::u16string_view text, std::u16string_view title)> ask_yes_no = nullptr;
  std::function<bool(std::u16string_view text, std::u16string_view title)> ask_ok_cancel = nullptr;
  std::function<void()> exit_silently = [] { ExitProcess(0); };
};

// The button pictures, loaded the first time the dialog opens in a run.
class UpdatePictures {
 public:
  bool loaded() const { return loaded_; }
  void Load(HWND window, int width, int height, const std::u16string& skin_folder);
  StateSurfaces Looks() const;

 private:
  std::unique_ptr<SkinSurface> normal_, over_;
  bool loaded_ = false;
};

class CKeyloom_DlgUpdate final : public CBaseDialog, private UpdateDialogView {
 public:
  CKeyloom_DlgUpdate(FirmwareUpdateContext& context, HWND owner, UpdatePictures& pictures,
                     UpdateDialogContext& logic_context);
  ~CKeyloom_DlgUpdate() override;

  UpdateDialogLogic& logic() { return logic_; }
  CPngButton* button(int id);

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  std::u16string Title() const;

  // UpdateDialogView
  std::optional<std::u16string> AskFileName(const FileDialogRequest& request) override;
  void SetCurrentFolder(const std::u16string& folder) override;
  void ShowPath(std::u16string_view path) override;
  void ShowText(std::u16string_view text) override;
  bool AskYesNo(std::u16string_view text_key) override;
  void Close() override;

  struct Skinned {
    int id;
    std::u16string_view key;
    UpdateText caption;
    CPngButton button;
  };

  FirmwareUpdateContext& context_;
  UpdatePictures& pictures_;
  UpdateDialogLogic logic_;
  std::array<Skinned, 4> skinned_;
  GdiFont font_;
  GdiBrush field_brush_;
};

// Kept by the main window for the whole run.
class FirmwareUpdate {
 public:
  explicit FirmwareUpdate(FirmwareUpdateContext& context) : context_(context) {}

  // The check of the 'OPEN' handling (see UpdateCheck); `clock` waits the
  // pause before the question.
  UpdateCheckOutcome Check(Clock& clock);
  // Runs the dialog modally, owned by `owner`; returns when it has closed.
  void RunDialog(HWND owner);

  const std::u16string& chosen_updater() const { return chosen_updater_; }
  FirmwareUpdateContext& context() { return context_; }
  CKeyloom_DlgUpdate* dialog() const { return dialog_; }

 private:
  intptr_t Start(const ProgramStart& start);

  FirmwareUpdateContext& context_;
  UpdatePictures pictures_;
  std::u16string chosen_updater_;
  CKeyloom_DlgUpdate* dialog_ = nullptr;
};

// Hooks `update` into a main window: its command 32780 runs the dialog over
// the window, and its 'OPEN' handling runs the check, ending the program
// (exit_silently of the update's context) when the user declines.
void HookUpFirmwareUpdate(MainWindowContext& main, FirmwareUpdate& update, Clock& clock);

}  // namespace keyloom
