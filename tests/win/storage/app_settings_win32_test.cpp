#include <gtest/gtest.h>

#include <windows.h>

#include "storage/app_settings.h"

namespace keyloom {
namespace {

TEST(RegistryAppSettings, IntegersAndTextsPerSection) {
  const std::u16string root = u"Software\\Keyloom Tests\\AppSettings";
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Keyloom Tests\\AppSettings");
  RegistryAppSettings settings(root);
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Active", 3), 3);
  ASSERT_TRUE(settings.WriteInt(kProfilesSection, u"Active", 2));
  ASSERT_TRUE(settings.WriteString(kProfilesSection, u"Name", u"Profil \u00e9t\u00e9"));
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Active", 0), 2);
  EXPECT_EQ(settings.ReadString(kProfilesSection, u"Name", u""), u"Profil \u00e9t\u00e9");
  // A value of the other kind reads as the default.
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Name", -1), -1);
  EXPECT_EQ(settings.ReadString(kProfilesSection, u"Active", u"x"), u"x");

  // Stored where the framework keeps them: one key per section.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Keyloom Tests\\AppSettings\\PROFILES", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD value = 0, size = sizeof(value), type = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Active", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  RegCloseKey(key);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Keyloom Tests");
}

}  // namespace
}  // namespace keyloom
