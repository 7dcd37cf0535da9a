#include "storage/lighting_view_file.h"

#include "storage/file_paths.h"
#include "storage/ini.h"

namespace keyloom {

namespace {
constexpr std::u16string_view kSection = u"KEYCOLOR";
constexpr std::u16string_view kKey = u"DengCheck";
}  // namespace

LightingViewFile::LightingViewFile(IniService& ini, const std::u16string& user_data_folder)
    : ini_(ini), path_(JoinPath(user_data_folder, kLightingViewFileName)) {}

int LightingViewFile::StoredLightingView() const {
  return ini_.GetString(path_, kSection, kKey, u"0", 8) == u"1" ? 1 : 0;
}

bool LightingViewFile::Store(bool on) { return ini_.WriteString(path_, kSection, kKey, on ? u"1" : u"0"); }

}  // namespace keyloom
