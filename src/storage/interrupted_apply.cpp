#include "storage/interrupted_apply.h"

#include <filesystem>
#include <mutex>
#include <span>
#include <string_view>
#include <system_error>

#include "base/file_read.h"
#include "model/key_apply.h"
#include "storage/atomic_file.h"
#include "storage/profile_file.h"

namespace keyloom {

namespace {

// For a person who finds the file; the program only asks whether it exists.
constexpr std::string_view kMarkText =
    "An apply of $Profile0 to the keyboard has not finished. The next time the keyboard connects, "
    "$Profile0 is applied again.\r\n";

void SetMark(const std::u16string& working_path) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(kMarkText.data());
  ReplaceFileAtomically(ApplyMarkPath(working_path), std::span<const uint8_t>(bytes, kMarkText.size()));
}

void ClearMark(const std::u16string& working_path) {
  std::error_code ec;
  std::filesystem::remove(FsPath(ApplyMarkPath(working_path)), ec);
}

}  // namespace

std::u16string ApplyMarkPath(const std::u16string& working_path) { return working_path + u".applying"; }

bool ApplyMarked(const std::u16string& working_path) {
  std::error_code ec;
  return !working_path.empty() && std::filesystem::exists(FsPath(ApplyMarkPath(working_path)), ec);
}

bool ApplyWithMark(const std::u16string& working_path, bool working_saved, KeyStores& stores,
                   CommandSet& commands, UserMessages& messages, bool all_profiles) {
  // After an apply that did not finish, the keyboard's macros may have
  // moved under every profile's key map: all three are written.
  const bool unfinished = ApplyMarked(working_path);
  if (working_saved && !working_path.empty()) SetMark(working_path);
  const bool ok = ApplyToKeyboard(stores, commands, messages, all_profiles || unfinished);
  // Also a mark of an earlier apply: the keyboard now holds this one, and
  // applying the working file again would be wrong if it was not saved.
  if (ok && !working_path.empty()) ClearMark(working_path);
  return ok;
}

InterruptedApply FinishInterruptedApply(const std::u16string& working_path, KeyStores& stores,
                                        CommandSet& commands, UserMessages& messages) {
  if (!ApplyMarked(working_path)) return InterruptedApply::kNone;
  std::lock_guard lock(stores.edit.mutex);
  if (ProfileFileRead(working_path, stores.edit) != 1) {
    ClearMark(working_path);
    return InterruptedApply::kNone;
  }
  // All three: the interrupted apply may have moved every macro.
  if (!ApplyToKeyboard(stores, commands, messages, true)) return InterruptedApply::kFailed;
  ClearMark(working_path);
  return InterruptedApply::kFinished;
}

}  // namespace keyloom
