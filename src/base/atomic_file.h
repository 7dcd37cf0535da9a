// Saving a file so that it is always whole: every file the programs write
// (profile files, the working profile file, INI and user data files,
// settings, the simulated keyboard's memory) goes through SaveFileAtomically.
//
// The new content goes to a temporary file in the target's folder, under a
// name nobody can know in advance (".NAME.<16 hex digits>.tmp"), created
// exclusively and never through a link. It gets the target's permissions
// (and owner, where the system lets us), is flushed to the disk, and then
// takes the target's place in one step: rename on POSIX, followed by a
// flush of the folder; ReplaceFileW (which keeps the target's attributes and
// security) or MoveFileExW with write-through on Windows. A reader, a crash
// or a second process saving the same file at the same moment sees the old
// content or a new one, never a mixture.
//
// A target that exists and is not a regular file (a folder, a device, a
// pipe, a link) is refused, and so is one that nobody may write to. A
// temporary file left by a crash is never mistaken for data (its name ends
// in ".tmp" and starts with a dot) and is removed by the next save of that
// file; one that another process is still writing is left alone.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>

namespace keyloom {

// Faults a test injects into one save.
struct WriteFaults {
  // Bytes the disk takes before it is full: the write that crosses the limit
  // comes back short.
  uint64_t space_left = std::numeric_limits<uint64_t>::max();
  bool fail_flush = false;
  bool fail_replace = false;
  // The random parts of the temporary names, in the order tried (default:
  // the system's random source), so a test knows every name a save may use.
  std::function<uint64_t()> random_name = nullptr;
};

enum class SaveError {
  kNone,
  kNotRegularFile,  // the target is a folder, device, pipe, socket or link
  kReadOnly,        // the target is read-only
  kNoFolder,        // the target's folder is missing or is not a folder
  kCannotCreate,    // no temporary file could be made in the folder
  kWriteFailed,     // the data could not be written (a full disk, say)
  kFlushFailed,     // the data could not be flushed to the disk
  kReplaceFailed,   // the temporary file could not take the target's place
};

// What an existing target that is not a regular file is.
enum class FileKind { kRegular, kFolder, kDevice, kPipe, kSocket, kLink, kOther };

struct SaveResult {
  SaveError error = SaveError::kNone;
  FileKind kind = FileKind::kRegular;  // with kNotRegularFile
  int system_error = 0;                // errno, or GetLastError() on Windows; 0 when none
  explicit operator bool() const { return error == SaveError::kNone; }
};

// Why a save failed, in words for a message ("it is a device, not a regular
// file", "the disk is full (No space left on device)"), UTF-8.
std::string DescribeSaveError(const SaveResult& result);

// Writes the pieces one after the other as the new content of `path`. On
// failure `path` keeps its old content (or stays missing) and no temporary
// file is left behind.
SaveResult SaveFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                              const WriteFaults* faults = nullptr);

// What a save of `path` would refuse at once (a folder that cannot be used,
// a target that is not a regular file or is read-only), without writing
// anything: for a caller that has work to do before it has the content.
SaveResult CheckSaveTarget(const std::u16string& path);

// The same, true when saved.
bool ReplaceFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                           const WriteFaults* faults = nullptr);
inline bool ReplaceFileAtomically(const std::u16string& path, std::span<const uint8_t> bytes,
                                  const WriteFaults* faults = nullptr) {
  const std::span<const uint8_t> pieces[] = {bytes};
  return ReplaceFileAtomically(path, pieces, faults);
}

// The temporary name a save of the file named `target_name` uses with the
// random part `random`: "." + the name (its first 200 units) + "." + 16
// lower-case hex digits + ".tmp".
std::u16string TemporaryNameFor(std::u16string_view target_name, uint64_t random);
// True when `name` is one of the temporary names of `target_name`.
bool IsTemporaryNameOf(std::u16string_view name, std::u16string_view target_name);

}  // namespace keyloom
