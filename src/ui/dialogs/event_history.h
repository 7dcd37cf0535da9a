// Undo and redo for a macro's event list: each step keeps the whole list as
// it was (at most 32 KB), so any change, a whole recording included, is
// undone exactly.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "model/macro.h"

namespace keyloom {

struct EventState {
  std::vector<MacroEvent> events;
  int selected = -1;
};

class EventHistory {
 public:
  // The oldest steps go beyond this many.
  static constexpr size_t kMaxSteps = 200;

  // Remembers the state before a change; the redo steps are forgotten.
  void Push(EventState before);
  // The state to go back to, given the state now (kept for redo); nothing
  // when there is nothing to undo.
  std::optional<EventState> Undo(EventState now);
  std::optional<EventState> Redo(EventState now);
  bool can_undo() const { return !undo_.empty(); }
  bool can_redo() const { return !redo_.empty(); }

 private:
  std::deque<EventState> undo_;
  std::deque<EventState> redo_;
};

}  // namespace keyloom
