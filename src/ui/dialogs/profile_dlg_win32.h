// The profile manager dialog (template 131): a skinned dialog with the
// profile list and six image buttons. Its decisions are in
// ProfileDialogLogic.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "ui/controls/base_dialog_win32.h"
#include "ui/controls/png_button_win32.h"
#include "ui/controls/report_list_win32.h"
#include "ui/controls/shell_win32.h"
#include "ui/dialogs/profile_dialog_logic.h"

namespace keyloom {

class MessageBoxes;

// The three state pictures of the dialog's buttons.
inline constexpr std::array<std::u16string_view, 3> kProfileSurfaceFiles = {
    u"Profile_normal.jpg", u"Profile_over.jpg", u"Profile_down.jpg"};

struct ProfileDialogContext {
  HINSTANCE resources;
  const IniService& ini;
  const TextSource& texts;
  ProfileManager& manager;
  FilePicker& files;
  MessageBoxes& messages;
  ShellLauncher& shell;
  std::u16string layout_file;  // Skins\Profile.ini
  std::u16string skin_folder;  // Skins\ (with the separator)
  std::u16string help_folder;  // Help\ (with the separator)
  std::function<void()> on_missing_picture = [] { ExitProcess(0); };
};

class CKeyloom_DlgProfile final : public CBaseDialog, private ProfileDialogView {
 public:
  CKeyloom_DlgProfile(ProfileDialogContext& context, HWND parent);
  ~CKeyloom_DlgProfile() override;

  ProfileDialogLogic& logic() { return logic_; }
  CReportList& list() { return list_; }
  CPngButton* button(int id);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override { logic_.OnOk(); }
  void OnCancel() override { logic_.OnCancel(); }
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnDestroyed() override { logic_.OnClosed(); }

 private:
  // ProfileDialogView
  void ClearRows() override { list_.DeleteAllRows(); }
  void AddRow(const ProfileRow& row) override;
  void DeleteRow(int row) override { list_.DeleteRow(row); }
  void SetTicked(int row) override { list_.SetCheckedRow(row); }
  void SelectRow(int row) override { list_.SelectRow(row); }
  int SelectedRow() const override { return list_.SelectedRow(); }
  void SetApplyEnabled(bool enabled) override;
  void ShowMessage(std::u16string_view text_key) override;
  void Close() override;

  ProfileDialogContext& context_;
  ProfileDialogLogic logic_;
  CReportList list_;
  std::array<std::unique_ptr<SkinSurface>, kProfileSurfaceFiles.size()> surfaces_;
  struct SkinnedButton {
    int id;
    std::u16string_view key;
    CPngButton button;
  };
  std::array<SkinnedButton, 6> buttons_;
};

}  // namespace keyloom
