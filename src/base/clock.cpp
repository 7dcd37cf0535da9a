#include "base/clock.h"

#include <thread>

namespace keyloom {

void SystemClock::SleepMs(int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace keyloom
