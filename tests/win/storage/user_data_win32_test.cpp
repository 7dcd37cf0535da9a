// User data files through the native INI service: the files made from the
// UTF-16 template keep names in any script, and every write goes through the
// save routine (no temporary file stays beside them).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "storage/ini.h"
#include "storage/ini_conformance.h"
#include "storage/user_data.h"

namespace keyloom {
namespace {

TEST(UserDataNative, UserModeNameInJapaneseReadsBackAsWritten) {
  ini_conformance::TempFolder dir;
  NativeIniService ini;
  const std::u16string folder = (dir.path() / "Valdric RGB Mechanical Keyboard").u16string();
  UserDataStore store(ini, folder, Utf8ToUtf16(KEYLOOM_SOURCE_DIR "/assets"));
  ASSERT_TRUE(store.SeedUserDataFolder());
  const std::u16string name = u"\u65E5\u672C\u8A9E\u306E\u30E2\u30FC\u30C9 \U0001F3B9";
  EXPECT_EQ(store.WriteUserModeName(1, 7, name), 1);
  EXPECT_EQ(store.ReadUserModeName(1, 7), name);
  EXPECT_EQ(store.ReadUserModeName(1, 0), u"Rainbow");
  store.WriteKeyColour(1, 7, 53, 0x00FF00, 0);
  EXPECT_EQ(store.ReadKeyColour(1, 7, 53), (KeyColour{0x00FF00, 0}));
  const auto bytes = ini_conformance::ReadBytes(store.FilePath(1));
  ASSERT_TRUE(bytes && bytes->size() > 2);
  EXPECT_EQ(bytes->substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(folder)), {}), 3);
}

}  // namespace
}  // namespace keyloom
