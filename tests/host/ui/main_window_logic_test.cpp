#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::FrameCommands;
using testing::MainWorld;
using Calls = std::vector<std::string>;

TEST(MainWindowLogic, TaggedMessagesActOnlyOnTheirExactTag) {
  struct Case {
    unsigned message;
    uint64_t tag;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {kMainMsgInit, 0x494E4954, {"hide"}},
      {kMainMsgInit, 0x494E4955, {}},
      {kMainMsgInit, 0x1494E4954, {}},  // the whole parameter is compared
      {kMainMsgOpen, 0x4F50454E, {"message MAIN_NO_DEVICE_PROMPT", "update check"}},
      {kMainMsgOpen, 0x494E4954, {}},
      {kMainMsgLanguage, 0x4C414E47, {"language 1"}},
      {kMainMsgLanguage, 0, {}},
      {kMainMsgKill, 0x4F50454E, {}},
      {kMainMsgArrival, 0x50524F47, {}},
  };
  for (const Case& c : cases) {
    MainWorld w;
    w.Create();
    w.view.calls.clear();
    w.sim.keyboard.ClearTrace();
    EXPECT_EQ(w.logic.OnTaggedMessage(c.message, c.tag, 1), 0);
    EXPECT_EQ(w.view.calls, c.calls) << std::hex << c.message << " " << c.tag;
    EXPECT_TRUE(w.sim.Frames().empty()) << std::hex << c.message << " " << c.tag;
  }
  MainWorld w;
  EXPECT_FALSE(w.logic.OnTaggedMessage(0x0111, 0, 0).has_value());
  w.logic.OnTaggedMessage(kMainMsgInit, kMainTagInit, 0);
  EXPECT_TRUE(w.logic.started_hidden());
}

TEST(MainWindowLogic, OpenShowsTheWindowOnlyWithAKeyboardAndTheStartUpHideSparesAnOpenedWindow) {
  MainWorld w;
  w.logic.OnCommand(kCmdOpen);
  EXPECT_EQ(w.view.calls, Calls{"message MAIN_NO_DEVICE_PROMPT"});
  w.view.calls.clear();
  w.presence.last_reported = 1;
  // The keyboard was there at start: its 'OPEN' can come before the
  // window's own 'INIT'.
  w.logic.OnTaggedMessage(kMainMsgOpen, kMainTagOpen, 0);
  w.logic.OnTaggedMessage(kMainMsgInit, kMainTagInit, 0);
  // The update check comes after the window was shown; the tray's Open
  // above does not run it.
  EXPECT_EQ(w.view.calls, (Calls{"show", "update check"}));
  EXPECT_FALSE(w.logic.OnNonClientPaint());
}

TEST(MainWindowLogic, TheFirstTwoNonClientPaintsHideUnlessTheWindowWasOpened) {
  MainWorld w;
  EXPECT_TRUE(w.logic.OnNonClientPaint());
  EXPECT_TRUE(w.logic.OnNonClientPaint());
  EXPECT_FALSE(w.logic.OnNonClientPaint());
}

