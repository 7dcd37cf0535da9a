// The keyboard picture of the main window: one image button per key (the
// 105 main keys, G1..G9, Fn and the extra keys D1..D6, all from the one
// table in model/key_buttons.h). With the lighting view off the buttons show
// which keys of the keyboard's active profile carry an assignment and a
// click opens the key editor; with it on, the lighting panel colours them and
// a click paints. The Flip switch trades F1..F4 for D1..D6.
#pragma once

#include <string>

#include "ui/main/main_controls.h"
#include "ui/main/main_hooks.h"
#include "ui/main/main_model.h"

namespace keyloom {

// Commands of the Flip switch.
inline constexpr int kCmdLockAb = 1128;
inline constexpr int kCmdFlip0 = 1129;
inline constexpr int kCmdFlip1 = 1130;
inline constexpr int kCmdFlip2 = 1131;
inline constexpr std::u16string_view kFlipSetting = u"Flip";

class KeyboardView {
 public:
  KeyboardView(MainControls& controls, MainModel& model, LightingPanel& panel, KeyEditorLauncher& editor)
      : controls_(controls), model_(model), panel_(panel), editor_(editor) {}

  // Every G key and main key whose record in the active profile is not
  // Default gets the selected look, every key its assignment as tooltip; then
  // the Flip switch is applied. Without a known active profile no key shows
  // an assignment. Takes the edit store's lock.
  void ShowAssignments();
  // What the window does after the edit store changed: the assignments
  // while the lighting view is off; while it is on only the tooltips (the
  // looks are the panel's).
  void Redraw();
  // The record of (profile, key index) changed: that key's button shows it,
  // when the profile is the active one and the lighting view is off (its
  // tooltip in any case).
  void RefreshKey(int profile, uint16_t key_index);
  // Only the tooltips, from the edit store.
  void RefreshTips() { ShowAllAssignments(false); }

  // A click on a key button (main key, G key, Fn, D1..D6): paints with the
  // lighting view on; otherwise opens the key editor for a main or G key
  // and shows the assignments again when it closed. False for a control
  // that is no key button.
  bool OnClick(int control_id);

  // The Flip setting (0 or 1) and its effect: Flip 0 enables F1..F4 and
  // disables D1..D6, Flip 1 the reverse.
  int Flip() const;
  void ApplyFlip();
  // FLIP_1 and FLIP_2 store the opposite value and apply it; FLIP_0 and
  // LOCK_AB do nothing. False for other commands.
  bool OnFlipCommand(int id);
  // The key of the arrow's picture origin in animation frame 1 or 2.
  std::u16string ArrowOrigin(bool left, int frame) const;

 private:
  void ShowAssignment(int active_profile, int control_id, KeyCode code, uint16_t key_index, bool looks);
  void ShowAllAssignments(bool looks);

  MainControls& controls_;
  MainModel& model_;
  LightingPanel& panel_;
  KeyEditorLauncher& editor_;
};

}  // namespace keyloom
