#include <optional>

#include "base/atomic_file.h"
#include "base/file_read.h"
#include "storage/ini.h"
#include "storage/ini_document.h"

namespace keyloom {

namespace {

// No settings or language file comes near this; a bigger file is not read.
constexpr uint64_t kMaxFileBytes = 8u << 20;

// A missing file reads as an empty one; a file that cannot be read is not
// written either, so what it holds is never lost.
std::optional<std::vector<uint8_t>> ReadIniBytes(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  const ReadResult r = ReadFileBounded(path, kMaxFileBytes, bytes);
  if (r.error == ReadError::kMissing) return std::vector<uint8_t>();
  if (!r) return std::nullopt;
  return bytes;
}

std::u16string Cut(std::u16string text, size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

}  // namespace

bool EditIniFile(const std::u16string& file, std::u16string_view section, std::u16string_view key,
                 std::u16string_view value) {
  const auto bytes = ReadIniBytes(file);
  if (!bytes) return false;
  IniDocument doc = IniDocument::Parse(*bytes);
  doc.Set(section, key, value);
  const std::vector<uint8_t> updated = doc.Serialize();
  if (updated == *bytes && !bytes->empty()) return true;
  return ReplaceFileAtomically(file, std::span<const uint8_t>(updated));
}

std::u16string PortableIniService::GetString(const std::u16string& file, std::u16string_view section,
                                             std::u16string_view key, std::u16string_view default_value,
                                             size_t capacity) const {
  if (const auto bytes = ReadIniBytes(file)) {
    if (auto value = IniDocument::Parse(*bytes).Find(section, key)) return Cut(std::move(*value), capacity);
  }
  while (!default_value.empty() && default_value.back() == u' ') default_value.remove_suffix(1);
  return Cut(std::u16string(default_value), capacity);
}

bool PortableIniService::WriteString(const std::u16string& file, std::u16string_view section,
                                     std::u16string_view key, std::u16string_view value) {
  return EditIniFile(file, section, key, value);
}

}  // namespace keyloom