TEST(MainWindowLogic, CommandsReachTheirViewsAndParts) {
  struct Case {
    int id;
    Calls view;
  };
  const std::vector<Case> cases = {
      {kCmdOk, {"busy on", "busy off", "hide"}},
      {kCmdCancel, {"hide"}},
      {kCmdMinimize, {"minimize"}},
      {kCmdButtonMenu, {"button menu"}},
      {kCmdAbout, {"about"}},
      {kCmdHelp, {"help"}},
      {kCmdProfiles, {"profile manager"}},
      {kCmdProfileMenu, {"profile menu"}},
      {kCmdLogoLink, {"link 0"}},
      {kCmdLink0, {"link 0"}},
      {kCmdLink1, {"link 1"}},
      {kCmdLink2, {"link 2"}},
      {kCmdFirmwareUpdate, {"firmware"}},
      {kCmdLockAb, {}},
      {kCmdFlip0, {}},
  };
  for (const Case& c : cases) {
    MainWorld w;
    EXPECT_TRUE(w.logic.OnCommand(c.id)) << c.id;
    EXPECT_EQ(w.view.calls, c.view) << c.id;
    EXPECT_FALSE(w.logic.quitting());
  }
  MainWorld w;
  EXPECT_TRUE(w.logic.OnCommand(kCmdMacro));
  EXPECT_EQ(w.editor.calls, Calls{"open 264 1143"});
  // Controls the window does not know go to the lighting panel, with their
  // notification; a click on one of its pictures is the panel's too.
  EXPECT_TRUE(w.logic.OnCommand(1146, 1));
  EXPECT_TRUE(w.logic.OnCommand(1167));
  EXPECT_FALSE(w.logic.OnCommand(4242));
  EXPECT_EQ(w.panel.calls, (Calls{"command 1146 1", "command 1167 0", "command 4242 0"}));
  EXPECT_TRUE(w.logic.OnSystemCommand(kSysCmdAbout));
  EXPECT_FALSE(w.logic.OnSystemCommand(0xF020));  // minimise takes the default path
}

TEST(MainWindowLogic, TimersAndSlidersReachTheirHandlers) {
  MainWorld w;
  w.Create();
  w.panel.calls.clear();
  EXPECT_TRUE(w.logic.OnTimer(kPreviewTimer));  // the view is off: no preview step, the timer may rest
  w.panel.view_on = true;
  EXPECT_TRUE(w.logic.OnTimer(kPreviewTimer));
  w.logic.OnSliderMessage(1178, 3);
  EXPECT_FALSE(w.logic.OnTimer(4242));
  EXPECT_EQ(w.panel.calls, (Calls{"idle", "tick", "slider 1178 3"}));

  // The keyboard changed its lighting: read again and shown.
  w.sim.keyboard.EditMemory([](SimMemory& m) { m.params[15] = 7; });
  w.panel.calls.clear();
  EXPECT_TRUE(w.logic.OnTimer(kTimerLightingChanged));
  EXPECT_EQ(w.panel.calls, Calls{"refresh"});
  EXPECT_EQ(w.view.SelectedOf(kReportRateButtonIds), 3) << "a report-rate byte of 7 shows the fourth button";
}

TEST(MainWindowLogic, QuitTakesThingsDownInOrderFromEveryEntry) {
  const Calls order = {"hide",        "close editors", "stop threads", "close mutex",
                       "close events", "remove tray",  "release skin", "end"};
  for (int id : {kCmdClose, kCmdExit, kCmdMenuClose}) {
    MainWorld w;
    w.tray.CreateIcon([](int) { return true; });
    w.tray.Set(0, 141, nullptr);
    w.logic.SetModified(true);
    w.view.calls.clear();
    w.logic.OnCommand(id);
    EXPECT_EQ(w.view.calls, order) << id;
    EXPECT_EQ(w.editor.calls, (Calls{"close", "stop recording"})) << id;
    EXPECT_TRUE(w.logic.quitting());
    EXPECT_FALSE(w.logic.modified());
    EXPECT_EQ(w.tray.current(), 128);
  }
  MainWorld killed;
  killed.logic.OnTaggedMessage(kMainMsgKill, kMainTagKill, 0);
  EXPECT_EQ(killed.view.calls, order);
}

TEST(MainWindowLogic, QuitRefusedByAnEditorLeavesTheProgramRunningHidden) {
  MainWorld about;
  about.view.editors_close = false;
  about.logic.Quit();
  EXPECT_EQ(about.view.calls, (Calls{"hide", "close editors"}));
  EXPECT_FALSE(about.logic.quitting());

  MainWorld editor;
  editor.editor.open = true;
  editor.editor.refuse_close = true;
  editor.logic.Quit();
  EXPECT_EQ(editor.view.calls, (Calls{"hide", "close editors"}));
  EXPECT_FALSE(editor.logic.quitting());
}

