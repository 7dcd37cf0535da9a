// Automatic backups: before anything replaces what the keyboard holds (the
// hand-over to a firmware updater, Restore defaults, an import), the key maps
// and macros the keyboard itself holds are written as a profile file into
// the folder "Backups" of the user data folder, named by date and time
// ("Backup 2025-03-14 09-26-53.fwc"). The newest 20 are kept; files of other
// names in the folder are never touched.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.h"
#include "base/wall_clock.h"

namespace keyloom {

class CommandSet;
class TextSource;

inline constexpr std::u16string_view kBackupsFolderName = u"Backups";
inline constexpr size_t kBackupsKept = 20;
// The question asked when a backup could not be written.
inline constexpr std::u16string_view kBackupFailedPromptKey = u"BACKUP_FAILED_PROMPT";

// "Backup YYYY-MM-DD hh-mm-ss.fwc"; a second backup within the same second
// is "... (2).fwc", and so on.
std::u16string BackupFileName(const LocalDateTime& time, int number = 1);

// The time and number of a name BackupFileName makes; nothing for any other
// name.
struct BackupStamp {
  LocalDateTime time;
  int number = 1;
};
std::optional<BackupStamp> ParseBackupFileName(std::u16string_view name);

struct BackupFile {
  std::u16string path;
  std::u16string name;
  BackupStamp stamp;
};

enum class BackupError {
  kNone,
  kKeyboard,  // the keyboard could not be read: nothing was written
  kFolder,    // the Backups folder could not be made
  kWrite,     // the file could not be written
};

struct BackupResult {
  BackupError error = BackupError::kNone;
  int keyboard_result = 1;  // with kKeyboard: the failed read's result code
  SaveResult save;          // with kWrite
  std::u16string path;      // the file written
  explicit operator bool() const { return error == BackupError::kNone; }
};

class KeyboardBackups {
 public:
  // `folder` is the Backups folder itself; it is made when a backup is
  // written. `now` gives the time a backup is named by.
  explicit KeyboardBackups(std::u16string folder, std::function<LocalDateTime()> now = LocalNow);

  // "Backups" in the user data folder.
  static std::u16string FolderIn(const std::u16string& user_data_folder);

  const std::u16string& folder() const { return folder_; }

  // Reads the keyboard's three key maps and its macro area, writes them as a
  // new backup through the save routine, then removes all but the newest
  // kBackupsKept backups.
  BackupResult Write(CommandSet& commands, const TextSource& texts, const WriteFaults* faults = nullptr);

  // The backups in the folder, newest first.
  std::vector<BackupFile> List() const;

 private:
  void Prune() const;

  std::u16string folder_;
  std::function<LocalDateTime()> now_;
};

// What the windows do before a step that replaces what the keyboard holds:
// writes a backup; when it cannot be written, asks the language text
// "BACKUP_FAILED_PROMPT" (in English when the file lacks it) as a Yes/No
// question with No preselected. True when the step may go on (the backup was
// written, or the user said Yes).
bool BackUpBeforeReplacing(KeyboardBackups& backups, CommandSet& commands, const TextSource& texts,
                           const std::function<bool(std::u16string_view question)>& ask_yes_no);

}  // namespace keyloom
