#include "storage/language.h"

#include <algorithm>

#include "storage/ini.h"
#include "storage/settings.h"

namespace keyloom {

const std::array<LanguageMapEntry, 31> kSystemLanguageMap = {{
    // English variants
    {0x0C04, 1033}, {0x1004, 1033}, {0x0809, 1033}, {0x0C09, 1033}, {0x1009, 1033}, {0x1409, 1033},
    {0x1809, 1033}, {0x1C09, 1033}, {0x2009, 1033}, {0x2409, 1033}, {0x2809, 1033}, {0x2C09, 1033},
    // French variants
    {0x080C, 1036}, {0x2C0C, 1036}, {0x0C0C, 1036}, {0x240C, 1036}, {0x300C, 1036}, {0x3C0C, 1036},
    {0x140C, 1036}, {0x340C, 1036}, {0x180C, 1036}, {0x380C, 1036}, {0xE40C, 1036}, {0x200C, 1036},
    {0x280C, 1036}, {0x100C, 1036}, {0x1C0C, 1036},
    // German variants
    {0x0C07, 1031}, {0x1407, 1031}, {0x1007, 1031}, {0x0807, 1031},
}};

namespace {

#if defined(_WIN32)
constexpr char16_t kSeparator = u'\\';
#else
constexpr char16_t kSeparator = u'/';
#endif

bool IsSupported(uint32_t id) {
  return std::find(kSupportedLanguages.begin(), kSupportedLanguages.end(), id) != kSupportedLanguages.end();
}

}  // namespace

LanguageTexts::LanguageTexts(IniService& ini, SettingsStore& settings, std::u16string program_folder,
                             std::function<uint16_t()> system_language)
    : ini_(ini), settings_(settings), program_folder_(std::move(program_folder)),
      system_language_(std::move(system_language)) {
  if (!program_folder_.empty() && program_folder_.back() != u'\\' && program_folder_.back() != u'/')
    program_folder_.push_back(kSeparator);
}

uint32_t LanguageTexts::CurrentLanguageId() {
  const std::optional<uint32_t> stored = settings_.ReadDword(kLanguageValueName);
  if (!stored) settings_.WriteDword(kLanguageValueName, 0);
  if (stored && *stored != 0) return *stored;

  uint32_t id = system_language_ ? system_language_() : 0;
  for (const LanguageMapEntry& entry : kSystemLanguageMap) {
    if (entry.regional == id) {
      id = entry.base;
      break;
    }
  }
  if (!IsSupported(id)) id = 1033;
  settings_.WriteDword(kLanguageValueName, id);
  return id;
}

int LanguageTexts::CurrentLanguageIndex() {
  const uint32_t id = CurrentLanguageId();
  const auto it = std::find(kSupportedLanguages.begin(), kSupportedLanguages.end(), id);
  return it == kSupportedLanguages.end() ? 0 : static_cast<int>(it - kSupportedLanguages.begin());
}

std::u16string LanguageTexts::LanguageFilePath(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= kSupportedLanguages.size()) index = 0;
  const uint16_t id = kSupportedLanguages[static_cast<size_t>(index)];
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string name = u"Lang";
  for (int shift = 12; shift >= 0; shift -= 4) name.push_back(kHex[(id >> shift) & 0xF]);
  name += u".ini";
  return program_folder_ + name;
}

std::u16string LanguageTexts::Lookup(std::u16string_view section, std::u16string_view key, int index) const {
  // A missing file or key gives the default "#Error"; a key with an empty
  // value gives the empty text the service returns for it.
  return ini_.GetString(LanguageFilePath(index), section, key, kErrorText, kTextCapacity);
}

std::u16string LanguageTexts::LookupText(std::u16string_view key, int index) const {
  return Lookup(u"TEXT", key, index);
}

std::u16string LanguageTexts::LookupLightText(std::u16string_view key, int index) const {
  return Lookup(u"LIGHT", key, index);
}

std::u16string LanguageTexts::LookupModeText(std::u16string_view key, int index) const {
  return Lookup(u"MODE", key, index);
}

}  // namespace keyloom
