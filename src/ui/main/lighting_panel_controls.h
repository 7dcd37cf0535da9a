// The lighting panel's controls: ids, the skin keys that place them, what
// kind of control each is, the pictures they show and which of them each
// mode shows. The one table of them: the panel's logic, its window and the
// tests read it here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace keyloom::panel {

enum class ControlKind {
  kModeList,      // drop-down list of the modes
  kPicture,       // a picture that reacts to clicks
  kSlider,        // bitmap slider
  kColourButton,  // colour button with its palette
  kLabel,         // text
  kUserModeList,  // combo box with an edit field
  kNumberBox,     // numeric edit box
};

struct Control {
  uint16_t id;
  std::u16string_view skin_key;  // in section "BUTTONINFO" of the main skin file
  ControlKind kind;
  // A picture's fixed image, or a label's text key in section "LIGHT" of the
  // language file (a key starting with '=' is the text itself).
  std::u16string_view content = {};
};

inline constexpr uint16_t kModeList = 1146;
inline constexpr uint16_t kBrightnessLabel = 1172, kBrightnessSlider = 1178;
inline constexpr uint16_t kSpeedLabel = 1166, kSpeedSlider = 1179;
inline constexpr uint16_t kDirectionLabel = 1148, kDirectionFirst = 1149, kDirectionSecond = 1150;
inline constexpr uint16_t kColourLabel = 1154, kColourButton = 1155;
inline constexpr uint16_t kColourfulPicture = 1156, kColourfulLabel = 1223;
inline constexpr uint16_t kReactionLabel = 1151, kReactionButton = 1152;
inline constexpr uint16_t kChoiceRed = 1194, kChoiceYellow = 1195, kChoiceGreen = 1196, kChoiceBlue = 1197;
inline constexpr uint16_t kPaintLabel = 1159, kPaintButton = 1160;
inline constexpr uint16_t kBaseLabel = 1161, kBaseButton = 1162;
inline constexpr uint16_t kToolLabel = 1163, kPaintTool = 1164, kBaseTool = 1165;
inline constexpr uint16_t kUserModeList = 1198;
inline constexpr uint16_t kViewOn = 1167, kViewOff = 1222, kViewLabel = 1171;
inline constexpr uint16_t kRgbLabel = 1207, kRed = 1208, kGreen = 1209, kBlue = 1210;

inline constexpr Control kControls[] = {
    {kModeList, u"CONTROL_XGcombox", ControlKind::kModeList},
    {kBrightnessLabel, u"CONTROL_LightStatic", ControlKind::kPicture, u"brightness.bmp"},
    {kBrightnessSlider, u"CONTROL_LightSlider", ControlKind::kSlider},
    {kSpeedLabel, u"CONTROL_SpeedStatic", ControlKind::kPicture, u"speed.bmp"},
    {kSpeedSlider, u"CONTROL_SpeedSlider", ControlKind::kSlider},
    {kDirectionLabel, u"CONTROL_BLFXStatic", ControlKind::kPicture, u"direction.bmp"},
    {kDirectionFirst, u"CONTROL_BLFXLStaPic", ControlKind::kPicture},
    {kDirectionSecond, u"CONTROL_BLFXRStaPic", ControlKind::kPicture},
    {kColourLabel, u"CONTROL_HXysStatic", ControlKind::kPicture, u"color.bmp"},
    {kColourButton, u"CONTROL_HXysButton", ControlKind::kColourButton},
    {kColourfulPicture, u"CONTROL_HXsjsStaPic", ControlKind::kPicture},
    {kColourfulLabel, u"CONTROL_COLORFULStatic", ControlKind::kPicture, u"colorful.bmp"},
    {kReactionLabel, u"CONTROL_FYYSStatic", ControlKind::kPicture, u"color.bmp"},
    {kReactionButton, u"CONTROL_FYYSButton", ControlKind::kColourButton},
    {kChoiceRed, u"CONTROL_HONGPIC", ControlKind::kPicture},
    {kChoiceYellow, u"CONTROL_HUANGPIC", ControlKind::kPicture},
    {kChoiceGreen, u"CONTROL_LVPIC", ControlKind::kPicture},
    {kChoiceBlue, u"CONTROL_LANPIC", ControlKind::kPicture},
    {kPaintLabel, u"CONTROL_USERysStatic", ControlKind::kLabel, u"Color"},
    {kPaintButton, u"CONTROL_USERysButton", ControlKind::kColourButton},
    {kBaseLabel, u"CONTROL_USERjsStatic", ControlKind::kLabel, u"JColor"},
    {kBaseButton, u"CONTROL_USERjsButton", ControlKind::kColourButton},
    {kToolLabel, u"CONTROL_USERgjStatic", ControlKind::kLabel, u"Tool"},
    {kPaintTool, u"CONTROL_USERgjStaPic1", ControlKind::kPicture},
    {kBaseTool, u"CONTROL_USERgjStaPic2", ControlKind::kPicture},
    {kUserModeList, u"CONTROL_umCombo", ControlKind::kUserModeList},
    {kViewOn, u"CONTROL_DengStaPic", ControlKind::kPicture},
    {kViewOff, u"CONTROL_DengDisable", ControlKind::kPicture},
    {kViewLabel, u"CONTROL_DengStatic", ControlKind::kPicture, u"led.bmp"},
    {kRgbLabel, u"CONTROL_RGBStatic", ControlKind::kLabel, u"=RGB"},
    {kRed, u"COLOR_R", ControlKind::kNumberBox},
    {kGreen, u"COLOR_G", ControlKind::kNumberBox},
    {kBlue, u"COLOR_B", ControlKind::kNumberBox},
};