TEST(MainWindowLogic, EnterAndEscapeAreSwallowedArrowsOnlyInTheModeCombo) {
  EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0100, 0x0D, false));
  EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0101, 0x1B, false));
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0102, 0x0D, false));  // WM_CHAR passes
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x91, false));  // Scroll Lock
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x25, false));
  for (unsigned vk = 0x25; vk <= 0x28; ++vk) EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0100, vk, true));
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x41, true));
}

TEST(MainWindowLogic, NamesOfEventsAndProgressPictures) {
  EXPECT_EQ(MainEventName(1), u"Keyloom_Event_Main_01");
  EXPECT_EQ(MainEventName(42), u"Keyloom_Event_Main_42");
  EXPECT_EQ(MainEventName(210), u"Keyloom_Event_Main_210");
  EXPECT_EQ(ProgressPictureName(0), u"jdt1.bmp");
  EXPECT_EQ(ProgressPictureName(9), u"jdt10.bmp");
}

// --- start-up ---

// The keyboard threads' way to the logic, as the window delivers it:
// arrival and removal at once (sent), 'OPEN' and timers later (posted).
class LogicSink final : public PresenceSink {
 public:
  explicit LogicSink(MainWorld& w) : w_(w) {}
  void SendArrival() override { w_.logic.OnTaggedMessage(kMainMsgArrival, kMainTagArrival, 0); }
  void SendRemoval() override { w_.logic.OnTaggedMessage(kMainMsgRemoval, 0, 0); }
  void PostOpen() override { posted.push_back(kMainMsgOpen); }
  void HideMainWindow() override { w_.view.Add("hide"); }
  void SetTrayImage(int icon) override { w_.tray.SetFromPresence(icon, [this](int i) { shown.push_back(i); }); }
  void StartTimer(int id) override { posted.push_back(static_cast<unsigned>(id)); }
  void ShowMessage(std::u16string_view key) override { w_.view.ShowMessage(key); }
  // The window's queue: its own 'INIT' first, then what the threads posted.
  void RunQueue() {
    w_.logic.OnTaggedMessage(kMainMsgInit, kMainTagInit, 0);
    for (unsigned m : posted) {
      if (m == kMainMsgOpen) w_.logic.OnTaggedMessage(kMainMsgOpen, kMainTagOpen, 0);
      else w_.logic.OnTimer(static_cast<int>(m));
    }
    posted.clear();
  }
  std::vector<unsigned> posted;
  std::vector<int> shown;

 private:
  MainWorld& w_;
};

struct StartUp {
  explicit StartUp(bool keyboard, bool quiet) : w('B', false), sink(w), watcher(w.sim.link, w.sim.commands, w.presence, sink) {
    if (!keyboard) w.sim.keyboard.Unplug();
    w.presence.quiet_start = quiet ? 1 : 0;
    w.logic.OnCreating();
    w.tray.CreateIcon([](int) { return true; });
    w.logic.OnCreated();
    watcher.Probe();
    watcher.Step();
    sink.RunQueue();
  }
  MainWorld w;
  LogicSink sink;
  KeyboardWatcher watcher;
};

TEST(MainWindowStartUp, WithTheKeyboardTheWindowOpensWithItsProfileAndAssignments) {
  StartUp s(true, false);
  EXPECT_EQ(s.w.view.calls, (Calls{"hide", "show", "update check"}));
  EXPECT_EQ(s.sink.shown, std::vector<int>{141});
  EXPECT_EQ(s.w.view.SelectedOf(kProfileButtonIds), 0);
  EXPECT_EQ(s.w.view.SelectedOf(kReportRateButtonIds), 0);
  EXPECT_EQ(s.w.view.controls[kCmdProfiles].caption, u"Profile 1");
  EXPECT_FALSE(s.w.logic.modified());
  EXPECT_FALSE(s.w.view.Enabled(kCmdApply));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(s.w.model.working_profile_path)));
}

