// The lighting view choice: "DengCheck" in section "KEYCOLOR" of "wskb.ini"
// in the user data folder, "1" for on and "0" for off.
#pragma once

#include <string>

#include "model/lighting_ops.h"

namespace keyloom {

class IniService;

class LightingViewFile final : public LightingViewSetting {
 public:
  // `ini` must outlive the object.
  LightingViewFile(IniService& ini, std::u16string user_data_folder);

  // The stored number; 0 when the file or key is missing.
  int StoredLightingView() const override;
  void Store(bool on);
  const std::u16string& path() const { return path_; }

 private:
  IniService& ini_;
  std::u16string path_;
};

}  // namespace keyloom
