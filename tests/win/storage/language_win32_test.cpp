// The registry settings store, and the shipped language file read through the
// native service.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "base/text.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/settings.h"
#include "storage/text_key_walk.h"

namespace keyloom {
namespace {

// A registry key of its own under HKEY_CURRENT_USER, deleted afterwards.
class TestRegistryKey {
 public:
  TestRegistryKey() {
    std::random_device rd;
    subkey_ = u"Software\\Keyloom tests\\settings-" + Utf8ToUtf16(std::to_string(rd()));
  }
  ~TestRegistryKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, AsWide(subkey_));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Keyloom tests");  // only when empty
  }
  const std::u16string& subkey() const { return subkey_; }

 private:
  std::u16string subkey_;
};

TEST(RegistrySettings, DwordRoundTripAndOtherTypesCountAsAbsent) {
  TestRegistryKey key;
  RegistrySettingsStore store(key.subkey());
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), std::nullopt);  // key missing
  ASSERT_TRUE(store.WriteDword(u"dwLanguageId", 2052));
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), 2052u);

  HKEY h = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(key.subkey()), 0, KEY_SET_VALUE, &h), ERROR_SUCCESS);
  const wchar_t text[] = L"1033";
  RegSetValueExW(h, L"dwLanguageId", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  RegCloseKey(h);
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), std::nullopt);

  // Not a REG_DWORD: treated as no choice; the derived language replaces it.
  NativeIniService ini;
  LanguageTexts texts(ini, store, u"C:\\nowhere", [] { return uint16_t{0x0C0C}; });
  EXPECT_EQ(texts.CurrentLanguageId(), 1033u);
  EXPECT_EQ(store.ReadDword(u"dwLanguageId"), 1033u);
}

TEST(ShippedLanguageFileNative, ReadsTheSameThroughBothServices) {
  NativeIniService native;
  PortableIniService portable;
  std::u16string folder = Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets");
  for (auto& c : folder)
    if (c == u'/') c = u'\\';
  const std::u16string file = folder + u"\\Lang0409.ini";
  for (const LookedUpText& t : AllLookedUpTexts()) {
    const std::u16string n = native.GetString(file, t.section, t.key, u"#Error", kTextCapacity);
    EXPECT_NE(n, u"#Error") << Utf16ToUtf8(t.key);
    EXPECT_EQ(Utf16ToUtf8(portable.GetString(file, t.section, t.key, u"#Error", kTextCapacity)), Utf16ToUtf8(n))
        << Utf16ToUtf8(t.key);
  }
}

}  // namespace
}  // namespace keyloom
