// The key editor (the dialog "Keyloom_DlgComposite") apart from drawing: for
// one key of the active profile it chooses a page from the key's record,
// captures a key, lets the user pick a mouse action, a multimedia action, a
// keyboard function or a macro (the macro page, macro_page_logic.h), and on
// Apply or OK writes the key's record into the edit store. The Win32 dialog
// forwards its controls' notifications and its hooks' key messages here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/clock.h"
#include "model/key_function.h"
#include "model/key_store.h"
#include "model/text_source.h"
#include "ui/dialogs/composite_view.h"
#include "ui/dialogs/key_editor_host.h"
#include "ui/dialogs/key_hook_logic.h"
#include "ui/dialogs/macro_page_logic.h"

namespace keyloom {

class AppSettings;

// What the editor works on; every member outlives the editor.
struct KeyEditorContext {
  KeyStores& stores;
  const TextSource& texts;
  AppSettings& settings;  // the record-delay mode, section "PROFILES"
  const Clock& clock;     // the recorder's tick source
  KeyEditorHost& host;
};

// The key a main-window button edits.
struct EditTarget {
  uint16_t key_index = 0;
  bool macro_mode = false;  // G9's button, which the window's macro button also names
};
// The key of a key button or a G-key button; nothing for any other id.
std::optional<EditTarget> EditTargetOfButton(int button_id);

// The page a record type is edited on.
EditorPage PageOfType(KeyType type);

// Where the editor goes: beside the clicked button, on the screen. Right of
// the button first, then left, then below, then above; whichever fits the
// work area, else the right side pushed into it. Coordinates in pixels.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};
struct ScreenPoint {
  int x = 0, y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
ScreenPoint PlaceBesideButton(const ScreenRect& button, int width, int height, const ScreenRect& work_area);
ScreenPoint CentreOn(const ScreenRect& work_area, int width, int height);

class CompositeLogic {
 public:
  CompositeLogic(CompositeView& view, KeyEditorContext& context);

  // The start of the dialog for the key of `button_id` in `active_profile`.
  // False, with nothing changed, for an id that is no key button or a
  // profile outside 0..2.
  bool Start(int button_id, int active_profile);

  // Texts of labels, tooltips, lists and column headers in the current
  // language (at the start and on the language message).
  void Relabel();

  void OnPageButton(EditorPage page);
  void OnClear();
  void OnSwitch(bool mouse);
  void OnMouseAction(int index);
  void OnMediaSelected(int index);
  void OnFunctionSelected(int index);
  void OnOnScreenKeyboard();

  // Apply (button 1015), and the first half of OK.
  void Apply();
  void Ok();
  void Cancel();
  // Takes the editor down: hooks, recording, the copies; the main window's
  // button loses its editing colours. Runs once, whatever closed the editor.
  void Close();

  // The hooks' key messages.
  HookAction OnThreadKey(const HookKey& key);
  HookAction OnLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground);
  // Keys the dialog sees before they are dispatched: Enter and Escape are
  // swallowed, so neither closes it. True when swallowed.
  static bool OnDialogKey(uint32_t virtual_key);
  // Help (F1): the help page, except while recording.
  void OnHelp();

  MacroPageLogic& macro_page() { return macro_page_; }
  const MacroPageLogic& macro_page() const { return macro_page_; }
  EditorPage page() const { return page_; }
  KeyType type() const { return type_; }
  bool macro_mode() const { return macro_mode_; }
  uint16_t key_index() const { return key_index_; }
  int button_id() const { return button_id_; }
  int profile() const { return profile_; }
  KeyCode captured() const { return captured_; }
  bool switch_on_mouse() const { return switch_mouse_; }
  int mouse_action() const { return mouse_action_; }
  int media() const { return media_; }
  int function() const { return function_; }
  bool open() const { return open_; }
  // The hooks that are installed now.
  HookMode hooks() const;

 private:
  void ShowPage(bool first_time);
  void ShowPageControls();
  void SetCapture(bool on);
  void SetSwitch(bool mouse);
  void EnableApply(bool enabled);
  // A captured key becomes the editor's choice.
  void Take(KeyCode code);
  KeyRecord BuildRecord();

  CompositeView& view_;
  KeyEditorContext& context_;
  MacroPageLogic macro_page_;
  int button_id_ = 0;
  uint16_t key_index_ = 0;
  int profile_ = 0;
  bool macro_mode_ = false;
  KeyType type_ = KeyType::kDefault;
  EditorPage page_ = EditorPage::kKey;
  uint32_t stored_value_ = 0;
  uint16_t stored_sub_ = 0;
  KeyCode captured_ = 0;
  bool switch_mouse_ = false;
  int mouse_action_ = 0;
  int media_ = 0;
  int function_ = 0;
  bool macro_chosen_ = false;
  bool open_ = false;
  bool capturing_ = false;
};

}  // namespace keyloom
