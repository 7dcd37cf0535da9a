#include "storage/user_data.h"

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/format.h"
#include "device/command_set.h"
#include "model/lighting_ops.h"
#include "base/atomic_file.h"
#include "base/file_read.h"
#include "storage/decimal_scan.h"
#include "storage/file_paths.h"
#include "storage/ini.h"
#include "storage/skin_layout.h"

namespace keyloom {
namespace {

constexpr std::u16string_view kPresentModeSection = u"PRESENTMODE";
constexpr std::u16string_view kModeNameSection = u"MODENAME";
constexpr size_t kValueCapacity = 260;
// Ten user modes of 106 keys come to some 45 KB; far more is not a template.
constexpr uint64_t kMaxUserDataTemplateBytes = 4u << 20;

bool ValidProfile(int p) { return p >= 0 && p < kLightingProfiles; }

std::u16string Decimal(int64_t n) { return FormatText(u"%d", n); }
std::u16string ModeSection(int m) { return FormatText(u"Mode%d", m); }

std::u16string RgbText(Colour c) {
  const auto rgb = ColourBytes(c);
  return Decimal(rgb[0]) + u"," + Decimal(rgb[1]) + u"," + Decimal(rgb[2]);
}

// R,G,B[,F]: each component reduced to its low byte; missing ones are 0.
template <size_t N>
std::array<int, N> ScanComponents(std::u16string_view text) {
  std::array<int, N> v{};
  ScanDecimalList(text, v);
  return v;
}

Colour ColourOf(int r, int g, int b) {
  const uint8_t rgb[3] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
  return ColourFromBytes(rgb);
}

}  // namespace

std::u16string UserDataFileName(int number) { return FormatText(u"UserDengColor_%d", number) + u".userd"; }

std::u16string DefaultUserDataFolder() {
  const std::u16string base = LocalAppDataFolder();
  return base.empty() ? std::u16string() : JoinPath(base, kUserDataFolderName);
}

UserDataStore::UserDataStore(IniService& ini, std::u16string user_data_folder, std::u16string program_folder)
    : ini_(ini), folder_(std::move(user_data_folder)), program_folder_(std::move(program_folder)) {}

std::u16string UserDataStore::FilePath(int p) const { return JoinPath(folder_, UserDataFileName(p)); }

std::u16string UserDataStore::TemplatePath() const {
  return JoinPath(SkinFolder(program_folder_), UserDataFileName(kUserDataTemplateNumber));
}

int UserDataStore::ReadCurrentUserMode(int p) const {
  if (!ValidProfile(p)) return 0;
  const int m = ParseDecimal(ini_.GetString(FilePath(p), kPresentModeSection, u"mode", u"0", kValueCapacity));
  // The mode indexes the list of ten names; anything else is the first.
  return m >= 0 && m < kUserModeCount ? m : 0;
}

int UserDataStore::WriteCurrentUserMode(int p, int m) {
  if (!ValidProfile(p)) return 0;
  ini_.WriteString(FilePath(p), kPresentModeSection, u"mode", Decimal(m));
  return 1;
}

std::u16string UserDataStore::ReadUserModeName(int p, int m) const {
  if (!ValidProfile(p)) return u"0";
  return ini_.GetString(FilePath(p), kModeNameSection, Decimal(m), u"0", kUserModeNameCapacity);
}

int UserDataStore::WriteUserModeName(int p, int m, std::u16string_view name) {
  if (!ValidProfile(p)) return 0;
  ini_.WriteString(FilePath(p), kModeNameSection, Decimal(m), name.substr(0, kUserModeNameCapacity - 1));
  return 1;
}

KeyColour UserDataStore::ReadKeyColour(int p, int m, int led) const {
  std::u16string value = u"255,0,0,1";
  if (ValidProfile(p)) value = ini_.GetString(FilePath(p), ModeSection(m), Decimal(led), value, kValueCapacity);
  const auto v = ScanComponents<4>(value);
  return KeyColour{ColourOf(v[0], v[1], v[2]), v[3] != 0 ? 1 : 0};
}

int UserDataStore::WriteKeyColour(int p, int m, int led, Colour colour, int flag) {
  if (!ValidProfile(p)) return 0;
  ini_.WriteString(FilePath(p), ModeSection(m), Decimal(led), RgbText(colour) + u"," + Decimal(flag != 0 ? 1 : 0));
  return 1;
}

UserModeTools UserDataStore::ReadTools(int p, int m) const {
  if (!ValidProfile(p)) return {};
  const std::u16string file = FilePath(p);
  const std::u16string section = ModeSection(m);
  UserModeTools tools;
  tools.tool = ParseDecimal(ini_.GetString(file, section, u"tool", u"0", kValueCapacity));
  const auto base = ScanComponents<3>(ini_.GetString(file, section, u"jcolor", u"0,0,0", kValueCapacity));
  const auto paint = ScanComponents<3>(ini_.GetString(file, section, u"color", u"0,0,0", kValueCapacity));
  tools.base_colour = ColourOf(base[0], base[1], base[2]);
  tools.paint_colour = ColourOf(paint[0], paint[1], paint[2]);
  return tools;
}

int UserDataStore::WriteTools(int p, int m, const UserModeTools& tools) {
  if (!ValidProfile(p)) return 0;
  const std::u16string file = FilePath(p);
  const std::u16string section = ModeSection(m);
  ini_.WriteString(file, section, u"tool", Decimal(tools.tool));
  ini_.WriteString(file, section, u"jcolor", RgbText(tools.base_colour));
  ini_.WriteString(file, section, u"color", RgbText(tools.paint_colour));
  return 1;
}

int UserDataStore::LoadUserMode(LightingModel& lighting, BaseColourFlags& flags, CommandSet& commands,
                                bool send) const {
  const int p = lighting.state.lighting_profile;
  if (!ValidProfile(p)) return kResultBadProfile;
  const int m = ReadCurrentUserMode(p);
  LightingState& state = lighting.state;
  state.user_mode = m;
  const UserModeTools tools = ReadTools(p, m);
  state.painting_tool = tools.tool;
  state.base_colour = tools.base_colour;
  state.paint_colour = tools.paint_colour;

  auto load = [&](int led, int slot) {
    const KeyColour key = ReadKeyColour(p, m, led);
    const auto rgb = ColourBytes(key.colour);
    std::copy(rgb.begin(), rgb.end(), lighting.key_colours.begin() + p * kKeyColourBlockSize + led * 3);
    flags[p][slot] = static_cast<uint8_t>(key.flag);
  };
  for (int i = 0; i < kMainKeyButtonCount; ++i) load(kMainKeyButtons[i].led, i);
  load(kFnLed, kFnSlot);

  return send ? WriteAllLedColours(lighting, commands) : kResultOk;
}

bool UserDataStore::CopyTemplateTo(int p) const {
  if (!ValidProfile(p)) return false;
  std::vector<uint8_t> bytes;
  // A missing template gives an empty file; one that cannot be read leaves
  // the user's file as it is rather than emptying it.
  const ReadResult read = ReadFileBounded(TemplatePath(), kMaxUserDataTemplateBytes, bytes);
  if (!read && read.error != ReadError::kMissing) return false;
  return ReplaceFileAtomically(FilePath(p), std::span<const uint8_t>(bytes));
}

bool UserDataStore::SeedUserDataFolder() const {
  const std::filesystem::path folder = FsPath(folder_);
  std::error_code ec;
  if (std::filesystem::exists(folder, ec)) return true;
  if (!std::filesystem::create_directories(folder, ec)) return false;
  bool ok = true;
  for (int p = 0; p < kLightingProfiles; ++p) ok = CopyTemplateTo(p) && ok;
  return ok;
}

bool UserDataStore::ResetUserData(int p) const { return CopyTemplateTo(p); }

}  // namespace keyloom
