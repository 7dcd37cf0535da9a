// The lighting panel apart from drawing: what each control shows for the
// lighting state, which controls each mode shows, and what every handler
// writes to the keyboard (each user action in one begin/end exchange), to
// the user data file and to the key buttons. The Win32 panel
// (lighting_panel_win32.h) implements the view and forwards input here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/key_buttons.h"
#include "model/lighting.h"
#include "ui/main/lighting_panel_controls.h"

namespace keyloom {

class CommandSet;
class KeyColourBoard;
class LightingPreview;
class LightingViewFile;
class UserDataStore;

class LightingPanelView {
 public:
  virtual ~LightingPanelView() = default;
  virtual void ShowControl(uint16_t id, bool shown) = 0;
  virtual void SetPicture(uint16_t id, std::u16string_view picture) = 0;
  // The slider's position and the picture of that position.
  virtual void SetSlider(uint16_t id, int position, std::u16string_view picture) = 0;
  virtual void SetColourButton(uint16_t id, Colour colour) = 0;
  // Moves and sizes a control to the rectangle of a skin key.
  virtual void PlaceControl(uint16_t id, std::u16string_view skin_key) = 0;
  // The mode list: one entry per mode number, captioned with its name.
  virtual void SetModeList(std::span<const int> modes) = 0;
  virtual void SelectMode(int position) = 0;  // -1: none
  virtual void SetUserModeNames(std::span<const std::u16string> names) = 0;
  virtual void SelectUserMode(int user_mode) = 0;
  // Replaces one entry of the user-mode list, leaving the edit field as the
  // user typed it.
  virtual void ReplaceUserModeName(int user_mode, std::u16string_view name) = 0;
  virtual void SetEditText(uint16_t id, std::u16string_view text) = 0;
  // The profile manager's check before the lighting view goes on: false
  // when it refuses (an editor is open, or the user cancelled).
  virtual bool ConfirmActiveProfile() = 0;
  // The key buttons show which keys carry an assignment again.
  virtual void ShowKeyAssignments() = 0;
};

// What the panel works on; every member outlives the panel.
struct LightingPanelContext {
  LightingModel& lighting;
  BaseColourFlags& base_flags;
  CommandSet& commands;
  UserDataStore& user_data;
  LightingViewFile& view_setting;
  KeyColourBoard& keys;
  LightingPreview& preview;
};

class LightingPanelLogic {
 public:
  LightingPanelLogic(LightingPanelView& view, const LightingPanelContext& context)
      : view_(view), ctx_(context) {}

  // After every read of the lighting state: the mode list, every picture,
  // position and colour, and what is shown.
  void Refresh();
  // After the user data of the lighting profile changed (connection, profile
  // switch, restored defaults): the ten user-mode names again, the current
  // user mode loaded (and its colours sent when `send`), its controls, and
  // in the per-key mode the key buttons.
  void ReloadUserModes(bool send);
  // The same after someone else loaded the user mode: names, controls, keys.
  void ShowUserModes();
  // Restoring defaults with the lighting view on, before the default record
  // is written: mode 1 picked as in the list, the colour white and the
  // colourful marks set.
  void ResetToDefaults();

  // Handlers; each returns nothing and reports nothing.
  void OnModeChosen(int position);
  void OnSlider(uint16_t id, int position);
  void OnPictureClicked(uint16_t id);  // direction, colourful, colour choice, tools, view switch
  void OnColourChosen(uint16_t id, Colour colour);
  void OnUserModeChosen(int user_mode);
  void OnUserModeNameEdited(std::u16string_view name);
  void OnNumberTextChanged(uint16_t id, std::u16string_view text);
  // A click on a key button while the lighting view is on.
  void PaintKey(uint16_t control_id);
  // The profile buttons switch the view off when they change the profile.
  void SwitchViewOff();

  bool lighting_view() const { return ctx_.lighting.state.lighting_view; }
  // The list position the mode list shows selected, -1 for none.
  int selected_position() const { return selected_position_; }

 private:
  LightingState& state() { return ctx_.lighting.state; }
  int profile() const { return ctx_.lighting.state.lighting_profile; }
  void ShowDirection(int mode);
  void ShowVisibility();
  void ShowUserModeControls();
  void ShowColourful();
  void ShowColourChoice();
  void ClearKeys();
  void ShowPerKeyColoursInPerKeyMode();
  void ToggleView();
  void WriteTools();

  LightingPanelView& view_;
  LightingPanelContext ctx_;
  int selected_position_ = -1;
  int shown_mode_ = -1;  // the mode the panel last showed
};

}  // namespace keyloom
