#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/tray_logic.h"
#include "ui/main/tray_image.h"

namespace keyloom {
namespace {

TEST(TrayNotification, RightReleaseShowsTheMenuDoubleClickOpensOtherClicksAreTaken) {
  struct Case {
    uint64_t icon, mouse;
    int result;
    TrayAction action;
  };
  const Case cases[] = {
      {140, 0x0205, 1, TrayAction::kShowMenu},   // right button up
      {140, 0x0203, 1, TrayAction::kRunDefault}, // left double-click
      {140, 0x0201, 1, TrayAction::kNone},       // single left click
      {140, 0x0200, 1, TrayAction::kNone},       // move
      {141, 0x0205, 0, TrayAction::kNone},       // not our icon
  };
  for (const Case& c : cases) {
    const TrayDecision d = DecideTrayNotification(kTrayIconId, c.icon, c.mouse);
    EXPECT_EQ(d.result, c.result);
    EXPECT_EQ(d.action, c.action) << std::hex << c.mouse;
  }
}

TEST(TrayTip, LongTipsAreCutToTheRecordWithoutSplittingAPair) {
  EXPECT_EQ(FitTrayTip(u"Keyboard"), u"Keyboard");
  const std::u16string exact(127, u'a');
  EXPECT_EQ(FitTrayTip(exact), exact);
  const std::u16string cut = FitTrayTip(std::u16string(300, u'b'));
  EXPECT_EQ(cut.size(), 127u);
  EXPECT_EQ(cut.substr(124), u"...");
  // A surrogate pair straddling the cut is dropped whole.
  std::u16string pairs(123, u'c');
  pairs += u"\U0001F600\U0001F600xxxx";
  const std::u16string fitted = FitTrayTip(pairs);
  EXPECT_EQ(fitted, std::u16string(123, u'c') + u"...");
}

TEST(TrayImage, ModesRememberAndOnlyRealChangesReachTheShell) {
  TrayImageState state;
  std::vector<int> sent;
  auto show = [&](int n) { sent.push_back(n); };
  ASSERT_TRUE(state.CreateIcon([](int image) { return image == 128; }));
  state.Set(0, 141, show);  // arrival
  state.Set(0, 141, show);  // the same image again: nothing sent
  state.Set(1, 0, show);    // the keyboard's temporary state
  state.Set(1, 99, show);   // again: nothing
  state.Set(0, 0, show);    // back to the remembered image
  state.Set(1, 0, show);
  state.Set(0, 128, show);  // removal while the temporary image shows
  state.Set(0, 0, show);    // the end of the temporary state: 128 stays
  state.Set(7, 141, show);  // unknown mode: nothing
  EXPECT_EQ(sent, (std::vector<int>{141, 142, 141, 142, 128}));
  EXPECT_EQ(state.current(), 128);
  EXPECT_EQ(state.remembered(), 128);
}

TEST(TrayImage, PresenceImagesMapToTheModes) {
  TrayImageState state;
  std::vector<int> sent;
  auto show = [&](int n) { sent.push_back(n); };
  state.CreateIcon([](int) { return true; });
  state.SetFromPresence(141, show);
  state.SetFromPresence(142, show);
  EXPECT_EQ(state.remembered(), 141);  // the temporary image is not remembered
  state.SetFromPresence(141, show);
  EXPECT_EQ(sent, (std::vector<int>{141, 142, 141}));
  state.Reset();
  EXPECT_EQ(state.current(), 128);
}

TEST(TrayImage, AnArrivalBeforeTheIconExistsGivesTheIconItsImage) {
  TrayImageState state;
  std::vector<int> sent;
  auto show = [&](int n) { sent.push_back(n); };
  state.SetFromPresence(141, show);  // the watcher is quicker than the window
  EXPECT_TRUE(sent.empty());
  int created_with = 0;
  state.CreateIcon([&](int image) {
    created_with = image;
    return true;
  });
  EXPECT_EQ(created_with, 141);
  state.SetFromPresence(141, show);
  EXPECT_TRUE(sent.empty());
  state.SetFromPresence(128, show);
  EXPECT_EQ(sent, std::vector<int>{128});
  // A shell that refuses the icon: nothing is sent later.
  TrayImageState refused;
  EXPECT_FALSE(refused.CreateIcon([](int) { return false; }));
  refused.SetFromPresence(141, show);
  EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
}  // namespace keyloom
