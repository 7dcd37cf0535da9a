// The main window's steps that replace what the keyboard holds (Restore
// defaults, an import) back the keyboard up first, and the companion program
// is told when the keyboard's active profile changes.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "storage/backups.h"
#include "storage/profile_file.h"
#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::Assigned;
using testing::FrameCommands;
using testing::MainWorld;
using Calls = std::vector<std::string>;

constexpr uint16_t kKey = 0x1E;

bool IsRead(int command) { return command == 3 || command == 7 || command == 9; }

struct BackupWorld {
  BackupWorld() {
    // A file where the folder of the failing backups would go.
    persist_test::WriteFile(w.dir.File("blocked"), "a file, not a folder");
    w.Create();
    w.Arrive();
    // The file to import assigns kKey; the keyboard has it unassigned.
    KeyStore file_store;
    NewProfileFile(u"", 0, &file_store);
    file_store.SetRecord(0, kKey, Assigned(KeyType::kKey, 0x030));
    EXPECT_TRUE(ExportProfileFile(import_path, file_store));
  }

  // The two steps, each with the answers to its questions before the
  // backup's; `kept` tells whether the edit store is as it was.
  struct Step {
    const char* name;
    std::function<void(BackupWorld&)> prepare;
    int command;
    std::function<bool(BackupWorld&)> kept;
  };
  static std::vector<Step> Steps() {
    return {
        {"restore defaults",
         [](BackupWorld& t) {
           t.w.stores.edit.SetRecord(0, kKey, Assigned(KeyType::kKey, 0x030));
           t.w.view.answers = {true};  // "MAIN_PROMPT_DEFAULT"
         },
         kCmdRestoreDefaults, [](BackupWorld& t) { return t.w.stores.edit.Record(0, kKey).assigned(); }},
        {"import", [](BackupWorld& t) { t.w.files.answers = {t.import_path}; }, kCmdImport,
         [](BackupWorld& t) { return !t.w.stores.edit.Record(0, kKey).assigned(); }},
    };
  }

  void Use(KeyboardBackups& backups) { w.model.backups = &backups; }
  void Run(const Step& step, std::deque<bool> backup_answers = {}) {
    step.prepare(*this);
    for (bool a : backup_answers) w.view.answers.push_back(a);
    w.ClearFrames();
    w.view.calls.clear();
    w.logic.OnCommand(step.command);
  }
  bool WroteToKeyboard() const {
    for (int c : FrameCommands(w.sim.Frames()))
      if (!IsRead(c)) return true;
    return false;
  }

  MainWorld w;
  std::u16string import_path = w.dir.File("import.fwc");
  KeyboardBackups backups{w.dir.File("Backups"), [] { return LocalDateTime{2025, 6, 1, 8, 30, 0}; }};
  KeyboardBackups blocked{w.dir.File("blocked") + u"/Backups", [] { return LocalDateTime{2025, 6, 1, 8, 30, 0}; }};
};

TEST(MainBackup, TheBackupIsOnDiskBeforeTheFirstWriteReachesTheKeyboard) {
  for (const BackupWorld::Step& step : BackupWorld::Steps()) {
    BackupWorld t;
    t.Use(t.backups);
    std::vector<size_t> backups_at_first_write;
    t.w.sim.keyboard.SetFrameHook([&](int, const CommandFrame& frame) {
      if (backups_at_first_write.empty() && !IsRead(frame[frame::kCommand]))
        backups_at_first_write.push_back(t.backups.List().size());
    });
    t.Run(step);
    EXPECT_EQ(backups_at_first_write, std::vector<size_t>{1}) << step.name;
    EXPECT_FALSE(t.w.view.Called("ask BACKUP_FAILED_PROMPT")) << step.name;
    EXPECT_FALSE(step.kept(t)) << step.name;
  }
}

TEST(MainBackup, AFailedBackupAsksAndNoStopsTheStepBeforeAnythingIsWritten) {
  for (const BackupWorld::Step& step : BackupWorld::Steps()) {
    for (const bool yes : {false, true}) {
      BackupWorld t;
      t.Use(t.blocked);
      t.Run(step, {yes});
      EXPECT_TRUE(t.w.view.Called("ask BACKUP_FAILED_PROMPT")) << step.name;
      EXPECT_EQ(t.WroteToKeyboard(), yes) << step.name << " " << yes;
      EXPECT_EQ(step.kept(t), !yes) << step.name << " " << yes;
      EXPECT_EQ(t.w.logic.modified(), false) << step.name << " " << yes;
      // Nothing is left waiting: the window takes commands again.
      EXPECT_FALSE(t.w.logic.applying()) << step.name;
    }
  }
}

TEST(MainBackup, WithoutAKeyboardThereIsNothingToKeepAndNothingIsAsked) {
  for (const BackupWorld::Step& step : BackupWorld::Steps()) {
    BackupWorld t;
    t.Use(t.blocked);
    t.w.sim.keyboard.Unplug();
    t.w.sim.link.connected = 0;
    t.Run(step);
    EXPECT_FALSE(t.w.view.Called("ask BACKUP_FAILED_PROMPT")) << step.name;
    EXPECT_FALSE(step.kept(t)) << step.name << ": the edit store still changes";
  }
}

TEST(MainBackup, CancellingTheImportDialogBacksNothingUp) {
  BackupWorld t;
  t.Use(t.backups);
  t.w.ClearFrames();
  t.w.logic.OnCommand(kCmdImport);  // the picker has no answer: cancelled
  EXPECT_TRUE(t.backups.List().empty());
  EXPECT_TRUE(t.w.sim.Frames().empty());
}

TEST(MainWindowKeyward, IsToldWhenTheActiveProfileChangesAndOnlyThen) {
  MainWorld w;
  w.Create();
  w.Arrive();
  EXPECT_EQ(w.view.told_profiles, std::vector<int>{}) << "the profile the keyboard came with is no change";

  const auto told_after = [&](const std::function<void()>& act) {
    w.view.told_profiles.clear();
    act();
    return w.view.told_profiles;
  };
  EXPECT_EQ(told_after([&] { w.logic.OnCommand(kProfileButtonIds[1]); }), std::vector<int>{1});
  EXPECT_EQ(told_after([&] { w.logic.OnCommand(kProfileButtonIds[1]); }), std::vector<int>{}) << "already active";
  EXPECT_EQ(told_after([&] { w.logic.OnCommand(kCmdProfileMenuFirst + 3); }), std::vector<int>{2});
  // The keyboard switched by itself and says so.
  EXPECT_EQ(told_after([&] {
              w.sim.keyboard.EditMemory([](SimMemory& m) { m.settings[10] = 0; });
              w.logic.OnTimer(kTimerProfileChanged);
            }),
            std::vector<int>{0});
  // The profile manager's Apply made another one active.
  w.view.on_profile_manager = [&] { w.sim.commands.SetActiveProfile(1); };
  EXPECT_EQ(told_after([&] { w.logic.OnCommand(kCmdProfiles); }), std::vector<int>{1});
  // Plugged in again: told only when it comes back with another profile.
  EXPECT_EQ(told_after([&] { w.Replug(); }), std::vector<int>{});
  EXPECT_EQ(told_after([&] {
              w.sim.keyboard.EditMemory([](SimMemory& m) { m.settings[10] = 2; });
              w.Replug();
            }),
            std::vector<int>{2});
}

}  // namespace
}  // namespace keyloom
