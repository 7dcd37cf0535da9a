#include <gtest/gtest.h>

#include <map>

#include "base/format.h"
#include "base/text.h"
#include "model/key_names.h"
#include "storage/ini.h"
#include "storage/ini_conformance.h"
#include "storage/language.h"
#include "storage/settings.h"
#include "storage/text_key_walk.h"
#include "storage/text_keys.h"

namespace keyloom {
namespace {

using ini_conformance::TempFolder;
using ini_conformance::WriteBytes;

// An in-memory settings store that records every write.
class FakeSettings final : public SettingsStore {
 public:
  std::optional<uint32_t> ReadDword(std::u16string_view name) const override {
    const auto it = values.find(std::u16string(name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteDword(std::u16string_view name, uint32_t value) override {
    values[std::u16string(name)] = value;
    writes.push_back(value);
    return true;
  }
  std::map<std::u16string, uint32_t> values;
  std::vector<uint32_t> writes;
};

TEST(Language, CurrentLanguageIdFromStoredChoiceOrSystem) {
  struct Case {
    const char* name;
    std::optional<uint32_t> stored;
    uint16_t system;
    uint32_t expected_id;
    std::vector<uint32_t> expected_writes;
  };
  const Case cases[] = {
      {"stored choice wins", 2052, 0x0409, 2052, {}},
      {"absent, French (Canada) maps to unsupported 1036", std::nullopt, 0x0C0C, 1033, {0, 1033}},
      {"absent, English (UK) maps to 1033", std::nullopt, 0x0809, 1033, {0, 1033}},
      {"absent, German (Austria) maps to unsupported 1031", std::nullopt, 0x0C07, 1033, {0, 1033}},
      {"absent, unmapped system language", std::nullopt, 0x0411, 1033, {0, 1033}},
      {"zero means not chosen", 0, 0x0409, 1033, {1033}},
  };
  for (const Case& c : cases) {
    FakeSettings settings;
    if (c.stored) settings.values[u"dwLanguageId"] = *c.stored;
    PortableIniService ini;
    LanguageTexts texts(ini, settings, u"/nowhere", [&] { return c.system; });
    EXPECT_EQ(texts.CurrentLanguageId(), c.expected_id) << c.name;
    EXPECT_EQ(settings.writes, c.expected_writes) << c.name;
    EXPECT_EQ(texts.CurrentLanguageIndex(), 0) << c.name;
  }
}

TEST(Language, UnsupportedStoredLanguageStillReadsTheEnglishFile) {
  FakeSettings settings;
  settings.values[u"dwLanguageId"] = 2052;
  PortableIniService ini;
  LanguageTexts texts(ini, settings, u"C:\\Program Files\\Keyloom\\");
  EXPECT_EQ(texts.LanguageFilePath(texts.CurrentLanguageIndex()), u"C:\\Program Files\\Keyloom\\Lang0409.ini");
  EXPECT_EQ(texts.LanguageFilePath(1), u"C:\\Program Files\\Keyloom\\Lang0409.ini");
  EXPECT_EQ(texts.LanguageFilePath(-1), texts.LanguageFilePath(0));
  EXPECT_EQ(texts.LanguageFilePath(7), texts.LanguageFilePath(0));
}

class LanguageFile : public ::testing::Test {
 protected:
  void WriteLanguageFile(const std::string& bytes) { WriteBytes(texts_.LanguageFilePath(0), bytes); }

  TempFolder folder_;
  FakeSettings settings_;
  PortableIniService ini_;
  LanguageTexts texts_{ini_, settings_, folder_.path().u16string()};
};

TEST_F(LanguageFile, LookupsAndTheirFallbacks) {
  EXPECT_EQ(texts_.LookupText(u"MAIN_CAPTION", 0), u"#Error");  // no file yet
  WriteLanguageFile("[TEXT]\r\nMAIN_CAPTION=Caption\r\nEMPTY=\r\nLONG=" + std::string(300, 'w') +
                    "\r\n[LIGHT]\r\nColor=Colour\r\n[MODE]\r\n1=Wave\r\n");
  EXPECT_EQ(texts_.LookupText(u"main_caption", 0), u"Caption");
  EXPECT_EQ(texts_.LookupText(u"MAIN_CAPTION", 5), u"Caption");  // out of range counts as 0
  EXPECT_EQ(texts_.LookupText(u"EMPTY", 0), u"");
  EXPECT_EQ(texts_.LookupText(u"MISSING", 0), u"#Error");
  EXPECT_EQ(texts_.LookupText(u"LONG", 0), std::u16string(259, u'w'));
  EXPECT_EQ(texts_.LookupText(u"Color", 0), u"#Error");  // only in LIGHT
  EXPECT_EQ(texts_.LookupLightText(u"Color", 0), u"Colour");
  EXPECT_EQ(texts_.LookupModeText(u"1", 0), u"Wave");
  EXPECT_EQ(texts_.LookupModeText(u"2", 0), u"#Error");
}

TEST_F(LanguageFile, EditedFileShowsInTheNextLookup) {
  WriteLanguageFile("[TEXT]\nMAIN_CAPTION=Before\n");
  EXPECT_EQ(texts_.LookupText(u"MAIN_CAPTION", 0), u"Before");
  WriteLanguageFile("[TEXT]\nMAIN_CAPTION=After\n");
  EXPECT_EQ(texts_.LookupText(u"MAIN_CAPTION", 0), u"After");
}

// A language file is user-editable: a translated text that carries printf
// conversions reaches the user as text and never reads an argument that was
// not given.
TEST_F(LanguageFile, HostileFormatTextsArePrintedLiterally) {
  WriteLanguageFile("[TEXT]\nUNKNOWN_KEY=%s%s%n %99999d %\nPROFILE_FORMAT_ERROR=%d %n %s %s\n");
  LanguageTextSource source(texts_);
  const std::u16string name = KeyName(source, 0x055);  // a row without a key
  EXPECT_EQ(name, u"%s%s%n " + std::u16string(kMaxFormatWidth - 2, u' ') + u"85 %");
  EXPECT_EQ(FormatText(texts_.LookupText(u"PROFILE_FORMAT_ERROR", 0), std::u16string_view(u"a.fwc")),
            u"%d %n a.fwc %s");
}

TEST(Language, FileSettingsStoreKeepsDwordsAndRefusesOtherValues) {
  TempFolder folder;
  PortableIniService ini;
  const std::u16string path = (folder.path() / "sub" / "settings.ini").u16string();
  FileSettingsStore store(ini, path);
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), std::nullopt);
  ASSERT_TRUE(store.WriteDword(u"dwLanguageId", 4294967295u));  // the folder is created
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), 4294967295u);
  for (const char16_t* bad : {u"", u"12x", u"-1", u"4294967296", u" 7a"}) {
    ASSERT_TRUE(ini.WriteString(path, u"Settings", u"dwLanguageId", bad));
    EXPECT_EQ(store.ReadDword(u"dwLanguageId"), std::nullopt) << Utf16ToUtf8(bad);
  }
  // Not a number: treated as no choice, and the derived language is stored.
  LanguageTexts texts(ini, store, folder.path().u16string(), [] { return uint16_t{0x0C0C}; });
  EXPECT_EQ(texts.CurrentLanguageId(), 1033u);
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), 1033u);
}

