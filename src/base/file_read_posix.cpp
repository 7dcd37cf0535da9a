#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/file_read.h"
#include "base/text.h"

namespace keyloom {
namespace {

FileKind KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return FileKind::kFolder;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISFIFO(mode)) return FileKind::kPipe;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) close(fd);
  }
};

}  // namespace

ReadResult ReadFileBounded(const std::u16string& path, uint64_t max_bytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  // Without O_NONBLOCK opening a pipe would wait for a writer.
  Fd file{open(FileNameToBytes(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (file.fd < 0) {
    const int e = errno;
    // A name under something that is not a folder cannot exist either.
    if (e == ENOENT || e == ENOTDIR) return {ReadError::kMissing, FileKind::kRegular, e};
    struct stat st;
    if (stat(FileNameToBytes(path).c_str(), &st) == 0 && !S_ISREG(st.st_mode))
      return {ReadError::kNotRegularFile, KindOf(st.st_mode), 0};
    return {ReadError::kCannotOpen, FileKind::kRegular, e};
  }
  struct stat st;
  if (fstat(file.fd, &st) != 0) return {ReadError::kCannotOpen, FileKind::kRegular, errno};
  if (!S_ISREG(st.st_mode)) return {ReadError::kNotRegularFile, KindOf(st.st_mode), 0};
  ReadResult result;
  result.size = static_cast<uint64_t>(st.st_size);
  if (!PrepareRead(result, max_bytes, bytes)) return result;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = read(file.fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.clear();
      return {ReadError::kReadFailed, FileKind::kRegular, errno, result.size};
    }
    if (n == 0) break;  // it shrank
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return result;
}

}  // namespace keyloom
