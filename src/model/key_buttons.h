// The key buttons of the main window's keyboard picture: which control each
// key is, which key record it edits, which LED carries its colour and which
// skin key places it. This is the one table of them; the window, the user
// data files, the lighting preview and the skin tools all read it here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/key_tables.h"
#include "model/lighting.h"

namespace keyloom {

struct KeyButton {
  uint16_t control_id;        // id in the main dialog template
  KeyCode key_code;           // the key index follows from it (KeyIndexOf)
  uint16_t led;               // index in a profile's per-key colour block
  std::u16string_view caption;  // the template's caption, for tools and tests
};

// The 105 main key buttons in their fixed order; the order is that of the
// user data files and of the lighting preview. Right Win and Page Up share
// LED 112.
inline constexpr int kMainKeyButtonCount = 105;
extern const std::array<KeyButton, kMainKeyButtonCount> kMainKeyButtons;

// G keys G1..G9: key indices 256..264, all on one LED.
inline constexpr std::array<uint16_t, kGKeyCount> kGKeyButtonIds = {1000, 1001, 1002, 1003, 1004,
                                                                    1140, 1141, 1142, 1143};
inline constexpr uint16_t kGKeyLed = 125;
// G9's button opens the key editor on its macro page.
inline constexpr uint16_t kMacroGKeyButtonId = 1143;

// The Fn key has an LED but no key record; it cannot be assigned.
inline constexpr uint16_t kFnButtonId = 1174;
inline constexpr uint16_t kFnLed = 91;
inline constexpr std::u16string_view kFnSkinKey = u"KEY_FN";

// D1..D6: shown instead of F1..F4 when the Flip setting is 1; no key index,
// no LED (a paint click on them uses LED 0).
inline constexpr std::array<uint16_t, 6> kExtraKeyButtonIds = {1016, 1017, 1018, 1019, 1020, 1021};
// F1..F4, which the Flip setting trades for D1..D6.
inline constexpr std::array<uint16_t, 4> kFlipFunctionKeyIds = {1010, 1011, 1012, 1013};

uint16_t KeyIndexOf(const KeyButton& button);
// "KEY_%03X" with the key index: the A key is "KEY_01E", Print Screen "KEY_0B7".
std::u16string SkinKeyName(const KeyButton& button);
// "FUNC_G1".."FUNC_G9" for j = 0..8.
std::u16string GKeySkinKeyName(int j);

// Position 0..104 of a main key button, or -1.
int MainKeyPosition(uint16_t control_id);
// G key 0..8 of a control, or -1.
int GKeyOfControl(uint16_t control_id);
// LED a paint click on `control_id` colours: the main key's, 125 for a G
// key, 91 for Fn, 0 for D1..D6; -1 for a control that is no key button.
int LedOfControl(uint16_t control_id);

// The key indices of the main key buttons in their order (what restoring a
// profile's keys resets besides the G keys).
std::array<uint16_t, kMainKeyButtonCount> MainKeyIndices();

// The base-colour flag of every key button in every onboard profile: 1 when
// the key follows the user mode's base colour. Slots: main key positions
// 0..104, then G1..G9, then Fn.
inline constexpr int kKeyButtonSlots = kMainKeyButtonCount + kGKeyCount + 1;
inline constexpr int kGKeySlot0 = kMainKeyButtonCount;
inline constexpr int kFnSlot = kMainKeyButtonCount + kGKeyCount;
using BaseColourFlags = std::array<std::array<uint8_t, kKeyButtonSlots>, kLightingProfiles>;
// Slot of a control, or -1 for one without a flag (D1..D6 and the rest).
int KeyButtonSlot(uint16_t control_id);

}  // namespace keyloom
