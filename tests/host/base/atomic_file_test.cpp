// The save routine and the bounded reader: what a save refuses, what it
// keeps (permissions, owner, the old file on failure), what it never touches
// (a link planted at a temporary name), and what it cleans up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/file_read.h"
#include "base/text.h"
#include "storage/persist_support.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace keyloom {
namespace {

namespace fs = std::filesystem;
using persist_test::ReadFile;
using persist_test::TempDir;
using persist_test::WriteFile;
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

SaveResult Save(const std::u16string& path, const std::string& content, const WriteFaults* faults = nullptr) {
  const Bytes bytes = Text(content);
  const std::span<const uint8_t> pieces[] = {bytes};
  return SaveFileAtomically(path, pieces, faults);
}

TEST(AtomicFile, TemporaryNamesAreRecognisedAndNothingElseIs) {
  const std::u16string name = TemporaryNameFor(u"backup.fwc", 0x0123456789ABCDEFull);
  EXPECT_EQ(name, u".backup.fwc.0123456789abcdef.tmp");
  EXPECT_TRUE(IsTemporaryNameOf(name, u"backup.fwc"));
  const std::u16string others[] = {
      u"backup.fwc", u".backup.fwc.0123456789abcde.tmp", u".backup.fwc.0123456789abcdeg.tmp",
      u".backup.fwc.0123456789ABCDEF.tmp", u".backup.fwcx0123456789abcdef.tmp", u".backup.fwc.0123456789abcdef.tmp~",
      u"backup.fwc.tmp~", u".other.fwc.0123456789abcdef.tmp",
  };
  for (const std::u16string& other : others) EXPECT_FALSE(IsTemporaryNameOf(other, u"backup.fwc")) << Utf16ToUtf8(other);
  // A long name is cut so the temporary name stays within the system's limit.
  const std::u16string long_name(250, u'n');
  EXPECT_EQ(TemporaryNameFor(long_name, 1).size(), 1 + 200 + 1 + 16 + 4u);
  EXPECT_TRUE(IsTemporaryNameOf(TemporaryNameFor(long_name, 1), long_name));
}

TEST(AtomicFile, SavesANewFileAndReplacesAnOldOne) {
  TempDir dir;
  const std::u16string path = dir.File("data.bin");
  ASSERT_TRUE(Save(path, "first"));
  EXPECT_EQ(ReadFile(path), Text("first"));
  ASSERT_TRUE(Save(path, "second, longer"));
  EXPECT_EQ(ReadFile(path), Text("second, longer"));
  ASSERT_TRUE(Save(path, ""));
  EXPECT_TRUE(ReadFile(path).empty());
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"data.bin"});
}

TEST(AtomicFile, FailuresLeaveTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const std::u16string path = dir.File("data.bin");
  struct Case {
    const char* name;
    WriteFaults faults;
    SaveError error;
  };
  const Case cases[] = {
      {"disk full", {.space_left = 3}, SaveError::kWriteFailed},
      {"flush fails", {.fail_flush = true}, SaveError::kFlushFailed},
      {"replace fails", {.fail_replace = true}, SaveError::kReplaceFailed},
  };
  for (const Case& c : cases) {
    WriteFile(path, std::string("old"));
    EXPECT_EQ(Save(path, "new content", &c.faults).error, c.error) << c.name;
    EXPECT_EQ(ReadFile(path), Text("old")) << c.name;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"data.bin"}) << c.name;
  }
  const SaveResult missing = Save(dir.File("no such folder") + u"/x.bin", "x");
  EXPECT_EQ(missing.error, SaveError::kNoFolder);
  EXPECT_NE(DescribeSaveError(missing).find("its folder cannot be used ("), std::string::npos)
      << DescribeSaveError(missing);
}

