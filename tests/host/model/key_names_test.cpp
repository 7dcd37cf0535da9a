#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include "base/text.h"
#include "model/key_names.h"

namespace keyloom {
namespace {

class FixedTexts final : public TextSource {
 public:
  std::u16string Text(std::u16string_view key) const override {
    auto it = texts.find(std::u16string(key));
    return it == texts.end() ? u"#Error" : it->second;
  }
  std::map<std::u16string, std::u16string> texts = {
      {u"IDS_KEYBOARD_A", u"A"},
      {u"IDS_KEYBOARD_B", u"B"},
      {u"IDS_KEYBOARD_NUM", u"Num Lock"},
      {u"IDS_KEYBOARD_PAUSE", u"Pause"},
      {u"IDS_KEYBOARD_RSHIFT", u"Right Shift"},
      {u"IDS_KEYBOARD_ESC", u""},  // present but empty
      {u"MEDIA_PALY_PAUSE_2", u"Play/Pause"},
      {u"UNKNOWN_KEY", u"Key 0x%03X"},
      {u"KEY_PROMPT_SET", u" - "},
      {u"KEY_PROMPT_SINGLE", u"key ("},
      {u"KEY_PROMPT_MACRO", u"macro ("},
      {u"KEY_PROMPT_MEDIA", u"media ("},
      {u"KEY_PROMPT_FUNCTION", u"function ("},
      {u"FUNC_KEY_DESC11", u"Lock Win"},
  };
};

std::string U8(const std::u16string& s) { return Utf16ToUtf8(s); }

TEST(KeyName, NamesFromTheLanguage) {
  FixedTexts texts;
  struct {
    KeyCode code;
    const char* name;
  } cases[] = {
      {0x01E, "A"},
      {0x145, "Num Lock"},
      {0x045, "Pause"},
      {0x036, "Right Shift"},
      {0x136, "Right Shift"},  // its own row, the same text key
      {0x122, "Play/Pause"},
      {0x055, "Key 0x055"},   // empty row: the unknown-key format with the code
      {0x064, "Key 0x064"},   // F13 has a row but no text key
      {0x001, "Key 0x001"},   // an empty text counts as none
      {0x200, "Key 0x200"},   // G keys have no row
      {0x01D, "#Error"},      // a missing text key gives the lookup's error text
  };
  for (const auto& c : cases) EXPECT_EQ(U8(KeyName(texts, c.code)), c.name) << std::hex << c.code;
}

TEST(KeyName, BufferHoldsCapacityLessOneCharacters) {
  FixedTexts texts;
  std::array<char16_t, 8> buffer;
  buffer.fill(u'#');
  EXPECT_EQ(KeyName(texts, 0x145, std::span(buffer).first(4)), 3u);
  EXPECT_EQ(std::u16string(buffer.data()), u"Num");
  EXPECT_EQ(buffer[4], u'#');  // nothing written past the capacity
  EXPECT_EQ(KeyName(texts, 0x01E, std::span(buffer).first(4)), 1u);
  EXPECT_EQ(std::u16string(buffer.data()), u"A");
  EXPECT_EQ(KeyName(texts, 0x01E, std::span(buffer).first(1)), 0u);
  EXPECT_EQ(buffer[0], u'\0');
  EXPECT_EQ(KeyName(texts, 0x01E, std::span<char16_t>()), 0u);
}

TEST(KeyName, ListOrdersAndButtonNames) {
  FixedTexts texts;
  EXPECT_EQ(NameForListOrder(texts, 0), u"A");
  EXPECT_EQ(NameForListOrder(texts, 1), u"B");
  EXPECT_EQ(NameForListOrder(texts, 0x802D), u"");  // F13: no text key
  EXPECT_EQ(NameForListOrder(texts, 0x9000), u"");
  EXPECT_EQ(KeyButtonName(texts, 0x202), u"G3");
  EXPECT_EQ(KeyButtonName(texts, 0x01E), u"A");
}

TEST(KeyFunctionTip, DescribesEachAssignment) {
  FixedTexts texts;
  MacroRecord one, two;
  one.macro_id = 1;
  SetMacroName(one, u"one");
  two.macro_id = 2;
  SetMacroName(two, u"two");
  const MacroRecord macros[] = {one, two};
  struct {
    KeyRecord record;
    const char* text;
    bool assigned;
  } cases[] = {
      {{0, 0, 0, 0, 0}, "A", false},
      {{0, 0x301, 5, 1, 0}, "A", false},  // only the type decides
      {{2, 0, 0x030, 0, 0}, "A - key (B)", true},
      {{2, 0, 0x055, 0, 0}, "A - key (Key 0x055)", true},
      {{4, 0, 2, 0, 0}, "A - macro (two)", true},
      {{4, 0, 9, 0, 0}, "A - macro ()", true},
      {{7, 0, 1, 0, 0}, "A - media (Play/Pause)", true},
      {{7, 0, 18, 0, 0}, "A - media (Key 0x012)", true},
      {{8, 0, 10, 0, 0}, "A - function (Lock Win)", true},
      {{8, 0, 11, 0, 0}, "A - function (Key 0x00B)", true},
      {{1, 0, 0, 0, 0}, "A - ", true},
      {{3, 0, 40, 0, 0}, "A - ", true},
      {{5, 0, 0, 0, 0}, "A - ", true},
      {{6, 0, 0, 0, 0}, "A - ", true},
      {{42, 0, 0, 0, 0}, "A - ", true},
  };
  for (const auto& c : cases) {
    KeyTip tip = KeyFunctionTip(texts, u"A", c.record, macros);
    EXPECT_EQ(U8(tip.text), c.text) << "type " << c.record.type << " value " << c.record.value;
    EXPECT_EQ(tip.assigned, c.assigned) << "type " << c.record.type;
  }
}

}  // namespace
}  // namespace keyloom
