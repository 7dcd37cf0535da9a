#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/key_map.h"
#include "storage/profile_file.h"
#include "ui/main_world.h"

namespace keyloom {
namespace {

using testing::Assigned;
using testing::FrameCommands;
using testing::MainWorld;
using Calls = std::vector<std::string>;

// Position of the key `code` in the default key matrix, or -1.
int PositionOfKey(const MainWorld& w, KeyCode code) {
  const auto matrix = w.sim.link.DefaultMatrix();
  for (int k = 0; k < kKeyMapPositions; ++k)
    if (DecodeFunction(matrix[k * 3], matrix[k * 3 + 1], matrix[k * 3 + 2]) == code) return k;
  return -1;
}

// The record the keyboard's key map of `profile` holds for `key_index`.
KeyRecord KeyboardRecord(const MainWorld& w, int profile, uint16_t key_index) {
  const SimMemory m = w.Memory();
  const int stride = w.sim.link.stride;
  std::vector<uint8_t> block(m.keymaps.begin() + profile * stride,
                             m.keymaps.begin() + profile * stride + w.sim.link.keymap_size);
  std::vector<uint8_t> records(kRecordBlockBytes);
  DecodeKeyMap(block, w.sim.link.DefaultMatrix(), std::span<uint8_t, kRecordBlockBytes>(records));
  return LoadKeyRecord(std::span<const uint8_t>(records).subspan(key_index * kKeyRecordBytes).first<kKeyRecordBytes>());
}

struct Switching : ::testing::Test {
  Switching() {
    w.Create();
    w.Arrive();
    w.ClearFrames();
    w.view.calls.clear();
  }
  int Active() const { return w.Memory().settings[10]; }
  MainWorld w;
};

// Commands of `frames`, runs of one command written as "command x count".
std::vector<std::string> Runs(const std::vector<int>& commands) {
  std::vector<std::string> out;
  for (size_t i = 0; i < commands.size();) {
    size_t j = i;
    while (j < commands.size() && commands[j] == commands[i]) ++j;
    out.push_back(std::to_string(commands[i]) + (j - i > 1 ? " x" + std::to_string(j - i) : ""));
    i = j;
  }
  return out;
}

TEST(ProfileManagerArrival, TheKeyboardArrivingIsReadInItsOrder) {
  MainWorld w;
  w.Create();
  w.Arrive([&] { w.ClearFrames(); });
  // Three key maps of seven frames (the active profile is known since the
  // window was created), the macro area's header; the lighting at connection: settings, two begins, byte 19, end,
  // the user mode's colours, the three records and the end.
  EXPECT_EQ(Runs(FrameCommands(w.sim.Frames())),
            (Calls{"7 x21", "9", "3", "1 x2", "6", "2", "1", "17 x8", "2", "5 x3", "2"}));
  const std::vector<std::string> sent = w.Sent();
  EXPECT_EQ(sent[25], "6@19+1") << "byte 19 of profile 0's record";
  EXPECT_EQ(sent[sent.size() - 4], "5@0+56");
  EXPECT_EQ(sent[sent.size() - 2], "5@84+56");
  EXPECT_EQ(w.Memory().params[19], 1);
  EXPECT_EQ(w.panel.calls, (Calls{"user modes", "refresh"}));
}

TEST(ProfileManagerArrival, TheActiveProfileSetsTheButtonsTheLightingProfileAndTheMenu) {
  MainWorld w;
  w.sim.keyboard.EditMemory([](SimMemory& m) {
    m.settings[10] = 2;
    m.params[2 * 42 + 15] = 7;  // a report rate beyond 3
  });
  w.Create();
  w.Arrive();
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), 2);
  EXPECT_EQ(w.lighting.state.lighting_profile, 2);
  EXPECT_EQ(w.view.SelectedOf(kReportRateButtonIds), 3);
  EXPECT_EQ(w.view.menu.checked, 4);
  EXPECT_EQ(w.view.controls[kCmdProfiles].caption, u"Profile 3");
  EXPECT_EQ(w.view.controls[kCmdProfiles].tooltip, u"Profile: Profile 3");
}

