#include "base/file_read.h"

#include <new>
#include <system_error>

#include "base/text.h"

namespace keyloom {

bool PrepareRead(ReadResult& result, uint64_t max_bytes, std::vector<uint8_t>& bytes) {
  if (result.size > max_bytes) {
    result.error = ReadError::kTooLarge;
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(result.size));
  } catch (const std::bad_alloc&) {
    result.error = ReadError::kNoMemory;
    return false;
  }
  return true;
}

std::string DescribeReadError(const ReadResult& result) {
  std::string reason;
  if (result.system_error != 0) {
#if defined(_WIN32)
    reason = std::system_category().message(result.system_error);
#else
    reason = std::generic_category().message(result.system_error);
#endif
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
      reason.pop_back();
  }
  auto with_reason = [&](std::string text) { return reason.empty() ? text : text + " (" + reason + ")"; };
  switch (result.error) {
    case ReadError::kNone: return "read";
    case ReadError::kMissing: return "no such file";
    case ReadError::kNotRegularFile:
      switch (result.kind) {
        case FileKind::kFolder: return "it is a folder, not a regular file";
        case FileKind::kDevice: return "it is a device, not a regular file";
        case FileKind::kPipe: return "it is a pipe, not a regular file";
        case FileKind::kSocket: return "it is a socket, not a regular file";
        default: return "it is not a regular file";
      }
    case ReadError::kTooLarge: return "it is larger than any file this program reads (" + std::to_string(result.size) + " bytes)";
    case ReadError::kCannotOpen: return with_reason("it cannot be opened for reading");
    case ReadError::kReadFailed: return with_reason("it cannot be read");
    case ReadError::kNoMemory: return "there is not enough memory to read it";
  }
  return "unknown error";
}

std::filesystem::path FsPath(const std::u16string& path) {
#if defined(_WIN32)
  return std::filesystem::path(std::wstring(path.begin(), path.end()));
#else
  return std::filesystem::path(FileNameToBytes(path));
#endif
}

std::u16string FromFsPath(const std::filesystem::path& path) {
#if defined(_WIN32)
  const std::wstring& native = path.native();
  return std::u16string(native.begin(), native.end());
#else
  return FileNameFromBytes(path.native());
#endif
}

}  // namespace keyloom
