#include "ui/main/lighting_panel_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"
#include "model/lighting_ops.h"
#include "storage/ini.h"
#include "storage/lighting_view_file.h"
#include "storage/persist_support.h"
#include "storage/user_data.h"
#include "support/sim_stack.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/lighting_preview.h"
#include "ui/preview_support.h"

namespace keyloom {
namespace {

using namespace panel;
using persist_test::TempDir;

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(std::u16string(text)); }

class RecordingView final : public LightingPanelView {
 public:
  void ShowControl(uint16_t id, bool shown) override {
    visible[id] = shown;
    Add("show " + std::to_string(id) + (shown ? " 1" : " 0"));
  }
  void SetPicture(uint16_t id, std::u16string_view picture) override {
    pictures[id] = Narrow(picture);
    Add("picture " + std::to_string(id) + " " + Narrow(picture));
  }
  void SetSlider(uint16_t id, int position, std::u16string_view picture) override {
    Add("slider " + std::to_string(id) + " " + std::to_string(position) + " " + Narrow(picture));
  }
  void SetColourButton(uint16_t id, Colour colour) override {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06X", colour);
    colours[id] = colour;
    Add("colour " + std::to_string(id) + " " + hex);
  }
  void PlaceControl(uint16_t id, std::u16string_view key) override {
    Add("place " + std::to_string(id) + " " + Narrow(key));
  }
  void SetModeList(std::span<const int> list) override { modes.assign(list.begin(), list.end()); }
  void SelectMode(int position) override { Add("select " + std::to_string(position)); }
  void SetUserModeNames(std::span<const std::u16string> list) override { names.assign(list.begin(), list.end()); }
  void SelectUserMode(int m) override { Add("user mode " + std::to_string(m)); }
  void ReplaceUserModeName(int m, std::u16string_view name) override {
    names.at(m) = std::u16string(name);
    Add("rename " + std::to_string(m) + " " + Narrow(name));
  }
  void SetEditText(uint16_t id, std::u16string_view text) override {
    Add("edit " + std::to_string(id) + " " + Narrow(text));
  }
  bool ConfirmActiveProfile() override {
    Add("confirm");
    return confirm;
  }
  void ShowKeyAssignments() override { Add("assignments"); }

  bool Has(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
  void Add(std::string call) { calls.push_back(std::move(call)); }

  std::vector<std::string> calls;
  std::map<uint16_t, bool> visible;
  std::map<uint16_t, std::string> pictures;
  std::map<uint16_t, Colour> colours;
  std::vector<int> modes;
  std::vector<std::u16string> names;
  bool confirm = true;
};

// "begin", "end", "params@OFFSET=HEX" or "colours@OFFSET+LENGTH" for each
// frame the keyboard received.
std::vector<std::string> Summary(const std::vector<CommandFrame>& frames) {
  std::vector<std::string> out;
  for (const CommandFrame& f : frames) {
    const int command = f[frame::kCommand], offset = LoadU16(&f[frame::kOffset]), length = f[frame::kLength];
    if (command == 1) {
      out.push_back("begin");
    } else if (command == 2) {
      out.push_back("end");
    } else if (command == 6) {
      std::string hex;
      for (int i = 0; i < length; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02X", f[frame::kData + i]);
        hex += b;
      }
      out.push_back("params@" + std::to_string(offset) + "=" + hex);
    } else if (command == 17) {
      out.push_back("colours@" + std::to_string(offset) + "+" + std::to_string(length));
    } else {
      out.push_back("command " + std::to_string(command));
    }
  }
  return out;
}

const std::u16string kAssets = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets");

// A connected simulated keyboard offering modes 1..20, seeded user data,
// and a panel refreshed from both.
struct Panel {
  explicit Panel(bool view_on = true, const std::function<void(SimMemory&)>& edit = {}) {
    if (edit) stack.keyboard.EditMemory(edit);
    user_data.SeedUserDataFolder();
    view_file.Store(view_on);
    ReadLightingState(lighting, stack.commands, view_file);
    logic.Refresh();
    logic.ReloadUserModes(false);
    Reset();
  }
  void Reset() {
    stack.keyboard.ClearTrace();
    view.calls.clear();
    painter.repaints.clear();
  }
  std::vector<std::string> Sent() const { return Summary(stack.Frames()); }
  void ChooseMode(int mode) { logic.OnModeChosen(lighting.modes.PositionOfMode(mode)); }
  std::array<uint8_t, 126> Record() const { return stack.keyboard.Memory().params; }
  std::u16string FileValue(const std::u16string& section, const std::u16string& key) {
    return ini.GetString(user_data.FilePath(0), section, key, u"(none)", 64);
  }

