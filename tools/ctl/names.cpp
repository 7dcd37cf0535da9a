#include "names.h"

#include <algorithm>

#include "base/text.h"
#include "commands.h"
#include "model/key_buttons.h"
#include "model/key_names.h"

namespace keyloom::ctl {

namespace {

bool IsMouseCode(KeyCode code) {
  return std::any_of(kMouseActions.begin(), kMouseActions.end(), [&](const MouseAction& m) { return m.code == code; });
}

bool Matches(const std::u16string& text, const std::string& folded) {
  return !text.empty() && FoldName(Utf16ToUtf8(text)) == folded;
}

// A number 1..count as listed, else the entry whose text matches.
template <typename TextOf>
std::optional<int> ByNameOrNumber(std::string_view name, int count, TextOf text_of) {
  if (auto n = ParseInt(name, 1, count)) return *n - 1;
  const std::string folded = FoldName(name);
  for (int i = 0; i < count; ++i)
    if (Matches(text_of(i), folded)) return i;
  return std::nullopt;
}

template <typename TextOf>
std::string ListNames(int count, TextOf text_of) {
  std::string out;
  for (int i = 0; i < count; ++i) out += (i ? ", " : "") + FoldName(Utf16ToUtf8(text_of(i)));
  return out + " (or 1-" + std::to_string(count) + ")";
}

constexpr std::string_view kMouseWords[] = {"left", "right", "middle", "wheel-up", "wheel-down"};

}  // namespace

std::string FoldName(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == ' ' || c == '_') c = '-';
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out += c;
  }
  return out;
}

std::optional<uint16_t> AssignableKeyByName(const TextSource& texts, std::string_view name) {
  const std::string folded = FoldName(name);
  for (const KeyButton& b : kMainKeyButtons)
    if (Matches(KeyButtonName(texts, b.key_code), folded)) return KeyIndexOf(b);
  for (int g = 0; g < kGKeyCount; ++g)
    if (Matches(KeyButtonName(texts, static_cast<KeyCode>(kCodeG1 + g)), folded))
      return static_cast<uint16_t>(kKeyIndexG1 + g);
  return std::nullopt;
}

std::optional<KeyCode> TargetKeyByName(const TextSource& texts, std::string_view name) {
  const std::string folded = FoldName(name);
  for (uint16_t k = 0; k < kKeyIndexG1; ++k) {
    if (KeyTableRow(k).empty()) continue;
    const KeyCode code = CodeFromKeyIndex(k);
    if (code == 0 || IsMouseCode(code)) continue;
    if (Matches(KeyName(texts, code), folded)) return code;
  }
  return std::nullopt;
}

std::optional<int> MediaByName(const TextSource& texts, std::string_view name) {
  return ByNameOrNumber(name, int(kMediaList.size()), [&](int i) { return texts.Text(kMediaList[i].text_key); });
}

std::optional<int> FunctionByName(const TextSource& texts, std::string_view name) {
  return ByNameOrNumber(name, int(kKeyboardFunctionTextKeys.size()),
                        [&](int i) { return texts.Text(kKeyboardFunctionTextKeys[i]); });
}

std::optional<KeyCode> MouseByName(const TextSource& texts, std::string_view name) {
  const std::string folded = FoldName(name);
  for (size_t i = 0; i < kMouseActions.size(); ++i)
    if (folded == kMouseWords[i] || Matches(texts.Text(kMouseActions[i].text_key), folded)) return kMouseActions[i].code;
  return std::nullopt;
}

std::string MediaNames(const TextSource& texts) {
  return ListNames(int(kMediaList.size()), [&](int i) { return texts.Text(kMediaList[i].text_key); });
}

std::string FunctionNames(const TextSource& texts) {
  return ListNames(int(kKeyboardFunctionTextKeys.size()),
                   [&](int i) { return texts.Text(kKeyboardFunctionTextKeys[i]); });
}

std::string MouseNames() {
  std::string out;
  for (std::string_view w : kMouseWords) out += (out.empty() ? "" : ", ") + std::string(w);
  return out;
}

std::string KeyWord(const TextSource& texts, KeyCode code) {
  std::string word = Utf16ToUtf8(KeyName(texts, code));
  std::replace(word.begin(), word.end(), ' ', '-');
  return word;
}

EventParse ParseMacroEvents(const TextSource& texts, std::span<const std::string> words) {
  EventParse parse;
  for (const std::string& word : words) {
    if (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      if (parse.events.empty()) {
        parse.error = "a delay (" + word + ") must follow an event: the delay is the wait after it";
        return parse;
      }
      if (!parse.events.back().delay.empty()) {
        parse.error = "two delays in a row (" + parse.events.back().delay + " " + word + ")";
        return parse;
      }
      parse.events.back().delay = word;
      continue;
    }
    // The key name may itself hold ':' (a key named ":"), so the action is
    // what follows the last one.
    std::string name = word, action;
    if (const size_t colon = word.rfind(':'); colon != std::string::npos && colon > 0) {
      name = word.substr(0, colon);
      action = FoldName(word.substr(colon + 1));
    }
    const auto code = TargetKeyByName(texts, name);
    if (!code) {
      parse.error = "no key is named \"" + name + "\" (use the names `keyloomctl keys` prints, e.g. a, left-ctrl, f5)";
      return parse;
    }
    if (action == "down" || action == "press") {
      parse.events.push_back({*code, kMacroStatePress, {}});
    } else if (action == "up" || action == "release") {
      parse.events.push_back({*code, kMacroStateRelease, {}});
    } else if (action.empty()) {
      parse.events.push_back({*code, kMacroStatePress, {}});
      parse.events.push_back({*code, kMacroStateRelease, {}});
    } else {
      parse.error = "\"" + word + "\": an event is KEY:down, KEY:up or KEY (down then up)";
      return parse;
    }
  }
  if (parse.events.empty()) parse.error = "a macro needs at least one event, e.g. a:down 50 a:up";
  return parse;
}

std::string FormatMacroEvents(const TextSource& texts, std::span<const MacroEvent> events) {
  std::string out;
  for (const MacroEvent& e : events) {
    if (!out.empty()) out += ' ';
    out += KeyWord(texts, e.key_code) + (e.state == kMacroStateRelease ? ":up" : ":down");
    if (e.delay) out += " " + std::to_string(e.delay);
  }
  return out;
}

}  // namespace keyloom::ctl
