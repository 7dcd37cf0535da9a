// The application's own settings: small named values grouped in sections
// (the program keeps its profile choices in section "PROFILES"). On Windows
// they live in the registry under
// HKEY_CURRENT_USER\Software\Valdric RGB Mechanical Keyboard\Valdric RGB Mechanical Keyboard\<section>;
// elsewhere in an INI file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace keyloom {

class IniService;

inline constexpr std::u16string_view kProfilesSection = u"PROFILES";

class AppSettings {
 public:
  virtual ~AppSettings() = default;
  // The value, or `default_value` when it is absent or of another kind.
  virtual int ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const = 0;
  virtual std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                                    std::u16string_view default_value) const = 0;
  // False when the value could not be stored.
  virtual bool WriteInt(std::u16string_view section, std::u16string_view name, int value) = 0;
  virtual bool WriteString(std::u16string_view section, std::u16string_view name, std::u16string_view value) = 0;
};

// Values as text in sections of one INI file, through `ini` (which must
// outlive the settings).
class IniAppSettings final : public AppSettings {
 public:
  IniAppSettings(IniService& ini, std::u16string path);
  int ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const override;
  std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                            std::u16string_view default_value) const override;
  bool WriteInt(std::u16string_view section, std::u16string_view name, int value) override;
  bool WriteString(std::u16string_view section, std::u16string_view name, std::u16string_view value) override;

 private:
  IniService& ini_;
  std::u16string path_;
};

#if defined(_WIN32)
// Integers as REG_DWORD, texts as REG_SZ, one registry key per section under
// HKEY_CURRENT_USER\<root>. Keys are created when first written.
class RegistryAppSettings final : public AppSettings {
 public:
  explicit RegistryAppSettings(
      std::u16string root = u"Software\\Valdric RGB Mechanical Keyboard\\Valdric RGB Mechanical Keyboard");
  int ReadInt(std::u16string_view section, std::u16string_view name, int default_value) const override;
  std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                            std::u16string_view default_value) const override;
  bool WriteInt(std::u16string_view section, std::u16string_view name, int value) override;
  bool WriteString(std::u16string_view section, std::u16string_view name, std::u16string_view value) override;

 private:
  std::u16string root_;
};
#endif

// The registry on Windows; elsewhere an IniAppSettings on
// $XDG_CONFIG_HOME (or ~/.config)/Valdric RGB Mechanical Keyboard/application.ini.
std::unique_ptr<AppSettings> MakePlatformAppSettings(IniService& ini);

}  // namespace keyloom
