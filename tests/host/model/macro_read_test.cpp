#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/macro.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

std::vector<std::string> Summary(const std::vector<CommandFrame>& frames) {
  std::vector<std::string> out;
  for (const CommandFrame& f : frames) {
    out.push_back(std::to_string(f[frame::kCommand]) + "@" +
                  std::to_string(LoadU16(&f[frame::kOffset])) + "+" +
                  std::to_string(f[frame::kLength]));
  }
  return out;
}

std::vector<MacroRecord> TwoMacros() {
  std::vector<MacroRecord> macros(2);
  SetMacroName(macros[0], u"copy");
  macros[0].cycles = 2;
  macros[0].event_count = 2;
  macros[0].events[0] = {30, 0x01D, kMacroStatePress};
  macros[0].events[1] = {0, 0x01D, kMacroStateRelease};
  SetMacroName(macros[1], u"volume");
  macros[1].event_count = 1;
  macros[1].events[0] = {0, 0x130, kMacroStatePress};
  return macros;
}

TEST(ReadMacroArea, ReadsTheHeaderThenTheAnnouncedLength) {
  SimStack stack;
  std::vector<MacroRecord> macros = TwoMacros();
  std::vector<uint8_t> written = BuildMacroArea(macros, 100, true);  // padded past its macros
  ASSERT_EQ(stack.commands.WriteMacros(written), kResultOk);
  stack.keyboard.ClearTrace();

  std::vector<uint8_t> area;
  EXPECT_EQ(ReadMacroArea(stack.commands, area), kResultOk);
  EXPECT_EQ(area, written);
  EXPECT_EQ(Summary(stack.Frames()), (std::vector<std::string>{"9@0+16", "9@0+56", "9@56+44"}));

  std::vector<MacroRecord> back = DecodeMacroArea(area, u"Macro ");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(std::u16string(back[0].name), u"copy");
  EXPECT_EQ(back[0].cycles, 2);
  EXPECT_EQ(back[0].events[0].key_code, 0x01D);
  EXPECT_EQ(back[0].events[0].delay, 30u);
  EXPECT_EQ(back[1].events[0].key_code, 0x130);
}

TEST(ReadMacroArea, NoMagicMeansNoMacros) {
  SimStack stack;  // the factory area is all zeros
  std::vector<uint8_t> area{1, 2, 3};
  EXPECT_EQ(ReadMacroArea(stack.commands, area), kResultOk);
  EXPECT_TRUE(area.empty());
  EXPECT_EQ(Summary(stack.Frames()), (std::vector<std::string>{"9@0+16"}));
}

TEST(ReadMacroArea, HeaderShorterThanItselfMeansNoMacros) {
  SimStack stack;
  stack.keyboard.EditMemory([](SimMemory& m) {
    m.macros[0] = 0xAA;
    m.macros[1] = 0x55;
    m.macros[2] = 15;
  });
  std::vector<uint8_t> area;
  EXPECT_EQ(ReadMacroArea(stack.commands, area), kResultOk);
  EXPECT_TRUE(area.empty());
}

// A header that claims more than the keyboard's macro area is read as far as
// the area goes, and what lies within it decodes.
TEST(ReadMacroArea, AreaClaimingMoreThanTheCapacityIsReadToTheCapacity) {
  SimStack stack;
  const std::vector<uint8_t> written = BuildMacroArea(TwoMacros(), 100, true);
  stack.keyboard.EditMemory([&](SimMemory& m) {
    std::copy(written.begin(), written.end(), m.macros.begin());
    m.macros[2] = 0xFF, m.macros[3] = 0xFF;  // 65535 bytes, of 4096
  });
  stack.link.macro_capacity = static_cast<int>(stack.keyboard.Memory().macros.size());
  std::vector<uint8_t> area;
  ASSERT_EQ(ReadMacroArea(stack.commands, area), kResultOk);
  EXPECT_EQ(area.size(), 4096u);
  const std::vector<MacroRecord> back = DecodeMacroArea(area, u"Macro ");
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(std::u16string(back[1].name), u"volume");
}

TEST(ReadMacroArea, FailuresAreReportedNotTakenForAnEmptyArea) {
  SimStack stack;
  std::vector<uint8_t> area;
  // An area announcing more than the keyboard's memory, whose capacity is
  // not known: the keyboard refuses the read past its end.
  stack.keyboard.EditMemory([](SimMemory& m) {
    m.macros[0] = 0xAA;
    m.macros[1] = 0x55;
    m.macros[2] = 0xFF;
    m.macros[3] = 0xFF;
  });
  EXPECT_EQ(ReadMacroArea(stack.commands, area), kResultRefused);
  EXPECT_TRUE(area.empty());

  stack.link.connected = 0;
  EXPECT_EQ(ReadMacroArea(stack.commands, area), kResultNoKeyboard);
  EXPECT_TRUE(area.empty());
}

}  // namespace
}  // namespace keyloom
