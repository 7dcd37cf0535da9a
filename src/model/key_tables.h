// The key table and the lists built on it: how a key code (what the PC sees)
// relates to a key index (a row of the table and a record of a profile), to a
// Windows virtual key, to a HID usage and to a place in the selection lists.
// Everything here is constant data and pure functions, safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace keyloom {

// 0x001-0x07F: set-1 scan code; 0x100-0x17F: 0x100 + scan code of an E0 key
// and the program's own actions; 0x200-0x208: G1..G9; 0 no key.
using KeyCode = uint16_t;

inline constexpr uint16_t kNoListOrder = 0xFFFF;

struct KeyRow {
  std::u16string_view text_key;  // language-file key of the display name; empty when none
  std::u16string_view name;      // English reference name; empty marks an empty row
  uint8_t vk = 0;                // Windows virtual key
  uint8_t vk_numlock_off = 0;    // numeric pad: the virtual key sent with Num Lock off; else 0
  uint8_t usage = 0;             // usage byte (see UsageOf); 0 none
  uint16_t list_order = kNoListOrder;

  constexpr bool empty() const { return name.empty(); }
};

// Row of a key index below 256; every other index, and every unlisted one,
// gives the empty row.
const KeyRow& KeyTableRow(uint32_t key_index);

// Rules between codes and indices. Indices of 256 and more are the G keys
// (and the reserved second bank); they have no table row.
uint16_t KeyIndexFromCode(KeyCode code);
KeyCode CodeFromKeyIndex(uint16_t key_index);

// Windows virtual key to key code through the virtual-key map; 0 when unmapped.
KeyCode CodeFromVirtualKey(uint32_t virtual_key);

// Usage pages as the program classifies usage bytes.
enum class UsagePage : uint8_t {
  kNone = 0,
  kGenericDesktop = 1,
  kMouse = 2,  // the program's own page for mouse buttons and the wheel
  kKeyboard = 7,
  kConsumer = 12,
};

struct Usage {
  UsagePage page = UsagePage::kNone;
  uint16_t usage = 0;
  bool operator==(const Usage&) const = default;
};

// Classifies a usage byte: 0x00/0xFF none, 0x81-0x83 generic desktop,
// 0xF1-0xF8 mouse, 0xC0-0xDF consumer (through the consumer table), else keyboard.
Usage ClassifyUsageByte(uint8_t usage_byte);
Usage UsageOf(KeyCode code);
// Page and usage back to the key code of the first row carrying that usage
// byte; 0 when nothing matches. Only the keyboard, generic-desktop and
// consumer pages convert.
KeyCode CodeFromUsage(UsagePage page, uint16_t usage);

// First row (in index order) with that list order; 0 when none.
KeyCode CodeFromListOrder(uint16_t list_order);
// The list order of the code's row; 0 when the row has none.
uint16_t ListOrderOf(KeyCode code);

// Consumer table: usage byte 0xC0 + i stands for consumer usage kConsumerTable[i].
inline constexpr std::array<uint16_t, 32> kConsumerTable = {
    0x00E9, 0x00EA, 0x0183, 0x018A, 0x0192, 0x0194, 0x0221, 0x0223, 0x0224,
    0x0225, 0x0226, 0x0227, 0x022A, 0x00E2, 0x00CD, 0x00B7, 0x00B6, 0x00B5};

// Media list: a Media record's value indexes it.
struct MediaEntry {
  std::u16string_view text_key;
  KeyCode code;
  uint16_t consumer_usage;
};
inline constexpr std::array<MediaEntry, 18> kMediaList = {{
    {u"MEDIA_PALYER_1", 0x16D, 0x0183},
    {u"MEDIA_PALY_PAUSE_2", 0x122, 0x00CD},
    {u"MEDIA_STOP_PALY_3", 0x124, 0x00B7},
    {u"MEDIA_PREV_TRACK_4", 0x110, 0x00B6},
    {u"MEDIA_Next_TRACK_5", 0x119, 0x00B5},
    {u"MEDIA_V_LOW_6", 0x12E, 0x00EA},
    {u"MEDIA_V_ADD_7", 0x130, 0x00E9},
    {u"MEDIA_MUTE_8", 0x120, 0x00E2},
    {u"MEDIA_WWW_HOME_9", 0x132, 0x0223},
    {u"MEDIA_WWW_REFRESH_10", 0x167, 0x0227},
    {u"MEDIA_WWW_STOP_11", 0x168, 0x0226},
    {u"MEDIA_WWW_BACK_12", 0x16A, 0x0224},
    {u"MEDIA_WWW_FORWARD_13", 0x169, 0x0225},
    {u"MEDIA_WWW_FAVORITE_14", 0x166, 0x022A},
    {u"MEDIA_WWW_SEARCH_15", 0x165, 0x0221},
    {u"MEDIA_MY_PC_16", 0x16B, 0x0194},
    {u"MEDIA_CALC_17", 0x121, 0x0192},
    {u"MEDIA_MAIL_18", 0x16C, 0x018A},
}};
// The media list entry of a Media record's value; nullptr outside the list.
const MediaEntry* MediaEntryOf(uint32_t value);
// Key capture and the macro recorder ignore these codes.
bool IsMediaKey(KeyCode code);

