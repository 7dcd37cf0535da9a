#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_read.h"
#include "storage/backups.h"
#include "storage/file_paths.h"
#include "storage/persist_support.h"
#include "storage/profile_file.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using persist_test::FixedTexts;
using persist_test::TempDir;

constexpr LocalDateTime kNoon{2025, 3, 14, 12, 0, 7};

std::vector<std::string> Names(const std::vector<BackupFile>& files) {
  std::vector<std::string> names;
  for (const BackupFile& f : files) names.push_back(Utf16ToUtf8(f.name));
  return names;
}

TEST(BackupNames, AreDateAndTimeAndReadBack) {
  EXPECT_EQ(BackupFileName(kNoon), u"Backup 2025-03-14 12-00-07.fwc");
  EXPECT_EQ(BackupFileName({987, 12, 31, 23, 59, 59}, 3), u"Backup 0987-12-31 23-59-59 (3).fwc");
  struct Case {
    std::u16string_view name;
    bool valid;
  };
  const std::vector<Case> cases = {
      {u"Backup 2025-03-14 12-00-07.fwc", true},
      {u"Backup 2025-03-14 12-00-07 (2).fwc", true},
      {u"Backup 2025-03-14 12-00-07 (9999).fwc", true},
      {u"Backup 2025-03-14 12-00-07 (1).fwc", false},  // never made
      {u"Backup 2025-03-14 12-00-07 (02).fwc", false},
      {u"Backup 2025-03-14 12-00-07 ().fwc", false},
      {u"Backup 2025-03-14 12-00-07 (10000).fwc", false},
      {u"Backup 2025-03-14 12-00-07.fwc.bak", false},
      {u"Backup 2025-03-14 12-00-7.fwc", false},
      {u"backup 2025-03-14 12-00-07.fwc", false},
      {u"Backup 2025-03-14 12-00-07.FWC", false},
      {u"My backup.fwc", false},
      {u"Backup .fwc", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    const std::optional<BackupStamp> stamp = ParseBackupFileName(c.name);
    EXPECT_EQ(stamp.has_value(), c.valid) << Utf16ToUtf8(c.name);
    if (stamp) {
      EXPECT_EQ(BackupFileName(stamp->time, stamp->number), c.name);
    }
  }
}

struct BackupFixture : ::testing::Test {
  testing::SimStack sim{'B'};
  TempDir dir;
  FixedTexts texts;
  LocalDateTime now = kNoon;
  std::u16string folder = KeyboardBackups::FolderIn(dir.Folder());
  KeyboardBackups backups{folder, [this] { return now; }};
};

TEST_F(BackupFixture, WritesWhatTheKeyboardHoldsAsAProfileFileInItsOwnFolder) {
  sim.keyboard.EditMemory([](SimMemory& m) { m.keymaps[3] = 0x2A; });
  const BackupResult result = backups.Write(sim.commands, texts);
  ASSERT_TRUE(result) << int(result.error);
  EXPECT_EQ(result.path, JoinPath(folder, u"Backup 2025-03-14 12-00-07.fwc"));
  std::vector<uint8_t> written, expected;
  ASSERT_TRUE(ReadFileBounded(result.path, kMaxProfileFileBytes, written));
  EXPECT_EQ(CheckProfileBytes(written), ProfileCheck::kValid);
  ASSERT_EQ(ReadProfileFromKeyboard(sim.commands, texts, expected), kResultOk);
  EXPECT_EQ(written, expected);

  // A second backup in the same second gets a number, and both are listed
  // newest first.
  ASSERT_TRUE(backups.Write(sim.commands, texts));
  now.second = 8;
  ASSERT_TRUE(backups.Write(sim.commands, texts));
  EXPECT_EQ(Names(backups.List()),
            (std::vector<std::string>{"Backup 2025-03-14 12-00-08.fwc", "Backup 2025-03-14 12-00-07 (2).fwc",
                                      "Backup 2025-03-14 12-00-07.fwc"}));
}

TEST_F(BackupFixture, KeepsTheNewestTwentyAndNothingElseIsTouched) {
  std::filesystem::create_directories(std::filesystem::path(folder));
  for (int minute = 0; minute < 25; ++minute)
    persist_test::WriteFile(folder + u"/" + BackupFileName({2024, 1, 1, 9, minute, 0}), "old");
  for (const char* other : {"/notes.txt", "/Backup mine.fwc", "/Backup 2020-01-01 00-00-00.fwc.part"})
    persist_test::WriteFile(folder + Utf8ToUtf16(other), "mine");

  ASSERT_TRUE(backups.Write(sim.commands, texts));
  const std::vector<BackupFile> kept = backups.List();
  ASSERT_EQ(kept.size(), kBackupsKept);
  EXPECT_EQ(Utf16ToUtf8(kept.front().name), "Backup 2025-03-14 12-00-07.fwc");
  EXPECT_EQ(Utf16ToUtf8(kept.back().name), "Backup 2024-01-01 09-06-00.fwc");  // 09-00 .. 09-05 went
  for (const char* other : {"/notes.txt", "/Backup mine.fwc", "/Backup 2020-01-01 00-00-00.fwc.part"})
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder + Utf8ToUtf16(other)))) << other;
}

