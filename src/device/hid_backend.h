// Picks the HID backend once per process: the simulated keyboard when
// KEYLOOM_SIMULATE is A or B (its memory kept in KEYLOOM_SIM_STATE when set),
// otherwise the platform's own HID services.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "device/hid.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom {

struct HidEnvironment {
  std::unique_ptr<SimKeyboard> simulated;  // null on real hardware
  std::unique_ptr<HidBackend> backend;
};

// `simulate` and `state_dir` are the two variables' values (null when unset).
// What the simulated keyboard reports about its memory files (one it cannot
// read or write) goes to `report`, or to the standard error stream.
HidEnvironment MakeHidEnvironment(Clock& clock, const char* simulate, const char* state_dir,
                                  std::function<void(const std::string&)> report = {});

}  // namespace keyloom
