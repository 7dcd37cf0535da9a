#include "ui/dialogs/profile_manager.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "base/format.h"
#include "storage/backups.h"
#include "storage/language.h"
#include "storage/profile_file.h"
#include "ui/dialogs/profile_dialog_logic.h"

namespace keyloom {

std::u16string OnboardProfileCaption(const TextSource& texts, int profile) {
  return TextOr(texts, FormatText(u"PROFILE_ONBOARD_%d", profile + 1), FormatText(u"Profile %d", profile + 1));
}

WorkingProfileSource ProfileManager::LoadFromKeyboard(bool keep_apply) {
  model_.user_data.SeedUserDataFolder();
  const WorkingProfileSource source =
      LoadWorkingProfile(model_.working_profile_path, model_.stores.edit, model_.commands, model_.texts);
  keyboard_.Redraw();
  if (!keep_apply) main_apply_.SetModified(false);
  return source;
}

ProfileManager::SaveResult ProfileManager::SaveWorkingFile(bool take_lock) {
  KeyStore& edit = model_.stores.edit;
  std::unique_lock lock(edit.mutex, std::defer_lock);
  if (take_lock) lock.lock();
  switch (SaveWorkingProfileFile(model_.working_profile_path, edit)) {
    case WorkingFileSave::kWritten: return SaveResult::kWritten;
    case WorkingFileSave::kNoFile: return SaveResult::kNoFile;
    case WorkingFileSave::kFailed: break;
  }
  return SaveResult::kFailed;
}

void ProfileManager::RefreshAfterSwitch() {
  std::lock_guard lock(model_.stores.edit.mutex);
  keyboard_.Redraw();
}

bool ProfileManager::SwitchProfile(int p) {
  if (p >= kProfileCount) p = 0;
  if (editor_.IsOpen()) {
    prompts_.ShowMessage(u"PROFILE_SEELCT_PROMPT2");
    return false;
  }
  const bool pending = main_apply_.modified() || (dialog_ && dialog_->apply_enabled());
  if (pending) {
    // A second switch while the question is open goes ahead without asking
    // again; the first one settles the changes when it is answered.
    if (!asking_) {
      asking_ = true;
      const bool yes = prompts_.AskYesNo(u"PROFILE_SELECT_PROMPT");
      asking_ = false;
      if (yes) {
        main_apply_.Apply();
      } else {
        main_apply_.SetModified(false);
        if (model_.commands.GetActiveProfile() >= 0) {
          KeyStore& edit = model_.stores.edit;
          std::lock_guard lock(edit.mutex);
          // All or nothing: an unreadable working file leaves the store as it was.
          ProfileFileRead(model_.working_profile_path, edit);
        }
      }
    }
    model_.commands.SetActiveProfile(p);
  } else {
    model_.commands.SetActiveProfile(p);
    if (dialog_) dialog_->TickOnboardProfile(p);
  }
  RefreshAfterSwitch();
  RebuildProfileMenu();
  return true;
}

void ProfileManager::RebuildProfileMenu() {
  menu_ = ProfileMenu{};
  menu_.items.push_back({kCmdProfileMenuFirst, model_.texts.Text(u"DEFAULT_PROFILE_NAME")});
  menu_.items.push_back({0, u""});
  for (int p = 0; p < kProfileCount; ++p)
    menu_.items.push_back({kCmdProfileMenuFirst + 1 + p, OnboardProfileCaption(model_.texts, p)});
  const int active = model_.commands.GetActiveProfile();
  menu_.checked = active >= 0 && active < kProfileCount ? active + 2 : 0;
  menu_view_.SetProfileMenu(menu_);
  const std::u16string& caption = menu_.items[menu_.checked].text;
  controls_.SetCaption(kCmdProfiles, caption);
  controls_.SetTooltip(kCmdProfiles, model_.texts.Text(u"PROFILE_TIP") + caption);
}

bool ProfileManager::OnMenuCommand(int id) {
  if (id < kCmdProfileMenuFirst || id > kCmdProfileMenuLast) return false;
  SwitchProfile(id - kCmdProfileMenuFirst - 1);
  return true;
}

bool ProfileManager::BackUpKeyboard(const std::function<void(const std::function<void()>&)>& run) {
  if (!model_.backups || !model_.connected()) return true;
  bool written = false;
  const std::function<void()> work = [&] {
    written = static_cast<bool>(model_.backups->Write(model_.commands, model_.texts));
  };
  run ? run(work) : work();
  return written || prompts_.AskYesNo(kBackupFailedPromptKey);
}

}  // namespace keyloom
