#include "storage/working_profile.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <new>

#include "device/command_set.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/macro.h"
#include "model/text_source.h"
#include "storage/file_paths.h"
#include "storage/interrupted_apply.h"
#include "storage/profile_file.h"

namespace keyloom {

std::u16string WorkingProfilePath(const std::u16string& user_data_folder) {
  return JoinPath(user_data_folder, kWorkingProfileName);
}

int ReadKeyboardAssignments(CommandSet& commands, KeyboardAssignments& out) {
  const size_t keymap_size = static_cast<size_t>(
      std::clamp(commands.link().keymap_size.load(), int(kKeyMapUsedBytes), kMaxKeyMapSize));
  for (int p = 0; p < kProfileCount; ++p) {
    out.key_maps[p].assign(keymap_size, 0);
    if (const int r = commands.ReadKeyMap(p, out.key_maps[p]); r != kResultOk) return r;
  }
  return ReadMacroArea(commands, out.macro_area);
}

std::vector<uint8_t> ProfileFileBytesOf(const KeyboardAssignments& keyboard,
                                        std::span<const uint8_t> default_matrix,
                                        std::u16string_view new_prefix) {
  const std::vector<MacroRecord> macros = DecodeMacroArea(keyboard.macro_area, new_prefix);
  std::vector<uint8_t> file(kStoreBlockBytes + macros.size() * kMacroRecordBytes, 0);
  const auto header = std::span<uint8_t>(file).first<kStoreHeaderBytes>();
  FillProfileHeader(header, static_cast<uint16_t>(macros.size()), 0, 0);
  FillLayoutHeader(header);
  for (int p = 0; p < kProfileCount; ++p) {
    auto records =
        std::span<uint8_t>(file).subspan(KeyRecordOffset(RecordNumber(p, 0))).first<kRecordBlockBytes>();
    DecodeKeyMap(keyboard.key_maps[p], default_matrix, records);
  }
  if (!macros.empty()) {
    std::copy_n(reinterpret_cast<const uint8_t*>(macros.data()), macros.size() * kMacroRecordBytes,
                file.begin() + kStoreBlockBytes);
  }
  return file;
}

bool KeyboardHoldsStore(const KeyboardAssignments& keyboard, const KeyStore& store,
                        std::span<const uint8_t> default_matrix, size_t macro_capacity) {
  std::vector<uint8_t> encoded(kMaxKeyMapSize, 0);
  for (int p = 0; p < kProfileCount; ++p) {
    const std::vector<uint8_t>& held = keyboard.key_maps[p];
    if (held.size() < kKeyMapUsedBytes || !EncodeKeyMap(store, p, default_matrix, encoded)) return false;
    if (!std::equal(held.begin(), held.begin() + kKeyMapUsedBytes, encoded.begin())) return false;
  }
  if (store.macros.empty() && keyboard.macro_area.empty()) return true;
  // The apply sends names only when they fit; either form is what it sent.
  const MacroAreaSizePair sizes = MacroAreaSizes(store.macros);
  if (sizes.without_names > macro_capacity) return false;  // the apply would not have sent these
  for (bool names : {true, false}) {
    if (names && sizes.with_names > macro_capacity) continue;
    const std::vector<uint8_t> area =
        BuildMacroArea(store.macros, names ? sizes.with_names : sizes.without_names, names);
    if (!area.empty() && area == keyboard.macro_area) return true;
  }
  return false;
}

WorkingProfileSource LoadWorkingProfile(const std::u16string& working_path, KeyStore& edit,
                                        CommandSet& commands, const TextSource& texts) {
  std::lock_guard lock(edit.mutex);
  auto load_empty = [&] {
    edit.macros.clear();
    edit.slots.assign(kKeyRecordCount, StringSlot{});
    edit.text_size = 0;
    NewProfileFile(u"", 0, &edit);
    return WorkingProfileSource::kEmpty;
  };
  try {
    const int active = commands.GetActiveProfile();
    KeyboardAssignments keyboard;
    if (active < 0 || active > 3 || ReadKeyboardAssignments(commands, keyboard) != kResultOk) return load_empty();
    KeyboardLink& link = commands.link();
    const auto matrix = link.DefaultMatrix();
    const size_t capacity = static_cast<size_t>(std::max(0, link.macro_capacity.load()));

    KeyStore working;
    if (ProfileFileRead(working_path, working) == 1 && KeyboardHoldsStore(keyboard, working, matrix, capacity)) {
      edit.block.swap(working.block);
      edit.macros.swap(working.macros);
      edit.slots.swap(working.slots);
      edit.text_size = working.text_size;
      return WorkingProfileSource::kWorkingFile;
    }
    const std::vector<uint8_t> file = ProfileFileBytesOf(keyboard, matrix, texts.Text(u"MACRO_NEW_PREFIX"));
    ReplaceFileAtomically(working_path, std::span<const uint8_t>(file));
    // From the bytes, not the file: a file that could not be written still
    // leaves the keyboard's assignments in the edit store.
    if (!ReadProfileBytes(file, edit)) return load_empty();
    return WorkingProfileSource::kKeyboard;
  } catch (const std::bad_alloc&) {
    return load_empty();
  }
}

WorkingFileSave SaveWorkingProfileFile(const std::u16string& working_path, KeyStore& edit) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(working_path), ec)) return WorkingFileSave::kNoFile;
  return ProfileFileWrite(working_path, edit, false) ? WorkingFileSave::kWritten : WorkingFileSave::kFailed;
}

bool SaveAndApply(const std::u16string& working_path, KeyStores& stores, CommandSet& commands,
                  UserMessages& messages) {
  // The mark says an apply is under way until it ends well, so that a cut
  // one is finished at the next connection.
  const WorkingFileSave saved = SaveWorkingProfileFile(working_path, stores.edit);
  const bool written =
      ApplyWithMark(working_path, saved == WorkingFileSave::kWritten, stores, commands, messages, false);
  return saved != WorkingFileSave::kFailed && written;
}

}  // namespace keyloom
