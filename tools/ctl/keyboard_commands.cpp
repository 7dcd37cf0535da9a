// info, profile, lighting set and dump: the keyboard's settings, lighting and
// memory areas, through the command set and the lighting operations.
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "base/text.h"
#include "commands.h"
#include "model/lighting.h"
#include "model/lighting_ops.h"

namespace keyloom::ctl {

namespace {

// keyloomctl keeps no lighting view setting.
class NoLightingView final : public LightingViewSetting {
 public:
  int StoredLightingView() const override { return 0; }
};

}  // namespace

std::string ColourHex(Colour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

std::optional<Colour> ParseColour(std::string_view text) {
  if (!text.empty() && text[0] == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  uint32_t rgb = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    rgb = (rgb << 4) | static_cast<uint32_t>(digit);
  }
  // RRGGBB as written; a colour holds red in its low byte.
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

namespace {

std::string Hex4(uint16_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", v);
  return buf;
}

}  // namespace

// Reads the mode list and the lighting records, decoding profile p's.
bool ReadLighting(Context& ctx, Session& s, LightingModel& model, int p) {
  model.state.lighting_profile = p;
  if (ReadLightingState(model, s.commands, NoLightingView()) < 0) {
    std::array<uint8_t, kSettingsSize> settings{};
    ctx.KeyboardFailed("ReadSettings", s.commands.ReadSettings(settings));
    return false;
  }
  model.RebuildModeTable();
  return true;
}

// The active profile (0..2), or the failure reported.
std::optional<int> ActiveProfile(Context& ctx, Session& s) {
  const int active = s.commands.GetActiveProfile();
  if (active >= 0 && active < kLightingProfiles) return active;
  if (active >= kLightingProfiles) {
    ctx.Fail(kExitKeyboard, "the keyboard reports active profile index " + std::to_string(active));
    return std::nullopt;
  }
  std::array<uint8_t, kSettingsSize> settings{};
  ctx.KeyboardFailed("ReadSettings", s.commands.ReadSettings(settings));
  return std::nullopt;
}

int CmdInfo(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || !parsed.positional.empty())
    return ctx.Fail(kExitUsage, parsed.error.value_or("info takes no arguments"));
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  const HidAttributes ids = s->link.hid.attributes();
  const KeyboardModel* model = FindModel(ids.vendor_id, ids.product_id);
  const auto active = ActiveProfile(ctx, *s);
  if (!active) return kExitKeyboard;
  LightingModel lighting;
  if (!ReadLighting(ctx, *s, lighting, *active)) return kExitKeyboard;
  const LightingState& st = lighting.state;
  const int capacity = s->link.macro_capacity;

  std::vector<std::pair<int, std::string>> modes;
  for (int i = 0; i < lighting.modes.count(); ++i) {
    const int m = lighting.modes.ModeOfPosition(i);
    modes.emplace_back(m, Utf16ToUtf8(s->texts.ModeName(m)));
  }
  std::string mode_name;
  for (const auto& [m, name] : modes)
    if (m == st.mode) mode_name = name;

  if (ctx.json) {
    JsonArray mode_list;
    for (const auto& [m, name] : modes) mode_list.AddRaw(JsonObject().Add("mode", m).Add("name", name).str());
    JsonObject light;
    light.Add("profile", st.lighting_profile + 1)
        .Add("mode", st.mode)
        .Add("mode_name", mode_name)
        .Add("brightness", st.brightness)
        .Add("speed", st.speed)
        .Add("direction", st.direction)
        .Add("colour", ColourHex(st.colour))
        .AddBool("colourful", st.colourful)
        .Add("report_rate", std::clamp(st.report_rate, 0, 3) + 1);
    return ctx.Done(ctx.Result()
                        .Add("model", std::string(1, model ? model->letter : '?'))
                        .Add("vendor_id", ids.vendor_id)
                        .Add("product_id", ids.product_id)
                        .Add("active_profile", *active + 1)
                        .Add("macro_capacity", capacity)
                        .AddRaw("modes", mode_list.str())
                        .AddRaw("lighting", light.str()));
  }
  std::ostream& o = ctx.out;
  o << "model:            " << (model ? model->letter : '?') << " (vendor 0x" << Hex4(ids.vendor_id)
    << ", product 0x" << Hex4(ids.product_id) << ")\n";
  o << "active profile:   " << *active + 1 << "\n";
  o << "macro capacity:   " << capacity << " bytes\n";
  o << "lighting modes:\n";
  for (const auto& [m, name] : modes) o << "  " << (m < 10 ? " " : "") << m << "  " << name << "\n";
  o << "lighting of profile " << st.lighting_profile + 1 << ":\n";
  o << "  mode:           " << st.mode << (mode_name.empty() ? "" : " (" + mode_name + ")") << "\n";
  o << "  brightness:     " << st.brightness << "\n";
  o << "  speed:          " << st.speed << "\n";
  o << "  direction:      " << st.direction << "\n";
  o << "  colour:         " << ColourHex(st.colour) << "\n";
  o << "  colourful:      " << (st.colourful ? "on" : "off") << "\n";
  o << "  report rate:    " << std::clamp(st.report_rate, 0, 3) + 1 << " (1-4)\n";
  return kExitDone;
}

int CmdProfile(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  if (parsed.error || parsed.positional.size() > 1)
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl profile [N]"));
  std::optional<int> wanted;
  if (!parsed.positional.empty()) {
    wanted = ParseProfile(parsed.positional[0]);
    if (!wanted) return ctx.Fail(kExitUsage, "the profile is 1, 2 or 3, not " + parsed.positional[0]);
  }
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  if (wanted) {
    const int result = s->commands.SetActiveProfile(*wanted);
    if (result != kResultOk) return ctx.KeyboardFailed("SetActiveProfile", result);
    if (!ctx.json) ctx.out << "active profile: " << *wanted + 1 << "\n";
    return ctx.Done(ctx.Result().Add("active_profile", *wanted + 1));
  }
  const auto active = ActiveProfile(ctx, *s);
  if (!active) return kExitKeyboard;
  if (!ctx.json) ctx.out << *active + 1 << "\n";
  return ctx.Done(ctx.Result().Add("active_profile", *active + 1));
}

int CmdLighting(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"profile",   "mode",   "brightness", "speed",
                                                   "direction", "colour", "colourful",  "report-rate"};
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (parsed.error) return ctx.Fail(kExitUsage, *parsed.error);
  if (parsed.positional.size() != 1 || parsed.positional[0] != "set")
    return ctx.Fail(kExitUsage, "usage: keyloomctl lighting set [OPTIONS] (see --help)");
  ctx.command = "lighting set";
  const auto& o = parsed.options;
  auto get = [&](const char* name) -> const std::string* {
    auto it = o.find(name);
    return it == o.end() ? nullptr : &it->second;
  };
  auto bad = [&](const char* name, const char* allowed) {
    return ctx.Fail(kExitUsage, std::string("--") + name + " takes " + allowed + ", not " + *get(name), "bad_value");
  };

  std::optional<int> profile, mode, brightness, speed, direction, report_rate;
  std::optional<Colour> colour;
  std::optional<bool> colourful;
  if (get("profile") && !(profile = ParseProfile(*get("profile")))) return bad("profile", "1, 2 or 3");
  if (get("mode") && !(mode = ParseInt(*get("mode"), 1, 255))) return bad("mode", "a mode number");
  if (get("brightness") && !(brightness = ParseInt(*get("brightness"), 0, 4))) return bad("brightness", "0-4");
  if (get("speed") && !(speed = ParseInt(*get("speed"), 0, 3))) return bad("speed", "0-3");
  if (get("direction")) {
    direction = ParseInt(*get("direction"), 0, 255);
    if (!direction || (*direction != 0 && *direction != 255)) return bad("direction", "0 or 255");
  }
  if (get("colour") && !(colour = ParseColour(*get("colour")))) return bad("colour", "RRGGBB");
  if (const std::string* c = get("colourful")) {
    if (*c == "on") colourful = true;
    else if (*c == "off") colourful = false;
    else return bad("colourful", "on or off");
  }
  // Numbered as the window's four buttons: 1-4.
  if (get("report-rate") && !(report_rate = ParseInt(*get("report-rate"), 1, 4))) return bad("report-rate", "1-4");
  if (o.size() == (profile ? 1u : 0u)) return ctx.Fail(kExitUsage, "nothing to set (see --help)");

  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  if (!profile) {
    profile = ActiveProfile(ctx, *s);
    if (!profile) return kExitKeyboard;
  }
  LightingModel model;
  if (!ReadLighting(ctx, *s, model, *profile)) return kExitKeyboard;
  if (mode && model.modes.PositionOfMode(*mode) < 0) {
    std::string offered;
    for (int i = 0; i < model.modes.count(); ++i)
      offered += (i ? ", " : "") + std::to_string(model.modes.ModeOfPosition(i));
    return ctx.Fail(kExitUsage, "this keyboard does not offer mode " + std::to_string(*mode) +
                                    " (it offers " + (offered.empty() ? "none" : offered) + "); nothing written");
  }

  // Each field as the lighting panel writes it: one exchange per change.
  JsonObject written;
  std::string lines;
  auto report = [&](const char* what, int result, const std::string& shown, int64_t json_value,
                    bool json_text = false) {
    if (result != kResultOk) return false;
    lines += std::string(what) + ": " + shown + "\n";
    if (json_text) written.Add(what, shown);
    else written.Add(what, json_value);
    return true;
  };
  auto write_byte = [&](int field, int value) {
    const uint8_t b[1] = {static_cast<uint8_t>(value)};
    return WriteLightingBytes(model, s->commands, field, b);
  };
  int r;
  if (mode && !report("mode", r = WriteModeSelection(model, s->commands, *mode), std::to_string(*mode), *mode))
    return ctx.KeyboardFailed("writing the mode", r);
  if (brightness) {
    model.state.brightness = *brightness;
    if (!report("brightness", r = write_byte(lighting_field::kBrightness, *brightness), std::to_string(*brightness),
                *brightness))
      return ctx.KeyboardFailed("writing the brightness", r);
  }
  if (speed) {
    model.state.speed = *speed;
    if (!report("speed", r = write_byte(lighting_field::kSpeed, *speed), std::to_string(*speed), *speed))
      return ctx.KeyboardFailed("writing the speed", r);
  }
  if (direction) {
    model.state.direction = *direction;
    if (!report("direction", r = write_byte(lighting_field::kDirection, *direction), std::to_string(*direction),
                *direction))
      return ctx.KeyboardFailed("writing the direction", r);
  }
  if (colour) {
    // A chosen colour ends the changing colours: byte 4 = 0, then the colour.
    model.state.colourful = false;
    model.state.random_colour = false;
    model.state.colour = *colour;
    const uint8_t off[1] = {0};
    const auto rgb = ColourBytes(*colour);
    const LightingRun runs[] = {{lighting_field::kColourful, off}, {lighting_field::kColour, rgb}};
    if (!report("colour", r = WriteLightingBytes(model, s->commands, runs), ColourHex(*colour), 0, true))
      return ctx.KeyboardFailed("writing the colour", r);
  }
  if (colourful) {
    model.state.colourful = *colourful;
    if (!report("colourful", r = write_byte(lighting_field::kColourful, *colourful ? 1 : 0),
                *colourful ? "on" : "off", 0, true))
      return ctx.KeyboardFailed("writing the colourful flag", r);
  }
  if (report_rate) {
    if (!report("report_rate", r = WriteReportRate(model, s->commands, *report_rate - 1),
                std::to_string(*report_rate), *report_rate))
      return ctx.KeyboardFailed("writing the report rate", r);
  }
  if (!ctx.json) ctx.out << "lighting of profile " << *profile + 1 << ":\n" << lines;
  return ctx.Done(ctx.Result().Add("profile", *profile + 1).AddRaw("written", written.str()));
}

int CmdDump(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {});
  const auto& p = parsed.positional;
  const std::string area = p.empty() ? "" : p[0];
  const bool known = area == "settings" || area == "lighting" || area == "default-keymap" || area == "macros" ||
                     area == "keymap";
  if (parsed.error || !known || p.size() != (area == "keymap" ? 2u : 1u))
    return ctx.Fail(kExitUsage, "usage: keyloomctl dump settings|lighting|keymap N|default-keymap|macros");
  std::optional<int> profile;
  if (area == "keymap" && !(profile = ParseProfile(p[1])))
    return ctx.Fail(kExitUsage, "the profile is 1, 2 or 3, not " + p[1]);
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  CommandSet& commands = s->commands;

