// An Apply cut short by an unplug at any of its frames: the keyboard holds
// part of it until it is plugged in again, when the main window applies the
// working profile file again instead of reading the half-written keyboard
// back into it.
#include <gtest/gtest.h>

#include <iostream>
#include <mutex>
#include <utility>
#include <vector>
#include <string>

#include "model/key_tables.h"
#include "model/macro.h"
#include "storage/interrupted_apply.h"
#include "storage/profile_file.h"
#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::Assigned;
using testing::MainWorld;
using Calls = std::vector<std::string>;

MacroRecord Macro(uint16_t id, int events) {
  MacroRecord m;
  SetMacroName(m, id == 1 ? u"Long greeting" : u"Build");
  m.macro_id = id;
  for (int i = 0; i < events; ++i)
    AddMacroEvent(m, {10, uint16_t(0x1E + i % 10), uint16_t(i % 2 ? kMacroStateRelease : kMacroStatePress)});
  return m;
}

// What a user might have changed: two macros whose area takes several
// frames, played by keys of every profile, and a remapped key.
void ChangeAssignments(MainWorld& w) {
  KeyStore& edit = w.stores.edit;
  std::lock_guard lock(edit.mutex);
  edit.macros = {Macro(1, 120), Macro(2, 40)};
  for (int p = 0; p < kProfileCount; ++p) {
    edit.SetRecord(p, KeyIndexFromCode(0x10), Assigned(KeyType::kPlayMacro, 1 + p % 2));  // Q
    edit.SetRecord(p, KeyIndexFromCode(0x1E), Assigned(KeyType::kKey, 0x30 + p));         // A
  }
}

// True when the keyboard holds exactly what applying the working file sends.
::testing::AssertionResult KeyboardHoldsWorkingFile(MainWorld& w) {
  KeyStore working;
  std::lock_guard lock(working.mutex);
  if (ProfileFileRead(w.model.working_profile_path, working) != 1)
    return ::testing::AssertionFailure() << "the working file cannot be read";
  KeyboardAssignments held;
  if (const int r = ReadKeyboardAssignments(w.sim.commands, held); r != kResultOk)
    return ::testing::AssertionFailure() << "the keyboard cannot be read: " << r;
  if (!KeyboardHoldsStore(held, working, w.sim.link.DefaultMatrix(), size_t(w.sim.link.macro_capacity.load())))
    return ::testing::AssertionFailure() << "the keyboard holds something else";
  return ::testing::AssertionSuccess();
}

struct Started {
  explicit Started(bool all_profiles) {
    w.Create();
    w.Arrive();
    ChangeAssignments(w);
    w.stores.all_profiles = all_profiles;  // as after a macro that keys played was deleted
    w.logic.SetModified(true);
    w.ClearFrames();
    w.view.calls.clear();
  }
  // An Apply the keyboard's unplug cuts short in the macro area.
  void CutShort() {
    w.sim.keyboard.UnplugAt(5, SimKeyboard::UnplugMoment::kAtFrame);
    w.logic.OnCommand(kCmdApply);
    ASSERT_TRUE(ApplyMarked(w.model.working_profile_path));
  }
  MainWorld w;
};

// The frames an Apply sends, counted on a keyboard that takes them all.
int FramesOfApply(bool all_profiles) {
  Started s(all_profiles);
  s.w.logic.OnCommand(kCmdApply);
  EXPECT_FALSE(s.w.logic.modified());
  return static_cast<int>(s.w.sim.Frames().size());
}