TEST(MainWindowStartUp, WithStartTheKeyboardIsReadButTheWindowStaysHidden) {
  StartUp s(true, true);
  EXPECT_EQ(s.w.view.calls, Calls{"hide"});
  EXPECT_EQ(s.w.view.SelectedOf(kProfileButtonIds), 0);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(s.w.model.working_profile_path)));
}

TEST(MainWindowStartUp, WithoutTheKeyboardTheWindowStaysHiddenAndOpenSaysSo) {
  StartUp s(false, false);
  EXPECT_EQ(s.w.view.calls, Calls{"hide"});
  EXPECT_TRUE(s.w.sim.Frames().empty());
  EXPECT_EQ(s.w.view.SelectedOf(kProfileButtonIds), -1);
  EXPECT_EQ(s.w.view.controls[kCmdProfiles].caption, u"Default");
  s.w.logic.OnCommand(kCmdOpen);
  EXPECT_EQ(s.w.view.calls.back(), "message MAIN_NO_DEVICE_PROMPT");
  // Plugged in later: read, but the window does not open by itself.
  s.w.sim.keyboard.Plug();
  s.watcher.Step();
  s.sink.RunQueue();
  EXPECT_FALSE(s.w.view.Called("show"));
  EXPECT_EQ(s.w.view.SelectedOf(kProfileButtonIds), 0);
}

TEST(MainWindowStartUp, RemovalClosesTheDialogsAndHidesTheWindow) {
  StartUp s(true, false);
  s.w.editor.open = true;
  s.w.view.calls.clear();
  s.w.sim.keyboard.Unplug();
  s.watcher.Step();
  EXPECT_EQ(s.w.view.calls, (Calls{"close dialogs", "hide"}));
  EXPECT_EQ(s.w.editor.calls, Calls{"close"});
  EXPECT_FALSE(s.w.editor.open);
  EXPECT_EQ(s.sink.shown, (std::vector<int>{141, 128}));
}

// --- Apply ---

struct Connected : ::testing::Test {
  Connected() {
    w.Create();
    w.Arrive();
    w.ClearFrames();
    w.view.calls.clear();
  }
  MainWorld w;
};

TEST_F(Connected, ApplyWithoutChangesShowsTheBusyIndicatorAndWritesNothing) {
  w.logic.OnCommand(kCmdApply);
  EXPECT_EQ(w.view.calls, (Calls{"busy on", "busy off"}));
  EXPECT_TRUE(w.sim.Frames().empty());
}

TEST_F(Connected, ApplyWritesTheActiveProfileAndTheWorkingFileThenClearsModified) {
  const auto working_before = persist_test::ReadFile(w.model.working_profile_path);
  w.stores.edit.SetRecord(0, 0x1E, testing::Assigned(KeyType::kKey, 0x030));  // A gives B
  w.logic.SetModified(true);
  EXPECT_TRUE(w.view.Enabled(kCmdApply));
  w.logic.OnCommand(kCmdApply);
  EXPECT_EQ(FrameCommands(w.sim.Frames()), (std::vector<int>{1, 10, 8, 8, 8, 8, 8, 8, 8, 2}))
      << "begin, the macro area, one key map in seven frames, end";
  EXPECT_FALSE(w.logic.modified());
  EXPECT_FALSE(w.view.Enabled(kCmdApply));
  EXPECT_NE(persist_test::ReadFile(w.model.working_profile_path), working_before);
  EXPECT_EQ(w.view.calls, (Calls{"busy on", "busy off"}));
}

