// The user data template shipped in assets/Skins: ten user modes worth
// starting from, generated here from the key-button table (the LED numbers)
// and the main skin (where each key sits), so that it always matches the
// keyboard picture the user paints on.
//
// To rewrite the asset after changing a layout:
//   KEYLOOM_WRITE_ASSETS=1 keyloom_tests --gtest_filter='UserDataTemplate.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "base/text.h"
#include "model/key_buttons.h"
#include "storage/ini.h"
#include "storage/ini_document.h"
#include "storage/persist_support.h"
#include "storage/skin_layout.h"
#include "storage/user_data.h"

namespace keyloom {
namespace {

const std::u16string kAssetsFolder = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets");

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// Where a key sits on the keyboard picture: the centre of its skin
// rectangle, scaled so that the keys span 0..1 across and down.
struct Place {
  KeyCode code;  // 0 for Fn
  double row;
  double x;
};

class KeyPlaces {
 public:
  KeyPlaces() {
    PortableIniService ini;
    const std::u16string main = SkinLayoutPath(kAssetsFolder, SkinLayout::kMain);
    auto centre = [&](std::u16string_view key, KeyCode code) {
      const SkinRect r = ReadSkinRect(ini, main, kButtonSection, key);
      places_.push_back({code, r.y + r.h / 2.0, r.x + r.w / 2.0});
    };
    for (const KeyButton& b : kMainKeyButtons) centre(SkinKeyName(b), b.key_code);
    centre(kFnSkinKey, 0);
    auto [top, bottom] = std::minmax_element(places_.begin(), places_.end(),
                                             [](const Place& a, const Place& b) { return a.row < b.row; });
    auto [left, right] = std::minmax_element(places_.begin(), places_.end(),
                                             [](const Place& a, const Place& b) { return a.x < b.x; });
    const double y0 = top->row, ys = bottom->row - y0, x0 = left->x, xs = right->x - x0;
    for (Place& p : places_) p = {p.code, (p.row - y0) / ys, (p.x - x0) / xs};
  }
  const Place& Of(KeyCode code) const {
    for (const Place& p : places_)
      if (p.code == code) return p;
    return places_.back();
  }
  const Place& Fn() const { return places_.back(); }

