#include "model/lighting.h"

#include <string>

namespace keyloom {

std::array<uint8_t, 3> ColourBytes(Colour c) {
  return {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>((c >> 8) & 0xFF),
          static_cast<uint8_t>((c >> 16) & 0xFF)};
}

Colour ColourFromBytes(const uint8_t rgb[3]) {
  return Colour{rgb[0]} | (Colour{rgb[1]} << 8) | (Colour{rgb[2]} << 16);
}

ModeTraits ModeTraitsOf(int mode) {
  using W = ModeSelectionWrite;
  ModeTraits t;
  switch (mode) {
    case 1: case 2: case 3: case 11:
      t.direction = DirectionKind::kLeftRight;
      t.colour = t.colourful = t.brightness = t.speed = true;
      t.on_selection = mode == 11 ? W::kMode : W::kModeAndColourful;
      break;
    case 4:
      t.brightness = t.speed = true;
      t.on_selection = W::kMode;
      break;
    case 5: case 7: case 8: case 9: case 13: case 14: case 15:
      t.colour = t.colourful = t.brightness = t.speed = true;
      t.on_selection = W::kModeAndColourful;
      break;
    case 10:
      t.colour = t.colourful = t.brightness = t.speed = true;
      t.on_selection = W::kMode;
      break;
    case 6: case 16:
      t.colour = t.colourful = t.brightness = true;
      t.on_selection = W::kMode;
      break;
    case 12:
      t.direction = DirectionKind::kUpDown;
      t.colourful = t.brightness = t.speed = true;
      t.on_selection = W::kMode;
      break;
    case 17:
      t.brightness = t.colour_choice = true;
      t.on_selection = W::kMode;
      break;
    case 18:
      t.direction = DirectionKind::kSpreadConverge;
      t.colourful = t.brightness = true;
      t.on_selection = W::kMode;
      break;
    case kModePerKey:
      t.brightness = t.per_key = true;
      t.on_selection = W::kMode;
      break;
    default:  // 19 and numbers the program does not know
      break;
  }
  return t;
}

std::u16string ModeTextKey(int mode) {
  std::string digits = std::to_string(mode);
  return std::u16string(digits.begin(), digits.end());
}

void ModeTable::Rebuild(std::span<const uint8_t, kModeSlots> mode_list) {
  count_ = 0;
  for (uint8_t mode : mode_list) {
    if (mode == 0) continue;
    entries_[count_] = Entry{count_, mode};
    ++count_;
  }
  for (int i = count_; i < kModeSlots; ++i) entries_[i] = Entry{};
}

int ModeTable::ModeOfPosition(int i) const {
  if (i < 0 || i >= count_) return 0;
  return entries_[i].mode;
}

int ModeTable::PositionOfMode(int m) const {
  if (m == 0) return -1;
  for (int i = 0; i < count_; ++i) {
    if (entries_[i].mode == m) return entries_[i].position;
  }
  return -1;
}

void DecodeLightingRecord(std::span<const uint8_t, kLightingRecordSize> r, LightingState& s) {
  namespace f = lighting_field;
  s.mode = r[f::kMode];
  s.brightness = r[f::kBrightness];
  s.speed = r[f::kSpeed];
  s.direction = r[f::kDirection];
  s.colour_choice = r[f::kColourChoice];
  s.colour = ColourFromBytes(&r[f::kColour]);
  s.report_rate = r[f::kReportRate] > 3 ? 3 : r[f::kReportRate];
  if (s.mode == 7 && r[f::kRandomColour] <= 1) s.random_colour = r[f::kRandomColour] == 1;
  if (r[f::kTrigger] == 0) {
    s.single_key_trigger = true;
    s.grid_trigger = false;
  } else if (r[f::kTrigger] == 1) {
    s.single_key_trigger = false;
    s.grid_trigger = true;
  }
  s.colourful = r[f::kColourful] != 0;
  s.second_colour = ColourFromBytes(&r[f::kSecondColour]);
  s.second_multicolour = r[f::kSecondMulticolour] != 0;
  s.third_colour = ColourFromBytes(&r[f::kThirdColour]);
  s.third_multicolour = r[f::kThirdMulticolour] != 0;
}

std::array<uint8_t, kDefaultLightingRecordSize> DefaultLightingRecord() {
  std::array<uint8_t, kDefaultLightingRecordSize> r{};
  r[lighting_field::kMode] = 1;
  r[lighting_field::kBrightness] = 4;
  r[lighting_field::kSpeed] = 2;
  r[lighting_field::kDirection] = 0;
  r[lighting_field::kColourful] = 0xFF;
  r[lighting_field::kColour] = r[lighting_field::kColour + 1] = r[lighting_field::kColour + 2] = 0xFF;
  return r;
}

bool IsValidLightingProfile(int profile) {
  return profile >= 0 && profile < kLightingProfiles;
}

}  // namespace keyloom