// --- SwitchProfile ---

TEST_F(Switching, SwitchingWithoutPendingChangesAsksNothing) {
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(1));
  EXPECT_EQ(Active(), 1);
  EXPECT_FALSE(w.view.Called("ask PROFILE_SELECT_PROMPT"));
  EXPECT_EQ(w.view.menu.checked, 3);
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(5)) << "3 and more mean profile 0";
  EXPECT_EQ(Active(), 0);
}

TEST_F(Switching, PendingChangesAnsweredYesAreAppliedBeforeTheSwitch) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.view.answers = {true};
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(2));
  EXPECT_EQ(w.view.calls.front(), "ask PROFILE_SELECT_PROMPT");
  EXPECT_FALSE(w.logic.modified());
  EXPECT_EQ(Active(), 2);
  // The change reached profile 0's key map before the switch: A sends B.
  const std::vector<int> commands = FrameCommands(w.sim.Frames());
  EXPECT_EQ(commands.front(), 1);
  EXPECT_EQ(commands.back(), 4) << "the settings block with the new profile last";
  EXPECT_EQ(KeyboardRecord(w, 0, 0x1E), Assigned(KeyType::kKey, 0x030));
}

TEST_F(Switching, PendingChangesAnsweredNoAreDiscardedFromTheWorkingFile) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.view.answers = {false};
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(1));
  EXPECT_FALSE(w.logic.modified());
  EXPECT_FALSE(w.view.Enabled(kCmdApply));
  EXPECT_FALSE(w.stores.edit.Record(0, 0x1E).assigned());
  EXPECT_EQ(Active(), 1);
  EXPECT_EQ(FrameCommands(w.sim.Frames()), (std::vector<int>{3, 4})) << "no key map written";
}

TEST_F(Switching, ASwitchWhileTheQuestionIsOpenGoesAheadWithoutAskingAgain) {
  w.logic.SetModified(true);
  int active_during = -1;
  w.view.while_asking = [&] {
    EXPECT_TRUE(w.logic.profiles().asking());
    EXPECT_TRUE(w.logic.profiles().SwitchProfile(2));
    active_during = Active();
  };
  w.view.answers = {false};
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(1));
  int asks = 0;
  for (const auto& c : w.view.calls) asks += c == "ask PROFILE_SELECT_PROMPT";
  EXPECT_EQ(asks, 1);
  EXPECT_EQ(active_during, 2);
  EXPECT_EQ(Active(), 1) << "the first switch ends last";
}

TEST_F(Switching, AnOpenKeyEditorRefusesTheSwitch) {
  w.editor.open = true;
  EXPECT_FALSE(w.logic.profiles().SwitchProfile(1));
  EXPECT_EQ(w.view.calls, Calls{"message PROFILE_SEELCT_PROMPT2"});
  EXPECT_TRUE(w.sim.Frames().empty());
}

TEST_F(Switching, TheProfileMenuSwitchesAndDefaultSetsNothing) {
  const ProfileMenu& menu = w.view.menu;
  ASSERT_EQ(menu.items.size(), 5u);
  EXPECT_EQ(menu.items[0].command, 9000);
  EXPECT_EQ(testing::Narrow(menu.items[0].text), "Default");
  EXPECT_EQ(menu.items[1].command, 0);
  EXPECT_EQ(menu.items[4].command, 9003);
  EXPECT_EQ(testing::Narrow(menu.items[3].text), "Profile 2");
  EXPECT_TRUE(w.logic.OnCommand(9002));
  EXPECT_EQ(Active(), 1);
  EXPECT_EQ(menu.checked, 3);
  w.ClearFrames();
  EXPECT_TRUE(w.logic.OnCommand(9000));
  EXPECT_EQ(Active(), 1);
  EXPECT_TRUE(w.sim.Frames().empty());
}

// --- the working profile file kept across connections ---