  testing::SimStack stack;
  TempDir dir;
  PortableIniService ini;
  std::u16string folder = (dir.path() / "user").u16string();
  UserDataStore user_data{ini, folder, kAssets};
  LightingViewFile view_file{ini, folder};
  LightingModel lighting;
  BaseColourFlags flags{};
  testing::RecordingPainter painter;
  KeyColourBoard keys{painter};
  LightingPreview preview{keys, 1};
  RecordingView view;
  LightingPanelLogic logic{view, LightingPanelContext{lighting, flags, stack.commands, user_data, view_file, keys,
                                                      preview}};
};

std::set<uint16_t> Shown(const RecordingView& view) {
  std::set<uint16_t> ids;
  for (auto [id, shown] : view.visible)
    if (shown) ids.insert(id);
  return ids;
}

TEST(LightingPanel, RefreshShowsTheStateOfTheLightingProfile) {
  Panel p(true, [](SimMemory& m) {
    std::fill(m.settings.begin() + 12, m.settings.end(), 0);
    m.settings[12] = 12;
    m.settings[13] = 5;
    m.settings[15] = 17;  // an empty slot before it is skipped
    uint8_t* r = &m.params[0];
    r[0] = 12, r[1] = 3, r[2] = 0, r[3] = 0, r[4] = 1, r[5] = 0x11, r[6] = 0x22, r[7] = 0x33, r[8] = 7;
  });
  EXPECT_EQ(p.view.modes, (std::vector<int>{12, 5, 17}));
  p.view.calls.clear();
  p.logic.Refresh();
  const std::vector<std::string> expected = {
      "slider 1178 3 3.bmp", "slider 1179 3 8.bmp", "colour 1152 332211", "colour 1155 332211",
      "picture 1156 sjsdown.bmp", "user mode 0", "colour 1162 FFFFFF", "colour 1160 0000FF",
      "picture 1164 user1down.bmp", "picture 1165 user2up.bmp", "picture 1194 hongok.bmp",
      "picture 1195 huang.bmp", "picture 1196 lv.bmp", "picture 1197 lan.bmp",
      "place 1148 CONTROL_BLFXStatic3", "place 1149 CONTROL_BLFXLStaPic3", "place 1150 CONTROL_BLFXRStaPic3",
      "picture 1149 upup.bmp", "picture 1150 downdown.bmp", "select 0", "picture 1167 LED_enabled_on.bmp",
      "picture 1222 LED_disabled_off.bmp"};
  ASSERT_GE(p.view.calls.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(p.view.calls.begin(), p.view.calls.begin() + expected.size()), expected);
  EXPECT_EQ(p.lighting.state.colour_choice, 0);  // 7 is no colour choice
  EXPECT_EQ(Shown(p.view), (std::set<uint16_t>{1146, 1172, 1178, 1166, 1179, 1148, 1149, 1150, 1156, 1223}));
  EXPECT_TRUE(p.Sent().empty());
}

TEST(LightingPanel, EachModeShowsItsControls) {
  const std::set<uint16_t> base = {1146, 1172, 1178};
  const std::set<uint16_t> speed = {1166, 1179}, direction = {1148, 1149, 1150}, colour = {1154, 1155},
                           colourful = {1156, 1223}, reaction = {1151, 1152}, choice = {1194, 1195, 1196, 1197},
                           user = {1159, 1160, 1161, 1162, 1163, 1164, 1165, 1198};
  auto join = [&](std::initializer_list<std::set<uint16_t>> parts) {
    std::set<uint16_t> all = base;
    for (const auto& s : parts) all.insert(s.begin(), s.end());
    return all;
  };
  const std::pair<std::vector<int>, std::set<uint16_t>> table[] = {
      {{1, 2, 3, 11}, join({speed, direction, colour, colourful})},
      {{4}, join({speed})},
      {{5, 7, 8, 9, 10, 13, 14, 15}, join({speed, colour, colourful})},
      {{6, 16}, join({colourful, reaction})},
      {{12}, join({speed, direction, colourful})},
      {{17}, join({choice})},
      {{18}, join({direction, colourful})},
      {{20}, join({user})},
      {{19}, {1146}},  // the mode list stays, so the user can leave the mode
  };
  Panel p;
  for (const auto& [modes, shown] : table)
    for (int mode : modes) {
      p.ChooseMode(mode);
      EXPECT_EQ(Shown(p.view), shown) << "mode " << mode;
    }
}

TEST(LightingPanel, WithTheViewOffOnlyTheViewSwitchShows) {
  Panel p(false);
  EXPECT_TRUE(Shown(p.view).empty());
  EXPECT_EQ(p.view.pictures[1167], "LED_enabled_off.bmp");
  EXPECT_EQ(p.view.pictures[1222], "LED_disabled_on.bmp");
  EXPECT_TRUE(p.painter.shown.empty());
}

TEST(LightingPanel, ChoosingAModeWritesWhatItsTableSaysInOneExchange) {
  Panel p;
  p.keys.Show(1058, 0x123456);  // a key showing a preview colour
  p.Reset();

  p.ChooseMode(4);
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@0=04", "end"}));
  EXPECT_FALSE(p.painter.at(1058));
  for (uint16_t hidden : {1154, 1155, 1148, 1149, 1150, 1156, 1223}) EXPECT_FALSE(p.view.visible[hidden]) << hidden;
  EXPECT_EQ(p.lighting.state.mode, 4);

  p.Reset();
  p.ChooseMode(1);  // mode and the colourful flag (factory: on)
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@0=01", "params@4=01", "end"}));
  EXPECT_TRUE(p.view.Has("place 1149 CONTROL_BLFXLStaPic2"));
  p.Reset();
  p.ChooseMode(19);
  EXPECT_TRUE(p.Sent().empty());
  EXPECT_EQ(p.lighting.state.mode, 19);
  EXPECT_EQ(p.Record()[0], 1);

  // The preview starts afresh at the next tick.
  p.preview.Tick(p.lighting.state, true);
  EXPECT_TRUE(p.preview.started());
  p.ChooseMode(13);
  EXPECT_FALSE(p.preview.started());
}

TEST(LightingPanel, SlidersWriteOnlyWhatChanged) {
  Panel p;
  p.logic.OnSlider(kSpeedSlider, 0);  // speed 3
  p.Reset();
  for (int position : {1, 2, 3}) p.logic.OnSlider(kSpeedSlider, position);
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@2=02", "end", "begin", "params@2=01", "end",
                                                "begin", "params@2=00", "end"}));
  EXPECT_TRUE(p.view.Has("slider 1179 3 8.bmp"));
  p.Reset();
  p.logic.OnSlider(kSpeedSlider, 3);
  p.logic.OnSlider(kBrightnessSlider, p.lighting.state.brightness);
  EXPECT_TRUE(p.Sent().empty());
  EXPECT_EQ(p.view.calls, (std::vector<std::string>{"slider 1179 3 8.bmp", "slider 1178 4 4.bmp"}));
  p.logic.OnSlider(kBrightnessSlider, 1);
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@1=01", "end"}));
  EXPECT_EQ(p.Record()[1], 1);
}

