#include "storage/ini.h"

namespace keyloom {

std::unique_ptr<IniService> MakePlatformIniService() { return std::make_unique<PortableIniService>(); }

}  // namespace keyloom
