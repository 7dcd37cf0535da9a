#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/text.h"
#include "storage/atomic_file.h"

namespace keyloom {
namespace {

std::string NativePath(const std::u16string& path) { return Utf16ToUtf8(path); }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TemporaryFile::TemporaryFile(const std::u16string& target) : target_(target), temp_(target + u".tmp~") {
  const std::string target_path = NativePath(target_);
  // Replacing a file the user made read-only would go round the protection.
  if (access(target_path.c_str(), F_OK) == 0 && access(target_path.c_str(), W_OK) != 0) return;
  fd_ = open(NativePath(temp_).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

TemporaryFile::~TemporaryFile() {
  if (fd_ >= 0) close(fd_);
  if (!placed_ && !temp_.empty()) unlink(NativePath(temp_).c_str());
}

bool TemporaryFile::is_open() const { return fd_ >= 0; }

bool TemporaryFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

bool TemporaryFile::FlushAndClose() {
  if (fd_ < 0) return false;
  bool ok = fsync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  return ok;
}

bool TemporaryFile::Replace() {
  if (fd_ >= 0) return false;
  const std::string target_path = NativePath(target_);
  if (rename(NativePath(temp_).c_str(), target_path.c_str()) != 0) return false;
  placed_ = true;
  // The rename itself reaches the disk with the folder's entry.
  const int dir = open(FolderOf(target_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

}  // namespace keyloom
