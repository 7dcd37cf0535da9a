// The protocol stack's own cost per transaction, and a whole key-map write
// against a keyboard with USB-like report latency.
#include <benchmark/benchmark.h>

#include <array>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom {
namespace {

struct Stack {
  explicit Stack(int latency_ms) : keyboard(kModelA, clock), backend(&keyboard), link(backend, clock), commands(link) {
    keyboard.SetLatencyMs(latency_ms);
    keyboard.Plug();
    link.hid.Open(backend.PathOf(SimInterface::kVendor), true, true, true, false);
    link.SetModel(kModelA);
    link.connected = 1;
  }
  SystemClock clock;
  SimKeyboard keyboard;
  SimHidBackend backend;
  KeyboardLink link;
  CommandSet commands;
};

// Everything from frame to reply: the lock, discarding stale input, the
// write, the simulated firmware, the read. The trace grows by one frame per
// transaction, so clear it now and then outside the timing.
void BM_Transact(benchmark::State& state) {
  Stack s(0);
  CommandFrame request = MakeFrame(static_cast<uint8_t>(Command::kReadSettings), 44, 0);
  SealFrame(request);
  CommandFrame reply{};
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.commands.Transact(request, reply));
    if (++n % 4096 == 0) {
      state.PauseTiming();
      s.keyboard.ClearTrace();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_Transact);

// Seven frames, each a report out and a report in at 1 ms: the floor is 14 ms.
void BM_KeyMapWriteAt1msPerReport(benchmark::State& state) {
  Stack s(1);
  std::array<uint8_t, 378> block{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.commands.WriteKeyMap(0, block));
  }
  state.counters["floor_ms"] = 14;
}
BENCHMARK(BM_KeyMapWriteAt1msPerReport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

}  // namespace
}  // namespace keyloom
