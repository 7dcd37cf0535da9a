// Language texts: which language the user has chosen, which file holds its
// texts, and the lookups in its sections "TEXT", "LIGHT" and "MODE". Every
// lookup reads the file anew (no cache), so an edited language file shows in
// the next text looked up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/text_source.h"

namespace keyloom {

class IniService;
class SettingsStore;

// Window message that makes a window take over the texts of a language:
// wParam = kLanguageMessageTag, lParam = a language index.
inline constexpr uint32_t kLanguageMessage = 0x5041;
inline constexpr uint32_t kLanguageMessageTag = 0x4C414E47;  // 'LANG'

// The languages offered, in order; a language index is a position here.
inline constexpr std::array<uint16_t, 2> kSupportedLanguages = {1033, 1033};

// Regional identifier -> base identifier, tried in order.
struct LanguageMapEntry {
  uint16_t regional;
  uint16_t base;
};
extern const std::array<LanguageMapEntry, 31> kSystemLanguageMap;

inline constexpr std::u16string_view kLanguageValueName = u"dwLanguageId";
inline constexpr std::u16string_view kErrorText = u"#Error";
// Buffer for one text, terminator included: at most 259 characters come back.
inline constexpr size_t kTextCapacity = 260;

// The system's default language identifier (GetSystemDefaultLangID on
// Windows; derived from the locale environment elsewhere).
uint16_t SystemDefaultLanguageId();

class LanguageTexts {
 public:
  // `program_folder` is the folder of the running program; a separator is
  // added when it does not end in one. `system_language` is asked only when
  // no language has been chosen yet.
  LanguageTexts(IniService& ini, SettingsStore& settings, std::u16string program_folder,
                std::function<uint16_t()> system_language = SystemDefaultLanguageId);

  // The stored choice, or the system language mapped and checked against the
  // supported table (then written back as the choice).
  uint32_t CurrentLanguageId();
  // Position of CurrentLanguageId() in kSupportedLanguages, or 0.
  int CurrentLanguageIndex();

  // Text of `key` in the section of the language at `index` (an index out of
  // range counts as 0). A missing file or key gives "#Error"; a key with an
  // empty value gives "".
  std::u16string LookupText(std::u16string_view key, int index) const;
  std::u16string LookupLightText(std::u16string_view key, int index) const;
  std::u16string LookupModeText(std::u16string_view key, int index) const;

  // The language file of `index`: "<program folder>Lang%04X.ini".
  std::u16string LanguageFilePath(int index) const;

 private:
  std::u16string Lookup(std::u16string_view section, std::u16string_view key, int index) const;

  IniService& ini_;
  SettingsStore& settings_;
  std::u16string program_folder_;
  std::function<uint16_t()> system_language_;
};

// The text of `key`, or `fallback` when the language file lacks the key
// (texts that have a fixed default of their own).
inline std::u16string TextOr(const TextSource& texts, std::u16string_view key, std::u16string_view fallback) {
  std::u16string text = texts.Text(key);
  return text == kErrorText ? std::u16string(fallback) : text;
}

// The model's texts in the current language (section "TEXT" of the file of
// CurrentLanguageIndex(), asked anew at every lookup).
class LanguageTextSource final : public TextSource {
 public:
  explicit LanguageTextSource(LanguageTexts& texts) : texts_(texts) {}
  std::u16string Text(std::u16string_view key) const override {
    return texts_.LookupText(key, texts_.CurrentLanguageIndex());
  }

 private:
  LanguageTexts& texts_;
};

}  // namespace keyloom
