// The About box: the program's description and copyright in the current
// language, and a link to the web address of the main window's skin.
#pragma once

#include <windows.h>

#include <string>

#include "ui/controls/dialog_win32.h"
#include "ui/controls/hyperlink_win32.h"

namespace keyloom {

class LanguageTexts;

inline constexpr int kAboutTemplate = 100;
inline constexpr int kAboutLinkId = 1124;
inline constexpr int kAboutCopyrightId = 1205;
inline constexpr int kAboutDescriptionId = 1206;

class CAboutDlg final : public Win32Dialog {
 public:
  CAboutDlg(HINSTANCE resources, HWND parent, LanguageTexts& texts, ShellLauncher& shell, std::u16string link,
            std::u16string help_folder);

  const CHyperlink& link() const { return link_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

 private:
  void Relabel(int language);

  LanguageTexts& texts_;
  ShellLauncher& shell_;
  std::u16string address_;
  std::u16string help_folder_;
  CHyperlink link_;
};

}  // namespace keyloom
