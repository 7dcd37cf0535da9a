#include <windows.h>

#include "base/text.h"
#include "storage/settings.h"

namespace keyloom {

RegistrySettingsStore::RegistrySettingsStore(std::u16string subkey) : subkey_(std::move(subkey)) {}

std::optional<uint32_t> RegistrySettingsStore::ReadDword(std::u16string_view name) const {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(subkey_), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  const std::u16string value_name(name);
  DWORD type = 0, data = 0, size = sizeof(data);
  const LONG rc = RegQueryValueExW(key, AsWide(value_name), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(data)) return std::nullopt;
  return data;
}

bool RegistrySettingsStore::WriteDword(std::u16string_view name, uint32_t value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(subkey_), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const std::u16string value_name(name);
  const DWORD data = value;
  const LONG rc =
      RegSetValueExW(key, AsWide(value_name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

std::unique_ptr<SettingsStore> MakePlatformSettingsStore(IniService&) {
  return std::make_unique<RegistrySettingsStore>();
}

}  // namespace keyloom