// Keyboard function list: the value f (0..10) of a Function record names
// text key FUNC_KEY_DESC<f+1>.
inline constexpr std::array<std::u16string_view, 11> kKeyboardFunctionTextKeys = {
    u"FUNC_KEY_DESC1", u"FUNC_KEY_DESC2", u"FUNC_KEY_DESC3", u"FUNC_KEY_DESC4",
    u"FUNC_KEY_DESC5", u"FUNC_KEY_DESC6", u"FUNC_KEY_DESC7", u"FUNC_KEY_DESC8",
    u"FUNC_KEY_DESC9", u"FUNC_KEY_DESC10", u"FUNC_KEY_DESC11"};

struct MouseAction {
  std::u16string_view text_key;
  KeyCode code;
};
inline constexpr std::array<MouseAction, 5> kMouseActions = {{
    {u"IDS_KEYBOARD_MOU_LEFT", 0x171},
    {u"IDS_KEYBOARD_MOU_RIGHT", 0x172},
    {u"IDS_KEYBOARD_MOU_MIDDLE", 0x173},
    {u"IDS_KEYBOARD_ROLL_UP", 0x161},
    {u"IDS_KEYBOARD_ROLL_DOWN", 0x162},
}};

// Named key codes used by the codecs.
inline constexpr KeyCode kCodeLeftCtrl = 0x01D, kCodeLeftShift = 0x02A, kCodeLeftAlt = 0x038,
                         kCodeLeftWin = 0x15B, kCodeRightCtrl = 0x11D, kCodeRightShift = 0x036,
                         kCodeRightAlt = 0x138, kCodeRightWin = 0x15C;
// Modifier codes in the order of their bits 0..7 in a modifier mask.
inline constexpr std::array<KeyCode, 8> kModifierCodes = {
    kCodeLeftCtrl, kCodeLeftShift, kCodeLeftAlt,   kCodeLeftWin,
    kCodeRightCtrl, kCodeRightShift, kCodeRightAlt, kCodeRightWin};
inline constexpr KeyCode kCodeMouseLeft = 0x171, kCodeMouseRight = 0x172,
                         kCodeMouseMiddle = 0x173, kCodeWheelUp = 0x161,
                         kCodeWheelDown = 0x162;

// G keys G1..G9: codes 0x200..0x208, key indices 256..264, G-key ids
// 0x301..0x309 in their records' sub field. A reserved second bank follows
// (indices 265..273, ids 0x1301..0x1309); nothing selects it.
inline constexpr int kGKeyCount = 9;
inline constexpr KeyCode kCodeG1 = 0x200;
inline constexpr uint16_t kKeyIndexG1 = 256;
inline constexpr uint16_t kGKeyIdBase = 0x300;          // G n has id 0x300 + n
inline constexpr uint16_t kKeyIndexReservedG1 = 265;
inline constexpr uint16_t kReservedGKeyIdBase = 0x1300;
// The G-key number 1..9 of a code, or 0 when it is no G key.
int GKeyNumber(KeyCode code);
// The G-key id a record of key index 256..273 carries in its sub field
// (0x301..0x309, then the reserved bank's 0x1301..0x1309); 0 for any other
// key index.
uint16_t GKeyIdOfKeyIndex(uint32_t key_index);

// Every text key this module and the key store look up, for checks of the
// language files.
std::vector<std::u16string_view> ModelTextKeys();

}  // namespace keyloom
