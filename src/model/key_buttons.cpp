#include "model/key_buttons.h"

#include <algorithm>

#include "base/format.h"

namespace keyloom {

// control id, key code, LED number, caption
const std::array<KeyButton, kMainKeyButtonCount> kMainKeyButtons = {{
    {1058, 0x01E, 53, u"A"},
    {1075, 0x030, 74, u"B"},
    {1073, 0x02E, 72, u"C"},
    {1060, 0x020, 55, u"D"},
    {1046, 0x012, 38, u"E"},
    {1061, 0x021, 56, u"F"},
    {1062, 0x022, 57, u"G"},
    {1063, 0x023, 58, u"H"},
    {1051, 0x017, 43, u"I"},
    {1064, 0x024, 59, u"J"},
    {1065, 0x025, 60, u"K"},
    {1066, 0x026, 61, u"L"},
    {1077, 0x032, 76, u"M"},
    {1076, 0x031, 75, u"N"},
    {1052, 0x018, 44, u"O"},
    {1053, 0x019, 45, u"P"},
    {1044, 0x010, 36, u"Q"},
    {1047, 0x013, 39, u"R"},
    {1059, 0x01F, 54, u"S"},
    {1048, 0x014, 40, u"T"},
    {1050, 0x016, 42, u"U"},
    {1074, 0x02F, 73, u"V"},
    {1045, 0x011, 37, u"W"},
    {1072, 0x02D, 71, u"X"},
    {1049, 0x015, 41, u"Y"},
    {1071, 0x02C, 70, u"Z"},
    {1030, 0x002, 19, u"1!"},
    {1031, 0x003, 20, u"2@"},
    {1032, 0x004, 21, u"3#"},
    {1033, 0x005, 22, u"4$"},
    {1034, 0x006, 23, u"5%"},
    {1035, 0x007, 24, u"6^"},
    {1036, 0x008, 25, u"7&"},
    {1037, 0x009, 26, u"8*"},
    {1038, 0x00A, 27, u"9("},
    {1039, 0x00B, 28, u"0)"},
    {1070, 0x01C, 81, u"Enter"},
    {1022, 0x001, 1, u"Esc"},
    {1043, 0x00E, 98, u"<--"},
    {1056, 0x00F, 35, u"Tab"},
    {1090, 0x039, 89, u""},
    {1040, 0x00C, 29, u"-_"},
    {1041, 0x00D, 30, u"=+"},
    {1054, 0x01A, 46, u"[{"},
    {1055, 0x01B, 47, u"]}"},
    {1042, 0x02B, 64, u"\\"},
    {1067, 0x027, 62, u";:"},
    {1068, 0x028, 63, u"'\""},
    {1029, 0x029, 18, u"`~"},
    {1078, 0x033, 77, u",<"},
    {1079, 0x034, 78, u".>"},
    {1080, 0x035, 79, u"/?"},
    {1010, 0x03B, 2, u"F1"},
    {1011, 0x03C, 3, u"F2"},
    {1012, 0x03D, 4, u"F3"},
    {1013, 0x03E, 5, u"F4"},
    {1014, 0x03F, 6, u"F5"},
    {1015, 0x040, 7, u"F6"},
    {1023, 0x041, 8, u"F7"},
    {1024, 0x042, 9, u"F8"},
    {1025, 0x043, 10, u"F9"},
    {1026, 0x044, 11, u"F10"},
    {1027, 0x057, 12, u"F11"},
    {1028, 0x058, 13, u"F12"},
    {1091, 0x137, 106, u"Print"},
    {1093, 0x045, 108, u"Pause"},
    {1094, 0x152, 110, u"Insert"},
    {1097, 0x153, 113, u"Delete"},
    {1095, 0x147, 111, u"Home"},
    {1098, 0x14F, 114, u"End"},
    {1096, 0x149, 112, u"Page Up"},
    {1099, 0x151, 115, u"Page Down"},
    {1103, 0x148, 96, u"\u2191"},
    {1101, 0x150, 95, u"\u2193"},
    {1100, 0x14B, 94, u"\u2190"},
    {1102, 0x14D, 97, u"\u2192"},
    {1092, 0x046, 107, u"Scroll"},
    {1069, 0x03A, 52, u"CapsLock"},
    {1088, 0x15D, 92, u"App"},
    {1083, 0x01D, 86, u"Ctrl"},
    {1089, 0x11D, 93, u"Ctrl"},
    {1082, 0x02A, 69, u"Shift"},
    {1081, 0x036, 80, u"Shift"},
    {1085, 0x038, 88, u"Alt"},
    {1086, 0x138, 90, u"Alt"},
    {1084, 0x15B, 87, u"Win"},
    {1087, 0x15C, 112, u"Win"},
    {1115, 0x04F, 82, u"1E"},
    {1116, 0x050, 83, u"2\u2193"},
    {1117, 0x051, 84, u"3D"},
    {1112, 0x04B, 65, u"4\u2190"},
    {1113, 0x04C, 66, u"5"},
    {1114, 0x04D, 67, u"6\u2192"},
    {1108, 0x047, 48, u"7H"},
    {1109, 0x048, 49, u"8\u2191"},
    {1110, 0x049, 50, u"9U"},
    {1120, 0x052, 99, u"0"},
    {1104, 0x145, 31, u"Num"},
    {1118, 0x11C, 101, u"Enter"},
    {1119, 0x053, 100, u".D"},
    {1105, 0x135, 32, u"/"},
    {1106, 0x037, 33, u"*"},
    {1107, 0x04A, 116, u"-"},
    {1111, 0x04E, 117, u"+"},
    {1199, 0x056, 105, u"K45"},
}};

uint16_t KeyIndexOf(const KeyButton& button) { return KeyIndexFromCode(button.key_code); }

std::u16string SkinKeyName(const KeyButton& button) {
  return FormatText(u"KEY_%03X", KeyIndexOf(button));
}

std::u16string GKeySkinKeyName(int j) { return FormatText(u"FUNC_G%d", j + 1); }

int MainKeyPosition(uint16_t control_id) {
  for (int i = 0; i < kMainKeyButtonCount; ++i)
    if (kMainKeyButtons[i].control_id == control_id) return i;
  return -1;
}

int GKeyOfControl(uint16_t control_id) {
  auto it = std::find(kGKeyButtonIds.begin(), kGKeyButtonIds.end(), control_id);
  return it == kGKeyButtonIds.end() ? -1 : static_cast<int>(it - kGKeyButtonIds.begin());
}

int LedOfControl(uint16_t control_id) {
  if (int i = MainKeyPosition(control_id); i >= 0) return kMainKeyButtons[i].led;
  if (GKeyOfControl(control_id) >= 0) return kGKeyLed;
  if (control_id == kFnButtonId) return kFnLed;
  if (std::find(kExtraKeyButtonIds.begin(), kExtraKeyButtonIds.end(), control_id) != kExtraKeyButtonIds.end())
    return 0;
  return -1;
}

std::array<uint16_t, kMainKeyButtonCount> MainKeyIndices() {
  std::array<uint16_t, kMainKeyButtonCount> out{};
  for (int i = 0; i < kMainKeyButtonCount; ++i) out[i] = KeyIndexOf(kMainKeyButtons[i]);
  return out;
}

int KeyButtonSlot(uint16_t control_id) {
  if (int i = MainKeyPosition(control_id); i >= 0) return i;
  if (int j = GKeyOfControl(control_id); j >= 0) return kGKeySlot0 + j;
  if (control_id == kFnButtonId) return kFnSlot;
  return -1;
}

}  // namespace keyloom
