#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "model/key_store.h"
#include "storage/backups.h"
#include "storage/file_paths.h"
#include "storage/persist_support.h"
#include "storage/profile_file.h"
#include "storage/text_keys.h"
#include "support/sim_stack.h"
#include "ui/dialogs/update_logic.h"

namespace keyloom {
namespace {

using persist_test::FixedTexts;
using persist_test::TempDir;
using Calls = std::vector<std::string>;

constexpr uint8_t kBootModeCommand = 0xEE;

// Settings bytes 8 and 9, low byte first.
void SetUpdateState(testing::SimStack& sim, unsigned state) {
  sim.keyboard.EditMemory([state](SimMemory& m) {
    m.settings[8] = static_cast<uint8_t>(state & 0xFF);
    m.settings[9] = static_cast<uint8_t>(state >> 8);
  });
}

struct CheckFixture {
  explicit CheckFixture(char model) : sim(model) {}
  testing::SimStack sim;
  FixedTexts texts;
  Calls calls;
  bool answer_ok = true;
  std::vector<ProgramStart> started;
  UpdateCheckContext context{sim.commands, sim.clock, texts,
                             [this](std::u16string_view text, std::u16string_view title) {
                               calls.push_back("ask at " + std::to_string(sim.clock.NowMs()) + " ms: " +
                                               Utf16ToUtf8(title) + " / " + Utf16ToUtf8(text));
                               return answer_ok;
                             },
                             [this](const ProgramStart& s) {
                               started.push_back(s);
                               return intptr_t{42};
                             },
                             u"C:\\Keyloom\\Help\\"};
};

TEST(UpdateCheck, OnlyTheSecondModelWithAStateOfOneTo256IsOffered) {
  struct Case {
    char model;
    unsigned state;
    bool offered;
  };
  const std::vector<Case> cases = {
      {'B', 256, true}, {'B', 1, true},     {'B', 0x80, true},  {'B', 257, false},
      {'B', 0, false},  {'B', 0xFFFF, false}, {'A', 256, false}, {'A', 1, false},
  };
  for (const Case& c : cases) {
    CheckFixture f(c.model);
    SetUpdateState(f.sim, c.state);
    const UpdateCheckOutcome outcome = UpdateCheck(f.context);
    EXPECT_EQ(outcome, c.offered ? UpdateCheckOutcome::kUpdaterStarted : UpdateCheckOutcome::kNothing)
        << c.model << " " << c.state;
    EXPECT_EQ(f.calls.size(), c.offered ? 1u : 0u) << c.model << " " << c.state;
    EXPECT_EQ(f.started.size(), c.offered ? 1u : 0u);
  }
}

TEST(UpdateCheck, OkStartsTheEmbeddedUpdaterAfterTenMillisecondsAndCancelEnds) {
  CheckFixture f('B');
  SetUpdateState(f.sim, 256);
  ASSERT_EQ(UpdateCheck(f.context), UpdateCheckOutcome::kUpdaterStarted);
  // Without the texts in the language file: the fixed English texts.
  EXPECT_EQ(f.calls, (Calls{"ask at 10 ms: Version update / Your current software is not updated to the latest "
                            "version.Update now?"}));
  ASSERT_EQ(f.started.size(), 1u);
  EXPECT_EQ(f.started[0].verb, u"Open");
  EXPECT_EQ(f.started[0].file, u"C:\\Keyloom\\Help\\SorvelQ31内嵌升级包-105key.exe");
  EXPECT_EQ(f.started[0].parameters, u"In the upgrade");
  EXPECT_EQ(f.started[0].folder, u"C:\\Keyloom\\Help\\");

  CheckFixture declined('B');
  SetUpdateState(declined.sim, 1);
  declined.answer_ok = false;
  declined.texts.texts = {{u"UPDATE_CHECK_PROMPT", u"Update?"}, {u"UPDATE_CHECK_TITLE", u"Firmware"}};
  EXPECT_EQ(UpdateCheck(declined.context), UpdateCheckOutcome::kDeclined);
  EXPECT_EQ(declined.calls, (Calls{"ask at 10 ms: Firmware / Update?"}));
  EXPECT_TRUE(declined.started.empty());
}

TEST(UpdateCheck, AFailedSettingsReadAsksNothing) {
  for (bool unplugged : {false, true}) {
    CheckFixture f('B');
    SetUpdateState(f.sim, 256);
    if (unplugged) f.sim.keyboard.Unplug();
    else f.sim.keyboard.ReplyStatusAt(1, 0xFF);
    EXPECT_EQ(UpdateCheck(f.context), UpdateCheckOutcome::kNothing) << unplugged;
    EXPECT_TRUE(f.calls.empty());
  }
}

// ---- The dialog ---------------------------------------------------------------

class RecordingView final : public UpdateDialogView {
 public:
  std::optional<std::u16string> AskFileName(const FileDialogRequest& request) override {
    requests.push_back(request);
    calls.push_back(request.save ? "save dialog" : "open dialog");
    std::optional<std::u16string> answer = files.empty() ? std::nullopt : files.front();
    if (!files.empty()) files.pop_front();
    return answer;
  }
  void SetCurrentFolder(const std::u16string& folder) override { calls.push_back("folder " + Utf16ToUtf8(folder)); }
  void ShowPath(std::u16string_view path) override { calls.push_back("path " + Utf16ToUtf8(path)); }
  void ShowText(std::u16string_view text) override { calls.push_back("text " + Utf16ToUtf8(text)); }
  bool AskYesNo(std::u16string_view question) override {
    calls.push_back("ask " + Utf16ToUtf8(question));
    return yes;
  }
  void Close() override { calls.push_back("close"); }

