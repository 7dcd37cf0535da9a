#include "device/hid_backend.h"

#include <cstdio>
#include <string_view>

#include "device/sim/sim_backend.h"
#if defined(_WIN32)
#include "device/hid_win32.h"
#else
#include "device/hid_linux.h"
#endif

namespace keyloom {

HidEnvironment MakeHidEnvironment(Clock& clock, const char* simulate, const char* state_dir,
                                  std::function<void(const std::string&)> report) {
  HidEnvironment env;
  const std::string_view model = simulate ? simulate : "";
  if (model == "A" || model == "a" || model == "B" || model == "b") {
    env.simulated = std::make_unique<SimKeyboard>(model == "A" || model == "a" ? kModelA : kModelB, clock);
    if (!report) report = [](const std::string& problem) { std::fprintf(stderr, "keyloom: %s\n", problem.c_str()); };
    env.simulated->SetProblemReporter(std::move(report));
    if (state_dir && *state_dir) env.simulated->SetStateDir(state_dir);
    env.simulated->Plug();
    env.backend = std::make_unique<SimHidBackend>(env.simulated.get());
    return env;
  }
#if defined(_WIN32)
  env.backend = MakeWin32HidBackend();
#else
  env.backend = MakeLinuxHidBackend();
#endif
  return env;
}

}  // namespace keyloom
