#include <gtest/gtest.h>

#include "ui/dialogs/key_hook_logic.h"

namespace keyloom {
namespace {

HookKey Press(uint32_t vk, uint32_t scan, bool extended = false) { return {vk, scan, extended, false, false}; }
HookKey Repeat(uint32_t vk, uint32_t scan, bool extended = false) { return {vk, scan, extended, false, true}; }
HookKey Release(uint32_t vk, uint32_t scan, bool extended = false) { return {vk, scan, extended, true, true}; }

TEST(KeyHookLogic, ThreadMessageParametersDecode) {
  // Right Ctrl released: scan 0x1D, extended, previous state down, transition up.
  const HookKey k = HookKeyFromThreadMessage(0x11, int64_t(0xC11D0001u));
  EXPECT_EQ(k.virtual_key, 0x11u);
  EXPECT_EQ(k.scan_code, 0x1Du);
  EXPECT_TRUE(k.extended);
  EXPECT_TRUE(k.was_down);
  EXPECT_TRUE(k.release);
  const HookKey first = HookKeyFromThreadMessage('A', 0x001E0001);
  EXPECT_FALSE(first.was_down || first.release || first.extended);
}

TEST(KeyHookLogic, KeyCodeFollowsTheScanCodeWhenItAgreesWithTheVirtualKey) {
  struct Case {
    uint32_t vk, scan;
    bool extended;
    KeyCode code;
    const char* why;
  } cases[] = {
      {'A', 0x1E, false, 0x01E, "row carries the virtual key"},
      {0x10, 0x2A, false, 0x02A, "VK_SHIFT: the map sends it to the scan code's row"},
      {0x10, 0x36, false, 0x036, "right Shift's scan code is always used"},
      {0x11, 0x1D, true, 0x11D, "VK_CONTROL with E0 is right Ctrl"},
      {0x12, 0x38, true, 0x138, "VK_MENU with E0 is right Alt"},
      {0x0D, 0x1C, false, 0x01C, "Enter"},
      {0x0D, 0x1C, true, 0x11C, "Num Enter"},
      {0x24, 0x47, false, 0x047, "Num 7 with Num Lock off sends VK_HOME"},
      {0x24, 0x47, true, 0x147, "Home"},
      {0x2C, 0x37, true, 0x137, "Print Screen"},
      {0x13, 0x45, false, 0x045, "Pause"},
      {0x90, 0x45, true, 0x145, "Num Lock"},
      {0xFF, 0x70, false, 0x070, "a key without a virtual key"},
      {'B', 0x00, false, 0x030, "no scan code: the virtual-key map"},
      {'A', 0x10, false, 0x01E, "disagreement (another layout): the virtual-key map"},
      {0x07, 0x00, false, 0x000, "nothing maps"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyCodeOfMessage(c.vk, c.scan, c.extended), c.code) << c.why;
}

TEST(KeyHookLogic, CaptureTakesTheFirstPressOnlyAndPassesMediaKeys) {
  struct Case {
    HookKey key;
    bool mouse;
    HookAction action;
    KeyCode taken;
    const char* why;
  } cases[] = {
      {Press('A', 0x1E), false, HookAction::kSwallow, 0x01E, "first press"},
      {Repeat('A', 0x1E), false, HookAction::kSwallow, 0, "auto-repeat"},
      {Release('A', 0x1E), false, HookAction::kSwallow, 0, "release"},
      {Release(0x2C, 0x37, true), false, HookAction::kSwallow, 0x137, "Print Screen comes as a release"},
      {Press('A', 0x1E), true, HookAction::kSwallow, 0, "switch on mouse"},
      {Press(0xAF, 0x30, true), false, HookAction::kPass, 0, "volume up is a media key"},
      {Press(0x07, 0x00), false, HookAction::kPass, 0, "no key"},
  };
  for (const Case& c : cases) {
    const CaptureOutcome out = CaptureThreadKey(c.key, c.mouse);
    EXPECT_EQ(out.action, c.action) << c.why;
    EXPECT_EQ(out.taken, c.taken) << c.why;
  }
}

TEST(KeyHookLogic, DesktopHookTakesWinAndAppOnlyWhileTheDialogIsInFront) {
  EXPECT_EQ(CaptureLowLevelKey(0x5B, false, true).taken, 0x15B);
  EXPECT_EQ(CaptureLowLevelKey(0x5B, true, true).taken, 0x15B);
  EXPECT_EQ(CaptureLowLevelKey(0x5C, false, true).taken, 0x15C);
  EXPECT_EQ(CaptureLowLevelKey(0x5D, false, true).taken, 0x15D);
  EXPECT_EQ(CaptureLowLevelKey(0x5B, false, true).action, HookAction::kSwallow);
  EXPECT_EQ(CaptureLowLevelKey('A', false, true).action, HookAction::kPass);
  // The Start menu keeps working in other programs.
  EXPECT_EQ(CaptureLowLevelKey(0x5B, false, false).action, HookAction::kPass);
}

struct RecorderFixture : ::testing::Test {
  ManualClock clock;
  MacroRecorder recorder{clock};
  std::vector<RecordedKey> all;
  HookAction Feed(const HookKey& key) {
    RecordOutcome out = recorder.OnThreadKey(key);
    all.insert(all.end(), out.events.begin(), out.events.end());
    return out.action;
  }
};

TEST_F(RecorderFixture, MeasuresGapsSwallowsRepeatsAndLimitsPauses) {
  clock.Advance(1000);
  recorder.Start();
  clock.Advance(120);
  EXPECT_EQ(Feed(Press('A', 0x1E)), HookAction::kSwallow);
  clock.Advance(30);
  EXPECT_EQ(Feed(Repeat('A', 0x1E)), HookAction::kSwallow);
  clock.Advance(30);
  Feed(Release('A', 0x1E));
  clock.Advance(41000);
  Feed(Press('B', 0x30));
  EXPECT_EQ(Feed(Press(0xAF, 0x30, true)), HookAction::kPass);  // media keys are not recorded
  const std::vector<RecordedKey> expected = {
      {0x01E, kMacroStatePress, 120}, {0x01E, kMacroStateRelease, 60}, {0x030, kMacroStatePress, 40000}};
  EXPECT_EQ(all, expected);
}

TEST_F(RecorderFixture, PrintScreenGetsThePressWindowsDoesNotReport) {
  recorder.Start();
  clock.Advance(70);
  Feed(Release(0x2C, 0x37, true));  // what Windows reports
  clock.Advance(70);
  Feed(Press(0x2C, 0x37, true));    // injected input reports both
  Feed(Release(0x2C, 0x37, true));
  const std::vector<RecordedKey> expected = {{0x137, kMacroStatePress, 2},
                                             {0x137, kMacroStateRelease, 70},
                                             {0x137, kMacroStatePress, 70},
                                             {0x137, kMacroStateRelease, 0}};
  EXPECT_EQ(all, expected);
}

TEST_F(RecorderFixture, DesktopHookRecordsWinKeysOnceWhileHeld) {
  recorder.Start();
  auto win = [&](uint32_t vk, bool up) {
    RecordOutcome out = recorder.OnLowLevelKey(vk, up, true);
    all.insert(all.end(), out.events.begin(), out.events.end());
    return out.action;
  };
  EXPECT_EQ(win(0x5B, false), HookAction::kSwallow);
  EXPECT_EQ(win(0x5B, false), HookAction::kSwallow);  // held: the system repeats it
  EXPECT_EQ(win(0x5B, true), HookAction::kSwallow);
  EXPECT_EQ(win(0x5B, false), HookAction::kSwallow);  // pressed again after its release
  EXPECT_EQ(win(0x5D, false), HookAction::kPass);     // only the two Win keys
  EXPECT_EQ(recorder.OnLowLevelKey(0x5C, false, false).action, HookAction::kPass);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].key_code, 0x15B);
  EXPECT_EQ(all[1].state, kMacroStateRelease);
  EXPECT_EQ(all[2].state, kMacroStatePress);
}

}  // namespace
}  // namespace keyloom
