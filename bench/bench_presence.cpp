// From pulling the keyboard out to the removal reaching the window, on the
// real clock, with the watcher and reader threads running as in the program.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/presence.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom {
namespace {

class RemovalSink final : public PresenceSink {
 public:
  void SendArrival() override {}
  void SendRemoval() override {
    if (!removed.exchange(true)) at = std::chrono::steady_clock::now();
  }
  void PostOpen() override {}
  void HideMainWindow() override {}
  void SetTrayImage(int) override {}
  void StartTimer(int) override {}
  void ShowMessage(std::u16string_view) override {}
  std::atomic<bool> removed{false};
  std::chrono::steady_clock::time_point at;
};

template <class Ready>
bool WaitUntil(Ready ready, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

// Each iteration is a fresh keyboard and fresh threads: wait for the
// connection, unplug, time until the sink hears of the removal.
void BM_UnplugToRemovalNotice(benchmark::State& state) {
  for (auto _ : state) {
    SystemClock clock;
    SimKeyboard keyboard(kModelA, clock);
    keyboard.Plug();
    SimHidBackend backend(&keyboard);
    KeyboardLink link(backend, clock);
    CommandSet commands(link);
    PresenceState presence;
    presence.quiet_start = 1;
    RemovalSink sink;
    PresenceThreads threads(link, commands, presence, sink, backend);
    if (!WaitUntil([&] { return link.connected == 1; }, std::chrono::seconds(10))) {
      state.SkipWithError("the keyboard was never connected");
      break;
    }
    const auto unplugged = std::chrono::steady_clock::now();
    keyboard.Unplug();
    if (!WaitUntil([&] { return sink.removed.load(); }, std::chrono::seconds(10))) {
      state.SkipWithError("the removal never reached the window");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(sink.at - unplugged).count());
    threads.Stop();
  }
}
BENCHMARK(BM_UnplugToRemovalNotice)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

}  // namespace
}  // namespace keyloom
