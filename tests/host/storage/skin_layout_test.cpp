#include <gtest/gtest.h>

#include <climits>

#include "base/text.h"
#include "storage/decimal_scan.h"
#include "storage/ini.h"
#include "storage/skin_layout.h"
#include "storage/persist_support.h"

namespace keyloom {
namespace {

using persist_test::TempDir;
using persist_test::WriteFile;

TEST(SkinLayout, RectanglesReadLikeScanfOfFourNumbers) {
  struct Case {
    const char16_t* value;
    SkinRect expected;
  };
  const Case cases[] = {
      {u"10,20,30,40", {10, 20, 30, 40}},
      {u"1,1,1,1,x", {1, 1, 1, 1}},
      {u"5, 6,\t7,8 and more", {5, 6, 7, 8}},  // white space before a number is fine
      {u"5 ,6,7,8", {5, 0, 0, 0}},              // ... but not before a comma
      {u"-3,+4,2", {-3, 4, 2, 0}},
      {u"99999999999,-99999999999,0,0", {INT_MAX, INT_MIN, 0, 0}},
      {u"", {0, 0, 0, 0}},
      {u"x,1,2,3", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSkinRect(c.value), c.expected) << Utf16ToUtf8(c.value);
  EXPECT_EQ(ParseDecimal(u"  42abc"), 42);
  EXPECT_EQ(ParseDecimal(u"abc"), 0);
}

TEST(SkinLayout, ButtonPlacementRules) {
  // A control at (10, 20), 30 x 40, drawing from (9, 19) of each state picture.
  EXPECT_EQ(PlanSkinButton({10, 20, 30, 40}), (SkinButtonPlacement{{10, 20, 30, 40}, {9, 19}, false}));
  // At (1, 1) the button is disabled, whatever its size.
  EXPECT_EQ(PlanSkinButton({1, 1, 80, 20}), (SkinButtonPlacement{{1, 1, 80, 20}, {0, 0}, true}));
  EXPECT_FALSE(PlanSkinButton({1, 2, 80, 20}).disabled);
  EXPECT_EQ(PlanSkinButton({INT_MIN, 5, 1, 1}).picture_origin, (SkinPoint{INT_MIN, 4}));
  // The arrows take their pictures from another key's x,y.
  EXPECT_EQ(PlanSkinButtonWithOrigin({1, 1, 16, 16}, {300, 40, 1, 1}),
            (SkinButtonPlacement{{1, 1, 16, 16}, {299, 39}, false}));
  EXPECT_EQ(PlanControlAt({7, 8, 1, 1}, 120, 24), (SkinRect{7, 8, 120, 24}));
  EXPECT_EQ(Utf16ToUtf8(ArrowOriginKey(true, true, 1)), "UP_ARROW_LEFT1");
  EXPECT_EQ(Utf16ToUtf8(ArrowOriginKey(false, false, 2)), "DOWN_ARROW_RIGHT2");
}

TEST(SkinLayout, ReadsLayoutFiles) {
  TempDir dir;
  const std::u16string program = dir.Folder();
  std::filesystem::create_directories(dir.path() / "Skins");
  const std::u16string main = SkinLayoutPath(program, SkinLayout::kMain);
  EXPECT_EQ(main, (dir.path() / "Skins" / "Main.ini").u16string());
  const std::string long_link(3000, 'a');
  WriteFile(main,
            "[SCREEN]\r\nMain=main_bg.bmp\r\nLink1=https://one.example/\r\nLink2=" + long_link +
                "\r\n[BUTTONINFO]\r\nkey_01e = 10,20,30,40\r\nCONTROL_OK=1,1,80,20\r\n[BUTTONINFO2]\r\n"
                "UP_ARROW_LEFT1=300,40,0,0\r\n");
  PortableIniService ini;

  EXPECT_EQ(ReadSkinRect(ini, main, kButtonSection, u"KEY_01E"), (SkinRect{10, 20, 30, 40}));
  EXPECT_EQ(ReadSkinRect(ini, main, kButtonSection, u"CONTROL_OK"), (SkinRect{1, 1, 80, 20}));
  EXPECT_EQ(ReadSkinRect(ini, main, kButtonSection, u"FUNC_G1"), SkinRect{});  // missing: 1,1,1,1
  EXPECT_TRUE(PlanSkinButton(ReadSkinRect(ini, main, kButtonSection, u"FUNC_G1")).disabled);
  EXPECT_EQ(ReadSkinRect(ini, main, kArrowFrameSection, u"up_arrow_left1"), (SkinRect{300, 40, 0, 0}));
  EXPECT_EQ(ReadSkinRect(ini, dir.File("missing.ini"), kButtonSection, u"KEY_01E"), SkinRect{});

  // "Mask" absent: the background is the mask.
  SkinScreen screen = ReadSkinScreen(ini, main);
  EXPECT_EQ(Utf16ToUtf8(screen.main), "main_bg.bmp");
  EXPECT_EQ(Utf16ToUtf8(screen.mask), "main_bg.bmp");
  EXPECT_EQ(Utf16ToUtf8(ReadSkinLink(ini, main, 0)), Utf16ToUtf8(kDefaultSkinLink));
  EXPECT_EQ(Utf16ToUtf8(ReadSkinLink(ini, main, 1)), "https://one.example/");
  EXPECT_EQ(ReadSkinLink(ini, main, 2).size(), kSkinScreenCapacity - 1);

  const std::u16string profile = SkinLayoutPath(program, SkinLayout::kProfile);
  WriteFile(profile, "[SCREEN]\nMain=\nMask=profile_mask.bmp\n");
  screen = ReadSkinScreen(ini, profile);
  EXPECT_EQ(screen.main, u"");
  EXPECT_EQ(Utf16ToUtf8(screen.mask), "profile_mask.bmp");
  WriteFile(profile, "[SCREEN]\nMain=p.jpg\nMask=\n");
  EXPECT_EQ(Utf16ToUtf8(ReadSkinScreen(ini, profile).mask), "p.jpg");  // empty counts as absent
}

TEST(SkinLayout, MaskKeepsEveryPixelThatIsNotWhite) {
  constexpr uint32_t W = 0x00FFFFFF, K = 0x00000000, N = 0xFFFEFFFF;  // white, black, near white
  const std::vector<uint32_t> all_white(12, 0xFFFFFFFF);
  EXPECT_TRUE(MaskRuns(all_white, 4, 3).empty());
  const std::vector<uint32_t> mask = {
      W, K, K, W,  //
      K, W, W, N,  //
      K, K, K, K,  //
  };
  EXPECT_EQ(MaskRuns(mask, 4, 3),
            (std::vector<MaskRun>{{0, 1, 3}, {1, 0, 1}, {1, 3, 4}, {2, 0, 4}}));
  // Rows the pixels do not hold are not invented.
  EXPECT_EQ(MaskRuns(std::span(mask).first(6), 4, 3), (std::vector<MaskRun>{{0, 1, 3}}));
}

}  // namespace
}  // namespace keyloom
