#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/text.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::RecordingSink;
using testing::SimStack;
using Calls = std::vector<std::string>;

struct WatcherFixture {
  explicit WatcherFixture(char model = 'A') : sim(model, /*connect=*/false), watcher(sim.link, sim.commands, state, sink) {}
  SimStack sim;
  PresenceState state;
  RecordingSink sink;
  KeyboardWatcher watcher;
};

TEST(PathFilter, ReadsHexIdsAfterVidAndPidInAnyCase) {
  SimHidBackend backend(nullptr);
  struct Case {
    const char16_t* path;
    bool candidate;
  } cases[] = {
      {u"\\\\?\\HID#VID_0C45&PID_652F&MI_02#x", true},
      {u"\\\\?\\hid#vid_320f&pid_5064#y", true},
      {u"\\\\?\\hid#vid_0c45&pid_6530#z", false},
      {u"\\\\?\\hid#vid_320f&pid_652f#w", false},  // ids of two different models
      {u"/dev/hidraw3", false},                    // no ids: both read as 0
      {u"vid_0c45", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsCandidatePath(backend, c.path), c.candidate) << Utf16ToUtf8(c.path);
}

TEST(Watcher, NoKeyboardAtStartSetsQuietStartAndTellsTheWindowNothing) {
  WatcherFixture f;
  f.sim.keyboard.Unplug();
  ASSERT_TRUE(f.watcher.Probe());
  ASSERT_TRUE(f.watcher.Step());
  EXPECT_EQ(f.state.quiet_start, 1);
  EXPECT_EQ(f.sim.link.connected, 0);
  EXPECT_EQ(f.watcher.PeriodMs(), 1000);
  EXPECT_TRUE(f.sink.Calls().empty());
}

TEST(Watcher, KeyboardPresentAtStartIsReportedAndOpensTheWindow) {
  WatcherFixture f;
  ASSERT_TRUE(f.watcher.Probe());
  EXPECT_EQ(f.sim.Frames().size(), 1u) << "the probe reads the settings block once";
  EXPECT_EQ(f.sim.link.connected, 0);
  ASSERT_TRUE(f.watcher.Step());
  EXPECT_EQ(f.sink.Calls(), (Calls{"arrival", "tray 141", "open"}));
  EXPECT_EQ(f.sim.link.connected, 1);
  EXPECT_EQ(f.sim.link.macro_capacity, 4096);
  EXPECT_EQ(f.watcher.PeriodMs(), 100);
  EXPECT_EQ(f.state.quiet_start, 1);
}

TEST(Watcher, StartWithQuietFlagReportsArrivalWithoutOpening) {
  WatcherFixture f;
  f.state.quiet_start = 1;
  f.watcher.Probe();
  f.watcher.Step();
  EXPECT_EQ(f.sink.Calls(), (Calls{"arrival", "tray 141"}));
}

TEST(Watcher, KeyboardPluggedInLaterNeverOpensTheWindow) {
  WatcherFixture f;
  f.sim.keyboard.Unplug();
  f.watcher.Probe();
  f.watcher.Step();
  f.sim.keyboard.Plug();
  f.watcher.Step();
  EXPECT_EQ(f.sink.Calls(), (Calls{"arrival", "tray 141"}));
}

TEST(Watcher, UnplugAndReplugGiveRemovalThenANewArrival) {
  WatcherFixture f;
  f.watcher.Probe();
  f.watcher.Step();
  f.sink.Clear();
  f.sim.link.active_profile_cache = 2;
  f.sim.keyboard.Unplug();
  f.watcher.Step();
  EXPECT_EQ(f.sink.Calls(), (Calls{"removal", "hide", "tray 128"}));
  EXPECT_EQ(f.sim.link.connected, 0);
  EXPECT_EQ(f.sim.link.active_profile_cache, -1);
  f.sink.Clear();
  f.sim.keyboard.Plug();
  f.watcher.Step();
  EXPECT_EQ(f.sink.Calls(), (Calls{"arrival", "tray 141"}));
}

TEST(Watcher, ArrivalTakesTheKeyboardsGeometryAndDefaultKeyMap) {
  WatcherFixture f('B');
  f.watcher.Probe();
  f.watcher.Step();
  EXPECT_EQ(f.sim.link.keymap_size, 384);
  EXPECT_EQ(f.sim.link.stride, 512);
  EXPECT_EQ(f.sim.link.macro_capacity, 8192);
  const auto matrix = f.sim.link.DefaultMatrix();
  EXPECT_EQ(matrix[0], 6) << "G1 from the keyboard replaces the built-in entry";
  EXPECT_EQ(matrix[14 * 3 + 2], 9);
}

TEST(Watcher, UnreadableDefaultKeyMapKeepsTheMatrixAndSaysSo) {
  WatcherFixture f;
  f.sim.link.SetDefaultMatrix(std::vector<uint8_t>(3, 0x07));
  f.watcher.Probe();
  f.sim.keyboard.ReplyStatusAt(1, 0xFF);  // the first frame of the default key map
  f.watcher.Step();
  EXPECT_EQ(f.sink.Calls().front(), "message MAIN_DEFAULT_MATRIX_PROMPT");
  EXPECT_EQ(f.sim.link.DefaultMatrix()[0], 0x07);
}

TEST(Watcher, InterfacesWithTheRightIdsButAnotherUsageAreOpenedAndClosed) {
  WatcherFixture f;
  f.sim.backend.AddRefusingInterface();
  f.sim.backend.AddUnrelatedInterfaces(12);  // more than 8 paths
  const int before = f.sim.backend.opens();
  f.watcher.Step();
  // Opened: the refusing interface (fails), boot and consumer (no match),
  // vendor (match). The unrelated ones never pass the path filter.
  EXPECT_EQ(f.sim.backend.opens() - before, 4);
  EXPECT_EQ(f.sim.link.hid.path(), f.sim.backend.PathOf(SimInterface::kVendor));
}

TEST(Watcher, FailedEnumerationEndsTheThread) {
  WatcherFixture f;
  f.sim.backend.FailNextEnumeration();
  EXPECT_FALSE(f.watcher.Probe());
}

TEST(Watcher, RepeatedPresenceIsReportedOnce) {
  WatcherFixture f;
  f.state.quiet_start = 1;
  f.sim.Connect();
  f.watcher.OnKeyboardPresence(1);
  f.watcher.OnKeyboardPresence(1);
  f.watcher.OnKeyboardPresence(0);
  f.watcher.OnKeyboardPresence(0);
  EXPECT_EQ(f.sink.Calls(), (Calls{"arrival", "tray 141", "removal", "hide", "tray 128"}));
}

TEST(NotificationReader, KeyboardNotificationsBecomeTimersAndTrayImages) {
  SimStack sim('A', false);
  PresenceState state;
  state.remembered_tray_image = kTrayKeyboard;
  RecordingSink sink;
  NotificationReader reader(sim.backend, sim.clock, state, sink);
  sim.keyboard.SwitchProfileOnKeyboard(1);
  sim.keyboard.ChangeLightingOnKeyboard(3);
  sim.keyboard.EnterTemporaryState();
  sim.keyboard.LeaveTemporaryState();
  sim.keyboard.SendConsumerUsage(0x00E9);  // volume up: nothing to do
  StopSignal stop;
  std::thread unplug([&] {
    // Let the reader drain the queued reports, then pull the plug so its
    // read fails and the pass ends.
    while (sink.Calls().size() < 4) std::this_thread::yield();
    sim.keyboard.Unplug();
  });
  EXPECT_TRUE(reader.ScanOnce(stop));
  unplug.join();
  EXPECT_EQ(sink.Calls(), (Calls{"timer 1053", "timer 1051", "tray 142", "tray 141"}));
  EXPECT_EQ(sim.keyboard.Memory().settings[10], 1);
}

TEST(PresenceThreads, UnplugIsNoticedWithinAboutATenthOfASecondAndThreadsStop) {
  SystemClock clock;
  SimKeyboard keyboard(kModelA, clock);
  keyboard.Plug();
  SimHidBackend backend(&keyboard);
  KeyboardLink link(backend, clock);
  CommandSet commands(link);
  PresenceState state;
  state.quiet_start = 1;
  RecordingSink sink;
  PresenceThreads threads(link, commands, state, sink, backend);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!link.connected && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_EQ(link.connected, 1);
  const auto unplugged = std::chrono::steady_clock::now();
  keyboard.Unplug();
  while (link.connected && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  const auto noticed = std::chrono::steady_clock::now() - unplugged;
  EXPECT_EQ(link.connected, 0);
  // The check runs every 100 ms; allow a loaded machine a generous margin.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(noticed).count(), 1000);
  threads.Stop();  // must return: the reader's endless read is cut short
}

// A sink whose arrival waits until the "window thread" takes it, as a sent
// window message does.
class WaitingSink final : public PresenceSink {
 public:
  void SendArrival() override {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return taken_; });
    waiting_ = false;
  }
  void SendRemoval() override {}
  void PostOpen() override {}
  void HideMainWindow() override {}
  void SetTrayImage(int) override {}
  void StartTimer(int) override {}
  void ShowMessage(std::u16string_view) override {}
  // The window thread's part: takes a waiting arrival within `ms`.
  void Serve(int ms) {
    std::unique_lock lock(mutex_);
    // An arrival already taken stays `waiting_` until the watcher runs
    // again: it is not served twice.
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return waiting_ && !taken_; });
    if (waiting_ && !taken_) {
      taken_ = true;
      ++served;
      cv_.notify_all();
    }
  }
  bool waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }
  int served = 0;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool waiting_ = false, taken_ = false;
};

TEST(PresenceThreads, StoppingWhileTheWatcherWaitsForTheWindowServesItAndEnds) {
  SimStack sim('A', false);
  PresenceState state;
  state.quiet_start = 1;
  WaitingSink sink;
  PresenceThreads threads(sim.link, sim.commands, state, sink, sim.backend);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!sink.waiting() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ASSERT_TRUE(sink.waiting());
  // Joining now would wait for a thread that waits for us; serving does not.
  EXPECT_FALSE(threads.WaitEnded(50));
  threads.StopWhileServing([&](int ms) { sink.Serve(ms); });
  EXPECT_EQ(sink.served, 1);
  EXPECT_TRUE(threads.WaitEnded(0));
}

}  // namespace
}  // namespace keyloom
