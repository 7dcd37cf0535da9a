#include <gtest/gtest.h>

#include "app/single_instance_win32.h"
#include "base/text.h"
#include "ui/ui_test_support.h"

namespace keyloom {
namespace {

std::u16string OwnFileName() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string full = FromWide(path);
  return full.substr(full.find_last_of(u"\\/") + 1);
}

TEST(SingleInstance, FindsAProcessByItsFileNameAndSkipsTheGivenOne) {
  const std::u16string name = OwnFileName();
  EXPECT_EQ(FindProcessByFileName(name, 0), GetCurrentProcessId());
  std::u16string upper = name;
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
  EXPECT_EQ(FindProcessByFileName(upper, 0), GetCurrentProcessId());
  EXPECT_NE(FindProcessByFileName(name, GetCurrentProcessId()), GetCurrentProcessId());
  EXPECT_EQ(FindProcessByFileName(u"no-such-program.exe", 0), 0u);
}

TEST(SingleInstance, TheEnvironmentCreatesTheMutexAndStartsTheDaemonHidden) {
  UniqueHandle mutex;
  testing::RecordingLauncher shell;
  Win32InstanceEnvironment env(mutex, u"Keyloom.exe", u"C:\\Program\\Keyward.exe", shell, u"KeyloomTestMutex-1");
  EXPECT_FALSE(env.MutexExists());
  env.CreateMutexOwned();
  EXPECT_TRUE(mutex);
  EXPECT_TRUE(env.MutexExists());
  env.StartDaemon();
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].verb, u"open");
  EXPECT_EQ(shell.calls[0].file, u"C:\\Program\\Keyward.exe");
  EXPECT_EQ(shell.calls[0].parameters, u"");
  EXPECT_EQ(shell.calls[0].show, SW_HIDE);
  mutex.reset();
  EXPECT_FALSE(env.MutexExists());
}

}  // namespace
}  // namespace keyloom
