#include <windows.h>

#include <limits>

#include "base/text.h"
#include "storage/ini.h"

namespace keyloom {

std::u16string NativeIniService::GetString(const std::u16string& file, std::u16string_view section,
                                           std::u16string_view key, std::u16string_view default_value,
                                           size_t capacity) const {
  if (capacity == 0) return {};
  const DWORD size = static_cast<DWORD>(std::min<size_t>(capacity, std::numeric_limits<DWORD>::max()));
  const std::u16string s(section), k(key), d(default_value);
  std::u16string buffer(size, u'\0');
  const DWORD n = GetPrivateProfileStringW(AsWide(s), AsWide(k), AsWide(d), reinterpret_cast<wchar_t*>(buffer.data()),
                                           size, AsWide(file));
  buffer.resize(std::min<DWORD>(n, size - 1));
  return buffer;
}

bool NativeIniService::WriteString(const std::u16string& file, std::u16string_view section, std::u16string_view key,
                                   std::u16string_view value) {
  return EditIniFile(file, section, key, value);
}

std::unique_ptr<IniService> MakePlatformIniService() { return std::make_unique<NativeIniService>(); }

}  // namespace keyloom
