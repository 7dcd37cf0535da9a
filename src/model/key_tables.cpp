// The key table rows and the lookups derived from them at compile time.
#include "model/key_tables.h"

#include <algorithm>

namespace keyloom {
namespace {

struct ListedRow {
  uint8_t index;
  std::u16string_view text_key;
  std::u16string_view name;
  uint8_t vk;
  uint8_t vk_numlock_off;
  uint8_t usage;
  uint16_t list_order;
};

// Every row that is not empty, in index order. A row's key code follows from
// its index (CodeFromKeyIndex). Row 0xB6 (code 0x136, right Shift reported
// with an E0 prefix) repeats right Shift.
// clang-format off
constexpr ListedRow kListedRows[] = {
    {0x01, u"IDS_KEYBOARD_ESC", u"Esc", 0x1B, 0x00, 0x29, 37},
    {0x02, u"IDS_KEYBOARD_1", u"1", 0x31, 0x00, 0x1E, 26},
    {0x03, u"IDS_KEYBOARD_2", u"2", 0x32, 0x00, 0x1F, 27},
    {0x04, u"IDS_KEYBOARD_3", u"3", 0x33, 0x00, 0x20, 28},
    {0x05, u"IDS_KEYBOARD_4", u"4", 0x34, 0x00, 0x21, 29},
    {0x06, u"IDS_KEYBOARD_5", u"5", 0x35, 0x00, 0x22, 30},
    {0x07, u"IDS_KEYBOARD_6", u"6", 0x36, 0x00, 0x23, 31},
    {0x08, u"IDS_KEYBOARD_7", u"7", 0x37, 0x00, 0x24, 32},
    {0x09, u"IDS_KEYBOARD_8", u"8", 0x38, 0x00, 0x25, 33},
    {0x0A, u"IDS_KEYBOARD_9", u"9", 0x39, 0x00, 0x26, 34},
    {0x0B, u"IDS_KEYBOARD_0", u"0", 0x30, 0x00, 0x27, 35},
    {0x0C, u"IDS_KEYBOARD_MINUS", u"-", 0xBD, 0x00, 0x2D, 41},
    {0x0D, u"IDS_KEYBOARD_EQU", u"=", 0xBB, 0x00, 0x2E, 42},
    {0x0E, u"IDS_KEYBOARD_BS", u"Backspace", 0x08, 0x00, 0x2A, 38},
    {0x0F, u"IDS_KEYBOARD_TAB", u"Tab", 0x09, 0x00, 0x2B, 39},
    {0x10, u"IDS_KEYBOARD_Q", u"Q", 0x51, 0x00, 0x14, 16},
    {0x11, u"IDS_KEYBOARD_W", u"W", 0x57, 0x00, 0x1A, 22},
    {0x12, u"IDS_KEYBOARD_E", u"E", 0x45, 0x00, 0x08, 4},
    {0x13, u"IDS_KEYBOARD_R", u"R", 0x52, 0x00, 0x15, 17},
    {0x14, u"IDS_KEYBOARD_T", u"T", 0x54, 0x00, 0x17, 19},
    {0x15, u"IDS_KEYBOARD_Y", u"Y", 0x59, 0x00, 0x1C, 24},
    {0x16, u"IDS_KEYBOARD_U", u"U", 0x55, 0x00, 0x18, 20},
    {0x17, u"IDS_KEYBOARD_I", u"I", 0x49, 0x00, 0x0C, 8},
    {0x18, u"IDS_KEYBOARD_O", u"O", 0x4F, 0x00, 0x12, 14},
    {0x19, u"IDS_KEYBOARD_P", u"P", 0x50, 0x00, 0x13, 15},
    {0x1A, u"IDS_KEYBOARD_SB1", u"[", 0xDB, 0x00, 0x2F, 43},
    {0x1B, u"IDS_KEYBOARD_SB2", u"]", 0xDD, 0x00, 0x30, 44},
    {0x1C, u"IDS_KEYBOARD_ENTER", u"Enter", 0x0D, 0x00, 0x28, 36},
    {0x1D, u"IDS_KEYBOARD_LCTRL", u"Ctrl", 0xA2, 0x00, 0xE0, 98},
    {0x1E, u"IDS_KEYBOARD_A", u"A", 0x41, 0x00, 0x04, 0},
    {0x1F, u"IDS_KEYBOARD_S", u"S", 0x53, 0x00, 0x16, 18},
    {0x20, u"IDS_KEYBOARD_D", u"D", 0x44, 0x00, 0x07, 3},
    {0x21, u"IDS_KEYBOARD_F", u"F", 0x46, 0x00, 0x09, 5},
    {0x22, u"IDS_KEYBOARD_G", u"G", 0x47, 0x00, 0x0A, 6},
    {0x23, u"IDS_KEYBOARD_H", u"H", 0x48, 0x00, 0x0B, 7},
    {0x24, u"IDS_KEYBOARD_J", u"J", 0x4A, 0x00, 0x0D, 9},
    {0x25, u"IDS_KEYBOARD_K", u"K", 0x4B, 0x00, 0x0E, 10},
    {0x26, u"IDS_KEYBOARD_L", u"L", 0x4C, 0x00, 0x0F, 11},
    {0x27, u"IDS_KEYBOARD_SEM", u";", 0xBA, 0x00, 0x33, 46},
    {0x28, u"IDS_KEYBOARD_QUOT", u"'", 0xDE, 0x00, 0x34, 47},
    {0x29, u"IDS_KEYBOARD_AID1", u"`", 0xC0, 0x00, 0x35, 48},
    {0x2A, u"IDS_KEYBOARD_LSHIFT", u"Shift", 0xA0, 0x00, 0xE1, 99},
    {0x2B, u"IDS_KEYBOARD_AV", u"\\", 0xDC, 0x00, 0x31, 45},
    {0x2C, u"IDS_KEYBOARD_Z", u"Z", 0x5A, 0x00, 0x1D, 25},
    {0x2D, u"IDS_KEYBOARD_X", u"X", 0x58, 0x00, 0x1B, 23},
    {0x2E, u"IDS_KEYBOARD_C", u"C", 0x43, 0x00, 0x06, 2},
    {0x2F, u"IDS_KEYBOARD_V", u"V", 0x56, 0x00, 0x19, 21},
    {0x30, u"IDS_KEYBOARD_B", u"B", 0x42, 0x00, 0x05, 1},
    {0x31, u"IDS_KEYBOARD_N", u"N", 0x4E, 0x00, 0x11, 13},
    {0x32, u"IDS_KEYBOARD_M", u"M", 0x4D, 0x00, 0x10, 12},
    {0x33, u"IDS_KEYBOARD_COMMA", u",", 0xBC, 0x00, 0x36, 49},
    {0x34, u"IDS_KEYBOARD_PER", u".", 0xBE, 0x00, 0x37, 50},
    {0x35, u"IDS_KEYBOARD_VIR", u"/", 0xBF, 0x00, 0x38, 51},
    {0x36, u"IDS_KEYBOARD_RSHIFT", u"Right Shift", 0xA1, 0x00, 0xE5, 103},
    {0x37, u"IDS_KEYBOARD_S_AST", u"Num *", 0x6A, 0x00, 0x55, 81},
    {0x38, u"IDS_KEYBOARD_LALT", u"Alt", 0xA4, 0x00, 0xE2, 100},
    {0x39, u"IDS_KEYBOARD_SPACE", u"Space", 0x20, 0x00, 0x2C, 40},
    {0x3A, u"IDS_KEYBOARD_CAPS", u"Caps Lock", 0x14, 0x00, 0x39, 78},
    {0x3B, u"IDS_KEYBOARD_F1", u"F1", 0x70, 0x00, 0x3A, 52},
    {0x3C, u"IDS_KEYBOARD_F2", u"F2", 0x71, 0x00, 0x3B, 53},
    {0x3D, u"IDS_KEYBOARD_F3", u"F3", 0x72, 0x00, 0x3C, 54},
    {0x3E, u"IDS_KEYBOARD_F4", u"F4", 0x73, 0x00, 0x3D, 55},
    {0x3F, u"IDS_KEYBOARD_F5", u"F5", 0x74, 0x00, 0x3E, 56},
    {0x40, u"IDS_KEYBOARD_F6", u"F6", 0x75, 0x00, 0x3F, 57},
    {0x41, u"IDS_KEYBOARD_F7", u"F7", 0x76, 0x00, 0x40, 58},
    {0x42, u"IDS_KEYBOARD_F8", u"F8", 0x77, 0x00, 0x41, 59},
    {0x43, u"IDS_KEYBOARD_F9", u"F9", 0x78, 0x00, 0x42, 60},
    {0x44, u"IDS_KEYBOARD_F10", u"F10", 0x79, 0x00, 0x43, 61},
    {0x45, u"IDS_KEYBOARD_PAUSE", u"Pause", 0x13, 0x00, 0x48, 65},
    {0x46, u"IDS_KEYBOARD_SCROLL", u"Scroll Lock", 0x91, 0x00, 0x47, 77},
    {0x47, u"IDS_KEYBOARD_S_7", u"Num 7", 0x67, 0x24, 0x5F, 91},
    {0x48, u"IDS_KEYBOARD_S_8", u"Num 8", 0x68, 0x26, 0x60, 92},
    {0x49, u"IDS_KEYBOARD_S_9", u"Num 9", 0x69, 0x21, 0x61, 93},
    {0x4A, u"IDS_KEYBOARD_S_MINUS", u"Num -", 0x6D, 0x00, 0x56, 82},
    {0x4B, u"IDS_KEYBOARD_S_4", u"Num 4", 0x64, 0x25, 0x5C, 88},
    {0x4C, u"IDS_KEYBOARD_S_5", u"Num 5", 0x65, 0x0C, 0x5D, 89},
    {0x4D, u"IDS_KEYBOARD_S_6", u"Num 6", 0x66, 0x27, 0x5E, 90},
    {0x4E, u"IDS_KEYBOARD_S_PLUS", u"Num +", 0x6B, 0x00, 0x57, 83},
    {0x4F, u"IDS_KEYBOARD_S_1", u"Num 1", 0x61, 0x23, 0x59, 85},
    {0x50, u"IDS_KEYBOARD_S_2", u"Num 2", 0x62, 0x28, 0x5A, 86},
    {0x51, u"IDS_KEYBOARD_S_3", u"Num 3", 0x63, 0x22, 0x5B, 87},
    {0x52, u"IDS_KEYBOARD_S_0", u"Num 0", 0x60, 0x2D, 0x62, 94},
    {0x53, u"IDS_KEYBOARD_S_DEL", u"Num .", 0x6E, 0x2E, 0x63, 95},
    {0x54, u"IDS_KEYBOARD_SYSREQ", u"Sys Req", 0x2C, 0x00, 0x00, 0x8012},
    {0x56, u"IDS_KEYBOARD_K45", u"K45", 0xE2, 0x00, 0x64, 96},
    {0x57, u"IDS_KEYBOARD_F11", u"F11", 0x7A, 0x00, 0x44, 62},
    {0x58, u"IDS_KEYBOARD_F12", u"F12", 0x7B, 0x00, 0x45, 63},
    {0x64, u"", u"F13", 0x7C, 0x00, 0x00, 0x802D},
    {0x70, u"IDS_KEYBOARD_ROMA", u"ROMA (133)", 0xFF, 0x00, 0x88, 0x8018},
    {0x71, u"IDS_KEYBOARD_KL", u"KL", 0xE9, 0x00, 0x91, 0x8019},
    {0x72, u"IDS_KEYBOARD_KR", u"KR", 0xFF, 0x00, 0x90, 0x801A},
    {0x73, u"IDS_KEYBOARD_K56", u"K56", 0xC1, 0x00, 0x87, 0x8014},
    {0x79, u"IDS_KEYBOARD_CHG", u"CHG (132)", 0xFF, 0x00, 0x8A, 0x8017},
    {0x7B, u"IDS_KEYBOARD_N_CHG", u"N-CHG (131)", 0xEB, 0x00, 0x8B, 0x8016},
    {0x7D, u"IDS_KEYBOARD_K14", u"K14", 0xFF, 0x00, 0x89, 0x8013},
    {0x7E, u"IDS_KEYBOARD_K107", u"K107", 0xC2, 0x00, 0x85, 0x8015},
    {0x90, u"MEDIA_PREV_TRACK_4", u"Prev Track", 0xB1, 0x00, 0xD0, 0x8021},
    {0x99, u"MEDIA_Next_TRACK_5", u"Next Track", 0xB0, 0x00, 0xD1, 0x8022},
    {0x9C, u"IDS_KEYBOARD_S_ENTER", u"Num Enter", 0x0D, 0x00, 0x58, 84},
    {0x9D, u"IDS_KEYBOARD_RCTRL", u"Right Ctrl", 0xA3, 0x00, 0xE4, 102},
    {0xA0, u"MEDIA_MUTE_8", u"Mute", 0xAD, 0x00, 0xCD, 0x8025},
    {0xA1, u"MEDIA_CALC_17", u"Calc", 0xB7, 0x00, 0xC4, 0x801C},
    {0xA2, u"MEDIA_PALY_PAUSE_2", u"Play/Pause", 0xB3, 0x00, 0xCE, 0x801F},
    {0xA4, u"MEDIA_STOP_PALY_3", u"Stop Play", 0xB2, 0x00, 0xCF, 0x8020},
    {0xAE, u"MEDIA_V_LOW_6", u"V-", 0xAE, 0x00, 0xC1, 0x8024},
    {0xB0, u"MEDIA_V_ADD_7", u"V+", 0xAF, 0x00, 0xC0, 0x8023},
    {0xB2, u"MEDIA_WWW_HOME_9", u"WWW Home", 0xAC, 0x00, 0xC7, 0x8026},
    {0xB5, u"IDS_KEYBOARD_S_VIR", u"Num /", 0x6F, 0x00, 0x54, 80},
    {0xB6, u"IDS_KEYBOARD_RSHIFT", u"Right Shift", 0xA1, 0x00, 0xE5, 103},
    {0xB7, u"IDS_KEYBOARD_PRINT", u"Print Screen", 0x2C, 0x00, 0x46, 64},
    {0xB8, u"IDS_KEYBOARD_RALT", u"Right Alt", 0xA5, 0x00, 0xE6, 104},
    {0xC5, u"IDS_KEYBOARD_NUM", u"Num Lock", 0x90, 0x00, 0x53, 79},
    {0xC6, u"IDS_KEYBOARD_BREAK", u"Break", 0x03, 0x00, 0x48, 66},
    {0xC7, u"IDS_KEYBOARD_HOME", u"Home", 0x24, 0x00, 0x4A, 69},
    {0xC8, u"IDS_KEYBOARD_UP", u"\u2191", 0x26, 0x00, 0x52, 73},
    {0xC9, u"IDS_KEYBOARD_PAGE_UP", u"Page Up", 0x21, 0x00, 0x4B, 71},
    {0xCB, u"IDS_KEYBOARD_LEFT", u"\u2190", 0x25, 0x00, 0x50, 75},
    {0xCD, u"IDS_KEYBOARD_RIGHT", u"\u2192", 0x27, 0x00, 0x4F, 76},
    {0xCF, u"IDS_KEYBOARD_END", u"End", 0x23, 0x00, 0x4D, 70},
    {0xD0, u"IDS_KEYBOARD_DOWN", u"\u2193", 0x28, 0x00, 0x51, 74},
    {0xD1, u"IDS_KEYBOARD_PAGE_DOWN", u"Page Down", 0x22, 0x00, 0x4E, 72},
    {0xD2, u"IDS_KEYBOARD_INSERT", u"Insert", 0x2D, 0x00, 0x49, 67},
    {0xD3, u"IDS_KEYBOARD_DELETE", u"Delete", 0x2E, 0x00, 0x4C, 68},
    {0xDB, u"IDS_KEYBOARD_LWIN", u"Win", 0x5B, 0x00, 0xE3, 101},
    {0xDC, u"IDS_KEYBOARD_RWIN", u"Right Win", 0x5C, 0x00, 0xE7, 105},
    {0xDD, u"IDS_KEYBOARD_APP", u"App", 0x5D, 0x00, 0x65, 97},
    {0xDE, u"IDS_KEYBOARD_POWER", u"Power", 0xFF, 0x00, 0x81, 0x8001},
    {0xDF, u"IDS_KEYBOARD_SLEEP", u"Sleep", 0x5F, 0x00, 0x82, 0x8002},
    {0xE1, u"IDS_KEYBOARD_ROLL_UP", u"Roll Up", 0xD1, 0x00, 0xF4, 110},
    {0xE2, u"IDS_KEYBOARD_ROLL_DOWN", u"Roll Down", 0xD2, 0x00, 0xF5, 111},
    {0xE3, u"IDS_KEYBOARD_WAKE", u"Wake", 0xFF, 0x00, 0x83, 0x8003},
    {0xE5, u"MEDIA_WWW_SEARCH_15", u"WWW Search", 0xAA, 0x00, 0xC6, 0x802C},
    {0xE6, u"MEDIA_WWW_FAVORITE_14", u"WWW Favorite", 0xAB, 0x00, 0xCC, 0x802B},
    {0xE7, u"MEDIA_WWW_REFRESH_10", u"WWW Refresh", 0xA8, 0x00, 0xCB, 0x8027},
    {0xE8, u"MEDIA_WWW_STOP_11", u"WWW Stop", 0xA9, 0x00, 0xCA, 0x8028},
    {0xE9, u"MEDIA_WWW_FORWARD_13", u"WWW Forward", 0xA7, 0x00, 0xC9, 0x802A},
    {0xEA, u"MEDIA_WWW_BACK_12", u"WWW Back", 0xA6, 0x00, 0xC8, 0x8029},
    {0xEB, u"MEDIA_MY_PC_16", u"My PC", 0xB6, 0x00, 0xC5, 0x801B},
    {0xEC, u"MEDIA_MAIL_18", u"Mail", 0xB4, 0x00, 0xC3, 0x801D},
    {0xED, u"MEDIA_PALYER_1", u"Media Player", 0xB5, 0x00, 0xC2, 0x801E},
    {0xEE, u"IDS_KEYBOARD_MOU_PANLEFT", u"Pan Left", 0x88, 0x00, 0x00, 0x8005},
    {0xEF, u"IDS_KEYBOARD_MOU_PANRIGHT", u"Pan Right", 0x89, 0x00, 0x00, 0x8006},
    {0xF0, u"IDS_KEYBOARD_MOU_DBCLICK", u"Double Click", 0x8A, 0x00, 0x00, 0x8004},
    {0xF1, u"IDS_KEYBOARD_MOU_LEFT", u"Left Button", 0x01, 0x00, 0xF1, 107},
    {0xF2, u"IDS_KEYBOARD_MOU_RIGHT", u"Right Button", 0x02, 0x00, 0xF2, 108},
    {0xF3, u"IDS_KEYBOARD_MOU_MIDDLE", u"Middle Button", 0x04, 0x00, 0xF3, 109},
    {0xF4, u"IDS_KEYBOARD_FUNC_ZOOMOUT", u"Zoom-", 0x8B, 0x00, 0xD2, 0x8007},
    {0xF5, u"IDS_KEYBOARD_FUNC_ZOOMIN", u"Zoom+", 0x8C, 0x00, 0xD3, 0x8008},
    {0xF6, u"IDS_KEYBOARD_FUNC_COPY", u"Copy", 0x97, 0x00, 0x00, 0x8009},
    {0xF7, u"IDS_KEYBOARD_FUNC_CUT", u"Cut", 0x98, 0x00, 0x00, 0x800A},
    {0xF8, u"IDS_KEYBOARD_FUNC_PASTE", u"Paste", 0x99, 0x00, 0x00, 0x800B},
    {0xF9, u"IDS_KEYBOARD_FUNC_MINI", u"Minimize", 0x9A, 0x00, 0x00, 0x800C},
    {0xFA, u"IDS_KEYBOARD_FUNC_MAXI", u"Maximize", 0x9B, 0x00, 0x00, 0x800D},
    {0xFB, u"IDS_KEYBOARD_FUNC_WORD", u"Word", 0x9C, 0x00, 0xD4, 0x800E},
    {0xFC, u"IDS_KEYBOARD_FUNC_EXCEL", u"Excel", 0x9D, 0x00, 0xD5, 0x800F},
    {0xFD, u"IDS_KEYBOARD_FUNC_POWERPOINT", u"PowerPoint", 0x9E, 0x00, 0x00, 0x8010},
    {0xFE, u"IDS_KEYBOARD_FUNC_CALENDAR", u"Calendar", 0x9F, 0x00, 0x00, 0x8011},
};
// clang-format on

constexpr std::array<KeyRow, 256> BuildKeyTable() {
  std::array<KeyRow, 256> table{};
  for (const ListedRow& r : kListedRows) {
    table[r.index] = KeyRow{r.text_key, r.name, r.vk, r.vk_numlock_off, r.usage, r.list_order};
  }
  return table;
}
constexpr std::array<KeyRow, 256> kKeyTable = BuildKeyTable();
constexpr KeyRow kEmptyRow{};

constexpr bool RowsInIndexOrder() {
  for (size_t i = 1; i < std::size(kListedRows); ++i) {
    if (kListedRows[i - 1].index >= kListedRows[i].index) return false;
  }
  return true;
}
static_assert(RowsInIndexOrder(), "key table rows must be listed once each, in index order");

constexpr uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkSnapshot = 0x2C,
                  kVkClear = 0x0C, kVkLButton = 0x01, kVkRButton = 0x02, kVkMButton = 0x04,
                  kVkXButton1 = 0x05, kVkXButton2 = 0x06;

// Virtual key -> key index (0 none): the first row whose VK is the virtual
// key, with the generic modifiers on the left-hand keys and Print Screen
// taking VK_SNAPSHOT from Sys Req. Mouse buttons and VK_CLEAR stay unmapped.
constexpr std::array<uint8_t, 256> BuildVirtualKeyMap() {
  std::array<uint8_t, 256> map{};
  for (int i = 255; i >= 1; --i) {  // backwards, so the first row wins
    if (!kKeyTable[i].empty() && kKeyTable[i].vk != 0) map[kKeyTable[i].vk] = uint8_t(i);
  }
  map[kVkShift] = 0x2A;
  map[kVkControl] = 0x1D;
  map[kVkMenu] = 0x38;
  map[kVkSnapshot] = 0xB7;
  for (uint8_t vk : {kVkLButton, kVkRButton, kVkMButton, kVkXButton1, kVkXButton2, kVkClear}) {
    map[vk] = 0;
  }
  return map;
}
constexpr std::array<uint8_t, 256> kVirtualKeyMap = BuildVirtualKeyMap();

// Usage byte -> key index of the first row carrying it (0 none).
constexpr std::array<uint8_t, 256> BuildUsageIndex() {
  std::array<uint8_t, 256> map{};
  for (int i = 255; i >= 1; --i) {
    if (kKeyTable[i].usage != 0) map[kKeyTable[i].usage] = uint8_t(i);
  }
  return map;
}
constexpr std::array<uint8_t, 256> kUsageIndex = BuildUsageIndex();

}  // namespace

const KeyRow& KeyTableRow(uint32_t key_index) {
  return key_index < kKeyTable.size() ? kKeyTable[key_index] : kEmptyRow;
}

uint16_t KeyIndexFromCode(KeyCode code) {
  if (code < 0x100) return code;
  if (code < 0x200) return static_cast<uint16_t>((code - 0x80) & 0xFF);
  return static_cast<uint16_t>(code - 0x100);
}

KeyCode CodeFromKeyIndex(uint16_t key_index) {
  if (key_index < 0x80) return key_index;
  if (key_index < 0x100) return static_cast<KeyCode>(key_index + 0x80);
  // G keys (and the reserved bank): the inverse of KeyIndexFromCode.
  return static_cast<KeyCode>(key_index + 0x100);
}

KeyCode CodeFromVirtualKey(uint32_t virtual_key) {
  if (virtual_key >= kVirtualKeyMap.size()) return 0;
  uint8_t index = kVirtualKeyMap[virtual_key];
  return index == 0 ? 0 : CodeFromKeyIndex(index);
}

Usage ClassifyUsageByte(uint8_t b) {
  if (b == 0x00 || b == 0xFF) return {};
  if (b >= 0x81 && b <= 0x83) return {UsagePage::kGenericDesktop, b};
  if (b >= 0xF1 && b <= 0xF8) return {UsagePage::kMouse, b};
  if (b >= 0xC0 && b <= 0xDF) {
    uint16_t consumer = kConsumerTable[b - 0xC0];
    if (consumer == 0) return {};
    return {UsagePage::kConsumer, consumer};
  }
  return {UsagePage::kKeyboard, b};
}

Usage UsageOf(KeyCode code) {
  return ClassifyUsageByte(KeyTableRow(KeyIndexFromCode(code)).usage);
}

KeyCode CodeFromUsage(UsagePage page, uint16_t usage) {
  uint16_t usage_byte = 0;
  switch (page) {
    case UsagePage::kKeyboard:
      usage_byte = usage <= 0xFF ? usage : 0;
      break;
    case UsagePage::kGenericDesktop:
      usage_byte = (usage >= 0x81 && usage <= 0x83) ? usage : 0;
      break;
    case UsagePage::kConsumer:
      if (usage == 0) break;  // the table's empty entries stand for nothing
      for (size_t i = 0; i < kConsumerTable.size(); ++i) {
        if (kConsumerTable[i] == usage) {
          usage_byte = static_cast<uint16_t>(0xC0 + i);
          break;
        }
      }
      break;
    default:
      break;
  }
  if (usage_byte == 0) return 0;
  uint8_t index = kUsageIndex[usage_byte];
  return index == 0 ? 0 : CodeFromKeyIndex(index);
}

KeyCode CodeFromListOrder(uint16_t list_order) {
  if (list_order == kNoListOrder) return 0;
  for (size_t i = 1; i < kKeyTable.size(); ++i) {
    if (!kKeyTable[i].empty() && kKeyTable[i].list_order == list_order) {
      return CodeFromKeyIndex(static_cast<uint16_t>(i));
    }
  }
  return 0;
}

uint16_t ListOrderOf(KeyCode code) {
  const KeyRow& row = KeyTableRow(KeyIndexFromCode(code));
  return row.empty() || row.list_order == kNoListOrder ? 0 : row.list_order;
}

const MediaEntry* MediaEntryOf(uint32_t value) {
  return value < kMediaList.size() ? &kMediaList[value] : nullptr;
}

bool IsMediaKey(KeyCode code) {
  return std::any_of(kMediaList.begin(), kMediaList.end(),
                     [code](const MediaEntry& m) { return m.code == code; });
}

int GKeyNumber(KeyCode code) {
  return (code >= kCodeG1 && code < kCodeG1 + kGKeyCount) ? code - kCodeG1 + 1 : 0;
}

uint16_t GKeyIdOfKeyIndex(uint32_t key_index) {
  if (key_index >= kKeyIndexG1 && key_index < kKeyIndexG1 + kGKeyCount)
    return static_cast<uint16_t>(kGKeyIdBase + key_index - kKeyIndexG1 + 1);
  if (key_index >= kKeyIndexReservedG1 && key_index < kKeyIndexReservedG1 + kGKeyCount)
    return static_cast<uint16_t>(kReservedGKeyIdBase + key_index - kKeyIndexReservedG1 + 1);
  return 0;
}

std::vector<std::u16string_view> ModelTextKeys() {
  std::vector<std::u16string_view> keys;
  for (const KeyRow& row : kKeyTable) {
    if (!row.text_key.empty()) keys.push_back(row.text_key);
  }
  for (const MediaEntry& m : kMediaList) keys.push_back(m.text_key);
  for (const MouseAction& m : kMouseActions) keys.push_back(m.text_key);
  for (std::u16string_view k : kKeyboardFunctionTextKeys) keys.push_back(k);
  for (std::u16string_view k : {u"UNKNOWN_KEY", u"KEY_PROMPT_SET", u"KEY_PROMPT_SINGLE",
                                u"KEY_PROMPT_MACRO", u"KEY_PROMPT_MEDIA", u"KEY_PROMPT_FUNCTION",
                                u"EXTRA_MACRO_TOO_LONG", u"EXTRA_PROFILE_SPACE_TIGHT"}) {
    keys.push_back(std::u16string_view(k));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

}  // namespace keyloom
