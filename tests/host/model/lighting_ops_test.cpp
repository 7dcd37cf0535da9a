#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/lighting_ops.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

class FixedViewSetting final : public LightingViewSetting {
 public:
  explicit FixedViewSetting(int value) : value_(value) {}
  int StoredLightingView() const override { return value_; }

 private:
  int value_;
};

// "command@offset+length" for each frame the keyboard received.
std::vector<std::string> Summary(const std::vector<CommandFrame>& frames) {
  std::vector<std::string> out;
  for (const CommandFrame& f : frames) {
    out.push_back(std::to_string(f[frame::kCommand]) + "@" +
                  std::to_string(LoadU16(&f[frame::kOffset])) + "+" +
                  std::to_string(f[frame::kLength]));
  }
  return out;
}

std::vector<uint8_t> Data(const CommandFrame& f) {
  return std::vector<uint8_t>(f.begin() + frame::kData, f.begin() + frame::kData + f[frame::kLength]);
}

struct LightingOps : ::testing::Test {
  LightingOps() {
    model.state.lighting_profile = 2;
    stack.keyboard.ClearTrace();
  }
  std::vector<std::string> Sent() const { return Summary(stack.Frames()); }

  SimStack stack;
  LightingModel model;
};

TEST_F(LightingOps, RefreshReadsModeListAndRecordsAndDecodesTheLightingProfile) {
  stack.keyboard.EditMemory([](SimMemory& m) {
    std::fill(m.settings.begin() + 12, m.settings.end(), 0);
    m.settings[12] = 3;
    m.settings[14] = 7;
    m.params[84 + 0] = 7;   // mode
    m.params[84 + 1] = 2;   // brightness
    m.params[84 + 5] = 0x10;
    m.params[84 + 6] = 0x20;
    m.params[84 + 7] = 0x30;
    m.params[84 + 15] = 9;  // report rate beyond 3
    m.params[84 + 18] = 1;  // random colour of mode 7
  });
  stack.keyboard.ClearTrace();

  EXPECT_EQ(ReadLightingState(model, stack.commands, FixedViewSetting(1)), 0);

  EXPECT_EQ(Sent(), (std::vector<std::string>{"3@0+44", "1@0+0", "5@0+56", "5@42+56", "5@84+56",
                                              "2@0+0"}));
  SimMemory memory = stack.keyboard.Memory();
  EXPECT_EQ(model.settings, memory.settings);
  EXPECT_TRUE(std::equal(model.records.begin(), model.records.end(), memory.params.begin()));
  EXPECT_EQ(model.state.mode, 7);
  EXPECT_EQ(model.state.brightness, 2);
  EXPECT_EQ(model.state.colour, 0x302010u);
  EXPECT_EQ(model.state.report_rate, 3);
  EXPECT_TRUE(model.state.random_colour);
  EXPECT_TRUE(model.state.lighting_view);

  model.RebuildModeTable();
  EXPECT_EQ(model.modes.count(), 2);
  EXPECT_EQ(model.modes.PositionOfMode(7), 1);
}

TEST_F(LightingOps, RefreshLeavesTheViewOnUnlessTheSettingSaysOne) {
  model.state.lighting_view = true;
  ReadLightingState(model, stack.commands, FixedViewSetting(0));
  EXPECT_TRUE(model.state.lighting_view);
  model.state.lighting_view = false;
  ReadLightingState(model, stack.commands, FixedViewSetting(2));
  EXPECT_FALSE(model.state.lighting_view);
}

TEST_F(LightingOps, RefreshWithoutKeyboardEmptiesTheModeListAndReadsNothingElse) {
  model.settings.fill(5);
  model.state.mode = 9;
  stack.link.connected = 0;
  EXPECT_EQ(ReadLightingState(model, stack.commands, FixedViewSetting(1)), -1);
  for (int i = 0; i < kModeSlots; ++i) EXPECT_EQ(model.settings[12 + i], 0) << i;
  EXPECT_EQ(model.settings[10], 5);
  EXPECT_EQ(model.state.mode, 9);
  EXPECT_FALSE(model.state.lighting_view);
  EXPECT_TRUE(stack.Frames().empty());
}

TEST_F(LightingOps, RefusedRecordReadKeepsThatRecordsOldBytes) {
  model.records.fill(0xEE);
  // Frames: settings, begin, record 0, record 1 (refused), record 2, end.
  stack.keyboard.ReplyStatusAt(4, kStatusRefused);
  EXPECT_EQ(ReadLightingState(model, stack.commands, FixedViewSetting(0)), 0);
  SimMemory memory = stack.keyboard.Memory();
  EXPECT_TRUE(std::equal(memory.params.begin(), memory.params.begin() + 42, model.records.begin()));
  for (int i = 42; i < 84; ++i) EXPECT_EQ(model.records[i], 0xEE) << i;
  EXPECT_TRUE(std::equal(memory.params.begin() + 84, memory.params.end(), model.records.begin() + 84));
}

