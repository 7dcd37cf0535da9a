#include <windows.h>

#include <vector>

#include "base/text.h"
#include "storage/app_settings.h"

namespace keyloom {

namespace {

// An open registry key, closed once.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::u16string SectionKey(const std::u16string& root, std::u16string_view section) {
  std::u16string path = root;
  path += u'\\';
  path += section;
  return path;
}

}  // namespace

RegistryAppSettings::RegistryAppSettings(std::u16string root) : root_(std::move(root)) {}

int RegistryAppSettings::ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const {
  RegKey key;
  const std::u16string path = SectionKey(root_, section), value_name(name);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
    return default_value;
  DWORD type = 0, data = 0, size = sizeof(data);
  if (RegQueryValueExW(key.get(), AsWide(value_name), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data))
    return default_value;
  return static_cast<int>(data);
}

std::u16string RegistryAppSettings::ReadString(std::u16string_view section, std::u16string_view name,
                                               std::u16string_view default_value) const {
  RegKey key;
  const std::u16string path = SectionKey(root_, section), value_name(name);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
    return std::u16string(default_value);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), AsWide(value_name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::u16string(default_value);
  // The stored bytes need not end in a terminator: read into a buffer one
  // character longer and cut at the first terminator.
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  if (RegQueryValueExW(key.get(), AsWide(value_name), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &got) != ERROR_SUCCESS)
    return std::u16string(default_value);
  buffer.back() = L'\0';
  return FromWide(buffer.data());
}

bool RegistryAppSettings::WriteInt(std::u16string_view section, std::u16string_view name, int value) {
  RegKey key;
  const std::u16string path = SectionKey(root_, section), value_name(name);
  if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      key.out(), nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExW(key.get(), AsWide(value_name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data)) == ERROR_SUCCESS;
}

bool RegistryAppSettings::WriteString(std::u16string_view section, std::u16string_view name,
                                      std::u16string_view value) {
  RegKey key;
  const std::u16string path = SectionKey(root_, section), value_name(name), text(value);
  if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                      key.out(), nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), AsWide(value_name), 0, REG_SZ, reinterpret_cast<const BYTE*>(AsWide(text)),
                        bytes) == ERROR_SUCCESS;
}

std::unique_ptr<AppSettings> MakePlatformAppSettings(IniService&) {
  return std::make_unique<RegistryAppSettings>();
}

}  // namespace keyloom
