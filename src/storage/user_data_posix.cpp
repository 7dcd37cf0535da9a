#include <cstdlib>
#include <filesystem>

#include "base/text.h"
#include "storage/user_data.h"

namespace keyloom {

std::u16string LocalAppDataFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return FileNameFromBytes(base.string());
}

}  // namespace keyloom