// The entry of a control id, or null.
const Control* FindControl(uint16_t id);

// The groups of controls the panel shows and hides together.
enum Group : uint8_t {
  kGroupModeList,       // 1146
  kGroupBrightness,     // 1172, 1178
  kGroupSpeed,          // 1166, 1179
  kGroupDirection,      // 1148, 1149, 1150
  kGroupColour,         // 1154, 1155
  kGroupColourful,      // 1156, 1223
  kGroupReaction,       // 1151, 1152
  kGroupColourChoice,   // 1194..1197
  kGroupUserMode,       // 1159..1165, 1198
  kGroupCount,
};
std::span<const uint16_t> GroupControls(Group group);

// Which groups a mode shows while the lighting view is on (bit g = group g).
// Mode 19 and unknown numbers keep the mode list, so the user can leave them.
uint16_t VisibleGroups(int mode);

// The pictures of the direction pair for a mode: chosen and plain, for
// direction 255 (first) and direction 0 (second).
struct DirectionPictures {
  std::u16string_view first_chosen, first_plain, second_chosen, second_plain;
};
DirectionPictures DirectionPicturesFor(int mode);
// The skin keys the three direction controls take their rectangles from.
struct DirectionPlaces {
  std::u16string_view label, first, second;
};
DirectionPlaces DirectionPlacesFor(int mode);

// Slider pictures: brightness p shows "p.bmp", speed position p "(5+p).bmp".
std::u16string_view BrightnessPicture(int position);
std::u16string_view SpeedPicture(int position);

inline constexpr std::array<uint16_t, 4> kChoiceIds = {kChoiceRed, kChoiceYellow, kChoiceGreen, kChoiceBlue};
inline constexpr std::array<std::u16string_view, 4> kChoiceChosen = {u"hongok.bmp", u"huangok.bmp", u"lvok.bmp",
                                                                     u"lanok.bmp"};
inline constexpr std::array<std::u16string_view, 4> kChoicePlain = {u"hong.bmp", u"huang.bmp", u"lv.bmp", u"lan.bmp"};

inline constexpr std::u16string_view kColourfulOn = u"sjsdown.bmp", kColourfulOff = u"sjsup.bmp";
inline constexpr std::u16string_view kPaintToolChosen = u"user1down.bmp", kPaintToolPlain = u"user1up.bmp";
inline constexpr std::u16string_view kBaseToolChosen = u"user2down.bmp", kBaseToolPlain = u"user2up.bmp";
inline constexpr std::u16string_view kViewOnShown = u"LED_enabled_on.bmp", kViewOnHidden = u"LED_enabled_off.bmp";
inline constexpr std::u16string_view kViewOffShown = u"LED_disabled_off.bmp", kViewOffHidden = u"LED_disabled_on.bmp";

// Every picture the panel shows, for loading them once.
std::span<const std::u16string_view> AllPictures();

}  // namespace keyloom::panel
