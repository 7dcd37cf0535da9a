// Values the user (or a damaged file) can put in the INI files, read by the
// program's own parsers: user data values (the current user mode, key
// colours, tools), settings numbers, application settings, skin rectangles
// and layout values, the lighting-view flag, decimal lists; and language
// texts used as format patterns. Every lookup answers with the input's text,
// cut to the capacity it was asked with, as the INI service does.
//
// Input: byte 0 picks a number argument for the formats, the rest is the
// text as UTF-16 (two bytes a unit).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/format.h"
#include "storage/app_settings.h"
#include "storage/decimal_scan.h"
#include "storage/ini.h"
#include "storage/lighting_view_file.h"
#include "storage/settings.h"
#include "storage/skin_layout.h"
#include "storage/user_data.h"

namespace {

using namespace keyloom;

class AnswerIni final : public IniService {
 public:
  std::u16string GetString(const std::u16string&, std::u16string_view, std::u16string_view, std::u16string_view,
                           size_t capacity) const override {
    return value.substr(0, capacity ? capacity - 1 : 0);
  }
  bool WriteString(const std::u16string&, std::u16string_view, std::u16string_view, std::u16string_view) override {
    return false;
  }
  std::u16string value;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const std::array<int64_t, 8> kNumbers = {0, 1, -1, 40000, INT32_MIN, INT32_MAX, INT64_MIN, INT64_MAX};
  const int64_t number = kNumbers[data[0] % kNumbers.size()];
  std::u16string text((size - 1) / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));

  // A language text as a format: the output stays within what the pattern
  // and its widths (at most 64) can make.
  const size_t bound = (text.size() + 1) * (kMaxFormatWidth + 24) + 64;
  if (FormatText(text, number).size() > bound) std::abort();
  const std::u16string argument = u"C:\\Users\\someone\\profile.fwc";
  if (FormatText(text, argument).size() > bound + text.size() * argument.size()) std::abort();

  std::array<int, 5> list{};
  if (ScanDecimalList(text, list) > list.size()) std::abort();
  ParseDecimal(text);
  ParseSkinRect(text);

  AnswerIni ini;
  ini.value = text;
  ReadSkinRect(ini, u"layout.ini", kButtonSection, u"Apply");
  ReadSkinScreen(ini, u"layout.ini");
  ReadSkinLink(ini, u"layout.ini", 1);

  UserDataStore user_data(ini, u"/nonexistent-keyloom-fuzz", u"/nonexistent-keyloom-fuzz");
  const int mode = user_data.ReadCurrentUserMode(0);
  if (mode < 0 || mode >= kUserModeCount) std::abort();
  const KeyColour colour = user_data.ReadKeyColour(0, mode, 3);
  if (colour.flag != 0 && colour.flag != 1) std::abort();
  user_data.ReadTools(1, mode);
  user_data.ReadUserModeName(2, mode);

  FileSettingsStore settings(ini, u"settings.ini");
  if (const auto dword = settings.ReadDword(u"Language")) {
    // A plain decimal number: the text is its digits.
    if (text.empty() || text.size() > 10) std::abort();
  }
  IniAppSettings app(ini, u"application.ini");
  app.ReadInt(u"PROFILES", u"Flip", 7);
  LightingViewFile view(ini, u"/nonexistent-keyloom-fuzz");
  const int on = view.StoredLightingView();
  if (on != 0 && on != 1) std::abort();
  return 0;
}
