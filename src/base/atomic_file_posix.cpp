#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/atomic_file_platform.h"
#include "base/text.h"

namespace keyloom::atomic_file_detail {
namespace {

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kFolder;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISFIFO(mode)) return FileKind::kPipe;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  if (S_ISLNK(mode)) return FileKind::kLink;
  return FileKind::kOther;
}

SaveResult Failed(SaveError error, int code = errno) { return {error, FileKind::kRegular, code}; }

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes the temporary files of `name` that saves which did not finish left
// in the folder. A live save holds a lock on its file until it is in place,
// so a file whose lock can be taken belongs to a save that is gone. Links
// with such a name are removed too (removing a link never touches what it
// points to); nothing else is.
void RemoveLeftovers(int folder, const std::u16string& name) {
  const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = fdopendir(listing);
  if (!dir) {
    close(listing);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    if (!IsTemporaryNameOf(FileNameFromBytes(entry->d_name), name)) continue;
    struct stat st;
    if (fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      unlinkat(folder, entry->d_name, 0);
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    const int fd = openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && SameFile(held, st)) {
      unlinkat(folder, entry->d_name, 0);
    }
    close(fd);  // releases the lock
  }
  closedir(dir);
}

}  // namespace

PendingFile::~PendingFile() {
  if (fd_ >= 0) {
    if (!placed_) unlinkat(folder_fd_, FileNameToBytes(temp_).c_str(), 0);
    close(fd_);
  }
  if (folder_fd_ >= 0) close(folder_fd_);
}

SaveResult PendingFile::Inspect(const std::u16string& target) {
  const size_t slash = target.find_last_of(u'/');
  folder_ = slash == std::u16string::npos ? std::u16string() : target.substr(0, slash + 1);
  name_ = slash == std::u16string::npos ? target : target.substr(slash + 1);
  if (name_.empty() || name_ == u"." || name_ == u"..") return {SaveError::kNotRegularFile, FileKind::kFolder};

  const std::string folder = folder_.empty() ? std::string(".") : FileNameToBytes(folder_);
  folder_fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd_ < 0) return Failed(SaveError::kNoFolder);

  const std::string name = FileNameToBytes(name_);
  struct stat st;
  if (fstatat(folder_fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    // Replacing a link would cut it; writing through it would let whoever
    // can write to this folder choose the file we overwrite.
    if (!S_ISREG(st.st_mode)) return {SaveError::kNotRegularFile, KindOf(st.st_mode)};
    // A file nobody may write to was made read-only on purpose; replacing it
    // would go round that.
    if ((st.st_mode & 0222) == 0 || faccessat(folder_fd_, name.c_str(), W_OK, AT_EACCESS) != 0)
      return {SaveError::kReadOnly};
    target_exists_ = true;
    mode_ = st.st_mode & 07777;
    uid_ = st.st_uid;
    gid_ = st.st_gid;
  } else if (errno != ENOENT) {
    return Failed(SaveError::kNoFolder);
  }
  return {};
}

SaveResult PendingFile::Open(const std::u16string& target, const std::function<uint64_t()>& random_name) {
  if (SaveResult checked = Inspect(target); !checked) return checked;
  RemoveLeftovers(folder_fd_, name_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temp_ = TemporaryNameFor(name_, random_name ? random_name() : SystemRandom());
    const std::string temp = FileNameToBytes(temp_);
    // Exclusive creation never follows a link planted at the name. A new
    // target gets the permissions any new file would (the umask applies);
    // the copy of an existing one is private until it has its permissions.
    const int fd = openat(folder_fd_, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          target_exists_ ? 0600 : 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return Failed(SaveError::kCannotCreate);
    }
    // The lock tells other saves that this file is alive. Another save may
    // have removed the name between its creation and the lock: then start
    // again under a new name.
    struct stat held, named;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool ours = fstat(fd, &held) == 0 && fstatat(folder_fd_, temp.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                      SameFile(held, named);
    if (locked && ours) {
      fd_ = fd;
      return {};
    }
    if (ours) unlinkat(folder_fd_, temp.c_str(), 0);
    close(fd);
  }
  return Failed(SaveError::kCannotCreate, EEXIST);
}

SaveResult PendingFile::Write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) return Failed(SaveError::kWriteFailed, EBADF);
  while (!bytes.empty()) {
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed(SaveError::kWriteFailed);
    if (n == 0) return Failed(SaveError::kWriteFailed, ENOSPC);
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return {};
}

SaveResult PendingFile::Flush() {
  if (fd_ < 0) return Failed(SaveError::kFlushFailed, EBADF);
  if (target_exists_) {
    // The owner first: changing it may clear set-id bits that the mode then
    // restores. Only root may give a file away; for anyone else keeping
    // their own file's owner is a no-op and a foreign group may be refused.
    if (fchown(fd_, uid_, gid_) != 0) fchown(fd_, static_cast<uid_t>(-1), gid_);
    if (fchmod(fd_, static_cast<mode_t>(mode_)) != 0) return Failed(SaveError::kWriteFailed);
  }
  if (fsync(fd_) != 0) return Failed(SaveError::kFlushFailed);
  return {};
}

SaveResult PendingFile::Replace() {
  if (fd_ < 0) return Failed(SaveError::kReplaceFailed, EBADF);
  if (renameat(folder_fd_, FileNameToBytes(temp_).c_str(), folder_fd_, FileNameToBytes(name_).c_str()) != 0)
    return Failed(SaveError::kReplaceFailed);
  placed_ = true;
  // The new name reaches the disk with the folder. The content is already
  // there and in place; a folder that cannot be flushed does not undo that.
  fsync(folder_fd_);
  return {};
}

}  // namespace keyloom::atomic_file_detail
