#include <cstdlib>
#include <filesystem>

#include "base/text.h"
#include "storage/file_paths.h"

namespace keyloom {

std::u16string UserConfigFile(std::string_view name) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = ".";
  }
  return FileNameFromBytes((base / "Valdric RGB Mechanical Keyboard" / name).string());
}

}  // namespace keyloom
