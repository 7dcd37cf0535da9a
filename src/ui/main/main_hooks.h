// Where the lighting panel and the composite key editor plug into the main
// window. Both are built elsewhere; the main window owns one of each,
// created through its context (so tests hand in their own), and calls them
// only through these interfaces. Every operation has a do-nothing default:
// a main window without a panel has its lighting view off, and one without
// an editor ignores clicks that would open it.
//
// All calls come on the user-interface thread.
#pragma once

#include <cstdint>

#include "model/key_buttons.h"
#include "model/key_tables.h"

namespace keyloom {

// The lighting panel: the lighting controls of the main window (the mode
// list 1146, the sliders 1178/1179, the pictures and colour buttons of the
// 1148..1223 range, the user-mode list 1198), the lighting view switch
// (1167, 1222) and the preview. It reads and writes the lighting model and
// the user data files itself; the main window reads the lighting state from
// the keyboard at the times the panel cannot know of (the keyboard's arrival
// and notifications, a profile change) and then asks it to refresh.
class LightingPanel {
 public:
  virtual ~LightingPanel() = default;

  // Creation: load the panel's pictures, place its controls from the skin
  // layout file and set them up. Runs once, after the key buttons and the
  // command buttons were placed.
  virtual void Initialise() {}
  // The lighting state was read again (the keyboard arrived, timers 1051
  // and 1053, a profile button, restore defaults): rebuild the mode list,
  // the report-rate looks (ProfileBar::ShowReportRate), pictures and
  // visibility from the model.
  virtual void RefreshFromModel() {}
  // The user mode of the lighting profile was loaded again from its user
  // data file: refill the user-mode list and its tool controls.
  virtual void OnUserModesLoaded() {}
  // Restore defaults with the lighting view on, before the user data file
  // is reset: select mode 1, run the mode change and set the controls to
  // their defaults (white colours, colourful marks set).
  virtual void ResetToDefaults() {}

  // Message 0x28D1 from one of the panel's bitmap sliders.
  virtual void OnSliderMoved(int control_id, int position) {
    (void)control_id, (void)position;
  }
  // Timer 1052, every 50 ms (the main window re-arms it), with the
  // lighting view on.
  virtual void OnPreviewTick() {}
  // Timer 1052 with the lighting view off: there is nothing to preview, and
  // the timer may stop until the view is on again.
  virtual void OnPreviewTimerIdle() {}
  // A command (WM_COMMAND) from a control the main window does not handle:
  // true when it was one of the panel's.
  virtual bool OnCommand(int control_id, int notification) {
    (void)control_id, (void)notification;
    return false;
  }
  // Relabel in the language at `index` (message 0x5041 'LANG').
  virtual void OnLanguage(int index) { (void)index; }

  // The lighting view: while it is on, the key buttons show lighting and a
  // click paints (PaintKey) instead of opening the key editor.
  virtual bool LightingViewOn() const { return false; }
  // The profile buttons switch the view off when they change the profile.
  virtual void TurnLightingViewOff() {}
  // A key button (main key, G key, Fn, D1..D6) clicked while the lighting
  // view is on. `led` is its LED number (0 for D1..D6).
  virtual void PaintKey(int control_id, int led) { (void)control_id, (void)led; }
};

// The composite key editor (with its macro page), a modal dialog.
class KeyEditorLauncher {
 public:
  virtual ~KeyEditorLauncher() = default;

  // Opens the editor modally for key index `key_index` of the keyboard's
  // active profile, for the key button `control_id`; the editor starts on
  // its macro page when the control is G9 (1143). Returns when it closed;
  // the editor marks the main window modified itself
  // (MainWindowLogic::SetModified) when it changed the edit store.
  virtual void OpenForButton(uint16_t key_index, int control_id) { (void)key_index, (void)control_id; }
  // Command 1007 (the Macros button): the macro page, as a click on G9.
  virtual void OpenMacroPage() { OpenForButton(static_cast<uint16_t>(kKeyIndexG1 + 8), kMacroGKeyButtonId); }
  virtual bool IsOpen() const { return false; }
  // Asks an open editor to close (the keyboard went away, Quit). False when
  // it refuses; true when it closed or was not open.
  virtual bool Close() { return true; }
  // Quit: a macro recording in progress stops.
  virtual void StopRecording() {}
  // Relabel in the language at `index`.
  virtual void OnLanguage(int index) { (void)index; }
};

}  // namespace keyloom