 private:
  std::vector<Place> places_;
};

Rgb Hue(double degrees) {
  const double h = std::fmod(degrees, 360.0) / 60.0;
  const double x = 1 - std::fabs(std::fmod(h, 2.0) - 1);
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = 1, g = x; break;
    case 1: r = x, g = 1; break;
    case 2: g = 1, b = x; break;
    case 3: g = x, b = 1; break;
    case 4: r = x, b = 1; break;
    default: r = 1, b = x; break;
  }
  return {int(std::lround(r * 255)), int(std::lround(g * 255)), int(std::lround(b * 255))};
}

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto m = [t](int u, int v) { return int(std::lround(u + (v - u) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

bool In(KeyCode code, std::initializer_list<KeyCode> codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

constexpr KeyCode kW = 0x011, kA = 0x01E, kS = 0x01F, kD = 0x020;
constexpr KeyCode kUp = 0x148, kDown = 0x150, kLeft = 0x14B, kRight = 0x14D;
bool IsLetter(KeyCode c) { return (c >= 0x010 && c <= 0x019) || (c >= 0x01E && c <= 0x026) || (c >= 0x02C && c <= 0x032); }
bool IsNumpad(KeyCode c) {
  return In(c, {0x145, 0x135, 0x037, 0x04A, 0x047, 0x048, 0x049, 0x04E, 0x04B, 0x04C, 0x04D, 0x04F, 0x050,
                0x051, 0x11C, 0x052, 0x053});
}
bool IsNavigation(KeyCode c) {
  return In(c, {0x152, 0x147, 0x149, 0x153, 0x14F, 0x151, kUp, kDown, kLeft, kRight, 0x137, 0x046, 0x045});
}
bool IsFunctionRow(KeyCode c) { return (c >= 0x03B && c <= 0x044) || c == 0x057 || c == 0x058; }
bool IsNumberRow(KeyCode c) { return c >= 0x002 && c <= 0x00D; }

struct KeyLook {
  Rgb colour;
  int flag = 0;
};

struct UserMode {
  const char* name;
  int tool;
  Rgb base;   // "jcolor"
  Rgb paint;  // "color"
  // The look of a key at `place` (code 0 for Fn).
  std::function<KeyLook(const Place& place)> look;
};

std::vector<UserMode> Modes() {
  const Rgb white{255, 255, 255}, black{0, 0, 0}, red{255, 0, 0};
  const auto follow = [](Rgb base) { return [base](const Place&) { return KeyLook{base, 1}; }; };
  return {
      {"Rainbow", 0, white, red, [](const Place& p) { return KeyLook{Hue(300 * p.x), 0}; }},
      {"Ocean", 0, {0, 80, 200}, {0, 255, 200},
       [](const Place& p) { return KeyLook{Mix({0, 255, 200}, {20, 40, 255}, p.x), 0}; }},
      {"Sunset", 0, {255, 120, 0}, {255, 200, 0},
       [](const Place& p) {
         const double t = p.row;
         return KeyLook{t < 0.5 ? Mix({255, 200, 0}, {255, 40, 20}, t * 2) : Mix({255, 40, 20}, {120, 0, 200}, t * 2 - 1), 0};
       }},
      {"WASD and arrows", 0, {0, 40, 120}, red,
       [](const Place& p) {
         if (In(p.code, {kW, kA, kS, kD, kUp, kDown, kLeft, kRight})) return KeyLook{{255, 0, 0}, 0};
         return KeyLook{{0, 40, 120}, 1};
       }},
      {"Zones", 0, white, white,
       [](const Place& p) {
         const KeyCode c = p.code;
         if (c == 0x001) return KeyLook{{255, 0, 0}, 0};
         if (IsLetter(c) || c == 0x039) return KeyLook{{255, 255, 255}, 1};
         if (IsFunctionRow(c) || IsNumberRow(c)) return KeyLook{{0, 200, 255}, 0};
         if (IsNumpad(c)) return KeyLook{{160, 0, 255}, 0};
         if (IsNavigation(c)) return KeyLook{{0, 255, 60}, 0};
         return KeyLook{{255, 140, 0}, 0};  // modifiers, punctuation and Fn
       }},
      {"All white", 0, white, white, follow(white)},
      {"All off", 0, black, white, follow(black)},
      {"Fire", 0, {255, 60, 0}, {255, 220, 0},
       [](const Place& p) { return KeyLook{Mix({255, 220, 0}, {255, 0, 0}, p.row), 0}; }},
      {"Gaming", 0, {30, 30, 30}, {255, 0, 0},
       [](const Place& p) {
         const KeyCode c = p.code;
         if (In(c, {kW, kA, kS, kD})) return KeyLook{{255, 0, 0}, 0};
         if (In(c, {0x010, 0x012, 0x013, 0x021})) return KeyLook{{255, 120, 0}, 0};      // Q E R F
         if (c >= 0x002 && c <= 0x006) return KeyLook{{255, 220, 0}, 0};               // 1..5
         if (In(c, {0x02A, 0x01D, 0x039, 0x00F})) return KeyLook{{0, 120, 255}, 0};   // Shift Ctrl Space Tab
         return KeyLook{{30, 30, 30}, 1};
       }},
      {"Custom", 0, {0, 160, 255}, white, follow({0, 160, 255})},
  };
}

std::string Num(int v) { return std::to_string(v); }
std::string RgbText(Rgb c) { return Num(c.r) + "," + Num(c.g) + "," + Num(c.b); }

std::string GenerateTemplate() {
  const std::string eol = "\r\n";
  const std::vector<UserMode> modes = Modes();
  const KeyPlaces places;
  std::string out = "[PRESENTMODE]" + eol + "mode=0" + eol + eol + "[MODENAME]" + eol;
  for (size_t m = 0; m < modes.size(); ++m) out += Num(int(m)) + "=" + modes[m].name + eol;
  for (size_t m = 0; m < modes.size(); ++m) {
    const UserMode& mode = modes[m];
    out += eol + "[Mode" + Num(int(m)) + "]" + eol;
    out += "tool=" + Num(mode.tool) + eol + "jcolor=" + RgbText(mode.base) + eol + "color=" + RgbText(mode.paint) + eol;
    std::set<int> written;
    auto key = [&](int led, const Place& place) {
      if (!written.insert(led).second) return;  // right Win shares Page Up's LED
      const KeyLook look = mode.look(place);
      out += Num(led) + "=" + RgbText(look.colour) + "," + Num(look.flag) + eol;
    };
    for (const KeyButton& b : kMainKeyButtons) key(b.led, places.Of(b.key_code));
    key(kFnLed, places.Fn());
  }
  return out;
}

// UTF-16LE with a byte-order mark: the INI service keeps a file's encoding,
// so the files made from the template keep names in any script.
std::vector<uint8_t> Utf16LeWithBom(const std::string& utf8) {
  std::vector<uint8_t> out = {0xFF, 0xFE};
  for (char16_t c : Utf8ToUtf16(utf8)) out.insert(out.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
  return out;
}

TEST(UserDataTemplate, ShippedTemplateIsTheGeneratedOne) {
  PortableIniService ini;
  UserDataStore store(ini, u"", kAssetsFolder);
  const std::u16string path = store.TemplatePath();
  const std::vector<uint8_t> generated = Utf16LeWithBom(GenerateTemplate());
  if (const char* write = std::getenv("KEYLOOM_WRITE_ASSETS"); write && *write == '1') {
    persist_test::WriteFile(path, generated);
  }
  EXPECT_TRUE(persist_test::ReadFile(path) == generated) << "regenerate with KEYLOOM_WRITE_ASSETS=1";
}

// What a user starts with reads back as meant: ten named modes, each with a
// colour for every key.
TEST(UserDataTemplate, EveryModeNamesAndColoursEveryKey) {
  PortableIniService ini;
  persist_test::TempDir dir;
  UserDataStore store(ini, dir.Folder(), kAssetsFolder);
  // Read the template itself as profile 0's file.
  std::filesystem::copy_file(std::filesystem::path(store.TemplatePath()), std::filesystem::path(store.FilePath(0)));
  const std::vector<UserMode> modes = Modes();
  ASSERT_EQ(modes.size(), size_t(kUserModeCount));
  const IniDocument doc = IniDocument::Parse(persist_test::ReadFile(store.TemplatePath()));
  for (int m = 0; m < kUserModeCount; ++m) {
    EXPECT_EQ(Utf16ToUtf8(store.ReadUserModeName(0, m)), modes[m].name);
    const std::u16string section = u"Mode" + Utf8ToUtf16(Num(m));
    for (const KeyButton& b : kMainKeyButtons)
      EXPECT_TRUE(doc.Find(section, Utf8ToUtf16(Num(b.led)))) << "mode " << m << " LED " << b.led;
    EXPECT_TRUE(doc.Find(section, Utf8ToUtf16(Num(kFnLed)))) << "mode " << m;
  }
  // Spot checks of the layouts.
  EXPECT_EQ(store.ReadKeyColour(0, 3, 37), (KeyColour{0x0000FF, 0}));  // W in "WASD and arrows"
  EXPECT_EQ(store.ReadKeyColour(0, 3, 58), (KeyColour{0x782800, 1}));  // H follows the base colour
  EXPECT_EQ(store.ReadKeyColour(0, 5, 89), (KeyColour{0xFFFFFF, 1}));  // all white
  EXPECT_EQ(store.ReadKeyColour(0, 6, 1), (KeyColour{0, 1}));          // all off
  EXPECT_EQ(store.ReadKeyColour(0, 7, 89), (KeyColour{0x0000FF, 0}));  // fire: red at the bottom
}

}  // namespace
}  // namespace keyloom