TEST(LightingPanel, AColourTurnsColourfulOffBeforeItsBytesInOneExchange) {
  Panel p;
  ASSERT_TRUE(p.lighting.state.colourful);
  p.lighting.state.random_colour = true;
  p.logic.OnColourChosen(kColourButton, 0x00A0FF);
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@4=00", "params@5=FFA000", "end"}));
  EXPECT_EQ(p.view.calls, (std::vector<std::string>{"picture 1156 sjsup.bmp", "colour 1152 00A0FF"}));
  EXPECT_FALSE(p.lighting.state.colourful);
  EXPECT_FALSE(p.lighting.state.random_colour);
  EXPECT_EQ(p.lighting.state.colour, 0x00A0FFu);

  p.Reset();
  p.logic.OnColourChosen(kReactionButton, 0x010203);
  EXPECT_TRUE(p.view.Has("colour 1155 010203"));
}

TEST(LightingPanel, PicturesToggleAndWriteTheirByte) {
  Panel p;
  p.ChooseMode(12);
  p.Reset();
  p.logic.OnPictureClicked(kDirectionFirst);
  p.logic.OnPictureClicked(kColourfulPicture);
  p.logic.OnPictureClicked(kChoiceGreen);
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@3=FF", "end", "begin", "params@4=00", "end",
                                                "begin", "params@8=02", "end"}));
  EXPECT_EQ(p.view.pictures[1149], "updown.bmp");
  EXPECT_EQ(p.view.pictures[1150], "downup.bmp");
  EXPECT_EQ(p.view.pictures[1156], "sjsup.bmp");
  EXPECT_EQ(p.view.pictures[1196], "lvok.bmp");
  EXPECT_EQ(p.view.pictures[1194], "hong.bmp");

  p.ChooseMode(18);  // spread and converge, chosen by the current direction
  EXPECT_EQ(p.view.pictures[1149], "kuosandown.bmp");
  EXPECT_EQ(p.view.pictures[1150], "julong.bmp");
}

