// What the key editor's logic asks of its window. The Win32 dialog
// (composite_dlg_win32.h) implements it; tests record the calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

// The four pages, in the order of their page buttons.
enum class EditorPage { kKey = 0, kMacro = 1, kMedia = 2, kFunction = 3 };

// Which keyboard hooks the window keeps installed: none, the single-key
// page's capture hooks or the recorder's. Never both.
enum class HookMode { kNone, kCapture, kRecord };

class CompositeView {
 public:
  virtual ~CompositeView() = default;

  virtual void SetVisible(int id, bool visible) = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual void SetText(int id, std::u16string_view text) = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  // The selected look of an image button (the current page, a recording).
  virtual void SetSelectedLook(int id, bool selected) = 0;
  virtual void SetTooltip(int id, std::u16string_view text) = 0;
  // The state pictures of a page; in the macro-only form the disabled
  // buttons take theirs from the macro-only pictures.
  virtual void SetPagePictures(EditorPage page, bool macro_mode) = 0;

  // Simple lists (mouse actions, multimedia, keyboard functions).
  virtual void FillList(int id, const std::vector<std::u16string>& items) = 0;
  virtual void SelectListItem(int id, int index) = 0;

  // The macro list: all items anew with `current` selected (-1: none), or one
  // item's text changed while its name is being typed (the edit field keeps
  // what the user typed).
  virtual void ShowMacroList(const std::vector<std::u16string>& names, int current) = 0;
  virtual void RenameMacroItem(int index, std::u16string_view name) = 0;
  // The cycles edit; `select_all` after the editor replaced what was typed.
  virtual void SetCyclesText(std::u16string_view text, bool select_all) = 0;
  // The event list's rows changed; the window reads them from the logic.
  // `selected` is the row to select, keep visible and focus (-1: none).
  virtual void ShowEvents(int selected) = 0;
  virtual void SetEventColumns(const std::vector<std::u16string>& headers) = 0;

  virtual void SetHookMode(HookMode mode) = 0;

  // A language text (by key) or a finished text in a message box with OK.
  virtual void ShowMessage(std::u16string_view text_key) = 0;
  virtual void ShowText(std::u16string_view text) = 0;
  // A language text as a Yes/No question with No preselected; true for Yes.
  virtual bool AskYesNo(std::u16string_view text_key) = 0;

  virtual void OpenOnScreenKeyboard() = 0;
  virtual void OpenHelp() = 0;
  // Ends the modal dialog (after the logic closed its state).
  virtual void EndDialog() = 0;
};


// The editor's logic without a window (the command line, benchmarks):
// nothing is shown, messages go nowhere unless a subclass says where, and a
// question is answered yes, since the caller already said what to do.
class WindowlessCompositeView : public CompositeView {
 public:
  void SetVisible(int, bool) override {}
  void SetEnabled(int, bool) override {}
  void SetText(int, std::u16string_view) override {}
  void SetChecked(int, bool) override {}
  void SetSelectedLook(int, bool) override {}
  void SetTooltip(int, std::u16string_view) override {}
  void SetPagePictures(EditorPage, bool) override {}
  void FillList(int, const std::vector<std::u16string>&) override {}
  void SelectListItem(int, int) override {}
  void ShowMacroList(const std::vector<std::u16string>&, int) override {}
  void RenameMacroItem(int, std::u16string_view) override {}
  void SetCyclesText(std::u16string_view, bool) override {}
  void ShowEvents(int) override {}
  void SetEventColumns(const std::vector<std::u16string>&) override {}
  void SetHookMode(HookMode) override {}
  void ShowMessage(std::u16string_view) override {}
  void ShowText(std::u16string_view) override {}
  bool AskYesNo(std::u16string_view) override { return true; }
  void OpenOnScreenKeyboard() override {}
  void OpenHelp() override {}
  void EndDialog() override {}
};

}  // namespace keyloom
