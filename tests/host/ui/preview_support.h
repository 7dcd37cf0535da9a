// A key-button painter for tests: what every button shows now, and every
// repaint in order.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/main/key_colour_board.h"

namespace keyloom::testing {

class RecordingPainter final : public KeyButtonPainter {
 public:
  void ShowKeyColour(uint16_t id, Colour colour) override {
    shown[id] = colour;
    repaints.push_back(id);
    if (during_paint) during_paint();
  }
  void ClearKeyColour(uint16_t id) override {
    shown.erase(id);
    repaints.push_back(id);
  }
  void ClearSelectedLooks() override {
    ++selection_clears;
  }
  void EndOfChanges() override { ++change_ends; }

  std::optional<Colour> at(uint16_t id) const {
    auto it = shown.find(id);
    return it == shown.end() ? std::nullopt : std::optional<Colour>(it->second);
  }

  std::map<uint16_t, Colour> shown;
  std::vector<uint16_t> repaints;
  int selection_clears = 0;
  int change_ends = 0;
  std::function<void()> during_paint;
};

}  // namespace keyloom::testing
