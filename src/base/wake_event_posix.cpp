#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/wake_event.h"

namespace keyloom {

struct WakeEvent::Waiting {
  std::mutex mutex;
  std::condition_variable cv;
};

WakeEvent::WakeEvent() : waiting_(std::make_unique<Waiting>()) {}
WakeEvent::~WakeEvent() = default;

void WakeEvent::Set() {
  std::lock_guard lock(waiting_->mutex);
  set_ = true;
  waiting_->cv.notify_all();
}

bool WakeEvent::WaitMs(int64_t ms) {
  std::unique_lock lock(waiting_->mutex);
  const auto ready = [this] { return set_.load(); };
  if (ms < 0) {
    waiting_->cv.wait(lock, ready);
    return true;
  }
  return waiting_->cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

}  // namespace keyloom
