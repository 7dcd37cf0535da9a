// The key editor window, "Keyloom_DlgComposite" (template 134): a skinned
// dialog with four pages that gives one key of the active profile a new
// function. Its decisions are in CompositeLogic; this class places and draws
// the controls, owns the keyboard hooks and the in-place cell editor, and
// forwards notifications. CompositeEditor (composite_editor_win32.h) is what
// the main window keeps.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "storage/language.h"
#include "storage/message_boxes.h"
#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/list_cell_editor_win32.h"
#include "ui/controls/owner_menu_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/dialogs/composite_logic.h"
#include "ui/dialogs/key_hooks_win32.h"

namespace keyloom {

class AppSettings;
class IniService;

// What the editor is given by the window that opens it.
struct CompositeEditorContext {
  HINSTANCE resources;  // holds template 134
  const IniService& ini;
  LanguageTexts& texts;
  KeyStores& stores;
  AppSettings& settings;
  ShellLauncher& shell;
  KeyEditorHost& host;
  std::u16string layout_file;  // Skins\Composite.ini
  std::u16string skin_folder;  // Skins\ (with the separator)
  std::u16string help_folder;  // Help\ (with the separator)
  HWND owner = nullptr;        // the main window
  // The keyboard's active profile; -1 when it cannot be read (nothing opens).
  std::function<int()> active_profile;
  // The clicked button's rectangle on the screen; false when unknown (the
  // editor is then centred).
  std::function<bool(int button_id, RECT& screen)> button_rect;
  // Message boxes and Yes/No questions; null: the dialog's own.
  MessageBoxes* messages = nullptr;
  std::function<bool(std::u16string_view text)> ask_yes_no;
  // The recorder's tick source; null: the system's.
  const Clock* clock = nullptr;
  std::function<void()> exit_silently = [] { ExitProcess(0); };
};

// The state pictures of the four pages and of the macro-only form, loaded
// once per run and shared by every opening of the editor.
class CompositePictures {
 public:
  static constexpr int kSets = 5;  // key, macro, media, function, macro-only
  static constexpr int kLooks = 4;  // normal, over, down, disable
  bool loaded() const { return loaded_; }
  void Load(HWND window, int width, int height, const std::u16string& skin_folder);
  // Normal, over, down, disabled and selected (the down picture) of a set.
  StateSurfaces Looks(int set) const;
  const SkinSurface* Normal(int set) const { return surfaces_[set * kLooks].get(); }

 private:
  std::array<std::unique_ptr<SkinSurface>, kSets * kLooks> surfaces_;
  bool loaded_ = false;
};

class Keyloom_DlgComposite final : public CBaseDialog, private CompositeView, private KeyHookSink {
 public:
  Keyloom_DlgComposite(CompositeEditorContext& context, CompositePictures& pictures, const TextSource& texts,
                       const Clock& clock, int button_id, int active_profile);
  ~Keyloom_DlgComposite() override;

  CompositeLogic& logic() { return logic_; }
  CListCellEditor& cell_editor() { return cell_editor_; }
  const KeyboardHooks* hooks() const { return hooks_.get(); }
  CPngButton* button(int id);
  // A question or message of the editor is on the screen.
  bool busy() const { return busy_ > 0; }
  // Closes as Cancel would; while busy, false, and the editor closes once
  // the question is answered.
  bool RequestClose();
  // Runs the event list's menu at a screen point (what a right click does).
  void TrackEventMenu(POINT at);
  COwnerMenu* event_menu() const { return event_menu_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnDestroyed() override;

 private:
  struct Skinned {
    int id;
    std::u16string_view key;
    bool decoration;  // copies the page's normal picture in every look
    CPngButton button;
  };

  void SetUpControls();
  // Puts a control inside its painted field (see kFields).
  void PlaceInField(int id, std::u16string_view key, bool text);
  void PaintFields(HDC dc);
  void SetUpEventList();
  void DetachEventList();
  static LRESULT CALLBACK EventListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                        DWORD_PTR self);
  LRESULT DrawHeader(NMCUSTOMDRAW& draw);
  void PlaceWindow();
  void OnCommand(int id, int code, HWND control);
  bool OnNotify(NMHDR& header, LRESULT& result);
  void OnEventClick(POINT at);
  void EndBusy();
  bool OnCustomDraw(NMLVCUSTOMDRAW& draw, LRESULT& result);
  void DrawListItem(const DRAWITEMSTRUCT& draw);
  HBRUSH ControlColours(HDC dc, HWND control);
  void SyncMacroName();
  bool InForeground() const;
  bool FocusInTextField() const;
  std::u16string Caption() const;

  // CompositeView
  void SetVisible(int id, bool visible) override;
  void SetEnabled(int id, bool enabled) override;
  void SetText(int id, std::u16string_view text) override;
  void SetChecked(int id, bool checked) override;
  void SetSelectedLook(int id, bool selected) override;
  void SetTooltip(int id, std::u16string_view text) override;
  void SetPagePictures(EditorPage page, bool macro_mode) override;
  void FillList(int id, const std::vector<std::u16string>& items) override;
  void SelectListItem(int id, int index) override;
  void ShowMacroList(const std::vector<std::u16string>& names, int current) override;
  void RenameMacroItem(int index, std::u16string_view name) override;
  void SetCyclesText(std::u16string_view text, bool select_all) override;
  void ShowEvents(int selected) override;
  void SetEventColumns(const std::vector<std::u16string>& headers) override;
  void SetHookMode(HookMode mode) override;
  void ShowMessage(std::u16string_view text_key) override;
  void ShowText(std::u16string_view text) override;
  bool AskYesNo(std::u16string_view text_key) override;
  void OpenOnScreenKeyboard() override;
  void OpenHelp() override;
  void EndDialog() override;

  // KeyHookSink
  HookAction OnThreadHookKey(const HookKey& key) override;
  HookAction OnDesktopHookKey(uint32_t virtual_key, bool release) override;

  CompositeEditorContext& context_;
  CompositePictures& pictures_;
  const TextSource& texts_;
  KeyEditorContext logic_context_;
  CompositeLogic logic_;
  int button_id_;
  int active_profile_;
  std::array<Skinned, 23> skinned_;
  std::unique_ptr<KeyboardHooks> hooks_;
  CListCellEditor cell_editor_;
  COwnerMenu* event_menu_ = nullptr;
  GdiFont font_;
  GdiFont key_font_;
  GdiBrush field_brush_, card_brush_;
  int busy_ = 0;
  bool close_requested_ = false;
  int updating_ = 0;  // notifications of the window's own changes are not the user's
};

}  // namespace keyloom
