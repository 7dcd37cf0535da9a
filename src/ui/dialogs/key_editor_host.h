// What the key editor needs from the window that opens it (the main window):
// the stores it edits and the way it tells the window what changed.
#pragma once

#include <cstdint>

namespace keyloom {

class KeyEditorHost {
 public:
  virtual ~KeyEditorHost() = default;
  // Key or macro changes wait for the window's Apply: its modified flag is
  // set and its Apply button enabled.
  virtual void MarkChanged() = 0;
  // The record of (profile, key index) changed: the window gives that key's
  // button the assigned or unassigned look when it shows that profile.
  virtual void RefreshKey(int profile, uint16_t key_index) = 0;
  // The descriptive texts of every key button of the active profile.
  virtual void RefreshKeyTips() = 0;
  // The button whose key is being edited shows its editing colours while the
  // editor is open.
  virtual void SetEditingLook(int button_id, bool editing) = 0;
};

}  // namespace keyloom