  std::deque<std::optional<std::u16string>> files;
  std::vector<FileDialogRequest> requests;
  bool yes = false;
  Calls calls;
};

struct UpdateDialog_ : ::testing::Test {
  void SetUp() override {
    updater = dir.File("updater.exe");
    persist_test::WriteFile(updater, "MZ");
  }
  bool BootModeSent() const {
    const auto frames = sim.Frames();
    return std::any_of(frames.begin(), frames.end(), [](const CommandFrame& f) { return f[3] == kBootModeCommand; });
  }

  testing::SimStack sim{'B'};
  TempDir dir;
  FixedTexts texts;
  KeyStore edit;
  std::u16string chosen;
  std::u16string updater;
  intptr_t shell_result = 42;
  std::vector<ProgramStart> started;
  KeyboardBackups backups{KeyboardBackups::FolderIn(dir.File("data")), [] { return LocalDateTime{2025, 1, 2, 3, 4, 5}; }};
  UpdateDialogContext context{sim.commands,
                              edit,
                              texts,
                              [this](const ProgramStart& s) {
                                started.push_back(s);
                                return shell_result;
                              },
                              [](const std::u16string& path) {
                                std::error_code ec;
                                return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
                              },
                              u"C:\\Keyloom\\Package\\",
                              chosen,
                              &backups};
  RecordingView view;
  UpdateDialogLogic logic{view, context};
};

TEST_F(UpdateDialog_, OpenChoosesAnUpdaterAndCancellingEmptiesTheChoice) {
  logic.Start();
  view.files = {updater, std::nullopt};
  logic.OnCommand(kOpenButton);
  EXPECT_EQ(chosen, updater);
  const FileDialogRequest& request = view.requests.at(0);
  EXPECT_FALSE(request.save);
  EXPECT_EQ(request.default_extension, u"exe");
  EXPECT_EQ(request.initial_name, u"*.exe");
  EXPECT_EQ(request.filter, u"MyType Files (*.exe)|*.exe||");
  EXPECT_EQ(request.initial_folder, u"C:\\Keyloom\\Package\\");

  logic.OnCommand(kOpenButton);
  EXPECT_EQ(chosen, u"");
  // The current folder is the Package folder after the dialog, whatever was chosen.
  EXPECT_EQ(view.calls, (Calls{"path ", "open dialog", "folder C:\\Keyloom\\Package\\", "path " + Utf16ToUtf8(updater),
                               "open dialog", "folder C:\\Keyloom\\Package\\", "path "}));
  EXPECT_TRUE(sim.Frames().empty());
}

TEST_F(UpdateDialog_, TheChoiceOutlivesTheDialogAndCancelUpdateClearsIt) {
  chosen = updater;  // chosen in an earlier opening
  logic.Start();
  logic.OnCommand(kCancelUpdateButton);
  EXPECT_EQ(chosen, u"");
  EXPECT_EQ(view.calls, (Calls{"path " + Utf16ToUtf8(updater), "path ", "close"}));
  EXPECT_FALSE(logic.OnCommand(1));
}

TEST_F(UpdateDialog_, UpdateBacksUpThenEntersBootModeThenStartsTheUpdaterAndCloses) {
  chosen = updater;
  // At the moment the keyboard receives the boot-mode frame, the backup of
  // what it holds is already on disk.
  std::vector<std::string> seen_at_boot_frame;
  sim.keyboard.SetFrameHook([&](int, const CommandFrame& frame) {
    if (frame[3] != kBootModeCommand) return;
    for (const BackupFile& f : backups.List()) seen_at_boot_frame.push_back(Utf16ToUtf8(f.name));
  });
  logic.OnCommand(kUpdateButton);
  EXPECT_EQ(seen_at_boot_frame, std::vector<std::string>{"Backup 2025-01-02 03-04-05.fwc"});
  const auto frames = sim.Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back()[3], kBootModeCommand);
  EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](const CommandFrame& f) { return f[3] == kBootModeCommand; }),
            1);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].verb, u"open");
  EXPECT_EQ(started[0].file, updater);
  EXPECT_EQ(started[0].parameters, u"");
  EXPECT_EQ(started[0].folder, u"");
  EXPECT_EQ(chosen, u"");
  EXPECT_EQ(view.calls, (Calls{"path ", "close"}));
}