  std::vector<uint8_t> bytes;
  int r = kResultOk;
  std::string operation;
  const size_t keymap_size = static_cast<size_t>(s->link.keymap_size.load());
  if (area == "settings") {
    std::array<uint8_t, kSettingsSize> settings{};
    operation = "ReadSettings";
    r = commands.ReadSettings(settings);
    bytes.assign(settings.begin(), settings.end());
  } else if (area == "lighting") {
    // As the lighting refresh reads it: the three records inside one exchange.
    bytes.assign(kLightingAreaSize, 0);
    operation = "BeginExchange";
    r = commands.BeginExchange();
    for (int rec = 0; r == kResultOk && rec < kLightingProfiles; ++rec) {
      std::array<uint8_t, kFrameData> answer{};
      operation = "ReadParams";
      r = commands.ReadParams(rec * kLightingRecordSize, static_cast<int>(kFrameData), answer);
      std::copy_n(answer.begin(), kLightingRecordSize, bytes.begin() + rec * kLightingRecordSize);
    }
    const int end = commands.EndExchange();
    if (r == kResultOk && end != kResultOk) {
      operation = "EndExchange";
      r = end;
    }
  } else if (area == "keymap") {
    bytes.assign(keymap_size, 0);
    operation = "ReadKeyMap";
    r = commands.ReadKeyMap(*profile, bytes);
  } else if (area == "default-keymap") {
    bytes.assign(keymap_size, 0);
    operation = "ReadDefaultKeyMap";
    r = commands.ReadDefaultKeyMap(bytes);
  } else {
    bytes.assign(static_cast<size_t>(std::max(0, s->link.macro_capacity.load())), 0);
    operation = "ReadMacros";
    if (!bytes.empty()) r = commands.ReadMacros(bytes);
  }
  if (r != kResultOk) return ctx.KeyboardFailed(operation, r);

  if (!ctx.json) {
    ctx.out << HexDump(bytes);
    return kExitDone;
  }
  JsonObject result = ctx.Result().Add("area", area);
  if (profile) result.Add("profile", *profile + 1);
  return ctx.Done(result.Add("size", static_cast<int64_t>(bytes.size())).Add("hex", HexString(bytes)));
}

}  // namespace keyloom::ctl
