// Time as the program sees it. Everything that waits (reply limits, scan
// periods, pauses between frames) goes through a Clock, so tests can run
// "a keyboard that never answers" in microseconds with a ManualClock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace keyloom {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; never goes backwards.
  virtual int64_t NowMs() const = 0;
  virtual void SleepMs(int64_t ms) = 0;
  // Waits on `cv` (whose mutex `lock` holds) until `ready` is true or `ms`
  // milliseconds pass. Returns ready(). ms < 0 waits without a limit.
  virtual bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                       int64_t ms, const std::function<bool()>& ready) = 0;
};

class SystemClock final : public Clock {
 public:
  int64_t NowMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void SleepMs(int64_t ms) override;
  bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, int64_t ms,
               const std::function<bool()>& ready) override {
    if (ms < 0) {
      cv.wait(lock, ready);
      return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
  }
};

// A clock that only moves when someone sleeps or waits on it: a wait whose
// condition is false advances time by the whole limit at once. Waits without
// a limit still block for real (another thread must make them ready).
class ManualClock final : public Clock {
 public:
  int64_t NowMs() const override { return now_.load(); }
  void SleepMs(int64_t ms) override {
    if (ms > 0) now_ += ms;
    sleeps_++;
  }
  bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, int64_t ms,
               const std::function<bool()>& ready) override {
    if (ready()) return true;
    if (ms < 0) {
      cv.wait(lock, ready);
      return true;
    }
    now_ += ms;
    return ready();
  }
  void Advance(int64_t ms) { now_ += ms; }
  int sleeps() const { return sleeps_.load(); }

 private:
  std::atomic<int64_t> now_{0};
  std::atomic<int> sleeps_{0};
};

}  // namespace keyloom
