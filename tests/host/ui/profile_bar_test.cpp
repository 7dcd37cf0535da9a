#include <gtest/gtest.h>

#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::Assigned;
using testing::FrameCommands;
using testing::MainWorld;
using Calls = std::vector<std::string>;

struct ProfileBar_ : ::testing::Test {
  ProfileBar_() {
    w.Create();
    w.Arrive();
    w.ClearFrames();
    w.view.calls.clear();
    w.panel.calls.clear();
  }
  bool Sent(int command) const {
    for (int c : FrameCommands(w.sim.Frames()))
      if (c == command) return true;
    return false;
  }
  MainWorld w;
};

TEST_F(ProfileBar_, ProfileButtonTwoMakesTheKeyboardsSecondProfileActive) {
  w.panel.view_on = true;
  w.logic.OnCommand(kProfileButtonIds[1]);
  EXPECT_EQ(w.Memory().settings[10], 1);
  EXPECT_EQ(w.lighting.state.lighting_profile, 1);
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), 1);
  EXPECT_EQ(w.panel.calls, (Calls{"user modes", "refresh", "view off"}));
  EXPECT_EQ(w.view.controls[kCmdProfiles].caption, u"Profile 2");
}

TEST_F(ProfileBar_, TheActiveProfilesButtonReloadsTheLightingButSwitchesNothing) {
  w.logic.SetModified(true);
  w.logic.OnCommand(kProfileButtonIds[0]);
  EXPECT_FALSE(Sent(4)) << "no settings block written";
  EXPECT_TRUE(Sent(17)) << "the user mode's colours were sent";
  EXPECT_TRUE(w.view.calls.empty()) << "nothing asked";
  EXPECT_EQ(w.panel.calls, (Calls{"user modes", "refresh"}));
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), 0);
}

TEST_F(ProfileBar_, ARefusedSwitchKeepsTheButtonsButMovesTheLighting) {
  w.editor.open = true;
  w.logic.OnCommand(kProfileButtonIds[2]);
  EXPECT_EQ(w.view.calls, Calls{"message PROFILE_SEELCT_PROMPT2"});
  EXPECT_EQ(w.Memory().settings[10], 0);
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), 0);
  EXPECT_EQ(w.lighting.state.lighting_profile, 2);
}

TEST_F(ProfileBar_, ReportRateButtonThreeWritesTwoIntoTheLightingProfilesRecord) {
  w.logic.OnCommand(kProfileButtonIds[1]);
  w.ClearFrames();
  w.logic.OnCommand(kReportRateButtonIds[2]);
  EXPECT_EQ(w.Sent(), (Calls{"1@0+0", "6@57+1", "2@0+0"}));
  EXPECT_EQ(w.Memory().params[42 + 15], 2);
  EXPECT_EQ(w.view.SelectedOf(kReportRateButtonIds), 2);
  EXPECT_EQ(w.lighting.state.report_rate, 2);
}

TEST_F(ProfileBar_, RestoreDefaultsAskedNoChangesNothing) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.logic.OnCommand(kCmdRestoreDefaults);
  EXPECT_EQ(w.view.calls, Calls{"ask MAIN_PROMPT_DEFAULT"});
  EXPECT_TRUE(w.stores.edit.Record(0, 0x1E).assigned());
  EXPECT_TRUE(w.sim.Frames().empty());
}

TEST_F(ProfileBar_, RestoreDefaultsWithTheLightingViewOffResetsTheKeysAndAppliesThem) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.stores.edit.SetRecord(1, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.view.answers = {true};
  w.logic.OnCommand(kCmdRestoreDefaults);
  EXPECT_FALSE(w.stores.edit.Record(0, 0x1E).assigned());
  EXPECT_TRUE(w.stores.edit.Record(1, 0x1E).assigned()) << "only the active profile";
  EXPECT_EQ(w.stores.edit.Record(0, kKeyIndexG1).sub, 0) << "a G key loses its id";
  EXPECT_TRUE(Sent(8)) << "the reset key map was applied";
  EXPECT_FALSE(Sent(6)) << "the lighting was left alone";
  EXPECT_FALSE(w.logic.modified());
  EXPECT_TRUE(w.panel.calls.empty());
}

TEST_F(ProfileBar_, RestoreDefaultsWithTheLightingViewOnRestoresTheLightingProfileToo) {
  w.logic.OnCommand(kProfileButtonIds[2]);
  w.panel.view_on = true;
  w.panel.calls.clear();
  w.ClearFrames();
  w.view.answers = {true};
  w.logic.OnCommand(kCmdRestoreDefaults);
  EXPECT_EQ(w.panel.calls, (Calls{"defaults", "user modes"}));
  const SimMemory m = w.Memory();
  const std::vector<uint8_t> head(m.params.begin() + 84, m.params.begin() + 84 + 8);
  EXPECT_EQ(head, (std::vector<uint8_t>{1, 4, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  bool wrote_record = false;
  for (const std::string& s : w.Sent()) wrote_record |= s == "6@84+35";
  EXPECT_TRUE(wrote_record);
  EXPECT_TRUE(Sent(8));
}

}  // namespace
}  // namespace keyloom
