#include "ui/dialogs/about_dlg_win32.h"

#include "base/text.h"
#include "storage/language.h"

namespace keyloom {

CAboutDlg::CAboutDlg(HINSTANCE resources, HWND parent, LanguageTexts& texts, ShellLauncher& shell, std::u16string link,
                     std::u16string help_folder)
    : Win32Dialog(resources, kAboutTemplate, parent),
      texts_(texts),
      shell_(shell),
      address_(std::move(link)),
      help_folder_(std::move(help_folder)),
      link_(shell) {}

BOOL CAboutDlg::OnInitDialog() {
  ShowWindow(hwnd(), SW_SHOW);
  link_.Attach(GetDlgItem(hwnd(), kAboutLinkId));
  SetDlgItemTextW(hwnd(), kAboutLinkId, AsWide(address_));
  link_.SetTarget(address_);
  SendMessageW(hwnd(), kLanguageMessage, kLanguageMessageTag, texts_.CurrentLanguageIndex());
  return TRUE;
}

void CAboutDlg::Relabel(int language) {
  SetWindowTextW(hwnd(), AsWide(texts_.LookupText(u"LANG_ABOUT_TITLE", language)));
  SetDlgItemTextW(hwnd(), kAboutDescriptionId, AsWide(texts_.LookupText(u"GUANYU_JIESHAO", language)));
  SetDlgItemTextW(hwnd(), kAboutCopyrightId, AsWide(texts_.LookupText(u"GUANYU_BANQUAN", language)));
  InvalidateRect(GetDlgItem(hwnd(), kAboutDescriptionId), nullptr, TRUE);
  InvalidateRect(GetDlgItem(hwnd(), kAboutCopyrightId), nullptr, TRUE);
  SetDlgItemTextW(hwnd(), IDOK, AsWide(texts_.LookupText(u"LANG_ABOUT_OK", language)));
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message == kLanguageMessage) {
    if (wparam == kLanguageMessageTag) Relabel(static_cast<int>(lparam));
    result = 0;
    return true;
  }
  if (message == WM_HELP) {
    OpenHelp(shell_, help_folder_);
    result = TRUE;
    return true;
  }
  return false;
}

}  // namespace keyloom
