// Profile files on disk, built from the keyboard, imported and exported.
#include <algorithm>
#include <array>
#include <filesystem>
#include <mutex>
#include <new>
#include <system_error>

#include "base/bytes.h"
#include "base/file_read.h"
#include "base/format.h"
#include "device/command_set.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/text_source.h"
#include "storage/interrupted_apply.h"
#include "storage/message_boxes.h"
#include "storage/profile_file.h"
#include "storage/working_profile.h"

namespace keyloom {
namespace {

// Reads a profile file for reading only, never more than the largest valid
// one.
ReadResult ReadProfileFile(const std::u16string& path, std::vector<uint8_t>& bytes) {
  return ReadFileBounded(path, kMaxProfileFileBytes, bytes);
}

}  // namespace

int ProfileFileCheck(const std::u16string& path, const TextSource& texts, MessageBoxes& messages) {
  std::vector<uint8_t> bytes;
  const ReadResult read = ReadProfileFile(path, bytes);
  switch (read.error) {
    case ReadError::kNone:
    case ReadError::kTooLarge: break;
    case ReadError::kMissing: return 0;
    case ReadError::kNoMemory: return kProfileCheckNoMemory;
    default: return kProfileCheckCannotOpen;
  }
  const ProfileCheck check = read ? CheckProfileBytes(bytes) : ProfileCheck::kTooLarge;
  if (check == ProfileCheck::kValid) return 1;
  if (check == ProfileCheck::kTooShort) return 0;
  messages.ShowText(FormatText(texts.Text(u"PROFILE_FORMAT_ERROR"), path));
  return 0;
}

int ProfileFileRead(const std::u16string& path, KeyStore& edit) {
  std::vector<uint8_t> bytes;
  if (!ReadProfileFile(path, bytes)) return 0;
  return ReadProfileBytes(bytes, edit) ? 1 : 0;
}

SaveResult SaveProfileFile(const std::u16string& path, KeyStore& edit, bool take_lock, const WriteFaults* faults) {
  std::unique_lock lock(edit.mutex, std::defer_lock);
  if (take_lock) lock.lock();
  try {
    ProfileFileImage image;
    if (!BuildProfileFileImage(edit, image)) return {SaveError::kWriteFailed};
    return SaveFileAtomically(path, image.pieces, faults);
  } catch (const std::bad_alloc&) {
    return {SaveError::kWriteFailed};
  }
}

bool ProfileFileWrite(const std::u16string& path, KeyStore& edit, bool take_lock, const WriteFaults* faults) {
  return static_cast<bool>(SaveProfileFile(path, edit, take_lock, faults));
}

int NewProfileFile(const std::u16string& path, uint8_t flag, KeyStore* in_memory) {
  try {
    std::vector<uint8_t> block = NewStoreBlock(flag);
    if (in_memory) {
      std::lock_guard lock(in_memory->mutex);
      in_memory->block.swap(block);
      return 1;
    }
    return ReplaceFileAtomically(path, std::span<const uint8_t>(block)) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int ReadProfileFromKeyboard(CommandSet& commands, const TextSource& texts, std::vector<uint8_t>& file) {
  file.clear();
  // Every read of the backup in one exchange: no other sender can change
  // the keyboard half way.
  KeyboardExchange exchange(commands.link());
  const int active = commands.GetActiveProfile();
  if (active < 0) return kResultNoKeyboard;
  if (active > 3) return kResultBadProfile;
  KeyboardAssignments keyboard;
  if (const int r = ReadKeyboardAssignments(commands, keyboard); r != kResultOk) return r;
  try {
    file = ProfileFileBytesOf(keyboard, commands.link().DefaultMatrix(), texts.Text(u"MACRO_NEW_PREFIX"));
  } catch (const std::bad_alloc&) {
    file.clear();
    return kResultNoKeyboard;
  }
  return kResultOk;
}

int ProfileFileFromKeyboard(const std::u16string& path, CommandSet& commands, const TextSource& texts) {
  std::vector<uint8_t> file;
  if (ReadProfileFromKeyboard(commands, texts, file) != kResultOk) return 0;
  return ReplaceFileAtomically(path, std::span<const uint8_t>(file)) ? 1 : 0;
}

bool ImportProfileFile(const std::u16string& path, ProfileImportContext& context) {
  bool loaded = false;
  context.applied = false;
  context.working_profile_saved = false;
  if (ProfileFileCheck(path, context.texts, context.messages) > 0) {
    KeyStore& edit = context.stores.edit;
    std::lock_guard lock(edit.mutex);
    loaded = ProfileFileRead(path, edit) == 1;
    if (loaded) {
      std::error_code ec;
      if (!context.working_profile_path.empty() &&
          std::filesystem::exists(FsPath(context.working_profile_path), ec))
        context.working_profile_saved = ProfileFileWrite(context.working_profile_path, edit, false);
      context.applied = ApplyWithMark(context.working_profile_path, context.working_profile_saved, context.stores,
                                      context.commands, context.messages, true);
      if (context.refresh_key_buttons) context.refresh_key_buttons();
    }
  }
  if (!loaded) context.messages.ShowMessage(u"MAIN_PROMPT_INPORT");
  return loaded;
}

bool ExportProfileFile(const std::u16string& path, KeyStore& edit) {
  std::lock_guard lock(edit.mutex);
  return ProfileFileWrite(path, edit, false);
}

}  // namespace keyloom
