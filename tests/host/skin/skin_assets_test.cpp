// The skin that ships in assets/: every control the windows place has a
// rectangle, every picture the windows load is there, and the committed files
// are exactly what the skin generator writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "model/key_buttons.h"
#include "storage/ini.h"
#include "storage/skin_layout.h"

namespace keyloom {
namespace {

namespace fs = std::filesystem;

const fs::path kAssets = fs::path(KEYLOOM_SOURCE_DIR) / "assets";

std::vector<uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string LayoutFile(SkinLayout layout) {
  return Utf16ToUtf8(SkinLayoutPath(kAssets.u16string(), layout));
}

// Width and height from a PNG's header (the masks are PNG).
std::pair<int, int> PngSize(const fs::path& p) {
  const std::vector<uint8_t> b = ReadBytes(p);
  if (b.size() < 24) return {0, 0};
  auto be32 = [&](size_t i) { return (b[i] << 24) | (b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3]; };
  return {be32(16), be32(20)};
}

struct LayoutCase {
  SkinLayout layout;
  std::vector<std::string> keys;
};

std::vector<std::string> MainKeys() {
  std::vector<std::string> keys = {
      "TOVRIK_LINK", "TOVRIK_VER", "FUNC_PROFILES", "FUNC_MACRO", "CONTROL_OK", "CONTROL_CANCEL", "CONTROL_HELP",
      "CONTROL_CLOSE", "CONTROL_MINIMIZE", "CONTROL_MENU", "CONTROL2_APPLY", "LOCK_CAPS", "LOCK_NUM", "LOCK_SCROLL",
      "LOCK_AB", "FLIP_0", "FLIP_1", "FLIP_2", "FUNC_PROFILE1", "FUNC_PROFILE2", "FUNC_PROFILE3", "FUNC_DEFAULT",
      "FUNC_SWITCH", "COLOR_R", "COLOR_G", "COLOR_B", "FUNC_REPORT1", "FUNC_REPORT2", "FUNC_REPORT3",
      "FUNC_REPORT4", "KEY_FN", "KEY_PCGAME", "KEY_FACEBOOK", "KEY_INSTARGRAM", "LEFT_ARROW", "RIGHT_ARROW",
      "CONTROL_RGBStatic", "CONTROL_DengStatic", "CONTROL_DengStaPic", "CONTROL_XGcombox", "CONTROL_DengDisable",
      "CONTROL_JDTStatic", "CONTROL_LightStatic", "CONTROL_LightSlider", "CONTROL_SpeedStatic",
      "CONTROL_SpeedSlider", "CONTROL_COLORFULStatic", "CONTROL_BLFXStatic", "CONTROL_BLFXLStaPic",
      "CONTROL_BLFXRStaPic", "CONTROL_BLFXStatic2", "CONTROL_BLFXLStaPic2", "CONTROL_BLFXRStaPic2",
      "CONTROL_BLFXStatic3", "CONTROL_BLFXLStaPic3", "CONTROL_BLFXRStaPic3", "CONTROL_FYYSStatic",
      "CONTROL_FYYSButton", "CONTROL_FYSJSStaPic", "CONTROL_FYSJSStatic", "CONTROL_FYCFStatic",
      "CONTROL_FYdjcfStatic", "CONTROL_FYggcfStatc", "CONTROL_FYdjcfStaPic", "CONTROL_FYggcfStaPic",
      "CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC", "CONTROL_LANPIC", "CONTROL_HXysStatic",
      "CONTROL_HXysButton", "CONTROL_HXsjsStaPic", "CONTROL_JTysStatic", "CONTROL_JTysButton",
      "CONTROL_USERysStatic", "CONTROL_USERysButton", "CONTROL_USERjsStatic", "CONTROL_USERjsButton",
      "CONTROL_USERgjStatic", "CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2", "CONTROL_TSysStatic",
      "CONTROL_TSysButton", "CONTROL_TSsjsStatic", "CONTROL_TSsjsStaPic", "CONTROL_CDysStatic",
      "CONTROL_CDysButton", "CONTROL_CDsjsStatic", "CONTROL_CDsjsStaPic", "CONTROL_umCombo"};
  for (int i = 1; i <= 8; ++i) keys.push_back("CONTROL_Color" + std::to_string(i));
  for (int j = 0; j < kGKeyCount; ++j) keys.push_back(Utf16ToUtf8(GKeySkinKeyName(j)));
  for (const KeyButton& b : kMainKeyButtons) keys.push_back(Utf16ToUtf8(SkinKeyName(b)));
  return keys;
}

const LayoutCase kLayouts[] = {
    {SkinLayout::kMain, MainKeys()},
    {SkinLayout::kComposite,
     {"CONTROL_OK", "CONTROL_CANCEL", "CONTROL_MASK", "CONTROL_TITLE", "CONTROL_OSK", "CONTROL_CLEAR", "CONTROL_KEY",
      "CONTROL_MACRO", "CONTROL_MEDIA", "CONTROL_FUNCTION", "FUNC_KEY_INPUT", "FUNC_MEDIA_SELECT",
      "FUNC_FUNCTION_SELECT", "FUNC_MACRO_LIST", "FUNC_MACRO_LIST2", "FUNC_MACRO_ADD", "FUNC_MACRO_DELETE",
      "FUNC_MACRO_DELETE2", "FUNC_MACRO_CLEAR", "FUNC_MACRO_UP_TOP", "FUNC_MACRO_UP", "FUNC_MACRO_DOWN",
      "FUNC_MACRO_DOWN_BOTTOM", "FUNC_MACRO_RECORD", "FUNC_MACRO_RECORD_DELAY", "FUNC_MACRO_RECORD_DELAY2",
      "FUNC_MACRO_CYCLES", "FUNC_MACRO_CYCLES_PROMPT"}},
    {SkinLayout::kProfile,
     {"CONTROL_OK", "CONTROL_CANCEL", "FUNC_ADD", "FUNC_LOAD", "FUNC_DELETE", "CONTROL2_APPLY", "PROGRAM_LIST"}},
    {SkinLayout::kUpdate,
     {"CONTROL_UPStatic", "CONTROL_UPCombox", "CONTROL_CUPButton", "CONTROL_UPButton", "CONTROL_OPENButton",
      "CONTROL_BACKUPButton"}},
};

TEST(SkinAssets, EveryControlHasARectangleInsideItsWindow) {
  PortableIniService ini;
  for (const LayoutCase& lc : kLayouts) {
    const std::u16string file = Utf8ToUtf16(LayoutFile(lc.layout));
    const SkinScreen screen = ReadSkinScreen(ini, file);
    const fs::path skins = kAssets / "Skins";
    ASSERT_FALSE(screen.main.empty()) << LayoutFile(lc.layout);
    EXPECT_TRUE(fs::exists(skins / fs::path(screen.main))) << Utf16ToUtf8(screen.main);
    ASSERT_TRUE(fs::exists(skins / fs::path(screen.mask))) << Utf16ToUtf8(screen.mask);
    const auto [width, height] = PngSize(skins / fs::path(screen.mask));
    ASSERT_GT(width, 0);
    for (const std::string& key : lc.keys) {
      const SkinRect r = ReadSkinRect(ini, file, kButtonSection, Utf8ToUtf16(key));
      // (1, 1) is what a missing key reads as, and disables a button.
      EXPECT_FALSE(r.x == 1 && r.y == 1) << key << " missing in " << LayoutFile(lc.layout);
      EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= width) << key;
    }
  }
}

TEST(SkinAssets, KeyButtonsDoNotOverlap) {
  PortableIniService ini;
  const std::u16string file = Utf8ToUtf16(LayoutFile(SkinLayout::kMain));
  std::vector<std::pair<std::string, SkinRect>> keys;
  for (const KeyButton& b : kMainKeyButtons) keys.push_back({Utf16ToUtf8(SkinKeyName(b)), {}});
  for (int j = 0; j < kGKeyCount; ++j) keys.push_back({Utf16ToUtf8(GKeySkinKeyName(j)), {}});
  keys.push_back({Utf16ToUtf8(kFnSkinKey), {}});
  for (int i = 1; i <= 6; ++i) keys.push_back({"KEY_D" + std::to_string(i), {}});
  for (auto& [key, r] : keys) r = ReadSkinRect(ini, file, kButtonSection, Utf8ToUtf16(key));
  for (size_t i = 0; i < keys.size(); ++i)
    for (size_t j = i + 1; j < keys.size(); ++j) {
      const SkinRect& a = keys[i].second;
      const SkinRect& b = keys[j].second;
      const bool overlap = a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
      EXPECT_FALSE(overlap) << keys[i].first << " and " << keys[j].first;
    }
}

TEST(SkinAssets, ArrowFramesAndPicturesArePresent) {
  PortableIniService ini;
  const std::u16string file = Utf8ToUtf16(LayoutFile(SkinLayout::kMain));
  for (bool left : {true, false})
    for (bool up : {true, false})
      for (int frame = 1; frame <= 2; ++frame) {
        const std::u16string key = ArrowOriginKey(left, up, frame);
        const SkinRect r = ReadSkinRect(ini, file, kArrowFrameSection, key);
        EXPECT_FALSE(r.x == 1 && r.y == 1 && r.w == 1) << Utf16ToUtf8(key);
      }
  std::vector<std::string> pictures = {"main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg",
                                       "main_color0.jpg", "main_color1.jpg", "Arrow.jpg", "Profile_normal.jpg",
                                       "Profile_over.jpg", "Profile_down.jpg", "update_normal.jpg",
                                       "update_over.jpg"};
  for (const char* page : {"key", "macro", "macro2", "media", "function"})
    for (const char* look : {"normal", "over", "down", "disable"})
      pictures.push_back(std::string(page) + "_" + look + ".jpg");
  for (const char* name : {"brightness", "speed", "direction", "color", "colorful", "led", "sjsup", "sjsdown",
                           "hong", "hongok", "huang", "huangok", "lv", "lvok", "lan", "lanok", "user1up",
                           "user1down", "user2up", "user2down", "LED_enabled_on", "LED_enabled_off",
                           "LED_disabled_on", "LED_disabled_off", "leftup", "leftdown", "rightup", "rightdown",
                           "upup", "updown", "downup", "downdown", "kuosan", "kuosandown", "julong",
                           "julongdown"})
    pictures.push_back(std::string(name) + ".bmp");
  for (int p = 0; p <= 8; ++p) pictures.push_back(std::to_string(p) + ".bmp");
  for (int k = 1; k <= 10; ++k) pictures.push_back("jdt" + std::to_string(k) + ".bmp");
  for (const std::string& p : pictures) EXPECT_TRUE(fs::exists(kAssets / "Skins" / p)) << p;
}

// The committed skin is the generator's output, byte for byte, and nothing
// of the kinds it writes is left over from an earlier version.
TEST(SkinAssets, CommittedFilesAreWhatTheGeneratorWrites) {
  const fs::path tool = fs::path(KEYLOOM_BINARY_DIR) / "tools" / "skin" / "keyloom_skin";
  if (!fs::exists(tool)) GTEST_SKIP() << "skin generator not built in this tree";
  const fs::path out = fs::path(KEYLOOM_BINARY_DIR) / "skin_regenerated";
  fs::remove_all(out);
  const fs::path list = fs::path(KEYLOOM_BINARY_DIR) / "skin_regenerated.txt";
  const std::string command = "\"" + tool.string() + "\" \"" + out.string() + "\" --list > \"" + list.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  std::ifstream names(list);
  std::set<std::string> written;
  std::vector<std::string> differing;
  for (std::string name; std::getline(names, name);) {
    written.insert(name);
    if (ReadBytes(out / name) != ReadBytes(kAssets / name)) differing.push_back(name);
  }
  EXPECT_GT(written.size(), 100u);
  std::ostringstream hint;
  for (const std::string& d : differing) hint << " " << d;
  EXPECT_TRUE(differing.empty()) << "regenerate with the build target skin_assets; differing:" << hint.str();

  const std::set<std::string> kinds = {".jpg", ".png", ".bmp", ".ico", ".ini"};
  for (const char* folder : {"Skins", "icons"})
    for (const auto& e : fs::directory_iterator(kAssets / folder)) {
      const std::string name = std::string(folder) + "/" + e.path().filename().string();
      if (kinds.count(e.path().extension().string()) != 0) {
        EXPECT_TRUE(written.count(name) != 0) << "stale " << name;
      }
    }
}

}  // namespace
}  // namespace keyloom
