#include <gtest/gtest.h>

#include "persist_support.h"
#include "storage/app_settings.h"
#include "storage/ini.h"

namespace keyloom {
namespace {

TEST(AppSettings, ValuesKeepTheirSectionsAndKinds) {
  persist_test::TempDir dir;
  PortableIniService ini;
  IniAppSettings settings(ini, dir.File("application.ini"));
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Active", 7), 7);
  EXPECT_EQ(settings.ReadString(kProfilesSection, u"Name", u"none"), u"none");

  ASSERT_TRUE(settings.WriteInt(kProfilesSection, u"Active", -2));
  ASSERT_TRUE(settings.WriteString(kProfilesSection, u"Name", u"Gaming"));
  ASSERT_TRUE(settings.WriteInt(u"OTHER", u"Active", 5));
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Active", 0), -2);
  EXPECT_EQ(settings.ReadString(kProfilesSection, u"Name", u""), u"Gaming");
  EXPECT_EQ(settings.ReadInt(u"OTHER", u"Active", 0), 5);
  // A text is not a number.
  EXPECT_EQ(settings.ReadInt(kProfilesSection, u"Name", 9), 9);
}

}  // namespace
}  // namespace keyloom