MacroRecord LongNamedMacro() {
  MacroRecord m;
  SetMacroName(m, std::u16string(200, u'm') + u" end");
  m.macro_id = 1;
  m.cycles = 1;
  AddMacroEvent(m, {10, 0x01E, kMacroStatePress});
  AddMacroEvent(m, {10, 0x01E, kMacroStateRelease});
  return m;
}

TEST(ProfileManagerWorkingFile, ALaunchProgramAndALongMacroNameSurviveUnplugAndReplug) {
  MainWorld w;
  // A keyboard whose macro area holds the macros but not their names.
  w.sim.keyboard.EditMemory([](SimMemory& m) { m.settings[11] = 1; });
  w.Create();
  w.Arrive();
  {
    KeyStore& edit = w.stores.edit;
    std::lock_guard lock(edit.mutex);
    edit.SetRecord(0, 0x1E, Assigned(KeyType::kLaunchProgram, 0));
    SetStringSlot(edit, RecordNumber(0, 0x1E), u"C:\\Tools\\notes.exe");
    edit.macros.push_back(LongNamedMacro());
    edit.SetRecord(0, 0x30, Assigned(KeyType::kPlayMacro, 1));
  }
  w.logic.SetModified(true);
  w.logic.Apply();
  ASSERT_FALSE(w.logic.modified());
  EXPECT_TRUE(w.view.Called("message EXTRA_PROFILE_SPACE_TIGHT"));

  w.Replug();
  const KeyStore& edit = w.stores.edit;
  EXPECT_EQ(edit.Record(0, 0x1E).kind(), KeyType::kLaunchProgram);
  EXPECT_EQ(edit.slots[RecordNumber(0, 0x1E)].text, u"C:\\Tools\\notes.exe");
  ASSERT_EQ(edit.macros.size(), 1u);
  EXPECT_EQ(std::u16string(edit.macros[0].name, MacroNameLength(edit.macros[0])), std::u16string(200, u'm') + u" end");
  EXPECT_FALSE(w.logic.modified());
}

TEST(ProfileManagerWorkingFile, AKeyboardChangedElsewhereWinsOverTheWorkingFile) {
  MainWorld w;
  w.Create();
  w.Arrive();
  {
    std::lock_guard lock(w.stores.edit.mutex);
    w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kLaunchProgram, 0));
    SetStringSlot(w.stores.edit, RecordNumber(0, 0x1E), u"C:\\a.exe");
  }
  w.logic.SetModified(true);
  w.logic.Apply();
  // Another program gives the B key of profile 1 the function of C.
  const int b = PositionOfKey(w, 0x030);
  ASSERT_GE(b, 0);
  const KeyFunctionCode c = EncodeKeyFunction(0x02E);
  w.sim.keyboard.EditMemory([&](SimMemory& m) { std::copy(c.begin(), c.end(), m.keymaps.begin() + 512 + b * 3); });
  w.Replug();
  EXPECT_FALSE(w.stores.edit.Record(0, 0x1E).assigned()) << "the keyboard cannot hold the launch program";
  EXPECT_EQ(w.stores.edit.Record(1, 0x30).kind(), KeyType::kKey);
  // The working file now holds the keyboard's state.
  KeyStore file;
  ASSERT_EQ(ProfileFileRead(w.model.working_profile_path, file), 1);
  EXPECT_EQ(file.Record(1, 0x30).kind(), KeyType::kKey);
}

TEST(ProfileManagerWorkingFile, SavingWaitsForTheFirstReadOfTheKeyboard) {
  MainWorld w('B', false);
  w.Create();
  EXPECT_EQ(w.logic.profiles().SaveWorkingFile(true), ProfileManager::SaveResult::kNoFile);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(w.model.working_profile_path)));
  // Without a keyboard the arrival starts from an empty document.
  w.logic.OnKeyboardArrived();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(w.model.working_profile_path)));
  EXPECT_EQ(w.stores.edit.Record(0, 256).sub, 0x301);
}