TEST(InterruptedApply, UnplugAtAnyFrameIsFinishedWhenTheKeyboardComesBack) {
  using Moment = SimKeyboard::UnplugMoment;
  int unplugs = 0;
  for (const bool all_profiles : {false, true}) {
    const int frames = FramesOfApply(all_profiles);
    ASSERT_GT(frames, all_profiles ? 3 * 7 + 4 : 7 + 4) << "begin, a macro area of several frames, key maps, end";
    // Every frame taken and never answered; the frame not arriving and the
    // keyboard going after the reply at the first, a middle and the last.
    std::vector<std::pair<int, Moment>> plan;
    for (int k = 1; k <= frames; ++k) plan.emplace_back(k, Moment::kAtFrame);
    for (int k : {1, frames / 2, frames})
      for (Moment moment : {Moment::kBeforeFrame, Moment::kAfterReply}) plan.emplace_back(k, moment);
    unplugs += static_cast<int>(plan.size());
    for (const auto& [k, moment] : plan) {
      {
        SCOPED_TRACE(std::string(all_profiles ? "three profiles" : "one profile") + ", unplug at frame " +
                     std::to_string(k) + " moment " + std::to_string(int(moment)));
        Started s(all_profiles);
        MainWorld& w = s.w;
        w.sim.keyboard.UnplugAt(k, moment);
        w.logic.OnCommand(kCmdApply);
        // Only the reply to the last frame, read before the unplug, makes a whole Apply.
        const bool whole = k == frames && moment == Moment::kAfterReply;
        EXPECT_EQ(w.logic.modified(), !whole);
        EXPECT_EQ(ApplyMarked(w.model.working_profile_path), !whole);

        w.Replug();
        EXPECT_TRUE(KeyboardHoldsWorkingFile(w));
        EXPECT_FALSE(ApplyMarked(w.model.working_profile_path));
        EXPECT_FALSE(w.logic.modified());
        EXPECT_FALSE(w.view.Enabled(kCmdApply));
        EXPECT_FALSE(w.view.Called("message MAIN_PROMPT_APPLY_UNFINISHED"));
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  std::cout << "[ interrupted apply ] " << unplugs << " unplugs, each followed by a connection\n";
}

// The keyboard that comes back does not take the working file either: Apply
// stays enabled with the working file in the window, the user is told, and
// the mark waits for the next try.
TEST(InterruptedApply, AFinishThatFailsKeepsApplyAndSaysSo) {
  Started s(false);
  MainWorld& w = s.w;
  ASSERT_NO_FATAL_FAILURE(s.CutShort());
  {
    // What the window shows meanwhile is not what the working file holds.
    std::lock_guard lock(w.stores.edit.mutex);
    w.stores.edit.SetRecord(0, KeyIndexFromCode(0x1E), KeyRecord{});
  }

  w.view.calls.clear();
  w.Replug([&] { w.sim.keyboard.ReplyStatusAt(2, 0xFF); });
  EXPECT_TRUE(w.view.Called("message MAIN_PROMPT_APPLY_UNFINISHED"));
  EXPECT_TRUE(w.logic.modified());
  EXPECT_TRUE(w.view.Enabled(kCmdApply));
  EXPECT_TRUE(ApplyMarked(w.model.working_profile_path));
  EXPECT_EQ(w.stores.edit.Record(0, KeyIndexFromCode(0x1E)).value, 0x30u) << "the working file is in the window";

  // The user's Apply: every profile, as the one it finishes may have moved
  // the macros every profile plays.
  w.ClearFrames();
  w.logic.OnCommand(kCmdApply);
  EXPECT_FALSE(w.logic.modified());
  EXPECT_FALSE(ApplyMarked(w.model.working_profile_path));
  EXPECT_TRUE(KeyboardHoldsWorkingFile(w));
}

// Without a mark a connection reads the keyboard as always; a mark whose
// working file is gone cannot be finished and is dropped.
TEST(InterruptedApply, ConnectionWithoutAFinishableMarkReadsTheKeyboard) {
  Started s(false);
  MainWorld& w = s.w;
  ASSERT_NO_FATAL_FAILURE(s.CutShort());
  std::filesystem::remove(std::filesystem::path(w.model.working_profile_path));
  w.Replug();
  EXPECT_FALSE(ApplyMarked(w.model.working_profile_path));
  EXPECT_FALSE(w.logic.modified());
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(w.model.working_profile_path)))
      << "rebuilt from the keyboard";
}

}  // namespace
}  // namespace keyloom
