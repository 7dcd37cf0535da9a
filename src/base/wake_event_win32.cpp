#include <windows.h>

#include <algorithm>

#include "base/handle_win32.h"
#include "base/wake_event.h"

namespace keyloom {

struct WakeEvent::Waiting {
  // Manual reset: once set, every wait returns at once.
  UniqueHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

WakeEvent::WakeEvent() : waiting_(std::make_unique<Waiting>()) {}
WakeEvent::~WakeEvent() = default;

void WakeEvent::Set() {
  set_ = true;
  if (waiting_->event) SetEvent(waiting_->event.get());
}

bool WakeEvent::WaitMs(int64_t ms) {
  if (IsSet()) return true;
  if (!waiting_->event) {
    // No event could be made: the waits still pass their time, and a set
    // flag is seen at the end of each.
    if (ms >= 0) Sleep(static_cast<DWORD>(std::min<int64_t>(ms, INFINITE - 1)));
    while (ms < 0 && !IsSet()) Sleep(100);
    return IsSet();
  }
  const DWORD limit = ms < 0 ? INFINITE : static_cast<DWORD>(std::min<int64_t>(ms, INFINITE - 1));
  WaitForSingleObject(waiting_->event.get(), limit);
  return IsSet();
}

}  // namespace keyloom
