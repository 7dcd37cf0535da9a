#include <windows.h>

#include <algorithm>

#include "base/text.h"
#include "storage/atomic_file.h"

namespace keyloom {
namespace {

HANDLE AsHandle(void* h) { return h ? static_cast<HANDLE>(h) : INVALID_HANDLE_VALUE; }

}  // namespace

TemporaryFile::TemporaryFile(const std::u16string& target) : target_(target), temp_(target + u".tmp~") {
  HANDLE h = CreateFileW(AsWide(temp_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
}

TemporaryFile::~TemporaryFile() {
  if (handle_) CloseHandle(AsHandle(handle_));
  if (!placed_ && !temp_.empty()) DeleteFileW(AsWide(temp_));
}

bool TemporaryFile::is_open() const { return handle_ != nullptr; }

bool TemporaryFile::Write(std::span<const uint8_t> bytes) {
  if (!handle_) return false;
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

bool TemporaryFile::FlushAndClose() {
  if (!handle_) return false;
  bool ok = FlushFileBuffers(AsHandle(handle_)) != 0;
  ok = CloseHandle(AsHandle(handle_)) != 0 && ok;
  handle_ = nullptr;
  return ok;
}

bool TemporaryFile::Replace() {
  if (handle_) return false;
  // A read-only target makes the move fail, as it would make an overwrite fail.
  if (!MoveFileExW(AsWide(temp_), AsWide(target_), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  placed_ = true;
  return true;
}

}  // namespace keyloom
