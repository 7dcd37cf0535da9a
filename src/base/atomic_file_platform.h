// The platform's side of SaveFileAtomically (atomic_file_posix.cpp,
// atomic_file_win32.cpp): one temporary file beside its target.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "base/atomic_file.h"

namespace keyloom::atomic_file_detail {

// How many temporary names a save tries before it gives up.
inline constexpr int kNameAttempts = 64;

// A random 64-bit number from the system's source.
uint64_t SystemRandom();

class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();  // closes the temporary file and removes it unless it was put in place
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Checks that `target` can be saved: its folder can be used, and it is
  // missing or a regular file that may be written.
  SaveResult Inspect(const std::u16string& target);
  // Inspects the target, removes temporary files that crashed saves of it
  // left, and creates a new temporary file beside it.
  SaveResult Open(const std::u16string& target, const std::function<uint64_t()>& random_name);
  // Writes all of `bytes`.
  SaveResult Write(std::span<const uint8_t> bytes);
  // Gives the file the target's permissions and flushes it to the disk.
  SaveResult Flush();
  // Puts the flushed file in the target's place.
  SaveResult Replace();

 private:
  std::u16string folder_;  // the target's folder as written, with its separator ("" for the current one)
  std::u16string name_;    // the target's file name
  std::u16string temp_;    // the temporary file's name in the folder
  bool target_exists_ = false;
  bool placed_ = false;
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int folder_fd_ = -1;
  int fd_ = -1;
  unsigned mode_ = 0;  // the target's permission bits
  unsigned uid_ = 0, gid_ = 0;
#endif
};

}  // namespace keyloom::atomic_file_detail
