#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup.h"
#include "ui/main/main_window_logic.h"

namespace keyloom {
namespace {

class RecordingEnvironment final : public InstanceEnvironment {
 public:
  bool MutexExists() override {
    calls.push_back("open mutex");
    return mutex_exists;
  }
  void CreateMutexOwned() override { calls.push_back("create mutex"); }
  uint32_t FindRunningCopy() override {
    calls.push_back("find");
    return running;
  }
  void SendToMainWindow(uint32_t pid, unsigned message, uint32_t tag) override {
    std::string name = tag == kMainTagKill ? "KILL" : tag == kMainTagOpen ? "OPEN" : "?";
    calls.push_back("send " + name + " to " + std::to_string(pid) + (message == kMainMsgKill   ? " (0x4D4B)"
                                                                     : message == kMainMsgOpen ? " (0x5350)"
                                                                                               : ""));
  }
  void StartDaemon() override { calls.push_back("daemon"); }

  bool mutex_exists = false;
  uint32_t running = 0;
  std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(Startup, FirstStartCreatesTheMutexAndStartsTheDaemon) {
  RecordingEnvironment env;
  std::atomic<int> quiet{1};
  EXPECT_EQ(RunStartupChecks({u"Keyloom.exe"}, env, quiet), StartupResult::kContinue);
  EXPECT_EQ(env.calls, (Calls{"open mutex", "create mutex", "daemon"}));
  EXPECT_EQ(quiet, 0);  // cleared at the start of the scan
}

TEST(Startup, SecondStartAsksTheRunningCopyToOpenAndExitsWithoutTheDaemon) {
  RecordingEnvironment env;
  env.mutex_exists = true;
  env.running = 77;
  std::atomic<int> quiet{0};
  EXPECT_EQ(RunStartupChecks({u"Keyloom.exe", u"/Killer"}, env, quiet), StartupResult::kExit);
  EXPECT_EQ(env.calls, (Calls{"open mutex", "find", "send OPEN to 77 (0x5350)"}));
}

TEST(Startup, MutexWithoutARunningCopyStartsAsIfAlone) {
  RecordingEnvironment env;
  env.mutex_exists = true;
  std::atomic<int> quiet{0};
  EXPECT_EQ(RunStartupChecks({u"Keyloom.exe"}, env, quiet), StartupResult::kContinue);
  EXPECT_EQ(env.calls, (Calls{"open mutex", "find", "daemon"}));
}

TEST(Startup, KillEndsTheRunningCopyWholeArgumentAnyCase) {
  for (const char16_t* arg : {u"/Kill", u"/kill", u"/KILL"}) {
    RecordingEnvironment env;
    env.mutex_exists = true;
    env.running = 9;
    std::atomic<int> quiet{0};
    EXPECT_EQ(RunStartupChecks({u"Keyloom.exe", arg}, env, quiet), StartupResult::kExit);
    EXPECT_EQ(env.calls, (Calls{"find", "send KILL to 9 (0x4D4B)"}));
  }
  EXPECT_FALSE(IsKillArgument(u"/Killer"));
  EXPECT_FALSE(IsKillArgument(u"Kill"));
  EXPECT_FALSE(IsKillArgument(u"-Kill"));
}

TEST(Startup, KillWithNoRunningCopyStartsNormallyAndScansOn) {
  RecordingEnvironment env;
  std::atomic<int> quiet{0};
  EXPECT_EQ(RunStartupChecks({u"Keyloom.exe", u"/Kill", u"/start"}, env, quiet), StartupResult::kContinue);
  EXPECT_EQ(env.calls, (Calls{"find", "open mutex", "create mutex", "daemon"}));
  EXPECT_EQ(quiet, 1);
}

TEST(Startup, StartSetsTheQuietFlagOnlyForTheWholeWord) {
  struct Case {
    std::u16string arg;
    int quiet;
  };
  const Case cases[] = {{u"/Start", 1}, {u"/START", 1}, {u"/start", 1}, {u"/Started", 0}, {u"Start", 0}, {u"", 0}};
  for (const Case& c : cases) {
    RecordingEnvironment env;
    std::atomic<int> quiet{0};
    RunStartupChecks({u"Keyloom.exe", c.arg}, env, quiet);
    EXPECT_EQ(quiet, c.quiet);
  }
  // The program name itself is not an argument.
  RecordingEnvironment env;
  std::atomic<int> quiet{0};
  RunStartupChecks({u"/Start"}, env, quiet);
  EXPECT_EQ(quiet, 0);
}

TEST(Startup, ProgramPathsAreBesideTheExecutable) {
  const ProgramPaths p = DeriveProgramPaths(u"C:\\Program Files\\Keyloom\\Keyloom.exe");
  EXPECT_EQ(p.program_folder, u"C:\\Program Files\\Keyloom\\");
  EXPECT_EQ(p.program_file_name, u"Keyloom.exe");
  EXPECT_EQ(p.help_folder, u"C:\\Program Files\\Keyloom\\Help\\");
  EXPECT_EQ(p.main_skin, u"C:\\Program Files\\Keyloom\\Skins\\Main.ini");
  EXPECT_EQ(p.skin_folder, u"C:\\Program Files\\Keyloom\\Skins\\");
  EXPECT_EQ(p.composite_skin, u"C:\\Program Files\\Keyloom\\Skins\\Composite.ini");
  EXPECT_EQ(p.daemon, u"C:\\Program Files\\Keyloom\\Keyward.exe");

  const ProgramPaths posix = DeriveProgramPaths(u"/opt/keyloom/keyloomctl");
  EXPECT_EQ(posix.program_file_name, u"keyloomctl");
  EXPECT_EQ(posix.profile_skin, u"/opt/keyloom/Skins/Profile.ini");
}

}  // namespace
}  // namespace keyloom
