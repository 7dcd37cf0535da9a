#include "storage/app_settings.h"

#include <charconv>

#include "base/text.h"
#include "storage/ini.h"

namespace keyloom {

namespace {
constexpr size_t kValueCapacity = 2048;
}

IniAppSettings::IniAppSettings(IniService& ini, std::u16string path) : ini_(ini), path_(std::move(path)) {}

int IniAppSettings::ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const {
  const std::string text = Utf16ToUtf8(ini_.GetString(path_, section, name, u"", kValueCapacity));
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return default_value;
  return value;
}

std::u16string IniAppSettings::ReadString(std::u16string_view section, std::u16string_view name,
                                          std::u16string_view default_value) const {
  return ini_.GetString(path_, section, name, default_value, kValueCapacity);
}

bool IniAppSettings::WriteInt(std::u16string_view section, std::u16string_view name, int value) {
  return ini_.WriteString(path_, section, name, Utf8ToUtf16(std::to_string(value)));
}

bool IniAppSettings::WriteString(std::u16string_view section, std::u16string_view name,
                                 std::u16string_view value) {
  return ini_.WriteString(path_, section, name, value);
}

}  // namespace keyloom