// --- the profile manager dialog ---

class RecordingDialogView final : public ProfileDialogView {
 public:
  void ClearRows() override { rows.clear(); }
  void AddRow(const ProfileRow& row) override { rows.push_back(testing::Narrow(row.caption)); }
  void DeleteRow(int row) override { rows.erase(rows.begin() + row); }
  void SetTicked(int row) override { ticked = row; }
  void SelectRow(int row) override { selected = row; }
  int SelectedRow() const override { return selected; }
  void SetApplyEnabled(bool enabled) override { apply = enabled; }
  void ShowMessage(std::u16string_view key) override { messages.push_back(testing::Narrow(key)); }
  void Close() override { closed = true; }

  std::vector<std::string> rows;
  std::vector<std::string> messages;
  int ticked = -2, selected = -1;
  bool apply = true, closed = false;
};

struct DialogFixture : Switching {
  DialogFixture() { dialog.OnOpened(); }
  std::string Setting(const char16_t* name) {
    return testing::Narrow(w.settings.ReadString(kProfilesSection, name, u"(none)"));
  }
  RecordingDialogView view;
  ProfileDialogLogic dialog{view, w.logic.profiles(), w.files};
};

TEST_F(DialogFixture, OpensWithTheThreeOnboardProfilesAndTheActiveOneTicked) {
  EXPECT_EQ(view.rows, (Calls{"Profile 1", "Profile 2", "Profile 3"}));
  EXPECT_EQ(view.ticked, 0);
  EXPECT_FALSE(view.apply);
  EXPECT_EQ(w.logic.profiles().dialog(), &dialog);
  const ProfileRow& row = dialog.rows()[1];
  EXPECT_EQ(row.stem, u"$Profile0");
  EXPECT_EQ(row.folder + row.stem, w.model.working_profile_path);
  EXPECT_EQ(row.onboard, 1);
  dialog.OnClosed();
  EXPECT_EQ(w.logic.profiles().dialog(), nullptr);
}

TEST_F(DialogFixture, AddAndLoadAskForAFileAndAppendItsRow) {
  const std::u16string folder = w.user_data.folder();
  const std::u16string made = folder + u"/Gaming.fwc";
  w.files.answers = {made, std::nullopt, w.dir.File("elsewhere/Work.fwc")};
  dialog.OnCommand(kCmdProfileAdd);
  dialog.OnCommand(kCmdProfileLoad);  // cancelled
  dialog.OnCommand(kCmdProfileLoad);
  ASSERT_EQ(w.files.requests.size(), 3u);
  const FileDialogRequest& add = w.files.requests[0];
  EXPECT_TRUE(add.save);
  EXPECT_TRUE(add.ask_before_overwrite);
  EXPECT_EQ(add.default_extension, u"fwc");
  EXPECT_EQ(add.filter, u"(*.fwc)|*.fwc|(*.*)|*.*||");
  EXPECT_EQ(add.initial_name, folder + u"/New Profile");
  EXPECT_FALSE(w.files.requests[1].save);
  EXPECT_EQ(std::filesystem::path(w.files.requests[1].initial_name).filename(), "*.fwc");
  EXPECT_EQ(view.rows, (Calls{"Profile 1", "Profile 2", "Profile 3", "Gaming", "Work"}));
  EXPECT_TRUE(view.apply);
  // Add made an empty profile file; Load only names one.
  KeyStore store;
  EXPECT_EQ(ProfileFileRead(made, store), 1);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(w.dir.File("elsewhere/Work.fwc"))));
}

TEST_F(DialogFixture, DeleteRemovesTheSelectedRowAndSelectsTheNext) {
  dialog.OnDelete();  // nothing selected
  EXPECT_EQ(view.rows.size(), 3u);
  EXPECT_FALSE(view.apply);
  view.selected = 2;
  dialog.OnDelete();
  EXPECT_EQ(view.rows, (Calls{"Profile 1", "Profile 2"}));
  EXPECT_EQ(view.selected, 1) << "the last row went: the one before it";
  view.selected = 0;
  dialog.OnDelete();
  EXPECT_EQ(view.rows, Calls{"Profile 2"});
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(dialog.ticked(), -1) << "the ticked row went";
  EXPECT_TRUE(view.apply);
}

