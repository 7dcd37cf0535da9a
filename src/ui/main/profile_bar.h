// The bar below the keyboard picture: three buttons that make onboard
// profile 1, 2 or 3 active, restore defaults, and four report-rate
// buttons. Exactly one profile button and one report-rate button shows the
// selected look.
#pragma once

#include <array>

#include "ui/dialogs/profile_manager.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/main_controls.h"
#include "ui/main/main_hooks.h"
#include "ui/main/main_model.h"

namespace keyloom {

inline constexpr std::array<int, 3> kProfileButtonIds = {1135, 1136, 1137};
inline constexpr int kCmdRestoreDefaults = 1138;
inline constexpr std::array<int, 4> kReportRateButtonIds = {1147, 1168, 1169, 1170};

class ProfileBar {
 public:
  ProfileBar(MainModel& model, MainControls& controls, MainPrompts& prompts, LightingPanel& panel,
             KeyboardView& keyboard, ProfileManager& profiles)
      : model_(model),
        controls_(controls),
        prompts_(prompts),
        panel_(panel),
        keyboard_(keyboard),
        profiles_(profiles) {}

  // The bar's commands; false for others.
  bool OnCommand(int id);

  // Profile button p (0..2): the lighting side moves to profile p (lighting
  // state read again, user mode loaded and sent, panel refreshed, lighting
  // view off); unless p is already active the keyboard switches to it, and
  // only when that switch was made does button p show selected.
  void SelectProfile(int p);
  // Button of the keyboard's active profile selected and the lighting
  // profile set to it; nothing when the active profile is unknown.
  void ShowActiveProfile();
  // Button r selected; byte 15 of the lighting profile's record becomes r.
  void SetReportRate(int r);
  // The looks of a report rate read from the keyboard (above 3 counts as 3).
  void ShowReportRate(int r);
  // Asks "MAIN_PROMPT_DEFAULT"; on Yes resets the active profile's key
  // assignments, the lighting of the lighting profile when the lighting
  // view is on, and applies.
  void RestoreDefaults();

  // Reads the lighting state again and shows it: panel refresh and the
  // report-rate looks.
  void ReadAndShowLighting();
  void ShowLighting();

 private:
  void Select(const int* ids, int count, int chosen);
  void LoadUserMode(bool send);

  MainModel& model_;
  MainControls& controls_;
  MainPrompts& prompts_;
  LightingPanel& panel_;
  KeyboardView& keyboard_;
  ProfileManager& profiles_;
};

}  // namespace keyloom
