#include "base/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>
#include <system_error>

#include "base/atomic_file_platform.h"

namespace keyloom {
namespace {

constexpr size_t kMaxNameUnits = 200;
#if defined(_WIN32)
constexpr int kDiskFull = 112;  // ERROR_DISK_FULL
#else
constexpr int kDiskFull = ENOSPC;
#endif  // keeps the temporary name within the system's limit

std::u16string_view NamePart(std::u16string_view target_name) {
  return target_name.substr(0, kMaxNameUnits);
}

std::string SystemMessage(int code) {
#if defined(_WIN32)
  std::string text = std::system_category().message(code);
#else
  std::string text = std::generic_category().message(code);
#endif
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
    text.pop_back();
  return text;
}

}  // namespace

namespace atomic_file_detail {

uint64_t SystemRandom() {
  try {
    std::random_device device;
    return (uint64_t{device()} << 32) ^ device();
  } catch (...) {
    // No random device: the time and a counter still make names that differ.
    static std::atomic<uint64_t> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<uint64_t>(now) * 0x9E3779B97F4A7C15ull + counter.fetch_add(1);
  }
}

}  // namespace atomic_file_detail

std::u16string TemporaryNameFor(std::u16string_view target_name, uint64_t random) {
  std::u16string name = u".";
  name += NamePart(target_name);
  name += u'.';
  for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(random >> shift) & 0xF];
  name += u".tmp";
  return name;
}

bool IsTemporaryNameOf(std::u16string_view name, std::u16string_view target_name) {
  const std::u16string_view part = NamePart(target_name);
  const size_t expected = 1 + part.size() + 1 + 16 + 4;
  if (name.size() != expected || name[0] != u'.' || name.substr(1, part.size()) != part ||
      name[1 + part.size()] != u'.' || name.substr(expected - 4) != u".tmp")
    return false;
  for (char16_t c : name.substr(2 + part.size(), 16))
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
  return true;
}

std::string DescribeSaveError(const SaveResult& result) {
  auto with_reason = [&](std::string text) {
    if (result.system_error != 0) text += " (" + SystemMessage(result.system_error) + ")";
    return text;
  };
  switch (result.error) {
    case SaveError::kNone: return "saved";
    case SaveError::kNotRegularFile:
      switch (result.kind) {
        case FileKind::kFolder: return "it is a folder, not a regular file";
        case FileKind::kDevice: return "it is a device, not a regular file";
        case FileKind::kPipe: return "it is a pipe, not a regular file";
        case FileKind::kSocket: return "it is a socket, not a regular file";
        case FileKind::kLink: return "it is a link, not a regular file";
        default: return "it is not a regular file";
      }
    case SaveError::kReadOnly: return "it is read-only";
    case SaveError::kNoFolder: return with_reason("its folder cannot be used");
    case SaveError::kCannotCreate: return with_reason("no file can be created in its folder");
    case SaveError::kWriteFailed: return with_reason("the data could not be written");
    case SaveError::kFlushFailed: return with_reason("the data could not be flushed to the disk");
    case SaveError::kReplaceFailed: return with_reason("the new file could not take the old one's place");
  }
  return "unknown error";
}

SaveResult SaveFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                              const WriteFaults* faults) {
  atomic_file_detail::PendingFile file;
  SaveResult result = file.Open(path, faults ? faults->random_name : nullptr);
  if (!result) return result;
  uint64_t space_left = faults ? faults->space_left : std::numeric_limits<uint64_t>::max();
  for (std::span<const uint8_t> piece : pieces) {
    if (piece.size() > space_left) {
      // A full disk: the bytes that fit are written, the rest is refused.
      file.Write(piece.first(static_cast<size_t>(space_left)));
      return {SaveError::kWriteFailed, FileKind::kRegular, kDiskFull};
    }
    if (!(result = file.Write(piece))) return result;
    space_left -= piece.size();
  }
  if (faults && faults->fail_flush) return {SaveError::kFlushFailed};
  if (!(result = file.Flush())) return result;
  if (faults && faults->fail_replace) return {SaveError::kReplaceFailed};
  return file.Replace();
}

SaveResult CheckSaveTarget(const std::u16string& path) {
  atomic_file_detail::PendingFile file;
  return file.Inspect(path);
}

bool ReplaceFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                           const WriteFaults* faults) {
  return static_cast<bool>(SaveFileAtomically(path, pieces, faults));
}

}  // namespace keyloom
