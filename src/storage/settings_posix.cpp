#include <cstdlib>
#include <filesystem>

#include "base/text.h"
#include "storage/settings.h"

namespace keyloom {

std::unique_ptr<SettingsStore> MakePlatformSettingsStore(IniService& ini) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = ".";
  }
  const std::filesystem::path file = base / "Valdric RGB Mechanical Keyboard" / "settings.ini";
  return std::make_unique<FileSettingsStore>(ini, Utf8ToUtf16(file.string()));
}

}  // namespace keyloom