// The shipped English file: every text the program looks up is there.
class ShippedLanguageFile : public ::testing::Test {
 protected:
  FakeSettings settings_;
  PortableIniService ini_;
  LanguageTexts texts_{ini_, settings_, Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets")};
};

TEST_F(ShippedLanguageFile, HasATextForEveryKeyTheProgramLooksUp) {
  const auto all = AllLookedUpTexts();
  ASSERT_GT(all.size(), 200u);
  for (const LookedUpText& t : all) {
    const std::u16string text = t.section == u"TEXT"    ? texts_.LookupText(t.key, 0)
                                : t.section == u"LIGHT" ? texts_.LookupLightText(t.key, 0)
                                                        : texts_.LookupModeText(t.key, 0);
    EXPECT_NE(text, u"#Error") << Utf16ToUtf8(t.section) << "/" << Utf16ToUtf8(t.key);
    EXPECT_FALSE(text.empty()) << Utf16ToUtf8(t.section) << "/" << Utf16ToUtf8(t.key);
  }
}

TEST_F(ShippedLanguageFile, FormatTextsCarryExactlyOneConversionOfTheRightKind) {
  for (const FormatTextKey& f : kFormatTextKeys) {
    const std::u16string pattern = texts_.LookupText(f.key, 0);
    const bool number = f.argument == FormatArgument::kNumber;
    const std::u16string right = number ? FormatText(pattern, 123) : FormatText(pattern, std::u16string_view(u"ARG"));
    const std::u16string wrong = number ? FormatText(pattern, std::u16string_view(u"ARG")) : FormatText(pattern, 123);
    EXPECT_NE(right, wrong) << Utf16ToUtf8(f.key) << ": no conversion for its argument";
    EXPECT_EQ(right.find(u'%'), std::u16string::npos) << Utf16ToUtf8(f.key) << ": " << Utf16ToUtf8(right);
  }
  // Texts that are not formats carry no conversion at all.
  for (auto key : kTextKeys) {
    bool is_format = false;
    for (const FormatTextKey& f : kFormatTextKeys) is_format |= f.key == key;
    if (!is_format) {
      EXPECT_EQ(texts_.LookupText(key, 0).find(u'%'), std::u16string::npos) << Utf16ToUtf8(key);
    }
  }
}

TEST_F(ShippedLanguageFile, KeyNamesAndTextsThatKeepTheirSpaces) {
  LanguageTextSource source(texts_);
  EXPECT_EQ(KeyName(source, 0x145), u"Num Lock");
  EXPECT_EQ(KeyName(source, 0x148), u"\u2191");
  EXPECT_EQ(KeyName(source, 0x02B), u"\\");
  EXPECT_EQ(KeyName(source, 0x00D), u"=");
  EXPECT_EQ(KeyName(source, 0x028), u"'");
  EXPECT_EQ(KeyName(source, 0x055), u"Unknown key (0x055)");
  // Texts that are joined to others keep the spaces at their ends.
  EXPECT_EQ(texts_.LookupText(u"MACRO_NEW_PREFIX", 0), u"Macro ");
  EXPECT_EQ(texts_.LookupText(u"PROFILE_TIP", 0), u"Profile: ");
  EXPECT_EQ(texts_.LookupText(u"KEY_PROMPT_SET", 0) + texts_.LookupText(u"KEY_PROMPT_SINGLE", 0),
            u": reassigned (key: ");
}

}  // namespace
}  // namespace keyloom
