#include "storage/app_settings.h"
#include "storage/file_paths.h"

namespace keyloom {

std::unique_ptr<AppSettings> MakePlatformAppSettings(IniService& ini) {
  return std::make_unique<IniAppSettings>(ini, UserConfigFile("application.ini"));
}

}  // namespace keyloom
