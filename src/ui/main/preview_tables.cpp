#include "ui/main/preview_tables.h"

#include <cstddef>

namespace keyloom::preview {
namespace {

constexpr std::array<uint8_t, 32> kRising = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFalling = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                              114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                              29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r) | static_cast<Colour>(g) << 8 | static_cast<Colour>(b) << 16;
}

constexpr std::array<Colour, kPaletteSize> MakePalette() {
  std::array<Colour, kPaletteSize> p{};
  for (int i = 0; i < 32; ++i) {
    const int u = kRising[i], d = kFalling[i];
    p[i] = Rgb(255, u, 0);
    p[32 + i] = Rgb(d, 255, 0);
    p[64 + i] = Rgb(0, 255, u);
    p[96 + i] = Rgb(0, d, 255);
    p[128 + i] = Rgb(u, 0, 255);
    p[160 + i] = Rgb(255, 0, d);
  }
  return p;
}

// The first half of a ramp followed by the same values in reverse.
template <size_t N>
constexpr std::array<uint8_t, 2 * N> Mirrored(const std::array<uint8_t, N>& half) {
  std::array<uint8_t, 2 * N> out{};
  for (size_t i = 0; i < N; ++i) {
    out[i] = half[i];
    out[2 * N - 1 - i] = half[i];
  }
  return out;
}

