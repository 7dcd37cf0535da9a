// A change of the key assignments made as the main window makes one: the edit
// store loaded the way the main window loads it (the working profile file
// $Profile0 kept when the keyboard holds what it holds, else rebuilt from the
// keyboard), changed through the key editor's and the macro editor's own
// operations, then written with the main window's Apply (the working file
// saved, the key maps and macros sent).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "commands.h"
#include "model/key_store.h"

namespace keyloom::ctl {

struct KeyEdit {
  std::unique_ptr<Session> session;
  int profile = 0;  // the profile the command works on (0..2)
  int active = 0;   // the keyboard's active profile
  std::u16string working_path;
  KeyStore& edit() { return session->stores.edit; }
};

// Connects, finds the active profile and loads the edit store. `profile`:
// the --profile option as given (nothing: the active profile). Nothing, with
// the failure reported, when the keyboard is absent or cannot be read.
std::optional<KeyEdit> BeginKeyEdit(Context& ctx, const std::optional<int>& profile);

// Applies the edit store: every profile's key map when the change touched a
// profile other than the active one (or the macro editor asked for it),
// else the active one's. Prints `text` (or, with --json, `result`) when it
// succeeded; reports the failure (exit 1) when it did not.
int FinishKeyEdit(Context& ctx, KeyEdit& e, const std::string& text, const JsonObject& result);

// Makes the user data folder as the main window makes it: with a copy of
// the per-key colour template for each profile, unless it exists.
void SeedUserDataFolder(Context& ctx, Session& s);

// The --profile option of a command's parsed arguments: nothing when not
// given; false (with the usage error reported) when it is not 1-3.
bool ProfileOption(Context& ctx, const ParsedArgs& parsed, std::optional<int>& profile, int& exit);

}  // namespace keyloom::ctl
