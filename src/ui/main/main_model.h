// The process-wide records the main window and its parts work on, created
// once by the program (or a test) and handed in by reference.
#pragma once

#include <string>

#include "device/command_set.h"
#include "device/keyboard_link.h"
#include "model/key_buttons.h"
#include "model/key_store.h"
#include "model/lighting.h"
#include "model/lighting_ops.h"
#include "model/text_source.h"
#include "storage/app_settings.h"
#include "storage/user_data.h"

namespace keyloom {

struct MainModel {
  KeyboardLink& link;
  CommandSet& commands;
  KeyStores& stores;
  LightingModel& lighting;
  BaseColourFlags& base_colour_flags;
  UserDataStore& user_data;  // its folder is the user data folder
  AppSettings& settings;     // section "PROFILES": "Flip", "PROFILE00".."PROFILEnn"
  const TextSource& texts;
  const LightingViewSetting& lighting_view_setting;
  std::u16string working_profile_path;  // <user data folder>/$Profile0

  bool connected() const { return link.connected != 0; }
};

}  // namespace keyloom
