// Names of keys and descriptions of key assignments, for the user: all texts
// come from a TextSource (the current language).
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "model/key_function.h"
#include "model/key_tables.h"
#include "model/macro.h"
#include "model/text_source.h"

namespace keyloom {

// The display name of a key code: its row's text, or "UNKNOWN_KEY" used as a
// format with the code when the row has no text key or an empty text.
std::u16string KeyName(const TextSource& texts, KeyCode code);
// The same into a caller's buffer of buffer.size() characters: at most
// size - 1 characters and a terminating NUL. Returns the characters written
// before the NUL.
size_t KeyName(const TextSource& texts, KeyCode code, std::span<char16_t> buffer);

// Text of the row with that list order; empty when there is none.
std::u16string NameForListOrder(const TextSource& texts, uint16_t list_order);

// A key button's name: "G<n>" for the G keys, else KeyName.
std::u16string KeyButtonName(const TextSource& texts, KeyCode code);

struct KeyTip {
  std::u16string text;
  bool assigned = false;  // the button shows the assigned look
};

// The descriptive text of a key button whose record is `record`. PlayMacro
// names the macro of `macros` (the edit store's) with the record's id.
// Media and Function values outside their lists are named as unknown keys.
KeyTip KeyFunctionTip(const TextSource& texts, std::u16string_view button_name,
                      const KeyRecord& record, std::span<const MacroRecord> macros);

}  // namespace keyloom
