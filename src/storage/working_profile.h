// The working profile file ("$Profile0" in the user data folder) and the
// keyboard's own copy of the key assignments.
//
// The keyboard stores key maps and a macro area; it cannot store program
// paths, text blocks, or macro names that did not fit its memory. The
// working profile file keeps them. Each time the keyboard connects, the
// program compares the two: when the keyboard's key maps and macro area are
// exactly what the working file would send, the working file is kept and
// loaded (so nothing the keyboard cannot hold is lost); otherwise the
// keyboard holds something else (another program or another PC changed it)
// and wins: the working file is rebuilt from the keyboard.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/key_store.h"
#include "model/user_messages.h"

namespace keyloom {

class CommandSet;
class TextSource;

// "$Profile%d" with 0: the one working profile file, no extension.
inline constexpr std::u16string_view kWorkingProfileName = u"$Profile0";
// <user data folder><separator>$Profile0
std::u16string WorkingProfilePath(const std::u16string& user_data_folder);

// The key assignments as the keyboard holds them.
struct KeyboardAssignments {
  std::array<std::vector<uint8_t>, kProfileCount> key_maps;  // key-map size bytes each
  std::vector<uint8_t> macro_area;                           // empty: the keyboard holds no macros
};

// Reads the three key maps (command 7) and the macro area (command 9).
// Returns 1, or the first failing result code.
int ReadKeyboardAssignments(CommandSet& commands, KeyboardAssignments& out);

// The profile file the keyboard's assignments make: store block (header,
// layout header, the three decoded key maps, block 3 zero) and the decoded
// macro records; no text pool. Macros the keyboard holds without names are
// named with `new_prefix` and their number. Throws std::bad_alloc.
std::vector<uint8_t> ProfileFileBytesOf(const KeyboardAssignments& keyboard,
                                        std::span<const uint8_t> default_matrix,
                                        std::u16string_view new_prefix);

// True when applying `store` would send the keyboard exactly the key maps
// and macro area it holds: the 126 positions of every profile's key map
// match, and the macro area matches the one the apply would build (with or
// without names; no macros and an empty area match). The caller holds the
// store's lock.
bool KeyboardHoldsStore(const KeyboardAssignments& keyboard, const KeyStore& store,
                        std::span<const uint8_t> default_matrix, size_t macro_capacity);

// What LoadWorkingProfile did.
enum class WorkingProfileSource {
  kWorkingFile,  // the keyboard holds what the working file holds: the file was kept and loaded
  kKeyboard,     // the keyboard holds something else: the file was rebuilt from it and loaded
  kEmpty,        // the keyboard could not be read: the edit store is a new empty document
};

// Makes the edit store equal to the keyboard (see the top of this file),
// under the edit store's lock. When the keyboard wins but the working file
// cannot be written, the edit store still takes the keyboard's assignments
// (the file keeps its old content). When the keyboard cannot be read the
// working file is left as it was.
WorkingProfileSource LoadWorkingProfile(const std::u16string& working_path, KeyStore& edit,
                                        CommandSet& commands, const TextSource& texts);

// Writes the edit store to the working profile file when that file exists
// (it is first made by a successful read of the keyboard). The caller holds
// the edit store's lock.
enum class WorkingFileSave { kWritten, kNoFile, kFailed };
WorkingFileSave SaveWorkingProfileFile(const std::u16string& working_path, KeyStore& edit);

// Apply, as the main window's Apply button and keyloomctl run it: the
// working profile file saved, then the edit store applied to the keyboard
// (ApplyToKeyboard: the active profile's key map, or all three when the
// stores' all-profiles flag is set). True only when both succeeded. The
// caller holds the edit store's lock.
bool SaveAndApply(const std::u16string& working_path, KeyStores& stores, CommandSet& commands,
                  UserMessages& messages);

}  // namespace keyloom
