// A flag that one thread sets once and other threads wait for with a time
// limit: the stop request that cuts the keyboard threads' sleeps short.
//
// On Windows it is a kernel event. A thread that sleeps on it ten times a
// second for as long as the program runs pays one wait of the system per
// sleep; a condition variable of the thread library pays two under Wine.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace keyloom {

class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  // Sets the flag for good and wakes every waiter.
  void Set();
  bool IsSet() const { return set_.load(); }
  // Waits until the flag is set or `ms` milliseconds passed (ms < 0: no
  // limit). Returns IsSet().
  bool WaitMs(int64_t ms);

 private:
  struct Waiting;  // the platform's means of waiting
  std::atomic<bool> set_{false};
  std::unique_ptr<Waiting> waiting_;
};

}  // namespace keyloom
