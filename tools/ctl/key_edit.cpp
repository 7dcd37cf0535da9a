#include "key_edit.h"

#include <filesystem>
#include <mutex>

#include "base/file_read.h"
#include "base/text.h"
#include "storage/user_data.h"
#include "storage/working_profile.h"

namespace keyloom::ctl {

void SeedUserDataFolder(Context& ctx, Session& s) {
  UserDataStore(*s.texts.ini, UserDataFolder(), ctx.env.program_folder).SeedUserDataFolder();
}

bool ProfileOption(Context& ctx, const ParsedArgs& parsed, std::optional<int>& profile, int& exit) {
  const auto it = parsed.options.find("profile");
  if (it == parsed.options.end()) return true;
  profile = ParseProfile(it->second);
  if (profile) return true;
  exit = ctx.Fail(kExitUsage, "--profile takes 1, 2 or 3, not " + it->second, "bad_value");
  return false;
}

std::optional<KeyEdit> BeginKeyEdit(Context& ctx, const std::optional<int>& profile) {
  KeyEdit e;
  e.session = ctx.Connect();
  if (!e.session) return std::nullopt;
  const auto active = ActiveProfile(ctx, *e.session);
  if (!active) return std::nullopt;
  e.active = *active;
  e.profile = profile.value_or(*active);
  e.working_path = WorkingProfilePath();
  Session& s = *e.session;
  // The main window seeds the user data folder (the per-key colour files
  // from their template) before it loads the store; the working file is
  // made in it.
  SeedUserDataFolder(ctx, s);
  const WorkingProfileSource source = LoadWorkingProfile(e.working_path, s.stores.edit, s.commands, s.texts.source);
  if (source == WorkingProfileSource::kEmpty) {
    // An empty store applied would wipe the keyboard: nothing is changed.
    ctx.Fail(kExitKeyboard, "the keyboard's key maps and macros could not be read; nothing was changed",
             "keyboard_failed");
    return std::nullopt;
  }
  return e;
}

int FinishKeyEdit(Context& ctx, KeyEdit& e, const std::string& text, const JsonObject& result) {
  Session& s = *e.session;
  bool ok = false;
  {
    std::lock_guard lock(s.stores.edit.mutex);
    if (e.profile != e.active) s.stores.all_profiles = true;
    ok = SaveAndApply(e.working_path, s.stores, s.commands, s.messages);
  }
  if (!ok) {
    return ctx.Fail(kExitKeyboard,
                    "the keyboard did not take the change; the working profile file " + Utf16ToUtf8(e.working_path) +
                        " holds it: run the command again, or press Apply in Keyloom, to finish",
                    "apply_failed");
  }
  if (!ctx.json) ctx.out << text;
  return ctx.Done(result);
}

}  // namespace keyloom::ctl