TEST(AtomicFile, ReadOnlyTargetIsRefused) {
  TempDir dir;
  const std::u16string path = dir.File("locked.bin");
  WriteFile(path, std::string("kept"));
  fs::permissions(FsPath(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const SaveResult r = Save(path, "new");
  EXPECT_EQ(r.error, SaveError::kReadOnly);
  EXPECT_EQ(DescribeSaveError(r), "it is read-only");
  fs::permissions(FsPath(path), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadFile(path), Text("kept"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"locked.bin"});
}

// Temporary files of crashed saves go with the next save of that file; the
// file of a save still running, other files and other files' temporaries stay.
TEST(AtomicFile, NextSaveRemovesLeftoversOfThatFileOnly) {
  TempDir dir;
  const std::u16string path = dir.File("data.bin");
  const std::string left1 = Utf16ToUtf8(TemporaryNameFor(u"data.bin", 1));
  const std::string left2 = Utf16ToUtf8(TemporaryNameFor(u"data.bin", 2));
  const std::string live = Utf16ToUtf8(TemporaryNameFor(u"data.bin", 3));
  const std::string other = Utf16ToUtf8(TemporaryNameFor(u"other.bin", 4));
  for (const std::string& name : {left1, left2, live, other, std::string("data.bin.tmp~"), std::string(".data.bin.x.tmp")})
    WriteFile(dir.File(name), std::string("partial"));
  {
    // A save in progress holds its file: by a lock on POSIX, by an open
    // handle that does not share deletion on Windows.
#if defined(_WIN32)
    std::ofstream held(dir.path() / live, std::ios::app);
#else
    const int held = open((dir.path() / live).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
#endif
    ASSERT_TRUE(Save(path, "whole"));
#if !defined(_WIN32)
    close(held);
#endif
  }
  std::vector<std::string> expected = {".data.bin.x.tmp", "data.bin", "data.bin.tmp~", live, other};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir.Entries(), expected);
  ASSERT_TRUE(Save(path, "whole again"));
  expected.erase(std::find(expected.begin(), expected.end(), live));
  EXPECT_EQ(dir.Entries(), expected);
}

TEST(FileRead, ReadsWholeFilesWithinTheLimitOnly) {
  TempDir dir;
  const std::u16string path = dir.File("ten.bin");
  WriteFile(path, std::string("0123456789"));
  Bytes bytes;
  ReadResult r = ReadFileBounded(path, 10, bytes);
  ASSERT_TRUE(r);
  EXPECT_EQ(bytes, Text("0123456789"));
  r = ReadFileBounded(path, 9, bytes);
  EXPECT_EQ(r.error, ReadError::kTooLarge);
  EXPECT_EQ(r.size, 10u);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(ReadFileBounded(dir.File("missing"), 10, bytes).error, ReadError::kMissing);
  r = ReadFileBounded(dir.Folder(), 10, bytes);
  EXPECT_EQ(r.error, ReadError::kNotRegularFile);
  EXPECT_EQ(DescribeReadError(r), "it is a folder, not a regular file");
  // Opened for reading only: a read-only file reads.
  fs::permissions(FsPath(path), fs::perms::owner_read);
  EXPECT_TRUE(ReadFileBounded(path, 10, bytes));
  fs::permissions(FsPath(path), fs::perms::owner_all);
}

// Names in any script, on both systems. (A Windows name that is not
// well-formed UTF-16 goes to the system unchanged too, but Wine cannot store
// one on a Linux disk.)
TEST(AtomicFile, NamesInAnyScriptAreSavedAndReadUnderThemselves) {
  TempDir dir;
  const std::vector<std::u16string> names = {u"\u65E5\u672C\u8A9E.fwc", u"caf\u00E9 \U0001F3B9.fwc"};
  for (const std::u16string& name : names) {
    const std::u16string path = dir.Folder() + u"/" + name;
    ASSERT_TRUE(Save(path, "named")) << Utf16ToWtf8(name);
    ASSERT_TRUE(Save(path, "named again")) << Utf16ToWtf8(name);
    Bytes bytes;
    ASSERT_TRUE(ReadFileBounded(path, 100, bytes)) << Utf16ToWtf8(name);
    EXPECT_EQ(bytes, Text("named again"));
    EXPECT_TRUE(fs::exists(FsPath(path))) << Utf16ToWtf8(name);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), static_cast<std::ptrdiff_t>(names.size()));
}

TEST(AtomicFile, FolderIsRefused) {
  TempDir dir;
  fs::create_directory(dir.path() / "folder");
  const SaveResult r = Save(dir.File("folder"), "x");
  EXPECT_EQ(r.error, SaveError::kNotRegularFile);
  EXPECT_EQ(r.kind, FileKind::kFolder);
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder"});
}

#if defined(_WIN32)
TEST(AtomicFile, DeviceIsRefused) {
  for (const char16_t* device : {u"NUL", u"CON", u"\\\\.\\NUL", u"C:\\folder\\com1.fwc", u"lpt9", u"conout$"}) {
    const SaveResult r = Save(device, "x");
    EXPECT_EQ(r.error, SaveError::kNotRegularFile) << Utf16ToUtf8(device) << " " << r.system_error;
    EXPECT_EQ(r.kind, FileKind::kDevice) << Utf16ToUtf8(device);
  }
}
#endif

#if !defined(_WIN32)

mode_t ModeOf(const std::u16string& path) {
  struct stat st {};
  lstat(FsPath(path).c_str(), &st);
  return st.st_mode;
}

TEST(AtomicFile, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
  TempDir dir;
  WriteFile(dir.File("real.bin"), std::string("real"));
  fs::create_directory(dir.path() / "folder");
  ASSERT_EQ(mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  fs::create_symlink(dir.path() / "real.bin", dir.path() / "link");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  struct Case {
    std::u16string path;
    FileKind kind;
    const char* message;
  };
  const Case cases[] = {
      {dir.File("folder"), FileKind::kFolder, "it is a folder, not a regular file"},
      {dir.File("folder") + u"/", FileKind::kFolder, "it is a folder, not a regular file"},
      {dir.File("pipe"), FileKind::kPipe, "it is a pipe, not a regular file"},
      {dir.File("link"), FileKind::kLink, "it is a link, not a regular file"},
      {dir.File("dangling"), FileKind::kLink, "it is a link, not a regular file"},
      {u"/dev/null", FileKind::kDevice, "it is a device, not a regular file"},
  };
  const auto before = dir.Entries();
  for (const Case& c : cases) {
    const SaveResult r = Save(c.path, "overwritten");
    EXPECT_EQ(r.error, SaveError::kNotRegularFile) << Utf16ToUtf8(c.path);
    EXPECT_EQ(r.kind, c.kind) << Utf16ToUtf8(c.path);
    EXPECT_EQ(DescribeSaveError(r), c.message);
  }
  EXPECT_EQ(dir.Entries(), before);
  EXPECT_EQ(ReadFile(dir.File("real.bin")), Text("real"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
  EXPECT_TRUE(S_ISCHR(ModeOf(u"/dev/null")));
  EXPECT_TRUE(S_ISFIFO(ModeOf(dir.File("pipe"))));

  Bytes bytes;
  ReadResult r = ReadFileBounded(dir.File("pipe"), 100, bytes);  // does not wait for a writer
  EXPECT_EQ(r.error, ReadError::kNotRegularFile);
  EXPECT_EQ(r.kind, FileKind::kPipe);
  EXPECT_EQ(ReadFileBounded(u"/dev/zero", 100, bytes).kind, FileKind::kDevice);
}

// Someone who may write to the folder plants links, at the moment the save
// tries each name, at the temporary names it is about to use: to a file the
// save must not touch and to a place where nothing is. The save goes round
// them, and nothing the links point to changes or appears.
TEST(AtomicFile, LinksPlantedAtTheTemporaryNamesAreNeverFollowed) {
  TempDir dir;
  TempDir elsewhere;
  const std::u16string path = dir.File("data.bin");
  WriteFile(path, std::string("old"));
  const std::u16string victim = elsewhere.File("victim");
  WriteFile(victim, std::string("victim's own"));
  const fs::path hard_victim = dir.path() / "hard victim";
  WriteFile(hard_victim.u16string(), std::string("hard victim's own"));

  uint64_t next = 0;
  WriteFaults faults;
  faults.random_name = [&] {
    ++next;
    const fs::path at = dir.path() / Utf16ToUtf8(TemporaryNameFor(u"data.bin", next));
    switch (next % 3) {
      case 1: fs::create_symlink(FsPath(victim), at); break;
      case 2: fs::create_symlink(elsewhere.path() / ("nothing" + std::to_string(next)), at); break;
      default: fs::create_hard_link(hard_victim, at); break;
    }
    return next <= 9 ? next : next + 1000;  // from the tenth try on, a free name
  };
  ASSERT_TRUE(Save(path, "new", &faults));
  EXPECT_EQ(next, 10u);
  EXPECT_EQ(ReadFile(path), Text("new"));
  EXPECT_EQ(ReadFile(victim), Text("victim's own"));
  EXPECT_EQ(ReadFile(hard_victim.u16string()), Text("hard victim's own"));
  EXPECT_EQ(elsewhere.Entries(), std::vector<std::string>{"victim"});
  EXPECT_TRUE(S_ISREG(ModeOf(path)));

  // The next save removes the links (never what they point to).
  ASSERT_TRUE(Save(path, "newer"));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"data.bin", "hard victim"}));
  EXPECT_EQ(ReadFile(victim), Text("victim's own"));
  EXPECT_EQ(ReadFile(hard_victim.u16string()), Text("hard victim's own"));

  // When every name is taken the save gives up cleanly.
  uint64_t tries = 0;
  faults.random_name = [&] {
    const uint64_t n = ++tries;
    fs::create_symlink(FsPath(victim), dir.path() / Utf16ToUtf8(TemporaryNameFor(u"data.bin", n)));
    return n;
  };
  EXPECT_EQ(Save(path, "never", &faults).error, SaveError::kCannotCreate);
  EXPECT_EQ(ReadFile(path), Text("newer"));
  EXPECT_EQ(ReadFile(victim), Text("victim's own"));
}

TEST(AtomicFile, PermissionsAndOwnerOfTheTargetAreKept) {
  TempDir dir;
  const std::u16string path = dir.File("data.bin");
  for (mode_t mode : {0600, 0640, 0604, 0755, 0200}) {
    WriteFile(path, std::string("old"));
    ASSERT_EQ(chmod(FsPath(path).c_str(), mode), 0);
    ASSERT_TRUE(Save(path, "new")) << std::oct << mode;
    EXPECT_EQ(ModeOf(path) & 07777, mode) << std::oct << mode;
  }
  // A new file gets what any new file gets.
  const mode_t mask = umask(022);
  ASSERT_TRUE(Save(dir.File("fresh.bin"), "x"));
  umask(mask);
  EXPECT_EQ(ModeOf(dir.File("fresh.bin")) & 07777, 0644u);
  // Only root can give a file to someone else; a save by root keeps the owner.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(FsPath(path).c_str(), 4242, 4343), 0);
    ASSERT_TRUE(Save(path, "root's save"));
    struct stat st {};
    stat(FsPath(path).c_str(), &st);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
  }
}

TEST(AtomicFile, NamesThatAreNotUtf8ReachTheDiskUnchanged) {
  TempDir dir;
  const std::string raw = "caf\xE9 \x83\x76.fwc";  // Latin-1 and Shift-JIS bytes
  const std::u16string path = dir.Folder() + u"/" + FileNameFromBytes(raw);
  ASSERT_TRUE(Save(path, "content"));
  ASSERT_TRUE(Save(path, "content 2"));  // the leftover search meets the same name
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{raw});
  Bytes bytes;
  ASSERT_TRUE(ReadFileBounded(path, 100, bytes));
  EXPECT_EQ(bytes, Text("content 2"));
}

#endif  // !_WIN32

}  // namespace
}  // namespace keyloom
