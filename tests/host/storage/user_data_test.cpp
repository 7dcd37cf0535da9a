#include <gtest/gtest.h>

#include "base/bytes.h"
#include "base/text.h"
#include "model/key_buttons.h"
#include "storage/ini.h"
#include "storage/persist_support.h"
#include "storage/user_data.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using persist_test::ReadFile;
using persist_test::ReadText;
using persist_test::TempDir;
using persist_test::WriteFile;

const std::u16string kAssetsFolder = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets");

// A user data folder (not yet created) and the shipped template.
struct UserDataFixture {
  TempDir dir;
  PortableIniService ini;
  std::u16string folder = (dir.path() / "Valdric RGB Mechanical Keyboard").u16string();
  UserDataStore store{ini, folder, kAssetsFolder};
};

TEST(UserData, FileNamesAndFolder) {
  UserDataFixture f;
  EXPECT_EQ(Utf16ToUtf8(UserDataFileName(1)), "UserDengColor_1.userd");
  EXPECT_EQ(std::filesystem::path(f.store.FilePath(2)), std::filesystem::path(f.folder) / "UserDengColor_2.userd");
  EXPECT_EQ(std::filesystem::path(f.store.TemplatePath()).filename(), "UserDengColor_3.userd");
  const std::u16string folder = DefaultUserDataFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(std::filesystem::path(folder).filename(), "Valdric RGB Mechanical Keyboard");
}

TEST(UserData, FreshUserGetsThreeCopiesOfTheTemplate) {
  UserDataFixture f;
  const std::vector<uint8_t> tmpl = ReadFile(f.store.TemplatePath());
  ASSERT_GT(tmpl.size(), 1000u);
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  for (int p = 0; p < 3; ++p) EXPECT_EQ(ReadFile(f.store.FilePath(p)), tmpl) << p;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.folder), {}), 3);
}

// The files made from the UTF-16 template keep names in any script (an 8-bit
// file kept them as question marks).
TEST(UserData, UserModeNameInJapaneseReadsBackAsWritten) {
  UserDataFixture f;
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  const std::u16string name = u"\u65E5\u672C\u8A9E\u306E\u30E2\u30FC\u30C9 \U0001F3B9";
  EXPECT_EQ(f.store.WriteUserModeName(2, 3, name), 1);
  EXPECT_EQ(f.store.ReadUserModeName(2, 3), name);
  EXPECT_EQ(f.store.ReadUserModeName(2, 4), u"Zones");
  const std::vector<uint8_t> bytes = ReadFile(f.store.FilePath(2));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
}

TEST(UserData, DeletedFileStaysMissingAndReadsAsDefaults) {
  UserDataFixture f;
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  std::filesystem::remove(std::filesystem::path(f.store.FilePath(1)));
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(f.store.FilePath(1))));

  EXPECT_EQ(f.store.ReadCurrentUserMode(1), 0);
  for (int m = 0; m < kUserModeCount; ++m) EXPECT_EQ(f.store.ReadUserModeName(1, m), u"0");
  EXPECT_EQ(f.store.ReadKeyColour(1, 4, 53), (KeyColour{0x0000FF, 1}));
  EXPECT_EQ(f.store.ReadTools(1, 4), UserModeTools{});

  // It comes back with the next write, holding only what was written.
  f.store.WriteCurrentUserMode(1, 2);
  EXPECT_EQ(ReadText(f.store.FilePath(1)), "[PRESENTMODE]\r\nmode=2\r\n");
}

TEST(UserData, ColourValuesReadAsLowBytesAndNormalisedFlag) {
  UserDataFixture f;
  std::filesystem::create_directories(std::filesystem::path(f.folder));
  WriteFile(f.store.FilePath(0),
            "[Mode0]\n53=255,0,0,7\n54=300,-1,2,0\n55=12\n56=\n57=0,255,0,1,99\n"
            "tool=1\njcolor=1,2,3\ncolor=256,0,x\n");
  struct Case {
    int led;
    KeyColour expected;
  };
  const Case cases[] = {
      {53, {0x0000FF, 1}},  // any non-zero flag counts as 1
      {54, {0x02FF2C, 0}},  // 300 -> 44, -1 -> 255
      {55, {0x00000C, 0}},  // missing components are 0
      {56, {0, 0}},         // present but empty
      {57, {0x00FF00, 1}},  // anything after the fourth number is ignored
      {58, {0x0000FF, 1}},  // missing: red, following the base colour
  };
  for (const Case& c : cases) EXPECT_EQ(f.store.ReadKeyColour(0, 0, c.led), c.expected) << c.led;
  EXPECT_EQ(f.store.ReadTools(0, 0), (UserModeTools{1, 0x030201, 0}));
}

