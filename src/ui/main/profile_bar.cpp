#include "ui/main/profile_bar.h"

#include <algorithm>

#include "model/key_apply.h"
#include "model/lighting_ops.h"

namespace keyloom {

bool ProfileBar::OnCommand(int id) {
  for (int p = 0; p < 3; ++p) {
    if (id == kProfileButtonIds[p]) {
      SelectProfile(p);
      return true;
    }
  }
  for (int r = 0; r < 4; ++r) {
    if (id == kReportRateButtonIds[r]) {
      SetReportRate(r);
      return true;
    }
  }
  if (id == kCmdRestoreDefaults) {
    RestoreDefaults();
    return true;
  }
  return false;
}

void ProfileBar::Select(const int* ids, int count, int chosen) {
  for (int i = 0; i < count; ++i) controls_.SetSelected(ids[i], i == chosen);
}

void ProfileBar::LoadUserMode(bool send) {
  model_.user_data.LoadUserMode(model_.lighting, model_.base_colour_flags, model_.commands, send);
  panel_.OnUserModesLoaded();
}

void ProfileBar::ShowLighting() {
  panel_.RefreshFromModel();
  ShowReportRate(model_.lighting.state.report_rate);
}

void ProfileBar::ReadAndShowLighting() {
  ReadLightingState(model_.lighting, model_.commands, model_.lighting_view_setting);
  ShowLighting();
}

void ProfileBar::SelectProfile(int p) {
  if (p < 0 || p >= kLightingProfiles) return;
  model_.lighting.state.lighting_profile = p;
  ReadLightingState(model_.lighting, model_.commands, model_.lighting_view_setting);
  if (model_.connected()) LoadUserMode(true);
  ShowLighting();
  if (panel_.LightingViewOn()) panel_.TurnLightingViewOff();
  if (model_.commands.GetActiveProfile() == p) return;
  if (!profiles_.SwitchProfile(p)) return;
  Select(kProfileButtonIds.data(), 3, p);
  keyboard_.Redraw();
}

void ProfileBar::ShowActiveProfile() {
  const int a = model_.commands.GetActiveProfile();
  if (a < 0 || a >= kLightingProfiles) return;
  Select(kProfileButtonIds.data(), 3, a);
  model_.lighting.state.lighting_profile = a;
}

void ProfileBar::SetReportRate(int r) {
  if (r < 0 || r > 3) return;
  Select(kReportRateButtonIds.data(), 4, r);
  WriteReportRate(model_.lighting, model_.commands, r);
}

void ProfileBar::ShowReportRate(int r) { Select(kReportRateButtonIds.data(), 4, std::clamp(r, 0, 3)); }

void ProfileBar::RestoreDefaults() {
  if (!prompts_.AskYesNo(u"MAIN_PROMPT_DEFAULT")) return;
  if (!profiles_.BackUpKeyboard()) return;
  const int active = model_.commands.GetActiveProfile();
  const auto indices = MainKeyIndices();
  const bool reset = ResetProfileKeys(model_.stores.edit, active, indices, nullptr);
  keyboard_.Redraw();
  if (panel_.LightingViewOn()) {
    panel_.ResetToDefaults();
    if (model_.connected()) {
      model_.user_data.ResetUserData(model_.lighting.state.lighting_profile);
      LoadUserMode(true);
    }
    WriteDefaultLightingRecord(model_.lighting, model_.commands);
  }
  // The reset changed the edit store: Apply must write it even when nothing
  // else was pending.
  if (reset) profiles_.main_apply().SetModified(true);
  profiles_.main_apply().Apply();
}

}  // namespace keyloom
