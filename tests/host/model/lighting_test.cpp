#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "model/lighting.h"

namespace keyloom {
namespace {

std::array<uint8_t, kModeSlots> ModeList(std::initializer_list<uint8_t> slots) {
  std::array<uint8_t, kModeSlots> list{};
  std::copy(slots.begin(), slots.end(), list.begin());
  return list;
}

TEST(ModeTable, TakesTheNonZeroSlotsInOrder) {
  ModeTable table;
  table.Rebuild(ModeList({3, 0, 7, 0}));
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.ModeOfPosition(0), 3);
  EXPECT_EQ(table.ModeOfPosition(1), 7);
  EXPECT_EQ(table.PositionOfMode(7), 1);
  EXPECT_EQ(table.PositionOfMode(5), -1);
  EXPECT_EQ(table.ModeOfPosition(-1), 0);
  EXPECT_EQ(table.ModeOfPosition(kModeSlots), 0);
}

TEST(ModeTable, ModesNoLongerOfferedAreNotFound) {
  ModeTable table;
  table.Rebuild(ModeList({3, 7, 9}));
  table.Rebuild(ModeList({0, 3}));
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.PositionOfMode(3), 0);
  EXPECT_EQ(table.PositionOfMode(9), -1);
  EXPECT_EQ(table.ModeOfPosition(2), 0);
  EXPECT_EQ(table.PositionOfMode(0), -1);
}

TEST(ModeTable, AllThirtyTwoSlots) {
  std::array<uint8_t, kModeSlots> list{};
  for (int i = 0; i < kModeSlots; ++i) list[i] = static_cast<uint8_t>(i + 1);
  ModeTable table;
  table.Rebuild(list);
  EXPECT_EQ(table.count(), 32);
  EXPECT_EQ(table.PositionOfMode(32), 31);
}

TEST(ModeTraits, SelectionWritesFollowTheModeTable) {
  using W = ModeSelectionWrite;
  const std::pair<int, W> cases[] = {
      {1, W::kModeAndColourful}, {3, W::kModeAndColourful}, {11, W::kMode},
      {4, W::kMode},             {5, W::kModeAndColourful}, {15, W::kModeAndColourful},
      {10, W::kMode},            {6, W::kMode},             {12, W::kMode},
      {17, W::kMode},            {18, W::kMode},            {20, W::kMode},
      {19, W::kNothing},         {21, W::kNothing},         {0, W::kNothing}};
  for (auto [mode, write] : cases) EXPECT_EQ(ModeTraitsOf(mode).on_selection, write) << mode;
  EXPECT_EQ(ModeTraitsOf(12).direction, DirectionKind::kUpDown);
  EXPECT_EQ(ModeTraitsOf(18).direction, DirectionKind::kSpreadConverge);
  EXPECT_EQ(ModeTraitsOf(11).direction, DirectionKind::kLeftRight);
  EXPECT_FALSE(ModeTraitsOf(4).colour);
  EXPECT_TRUE(ModeTraitsOf(17).colour_choice);
  EXPECT_TRUE(ModeTraitsOf(20).per_key);
  EXPECT_EQ(ModeTextKey(20), u"20");
}

TEST(Colour, RedIsTheLowByteAndIsSentFirst) {
  Colour c = 0x00332211;
  EXPECT_EQ(ColourBytes(c), (std::array<uint8_t, 3>{0x11, 0x22, 0x33}));
  EXPECT_EQ(ColourFromBytes(ColourBytes(c).data()), c);
}

TEST(LightingRecord, DecodesEveryField) {
  std::array<uint8_t, kLightingRecordSize> r{};
  r[0] = 7; r[1] = 4; r[2] = 3; r[3] = 255; r[4] = 9;
  r[5] = 0x10; r[6] = 0x20; r[7] = 0x30; r[8] = 2; r[15] = 1; r[18] = 1; r[19] = 1;
  r[25] = 1; r[26] = 2; r[27] = 3; r[28] = 0;
  r[30] = 4; r[31] = 5; r[32] = 6; r[33] = 1;
  LightingState s;
  DecodeLightingRecord(r, s);
  EXPECT_EQ(s.mode, 7);
  EXPECT_EQ(s.brightness, 4);
  EXPECT_EQ(s.speed, 3);
  EXPECT_EQ(s.direction, 255);
  EXPECT_TRUE(s.colourful);
  EXPECT_EQ(s.colour, 0x302010u);
  EXPECT_EQ(s.colour_choice, 2);
  EXPECT_EQ(s.report_rate, 1);
  EXPECT_TRUE(s.random_colour);
  EXPECT_TRUE(s.grid_trigger);
  EXPECT_FALSE(s.single_key_trigger);
  EXPECT_EQ(s.second_colour, 0x030201u);
  EXPECT_FALSE(s.second_multicolour);
  EXPECT_EQ(s.third_colour, 0x060504u);
  EXPECT_TRUE(s.third_multicolour);
}

// Bytes outside their ranges: the report rate shows as 3, the trigger and
// mode-7 flags keep what they held.
TEST(LightingRecord, OutOfRangeBytes) {
  struct Case {
    const char* what;
    int mode, report, random, trigger;
    int want_report;
    bool want_random, want_single, want_grid;
  };
  const Case cases[] = {
      {"report 9 shows 3", 1, 9, 0, 0, 3, true, true, false},
      {"report 3 stays", 1, 3, 0, 0, 3, true, true, false},
      {"trigger 2 leaves both flags", 1, 0, 0, 2, 0, true, false, true},
      {"trigger 0 sets single key", 1, 0, 0, 0, 0, true, true, false},
      {"random 0 in mode 7 clears", 7, 0, 0, 1, 0, false, false, true},
      {"random 2 in mode 7 ignored", 7, 0, 2, 1, 0, true, false, true},
      {"random byte ignored outside mode 7", 5, 0, 0, 1, 0, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LightingState s;
    s.random_colour = true;
    s.single_key_trigger = false;
    s.grid_trigger = true;
    std::array<uint8_t, kLightingRecordSize> r{};
    r[0] = static_cast<uint8_t>(c.mode);
    r[15] = static_cast<uint8_t>(c.report);
    r[18] = static_cast<uint8_t>(c.random);
    r[19] = static_cast<uint8_t>(c.trigger);
    DecodeLightingRecord(r, s);
    EXPECT_EQ(s.report_rate, c.want_report);
    EXPECT_EQ(s.random_colour, c.want_random);
    EXPECT_EQ(s.single_key_trigger, c.want_single);
    EXPECT_EQ(s.grid_trigger, c.want_grid);
  }
}

TEST(LightingRecord, DefaultRecordIsModeOneWhiteAndColourful) {
  std::array<uint8_t, kDefaultLightingRecordSize> expected{0x01, 0x04, 0x02, 0x00,
                                                           0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(DefaultLightingRecord(), expected);
}

}  // namespace
}  // namespace keyloom