TEST_F(DialogFixture, ApplyRecordsTheListAndMakesTheTickedOnboardProfileActive) {
  w.files.answers = {w.dir.File("Work.fwc")};
  dialog.OnLoad();
  EXPECT_TRUE(dialog.OnTickChanging(2, true));
  dialog.OnTickChanged(2, true);
  EXPECT_EQ(view.ticked, 2);
  dialog.OnCommand(kCmdProfileApply);
  EXPECT_EQ(w.Memory().settings[10], 2);
  EXPECT_EQ(Setting(u"PROFILE00"), "4");
  EXPECT_EQ(Setting(u"PROFILE01"), testing::Narrow(w.model.working_profile_path) + ".fwc");
  EXPECT_EQ(Setting(u"PROFILE04"), testing::Narrow(w.dir.File("Work.fwc")));
  EXPECT_FALSE(view.apply);
  EXPECT_EQ(w.view.menu.checked, 4);
  EXPECT_FALSE(view.closed);
}

TEST_F(DialogFixture, ARowBeyondTheOnboardProfilesCannotBeTicked) {
  w.files.answers = {w.dir.File("Work.fwc")};
  dialog.OnLoad();
  EXPECT_FALSE(dialog.OnTickChanging(3, true));
  EXPECT_EQ(view.messages, Calls{"PROFILE_ONLY_ONBOARD"});
  EXPECT_TRUE(dialog.OnTickChanging(3, false));
  EXPECT_TRUE(dialog.OnTickChanging(1, true));
}

TEST_F(DialogFixture, OkAppliesAndClosesCancelOnlyCloses) {
  dialog.OnTickChanged(1, true);
  dialog.OnCommand(2);
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(w.Memory().settings[10], 0);
  view.closed = false;
  dialog.OnCommand(1);
  EXPECT_TRUE(view.closed);
  EXPECT_EQ(w.Memory().settings[10], 1);
}

TEST_F(DialogFixture, ApplyAsksAboutTheMainWindowsPendingChangesFirst) {
  w.stores.edit.SetRecord(0, 0x1E, Assigned(KeyType::kKey, 0x030));
  w.logic.SetModified(true);
  w.view.answers = {true};
  dialog.OnApply();
  EXPECT_TRUE(w.view.Called("ask PROFILE_SELECT_PROMPT"));
  EXPECT_EQ(w.stores.edit.Record(0, 0x1E).kind(), KeyType::kKey) << "applied, then read back";
}

TEST_F(Switching, TheBarFollowsAProfileTheDialogMadeActive) {
  w.view.on_profile_manager = [&] { w.sim.commands.SetActiveProfile(2); };
  w.logic.OnCommand(kCmdProfiles);
  EXPECT_EQ(w.view.SelectedOf(kProfileButtonIds), 2);
  EXPECT_EQ(w.lighting.state.lighting_profile, 2);
  EXPECT_EQ(w.panel.calls.back(), "refresh");
}

TEST_F(DialogFixture, ASwitchMadeElsewhereTicksTheDialogsRow) {
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(1));
  EXPECT_EQ(view.ticked, 1);
  EXPECT_FALSE(view.apply);
  EXPECT_FALSE(w.view.Called("ask PROFILE_SELECT_PROMPT"));
  // With the dialog's own changes pending the switch asks first.
  dialog.OnTickChanged(0, true);
  w.view.answers = {false};
  EXPECT_TRUE(w.logic.profiles().SwitchProfile(2));
  EXPECT_TRUE(w.view.Called("ask PROFILE_SELECT_PROMPT"));
  EXPECT_EQ(w.Memory().settings[10], 2);
}

}  // namespace
}  // namespace keyloom