TEST(LightingPanel, RgbBoxesHoldAtMost255) {
  Panel p;
  p.logic.OnNumberTextChanged(kRed, u"300");
  p.logic.OnNumberTextChanged(kGreen, u"255");
  p.logic.OnNumberTextChanged(kBlue, u"99999999999999");
  EXPECT_EQ(p.view.calls, (std::vector<std::string>{"edit 1208 255", "edit 1210 255"}));
  EXPECT_TRUE(p.Sent().empty());
}

TEST(LightingPanel, KeysArePaintedOnlyInThePerKeyMode) {
  Panel p;
  p.ChooseMode(5);
  p.Reset();
  p.logic.PaintKey(1058);
  EXPECT_TRUE(p.Sent().empty());
  EXPECT_TRUE(p.painter.repaints.empty());

  p.ChooseMode(20);
  p.logic.SwitchViewOff();
  p.Reset();
  p.logic.PaintKey(1058);
  EXPECT_TRUE(p.Sent().empty());
}

TEST(LightingPanel, PaintingInThePerKeyMode) {
  Panel p;
  p.ChooseMode(20);
  // Every key shows its LED's colour from the user mode (the template's).
  EXPECT_EQ(p.painter.at(1058), ColourFromBytes(&p.lighting.key_colours[53 * 3]));
  p.logic.OnPictureClicked(kPaintTool);
  p.logic.OnColourChosen(kPaintButton, 0x00FF00);
  p.logic.OnColourChosen(kBaseButton, 0x0000FF);
  p.Reset();

  p.logic.PaintKey(1058);  // A, LED 53, paint tool
  p.logic.PaintKey(1087);  // right Win, LED 112
  p.logic.OnPictureClicked(kBaseTool);
  p.logic.PaintKey(1000);  // G1, LED 125
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "colours@159+3", "end", "begin", "colours@336+3", "end",
                                                "begin", "colours@375+3", "end"}));
  const SimMemory memory = p.stack.keyboard.Memory();
  auto led = [&](int n) { return ColourFromBytes(&memory.keycolors[n * 3]); };
  EXPECT_EQ(led(53), 0x00FF00u);
  EXPECT_EQ(led(112), 0x00FF00u);
  EXPECT_EQ(led(125), 0x0000FFu);
  EXPECT_EQ(p.painter.at(1058), 0x00FF00u);
  EXPECT_EQ(p.painter.at(1000), 0x0000FFu);
  EXPECT_EQ(p.flags[0][MainKeyPosition(1058)], 0);
  EXPECT_EQ(p.flags[0][kGKeySlot0], 1);
  EXPECT_EQ(p.FileValue(u"Mode0", u"53"), u"0,255,0,0");
  EXPECT_EQ(p.FileValue(u"Mode0", u"125"), u"255,0,0,1");
  EXPECT_EQ(p.FileValue(u"Mode0", u"tool"), u"1");
}

TEST(LightingPanel, ANewBaseColourRecoloursTheKeysThatFollowIt) {
  Panel p;
  p.ChooseMode(20);
  p.logic.OnUserModeChosen(3);  // the template's "WASD and arrows": A has a colour of its own, B follows
  ASSERT_EQ(p.flags[0][MainKeyPosition(1058)], 0);
  ASSERT_EQ(p.flags[0][MainKeyPosition(1075)], 1);
  p.Reset();

  p.logic.OnColourChosen(kBaseButton, 0x123456);
  std::vector<std::string> expected = {"begin"};
  for (int k = 0; k < 8; ++k) expected.push_back("colours@" + std::to_string(54 * k) + "+54");
  expected.push_back("end");
  EXPECT_EQ(p.Sent(), expected);
  EXPECT_EQ(p.painter.at(1075), 0x123456u);
  EXPECT_EQ(p.painter.at(1058), 0x0000FFu);
  EXPECT_EQ(p.FileValue(u"Mode3", u"74"), u"86,52,18,1");
  EXPECT_EQ(p.FileValue(u"Mode3", u"jcolor"), u"86,52,18");
  EXPECT_EQ(ColourFromBytes(&p.stack.keyboard.Memory().keycolors[74 * 3]), 0x123456u);

  p.Reset();
  p.logic.OnColourChosen(kBaseButton, 0x123456);  // the same colour again
  EXPECT_TRUE(p.Sent().empty());
}

