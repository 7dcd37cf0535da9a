// Every (section, key) the program looks up in a language file, gathered
// from the lists the program itself uses.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/key_tables.h"
#include "storage/text_keys.h"

namespace keyloom {

struct LookedUpText {
  std::u16string section;
  std::u16string key;
};

inline std::vector<LookedUpText> AllLookedUpTexts() {
  std::vector<LookedUpText> all;
  for (uint32_t index = 0; index < 256; ++index) {
    const KeyRow& row = KeyTableRow(index);
    if (!row.text_key.empty()) all.push_back({u"TEXT", std::u16string(row.text_key)});
  }
  for (const MediaEntry& m : kMediaList) all.push_back({u"TEXT", std::u16string(m.text_key)});
  for (auto key : kKeyboardFunctionTextKeys) all.push_back({u"TEXT", std::u16string(key)});
  for (const MouseAction& a : kMouseActions) all.push_back({u"TEXT", std::u16string(a.text_key)});
  for (auto key : ModelTextKeys()) all.push_back({u"TEXT", std::u16string(key)});
  for (auto key : kTextKeys) all.push_back({u"TEXT", std::u16string(key)});
  for (auto key : kLightTextKeys) all.push_back({u"LIGHT", std::u16string(key)});
  for (int mode = kFirstModeNumber; mode <= kLastModeNumber; ++mode) {
    std::u16string number;
    for (char c : std::to_string(mode)) number.push_back(static_cast<char16_t>(c));
    all.push_back({u"MODE", number});
  }
  return all;
}

}  // namespace keyloom
