#include <cstdlib>
#include <filesystem>

#include "base/text.h"
#include "storage/app_settings.h"

namespace keyloom {

std::unique_ptr<AppSettings> MakePlatformAppSettings(IniService& ini) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = ".";
  }
  const std::filesystem::path file = base / "Valdric RGB Mechanical Keyboard" / "application.ini";
  return std::make_unique<IniAppSettings>(ini, Utf8ToUtf16(file.string()));
}

}  // namespace keyloom
