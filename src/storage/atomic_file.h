// Replacing a file the user would miss (profile files, user data files) so
// that a crash, a full disk or a pulled plug never leaves half of it: the
// new content goes to a temporary file in the same folder, is flushed to
// the disk, and then takes the old file's place in one step (MoveFileExW
// with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH on Windows,
// rename elsewhere). A failed write leaves the old file as it was.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>

namespace keyloom {

// Faults a test injects into one write.
struct WriteFaults {
  // Bytes the disk takes before it is full: the write that crosses the limit
  // comes back short.
  uint64_t space_left = std::numeric_limits<uint64_t>::max();
  bool fail_flush = false;
  bool fail_replace = false;
};

// Writes the pieces one after the other as the new content of `path`.
// False when any step failed; `path` then keeps its old content (or stays
// missing) and no temporary file is left behind.
bool ReplaceFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                           const WriteFaults* faults = nullptr);
inline bool ReplaceFileAtomically(const std::u16string& path, std::span<const uint8_t> bytes,
                                  const WriteFaults* faults = nullptr) {
  const std::span<const uint8_t> pieces[] = {bytes};
  return ReplaceFileAtomically(path, pieces, faults);
}

// The platform's side, one temporary file at a time (atomic_file_posix.cpp,
// atomic_file_win32.cpp).
class TemporaryFile {
 public:
  // Creates or truncates the temporary file beside `target`.
  explicit TemporaryFile(const std::u16string& target);
  ~TemporaryFile();  // closes and removes it unless it was put in place
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool is_open() const;
  // Writes all of `bytes`; false on an error or a short write.
  bool Write(std::span<const uint8_t> bytes);
  // Flushes the content to the disk and closes the file.
  bool FlushAndClose();
  // Puts the closed file in the target's place.
  bool Replace();

 private:
  std::u16string target_;
  std::u16string temp_;
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  bool placed_ = false;
};

}  // namespace keyloom