TEST(LightingPanel, UserModes) {
  Panel p;
  p.ChooseMode(20);
  p.logic.OnColourChosen(kPaintButton, 0x00FF00);
  p.logic.PaintKey(1058);
  p.Reset();

  p.logic.OnUserModeChosen(3);
  std::vector<std::string> expected = {"begin"};
  for (int k = 0; k < 8; ++k) expected.push_back("colours@" + std::to_string(54 * k) + "+54");
  expected.push_back("end");
  EXPECT_EQ(p.Sent(), expected);
  EXPECT_EQ(p.user_data.ReadCurrentUserMode(0), 3);
  EXPECT_EQ(p.lighting.state.user_mode, 3);
  EXPECT_TRUE(p.view.Has("user mode 3"));
  EXPECT_NE(p.painter.at(1058), 0x00FF00u);  // user mode 3 has its own colours

  p.logic.OnUserModeNameEdited(u"Evening");
  EXPECT_EQ(p.view.names[3], u"Evening");
  EXPECT_EQ(p.user_data.ReadUserModeName(0, 3), u"Evening");

}

TEST(LightingPanel, TheViewSwitch) {
  Panel p(false);
  p.view.confirm = false;
  p.logic.OnPictureClicked(kViewOn);
  EXPECT_EQ(p.view.calls, std::vector<std::string>{"confirm"});
  EXPECT_FALSE(p.logic.lighting_view());
  EXPECT_EQ(p.view_file.StoredLightingView(), 0);

  p.view.confirm = true;
  p.ChooseMode(20);  // picked while off (not reachable from the window): no keys coloured
  EXPECT_TRUE(p.painter.shown.empty());
  p.Reset();
  p.logic.OnPictureClicked(kViewOff);
  EXPECT_TRUE(p.logic.lighting_view());
  EXPECT_EQ(p.view_file.StoredLightingView(), 1);
  EXPECT_EQ(p.painter.selection_clears, 1);
  EXPECT_EQ(p.painter.shown.size(), size_t(kKeyButtonSlots));  // per-key colours in mode 20
  EXPECT_EQ(p.view.pictures[1167], "LED_enabled_on.bmp");
  EXPECT_TRUE(p.view.visible[1198]);

  p.Reset();
  p.logic.OnPictureClicked(kViewOn);
  EXPECT_FALSE(p.logic.lighting_view());
  EXPECT_EQ(p.view_file.StoredLightingView(), 0);
  EXPECT_TRUE(p.painter.shown.empty());
  EXPECT_TRUE(p.view.Has("assignments"));
  EXPECT_FALSE(p.view.Has("confirm"));
  EXPECT_TRUE(Shown(p.view).empty());
  EXPECT_TRUE(p.Sent().empty());
}

TEST(LightingPanel, RestoringDefaultsPicksTheFirstModeWithWhiteAndColourful) {
  Panel p;
  p.ChooseMode(20);
  p.logic.OnColourChosen(kColourButton, 0x00FF00);
  p.Reset();
  p.logic.ResetToDefaults();
  EXPECT_EQ(p.Sent(), (std::vector<std::string>{"begin", "params@0=01", "params@4=00", "end"}));
  EXPECT_TRUE(p.view.Has("select 0"));
  EXPECT_EQ(p.view.colours[kColourButton], kWhite);
  EXPECT_EQ(p.view.colours[kReactionButton], kWhite);
  EXPECT_EQ(p.view.pictures[kColourfulPicture], "sjsdown.bmp");
  EXPECT_TRUE(p.lighting.state.colourful);
  EXPECT_EQ(p.lighting.state.mode, 1);
}

TEST(LightingPanel, AModeTheKeyboardChangedItselfTakesTheKeysAlong) {
  Panel p;
  p.ChooseMode(5);
  p.preview.Tick(p.lighting.state, true);
  ASSERT_FALSE(p.painter.shown.empty());
  p.stack.keyboard.ChangeLightingOnKeyboard(20);
  ReadLightingState(p.lighting, p.stack.commands, p.view_file);
  p.logic.Refresh();
  EXPECT_EQ(p.painter.at(1058), ColourFromBytes(&p.lighting.key_colours[53 * 3]));
  EXPECT_FALSE(p.preview.started());
}

}  // namespace
}  // namespace keyloom
