#include "ui/main/lighting_panel_controls.h"

namespace keyloom::panel {
namespace {

constexpr uint16_t kModeListIds[] = {kModeList};
constexpr uint16_t kBrightnessIds[] = {kBrightnessLabel, kBrightnessSlider};
constexpr uint16_t kSpeedIds[] = {kSpeedLabel, kSpeedSlider};
constexpr uint16_t kDirectionIds[] = {kDirectionLabel, kDirectionFirst, kDirectionSecond};
constexpr uint16_t kColourIds[] = {kColourLabel, kColourButton};
constexpr uint16_t kColourfulIds[] = {kColourfulPicture, kColourfulLabel};
constexpr uint16_t kReactionIds[] = {kReactionLabel, kReactionButton};
constexpr uint16_t kUserModeIds[] = {kPaintLabel, kPaintButton, kBaseLabel, kBaseButton,
                                     kToolLabel,  kPaintTool,   kBaseTool,  kUserModeList};

constexpr uint16_t Bits(std::initializer_list<Group> groups) {
  uint16_t bits = 0;
  for (Group g : groups) bits |= static_cast<uint16_t>(1u << g);
  return bits;
}

constexpr std::u16string_view kBrightnessPictures[] = {u"0.bmp", u"1.bmp", u"2.bmp", u"3.bmp", u"4.bmp"};
constexpr std::u16string_view kSpeedPictures[] = {u"5.bmp", u"6.bmp", u"7.bmp", u"8.bmp"};

constexpr std::u16string_view kPictures[] = {
    u"brightness.bmp", u"speed.bmp", u"direction.bmp", u"color.bmp", u"colorful.bmp", u"led.bmp",
    u"0.bmp", u"1.bmp", u"2.bmp", u"3.bmp", u"4.bmp", u"5.bmp", u"6.bmp", u"7.bmp", u"8.bmp",
    u"leftdown.bmp", u"leftup.bmp", u"rightdown.bmp", u"rightup.bmp", u"updown.bmp", u"upup.bmp",
    u"downdown.bmp", u"downup.bmp", u"kuosandown.bmp", u"kuosan.bmp", u"julongdown.bmp", u"julong.bmp",
    kColourfulOn, kColourfulOff, kChoiceChosen[0], kChoiceChosen[1], kChoiceChosen[2], kChoiceChosen[3],
    kChoicePlain[0], kChoicePlain[1], kChoicePlain[2], kChoicePlain[3], kPaintToolChosen, kPaintToolPlain,
    kBaseToolChosen, kBaseToolPlain, kViewOnShown, kViewOnHidden, kViewOffShown, kViewOffHidden,
};

}  // namespace

const Control* FindControl(uint16_t id) {
  for (const Control& c : kControls)
    if (c.id == id) return &c;
  return nullptr;
}

std::span<const uint16_t> GroupControls(Group group) {
  switch (group) {
    case kGroupModeList: return kModeListIds;
    case kGroupBrightness: return kBrightnessIds;
    case kGroupSpeed: return kSpeedIds;
    case kGroupDirection: return kDirectionIds;
    case kGroupColour: return kColourIds;
    case kGroupColourful: return kColourfulIds;
    case kGroupReaction: return kReactionIds;
    case kGroupColourChoice: return kChoiceIds;
    case kGroupUserMode: return kUserModeIds;
    case kGroupCount: break;
  }
  return {};
}

uint16_t VisibleGroups(int mode) {
  const uint16_t common = Bits({kGroupModeList, kGroupBrightness});
  switch (mode) {
    case 1: case 2: case 3: case 11:
      return common | Bits({kGroupSpeed, kGroupDirection, kGroupColour, kGroupColourful});
    case 4:
      return common | Bits({kGroupSpeed});
    case 5: case 7: case 8: case 9: case 10: case 13: case 14: case 15:
      return common | Bits({kGroupSpeed, kGroupColour, kGroupColourful});
    case 6: case 16:
      return common | Bits({kGroupColourful, kGroupReaction});
    case 12:
      return common | Bits({kGroupSpeed, kGroupDirection, kGroupColourful});
    case 17:
      return common | Bits({kGroupColourChoice});
    case 18:
      return common | Bits({kGroupDirection, kGroupColourful});
    case 20:
      return common | Bits({kGroupUserMode});
    default:
      return Bits({kGroupModeList});
  }
}

DirectionPictures DirectionPicturesFor(int mode) {
  if (mode == 12) return {u"updown.bmp", u"upup.bmp", u"downdown.bmp", u"downup.bmp"};
  if (mode == 18) return {u"kuosandown.bmp", u"kuosan.bmp", u"julongdown.bmp", u"julong.bmp"};
  return {u"leftdown.bmp", u"leftup.bmp", u"rightdown.bmp", u"rightup.bmp"};
}

DirectionPlaces DirectionPlacesFor(int mode) {
  switch (mode) {
    case 1: case 2: case 3: case 11:
      return {u"CONTROL_BLFXStatic2", u"CONTROL_BLFXLStaPic2", u"CONTROL_BLFXRStaPic2"};
    case 12:
      return {u"CONTROL_BLFXStatic3", u"CONTROL_BLFXLStaPic3", u"CONTROL_BLFXRStaPic3"};
    default:
      return {u"CONTROL_BLFXStatic", u"CONTROL_BLFXLStaPic", u"CONTROL_BLFXRStaPic"};
  }
}

std::u16string_view BrightnessPicture(int position) {
  return position >= 0 && position <= 4 ? kBrightnessPictures[position] : std::u16string_view();
}

std::u16string_view SpeedPicture(int position) {
  return position >= 0 && position <= 3 ? kSpeedPictures[position] : std::u16string_view();
}

std::span<const std::u16string_view> AllPictures() { return kPictures; }

}  // namespace keyloom::panel
