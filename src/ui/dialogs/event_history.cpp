#include "ui/dialogs/event_history.h"

#include <utility>

namespace keyloom {

void EventHistory::Push(EventState before) {
  undo_.push_back(std::move(before));
  if (undo_.size() > kMaxSteps) undo_.pop_front();
  redo_.clear();
}

std::optional<EventState> EventHistory::Undo(EventState now) {
  if (undo_.empty()) return std::nullopt;
  EventState back = std::move(undo_.back());
  undo_.pop_back();
  redo_.push_back(std::move(now));
  return back;
}

std::optional<EventState> EventHistory::Redo(EventState now) {
  if (redo_.empty()) return std::nullopt;
  EventState forward = std::move(redo_.back());
  redo_.pop_back();
  undo_.push_back(std::move(now));
  return forward;
}

}  // namespace keyloom
