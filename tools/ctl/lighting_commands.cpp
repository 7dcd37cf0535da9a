// report-rate, defaults and colour: the profile bar's and the lighting
// panel's writes, made with the same lighting operations and user data files.
#include <algorithm>
#include <mutex>

#include "base/text.h"
#include "commands.h"
#include "key_edit.h"
#include "model/key_apply.h"
#include "model/key_buttons.h"
#include "model/key_names.h"
#include "model/lighting_ops.h"
#include "names.h"
#include "storage/user_data.h"

namespace keyloom::ctl {

namespace {

// The LED of a key by its name (as `keys` prints it, or "fn"), and its slot
// among the base-colour flags.
struct KeyLed {
  int led = -1;
  int slot = -1;
};

std::optional<KeyLed> KeyLedByName(const TextSource& texts, const std::string& name) {
  if (FoldName(name) == "fn") return KeyLed{kFnLed, kFnSlot};
  const auto key = AssignableKeyByName(texts, name);
  if (!key) return std::nullopt;
  if (*key >= kKeyIndexG1) return KeyLed{kGKeyLed, kGKeySlot0 + (*key - kKeyIndexG1)};
  for (int i = 0; i < kMainKeyButtonCount; ++i)
    if (KeyIndexOf(kMainKeyButtons[i]) == *key) return KeyLed{kMainKeyButtons[i].led, i};
  return std::nullopt;
}

// The user data of profile p loaded as the profile buttons load it: its
// user mode's per-key colours in the lighting table and the base flags.
struct UserLighting {
  UserLighting(Context& ctx, Session& s)
      : user_data(*s.texts.ini, UserDataFolder(), ctx.env.program_folder) {
    user_data.SeedUserDataFolder();
  }
  UserDataStore user_data;
  LightingModel lighting;
  BaseColourFlags flags{};
};

constexpr std::string_view kColourUsage =
    "usage: keyloomctl colour KEY RRGGBB | colour --all RRGGBB | colour user-mode N (1-10) [--profile N]";

}  // namespace

int CmdReportRate(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"profile"};
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (parsed.error) return ctx.Fail(kExitUsage, *parsed.error, "usage");
  if (parsed.positional.size() > 1)
    return ctx.Fail(kExitUsage, "usage: keyloomctl report-rate [1-4] [--profile N]", "usage");
  std::optional<int> rate, profile;
  if (!parsed.positional.empty() && !(rate = ParseInt(parsed.positional[0], 1, 4)))
    return ctx.Fail(kExitUsage, "the report rate is 1, 2, 3 or 4 (the window's four buttons), not " +
                                    parsed.positional[0], "bad_value");
  int exit = kExitDone;
  if (!ProfileOption(ctx, parsed, profile, exit)) return exit;
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  if (!profile && !(profile = ActiveProfile(ctx, *s))) return kExitKeyboard;
  LightingModel model;
  if (!ReadLighting(ctx, *s, model, *profile)) return kExitKeyboard;
  if (rate) {
    if (const int r = WriteReportRate(model, s->commands, *rate - 1); r != kResultOk)
      return ctx.KeyboardFailed("writing the report rate", r);
  }
  const int shown = std::clamp(model.state.report_rate, 0, 3) + 1;
  if (!ctx.json) ctx.out << "report rate of profile " << *profile + 1 << ": " << shown << "\n";
  return ctx.Done(ctx.Result().Add("profile", *profile + 1).Add("report_rate", shown));
}

int CmdDefaults(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"profile"};
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (parsed.error || !parsed.positional.empty())
    return ctx.Fail(kExitUsage, parsed.error.value_or("usage: keyloomctl defaults [--profile N]"), "usage");
  std::optional<int> profile;
  int exit = kExitDone;
  if (!ProfileOption(ctx, parsed, profile, exit)) return exit;
  auto e = BeginKeyEdit(ctx, profile);
  if (!e) return kExitKeyboard;
  Session& s = *e->session;
  // As the Defaults button with the lighting view on: the keys of the
  // profile, its user data file and lighting record, then Apply.
  {
    std::lock_guard lock(e->edit().mutex);
    const auto indices = MainKeyIndices();
    ResetProfileKeys(e->edit(), e->profile, indices, nullptr);
  }
  UserLighting user(ctx, s);
  if (!ReadLighting(ctx, s, user.lighting, e->profile)) return kExitKeyboard;
  user.user_data.ResetUserData(e->profile);
  int r = user.user_data.LoadUserMode(user.lighting, user.flags, s.commands, true);
  if (r != kResultOk) return ctx.KeyboardFailed("sending the per-key colours", r);
  r = WriteDefaultLightingRecord(user.lighting, s.commands);
  if (r != kResultOk) return ctx.KeyboardFailed("writing the default lighting", r);
  return FinishKeyEdit(ctx, *e,
                       "profile " + std::to_string(e->profile + 1) + ": keys, lighting and per-key colours restored\n",
                       ctx.Result().Add("profile", e->profile + 1));
}

