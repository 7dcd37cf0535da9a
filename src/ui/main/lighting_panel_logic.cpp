#include "ui/main/lighting_panel_logic.h"

#include <algorithm>
#include <array>
#include <vector>

#include "model/lighting_ops.h"
#include "storage/decimal_scan.h"
#include "storage/lighting_view_file.h"
#include "storage/user_data.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/lighting_preview.h"

namespace keyloom {

using namespace panel;

namespace {

// The RGB boxes hold a colour component.
constexpr int kHighestNumberValue = 255;

uint8_t Byte(int value) { return static_cast<uint8_t>(value); }

}  // namespace

// ---- showing the state ----------------------------------------------------

void LightingPanelLogic::Refresh() {
  LightingModel& model = ctx_.lighting;
  LightingState& s = state();

  model.RebuildModeTable();
  std::vector<int> modes;
  for (int i = 0; i < model.modes.count(); ++i) modes.push_back(model.modes.ModeOfPosition(i));
  view_.SetModeList(modes);

  const int brightness = std::clamp(s.brightness, 0, 4), speed_position = 3 - std::clamp(s.speed, 0, 3);
  view_.SetSlider(kBrightnessSlider, brightness, BrightnessPicture(brightness));
  view_.SetSlider(kSpeedSlider, speed_position, SpeedPicture(speed_position));

  view_.SetColourButton(kReactionButton, s.colour);
  view_.SetColourButton(kColourButton, s.colour);
  ShowColourful();

  ShowUserModeControls();

  if (s.colour_choice < 0 || s.colour_choice > 3) s.colour_choice = 0;
  ShowColourChoice();

  ShowDirection(s.mode);

  selected_position_ = model.modes.PositionOfMode(s.mode);
  view_.SelectMode(selected_position_);

  ShowVisibility();

  // The keyboard itself may have changed the effect: the key buttons and the
  // preview follow it as they follow a mode picked in the list.
  if (s.mode != shown_mode_) {
    shown_mode_ = s.mode;
    ClearKeys();
    ShowPerKeyColoursInPerKeyMode();
    ctx_.preview.Restart();
  }
}

void LightingPanelLogic::ReloadUserModes(bool send) {
  ctx_.user_data.LoadUserMode(ctx_.lighting, ctx_.base_flags, ctx_.commands, send);
  ShowUserModes();
}

void LightingPanelLogic::ShowUserModes() {
  std::vector<std::u16string> names;
  for (int m = 0; m < kUserModeCount; ++m) names.push_back(ctx_.user_data.ReadUserModeName(profile(), m));
  view_.SetUserModeNames(names);
  ShowUserModeControls();
  ShowPerKeyColoursInPerKeyMode();
}

void LightingPanelLogic::ResetToDefaults() {
  const int position = ctx_.lighting.modes.PositionOfMode(1);
  if (position >= 0) {
    view_.SelectMode(position);
    OnModeChosen(position);
  }
  LightingState& s = state();
  s.colour = kWhite;
  s.colourful = true;
  view_.SetColourButton(kColourButton, kWhite);
  view_.SetColourButton(kReactionButton, kWhite);
  ShowColourful();
}

void LightingPanelLogic::ShowDirection(int mode) {
  const DirectionPlaces places = DirectionPlacesFor(mode);
  view_.PlaceControl(kDirectionLabel, places.label);
  view_.PlaceControl(kDirectionFirst, places.first);
  view_.PlaceControl(kDirectionSecond, places.second);
  const DirectionPictures pictures = DirectionPicturesFor(mode);
  const int direction = state().direction;
  view_.SetPicture(kDirectionFirst, direction == kDirectionLeft ? pictures.first_chosen : pictures.first_plain);
  view_.SetPicture(kDirectionSecond, direction == kDirectionRight ? pictures.second_chosen : pictures.second_plain);
}

void LightingPanelLogic::ShowVisibility() {
  const bool on = lighting_view();
  view_.SetPicture(kViewOn, on ? kViewOnShown : kViewOnHidden);
  view_.SetPicture(kViewOff, on ? kViewOffShown : kViewOffHidden);
  const unsigned groups = on ? VisibleGroups(state().mode) : 0;
  for (int g = 0; g < kGroupCount; ++g)
    for (uint16_t id : GroupControls(static_cast<Group>(g))) view_.ShowControl(id, (groups >> g) & 1);
}

void LightingPanelLogic::ShowUserModeControls() {
  const LightingState& s = state();
  view_.SelectUserMode(s.user_mode);
  view_.SetColourButton(kBaseButton, s.base_colour);
  view_.SetColourButton(kPaintButton, s.paint_colour);
  view_.SetPicture(kPaintTool, s.painting_tool == 0 ? kPaintToolChosen : kPaintToolPlain);
  view_.SetPicture(kBaseTool, s.painting_tool == 1 ? kBaseToolChosen : kBaseToolPlain);
}

void LightingPanelLogic::ShowColourful() {
  view_.SetPicture(kColourfulPicture, state().colourful ? kColourfulOn : kColourfulOff);
}

void LightingPanelLogic::ShowColourChoice() {
  for (int i = 0; i < 4; ++i)
    view_.SetPicture(kChoiceIds[i], i == state().colour_choice ? kChoiceChosen[i] : kChoicePlain[i]);
}

// The key buttons show lighting only while the lighting view is on; while it
// is off they show assignments and the panel leaves them alone.
void LightingPanelLogic::ClearKeys() {
  if (lighting_view()) ctx_.keys.ClearAll();
}

void LightingPanelLogic::ShowPerKeyColoursInPerKeyMode() {
  if (lighting_view() && state().mode == kModePerKey) ctx_.keys.ShowPerKeyColours(ctx_.lighting);
}

// ---- handlers -------------------------------------------------------------

void LightingPanelLogic::OnModeChosen(int position) {
  LightingModel& model = ctx_.lighting;
  if (position < 0 || position >= model.modes.count()) return;
  const int mode = model.modes.ModeOfPosition(position);
  selected_position_ = position;
  ClearKeys();
  ShowDirection(mode);
  WriteModeSelection(model, ctx_.commands, mode);
  state().mode = mode;
  shown_mode_ = mode;
  ShowPerKeyColoursInPerKeyMode();
  ctx_.preview.Restart();
  ShowVisibility();
}

void LightingPanelLogic::OnSlider(uint16_t id, int position) {
  LightingState& s = state();
  if (id == kBrightnessSlider && position >= 0 && position <= 4) {
    view_.SetSlider(id, position, BrightnessPicture(position));
    if (position == s.brightness) return;
    s.brightness = position;
    const uint8_t byte[1] = {Byte(position)};
    WriteLightingBytes(ctx_.lighting, ctx_.commands, lighting_field::kBrightness, byte);
  } else if (id == kSpeedSlider && position >= 0 && position <= 3) {
    view_.SetSlider(id, position, SpeedPicture(position));
    if (3 - position == s.speed) return;
    s.speed = 3 - position;
    const uint8_t byte[1] = {Byte(s.speed)};
    WriteLightingBytes(ctx_.lighting, ctx_.commands, lighting_field::kSpeed, byte);
  }
}

void LightingPanelLogic::OnPictureClicked(uint16_t id) {
  LightingState& s = state();
  switch (id) {
    case kDirectionFirst:
    case kDirectionSecond: {
      s.direction = id == kDirectionFirst ? kDirectionLeft : kDirectionRight;
      ShowDirection(s.mode);
      const uint8_t byte[1] = {Byte(s.direction)};
      WriteLightingBytes(ctx_.lighting, ctx_.commands, lighting_field::kDirection, byte);
      return;
    }
    case kColourfulPicture: {
      s.colourful = !s.colourful;
      ShowColourful();
      const uint8_t byte[1] = {Byte(s.colourful ? 1 : 0)};
      WriteLightingBytes(ctx_.lighting, ctx_.commands, lighting_field::kColourful, byte);
      return;
    }
    case kChoiceRed:
    case kChoiceYellow:
    case kChoiceGreen:
    case kChoiceBlue: {
      s.colour_choice = id - kChoiceRed;
      ShowColourChoice();
      const uint8_t byte[1] = {Byte(s.colour_choice)};
      WriteLightingBytes(ctx_.lighting, ctx_.commands, lighting_field::kColourChoice, byte);
      return;
    }
    case kPaintTool:
    case kBaseTool:
      s.painting_tool = id == kPaintTool ? 0 : 1;
      ShowUserModeControls();
      WriteTools();
      return;
    case kViewOn:
    case kViewOff:
      ToggleView();
      return;
    default:
      return;
  }
}

void LightingPanelLogic::OnColourChosen(uint16_t id, Colour colour) {
  LightingState& s = state();
  colour &= 0xFFFFFF;
  switch (id) {
    case kColourButton:
    case kReactionButton: {
      s.colourful = false;
      s.random_colour = false;
      ShowColourful();
      const uint8_t off[1] = {0};
      const auto rgb = ColourBytes(colour);
      const LightingRun runs[] = {{lighting_field::kColourful, off}, {lighting_field::kColour, rgb}};
      WriteLightingBytes(ctx_.lighting, ctx_.commands, runs);
      s.colour = colour;
      view_.SetColourButton(id == kColourButton ? kReactionButton : kColourButton, colour);
      return;
    }
    case kPaintButton:
      s.paint_colour = colour;
      WriteTools();
      return;
    case kBaseButton: {
      if (colour == s.base_colour) return;
      s.base_colour = colour;
      WriteTools();
      const int p = profile();
      if (!IsValidLightingProfile(p)) return;
      const auto rgb = ColourBytes(colour);
      for (int slot = 0; slot < kKeyButtonSlots; ++slot) {
        if (!ctx_.base_flags[p][slot]) continue;
        const uint16_t control = ControlOfSlot(slot);
        const int led = LedOfControl(control);
        if (lighting_view()) ctx_.keys.Show(control, colour);
        std::copy(rgb.begin(), rgb.end(), ctx_.lighting.key_colours.begin() + p * kKeyColourBlockSize + led * 3);
        ctx_.user_data.WriteKeyColour(p, s.user_mode, led, colour, 1);
      }
      WriteAllLedColours(ctx_.lighting, ctx_.commands);
      return;
    }
    default:
      return;
  }
}

void LightingPanelLogic::OnUserModeChosen(int user_mode) {
  if (user_mode < 0 || user_mode >= kUserModeCount) return;
  state().user_mode = user_mode;
  ctx_.user_data.WriteCurrentUserMode(profile(), user_mode);
  ctx_.user_data.LoadUserMode(ctx_.lighting, ctx_.base_flags, ctx_.commands, true);
  ShowUserModeControls();
  if (lighting_view()) ctx_.keys.ShowPerKeyColours(ctx_.lighting);
}

void LightingPanelLogic::OnUserModeNameEdited(std::u16string_view name) {
  const int m = state().user_mode;
  view_.ReplaceUserModeName(m, name);
  ctx_.user_data.WriteUserModeName(profile(), m, name);
}

void LightingPanelLogic::OnNumberTextChanged(uint16_t id, std::u16string_view text) {
  if (id != kRed && id != kGreen && id != kBlue) return;
  if (ParseDecimal(text) > kHighestNumberValue) view_.SetEditText(id, u"255");
}

void LightingPanelLogic::PaintKey(uint16_t control_id) {
  const LightingState& s = state();
  if (!lighting_view()) return;
  const int per_key_position = ctx_.lighting.modes.PositionOfMode(kModePerKey);
  if (per_key_position < 0 || selected_position_ != per_key_position) return;
  const int led = LedOfControl(control_id);
  if (led < 0) return;
  Colour colour = 0;
  int flag = 0;
  if (s.painting_tool == 1) {
    colour = s.base_colour;
    flag = 1;
  } else if (s.painting_tool == 0) {
    colour = s.paint_colour;
  } else {
    return;
  }
  ctx_.keys.Show(control_id, colour);
  WriteLedColour(ctx_.lighting, ctx_.commands, led, colour);
  const int p = profile();
  if (const int slot = KeyButtonSlot(control_id); slot >= 0 && IsValidLightingProfile(p))
    ctx_.base_flags[p][slot] = static_cast<uint8_t>(flag);
  ctx_.user_data.WriteKeyColour(p, s.user_mode, led, colour, flag);
}

void LightingPanelLogic::ToggleView() {
  if (lighting_view()) {
    SwitchViewOff();
    return;
  }
  if (!view_.ConfirmActiveProfile()) return;
  state().lighting_view = true;
  ctx_.view_setting.Store(true);
  ctx_.keys.ClearAll();
  ShowPerKeyColoursInPerKeyMode();
  ShowVisibility();
}

void LightingPanelLogic::SwitchViewOff() {
  if (!lighting_view()) return;
  state().lighting_view = false;
  ctx_.view_setting.Store(false);
  ctx_.keys.ClearAll();
  view_.ShowKeyAssignments();
  ShowVisibility();
}

void LightingPanelLogic::WriteTools() {
  const LightingState& s = state();
  ctx_.user_data.WriteTools(profile(), s.user_mode, UserModeTools{s.painting_tool, s.base_colour, s.paint_colour});
}

}  // namespace keyloom
