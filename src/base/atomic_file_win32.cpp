#include <windows.h>

#include <algorithm>

#include "base/atomic_file_platform.h"
#include "base/handle_win32.h"
#include "base/text.h"

namespace keyloom::atomic_file_detail {
namespace {

HANDLE AsHandle(void* h) { return h ? static_cast<HANDLE>(h) : INVALID_HANDLE_VALUE; }

SaveResult Failed(SaveError error, DWORD code = GetLastError()) {
  return {error, FileKind::kRegular, static_cast<int>(code)};
}

// The names that are devices in every folder: CON, PRN, AUX, NUL, COM1-9,
// LPT1-9 and the console's own, with or without an extension.
bool IsDeviceName(std::u16string_view name) {
  name = name.substr(0, name.find(u'.'));
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  auto is = [&](std::u16string_view device) { return EqualsIgnoreAsciiCase(name, device); };
  if (is(u"CON") || is(u"PRN") || is(u"AUX") || is(u"NUL") || is(u"CONIN$") || is(u"CONOUT$")) return true;
  return name.size() == 4 && (EqualsIgnoreAsciiCase(name.substr(0, 3), u"COM") ||
                              EqualsIgnoreAsciiCase(name.substr(0, 3), u"LPT")) &&
         name[3] >= u'1' && name[3] <= u'9';
}

// What the target is, opened without following a link and without asking
// for any access (a device answers this as well as a file does).
enum class TargetState { kMissing, kRegular, kReadOnly, kNotRegular, kNoFolder, kError };
TargetState InspectTarget(const std::u16string& path, FileKind& kind, DWORD& error) {
  UniqueHandle h(CreateFileW(AsWide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) {
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return TargetState::kMissing;
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_DIRECTORY)
      return TargetState::kNoFolder;
    return TargetState::kError;
  }
  switch (GetFileType(h.get())) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: kind = FileKind::kDevice; return TargetState::kNotRegular;
    case FILE_TYPE_PIPE: kind = FileKind::kPipe; return TargetState::kNotRegular;
    default: kind = FileKind::kOther; return TargetState::kNotRegular;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) {
    error = GetLastError();
    return TargetState::kError;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    kind = FileKind::kFolder;
    return TargetState::kNotRegular;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    kind = FileKind::kLink;
    return TargetState::kNotRegular;
  }
  return (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? TargetState::kReadOnly : TargetState::kRegular;
}

// Removes the temporary files of `name` that saves which did not finish left
// in `folder`. A live save keeps its file open without sharing it, so its
// removal fails and it stays.
void RemoveLeftovers(const std::u16string& folder, const std::u16string& name) {
  const std::u16string pattern = folder + u".*.tmp";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(AsWide(pattern), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::u16string entry = FromWide(found.cFileName);
    if (!IsTemporaryNameOf(entry, name)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileW(AsWide(folder + entry));  // a link goes, what it points to stays
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

PendingFile::~PendingFile() {
  if (handle_) CloseHandle(AsHandle(handle_));
  if (!placed_ && !temp_.empty()) DeleteFileW(AsWide(folder_ + temp_));
}

SaveResult PendingFile::Inspect(const std::u16string& target) {
  size_t cut = target.find_last_of(u"\\/");
  if (cut == std::u16string::npos && target.size() >= 2 && target[1] == u':') cut = 1;  // "C:name"
  folder_ = cut == std::u16string::npos ? std::u16string() : target.substr(0, cut + 1);
  name_ = cut == std::u16string::npos ? target : target.substr(cut + 1);
  if (name_.empty() || name_ == u"." || name_ == u"..") return {SaveError::kNotRegularFile, FileKind::kFolder};
  if (IsDeviceName(name_)) return {SaveError::kNotRegularFile, FileKind::kDevice};

  FileKind kind = FileKind::kOther;
  DWORD error = 0;
  switch (InspectTarget(target, kind, error)) {
    case TargetState::kMissing: break;
    case TargetState::kRegular: target_exists_ = true; break;
    case TargetState::kReadOnly: return {SaveError::kReadOnly};
    case TargetState::kNotRegular: return {SaveError::kNotRegularFile, kind};
    case TargetState::kNoFolder: return Failed(SaveError::kNoFolder, error);
    case TargetState::kError: return Failed(SaveError::kCannotCreate, error);
  }
  return {};
}

SaveResult PendingFile::Open(const std::u16string& target, const std::function<uint64_t()>& random_name) {
  if (SaveResult checked = Inspect(target); !checked) return checked;
  RemoveLeftovers(folder_, name_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::u16string temp = TemporaryNameFor(name_, random_name ? random_name() : SystemRandom());
    // CREATE_NEW never opens what is already there, a link included; no
    // sharing keeps other saves from removing it while it is written.
    HANDLE h = CreateFileW(AsWide(folder_ + temp), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD e = GetLastError();
      if (e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS) continue;
      return Failed(e == ERROR_PATH_NOT_FOUND ? SaveError::kNoFolder : SaveError::kCannotCreate, e);
    }
    temp_ = temp;
    handle_ = h;
    return {};
  }
  return Failed(SaveError::kCannotCreate, ERROR_FILE_EXISTS);
}

SaveResult PendingFile::Write(std::span<const uint8_t> bytes) {
  if (!handle_) return Failed(SaveError::kWriteFailed, ERROR_INVALID_HANDLE);
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(AsHandle(handle_), bytes.data(), chunk, &written, nullptr)) return Failed(SaveError::kWriteFailed);
    if (written == 0) return Failed(SaveError::kWriteFailed, ERROR_DISK_FULL);
    bytes = bytes.subspan(written);
  }
  return {};
}

SaveResult PendingFile::Flush() {
  if (!handle_) return Failed(SaveError::kFlushFailed, ERROR_INVALID_HANDLE);
  const bool flushed = FlushFileBuffers(AsHandle(handle_)) != 0;
  const DWORD error = GetLastError();
  const bool closed = CloseHandle(AsHandle(handle_)) != 0;
  handle_ = nullptr;
  if (!flushed) return Failed(SaveError::kFlushFailed, error);
  if (!closed) return Failed(SaveError::kFlushFailed);
  return {};
}

SaveResult PendingFile::Replace() {
  if (handle_ || temp_.empty()) return Failed(SaveError::kReplaceFailed, ERROR_INVALID_HANDLE);
  const std::u16string temp = folder_ + temp_;
  const std::u16string target = folder_ + name_;
  // ReplaceFileW keeps the target's attributes and security. When it cannot
  // (the target went away meanwhile, the file system does not support it),
  // the move replaces the file and writes the change through.
  if (target_exists_ && ReplaceFileW(AsWide(target), AsWide(temp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                     nullptr, nullptr)) {
    placed_ = true;
    return {};
  }
  if (!MoveFileExW(AsWide(temp), AsWide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    // A failed ReplaceFileW may already have taken the old file away: then
    // the temporary file is the only copy left and stays where it is.
    if (target_exists_ && GetFileAttributesW(AsWide(target)) == INVALID_FILE_ATTRIBUTES) placed_ = true;
    return Failed(SaveError::kReplaceFailed, error);
  }
  placed_ = true;
  return {};
}

}  // namespace keyloom::atomic_file_detail
