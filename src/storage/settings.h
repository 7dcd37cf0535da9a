// The program's small per-user settings store (the stored language choice
// "dwLanguageId" lives here). On Windows it is the registry key
// HKEY_CURRENT_USER\Software\Valdric RGB Mechanical Keyboard; elsewhere a
// per-user file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace keyloom {

class IniService;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The 32-bit value `name`, or nothing when it is absent or of another type.
  virtual std::optional<uint32_t> ReadDword(std::u16string_view name) const = 0;
  // Returns false when the value could not be stored.
  virtual bool WriteDword(std::u16string_view name, uint32_t value) = 0;
};

// Values kept as decimal text in section "Settings" of an INI file, through
// the given INI service (which must outlive the store).
class FileSettingsStore final : public SettingsStore {
 public:
  FileSettingsStore(IniService& ini, std::u16string path);
  std::optional<uint32_t> ReadDword(std::u16string_view name) const override;
  bool WriteDword(std::u16string_view name, uint32_t value) override;

 private:
  IniService& ini_;
  std::u16string path_;
};

#if defined(_WIN32)
// REG_DWORD values under HKEY_CURRENT_USER\<subkey>; the key is created when
// first written.
class RegistrySettingsStore final : public SettingsStore {
 public:
  explicit RegistrySettingsStore(std::u16string subkey = u"Software\\Valdric RGB Mechanical Keyboard");
  std::optional<uint32_t> ReadDword(std::u16string_view name) const override;
  bool WriteDword(std::u16string_view name, uint32_t value) override;

 private:
  std::u16string subkey_;
};
#endif

// The registry store on Windows; elsewhere a FileSettingsStore on
// $XDG_CONFIG_HOME (or ~/.config)/Valdric RGB Mechanical Keyboard/settings.ini.
// `ini` must outlive the store.
std::unique_ptr<SettingsStore> MakePlatformSettingsStore(IniService& ini);

}  // namespace keyloom
