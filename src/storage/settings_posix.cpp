#include "storage/settings.h"
#include "storage/file_paths.h"

namespace keyloom {

std::unique_ptr<SettingsStore> MakePlatformSettingsStore(IniService& ini) {
  return std::make_unique<FileSettingsStore>(ini, UserConfigFile("settings.ini"));
}

}  // namespace keyloom
