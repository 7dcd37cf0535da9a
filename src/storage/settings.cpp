#include <filesystem>
#include <system_error>

#include "base/file_read.h"
#include "storage/ini.h"
#include "storage/settings.h"

namespace keyloom {

namespace {
constexpr std::u16string_view kSection = u"Settings";
}

FileSettingsStore::FileSettingsStore(IniService& ini, std::u16string path) : ini_(ini), path_(std::move(path)) {}

std::optional<uint32_t> FileSettingsStore::ReadDword(std::u16string_view name) const {
  // Anything but a plain decimal number that fits in 32 bits is "of another
  // type", as a registry value of the wrong type would be.
  const std::u16string text = ini_.GetString(path_, kSection, name, u"", 32);
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

bool FileSettingsStore::WriteDword(std::u16string_view name, uint32_t value) {
  std::error_code ec;
  const std::filesystem::path folder = FsPath(path_).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  std::u16string text;
  for (char c : std::to_string(value)) text.push_back(static_cast<char16_t>(c));
  return ini_.WriteString(path_, kSection, name, text);
}

}  // namespace keyloom
