#include "ui/dialogs/profile_dialog_logic.h"

#include "base/format.h"
#include "storage/file_paths.h"
#include "storage/profile_file.h"

namespace keyloom {

ProfileRow ProfileRowOfPath(const std::u16string& path) {
  ProfileRow row;
  const size_t slash = path.find_last_of(u"\\/");
  const size_t name_start = slash == std::u16string::npos ? 0 : slash + 1;
  row.folder = path.substr(0, name_start);
  std::u16string name = path.substr(name_start);
  const size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos && dot > 0) name.resize(dot);
  row.stem = name;
  row.caption = name;
  return row;
}

void ProfileDialogLogic::OnOpened() {
  open_ = true;
  manager_.DialogOpened(this);
  Fill();
}

void ProfileDialogLogic::Fill() {
  rows_.clear();
  view_.ClearRows();
  const MainModel& model = manager_.model();
  const ProfileRow working = ProfileRowOfPath(model.working_profile_path);
  for (int p = 0; p < kProfileCount; ++p) {
    ProfileRow row = working;
    row.caption = OnboardProfileCaption(model.texts, p);
    row.onboard = p;
    AppendRow(row);
  }
  const int active = manager_.model().commands.GetActiveProfile();
  ticked_ = active >= 0 && active < kProfileCount ? active : -1;
  view_.SetTicked(ticked_);
  SetApplyEnabled(false);
}

void ProfileDialogLogic::AppendRow(const ProfileRow& row) {
  rows_.push_back(row);
  view_.AddRow(row);
}

void ProfileDialogLogic::SetApplyEnabled(bool enabled) {
  apply_enabled_ = enabled;
  view_.SetApplyEnabled(enabled);
}

bool ProfileDialogLogic::OnCommand(int id) {
  switch (id) {
    case kCmdProfileAdd: OnAdd(); return true;
    case kCmdProfileLoad: OnLoad(); return true;
    case kCmdProfileDelete: OnDelete(); return true;
    case kCmdProfileApply: OnApply(); return true;
    case kCmdProfileNothing: return true;
    case 1: OnOk(); return true;
    case 2: OnCancel(); return true;
    default: return false;
  }
}

FileDialogRequest ProfileDialogLogic::Request(bool save, const std::u16string& initial_name) const {
  FileDialogRequest request;
  request.save = save;
  request.default_extension = kProfileFileExtension;
  request.filter = kProfileFileFilter;
  request.initial_name = initial_name;
  request.hide_read_only = true;
  request.ask_before_overwrite = save;
  return request;
}

void ProfileDialogLogic::OnAdd() {
  MainModel& model = manager_.model();
  model.user_data.SeedUserDataFolder();
  // The language text starts with its own separator ("\New Profile").
  const auto path = files_.Choose(Request(true, model.user_data.folder() + model.texts.Text(u"PROFILE_NEW")));
  if (!path) return;
  NewProfileFile(*path, 0, nullptr);  // a file that cannot be made still gets its row
  AppendRow(ProfileRowOfPath(*path));
  SetApplyEnabled(true);
}

void ProfileDialogLogic::OnLoad() {
  MainModel& model = manager_.model();
  model.user_data.SeedUserDataFolder();
  const auto path = files_.Choose(Request(false, JoinPath(model.user_data.folder(), u"*.fwc")));
  if (!path) return;
  AppendRow(ProfileRowOfPath(*path));
  SetApplyEnabled(true);
}

void ProfileDialogLogic::OnDelete() {
  const int row = view_.SelectedRow();
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  rows_.erase(rows_.begin() + row);
  view_.DeleteRow(row);
  if (ticked_ == row) {
    ticked_ = -1;
  } else if (ticked_ > row) {
    --ticked_;
  }
  if (!rows_.empty()) view_.SelectRow(row < static_cast<int>(rows_.size()) ? row : row - 1);
  SetApplyEnabled(true);
}

void ProfileDialogLogic::OnApply() {
  MainModel& model = manager_.model();
  // Loading from the keyboard below replaces the edit store: changes not yet
  // applied are settled first, as a profile switch settles them.
  MainApply& main = manager_.main_apply();
  if (main.modified() && manager_.prompts().AskYesNo(u"PROFILE_SELECT_PROMPT")) main.Apply();

  for (size_t n = 0; n < rows_.size(); ++n) {
    const ProfileRow& row = rows_[n];
    model.settings.WriteString(kProfilesSection, FormatText(u"PROFILE%02d", static_cast<int64_t>(n + 1)),
                               row.folder + row.stem + u".fwc");
  }
  model.settings.WriteString(kProfilesSection, u"PROFILE00",
                             FormatText(u"%d", static_cast<int64_t>(rows_.size())));
  if (ticked_ >= 0 && ticked_ < static_cast<int>(rows_.size()) && rows_[ticked_].onboard >= 0)
    model.commands.SetActiveProfile(rows_[ticked_].onboard);
  manager_.LoadFromKeyboard(false);
  manager_.RebuildProfileMenu();
  SetApplyEnabled(false);
  main.SetModified(false);
}

void ProfileDialogLogic::OnOk() {
  OnApply();
  view_.Close();
}

void ProfileDialogLogic::OnCancel() { view_.Close(); }

bool ProfileDialogLogic::OnTickChanging(int row, bool ticked) {
  if (!ticked || row < 0 || row >= static_cast<int>(rows_.size())) return true;
  if (rows_[row].onboard >= 0) return true;
  view_.ShowMessage(u"PROFILE_ONLY_ONBOARD");
  return false;
}

void ProfileDialogLogic::OnTickChanged(int row, bool ticked) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (ticked) {
    ticked_ = row;
    view_.SetTicked(row);  // single check: the others are cleared
  } else if (ticked_ == row) {
    ticked_ = -1;
  }
  SetApplyEnabled(true);
}

void ProfileDialogLogic::OnClosed() {
  if (!open_) return;
  open_ = false;
  apply_enabled_ = false;
  manager_.DialogClosed();
}

void ProfileDialogLogic::TickOnboardProfile(int profile) {
  for (size_t n = 0; n < rows_.size(); ++n) {
    if (rows_[n].onboard == profile) {
      ticked_ = static_cast<int>(n);
      view_.SetTicked(ticked_);
      break;
    }
  }
  SetApplyEnabled(false);
}

}  // namespace keyloom
