// The words of keyloomctl's command lines: key names as `keys` prints them,
// the media, keyboard-function and mouse lists by their texts, and the event
// syntax of macros ("a:down 50 a:up").
//
// Names are matched without regard to case, and a space in a name may be
// written as '-' or '_' ("left-ctrl", "num_lock").
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/key_tables.h"
#include "model/macro.h"
#include "model/text_source.h"

namespace keyloom::ctl {

// A name folded for comparison: lower case, spaces as '-'.
std::string FoldName(std::string_view utf8);

// A key of the main window (a key button or G1..G9) by the name `keys`
// prints: its key index.
std::optional<uint16_t> AssignableKeyByName(const TextSource& texts, std::string_view name);
// Any key a key can be made to send, by name: its key code (no G keys, no
// mouse actions).
std::optional<KeyCode> TargetKeyByName(const TextSource& texts, std::string_view name);
// Index into kMediaList: by its text, or 1..18 as listed.
std::optional<int> MediaByName(const TextSource& texts, std::string_view name);
// Keyboard function 0..10: by its text, or 1..11 as listed.
std::optional<int> FunctionByName(const TextSource& texts, std::string_view name);
// Mouse action code: left, right, middle, wheel-up, wheel-down, or its text.
std::optional<KeyCode> MouseByName(const TextSource& texts, std::string_view name);

// The accepted values of each list, for messages ("left, right, ...").
std::string MediaNames(const TextSource& texts);
std::string FunctionNames(const TextSource& texts);
std::string MouseNames();

// A key name as a command-line word: spaces become '-'.
std::string KeyWord(const TextSource& texts, KeyCode code);

// The events of a macro: "KEY:down", "KEY:up", "KEY" (down then up), and a
// number of milliseconds that is the delay after the event before it.
// Delays are kept as written; the macro editor's rules (at most 40000 ms, 10
// ms steps) are applied when they are stored.
struct ParsedEvent {
  KeyCode key_code = 0;
  uint16_t state = kMacroStatePress;
  std::string delay;  // as written; empty: none given
};
struct EventParse {
  std::vector<ParsedEvent> events;
  std::string error;  // empty when the words were understood
};
EventParse ParseMacroEvents(const TextSource& texts, std::span<const std::string> words);
// The events as that syntax writes them.
std::string FormatMacroEvents(const TextSource& texts, std::span<const MacroEvent> events);

}  // namespace keyloom::ctl
