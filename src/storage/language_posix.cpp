#include <cstdlib>
#include <string_view>

#include "storage/language.h"

namespace keyloom {

namespace {

struct LocaleId {
  std::string_view locale;  // "ll_CC" or "ll" for the language alone
  uint16_t id;
};

// The locales whose identifiers matter here: those of the language map and
// the supported table. Any other locale counts as English (United States).
constexpr LocaleId kLocales[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_JM", 0x2009}, {"en_BZ", 0x2809}, {"en_TT", 0x2C09},
    {"en", 0x0409},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
    {"fr_LU", 0x140C}, {"fr_MC", 0x180C}, {"fr", 0x040C},    {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"de", 0x0407},    {"zh_HK", 0x0C04},
    {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh", 0x0804},
};

}  // namespace

uint16_t SystemDefaultLanguageId() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    value = std::getenv(name);
    if (value && *value) break;
  }
  if (!value) return 0x0409;
  std::string_view locale(value);
  locale = locale.substr(0, locale.find_first_of(".@"));  // "fr_CA.UTF-8" -> "fr_CA"
  const std::string_view language = locale.substr(0, locale.find('_'));
  for (const LocaleId& l : kLocales)
    if (l.locale == locale) return l.id;
  for (const LocaleId& l : kLocales)
    if (l.locale == language) return l.id;
  return 0x0409;
}

}  // namespace keyloom
