// The profile manager's operations on the edit store, the working profile
// file and the keyboard's active profile: loading from the keyboard,
// saving the working file, switching the active profile (with the question
// about changes not yet applied) and the profile menu with the caption of
// the main window's profiles button. The profile manager dialog
// (profile_dialog_logic.h) registers itself here while it is open.
#pragma once

#include <string>
#include <vector>

#include "storage/working_profile.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/main_controls.h"
#include "ui/main/main_hooks.h"
#include "ui/main/main_model.h"

namespace keyloom {

class ProfileDialogLogic;

inline constexpr int kCmdProfiles = 1005;          // the profiles button
inline constexpr int kCmdProfileMenu = 1009;       // shows the profile menu
inline constexpr int kCmdProfileMenuFirst = 9000;  // "Default": switches to nothing
inline constexpr int kCmdProfileMenuLast = 9003;   // 9001..9003: onboard profiles 0..2

// The main window's Apply, as the profile manager uses it.
class MainApply {
 public:
  virtual ~MainApply() = default;
  // The edit store holds changes the keyboard does not have yet; mirrors
  // the enabled state of the main window's Apply button.
  virtual bool modified() const = 0;
  virtual void SetModified(bool modified) = 0;
  // Runs the main window's Apply (command 1006) and returns when it ended.
  virtual void Apply() = 0;
};

// The popup menu of command 1009: "Default" (9000), a separator (command
// 0), then one entry per onboard profile (9001..9003).
struct ProfileMenu {
  struct Item {
    int command = 0;
    std::u16string text;
  };
  std::vector<Item> items;
  int checked = 0;  // position of the item with the check mark
};

class ProfileMenuView {
 public:
  virtual ~ProfileMenuView() = default;
  virtual void SetProfileMenu(const ProfileMenu& menu) = 0;
};

// The caption of onboard profile 0..2 in the menu and in the dialog's list:
// "PROFILE_ONBOARD_1".."PROFILE_ONBOARD_3" of the language file, "Profile n"
// when the file lacks the key.
std::u16string OnboardProfileCaption(const TextSource& texts, int profile);

class ProfileManager {
 public:
  ProfileManager(MainModel& model, MainControls& controls, MainPrompts& prompts, ProfileMenuView& menu_view,
                 KeyboardView& keyboard, KeyEditorLauncher& editor, MainApply& main_apply)
      : model_(model),
        controls_(controls),
        prompts_(prompts),
        menu_view_(menu_view),
        keyboard_(keyboard),
        editor_(editor),
        main_apply_(main_apply) {}

  // Makes the edit store equal to the keyboard: keeps (and loads) the
  // working profile file when the keyboard holds exactly what it holds,
  // otherwise rebuilds it from the keyboard; an unreadable keyboard gives an
  // empty document. Redraws the key buttons; clears the main window's
  // modified flag unless `keep_apply`.
  WorkingProfileSource LoadFromKeyboard(bool keep_apply);
  // Writes the edit store to the working profile file when that file
  // exists (it is first made by a successful read of the keyboard).
  enum class SaveResult { kWritten, kNoFile, kFailed };
  SaveResult SaveWorkingFile(bool take_lock);
  // The key buttons redrawn from the edit store, under its lock.
  void RefreshAfterSwitch();
  // Makes onboard profile p active (3 and more mean 0; a negative p sets
  // nothing but still settles and refreshes). Refused (false, with
  // "PROFILE_SEELCT_PROMPT2") while the key editor is open. With changes
  // not yet applied it asks "PROFILE_SELECT_PROMPT" once at a time: Yes
  // applies them first, No restores the edit store from the working file.
  bool SwitchProfile(int p);
  // Builds the profile menu anew (check mark on the active profile, or on
  // "Default" when it is unknown) and gives the profiles button its caption
  // and tooltip.
  void RebuildProfileMenu();
  const ProfileMenu& menu() const { return menu_; }
  // A profile menu command: 9000 + k switches to k - 1. False for others.
  bool OnMenuCommand(int id);

  // The profile manager dialog, while it is open.
  void DialogOpened(ProfileDialogLogic* dialog) { dialog_ = dialog; }
  void DialogClosed() { dialog_ = nullptr; }
  ProfileDialogLogic* dialog() const { return dialog_; }
  bool asking() const { return asking_; }

  MainModel& model() { return model_; }
  MainApply& main_apply() { return main_apply_; }
  MainPrompts& prompts() { return prompts_; }

 private:
  MainModel& model_;
  MainControls& controls_;
  MainPrompts& prompts_;
  ProfileMenuView& menu_view_;
  KeyboardView& keyboard_;
  KeyEditorLauncher& editor_;
  MainApply& main_apply_;
  ProfileDialogLogic* dialog_ = nullptr;
  bool asking_ = false;
  ProfileMenu menu_;
};

}  // namespace keyloom