TEST(UserData, WritesUseTheFileFormat) {
  UserDataFixture f;
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  std::filesystem::remove(std::filesystem::path(f.store.FilePath(2)));
  // A G key painted in user mode 3 of profile 2 writes LED 125.
  EXPECT_EQ(f.store.WriteKeyColour(2, 3, LedOfControl(kGKeyButtonIds[0]), 0x33CCFF, 1), 1);
  EXPECT_EQ(f.store.WriteTools(2, 3, {1, 0x0000FF, 0x00FF00}), 1);
  EXPECT_EQ(f.store.WriteKeyColour(2, 3, 125, 0x010203, 5), 1);
  EXPECT_EQ(ReadText(f.store.FilePath(2)), "[Mode3]\r\n125=3,2,1,1\r\ntool=1\r\njcolor=255,0,0\r\ncolor=0,255,0\r\n");

  // Names: an empty name stays empty; a long one is cut to 259 characters.
  f.store.WriteUserModeName(2, 4, u"");
  EXPECT_EQ(f.store.ReadUserModeName(2, 4), u"");
  f.store.WriteUserModeName(2, 5, std::u16string(300, u'n'));
  EXPECT_EQ(f.store.ReadUserModeName(2, 5), std::u16string(259, u'n'));
  f.store.WriteUserModeName(2, 6, u"Caf\u00e9 night");
  EXPECT_EQ(f.store.ReadUserModeName(2, 6), u"Caf\u00e9 night");

  // A user mode the list cannot show reads as the first one.
  f.store.WriteCurrentUserMode(2, 12);
  EXPECT_EQ(f.store.ReadCurrentUserMode(2), 0);
  f.store.WriteCurrentUserMode(2, 9);
  EXPECT_EQ(f.store.ReadCurrentUserMode(2), 9);

  // No profile 3: nothing is written beside the three files.
  EXPECT_EQ(f.store.WriteCurrentUserMode(3, 1), 0);
  EXPECT_EQ(f.store.WriteKeyColour(-1, 0, 53, 0, 0), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(f.store.FilePath(3))));
  EXPECT_EQ(f.store.ReadKeyColour(3, 0, 53), (KeyColour{0x0000FF, 1}));
}

TEST(UserData, ResetCopiesTheTemplateOverOneProfile) {
  UserDataFixture f;
  ASSERT_TRUE(f.store.SeedUserDataFolder());
  f.store.WriteUserModeName(0, 0, u"mine");
  f.store.WriteUserModeName(1, 0, u"mine too");
  ASSERT_TRUE(f.store.ResetUserData(0));
  EXPECT_EQ(ReadFile(f.store.FilePath(0)), ReadFile(f.store.TemplatePath()));
  EXPECT_EQ(f.store.ReadUserModeName(1, 0), u"mine too");

  // Without a template the files are empty.
  UserDataStore bare(f.ini, f.folder, f.dir.Folder());
  ASSERT_TRUE(bare.ResetUserData(1));
  EXPECT_TRUE(ReadFile(f.store.FilePath(1)).empty());
}

TEST(UserData, LoadUserModeFillsTheTablesAndSendsTheColours) {
  UserDataFixture f;
  std::filesystem::create_directories(std::filesystem::path(f.folder));
  // Profile 1, user mode 4: A is green on its own, Fn follows the base
  // colour; every other key is missing and reads red with the flag set.
  WriteFile(f.store.FilePath(1),
            "[PRESENTMODE]\nmode=4\n[Mode4]\ntool=1\njcolor=0,0,255\ncolor=9,8,7\n53=0,255,0,0\n91=0,0,255,1\n"
            "125=1,1,1,0\n");
  testing::SimStack sim;
  LightingModel lighting;
  lighting.state.lighting_profile = 1;
  BaseColourFlags flags{};
  sim.keyboard.ClearTrace();

  ASSERT_EQ(f.store.LoadUserMode(lighting, flags, sim.commands, false), 1);
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_EQ(lighting.state.user_mode, 4);
  EXPECT_EQ(lighting.state.painting_tool, 1);
  EXPECT_EQ(lighting.state.base_colour, 0xFF0000u);
  EXPECT_EQ(lighting.state.paint_colour, 0x070809u);
  const uint8_t* block = lighting.key_colours.data() + 512;
  const auto rgb = [&](int led) { return std::vector<int>{block[led * 3], block[led * 3 + 1], block[led * 3 + 2]}; };
  EXPECT_EQ(rgb(53), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(rgb(54), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(rgb(91), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(rgb(125), (std::vector<int>{0, 0, 0}));  // a G key's LED is never read back
  EXPECT_EQ(flags[1][0], 0);                          // A
  EXPECT_EQ(flags[1][1], 1);                          // B
  EXPECT_EQ(flags[1][kFnSlot], 1);
  EXPECT_EQ(flags[0][0], 0);  // other profiles untouched

  ASSERT_EQ(f.store.LoadUserMode(lighting, flags, sim.commands, true), 1);
  const std::vector<CommandFrame> frames = sim.Frames();
  ASSERT_EQ(frames.size(), 10u);
  EXPECT_EQ(frames.front()[frame::kCommand], 1);
  EXPECT_EQ(frames.back()[frame::kCommand], 2);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(frames[1 + k][frame::kCommand], 17);
    EXPECT_EQ(frames[1 + k][frame::kLength], 54);
    EXPECT_EQ(LoadU16(&frames[1 + k][frame::kOffset]), 512 + k * 54);
  }
  const SimMemory memory = sim.keyboard.Memory();
  EXPECT_TRUE(std::equal(block, block + 432, memory.keycolors.begin() + 512));

  lighting.state.lighting_profile = 3;
  EXPECT_EQ(f.store.LoadUserMode(lighting, flags, sim.commands, true), -201);
}

}  // namespace
}  // namespace keyloom