TEST_F(Connected, AFailedApplyKeepsTheApplyButtonForAnotherTry) {
  w.stores.edit.SetRecord(0, 0x1E, testing::Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.sim.keyboard.ReplyStatusAt(3, 0xFF);  // the first key-map frame
  w.logic.OnCommand(kCmdApply);
  EXPECT_TRUE(w.logic.modified());
  EXPECT_TRUE(w.view.Enabled(kCmdApply));
  w.ClearFrames();
  w.logic.OnCommand(kCmdApply);
  EXPECT_FALSE(w.logic.modified());
}

TEST_F(Connected, WhatArrivesDuringAnApplyWaitsForItsEnd) {
  w.stores.edit.SetRecord(0, 0x1E, testing::Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.panel.calls.clear();
  w.view.while_working = [&] {
    EXPECT_TRUE(w.logic.OnTimer(kTimerLightingChanged));
    EXPECT_TRUE(w.logic.OnCommand(kCmdExit));
    EXPECT_TRUE(w.logic.OnCommand(kCmdApply));  // no second Apply
    EXPECT_TRUE(w.panel.calls.empty()) << "the keyboard is not asked meanwhile";
    EXPECT_FALSE(w.logic.quitting());
  };
  w.logic.OnCommand(kCmdApply);
  EXPECT_EQ(w.panel.calls, Calls{"refresh"});
  EXPECT_TRUE(w.logic.quitting());
  int begins = 0;
  for (int c : FrameCommands(w.sim.Frames())) begins += c == 10;
  EXPECT_EQ(begins, 1) << "one macro area written: one Apply";
}

TEST_F(Connected, OkAppliesThenHides) {
  w.stores.edit.SetRecord(0, 0x1E, testing::Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.logic.OnCommand(kCmdOk);
  EXPECT_FALSE(w.logic.modified());
  EXPECT_EQ(w.view.calls.back(), "hide");
  EXPECT_FALSE(w.sim.Frames().empty());
}

// --- stopping the keyboard threads ---

// Messages sent to "the window's thread": the sender waits until that thread
// serves them, as with a sent window message.
class WindowThread {
 public:
  void Send(std::function<void()> work) {
    std::unique_lock lock(mutex_);
    const uint64_t ticket = ++sent_;
    queue_.push_back(std::move(work));
    cv_.notify_all();
    cv_.wait(lock, [&] { return served_ >= ticket; });
  }
  // Serves what arrives within `ms`.
  void Serve(int ms) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !queue_.empty(); });
    while (!queue_.empty()) {
      auto work = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      work();
      lock.lock();
      ++served_;
      cv_.notify_all();
    }
  }
  bool Waiting() {
    std::lock_guard lock(mutex_);
    return !queue_.empty();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> queue_;
  uint64_t sent_ = 0, served_ = 0;
};

class ThreadSink final : public PresenceSink {
 public:
  ThreadSink(WindowThread& window, MainWorld& w) : window_(window), w_(w) {}
  void SendArrival() override {
    window_.Send([this] { w_.logic.OnTaggedMessage(kMainMsgArrival, kMainTagArrival, 0); });
  }
  void SendRemoval() override {
    window_.Send([this] { w_.logic.OnTaggedMessage(kMainMsgRemoval, 0, 0); });
  }
  void PostOpen() override {}
  void HideMainWindow() override {}
  void SetTrayImage(int) override {}
  void StartTimer(int) override {}
  void ShowMessage(std::u16string_view) override {}

 private:
  WindowThread& window_;
  MainWorld& w_;
};

TEST(MainWindowQuit, QuitWhileAnArrivalIsBeingDeliveredEndsWithinASecond) {
  MainWorld w('B', false);
  w.presence.quiet_start = 1;
  w.Create();
  WindowThread window;
  ThreadSink sink(window, w);
  PresenceThreads threads(w.sim.link, w.sim.commands, w.presence, sink, w.sim.backend);
  w.view.stop_threads = [&] { threads.StopWhileServing([&](int ms) { window.Serve(ms); }); };
  // The watcher found the keyboard and waits for the window to take the
  // arrival; the window is busy elsewhere and then quits.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!window.Waiting() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_TRUE(window.Waiting());
  const auto start = std::chrono::steady_clock::now();
  w.logic.OnCommand(kCmdExit);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(w.logic.quitting());
  EXPECT_EQ(w.view.calls.back(), "end");
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 1000);
  // The arrival that came too late changed nothing.
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), -1);
}

}  // namespace
}  // namespace keyloom
