#include "model/key_names.h"

#include <algorithm>

#include "base/format.h"

namespace keyloom {
namespace {

std::u16string UnknownKeyName(const TextSource& texts, uint32_t number) {
  return FormatText(texts.Text(u"UNKNOWN_KEY"), static_cast<int64_t>(number));
}

// Values of records are 32-bit; anything beyond a 16-bit code has no row.
std::u16string NameOfCode(const TextSource& texts, uint32_t code) {
  if (code <= 0xFFFF) {
    const KeyRow& row = KeyTableRow(KeyIndexFromCode(static_cast<KeyCode>(code)));
    if (!row.text_key.empty()) {
      std::u16string text = texts.Text(row.text_key);
      if (!text.empty()) return text;
    }
  }
  return UnknownKeyName(texts, code);
}

}  // namespace

std::u16string KeyName(const TextSource& texts, KeyCode code) { return NameOfCode(texts, code); }

size_t KeyName(const TextSource& texts, KeyCode code, std::span<char16_t> buffer) {
  if (buffer.empty()) return 0;
  std::u16string name = NameOfCode(texts, code);
  size_t n = std::min(name.size(), buffer.size() - 1);
  std::copy_n(name.begin(), n, buffer.begin());
  buffer[n] = u'\0';
  return n;
}

std::u16string NameForListOrder(const TextSource& texts, uint16_t list_order) {
  KeyCode code = CodeFromListOrder(list_order);
  if (code == 0) return {};
  const KeyRow& row = KeyTableRow(KeyIndexFromCode(code));
  return row.text_key.empty() ? std::u16string() : texts.Text(row.text_key);
}

std::u16string KeyButtonName(const TextSource& texts, KeyCode code) {
  if (int g = GKeyNumber(code)) return u"G" + FormatText(u"%d", g);
  return KeyName(texts, code);
}

KeyTip KeyFunctionTip(const TextSource& texts, std::u16string_view button_name,
                      const KeyRecord& record, std::span<const MacroRecord> macros) {
  KeyTip tip;
  tip.text = button_name;
  if (!record.assigned()) return tip;
  tip.assigned = true;
  tip.text += texts.Text(u"KEY_PROMPT_SET");
  switch (record.kind()) {
    case KeyType::kKey:
      tip.text += texts.Text(u"KEY_PROMPT_SINGLE");
      tip.text += NameOfCode(texts, record.value);
      tip.text += u")";
      break;
    case KeyType::kPlayMacro: {
      tip.text += texts.Text(u"KEY_PROMPT_MACRO");
      auto it = std::find_if(macros.begin(), macros.end(), [&](const MacroRecord& m) {
        return m.macro_id == record.value;
      });
      if (it != macros.end()) tip.text.append(it->name, MacroNameLength(*it));
      tip.text += u")";
      break;
    }
    case KeyType::kMedia:
      tip.text += texts.Text(u"KEY_PROMPT_MEDIA");
      if (const MediaEntry* media = MediaEntryOf(record.value)) {
        tip.text += NameOfCode(texts, media->code);
      } else {
        tip.text += UnknownKeyName(texts, record.value);
      }
      tip.text += u")";
      break;
    case KeyType::kFunction:
      tip.text += texts.Text(u"KEY_PROMPT_FUNCTION");
      if (record.value < kKeyboardFunctionTextKeys.size()) {
        tip.text += texts.Text(kKeyboardFunctionTextKeys[record.value]);
      } else {
        tip.text += UnknownKeyName(texts, record.value);
      }
      tip.text += u")";
      break;
    default:  // Disabled, LaunchProgram, StopMacro, TextBlock and unknown types
      break;
  }
  return tip;
}

}  // namespace keyloom
