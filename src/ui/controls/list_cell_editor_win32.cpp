#include "ui/controls/list_cell_editor_win32.h"

#include <commctrl.h>

#include <utility>

#include "base/text.h"
#include "ui/controls/window_text_win32.h"

namespace keyloom {

namespace {
constexpr UINT_PTR kListSubclass = 0x4C4345;    // 'LCE'
constexpr UINT_PTR kEditorSubclass = 0x4C4346;
constexpr UINT kFinishMessage = WM_APP + 0x3C1;  // wParam: 1 accepted, 0 abandoned
constexpr int kEditorId = 0x3C1;
constexpr int kDropHeight = 220;

}  // namespace

CListCellEditor::~CListCellEditor() { Detach(); }

bool CListCellEditor::Attach(HWND list) {
  Detach();
  if (!list || !SetWindowSubclass(list, ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this))) return false;
  list_ = list;
  return true;
}

void CListCellEditor::Detach() {
  if (editor_) {
    // Nobody is left to hear the outcome.
    done_ = nullptr;
    Finish(false);
  }
  if (list_) RemoveWindowSubclass(list_, ListProc, kListSubclass);
  list_ = nullptr;
}

bool CListCellEditor::BeginChoice(int row, int column, const std::vector<std::u16string>& choices, int preset,
                                  Done done) {
  if (!Begin(Kind::kChoice, row, column, std::move(done))) return false;
  for (const std::u16string& c : choices)
    SendMessageW(editor_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.c_str()));
  SendMessageW(editor_, CB_SETCURSEL, preset >= 0 ? WPARAM(preset) : WPARAM(-1), 0);
  SetFocus(editor_);
  return true;
}

bool CListCellEditor::BeginNumber(int row, int column, std::u16string_view text, Done done) {
  if (!Begin(Kind::kNumber, row, column, std::move(done))) return false;
  const std::u16string value(text);
  SetWindowTextW(editor_, reinterpret_cast<const wchar_t*>(value.c_str()));
  SetFocus(editor_);
  SendMessageW(editor_, EM_SETSEL, 0, -1);
  return true;
}

bool CListCellEditor::Begin(Kind kind, int row, int column, Done done) {
  if (!list_) return false;
  if (editor_) Finish(true);
  if (row < 0 || row >= ListView_GetItemCount(list_) || column < 0) return false;
  ListView_EnsureVisible(list_, row, FALSE);
  RECT cell{};
  cell.top = column;
  cell.left = LVIR_LABEL;
  if (!SendMessageW(list_, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&cell))) return false;
  if (column == 0) {
    // The first column's label rectangle leaves out the item's margin.
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&bounds));
    cell.left = bounds.left;
  }
  const int width = cell.right - cell.left, height = cell.bottom - cell.top;
  HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(list_, GWLP_HINSTANCE));
  if (kind == Kind::kChoice) {
    editor_ = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                              cell.left, cell.top - 2, width, height + kDropHeight, list_, HMENU(INT_PTR(kEditorId)),
                              module, nullptr);
  } else {
    editor_ = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL,
                              cell.left, cell.top, width, height, list_, HMENU(INT_PTR(kEditorId)), module, nullptr);
  }
  if (!editor_) return false;
  SendMessageW(editor_, WM_SETFONT, SendMessageW(list_, WM_GETFONT, 0, 0), FALSE);
  SetWindowSubclass(editor_, EditorProc, kEditorSubclass, reinterpret_cast<DWORD_PTR>(this));
  kind_ = kind;
  row_ = row;
  column_ = column;
  done_ = std::move(done);
  finish_posted_ = false;
  return true;
}

void CListCellEditor::PostFinish(bool accepted) {
  if (!editor_ || finish_posted_ || finishing_) return;
  finish_posted_ = true;
  PostMessageW(list_, kFinishMessage, accepted ? 1 : 0, reinterpret_cast<LPARAM>(editor_));
}

void CListCellEditor::Finish(bool accepted) {
  if (!editor_ || finishing_) return;
  finishing_ = true;
  Outcome outcome;
  outcome.accepted = accepted;
  if (kind_ == Kind::kChoice) {
    const LRESULT chosen = SendMessageW(editor_, CB_GETCURSEL, 0, 0);
    outcome.choice = chosen == CB_ERR ? -1 : int(chosen);
  } else {
    outcome.text = WindowText(editor_);
  }
  HWND editor = std::exchange(editor_, nullptr);
  const bool had_focus = GetFocus() == editor;
  RemoveWindowSubclass(editor, EditorProc, kEditorSubclass);
  DestroyWindow(editor);
  if (had_focus && list_) SetFocus(list_);
  Done done = std::move(done_);
  done_ = nullptr;
  const int row = row_, column = column_;
  finishing_ = false;
  if (done) done(row, column, outcome);
}

bool CListCellEditor::PreTranslate(const MSG& msg) {
  if (!editor_ || msg.message != WM_KEYDOWN) return false;
  if (msg.hwnd != editor_ && GetParent(msg.hwnd) != editor_) return false;
  if (msg.wParam == VK_RETURN) {
    Finish(true);
    return true;
  }
  if (msg.wParam == VK_ESCAPE) {
    // An open drop-down closes first; the next Escape abandons.
    if (kind_ == Kind::kChoice && SendMessageW(editor_, CB_GETDROPPEDSTATE, 0, 0)) {
      SendMessageW(editor_, CB_SHOWDROPDOWN, FALSE, 0);
      return true;
    }
    Finish(false);
    return true;
  }
  return false;
}

LRESULT CALLBACK CListCellEditor::ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                           DWORD_PTR self_data) {
  auto* self = reinterpret_cast<CListCellEditor*>(self_data);
  switch (message) {
    case kFinishMessage:
      if (self->editor_ && reinterpret_cast<HWND>(lparam) == self->editor_) self->Finish(wparam != 0);
      return 0;
    case WM_COMMAND:
      if (self->editor_ && reinterpret_cast<HWND>(lparam) == self->editor_ && HIWORD(wparam) == CBN_SELENDOK) {
        self->PostFinish(true);
        return 0;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
      // The cell moves away under the editor.
      self->Finish(true);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ListProc, kListSubclass);
      self->list_ = nullptr;
      self->editor_ = nullptr;
      self->done_ = nullptr;
      break;
    default: break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT CALLBACK CListCellEditor::EditorProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                             DWORD_PTR self_data) {
  auto* self = reinterpret_cast<CListCellEditor*>(self_data);
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(window, message, wparam, lparam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wparam == VK_RETURN || wparam == VK_ESCAPE) {
        MSG msg{window, message, wparam, lparam, 0, {}};
        if (self->PreTranslate(msg)) return 0;
      }
      break;
    case WM_KILLFOCUS: {
      // Focus that moves into the drop-down's own list stays in the editor.
      HWND to = reinterpret_cast<HWND>(wparam);
      if (!to || (to != window && GetParent(to) != window && GetAncestor(to, GA_PARENT) != window))
        self->PostFinish(true);
      break;
    }
    default: break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace keyloom
