// Sending the key assignments to the keyboard: the apply copies the edit
// store into the applied store, builds the macro area and the key maps from
// the copy, and writes begin, macro area, key map(s), end.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "model/key_store.h"
#include "model/user_messages.h"

namespace keyloom {

class CommandSet;

// Applies the edit store to the keyboard: the active profile's key map, or
// all three when `all_profiles` or the stores' all-profiles flag is set.
// Takes the edit store's lock (callers usually hold it already), then the
// applied store's. Returns true only when every command succeeded.
//
// Nothing is sent, and the result is false, when the macros do not fit the
// keyboard's macro capacity even without names ("EXTRA_MACRO_TOO_LONG"),
// when the active profile cannot be read, or when memory runs out. When the
// names do not fit they are left out and "EXTRA_PROFILE_SPACE_TIGHT" follows
// the writes. A failed command stops the sequence: the key maps are not
// written after a failed begin or macro write (they would name macros the
// keyboard does not hold), and an exchange that was begun is still ended.
// The all-profiles flag is cleared only by an apply that succeeded.
bool ApplyToKeyboard(KeyStores& stores, CommandSet& commands, UserMessages& messages,
                     bool all_profiles);

// Makes every key shown on the main window Default in `profile` (the active
// profile): the nine G keys and the keys of `main_key_indices`. Their records
// become all zero (a G key loses its id too) and `refresh` is called with
// each key index, in that order, for the window to redraw its button. False,
// with nothing changed, for a profile outside 0..2.
bool ResetProfileKeys(KeyStore& edit, int profile, std::span<const uint16_t> main_key_indices,
                      const std::function<void(uint16_t key_index)>& refresh);

// The record the key editor writes for `key_index`: a G key keeps its id in
// `sub`; a Key whose target is 0 or the key itself is Default (the key's own
// function; a mouse action never is); a PlayMacro carries the macro id in `value` and the cycles in
// `sub`. Other types take `value` as given.
KeyRecord EditorKeyRecord(uint16_t key_index, KeyType type, uint32_t value, uint16_t cycles);

// The key editor's write of one key: `record` becomes the record of
// (profile, key_index) and the key's string slot is emptied. True when the
// store changed; false for a key outside the table. The caller holds the
// edit store's lock.
bool AssignKey(KeyStore& edit, int profile, uint16_t key_index, const KeyRecord& record);

}  // namespace keyloom
