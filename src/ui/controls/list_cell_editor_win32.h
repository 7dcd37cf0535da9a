// In-place editing of one cell of a report-style list view: a drop-down
// list or a digits-only edit laid over the cell. Enter or a choice accepts,
// Escape abandons, and leaving the editor (focus elsewhere, the list
// scrolled) accepts what it holds. The owner hears the outcome once, after
// the editor window is gone.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace keyloom {

class CListCellEditor {
 public:
  struct Outcome {
    bool accepted = false;
    int choice = -1;    // a drop-down list: the entry chosen (-1: none)
    std::u16string text;  // a digits-only edit: what it holds
  };
  using Done = std::function<void(int row, int column, const Outcome& outcome)>;

  CListCellEditor() = default;
  ~CListCellEditor();
  CListCellEditor(const CListCellEditor&) = delete;
  CListCellEditor& operator=(const CListCellEditor&) = delete;

  // Works on `list` (a list view in report mode) until Detach.
  bool Attach(HWND list);
  void Detach();

  // Opens an editor over (row, column); an editor already open is accepted
  // first. False when the cell is not there.
  bool BeginChoice(int row, int column, const std::vector<std::u16string>& choices, int preset, Done done);
  bool BeginNumber(int row, int column, std::u16string_view text, Done done);

  // Ends the open editor now.
  void Accept() { Finish(true); }
  void Abandon() { Finish(false); }

  bool editing() const { return editor_ != nullptr; }
  HWND editor() const { return editor_; }
  HWND list() const { return list_; }
  // For the dialog's message loop: Enter and Escape meant for the editor.
  // True when the message was taken.
  bool PreTranslate(const MSG& msg);

 private:
  enum class Kind { kChoice, kNumber };
  bool Begin(Kind kind, int row, int column, Done done);
  void Finish(bool accepted);
  void PostFinish(bool accepted);
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                   DWORD_PTR self);
  static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                     DWORD_PTR self);

  HWND list_ = nullptr;
  HWND editor_ = nullptr;
  Kind kind_ = Kind::kNumber;
  int row_ = -1, column_ = -1;
  Done done_;
  bool finish_posted_ = false;
  bool finishing_ = false;
};

}  // namespace keyloom