TEST_F(UpdateDialog_, UpdateTwiceAfterAFailedLaunchAsksForAFileTheSecondTime) {
  chosen = updater;
  shell_result = 2;  // the file could not be started
  logic.OnCommand(kUpdateButton);
  // The keyboard stays in boot mode; the choice is gone.
  EXPECT_EQ(view.calls, (Calls{"path ", "text 无法执行更新文件! "}));
  sim.keyboard.Plug();  // what a person does to leave boot mode
  sim.Connect();
  sim.keyboard.ClearTrace();
  view.calls.clear();
  logic.OnCommand(kUpdateButton);
  EXPECT_EQ(view.calls, (Calls{"text 请选择正确的更新文件! "}));
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(UpdateDialog_, NoUpdaterOrAMissingFileSendsNothing) {
  texts.texts = {{u"UPDATE_NO_UPDATER", u"Choose an updater."}};
  for (const std::u16string& path : {std::u16string(), dir.File("gone.exe"), dir.Folder()}) {
    chosen = path;
    view.calls.clear();
    logic.OnCommand(kUpdateButton);
    EXPECT_EQ(view.calls, (Calls{"text Choose an updater."})) << Utf16ToUtf8(path);
    EXPECT_EQ(chosen, path);
  }
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_TRUE(started.empty());
}

TEST_F(UpdateDialog_, NoKeyboardShowsTheBootModeMessageAndStartsNothing) {
  sim.link.connected = 0;
  chosen = updater;
  logic.OnCommand(kUpdateButton);
  EXPECT_EQ(view.calls, (Calls{"text 无法进入Boot模式! "}));
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(backups.List().empty());
  EXPECT_EQ(chosen, updater) << "kept for a try with the keyboard plugged in";
}

TEST_F(UpdateDialog_, AFailedBackupAsksAndNoSendsNothing) {
  // The Backups folder cannot be made: a file stands where it would go.
  persist_test::WriteFile(dir.File("data"), "not a folder");
  texts.texts = {{u"BACKUP_FAILED_PROMPT", u"No backup. Go on?"}};
  chosen = updater;
  view.yes = false;
  logic.OnCommand(kUpdateButton);
  EXPECT_EQ(view.calls, (Calls{"ask No backup. Go on?"}));
  EXPECT_FALSE(BootModeSent());
  for (const CommandFrame& f : sim.Frames()) EXPECT_TRUE(f[3] == 3 || f[3] == 7 || f[3] == 9) << int(f[3]) << " is a read";
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(chosen, updater);

  // Yes goes on without a backup.
  view.yes = true;
  view.calls.clear();
  logic.OnCommand(kUpdateButton);
  EXPECT_EQ(view.calls, (Calls{"ask No backup. Go on?", "path ", "close"}));
  EXPECT_TRUE(BootModeSent());
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(UpdateDialog_, BackupWritesTheEditStoreAsAProfileFile) {
  ASSERT_EQ(NewProfileFile(u"", 0, &edit), 1);
  view.files = {dir.File("mine.fwc"), dir.File("missing-folder/mine.fwc"), std::nullopt};
  logic.OnCommand(kBackupButton);
  logic.OnCommand(kBackupButton);
  logic.OnCommand(kBackupButton);  // cancelled: nothing
  EXPECT_EQ(view.calls, (Calls{"save dialog", "text 备份成功!", "save dialog", "text 备份失败,请重新备份!", "save dialog"}));
  const FileDialogRequest& request = view.requests.at(0);
  EXPECT_TRUE(request.save);
  EXPECT_EQ(request.default_extension, u"fwc");
  EXPECT_EQ(request.initial_name, u"*.fwc");
  EXPECT_EQ(request.filter, u"(*.fwc)|*.fwc|(*.*)|*.*||");
  std::vector<uint8_t> written;
  ASSERT_TRUE(ReadFileBounded(dir.File("mine.fwc"), kMaxProfileFileBytes, written));
  EXPECT_EQ(CheckProfileBytes(written), ProfileCheck::kValid);
  EXPECT_TRUE(sim.Frames().empty()) << "the backup is of the edit store, not the keyboard";
}

TEST(UpdateTexts, EveryKeyIsOneTheLanguageFileCheckKnows) {
  for (int t = 0; t <= static_cast<int>(UpdateText::kBackupCaption); ++t) {
    const std::u16string_view key = UpdateTextKey(static_cast<UpdateText>(t));
    EXPECT_NE(std::find(kTextKeys.begin(), kTextKeys.end(), key), kTextKeys.end()) << Utf16ToUtf8(key);
  }
  FixedTexts english;
  english.texts = {{u"UPDATE_NO_BOOT_MODE", u"No boot mode."}};
  EXPECT_EQ(UpdateTextOf(english, UpdateText::kNoBootMode), u"No boot mode.");
  EXPECT_EQ(UpdateTextOf(english, UpdateText::kOpenCaption), u"Open");
}

}  // namespace
}  // namespace keyloom
