#include <windows.h>

#include <algorithm>

#include "base/file_read.h"
#include "base/handle_win32.h"
#include "base/text.h"

namespace keyloom {

ReadResult ReadFileBounded(const std::u16string& path, uint64_t max_bytes, std::vector<uint8_t>& bytes) {
  bytes.clear();
  const DWORD attributes = GetFileAttributesW(AsWide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return {ReadError::kNotRegularFile, FileKind::kFolder, 0};
  // Shared for reading, writing and deleting: reading never stands in the
  // way of a save of the same file.
  UniqueHandle file(CreateFileW(AsWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return {ReadError::kMissing, FileKind::kRegular, 0};
    return {ReadError::kCannotOpen, FileKind::kRegular, static_cast<int>(e)};
  }
  switch (GetFileType(file.get())) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: return {ReadError::kNotRegularFile, FileKind::kDevice, 0};
    case FILE_TYPE_PIPE: return {ReadError::kNotRegularFile, FileKind::kPipe, 0};
    default: return {ReadError::kNotRegularFile, FileKind::kOther, 0};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return {ReadError::kCannotOpen, FileKind::kRegular, static_cast<int>(GetLastError())};
  ReadResult result;
  result.size = static_cast<uint64_t>(size.QuadPart);
  if (!PrepareRead(result, max_bytes, bytes)) return result;
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) {
      bytes.clear();
      return {ReadError::kReadFailed, FileKind::kRegular, static_cast<int>(GetLastError()), result.size};
    }
    if (got == 0) break;  // it shrank
    done += got;
  }
  bytes.resize(done);
  return result;
}

}  // namespace keyloom
