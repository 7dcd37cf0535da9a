// Firmware update hand-off. The program never flashes firmware itself: it
// puts the keyboard into its boot mode with one frame and starts an updater
// program. Two ways lead there: the update check when the main window is
// asked to open (a keyboard that reports an outdated state is offered the
// updater shipped in the Help folder), and the update dialog (template 149,
// opened by main-window command 32780), where the user picks an updater,
// may back up the key assignments, and starts the update.
//
// The decisions live here, behind UpdateDialogView; CKeyloom_DlgUpdate
// (update_dlg_win32.h) draws the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "ui/controls/file_picker.h"
#include "ui/dialogs/update_ids.h"

namespace keyloom {

class CommandSet;
class KeyboardBackups;
class TextSource;
struct KeyStore;

// The updater that comes with the program, in its Help folder, and what it
// is started with.
inline constexpr std::u16string_view kEmbeddedUpdater = u"SorvelQ31内嵌升级包-105key.exe";
inline constexpr std::u16string_view kEmbeddedUpdaterParameters = u"In the upgrade";
inline constexpr int kUpdateCheckPauseMs = 10;

// Dialog 149 and its controls.
inline constexpr int kUpdateDialogTemplate = KEYLOOM_IDD_UPDATE;
inline constexpr int kUpdateCombo = KEYLOOM_IDC_UPDATE_COMBO;
inline constexpr int kUpdatePathStatic = KEYLOOM_IDC_UPDATE_PATH;
inline constexpr int kUpdateButton = KEYLOOM_IDC_UPDATE;
inline constexpr int kCancelUpdateButton = KEYLOOM_IDC_CANCEL_UPDATE;
inline constexpr int kOpenButton = KEYLOOM_IDC_UPDATE_OPEN;
inline constexpr int kBackupButton = KEYLOOM_IDC_UPDATE_BACKUP;

// The fixed texts of the check and the dialog. Each is looked up in the
// language file under its key; a file without the key gives the text below.
enum class UpdateText {
  kCheckPrompt,    // "Your current software is not updated to the latest version.Update now?"
  kCheckTitle,     // "Version update"
  kDialogTitle,    // the dialog's caption and its message boxes' title
  kBackupDone,     // "备份成功!"
  kBackupFailed,   // "备份失败,请重新备份!"
  kNoUpdater,      // "请选择正确的更新文件! "
  kNoBootMode,     // "无法进入Boot模式! "
  kCannotStart,    // "无法执行更新文件! "
  kOpenFilter,     // "MyType Files (*.exe)|*.exe||"
  kBackupFilter,   // "(*.fwc)|*.fwc|(*.*)|*.*||"
  kUpdateCaption,  // "更新"
  kCancelCaption,  // "取消更新"
  kOpenCaption,    // "Open"
  kBackupCaption,  // "备份"
};
std::u16string_view UpdateTextKey(UpdateText text);
std::u16string UpdateTextOf(const TextSource& texts, UpdateText text);

// A program start through the shell (verb, file, parameters, working
// folder; shown in a normal window). Returns the shell's result: above 32
// when the program started.
struct ProgramStart {
  std::u16string verb, file, parameters, folder;
};
using ProgramStarter = std::function<intptr_t(const ProgramStart&)>;

// ---- The update check -------------------------------------------------------

struct UpdateCheckContext {
  CommandSet& commands;
  Clock& clock;
  const TextSource& texts;
  // A message box without an owner, with OK and Cancel: true for OK.
  std::function<bool(std::u16string_view text, std::u16string_view title)> ask_ok_cancel;
  ProgramStarter start_program;
  std::u16string help_folder;  // ends in a separator
};

enum class UpdateCheckOutcome {
  kNothing,         // no prompt: the first model, a failed read, or a value outside 1..256
  kUpdaterStarted,  // OK: the embedded updater was asked to start; the program goes on
  kDeclined,        // Cancel: the program is to end (exit code 0)
};

// Reads the settings block; a keyboard of the second model whose bytes 8-9
// (low byte first) hold 1..256 is offered the embedded updater.
UpdateCheckOutcome UpdateCheck(UpdateCheckContext& context);

// ---- The update dialog ------------------------------------------------------

class UpdateDialogView {
 public:
  virtual ~UpdateDialogView() = default;
  // The chosen file; nothing when the user cancelled.
  virtual std::optional<std::u16string> AskFileName(const FileDialogRequest& request) = 0;
  // The process's current folder.
  virtual void SetCurrentFolder(const std::u16string& folder) = 0;
  // Shows the chosen updater's path (static 1179) and redraws the dialog.
  virtual void ShowPath(std::u16string_view path) = 0;
  // A message box with an OK button; the text is finished.
  virtual void ShowText(std::u16string_view text) = 0;
  // A Yes/No question with No preselected; true for Yes.
  virtual bool AskYesNo(std::u16string_view question) = 0;
  virtual void Close() = 0;
};

struct UpdateDialogContext {
  CommandSet& commands;
  KeyStore& edit;
  const TextSource& texts;
  ProgramStarter start_program;
  std::function<bool(const std::u16string& path)> file_exists;
  std::u16string package_folder;  // ends in a separator
  // The chosen updater: kept for the whole run, so it survives closing and
  // reopening the dialog.
  std::u16string& chosen_updater;
  // The automatic backup before the boot-mode frame; null: none.
  KeyboardBackups* backups = nullptr;
};

class UpdateDialogLogic {
 public:
  UpdateDialogLogic(UpdateDialogView& view, UpdateDialogContext& context) : view_(view), context_(context) {}

  void Start();           // shows the chosen updater
  void OnOpen();          // 1181
  void OnBackup();        // 1182
  void OnUpdate();        // 1147
  void OnCancelUpdate();  // 1180
  // A command of the dialog; false when `id` is none of the four.
  bool OnCommand(int id);

 private:
  void ChooseUpdater(std::u16string path);

  UpdateDialogView& view_;
  UpdateDialogContext& context_;
};

}  // namespace keyloom
