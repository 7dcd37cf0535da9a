// Macros: the record the program keeps for each macro, and the keyboard's
// macro area that carries all of them at once.
//
// The records are plain little-endian data, byte for byte the same in memory
// and in profile files, so they may be copied with memcpy.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace keyloom {

class CommandSet;

static_assert(std::endian::native == std::endian::little,
              "macro and key records are stored as their in-memory bytes");

inline constexpr int kMaxMacros = 100;
inline constexpr int kMaxMacroEvents = 4000;
inline constexpr uint32_t kMaxMacroDelayMs = 40000;
inline constexpr int kMacroNameUnits = 250;          // including the terminating NUL
inline constexpr int kMaxMacroNameLength = 249;

inline constexpr uint16_t kMacroStatePress = 0;
inline constexpr uint16_t kMacroStateRelease = 1;

// One press or release. `delay` is the wait after this event, before the next.
struct MacroEvent {
  uint32_t delay = 0;      // milliseconds, 0..40000, a multiple of 10
  uint16_t key_code = 0;   // key code of the key tables
  uint16_t state = 0;      // kMacroStatePress or kMacroStateRelease
};
static_assert(sizeof(MacroEvent) == 8);

struct MacroRecord {
  char16_t name[kMacroNameUnits] = {};  // NUL-terminated
  uint8_t cycles = 1;                    // times the keyboard plays it, 1..255
  uint8_t reserved0 = 0;
  uint16_t new_flag = 0;                 // 1 = created in the editor since the last apply
  uint16_t reserved1 = 0;
  uint16_t macro_id = 0;                 // 1..100, what key records refer to
  uint16_t event_count = 0;              // 0..4000
  uint16_t reserved2 = 0;
  MacroEvent events[kMaxMacroEvents] = {};
};
static_assert(sizeof(MacroRecord) == 32512);
static_assert(offsetof(MacroRecord, cycles) == 500);
static_assert(offsetof(MacroRecord, new_flag) == 502);
static_assert(offsetof(MacroRecord, macro_id) == 506);
static_assert(offsetof(MacroRecord, event_count) == 508);
static_assert(offsetof(MacroRecord, events) == 512);

// Length of the record's name in characters (up to the NUL, at most 249).
size_t MacroNameLength(const MacroRecord& macro);
// Replaces the name, cut to 249 characters.
void SetMacroName(MacroRecord& macro, std::u16string_view name);

// The id a new macro takes: the lowest of 1..100 that no macro uses; 0 when
// all are taken (the list already holds the most macros it may).
uint16_t NextMacroId(std::span<const MacroRecord> macros);
// Appends an event; a macro that already holds 4000 events takes no more
// (false, nothing added).
bool AddMacroEvent(MacroRecord& macro, const MacroEvent& event);

// ---- The macro area -------------------------------------------------------
// Header: magic AA 55, 16-bit total size, 16-bit macro count, 16-bit names
// flag, 8 reserved bytes; then one 16-bit offset per macro; then the macros.
inline constexpr uint16_t kMacroAreaMagic = 0x55AA;
inline constexpr size_t kMacroAreaHeaderSize = 16;
// The area's sizes and offsets are 16-bit fields.
inline constexpr size_t kMaxMacroAreaSize = 0xFFFF;

struct MacroAreaSizePair {
  size_t with_names = kMacroAreaHeaderSize;
  size_t without_names = kMacroAreaHeaderSize;
};

// The four bytes of one event in the area.
void EncodeMacroEvent(const MacroEvent& event, uint8_t out[4]);
MacroEvent DecodeMacroEvent(const uint8_t in[4]);

// The callers (the key store) hold the store's lock around these.
MacroAreaSizePair MacroAreaSizes(std::span<const MacroRecord> macros);

// The area of exactly `size` bytes with its total-size field set to `size`.
// Empty when `size` is smaller than the macros need or larger than the
// 16-bit size field can say: such an area would be cut short or lie about
// its own length.
std::vector<uint8_t> BuildMacroArea(std::span<const MacroRecord> macros, size_t size,
                                    bool include_names);

// Rebuilds the macros of an area read from a keyboard. `new_prefix` is the
// text that unnamed macros are named with (followed by their number).
// Bytes without the magic hold no macros; a macro that does not fit in the
// bytes ends the decoding and the macros before it are kept.
std::vector<MacroRecord> DecodeMacroArea(std::span<const uint8_t> area,
                                         std::u16string_view new_prefix);

// Reads the keyboard's macro area: its 16-byte header, then the whole area
// it announces, at most the keyboard's macro capacity (when known). Returns the result code of the transfer (1 on success);
// on success `area` holds the bytes, empty when the keyboard holds no macros.
int ReadMacroArea(CommandSet& commands, std::vector<uint8_t>& area);

}  // namespace keyloom