constexpr std::array<uint8_t, 48> kWaveHalf = {22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,
                                               61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109,
                                               114, 119, 124, 129, 134, 140, 146, 152, 158, 164, 170, 176,
                                               182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 64> kBreathingHalf = {
    3,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  16,  18,  20,  22,  24,  27,  30,  33,  36,
    39,  42,  45,  49,  53,  57,  61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129,
    134, 140, 146, 152, 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 56> kRowHalf = {8,   9,   10,  12,  14,  16,  18,  20,  22,  24,  27,  30,  33,  36,
                                              39,  42,  45,  49,  53,  57,  61,  65,  69,  73,  77,  81,  85,  89,
                                              94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152, 158, 164,
                                              170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 80> kSecondFormHead = {
    0,   4,   8,   14,  22,  33,  45,  61,  77,  94,  114, 134, 158, 182, 206, 234, 255, 248, 241, 234,
    227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114,
    109, 104, 99,  94,  89,  85,  81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,
    30,  27,  24,  22,  20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1};

constexpr std::array<uint8_t, 129> MakeSecondFormRamp() {
  std::array<uint8_t, 129> out{};  // indices 80..128 stay 0
  for (size_t i = 0; i < kSecondFormHead.size(); ++i) out[i] = kSecondFormHead[i];
  return out;
}

constexpr std::array<uint8_t, 192> MakeRowRamp() {
  std::array<uint8_t, 192> out{};  // indices 112..191 stay 0
  const auto rise_and_fall = Mirrored(kRowHalf);
  for (size_t i = 0; i < rise_and_fall.size(); ++i) out[i] = rise_and_fall[i];
  return out;
}

constexpr std::array<uint8_t, 192> MakeRingRamp() {
  std::array<uint8_t, 192> out{};
  const auto wave = Mirrored(kWaveHalf);
  const auto row = MakeRowRamp();
  for (size_t i = 0; i < 96; ++i) {
    out[i] = wave[i];
    out[96 + i] = row[i];
  }
  return out;
}

}  // namespace

const std::array<Colour, kPaletteSize> kPalette = MakePalette();
const std::array<uint8_t, 96> kWaveRamp = Mirrored(kWaveHalf);
const std::array<uint8_t, 129> kSecondFormRamp = MakeSecondFormRamp();
const std::array<uint8_t, 128> kBreathingRamp = Mirrored(kBreathingHalf);
const std::array<uint8_t, 192> kRowRamp = MakeRowRamp();
const std::array<uint8_t, 192> kRingRamp = MakeRingRamp();

const std::array<std::array<uint16_t, kGridColumns>, kGridRows> kKeyGrid = {{
    {0, 0, 1022, 1010, 1011, 1012, 1013, 0, 1014, 1015, 1023, 1024, 1025, 1026, 1027, 1028, 1091, 1092, 1093, 0, 0,
     0, 0},
    {0, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1043, 1043, 1094, 1095, 1096,
     1104, 1105, 1106, 1107},
    {0, 1056, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055, 1070, 0, 1097, 1098, 1099,
     1108, 1109, 1110, 0},
    {0, 1069, 1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 1068, 1042, 0, 0, 0, 0, 0, 1112, 1113,
     1114, 1111},
    {1082, 1199, 1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 0, 0, 1081, 1081, 0, 1103, 0, 1115,
     1116, 1117, 1118},
    {1083, 1084, 1085, 0, 0, 0, 1090, 0, 0, 1086, 1086, 1174, 1088, 0, 1089, 1089, 1100, 1101, 1102, 1120, 1120,
     1119, 0},
}};

const std::array<std::array<uint16_t, kRingWidth>, kRingCount> kRings = {{
    {1052},
    {1038, 1051, 1065, 1066, 1053, 1039},
    {1024, 1037, 1050, 1064, 1077, 1078, 1079, 1067, 1054, 1040},
    {1023, 1036, 1049, 1063, 1076, 1086, 1080, 1068, 1055, 1042, 1041, 1025},
    {1015, 1035, 1048, 1062, 1075, 1174, 1081, 1070, 0, 1043, 1026, 1027},
    {1014, 1034, 1047, 1061, 1074, 1090, 1088, 1089, 1097, 1094, 1028},
    {1013, 1033, 1046, 1060, 1073, 1100, 1103, 1098, 1095, 1091},
    {1012, 1032, 1045, 1059, 1072, 1101, 1102, 1099, 1096, 1093, 1092},
    {1011, 1031, 1044, 1058, 1071, 1085, 1115, 1112, 1108, 1104},
    {1010, 1030, 1056, 1069, 1199, 1084, 1120, 1116, 1113, 1109, 1105},
    {1022, 1029, 1083, 1119, 1117, 1114, 1110, 1106, 0, 0, 1082},
    {1118, 1111, 1107},
}};

// Rows follow the grid; columns are squeezed so that the numeric pad ends
// in column 20 and the navigation keys line up over the arrows.
const std::array<std::array<uint16_t, kCellColumns>, kCellRows> kCellLayout = {{
    {1022, 0, 1010, 1011, 1012, 1013, 1014, 1015, 1023, 1024, 1025, 1026, 1027, 1028, 1091, 1092, 1093, 0, 0, 0, 0},
    {1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040, 1041, 1043, 1094, 1095, 1096, 1104, 1105,
     1106, 1107},
    {1056, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 1054, 1055, 1070, 1097, 1098, 1099, 1108, 1109,
     1110, 0},
    {1069, 1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066, 1067, 1068, 1042, 0, 0, 0, 0, 1112, 1113, 1114, 1111},
    {1082, 1199, 1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081, 0, 0, 1103, 0, 1115, 1116, 1117,
     1118},
    {1083, 1084, 1085, 0, 0, 1090, 0, 0, 1086, 0, 1174, 1088, 1089, 0, 1100, 1101, 1102, 1120, 0, 1119, 0},
}};

Colour ScaleColour(Colour c, int level) {
  const unsigned l = static_cast<unsigned>(level);
  const unsigned r = (c & 0xFF) * l / 255, g = ((c >> 8) & 0xFF) * l / 255, b = ((c >> 16) & 0xFF) * l / 255;
  return r | g << 8 | b << 16;
}

int AdvancePhase(int phase, int step, int n, int direction) {
  if (direction == kDirectionLeft) {
    phase += step;
    if (phase >= n) phase -= n;
  } else {
    phase -= step;
    if (phase < 0) phase += n;
  }
  return phase;
}

}  // namespace keyloom::preview
