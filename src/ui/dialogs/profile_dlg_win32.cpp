#include "ui/dialogs/profile_dlg_win32.h"

#include "base/text.h"
#include "storage/language.h"
#include "storage/message_boxes.h"
#include "storage/skin_layout.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/placement_win32.h"

namespace keyloom {

CKeyloom_DlgProfile::CKeyloom_DlgProfile(ProfileDialogContext& context, HWND parent)
    : CBaseDialog(context.resources, kProfileDialogTemplate, parent, context.layout_file, context.skin_folder,
                  SkinEnvironment{context.ini, context.on_missing_picture}),
      context_(context),
      logic_(*this, context.manager, context.files),
      buttons_{{
          {kCmdProfileAdd, u"FUNC_ADD", {}},
          {kCmdProfileLoad, u"FUNC_LOAD", {}},
          {kCmdProfileDelete, u"FUNC_DELETE", {}},
          {kCmdProfileApply, u"CONTROL2_APPLY", {}},
          {IDOK, u"CONTROL_OK", {}},
          {IDCANCEL, u"CONTROL_CANCEL", {}},
      }} {}

CKeyloom_DlgProfile::~CKeyloom_DlgProfile() {
  for (SkinnedButton& b : buttons_) b.button.Detach();
  list_.Detach();
  logic_.OnClosed();
}

CPngButton* CKeyloom_DlgProfile::button(int id) {
  for (SkinnedButton& b : buttons_)
    if (b.id == id) return &b.button;
  return nullptr;
}

BOOL CKeyloom_DlgProfile::OnInitDialog() {
  CBaseDialog::OnInitDialog();
  CentreWindow(hwnd(), parent());
  RECT client{};
  GetClientRect(hwnd(), &client);
  for (size_t i = 0; i < kProfileSurfaceFiles.size(); ++i) {
    // A missing picture only leaves the buttons without that look.
    surfaces_[i] = std::make_unique<SkinSurface>(hwnd(), client.right, client.bottom);
    surfaces_[i]->DrawPicture(skin_folder() + std::u16string(kProfileSurfaceFiles[i]));
  }
  // Normal, mouse over, pressed, disabled (the pressed picture), selected.
  const StateSurfaces looks = {surfaces_[0].get(), surfaces_[1].get(), surfaces_[2].get(), surfaces_[2].get(),
                               surfaces_[0].get()};
  for (SkinnedButton& b : buttons_) {
    if (!b.button.Attach(GetDlgItem(hwnd(), b.id))) continue;
    PlaceSkinButton(b.button, context_.ini, layout_file(), kButtonSection, b.key, looks);
  }

  HWND list = GetDlgItem(hwnd(), kProfileListId);
  PlaceControl(list, context_.ini, layout_file(), kButtonSection, u"PROGRAM_LIST");
  list_.Attach(list, true);
  list_.AddColumn(TextOr(context_.texts, u"PROFILE_COLUMN_ACTIVE", u"\u6FC0\u6D3B"), 60);
  list_.AddColumn(TextOr(context_.texts, u"PROFILE_COLUMN_NAME", u"\u540D\u79F0"), 120);
  list_.AddColumn(TextOr(context_.texts, u"PROFILE_COLUMN_PATH", u"\u8DEF\u5F84"), 230);
  // The folder column takes the rest of the list's width: no empty header
  // is left at its right.
  list_.FillLastColumn();
  list_.on_check_changing = [this](int row, bool ticked) { return logic_.OnTickChanging(row, ticked); };
  list_.on_check_changed = [this](int row, bool ticked) { logic_.OnTickChanged(row, ticked); };

  logic_.OnOpened();
  return TRUE;
}

void CKeyloom_DlgProfile::AddRow(const ProfileRow& row) {
  // The check box is the first column: it holds no text of its own.
  list_.AddRow({u"", row.caption, row.folder});
}

void CKeyloom_DlgProfile::SetApplyEnabled(bool enabled) {
  if (HWND apply = GetDlgItem(hwnd(), kCmdProfileApply)) EnableWindow(apply, enabled ? TRUE : FALSE);
}

void CKeyloom_DlgProfile::ShowMessage(std::u16string_view text_key) { context_.messages.ShowMessage(text_key); }

void CKeyloom_DlgProfile::Close() {
  logic_.OnClosed();
  CBaseDialog::OnCancel();  // releases the skin pictures and ends the dialog
}

bool CKeyloom_DlgProfile::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_NOTIFY:
      if (list_.OnNotify(reinterpret_cast<const NMHDR*>(lparam), result)) return true;
      break;
    case WM_COMMAND:
      if (lparam != 0 && HIWORD(wparam) != BN_CLICKED) break;
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) return false;  // OnOK / OnCancel
      if (logic_.OnCommand(LOWORD(wparam))) {
        result = 0;
        return true;
      }
      break;
    case WM_HELP:
      OpenHelp(context_.shell, context_.help_folder);
      result = TRUE;
      return true;
    default: break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

}  // namespace keyloom
