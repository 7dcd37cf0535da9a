// The main window's Apply against a keyboard whose reports take 1 ms each
// way, so every frame (request and reply) costs at least 2 ms. The keyboard's
// latency runs on a clock the simulator advances itself: the figure is the
// frames' floor plus what the program spends, not how long a sleep of 1 ms
// really takes on a busy machine.
#include <benchmark/benchmark.h>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_keyboard.h"
#include "model/key_apply.h"
#include "model/user_messages.h"

namespace keyloom {
namespace {

class NoMessages final : public UserMessages {
 public:
  void ShowMessage(std::u16string_view) override {}
};

// A keyboard as it is after its arrival: geometry, default matrix and macro
// capacity known.
struct Stack {
  Stack() : keyboard(kModelA, clock), backend(&keyboard), link(backend, clock), commands(link) {
    keyboard.SetLatencyMs(1);
    keyboard.Plug();
    link.hid.Open(backend.PathOf(SimInterface::kVendor), true, true, true, false);
    link.SetModel(kModelA);
    link.connected = 1;
    SimMemory memory = keyboard.Memory();
    link.SetDefaultMatrix(memory.default_keymap);
    link.macro_capacity = static_cast<int>(memory.macros.size());
  }
  ManualClock clock;
  SimKeyboard keyboard;
  SimHidBackend backend;
  KeyboardLink link;
  CommandSet commands;
};

// A few remapped keys and two short macros, in every profile.
void FillEdit(KeyStore& edit) {
  for (uint16_t id = 1; id <= 2; ++id) {
    MacroRecord m;
    m.macro_id = id;
    m.event_count = 20;
    for (int i = 0; i < 20; ++i) m.events[i] = MacroEvent{50, 0x01E, static_cast<uint16_t>(i % 2)};
    edit.macros.push_back(m);
  }
  for (int profile = 0; profile < 3; ++profile) {
    KeyRecord r;
    r.type = static_cast<uint16_t>(KeyType::kPlayMacro);
    r.value = 1;
    edit.SetRecord(profile, 0x1E, r);
  }
}

// floor_ms: 2 ms for each frame sent. keyboard_ms: what the keyboard's clock
// advanced (its report latency, and the program's own pause after an
// exchange, which runs on the same clock).
// ratio: (keyboard_ms + the wall time the program took) / floor_ms; 1 is the
// floor itself. The CPU column is the program's own time.
void RunApply(benchmark::State& state, bool all_profiles) {
  Stack s;
  NoMessages messages;
  int64_t frames = 0, simulated_ms = 0;
  double program_s = 0;
  for (auto _ : state) {
    state.PauseTiming();
    KeyStores stores;
    FillEdit(stores.edit);
    s.keyboard.ClearTrace();
    const int64_t before = s.clock.NowMs();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ApplyToKeyboard(stores, s.commands, messages, all_profiles);
    program_s += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    if (!ok) state.SkipWithError("the apply failed");
    frames += static_cast<int64_t>(s.keyboard.Trace().size());
    simulated_ms += s.clock.NowMs() - before;
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  const double floor_ms = 2.0 * static_cast<double>(frames) / n;
  state.counters["frames"] = static_cast<double>(frames) / n;
  state.counters["floor_ms"] = floor_ms;
  state.counters["keyboard_ms"] = static_cast<double>(simulated_ms) / n;
  state.counters["ratio"] = (static_cast<double>(simulated_ms) / n + 1000.0 * program_s / n) / floor_ms;
}

void BM_ApplyOneProfileAt1msPerReport(benchmark::State& state) { RunApply(state, false); }
BENCHMARK(BM_ApplyOneProfileAt1msPerReport)->Unit(benchmark::kMillisecond);

void BM_ApplyThreeProfilesAt1msPerReport(benchmark::State& state) { RunApply(state, true); }
BENCHMARK(BM_ApplyThreeProfilesAt1msPerReport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace keyloom
