#include "model/macro.h"

#include <algorithm>
#include <string>

#include "base/bytes.h"

namespace keyloom {
namespace {

// A record read from a damaged file may claim more events than it has room
// for; the codecs never look past the event array.
size_t UsedEvents(const MacroRecord& macro) {
  return std::min<size_t>(macro.event_count, kMaxMacroEvents);
}

size_t MacroSize(const MacroRecord& macro, bool with_name) {
  return 4 + 4 * UsedEvents(macro) + (with_name ? 2 * MacroNameLength(macro) : 0);
}

}  // namespace

size_t MacroNameLength(const MacroRecord& macro) {
  size_t n = 0;
  while (n < kMaxMacroNameLength && macro.name[n] != u'\0') ++n;
  return n;
}

void SetMacroName(MacroRecord& macro, std::u16string_view name) {
  size_t n = std::min<size_t>(name.size(), kMaxMacroNameLength);
  std::fill(std::begin(macro.name), std::end(macro.name), u'\0');
  std::copy_n(name.begin(), n, macro.name);
}

uint16_t NextMacroId(std::span<const MacroRecord> macros) {
  bool used[kMaxMacros + 1] = {};
  for (const MacroRecord& m : macros) {
    if (m.macro_id >= 1 && m.macro_id <= kMaxMacros) used[m.macro_id] = true;
  }
  for (uint16_t id = 1; id <= kMaxMacros; ++id) {
    if (!used[id]) return id;
  }
  return 0;
}

bool AddMacroEvent(MacroRecord& macro, const MacroEvent& event) {
  if (macro.event_count >= kMaxMacroEvents) return false;
  macro.events[macro.event_count++] = event;
  return true;
}

MacroAreaSizePair MacroAreaSizes(std::span<const MacroRecord> macros) {
  MacroAreaSizePair sizes;
  sizes.with_names += 2 * macros.size();
  sizes.without_names += 2 * macros.size();
  for (const MacroRecord& m : macros) {
    sizes.with_names += MacroSize(m, true);
    sizes.without_names += MacroSize(m, false);
  }
  return sizes;
}

std::vector<uint8_t> BuildMacroArea(std::span<const MacroRecord> macros, size_t size,
                                    bool include_names) {
  MacroAreaSizePair sizes = MacroAreaSizes(macros);
  size_t needed = include_names ? sizes.with_names : sizes.without_names;
  if (size < needed || size > kMaxMacroAreaSize) return {};

  std::vector<uint8_t> area(size, 0);
  uint8_t* p = area.data();
  StoreU16(p + 0, kMacroAreaMagic);
  StoreU16(p + 2, static_cast<uint16_t>(size));
  StoreU16(p + 4, static_cast<uint16_t>(macros.size()));
  StoreU16(p + 6, include_names ? 1 : 0);

  size_t at = kMacroAreaHeaderSize + 2 * macros.size();
  for (size_t i = 0; i < macros.size(); ++i) {
    const MacroRecord& m = macros[i];
    size_t events = UsedEvents(m);
    size_t name_length = include_names ? MacroNameLength(m) : 0;
    StoreU16(p + kMacroAreaHeaderSize + 2 * i, static_cast<uint16_t>(at));
    StoreU16(p + at, static_cast<uint16_t>(events));
    p[at + 2] = m.cycles;
    p[at + 3] = static_cast<uint8_t>(name_length);
    at += 4;
    for (size_t e = 0; e < events; ++e, at += 4) EncodeMacroEvent(m.events[e], p + at);
    for (size_t c = 0; c < name_length; ++c, at += 2) StoreU16(p + at, m.name[c]);
  }
  return area;
}

std::vector<MacroRecord> DecodeMacroArea(std::span<const uint8_t> bytes,
                                         std::u16string_view new_prefix) {
  std::vector<MacroRecord> macros;
  ByteView header(bytes);
  if (header.U16(0) != kMacroAreaMagic) return macros;
  auto total = header.U16(2);
  auto count = header.U16(4);
  if (!total || !count) return macros;

  // The area ends where its header says, or where the bytes end if sooner.
  ByteView area(bytes.first(std::min<size_t>(*total, bytes.size())));
  size_t n = std::min<size_t>(*count, kMaxMacros);
  macros.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    auto offset = area.U16(kMacroAreaHeaderSize + 2 * i);
    if (!offset) break;
    auto events = area.U16(*offset);
    auto cycles = area.U8(*offset + 2);
    auto name_length = area.U8(*offset + 3);
    if (!events || !cycles || !name_length || *events > kMaxMacroEvents) break;
    size_t events_at = *offset + 4;
    size_t name_at = events_at + 4 * size_t{*events};
    auto event_bytes = area.Slice(events_at, 4 * size_t{*events});
    auto name_bytes = area.Slice(name_at, 2 * size_t{*name_length});
    if (!event_bytes || !name_bytes) break;

    MacroRecord& m = macros.emplace_back();
    m.cycles = *cycles;
    m.new_flag = 0;
    // Position n + 1, as the key-map decoder names the macro a key plays.
    m.macro_id = static_cast<uint16_t>(i + 1);
    m.event_count = *events;
    for (size_t e = 0; e < *events; ++e) m.events[e] = DecodeMacroEvent(event_bytes->data() + 4 * e);
    if (*name_length != 0) {
      size_t kept = std::min<size_t>(*name_length, kMaxMacroNameLength);
      for (size_t c = 0; c < kept; ++c) m.name[c] = LoadU16(name_bytes->data() + 2 * c);
    } else {
      std::string number = std::to_string(i + 1);
      std::u16string name(new_prefix);
      name.append(number.begin(), number.end());
      SetMacroName(m, name);
    }
  }
  return macros;
}

}  // namespace keyloom
