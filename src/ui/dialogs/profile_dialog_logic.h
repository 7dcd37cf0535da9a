// The profile manager dialog (template 131) apart from drawing: a list of
// profile files with one ticked row (the profile to make active), Add (a
// new empty profile file), Load (an existing file), Delete, and Apply, which
// records the list in the application settings and makes the ticked
// onboard profile active.
//
// The first three rows are the keyboard's onboard profiles 1..3 (all kept
// in the working profile file); rows added later are files the user keeps.
// Only an onboard profile can be made active: ticking another row is
// refused with "PROFILE_ONLY_ONBOARD".
#pragma once

#include <string>
#include <vector>

#include "ui/controls/file_picker.h"
#include "ui/dialogs/profile_manager.h"

namespace keyloom {

// Dialog 131's commands.
inline constexpr int kProfileDialogTemplate = 131;
inline constexpr int kCmdProfileLoad = 1008;
inline constexpr int kCmdProfileAdd = 1010;
inline constexpr int kCmdProfileDelete = 1011;
inline constexpr int kCmdProfileApply = 1012;
inline constexpr int kCmdProfileNothing = 1013;
inline constexpr int kProfileListId = 1014;

struct ProfileRow {
  std::u16string caption;  // the name column
  std::u16string stem;     // file name without folder and extension
  std::u16string folder;   // drive and folder, ending in a separator
  int onboard = -1;        // onboard profile 0..2, -1 for a file the user added
};

// Splits a full path into its folder (with the separator) and its file
// name without the extension.
ProfileRow ProfileRowOfPath(const std::u16string& path);

class ProfileDialogView {
 public:
  virtual ~ProfileDialogView() = default;
  virtual void ClearRows() = 0;
  virtual void AddRow(const ProfileRow& row) = 0;
  virtual void DeleteRow(int row) = 0;
  // The one ticked row (-1: none); set without reporting a tick change.
  virtual void SetTicked(int row) = 0;
  virtual void SelectRow(int row) = 0;
  // The first selected row, or -1.
  virtual int SelectedRow() const = 0;
  virtual void SetApplyEnabled(bool enabled) = 0;
  virtual void ShowMessage(std::u16string_view text_key) = 0;
  virtual void Close() = 0;
};

class ProfileDialogLogic {
 public:
  ProfileDialogLogic(ProfileDialogView& view, ProfileManager& manager, FilePicker& files)
      : view_(view), manager_(manager), files_(files) {}
  ~ProfileDialogLogic() { OnClosed(); }
  ProfileDialogLogic(const ProfileDialogLogic&) = delete;
  ProfileDialogLogic& operator=(const ProfileDialogLogic&) = delete;

  // The dialog initialised: it counts as open and its list is filled.
  void OnOpened();
  // The three onboard profiles, the active one ticked; Apply disabled.
  void Fill();
  bool OnCommand(int id);
  void OnAdd();
  void OnLoad();
  void OnDelete();
  void OnApply();
  void OnOk();
  void OnCancel();
  // The user is about to tick or untick a row: false refuses it.
  bool OnTickChanging(int row, bool ticked);
  // A row's tick changed: the others are cleared, Apply is enabled.
  void OnTickChanged(int row, bool ticked);
  // The window is closing (OK, Cancel, or closed from outside).
  void OnClosed();

  // A profile switch made elsewhere while the dialog is open.
  void TickOnboardProfile(int profile);

  bool apply_enabled() const { return apply_enabled_; }
  const std::vector<ProfileRow>& rows() const { return rows_; }
  int ticked() const { return ticked_; }
  bool open() const { return open_; }

 private:
  void SetApplyEnabled(bool enabled);
  void AppendRow(const ProfileRow& row);
  FileDialogRequest Request(bool save, const std::u16string& initial_name) const;

  ProfileDialogView& view_;
  ProfileManager& manager_;
  FilePicker& files_;
  std::vector<ProfileRow> rows_;
  int ticked_ = -1;
  bool apply_enabled_ = false;
  bool open_ = false;
};

}  // namespace keyloom
