// Lighting: the modes a keyboard offers, its 42-byte lighting record per
// onboard profile, the per-key colour table, and the decoded lighting state
// the lighting panel shows and edits.
//
// Lighting has no apply step: every change is written to the keyboard at
// once (lighting_ops.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace keyloom {

inline constexpr int kLightingProfiles = 3;
inline constexpr int kLightingRecordSize = 42;
inline constexpr int kLightingAreaSize = kLightingProfiles * kLightingRecordSize;  // 126
inline constexpr int kModeSlots = 32;
inline constexpr int kModeListOffset = 12;  // in the settings block
inline constexpr int kSettingsBlockSize = 44;

// Per-key colours: three bytes (red, green, blue) per LED number, one
// 512-byte block per profile. LEDs 0..143 are sent.
inline constexpr int kKeyColourBlockSize = 512;
inline constexpr int kKeyColourTableSize = kLightingProfiles * kKeyColourBlockSize;
inline constexpr int kLedsSent = 144;
inline constexpr int kLedsPerFrame = 18;

// Byte positions inside a lighting record.
namespace lighting_field {
inline constexpr int kMode = 0;
inline constexpr int kBrightness = 1;
inline constexpr int kSpeed = 2;
inline constexpr int kDirection = 3;
inline constexpr int kColourful = 4;
inline constexpr int kColour = 5;  // red, green, blue
inline constexpr int kColourChoice = 8;
inline constexpr int kReportRate = 15;
inline constexpr int kRandomColour = 18;
inline constexpr int kTrigger = 19;
inline constexpr int kSecondColour = 25;
inline constexpr int kSecondMulticolour = 28;
inline constexpr int kThirdColour = 30;
inline constexpr int kThirdMulticolour = 33;
}  // namespace lighting_field

// Red in the low byte, green in the next, blue in the third.
using Colour = uint32_t;
inline constexpr Colour kWhite = 0xFFFFFF;

// The bytes a colour is sent as: red, green, blue.
std::array<uint8_t, 3> ColourBytes(Colour c);
Colour ColourFromBytes(const uint8_t rgb[3]);

// ---- Modes ----------------------------------------------------------------
inline constexpr int kModePerKey = 20;

enum class DirectionKind { kNone, kLeftRight, kUpDown, kSpreadConverge };
inline constexpr int kDirectionLeft = 255, kDirectionRight = 0;
inline constexpr int kDirectionUp = 255, kDirectionDown = 0;
inline constexpr int kDirectionSpread = 255, kDirectionConverge = 0;

// Which record bytes the keyboard writes when the user picks the mode.
enum class ModeSelectionWrite { kNothing, kMode, kModeAndColourful };

// The record fields a mode uses. Mode 19 and numbers the program does not
// know use none and write nothing when picked.
struct ModeTraits {
  DirectionKind direction = DirectionKind::kNone;
  bool colour = false;         // bytes 5..7 (mode 6 and 16: the reaction colour)
  bool colourful = false;      // byte 4
  bool brightness = false;
  bool speed = false;
  bool colour_choice = false;  // byte 8, mode 17
  bool per_key = false;        // per-key colours, mode 20
  ModeSelectionWrite on_selection = ModeSelectionWrite::kNothing;
};
ModeTraits ModeTraitsOf(int mode);

// The key of a mode's name in the language file's "MODE" section: the mode
// number in decimal. The model holds no texts; the window looks it up.
std::u16string ModeTextKey(int mode);

// List positions of the modes a keyboard offers, rebuilt from the mode list
// (bytes 12..43 of the settings block) at every refresh.
class ModeTable {
 public:
  struct Entry {
    int position = 0;
    int mode = 0;
  };

  // Takes the non-zero slots in order. Entries past the new count are
  // cleared, so a mode that the keyboard no longer offers is never found at
  // a list position that no longer exists.
  void Rebuild(std::span<const uint8_t, kModeSlots> mode_list);
  int count() const { return count_; }
  // The mode at list position i, 0 when there is none.
  int ModeOfPosition(int i) const;
  // The list position of mode m, -1 when it is not offered.
  int PositionOfMode(int m) const;

 private:
  std::array<Entry, kModeSlots> entries_{};
  int count_ = 0;
};

// ---- Lighting state -------------------------------------------------------
struct LightingState {
  int lighting_profile = 0;  // the onboard profile the main window shows, 0..2
  int mode = 0;
  int brightness = 0;   // 0..4
  int speed = 0;        // 0..3
  int direction = 0;    // 255 or 0
  int colour_choice = 0;  // 0..3, mode 17
  int report_rate = 0;  // 0..3
  Colour colour = 0;
  Colour second_colour = 0;
  Colour third_colour = 0;
  bool colourful = false;
  bool random_colour = false;  // mode 7
  bool single_key_trigger = false;
  bool grid_trigger = false;
  bool second_multicolour = false;
  bool third_multicolour = false;
  bool lighting_view = false;  // user setting, not in the keyboard
  // Per-key mode values kept in the user data file.
  int user_mode = 0;
  int painting_tool = 0;
  Colour base_colour = 0;
  Colour paint_colour = 0;
};

// Decodes one 42-byte record into the state. Out-of-range report rates show
// as 3; trigger and mode-7 bytes outside 0..1 leave their flags unchanged.
void DecodeLightingRecord(std::span<const uint8_t, kLightingRecordSize> record,
                          LightingState& state);

// What restore-defaults writes at the start of a record: mode 1, brightness 4,
// speed 2, direction 0, colourful on, colour white, then zeros.
inline constexpr int kDefaultLightingRecordSize = 35;
std::array<uint8_t, kDefaultLightingRecordSize> DefaultLightingRecord();

// Everything the program keeps about lighting, created once and passed by
// reference; used on the user-interface thread only.
struct LightingModel {
  // The last settings block read by a refresh (byte 10 the active profile,
  // bytes 12..43 the mode list).
  std::array<uint8_t, kSettingsBlockSize> settings{};
  // The three lighting records as last read.
  std::array<uint8_t, kLightingAreaSize> records{};
  // Per-key colours of the three profiles; the keyboard's copy is only written.
  std::array<uint8_t, kKeyColourTableSize> key_colours{};
  LightingState state;
  ModeTable modes;

  std::span<const uint8_t, kModeSlots> ModeList() const {
    return std::span<const uint8_t, kModeSlots>(settings.data() + kModeListOffset, kModeSlots);
  }
  void RebuildModeTable() { modes.Rebuild(ModeList()); }
};

bool IsValidLightingProfile(int profile);

}  // namespace keyloom
