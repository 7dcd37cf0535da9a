#include "ui/main/keyboard_view.h"

#include <mutex>

#include "model/key_names.h"
#include "storage/skin_layout.h"

namespace keyloom {

void KeyboardView::ShowAssignment(int active_profile, int control_id, KeyCode code, uint16_t key_index,
                                  bool looks) {
  const KeyStore& edit = model_.stores.edit;
  const std::u16string name = KeyButtonName(model_.texts, code);
  KeyTip tip{name, false};
  if (active_profile >= 0 && active_profile < kProfileCount)
    tip = KeyFunctionTip(model_.texts, name, edit.Record(active_profile, key_index), edit.macros);
  if (looks) controls_.SetSelected(control_id, tip.assigned);
  controls_.SetTooltip(control_id, tip.text);
}

void KeyboardView::ShowAllAssignments(bool looks) {
  KeyStore& edit = model_.stores.edit;
  std::lock_guard lock(edit.mutex);
  const int active = model_.commands.GetActiveProfile();
  for (int j = 0; j < kGKeyCount; ++j) {
    ShowAssignment(active, kGKeyButtonIds[j], static_cast<KeyCode>(0x200 + j),
                   static_cast<uint16_t>(kKeyIndexG1 + j), looks);
  }
  for (const KeyButton& b : kMainKeyButtons) ShowAssignment(active, b.control_id, b.key_code, KeyIndexOf(b), looks);
}

void KeyboardView::ShowAssignments() {
  ShowAllAssignments(true);
  ApplyFlip();
}

void KeyboardView::Redraw() {
  if (panel_.LightingViewOn()) {
    ShowAllAssignments(false);
  } else {
    ShowAssignments();
  }
}

void KeyboardView::RefreshKey(int profile, uint16_t key_index) {
  KeyStore& edit = model_.stores.edit;
  std::lock_guard lock(edit.mutex);
  const int active = model_.commands.GetActiveProfile();
  if (profile != active) return;
  const bool looks = !panel_.LightingViewOn();
  if (key_index >= kKeyIndexG1 && key_index < kKeyIndexG1 + kGKeyCount) {
    const int j = key_index - kKeyIndexG1;
    ShowAssignment(active, kGKeyButtonIds[j], static_cast<KeyCode>(0x200 + j), key_index, looks);
    return;
  }
  for (const KeyButton& b : kMainKeyButtons) {
    // Two buttons never share a key index; the loop ends at the first.
    if (KeyIndexOf(b) == key_index) {
      ShowAssignment(active, b.control_id, b.key_code, key_index, looks);
      return;
    }
  }
}

bool KeyboardView::OnClick(int control_id) {
  const int led = LedOfControl(static_cast<uint16_t>(control_id));
  if (led < 0) return false;
  if (panel_.LightingViewOn()) {
    panel_.PaintKey(control_id, led);
    return true;
  }
  uint16_t key_index = 0;
  if (const int j = GKeyOfControl(static_cast<uint16_t>(control_id)); j >= 0) {
    key_index = static_cast<uint16_t>(kKeyIndexG1 + j);
  } else if (const int pos = MainKeyPosition(static_cast<uint16_t>(control_id)); pos >= 0) {
    key_index = KeyIndexOf(kMainKeyButtons[pos]);
  } else {
    return true;  // Fn and D1..D6 have nothing to assign
  }
  editor_.OpenForButton(key_index, control_id);
  Redraw();
  return true;
}

int KeyboardView::Flip() const { return model_.settings.ReadInt(kProfilesSection, kFlipSetting, 0) == 1 ? 1 : 0; }

void KeyboardView::ApplyFlip() {
  const bool flipped = Flip() == 1;
  for (uint16_t id : kFlipFunctionKeyIds) controls_.SetEnabled(id, !flipped);
  for (uint16_t id : kExtraKeyButtonIds) controls_.SetEnabled(id, flipped);
  controls_.Redraw(kCmdFlip0);
}

bool KeyboardView::OnFlipCommand(int id) {
  switch (id) {
    case kCmdLockAb:
    case kCmdFlip0: return true;
    case kCmdFlip1:
    case kCmdFlip2:
      model_.settings.WriteInt(kProfilesSection, kFlipSetting, Flip() == 1 ? 0 : 1);
      ApplyFlip();
      return true;
    default: return false;
  }
}

std::u16string KeyboardView::ArrowOrigin(bool left, int frame) const {
  return ArrowOriginKey(left, Flip() == 1, frame);
}

}  // namespace keyloom
