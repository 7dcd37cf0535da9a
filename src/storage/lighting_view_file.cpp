#include "storage/lighting_view_file.h"

#include "storage/decimal_scan.h"
#include "storage/file_paths.h"
#include "storage/ini.h"

namespace keyloom {
namespace {
constexpr std::u16string_view kSection = u"KEYCOLOR";
constexpr std::u16string_view kKey = u"DengCheck";
}  // namespace

LightingViewFile::LightingViewFile(IniService& ini, std::u16string user_data_folder)
    : ini_(ini), path_(JoinPath(user_data_folder, u"wskb.ini")) {}

int LightingViewFile::StoredLightingView() const {
  return ParseDecimal(ini_.GetString(path_, kSection, kKey, u"0", 16));
}

void LightingViewFile::Store(bool on) { ini_.WriteString(path_, kSection, kKey, on ? u"1" : u"0"); }

}  // namespace keyloom
