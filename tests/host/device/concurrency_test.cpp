// Two threads on one keyboard, as the program has them: the keyboard
// watcher's reads (arrival and probe) and the user-interface thread's
// multi-frame exchanges (an apply, lighting writes and a lighting refresh),
// each at least 10 000 transactions, with random small pauses in the
// keyboard's answers. No reply may reach the wrong caller, and no frame of
// one thread may fall inside another's exchange: the keyboard would take
// it into a begin ... end bracket, and a block transfer into the middle of
// another one.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

#include "model/key_apply.h"
#include "model/lighting_ops.h"
#include "model/macro.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

constexpr int kTransactionsPerThread = 10000;

thread_local int thread_tag = 0;

struct Sent {
  int tag;
  uint8_t command;
};

class NoMessages final : public UserMessages {
 public:
  void ShowMessage(std::u16string_view) override {}
};

class ViewOff final : public LightingViewSetting {
 public:
  int StoredLightingView() const override { return 0; }
};

// Frames whose commands open and close a group that must not be split.
bool Opens(uint8_t c) { return c == uint8_t(Command::kBeginExchange); }
bool Closes(uint8_t c) { return c == uint8_t(Command::kEndExchange); }

TEST(Concurrency, WatcherReadsAndWindowExchangesNeverMix) {
  SimStack sim('B');
  sim.keyboard.SetJitterUs(40, 12345);
  sim.keyboard.EditMemory([](SimMemory& m) {
    m.settings[10] = 1;
    for (size_t i = 0; i < m.default_keymap.size(); ++i) m.default_keymap[i] = static_cast<uint8_t>(i * 7);
  });
  const SimMemory start = sim.keyboard.Memory();
  sim.link.SetDefaultMatrix(start.default_keymap);
  sim.link.macro_capacity = static_cast<int>(start.macros.size());

  // The hook runs under the keyboard's lock, one frame at a time.
  std::vector<Sent> trace;
  std::array<std::atomic<int>, 3> counts{};
  sim.keyboard.SetFrameHook([&](int, const CommandFrame& f) {
    trace.push_back({thread_tag, f[frame::kCommand]});
    ++counts[thread_tag];
  });

  std::atomic<int> wrong{0}, failed{0};
  auto frames_of = [&](int tag) { return counts[tag].load(); };

  // Watcher-like: the arrival's reads and the probe's settings read.
  auto watcher = [&] {
    thread_tag = 1;
    while (frames_of(1) < kTransactionsPerThread) {
      std::array<uint8_t, kMaxKeyMapSize> matrix{};
      const auto part = std::span(matrix).first(static_cast<size_t>(sim.link.keymap_size.load()));
      if (sim.commands.ReadDefaultKeyMap(part) != kResultOk) ++failed;
      else if (!std::equal(part.begin(), part.end(), start.default_keymap.begin())) ++wrong;
      std::array<uint8_t, kSettingsSize> settings{};
      if (sim.commands.ReadSettings(settings) != kResultOk) ++failed;
      else if (settings != start.settings) ++wrong;
    }
  };

  // Window-like: applies, lighting writes, per-key colours, refreshes.
  auto window = [&] {
    thread_tag = 2;
    KeyStores stores;
    NoMessages messages;
    LightingModel lighting;
    lighting.state.lighting_profile = 1;
    MacroRecord m;
    m.macro_id = 1;
    for (int i = 0; i < 20; ++i) AddMacroEvent(m, {10, 0x1E, static_cast<uint16_t>(i % 2)});
    stores.edit.macros = {m};
    for (int round = 0; frames_of(2) < kTransactionsPerThread; ++round) {
      KeyRecord r;
      r.type = static_cast<uint16_t>(KeyType::kKey);
      r.value = static_cast<uint32_t>(0x04 + round % 20);
      stores.edit.SetRecord(1, 0x1E, r);
      if (!ApplyToKeyboard(stores, sim.commands, messages, false)) ++failed;
      const uint8_t value[2] = {static_cast<uint8_t>(round), static_cast<uint8_t>(round >> 8)};
      if (WriteLightingBytes(lighting, sim.commands, 5, value) != kResultOk) ++failed;
      lighting.key_colours[512 + round % 400] = static_cast<uint8_t>(round);
      if (WriteAllLedColours(lighting, sim.commands) != kResultOk) ++failed;
      // The refresh must read back what this thread wrote last.
      if (ReadLightingState(lighting, sim.commands, ViewOff()) != 0) ++failed;
      else if (lighting.records[42 + 5] != value[0] || lighting.records[42 + 6] != value[1]) ++wrong;
    }
  };

  std::thread a(watcher), b(window);
  a.join();
  b.join();

  EXPECT_EQ(wrong, 0) << "replies delivered to the wrong caller";
  EXPECT_EQ(failed, 0);
  EXPECT_GE(frames_of(1), kTransactionsPerThread);
  EXPECT_GE(frames_of(2), kTransactionsPerThread);

  // Every bracket of the window holds only the window's frames, and every
  // chunked read of the watcher is whole.
  int open_owner = 0, mixed = 0, brackets = 0;
  for (size_t i = 0; i < trace.size(); ++i) {
    const Sent& s = trace[i];
    if (open_owner && s.tag != open_owner) ++mixed;
    if (Opens(s.command)) {
      open_owner = s.tag;
      ++brackets;
    }
    if (Closes(s.command)) open_owner = 0;
    if (s.command == uint8_t(Command::kReadDefaultKeyMap) && (i == 0 || trace[i - 1].command != s.command)) {
      for (size_t j = i; j < i + 7 && j < trace.size(); ++j)
        if (trace[j].tag != s.tag || trace[j].command != s.command) ++mixed;
    }
  }
  EXPECT_EQ(mixed, 0);
  EXPECT_GT(brackets, 1000);
  std::cout << "[ concurrency ] watcher " << frames_of(1) << " transactions, window " << frames_of(2)
            << " transactions, " << brackets << " brackets\n";
}

}  // namespace
}  // namespace keyloom
