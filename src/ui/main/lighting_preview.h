// The lighting preview: while the lighting view is on, the keyboard view
// imitates the keyboard's effect. Every 50 ms (the main window's timer 1052)
// one step of the current mode computes a colour for the key buttons; the
// board repaints only the buttons whose colour changed. The preview only
// draws: it never talks to the keyboard, and brightness and speed do not
// change it.
#pragma once

#include <array>
#include <cstdint>

#include "model/lighting.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/preview_cells.h"

namespace keyloom {

// The step a mode runs.
enum class PreviewStep : uint8_t {
  kColumnWave,   // 1
  kSecondForm,   // 2
  kKeyOrder,     // 3
  kColourCycle,  // 4
  kBreathing,    // 5
  kStatic,       // 6
  kSparkle,      // 10
  kCellWave,     // 11
  kRowWave,      // 12
  kKeyCells,     // 13..16
  kRingWave,     // 18
  kPerKey,       // 20: the buttons keep the per-key colours
  kClear,        // 7, 8, 9, 17, 19 and any other number
  kCount,
};
PreviewStep PreviewStepOf(int mode);

class LightingPreview {
 public:
  // `seed` starts the random sequence of the sparkle colours and of the
  // simulated key presses.
  LightingPreview(KeyColourBoard& board, uint32_t seed);

  // One timer tick. Nothing while the lighting view is off or the window is
  // hidden or minimised. The first tick after a restart resets the key-cell
  // effects; a step already running (its busy flag set) returns at once.
  void Tick(const LightingState& state, bool window_shown);
  // The mode changed: the next tick starts the key-cell effects afresh.
  void Restart() { started_ = false; }
  bool started() const { return started_; }

  // Advances the step of state.mode and writes its colours into `frame`
  // (slots it does not colour are left as they are).
  void Step(const LightingState& state, KeyFrame& frame);

  int phase(PreviewStep step) const { return phase_[static_cast<size_t>(step)]; }
  const preview::KeyCellEffects& key_cells() const { return cells_; }

 private:
  void ColumnWave(const LightingState& s, KeyFrame& f);
  void SecondForm(const LightingState& s, KeyFrame& f);
  void KeyOrder(const LightingState& s, KeyFrame& f);
  void ColourCycle(KeyFrame& f);
  void Breathing(const LightingState& s, KeyFrame& f);
  void Static(const LightingState& s, KeyFrame& f);
  void Sparkle(const LightingState& s, KeyFrame& f);
  void CellWave(const LightingState& s, KeyFrame& f);
  void RowWave(const LightingState& s, KeyFrame& f);
  void RingWave(const LightingState& s, KeyFrame& f);
  int& PhaseOf(PreviewStep step) { return phase_[static_cast<size_t>(step)]; }

  static constexpr size_t kSteps = static_cast<size_t>(PreviewStep::kCount);

  KeyColourBoard& board_;
  preview::PreviewRandom random_;
  std::array<int, kSteps> phase_{};
  std::array<bool, kSteps> busy_{};
  bool started_ = false;

  // Sparkle: a level and a palette index per key position, and the next
  // place in the shuffled order.
  std::array<uint8_t, kMainKeyButtonCount> sparkle_level_{};
  std::array<uint8_t, kMainKeyButtonCount> sparkle_colour_{};
  int sparkle_next_ = 0;
  // Cell wave: a level per key position, seeded the first time it runs.
  std::array<uint8_t, kMainKeyButtonCount> wave_level_{};
  bool wave_seeded_ = false;
  bool wave_falling_ = false;

  preview::KeyCellEffects cells_;
};

}  // namespace keyloom
