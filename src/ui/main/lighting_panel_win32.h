// The lighting panel on a window: it creates its controls on the given
// parent (ids, kinds and skin places from the panel's control table), loads
// its pictures once from the skin folder, implements the panel's view and
// hands every input of its controls to LightingPanelLogic. The window that
// holds it passes on its controls' commands (OnCommand), the slider message
// (OnSlider), refreshes, the preview timer, key clicks while the lighting
// view is on and language changes; the panel itself colours its number
// fields through a subclass of that window.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/bitmap_slider_win32.h"
#include "ui/controls/colour_button_win32.h"
#include "ui/controls/gdi_win32.h"
#include "ui/controls/skin_controls_win32.h"
#include "ui/main/lighting_panel_logic.h"

namespace keyloom {

class IniService;
class LanguageTexts;

// What the panel needs from the window that holds it.
struct LightingPanelWindowContext {
  const IniService& ini;
  std::u16string layout_file;  // Skins\Main.ini
  std::u16string skin_folder;  // Skins\ (with the separator)
  LanguageTexts& texts;
  ColourDialog& colour_dialog;
  // The profile manager's check before the lighting view goes on.
  std::function<bool()> confirm_active_profile = [] { return true; };
  // The key buttons show their assignments again (the view went off).
  std::function<void()> show_key_assignments = [] {};
};

class CLightingPanel final : private LightingPanelView {
 public:
  CLightingPanel(const LightingPanelWindowContext& window, const LightingPanelContext& model);
  ~CLightingPanel() override;
  CLightingPanel(const CLightingPanel&) = delete;
  CLightingPanel& operator=(const CLightingPanel&) = delete;

  // Creates and places the controls on `parent` and starts listening to
  // it; the controls start hidden except the view switch and its label.
  // False when a control could not be created.
  bool Create(HWND parent, int language_index);
  void Destroy();

  LightingPanelLogic& logic() { return logic_; }
  // Timer 1052: one preview step, unless the window is hidden or minimised.
  void OnPreviewTimer();
  // Captions in the language at `index`: labels, mode names, "other".
  void Relabel(int index);
  // A message of the parent concerning the panel's controls (the number
  // fields' colours); true when it was handled, with its result.
  bool HandleParentMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // A command (WM_COMMAND) from a control: true when the control is the panel's.
  bool OnCommand(int control_id, int notification);
  // The slider message 0x28D1 (wparam the slider's id, lparam its position);
  // other ids are ignored.
  void OnSlider(int control_id, int position);

  HWND control(uint16_t id) const;
  // The picture a control shows (pictures and sliders), for tests.
  HBITMAP ShownPicture(uint16_t id) const;
  HBITMAP Picture(std::u16string_view name) const;
  CColourButton* colour_button(uint16_t id);

 private:
  static LRESULT CALLBACK ParentProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  HWND CreateControl(const panel::Control& c, HFONT font);
  std::u16string LightText(std::u16string_view key) const;

  // LightingPanelView
  void ShowControl(uint16_t id, bool shown) override;
  void SetPicture(uint16_t id, std::u16string_view picture) override;
  void SetSlider(uint16_t id, int position, std::u16string_view picture) override;
  void SetColourButton(uint16_t id, Colour colour) override;
  void PlaceControl(uint16_t id, std::u16string_view skin_key) override;
  void SetModeList(std::span<const int> modes) override;
  void SelectMode(int position) override;
  void SetUserModeNames(std::span<const std::u16string> names) override;
  void SelectUserMode(int user_mode) override;
  void ReplaceUserModeName(int user_mode, std::u16string_view name) override;
  void SetEditText(uint16_t id, std::u16string_view text) override;
  bool ConfirmActiveProfile() override { return window_.confirm_active_profile(); }
  void ShowKeyAssignments() override { window_.show_key_assignments(); }

  LightingPanelWindowContext window_;
  LightingPanelContext model_;
  LightingPanelLogic logic_;
  HWND parent_ = nullptr;
  int language_ = 0;
  bool updating_ = false;  // the panel itself is changing a control

  std::map<std::u16string, GdiBitmap, std::less<>> pictures_;
  std::map<uint16_t, std::unique_ptr<CPictureControl>> picture_controls_;
  std::map<uint16_t, std::unique_ptr<CBitmapSlider>> sliders_;
  std::map<uint16_t, std::u16string> slider_pictures_;
  std::map<uint16_t, std::unique_ptr<CColourButton>> colour_buttons_;
  std::map<uint16_t, std::unique_ptr<CTextLabel>> labels_;
  std::map<uint16_t, std::unique_ptr<CSkinCombo>> combos_;
  std::vector<int> modes_;
  GdiBrush field_brush_;
  GdiFont font_;
  GdiFont label_font_;
};

}  // namespace keyloom