// Each user action's writes, for lighting profile 2: every field goes to
// 84 + field, all runs of one action inside one begin/end pair.
TEST_F(LightingOps, ActionsWriteTheirFieldsOfTheLightingProfile) {
  struct Case {
    const char* what;
    int (*action)(LightingModel&, CommandSet&);
    std::vector<std::string> frames;
    std::vector<std::vector<uint8_t>> data;  // of the write frames, in order
  };
  const Case cases[] = {
      {"brightness 3",
       [](LightingModel& m, CommandSet& c) {
         const uint8_t b[] = {3};
         return WriteLightingBytes(m, c, lighting_field::kBrightness, b);
       },
       {"1@0+0", "6@85+1", "2@0+0"},
       {{3}}},
      {"colour chosen: colourful off, then red, green, blue",
       [](LightingModel& m, CommandSet& c) {
         const uint8_t off[] = {0};
         const auto rgb = ColourBytes(0x00332211);
         const LightingRun runs[] = {{lighting_field::kColourful, off},
                                     {lighting_field::kColour, rgb}};
         return WriteLightingBytes(m, c, runs);
       },
       {"1@0+0", "6@88+1", "6@89+3", "2@0+0"},
       {{0}, {0x11, 0x22, 0x33}}},
      {"mode 4 writes only the mode",
       [](LightingModel& m, CommandSet& c) { return WriteModeSelection(m, c, 4); },
       {"1@0+0", "6@84+1", "2@0+0"},
       {{4}}},
      {"mode 1 writes the mode and the colourful flag",
       [](LightingModel& m, CommandSet& c) {
         m.state.colourful = true;
         return WriteModeSelection(m, c, 1);
       },
       {"1@0+0", "6@84+1", "6@88+1", "2@0+0"},
       {{1}, {1}}},
      {"mode 19 writes nothing",
       [](LightingModel& m, CommandSet& c) { return WriteModeSelection(m, c, 19); },
       {},
       {}},
      {"default record",
       [](LightingModel& m, CommandSet& c) { return WriteDefaultLightingRecord(m, c); },
       {"1@0+0", "6@84+35", "2@0+0"},
       {{0x01, 0x04, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
         0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stack.keyboard.ClearTrace();
    EXPECT_EQ(c.action(model, stack.commands), kResultOk);
    std::vector<CommandFrame> frames = stack.Frames();
    EXPECT_EQ(Summary(frames), c.frames);
    std::vector<std::vector<uint8_t>> data;
    for (const CommandFrame& f : frames)
      if (f[frame::kCommand] == 6) data.push_back(Data(f));
    EXPECT_EQ(data, c.data);
  }
  EXPECT_EQ(model.state.mode, 19);
  // The keyboard now holds the last record written, and profiles 0 and 1 are untouched.
  SimMemory memory = stack.keyboard.Memory();
  EXPECT_EQ(memory.params[84], 1);
  EXPECT_EQ(memory.params[84 + 4], 0xFF);
}

TEST_F(LightingOps, WritesOutsideTheRecordOrProfilesSendNothing) {
  const uint8_t two[] = {1, 2};
  EXPECT_EQ(WriteLightingBytes(model, stack.commands, 41, two), kResultWriteFailed);
  EXPECT_EQ(WriteLightingBytes(model, stack.commands, -1, two), kResultWriteFailed);
  EXPECT_EQ(WriteLedColour(model, stack.commands, 171, kWhite), kResultWriteFailed);
  EXPECT_EQ(WriteLedColour(model, stack.commands, -1, kWhite), kResultWriteFailed);
  model.state.lighting_profile = 3;
  EXPECT_EQ(WriteLightingBytes(model, stack.commands, 0, two), kResultBadProfile);
  EXPECT_EQ(WriteAllLedColours(model, stack.commands), kResultBadProfile);
  EXPECT_TRUE(stack.Frames().empty());
}

TEST_F(LightingOps, WithoutKeyboardTheStateStillTakesTheNewMode) {
  stack.link.connected = 0;
  EXPECT_EQ(WriteModeSelection(model, stack.commands, 5), kResultNoKeyboard);
  EXPECT_EQ(model.state.mode, 5);
  EXPECT_TRUE(stack.Frames().empty());
}

TEST_F(LightingOps, LedColourGoesToTheHostTableAndTheKeyboard) {
  EXPECT_EQ(WriteLedColour(model, stack.commands, 91, 0x00CCBBAA), kResultOk);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"1@0+0", "17@1297+3", "2@0+0"}));
  const size_t at = 1024 + 273;
  EXPECT_EQ(model.key_colours[at], 0xAA);
  EXPECT_EQ(model.key_colours[at + 1], 0xBB);
  EXPECT_EQ(model.key_colours[at + 2], 0xCC);
  SimMemory memory = stack.keyboard.Memory();
  EXPECT_EQ(memory.keycolors[at], 0xAA);
  EXPECT_EQ(memory.keycolors[at + 2], 0xCC);
}

TEST_F(LightingOps, AllLedColoursGoInEightFramesOfEighteenLeds) {
  model.state.lighting_profile = 1;
  for (size_t i = 0; i < model.key_colours.size(); ++i) model.key_colours[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(WriteAllLedColours(model, stack.commands), kResultOk);
  std::vector<CommandFrame> frames = stack.Frames();
  ASSERT_EQ(frames.size(), 10u);
  EXPECT_EQ(frames.front()[frame::kCommand], 1);
  EXPECT_EQ(frames.back()[frame::kCommand], 2);
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    const CommandFrame& f = frames[1 + k];
    EXPECT_EQ(f[frame::kCommand], 17);
    EXPECT_EQ(f[frame::kLength], 54);
    EXPECT_EQ(LoadU16(&f[frame::kOffset]), 512 + 54 * k);  // first LED 18k
    const auto* host = model.key_colours.data() + 512 + 54 * k;
    EXPECT_EQ(Data(f), std::vector<uint8_t>(host, host + 54));
  }
  SimMemory memory = stack.keyboard.Memory();
  EXPECT_TRUE(std::equal(memory.keycolors.begin() + 512, memory.keycolors.begin() + 512 + 432,
                         model.key_colours.begin() + 512));
  EXPECT_EQ(memory.keycolors[512 + 432], 0);  // LEDs beyond 143 are not sent
}

}  // namespace
}  // namespace keyloom
