#include <gtest/gtest.h>

#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::Assigned;
using testing::MainWorld;
using Calls = std::vector<std::string>;

constexpr int kA = 1058, kRightWin = 1087, kF1 = 1010, kD1 = 1016;

struct KeyboardView_ : ::testing::Test {
  KeyboardView_() {
    w.Create();
    w.Arrive();
  }
  KeyboardView& view() { return w.logic.keyboard_view(); }
  MainWorld w;
};

TEST_F(KeyboardView_, AssignedKeysOfTheActiveProfileShowTheSelectedLookAndTheirAssignment) {
  EXPECT_FALSE(w.view.Selected(kA));
  EXPECT_EQ(testing::Narrow(w.view.controls[kA].tooltip), "A");
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.stores.edit.SetRecord(0, kKeyIndexG1 + 2, Assigned(KeyType::kDisabled, 0));
  w.stores.edit.SetRecord(1, 0x30, Assigned(KeyType::kKey, 0x01E));  // another profile
  view().ShowAssignments();
  EXPECT_TRUE(w.view.Selected(kA));
  EXPECT_EQ(testing::Narrow(w.view.controls[kA].tooltip), "A: reassigned (key: B)");
  EXPECT_TRUE(w.view.Selected(kGKeyButtonIds[2]));
  EXPECT_FALSE(w.view.Selected(1075)) << "B is assigned only in profile 2";
  w.logic.profiles().SwitchProfile(1);
  EXPECT_TRUE(w.view.Selected(1075));
  EXPECT_FALSE(w.view.Selected(kA));
}

TEST_F(KeyboardView_, OneKeyIsRedrawnWhenItsRecordInTheActiveProfileChanged) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.stores.edit.SetRecord(1, 0x30, Assigned(KeyType::kKey, 0x030));
  w.stores.edit.SetRecord(0, kKeyIndexG1 + 4, Assigned(KeyType::kDisabled, 0));
  view().RefreshKey(0, 0x1E);
  view().RefreshKey(1, 0x30);  // not the active profile
  view().RefreshKey(0, kKeyIndexG1 + 4);
  EXPECT_TRUE(w.view.Selected(kA));
  EXPECT_FALSE(w.view.Selected(1075));
  EXPECT_TRUE(w.view.Selected(kGKeyButtonIds[4]));
  w.panel.view_on = true;  // the looks are the panel's then; the tooltip follows
  w.stores.edit.SetRecord(0, 0x1E, KeyRecord{});
  view().RefreshKey(0, 0x1E);
  EXPECT_TRUE(w.view.Selected(kA));
  EXPECT_EQ(testing::Narrow(w.view.controls[kA].tooltip), "A");
}

TEST_F(KeyboardView_, WithoutAKnownActiveProfileNoKeyShowsAnAssignment) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.sim.keyboard.Unplug();
  w.sim.link.connected = 0;
  w.sim.link.active_profile_cache = -1;
  view().ShowAssignments();
  EXPECT_FALSE(w.view.Selected(kA));
}

TEST_F(KeyboardView_, AClickOpensTheEditorForItsKeyAndShowsTheResult) {
  w.editor.on_open = [&](uint16_t key_index) {
    w.stores.edit.SetRecord(0, key_index, Assigned(KeyType::kDisabled, 0));
  };
  EXPECT_TRUE(w.logic.OnCommand(kA));
  EXPECT_TRUE(w.logic.OnCommand(kGKeyButtonIds[8]));
  EXPECT_TRUE(w.logic.OnCommand(kFnButtonId));
  EXPECT_TRUE(w.logic.OnCommand(kD1));
  EXPECT_EQ(w.editor.calls, (Calls{"open 30 1058", "open 264 1143"}));
  EXPECT_TRUE(w.view.Selected(kA));
}

TEST_F(KeyboardView_, WithTheLightingViewOnAClickPaintsItsLed) {
  w.panel.view_on = true;
  w.panel.calls.clear();
  for (int id : {kA, int(kGKeyButtonIds[0]), int(kFnButtonId), kD1, kRightWin}) EXPECT_TRUE(w.logic.OnCommand(id));
  EXPECT_EQ(w.panel.calls, (Calls{"paint 1058 53", "paint 1000 125", "paint 1174 91", "paint 1016 0", "paint 1087 112"}));
  EXPECT_TRUE(w.editor.calls.empty());
}

TEST_F(KeyboardView_, FlipTradesF1ToF4ForTheExtraKeys) {
  EXPECT_TRUE(w.view.Enabled(kF1));
  EXPECT_FALSE(w.view.Enabled(kD1));
  EXPECT_EQ(view().ArrowOrigin(true, 2), u"DOWN_ARROW_LEFT2");
  w.logic.OnCommand(kCmdFlip1);
  EXPECT_FALSE(w.view.Enabled(kF1));
  EXPECT_TRUE(w.view.Enabled(kD1));
  EXPECT_EQ(w.settings.ReadInt(kProfilesSection, u"Flip", -1), 1);
  EXPECT_EQ(view().ArrowOrigin(false, 1), u"UP_ARROW_RIGHT1");
  w.logic.OnCommand(kCmdFlip0);
  EXPECT_TRUE(w.view.Enabled(kD1));
  w.logic.OnCommand(kCmdFlip2);
  EXPECT_TRUE(w.view.Enabled(kF1));
  EXPECT_EQ(w.settings.ReadInt(kProfilesSection, u"Flip", -1), 0);
}

}  // namespace
}  // namespace keyloom
