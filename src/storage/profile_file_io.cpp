// Profile files on disk, built from the keyboard, imported and exported.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <system_error>

#include "base/bytes.h"
#include "base/format.h"
#include "device/command_set.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/text_source.h"
#include "storage/message_boxes.h"
#include "storage/profile_file.h"
#include "storage/working_profile.h"

namespace keyloom {
namespace {

enum class OpenResult { kOk, kMissing, kCannotOpen, kTooLarge };

struct OpenedFile {
  std::fstream stream;
  uint64_t size = 0;
};

// Opens the file for reading and writing, as the program always has (so a
// read-only file is refused).
OpenResult OpenForUpdate(const std::u16string& path, OpenedFile& file) {
  const std::filesystem::path p(path);
  std::error_code ec;
  if (!std::filesystem::exists(p, ec)) return OpenResult::kMissing;
  file.stream.open(p, std::ios::in | std::ios::out | std::ios::binary);
  if (!file.stream.is_open()) return OpenResult::kCannotOpen;
  file.stream.seekg(0, std::ios::end);
  const std::streamoff end = file.stream.tellg();
  if (end < 0) return OpenResult::kCannotOpen;
  file.size = static_cast<uint64_t>(end);
  file.stream.seekg(0, std::ios::beg);
  return file.size > 0xFFFFFFFFu ? OpenResult::kTooLarge : OpenResult::kOk;
}

// Grows `out` to `count` bytes (at most the file's size) from the file's
// next bytes. False when they cannot be read; throws std::bad_alloc.
bool ReadUpTo(OpenedFile& file, uint64_t count, std::vector<uint8_t>& out) {
  count = std::min(count, file.size);
  const size_t have = out.size();
  if (count <= have) return true;
  out.resize(static_cast<size_t>(count));
  file.stream.read(reinterpret_cast<char*>(out.data() + have), static_cast<std::streamsize>(count - have));
  return file.stream.gcount() == static_cast<std::streamsize>(count - have);
}

}  // namespace

int ProfileFileCheck(const std::u16string& path, const TextSource& texts, MessageBoxes& messages) {
  OpenedFile file;
  switch (OpenForUpdate(path, file)) {
    case OpenResult::kOk: break;
    case OpenResult::kCannotOpen: return kProfileCheckCannotOpen;
    default: return 0;
  }
  if (file.size < kStoreBlockBytes) return 0;
  // The tests need the header and the file's length; ProfileFileRead reads
  // the rest.
  std::vector<uint8_t> header;
  try {
    if (!ReadUpTo(file, kStoreHeaderBytes, header)) return 0;
  } catch (const std::bad_alloc&) {
    return kProfileCheckNoMemory;
  }
  if (CheckProfileHeader(header, file.size) == ProfileCheck::kValid) return 1;
  messages.ShowText(FormatText(texts.Text(u"PROFILE_FORMAT_ERROR"), path));
  return 0;
}

int ProfileFileRead(const std::u16string& path, KeyStore& edit) {
  OpenedFile file;
  if (OpenForUpdate(path, file) != OpenResult::kOk) return 0;
  try {
    // The store block first, to learn how much the header declares; then
    // that much, when the file holds it.
    std::vector<uint8_t> bytes;
    if (!ReadUpTo(file, kStoreBlockBytes, bytes) || bytes.size() < kStoreBlockBytes) return 0;
    const uint64_t declared = DeclaredProfileSize(bytes);
    if (declared > file.size || !ReadUpTo(file, declared, bytes)) return 0;
    return ReadProfileBytes(bytes, edit) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

bool ProfileFileWrite(const std::u16string& path, KeyStore& edit, bool take_lock, const WriteFaults* faults) {
  std::unique_lock lock(edit.mutex, std::defer_lock);
  if (take_lock) lock.lock();
  try {
    ProfileFileImage image;
    if (!BuildProfileFileImage(edit, image)) return false;
    return ReplaceFileAtomically(path, image.pieces, faults);
  } catch (const std::bad_alloc&) {
    return false;
  }
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

int ProfileFileFromKeyboard(const std::u16string& path, CommandSet& commands, const TextSource& texts) {
  const int active = commands.GetActiveProfile();
  if (active < 0 || active > 3) return 0;
  try {
    KeyboardAssignments keyboard;
    if (ReadKeyboardAssignments(commands, keyboard) != kResultOk) return 0;
    const std::vector<uint8_t> file =
        ProfileFileBytesOf(keyboard, commands.link().DefaultMatrix(), texts.Text(u"MACRO_NEW_PREFIX"));
    return ReplaceFileAtomically(path, std::span<const uint8_t>(file)) ? 1 : 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

bool ImportProfileFile(const std::u16string& path, ProfileImportContext& context) {
  bool loaded = false;
  context.applied = false;
  if (ProfileFileCheck(path, context.texts, context.messages) > 0) {
    KeyStore& edit = context.stores.edit;
    std::lock_guard lock(edit.mutex);
    loaded = ProfileFileRead(path, edit) == 1;
    if (loaded) {
      std::error_code ec;
      if (!context.working_profile_path.empty() &&
          std::filesystem::exists(std::filesystem::path(context.working_profile_path), ec))
        ProfileFileWrite(context.working_profile_path, edit, false);
      context.applied = ApplyToKeyboard(context.stores, context.commands, context.messages, true);
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