int CmdColour(Context& ctx, std::span<const std::string> args) {
  static constexpr std::string_view kOptions[] = {"profile", "all"};
  // "--all" is a flag here: its value is the colour.
  const ParsedArgs parsed = ParseArgs(args, kOptions);
  if (parsed.error) return ctx.Fail(kExitUsage, *parsed.error, "usage");
  const auto& p = parsed.positional;
  const bool all = parsed.options.count("all") != 0;
  const bool user_mode = !all && p.size() == 2 && p[0] == "user-mode";
  if ((all && !p.empty()) || (!all && p.size() != 2)) return ctx.Fail(kExitUsage, std::string(kColourUsage), "usage");
  std::optional<int> profile, mode;
  int exit = kExitDone;
  if (!ProfileOption(ctx, parsed, profile, exit)) return exit;
  std::optional<Colour> colour;
  if (user_mode) {
    ctx.command = "colour user-mode";
    if (!(mode = ParseInt(p[1], 1, kUserModeCount)))
      return ctx.Fail(kExitUsage, "the user mode is 1-" + std::to_string(kUserModeCount) + ", not " + p[1], "bad_value");
  } else {
    const std::string& text = all ? parsed.options.at("all") : p[1];
    if (!(colour = ParseColour(text)))
      return ctx.Fail(kExitUsage, "a colour is RRGGBB in hexadecimal (FF0000 is red), not " + text, "bad_value");
  }
  auto s = ctx.Connect();
  if (!s) return kExitKeyboard;
  const TextSource& texts = s->texts.source;
  std::optional<KeyLed> key;
  if (!all && !user_mode && !(key = KeyLedByName(texts, p[0])))
    return ctx.Fail(kExitUsage, "no key of the keyboard is named \"" + p[0] + "\" (the names `keyloomctl keys` prints, or fn)",
                    "bad_value");
  if (!profile && !(profile = ActiveProfile(ctx, *s))) return kExitKeyboard;
  UserLighting user(ctx, *s);
  if (!ReadLighting(ctx, *s, user.lighting, *profile)) return kExitKeyboard;
  // The user mode's colours into the table, as a profile button loads them.
  user.user_data.LoadUserMode(user.lighting, user.flags, s->commands, false);
  LightingState& st = user.lighting.state;
  const int pr = *profile;
  int r = kResultOk;
  std::string text;
  JsonObject result = ctx.Result().Add("profile", pr + 1);
  if (user_mode) {
    // As choosing a user mode in the lighting panel.
    st.user_mode = *mode - 1;
    user.user_data.WriteCurrentUserMode(pr, st.user_mode);
    r = user.user_data.LoadUserMode(user.lighting, user.flags, s->commands, true);
    if (r != kResultOk) return ctx.KeyboardFailed("sending the per-key colours", r);
    text = "profile " + std::to_string(pr + 1) + ": user mode " + std::to_string(*mode) + " (" +
           Utf16ToUtf8(user.user_data.ReadUserModeName(pr, st.user_mode)) + ")\n";
    result.Add("user_mode", *mode);
  } else if (key) {
    // As a paint click with the painting tool.
    r = WriteLedColour(user.lighting, s->commands, key->led, *colour);
    if (r != kResultOk) return ctx.KeyboardFailed("writing the key's colour", r);
    user.flags[pr][key->slot] = 0;
    user.user_data.WriteKeyColour(pr, st.user_mode, key->led, *colour, 0);
    text = "profile " + std::to_string(pr + 1) + ": " + FoldName(p[0]) + " " + ColourHex(*colour) + "\n";
    result.Add("key", FoldName(p[0])).Add("colour", ColourHex(*colour));
  } else {
    // Every key painted, then the whole table in one exchange.
    const auto rgb = ColourBytes(*colour);
    for (int slot = 0; slot < kKeyButtonSlots; ++slot) {
      const int led = slot < kMainKeyButtonCount ? kMainKeyButtons[slot].led : slot < kFnSlot ? kGKeyLed : kFnLed;
      std::copy(rgb.begin(), rgb.end(), user.lighting.key_colours.begin() + pr * kKeyColourBlockSize + led * 3);
      user.flags[pr][slot] = 0;
      user.user_data.WriteKeyColour(pr, st.user_mode, led, *colour, 0);
    }
    r = WriteAllLedColours(user.lighting, s->commands);
    if (r != kResultOk) return ctx.KeyboardFailed("writing the per-key colours", r);
    text = "profile " + std::to_string(pr + 1) + ": every key " + ColourHex(*colour) + "\n";
    result.Add("colour", ColourHex(*colour));
  }
  if (st.mode != kModePerKey)
    text += "note: the per-key colours show in mode " + std::to_string(kModePerKey) +
            ": keyloomctl lighting set --mode " + std::to_string(kModePerKey) + "\n";
  if (!ctx.json) ctx.out << text;
  return ctx.Done(result.AddBool("per_key_mode", st.mode == kModePerKey));
}

}  // namespace keyloom::ctl
