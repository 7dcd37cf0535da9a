// A connected protocol stack over a simulated keyboard, for tests: change
// one thing on a sane keyboard, run the code, read the keyboard's memory and
// the frames it received.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/keyboard_link.h"
#include "device/presence.h"
#include "device/sim/sim_backend.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom::testing {

struct SimStack {
  explicit SimStack(char model = 'A', bool connect = true)
      : keyboard(model == 'B' ? kModelB : kModelA, clock), backend(&keyboard), link(backend, clock),
        commands(link) {
    keyboard.Plug();
    if (connect) Connect();
  }

  // Opens the vendor interface and marks the link connected, as the watcher does.
  void Connect() {
    link.hid.Open(backend.PathOf(SimInterface::kVendor), true, true, true, false);
    link.SetModel(keyboard.model());
    link.connected = 1;
  }

  std::vector<CommandFrame> Frames() const { return keyboard.Trace(); }

  ManualClock clock;
  SimKeyboard keyboard;
  SimHidBackend backend;
  KeyboardLink link;
  CommandSet commands;
};

// Records what the keyboard threads ask of the window and the tray.
class RecordingSink final : public PresenceSink {
 public:
  void SendArrival() override { Add("arrival"); }
  void SendRemoval() override { Add("removal"); }
  void PostOpen() override { Add("open"); }
  void HideMainWindow() override { Add("hide"); }
  void SetTrayImage(int icon) override { Add("tray " + std::to_string(icon)); }
  void StartTimer(int id) override { Add("timer " + std::to_string(id)); }
  void ShowMessage(std::u16string_view key) override { Add("message " + std::string(key.begin(), key.end())); }

  std::vector<std::string> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void Add(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace keyloom::testing
