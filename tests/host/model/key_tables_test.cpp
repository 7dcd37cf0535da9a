#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "model/key_function.h"
#include "model/key_tables.h"

namespace keyloom {
namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

// One row per key code: every conversion of the table, both ways.
struct CodeCase {
  KeyCode code;
  uint16_t index;
  Usage usage;
  KeyCode from_usage;  // CodeFromUsage(usage): the first row with that usage byte
  uint16_t list_order;
  KeyCode from_list;   // CodeFromListOrder(list_order)
};

constexpr UsagePage kKbd = UsagePage::kKeyboard, kCons = UsagePage::kConsumer,
                    kDesk = UsagePage::kGenericDesktop, kMouse = UsagePage::kMouse,
                    kNone = UsagePage::kNone;

const CodeCase kCodeCases[] = {
    {0x001, 0x01, {kKbd, 0x29}, 0x001, 37, 0x001},          // Esc
    {0x01E, 0x1E, {kKbd, 0x04}, 0x01E, 0, 0x01E},           // A holds list order 0
    {0x045, 0x45, {kKbd, 0x48}, 0x045, 65, 0x045},          // Pause
    {0x146, 0xC6, {kKbd, 0x48}, 0x045, 66, 0x146},          // Break shares Pause's usage
    {0x145, 0xC5, {kKbd, 0x53}, 0x145, 79, 0x145},          // Num Lock
    {0x036, 0x36, {kKbd, 0xE5}, 0x036, 103, 0x036},         // right Shift
    {0x136, 0xB6, {kKbd, 0xE5}, 0x036, 103, 0x036},         // right Shift with E0 prefix
    {0x11D, 0x9D, {kKbd, 0xE4}, 0x11D, 102, 0x11D},         // right Ctrl
    {0x11C, 0x9C, {kKbd, 0x58}, 0x11C, 84, 0x11C},          // Num Enter
    {0x070, 0x70, {kKbd, 0x88}, 0x070, 0x8018, 0x070},      // ROMA
    {0x16B, 0xEB, {kCons, 0x0194}, 0x16B, 0x801B, 0x16B},   // My PC (usage byte 0xC5)
    {0x122, 0xA2, {kCons, 0x00CD}, 0x122, 0x801F, 0x122},   // Play/Pause
    {0x110, 0x90, {kCons, 0x00B6}, 0x110, 0x8021, 0x110},   // Prev Track
    {0x15E, 0xDE, {kDesk, 0x81}, 0x15E, 0x8001, 0x15E},     // Power
    {0x163, 0xE3, {kDesk, 0x83}, 0x163, 0x8003, 0x163},     // Wake
    {0x171, 0xF1, {kMouse, 0xF1}, 0, 107, 0x171},           // left button
    {0x162, 0xE2, {kMouse, 0xF5}, 0, 111, 0x162},           // wheel down
    {0x174, 0xF4, {kNone, 0}, 0, 0x8007, 0x174},            // Zoom-: consumer entry 0
    {0x17C, 0xFC, {kNone, 0}, 0, 0x800F, 0x17C},            // Excel: consumer entry 0
    {0x176, 0xF6, {kNone, 0}, 0, 0x8009, 0x176},            // Copy: no usage
    {0x054, 0x54, {kNone, 0}, 0, 0x8012, 0x054},            // Sys Req
    {0x064, 0x64, {kNone, 0}, 0, 0x802D, 0x064},            // F13
    {0x055, 0x55, {kNone, 0}, 0, 0, 0x01E},                 // empty row
    {0x200, 256, {kNone, 0}, 0, 0, 0x01E},                  // G1
    {0x208, 264, {kNone, 0}, 0, 0, 0x01E},                  // G9
    {0x209, 265, {kNone, 0}, 0, 0, 0x01E},                  // reserved bank
};

TEST(KeyTable, ConversionsOfEachCode) {
  for (const CodeCase& c : kCodeCases) {
    SCOPED_TRACE("code " + Hex(c.code));
    EXPECT_EQ(KeyIndexFromCode(c.code), c.index);
    EXPECT_EQ(CodeFromKeyIndex(c.index), c.code);
    EXPECT_EQ(UsageOf(c.code), c.usage);
    if (c.usage.page != kNone) {
      EXPECT_EQ(CodeFromUsage(c.usage.page, c.usage.usage), c.from_usage);
    }
    EXPECT_EQ(ListOrderOf(c.code), c.list_order);
    EXPECT_EQ(CodeFromListOrder(c.list_order), c.from_list);
  }
}

TEST(KeyTable, IndexRuleRoundTripsOverEveryUsedCodeRange) {
  for (KeyCode c = 0; c < 0x212; ++c) {
    if (c >= 0x080 && c < 0x100) continue;  // unused: they would share the E0 keys' indices
    if (c >= 0x180 && c < 0x200) continue;  // unused: they would collide with plain keys
    ASSERT_EQ(CodeFromKeyIndex(KeyIndexFromCode(c)), c) << Hex(c);
  }
  EXPECT_EQ(KeyIndexFromCode(0x180), 0x00);  // the collision the code ranges avoid
}

TEST(KeyTable, UsagesThatNameNoKey) {
  EXPECT_EQ(CodeFromUsage(kKbd, 0x00), 0);
  EXPECT_EQ(CodeFromUsage(kKbd, 0x100), 0);
  EXPECT_EQ(CodeFromUsage(kDesk, 0x84), 0);     // generic desktop beyond power/sleep/wake
  EXPECT_EQ(CodeFromUsage(kCons, 0x9999), 0);   // not in the consumer table
  EXPECT_EQ(CodeFromUsage(kCons, 0x0000), 0);   // the table's empty entries match nothing
  EXPECT_EQ(CodeFromUsage(kMouse, 0xF1), 0);
  EXPECT_EQ(CodeFromListOrder(kNoListOrder), 0);
  EXPECT_EQ(CodeFromListOrder(0x9000), 0);
}

TEST(KeyTable, VirtualKeyMap) {
  struct {
    uint32_t vk;
    KeyCode code;
  } cases[] = {
      {0x0D, 0x01C},  // Enter, not Num Enter
      {0x2C, 0x137},  // VK_SNAPSHOT: Print Screen, not Sys Req
      {0x10, 0x02A}, {0x11, 0x01D}, {0x12, 0x038},  // generic modifiers: the left keys
      {0xA1, 0x036},  // right Shift: the first of its two rows
      {0x24, 0x147},  // Home, not Num 7 with Num Lock off
      {0x67, 0x047}, {0x13, 0x045}, {0x90, 0x145}, {0xB3, 0x122},
      {0x01, 0}, {0x02, 0}, {0x04, 0}, {0x05, 0}, {0x06, 0},  // mouse buttons
      {0x0C, 0},      // VK_CLEAR
      {0x00, 0}, {0x07, 0}, {0x100, 0}, {0xFFFFFFFF, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(CodeFromVirtualKey(c.vk), c.code) << "vk " << Hex(c.vk);
}

TEST(KeyTable, MediaListAgreesWithTheConsumerTable) {
  for (const MediaEntry& m : kMediaList) {
    SCOPED_TRACE("media code " + Hex(m.code));
    EXPECT_EQ(UsageOf(m.code), (Usage{kCons, m.consumer_usage}));
    EXPECT_EQ(CodeFromUsage(kCons, m.consumer_usage), m.code);
    EXPECT_EQ(KeyTableRow(KeyIndexFromCode(m.code)).text_key, m.text_key);
    EXPECT_TRUE(IsMediaKey(m.code));
  }
  EXPECT_FALSE(IsMediaKey(0x01E));
  EXPECT_EQ(MediaEntryOf(17)->code, 0x16C);
  EXPECT_EQ(MediaEntryOf(18), nullptr);
  EXPECT_EQ(MediaEntryOf(0xFFFFFFFF), nullptr);
}

TEST(KeyTable, GKeyNumbers) {
  EXPECT_EQ(GKeyNumber(0x200), 1);
  EXPECT_EQ(GKeyNumber(0x208), 9);
  EXPECT_EQ(GKeyNumber(0x209), 0);
  EXPECT_EQ(GKeyNumber(0x1FF), 0);
}

struct DecodeCase {
  KeyFunctionCode f;
  KeyCode code;
};

TEST(KeyFunction, DecodeFunction) {
  const DecodeCase cases[] = {
      {{1, 1, 0x01}, 0x171}, {{1, 1, 0x02}, 0x172}, {{1, 1, 0x04}, 0x173},
      {{1, 5, 0x01}, 0x161}, {{1, 5, 0xFF}, 0x162},
      {{1, 1, 0x08}, 0}, {{1, 1, 0x03}, 0}, {{1, 5, 0x02}, 0}, {{1, 2, 0x01}, 0},
      {{2, 2, 0x04}, 0x01E}, {{2, 2, 0x48}, 0x045}, {{2, 2, 0xE5}, 0x036},
      {{2, 2, 0x00}, 0}, {{2, 2, 0xFF}, 0},
      {{2, 1, 0x03}, 0x01D},  // lowest set bit decides: left Ctrl, not left Shift
      {{2, 1, 0x08}, 0x15B}, {{2, 1, 0x80}, 0x15C}, {{2, 1, 0x40}, 0x138},
      {{2, 1, 0x00}, 0}, {{2, 0, 0x02}, 0x02A},
      {{3, 0xCD, 0x00}, 0x122}, {{3, 0x83, 0x01}, 0x16D}, {{3, 0x99, 0x99}, 0},
      {{4, 0x82, 0x00}, 0x15F}, {{4, 0x82, 0x01}, 0}, {{4, 0x01, 0x00}, 0},
      {{6, 0xA2, 1}, 0x200}, {{6, 0xA2, 9}, 0x208}, {{6, 0xA2, 0}, 0}, {{6, 0xA1, 1}, 0},
      {{5, 1, 0}, 0}, {{5, 0, 0}, 0}, {{0, 0, 0}, 0}, {{7, 2, 4}, 0}, {{0xFF, 2, 4}, 0},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(DecodeFunction(c.f), c.code)
        << Hex(c.f[0]) << " " << Hex(c.f[1]) << " " << Hex(c.f[2]);
  }
  EXPECT_EQ(KeyIndexFromCode(DecodeFunction({6, 0xA2, 1})), 256);
}

TEST(KeyFunction, EncodeKeyFunction) {
  const DecodeCase cases[] = {
      {{2, 1, 0x01}, 0x01D}, {{2, 1, 0x02}, 0x02A}, {{2, 1, 0x04}, 0x038},
      {{2, 1, 0x08}, 0x15B}, {{2, 1, 0x10}, 0x11D}, {{2, 1, 0x20}, 0x036},
      {{2, 1, 0x40}, 0x138}, {{2, 1, 0x80}, 0x15C},
      {{1, 1, 0x01}, 0x171}, {{1, 1, 0x02}, 0x172}, {{1, 1, 0x04}, 0x173},
      {{1, 5, 0x01}, 0x161}, {{1, 5, 0xFF}, 0x162},
      {{2, 2, 0x04}, 0x01E}, {{2, 2, 0x48}, 0x146},
      {{2, 2, 0xE5}, 0x136},  // right Shift with E0 prefix is no modifier code: its usage
      {{2, 2, 0x00}, 0x15E},  // Power: generic desktop, not a keyboard usage
      {{2, 2, 0x00}, 0x122},  // Play/Pause: consumer
      {{2, 2, 0x00}, 0x055},  // empty row
      {{2, 2, 0x00}, 0x200},  // G1
      {{2, 2, 0x00}, 0x000},
  };
  for (const DecodeCase& c : cases) {
    KeyFunctionCode got = EncodeKeyFunction(c.code);
    EXPECT_EQ(got, c.f) << "code " << Hex(c.code) << " gave " << Hex(got[0]) << " "
                        << Hex(got[1]) << " " << Hex(got[2]);
  }
}

TEST(KeyFunction, EveryKeyboardKeyEncodesToACodeThatDecodesToAKeyWithItsUsage) {
  for (uint16_t i = 1; i < 256; ++i) {
    const KeyRow& row = KeyTableRow(i);
    if (row.empty() || ClassifyUsageByte(row.usage).page != kKbd) continue;
    KeyCode code = CodeFromKeyIndex(i);
    KeyCode back = DecodeFunction(EncodeKeyFunction(code));
    EXPECT_EQ(KeyTableRow(KeyIndexFromCode(back)).usage, row.usage) << Hex(code);
  }
}

TEST(KeyRecordBytes, LittleEndianLayout) {
  KeyRecord r{4, 0x0301, 0x11223344, 0xA0B0C0D0, 0};
  uint8_t b[16];
  StoreKeyRecord(r, b);
  const uint8_t expected[16] = {0x04, 0x00, 0x01, 0x03, 0x44, 0x33, 0x22, 0x11,
                                0xD0, 0xC0, 0xB0, 0xA0, 0, 0, 0, 0};
  EXPECT_TRUE(std::equal(b, b + 16, expected));
  EXPECT_EQ(LoadKeyRecord(b), r);
}

}  // namespace
}  // namespace keyloom