TEST_F(BackupFixture, AKeyboardThatCannotBeReadOrAFileThatCannotBeWrittenLeavesNoFile) {
  std::filesystem::create_directories(std::filesystem::path(folder));
  for (int minute = 0; minute < 21; ++minute)
    persist_test::WriteFile(folder + u"/" + BackupFileName({2024, 1, 1, 9, minute, 0}), "old");

  sim.keyboard.Unplug();
  BackupResult unread = backups.Write(sim.commands, texts);
  EXPECT_EQ(unread.error, BackupError::kKeyboard);
  EXPECT_NE(unread.keyboard_result, kResultOk);

  testing::SimStack fresh('B');
  WriteFaults full_disk;
  full_disk.space_left = 1000;
  BackupResult unwritten = backups.Write(fresh.commands, texts, &full_disk);
  EXPECT_EQ(unwritten.error, BackupError::kWrite);
  EXPECT_EQ(unwritten.save.error, SaveError::kWriteFailed);
  // Neither made a file, nor cost an old backup.
  EXPECT_EQ(backups.List().size(), 21u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Backups"});

  // A folder that cannot be made.
  persist_test::WriteFile(dir.File("blocked"), "a file, not a folder");
  KeyboardBackups blocked(dir.File("blocked") + u"/Backups", [] { return kNoon; });
  EXPECT_EQ(blocked.Write(fresh.commands, texts).error, BackupError::kFolder);
}

TEST_F(BackupFixture, BeforeReplacingAFailedBackupAsksAndNoStops) {
  struct Case {
    bool can_write;
    bool answer;
    bool goes_on;
    std::vector<std::string> asked;
  };
  const std::vector<Case> cases = {
      {true, false, true, {}},
      {false, false, false, {"The keyboard's current key assignments and macros could not be backed up. "
                             "Continue without a backup?"}},
      {false, true, true, {"Go on?"}},
  };
  for (const Case& c : cases) {
    persist_test::WriteFile(dir.File("blocked"), "a file, not a folder");
    KeyboardBackups target(c.can_write ? folder : dir.File("blocked") + u"/Backups", [] { return kNoon; });
    texts.texts.clear();
    if (c.answer) texts.texts[u"BACKUP_FAILED_PROMPT"] = u"Go on?";
    std::vector<std::string> asked;
    const bool goes_on = BackUpBeforeReplacing(target, sim.commands, texts, [&](std::u16string_view question) {
      asked.push_back(Utf16ToUtf8(question));
      return c.answer;
    });
    EXPECT_EQ(goes_on, c.goes_on) << c.can_write << c.answer;
    EXPECT_EQ(asked, c.asked);
  }
}

}  // namespace
}  // namespace keyloom
