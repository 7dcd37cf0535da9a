#include <gtest/gtest.h>

#include <set>

#include "base/text.h"
#include "model/key_buttons.h"
#include "model/key_tables.h"

namespace keyloom {
namespace {

// Every button is a distinct control on a distinct key that the key table
// knows; LEDs are distinct except the one that right Win and Page Up share.
TEST(KeyButtons, TableIsConsistent) {
  std::set<uint16_t> ids, indices, leds;
  for (const KeyButton& b : kMainKeyButtons) {
    EXPECT_TRUE(ids.insert(b.control_id).second) << b.control_id;
    const uint16_t index = KeyIndexOf(b);
    EXPECT_TRUE(indices.insert(index).second) << b.control_id;
    EXPECT_LT(index, 256) << b.control_id;
    EXPECT_FALSE(KeyTableRow(index).empty()) << "no key table row for control " << b.control_id;
    EXPECT_GT(b.led, 0) << b.control_id;
    EXPECT_LT(b.led, kLedsSent) << b.control_id;
    leds.insert(b.led);
  }
  EXPECT_EQ(leds.size(), 104u);
  EXPECT_EQ(kMainKeyButtons[MainKeyPosition(1087)].led, 112);  // right Win
  EXPECT_EQ(kMainKeyButtons[MainKeyPosition(1096)].led, 112);  // Page Up
  EXPECT_FALSE(leds.count(kFnLed));
  EXPECT_FALSE(leds.count(kGKeyLed));
  for (uint16_t id : kGKeyButtonIds) EXPECT_FALSE(ids.count(id));
  for (uint16_t id : kExtraKeyButtonIds) EXPECT_FALSE(ids.count(id));
}

TEST(KeyButtons, SkinKeysAndLookups) {
  struct Case {
    uint16_t control_id;
    const char* skin_key;
    int led;
  };
  const Case cases[] = {
      {1058, "KEY_01E", 53},   // A
      {1118, "KEY_09C", 101},  // numeric-pad Enter, key code 0x11C
      {1091, "KEY_0B7", 106},  // Print Screen, key code 0x137
      {1104, "KEY_0C5", 31},   // Num Lock, key code 0x145
      {1199, "KEY_056", 105},  // K45
  };
  for (const Case& c : cases) {
    const int pos = MainKeyPosition(c.control_id);
    ASSERT_GE(pos, 0) << c.control_id;
    EXPECT_EQ(Utf16ToUtf8(SkinKeyName(kMainKeyButtons[pos])), c.skin_key);
    EXPECT_EQ(LedOfControl(c.control_id), c.led);
    EXPECT_EQ(KeyButtonSlot(c.control_id), pos);
  }
  EXPECT_EQ(Utf16ToUtf8(GKeySkinKeyName(0)), "FUNC_G1");
  EXPECT_EQ(Utf16ToUtf8(GKeySkinKeyName(8)), "FUNC_G9");
  EXPECT_EQ(GKeyOfControl(1143), 8);
  EXPECT_EQ(LedOfControl(1140), 125);
  EXPECT_EQ(KeyButtonSlot(1140), kGKeySlot0 + 5);
  EXPECT_EQ(LedOfControl(kFnButtonId), 91);
  EXPECT_EQ(KeyButtonSlot(kFnButtonId), kFnSlot);
  EXPECT_EQ(LedOfControl(1016), 0);  // D1
  EXPECT_EQ(KeyButtonSlot(1016), -1);
  EXPECT_EQ(LedOfControl(1005), -1);
  EXPECT_EQ(MainKeyIndices()[0], 0x1E);
}

}  // namespace
}  // namespace keyloom
