// The lighting view choice: section "KEYCOLOR", key "DengCheck" of
// "wskb.ini" in the user data folder; "1" on, "0" off.
#pragma once

#include <string>

#include "model/lighting_ops.h"

namespace keyloom {

class IniService;

inline constexpr std::u16string_view kLightingViewFileName = u"wskb.ini";

class LightingViewFile final : public LightingViewSetting {
 public:
  // `ini` must outlive the object; `user_data_folder` as UserDataStore's.
  LightingViewFile(IniService& ini, const std::u16string& user_data_folder);
  // 1 for "1"; 0 for anything else, a missing file included.
  int StoredLightingView() const override;
  bool Store(bool on);
  const std::u16string& path() const { return path_; }

 private:
  IniService& ini_;
  std::u16string path_;
};

}  // namespace keyloom
