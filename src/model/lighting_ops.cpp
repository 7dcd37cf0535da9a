#include "model/lighting_ops.h"

#include <algorithm>
#include <array>

#include "device/command_set.h"

namespace keyloom {
namespace {

// Keeps the first failure of a sequence; every step is still sent.
void Note(int& result, int step) {
  if (result == kResultOk && step != kResultOk) result = step;
}

}  // namespace

int ReadLightingState(LightingModel& model, CommandSet& commands,
                      const LightingViewSetting& view_setting) {
  std::fill_n(model.settings.begin() + kModeListOffset, kModeSlots, uint8_t{0});
  KeyboardExchange exchange(commands.link());
  std::array<uint8_t, kSettingsBlockSize> settings{};
  if (commands.ReadSettings(settings) != kResultOk) return -1;
  model.settings = settings;

  commands.BeginExchange();
  for (int profile = 0; profile < kLightingProfiles; ++profile) {
    const int offset = profile * kLightingRecordSize;
    std::array<uint8_t, kFrameData> answer{};
    // A failed read leaves this profile's record as it was rather than
    // copying another profile's bytes into it.
    if (commands.ReadParams(offset, static_cast<int>(kFrameData), answer) == kResultOk) {
      std::copy_n(answer.begin(), kLightingRecordSize, model.records.begin() + offset);
    }
  }
  commands.EndExchange();

  const int profile = model.state.lighting_profile;
  if (IsValidLightingProfile(profile)) {
    DecodeLightingRecord(std::span<const uint8_t, kLightingRecordSize>(
                             model.records.data() + profile * kLightingRecordSize,
                             kLightingRecordSize),
                         model.state);
  }
  if (view_setting.StoredLightingView() == 1) model.state.lighting_view = true;
  return 0;
}

int WriteLightingBytes(const LightingModel& model, CommandSet& commands,
                       std::span<const LightingRun> runs) {
  const int profile = model.state.lighting_profile;
  if (!IsValidLightingProfile(profile)) return kResultBadProfile;
  for (const LightingRun& run : runs) {
    if (run.field < 0 || run.bytes.empty() ||
        run.bytes.size() > size_t(kLightingRecordSize - run.field)) {
      return kResultWriteFailed;
    }
  }
  KeyboardExchange exchange(commands.link());
  int result = kResultOk;
  Note(result, commands.BeginExchange());
  for (const LightingRun& run : runs) {
    Note(result, commands.WriteParams(profile * kLightingRecordSize + run.field, run.bytes));
  }
  Note(result, commands.EndExchange());
  return result;
}

int WriteLightingBytes(const LightingModel& model, CommandSet& commands, int field,
                       std::span<const uint8_t> bytes) {
  const LightingRun run{field, bytes};
  return WriteLightingBytes(model, commands, std::span<const LightingRun>(&run, 1));
}

int WriteModeSelection(LightingModel& model, CommandSet& commands, int mode) {
  model.state.mode = mode;
  const uint8_t mode_byte[1] = {static_cast<uint8_t>(mode)};
  const uint8_t colourful_byte[1] = {static_cast<uint8_t>(model.state.colourful ? 1 : 0)};
  switch (ModeTraitsOf(mode).on_selection) {
    case ModeSelectionWrite::kNothing:
      return kResultOk;
    case ModeSelectionWrite::kMode:
      return WriteLightingBytes(model, commands, lighting_field::kMode, mode_byte);
    case ModeSelectionWrite::kModeAndColourful: {
      const LightingRun runs[] = {{lighting_field::kMode, mode_byte},
                                  {lighting_field::kColourful, colourful_byte}};
      return WriteLightingBytes(model, commands, runs);
    }
  }
  return kResultOk;
}

int WriteDefaultLightingRecord(const LightingModel& model, CommandSet& commands) {
  const auto record = DefaultLightingRecord();
  return WriteLightingBytes(model, commands, 0, record);
}

int WriteLedColour(LightingModel& model, CommandSet& commands, int led, Colour colour) {
  const int profile = model.state.lighting_profile;
  if (!IsValidLightingProfile(profile)) return kResultBadProfile;
  if (led < 0 || led * 3 + 3 > kKeyColourBlockSize) return kResultWriteFailed;
  const auto rgb = ColourBytes(colour);
  std::copy(rgb.begin(), rgb.end(),
            model.key_colours.begin() + profile * kKeyColourBlockSize + led * 3);
  KeyboardExchange exchange(commands.link());
  int result = kResultOk;
  Note(result, commands.BeginExchange());
  Note(result, commands.WriteKeyColors(profile, led, rgb));
  Note(result, commands.EndExchange());
  return result;
}

int WriteAllLedColours(const LightingModel& model, CommandSet& commands) {
  const int profile = model.state.lighting_profile;
  if (!IsValidLightingProfile(profile)) return kResultBadProfile;
  constexpr int kBytesPerFrame = kLedsPerFrame * 3;
  const uint8_t* block = model.key_colours.data() + profile * kKeyColourBlockSize;
  KeyboardExchange exchange(commands.link());
  int result = kResultOk;
  Note(result, commands.BeginExchange());
  for (int k = 0; k < kLedsSent / kLedsPerFrame; ++k) {
    Note(result, commands.WriteKeyColors(
                     profile, k * kLedsPerFrame,
                     std::span<const uint8_t>(block + k * kBytesPerFrame, kBytesPerFrame)));
  }
  Note(result, commands.EndExchange());
  return result;
}

int WriteReportRate(LightingModel& model, CommandSet& commands, int rate) {
  if (rate < 0 || rate > 3) return -1;
  model.state.report_rate = rate;
  const uint8_t byte[1] = {static_cast<uint8_t>(rate)};
  return WriteLightingBytes(model, commands, lighting_field::kReportRate, byte);
}

}  // namespace keyloom
