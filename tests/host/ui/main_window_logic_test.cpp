#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/main/main_window_logic.h"

namespace keyloom {
namespace {

class RecordingView final : public MainWindowView {
 public:
  void Hide() override { calls.push_back("hide"); }
  void ShowAsApplicationWindow() override { calls.push_back("show"); }
  void ShowMessage(std::u16string_view key) override { calls.push_back("message " + std::string(key.begin(), key.end())); }
  void PostMinimize() override { calls.push_back("minimize"); }
  void TrackButtonMenu() override { calls.push_back("button menu"); }
  void ShowAbout() override { calls.push_back("about"); }
  void OpenHelp() override { calls.push_back("help"); }
  void Apply() override { calls.push_back("apply"); }
  void ApplyLanguage(int index) override { calls.push_back("language " + std::to_string(index)); }
  bool CloseEditors() override {
    calls.push_back("close editors");
    return editors_close;
  }
  void CloseInstanceMutex() override { calls.push_back("close mutex"); }
  void StopMacroRecording() override { calls.push_back("stop recording"); }
  void CloseNamedEvents() override { calls.push_back("close events"); }
  void RemoveTrayIcon() override { calls.push_back("remove tray"); }
  void FreeKeyStores() override { calls.push_back("free stores"); }
  void ReleaseSkin() override { calls.push_back("release skin"); }
  void EndMainDialog() override { calls.push_back("end"); }

  bool editors_close = true;
  std::vector<std::string> calls;
};

struct Fixture {
  RecordingView view;
  PresenceState presence;
  TrayImageState tray;
  MainWindowLogic logic{view, presence, tray};
};

TEST(MainWindowLogic, TaggedMessagesActOnlyOnTheirExactTag) {
  struct Case {
    unsigned message;
    uint64_t tag;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {kMainMsgInit, 0x494E4954, {"hide"}},
      {kMainMsgInit, 0x494E4955, {}},
      {kMainMsgInit, 0x1494E4954, {}},  // the whole parameter is compared
      {kMainMsgOpen, 0x4F50454E, {"message MAIN_NO_DEVICE_PROMPT"}},
      {kMainMsgOpen, 0x494E4954, {}},
      {kMainMsgLanguage, 0x4C414E47, {"language 1"}},
      {kMainMsgLanguage, 0, {}},
      {kMainMsgKill, 0x4F50454E, {}},
  };
  for (const Case& c : cases) {
    Fixture f;
    EXPECT_EQ(f.logic.OnTaggedMessage(c.message, c.tag, 1), 0);
    EXPECT_EQ(f.view.calls, c.calls) << std::hex << c.message << " " << c.tag;
  }
  Fixture f;
  EXPECT_FALSE(f.logic.OnTaggedMessage(0x0111, 0, 0).has_value());
  f.logic.OnTaggedMessage(kMainMsgInit, kMainTagInit, 0);
  EXPECT_TRUE(f.logic.started_hidden());
  Fixture wrong;
  wrong.logic.OnTaggedMessage(kMainMsgInit, 0, 0);
  EXPECT_FALSE(wrong.logic.started_hidden());
}

TEST(MainWindowLogic, OpenShowsTheWindowOnlyWithAKeyboard) {
  Fixture f;
  f.logic.OnCommand(kCmdOpen);
  EXPECT_EQ(f.view.calls, std::vector<std::string>{"message MAIN_NO_DEVICE_PROMPT"});
  f.view.calls.clear();
  f.presence.last_reported = 1;
  f.logic.OnTaggedMessage(kMainMsgOpen, kMainTagOpen, 0);
  EXPECT_EQ(f.view.calls, std::vector<std::string>{"show"});
}

TEST(MainWindowLogic, TheFirstTwoNonClientPaintsHideUnlessTheWindowWasOpened) {
  Fixture f;
  EXPECT_TRUE(f.logic.OnNonClientPaint());
  EXPECT_TRUE(f.logic.OnNonClientPaint());
  EXPECT_FALSE(f.logic.OnNonClientPaint());

  Fixture opened;
  opened.presence.last_reported = 1;
  EXPECT_TRUE(opened.logic.OnNonClientPaint());
  opened.logic.Open();
  EXPECT_FALSE(opened.logic.OnNonClientPaint());
}

TEST(MainWindowLogic, Commands) {
  struct Case {
    int id;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {kCmdOk, {"apply", "hide"}},   {kCmdCancel, {"hide"}},           {kCmdMinimize, {"minimize"}},
      {kCmdButtonMenu, {"button menu"}}, {kCmdAbout, {"about"}},       {kCmdHelp, {"help"}},
  };
  for (const Case& c : cases) {
    Fixture f;
    EXPECT_TRUE(f.logic.OnCommand(c.id));
    EXPECT_EQ(f.view.calls, c.calls) << c.id;
    EXPECT_FALSE(f.logic.quitting());
  }
  Fixture f;
  EXPECT_FALSE(f.logic.OnCommand(1128));
  EXPECT_TRUE(f.logic.OnSystemCommand(kSysCmdAbout));
  EXPECT_FALSE(f.logic.OnSystemCommand(0xF020));  // minimise takes the default path
  EXPECT_EQ(f.view.calls, std::vector<std::string>{"about"});
}

TEST(MainWindowLogic, QuitTakesThingsDownInOrderFromEveryEntry) {
  const std::vector<std::string> order = {"hide",         "close editors", "close mutex", "stop recording",
                                          "close events", "remove tray",   "free stores", "release skin",
                                          "end"};
  for (int id : {kCmdClose, kCmdExit, kCmdMenuClose}) {
    Fixture f;
    f.tray.Set(0, 141, nullptr);
    f.logic.set_modified(true);
    f.logic.OnCommand(id);
    EXPECT_EQ(f.view.calls, order) << id;
    EXPECT_TRUE(f.logic.quitting());
    EXPECT_FALSE(f.logic.modified());
    EXPECT_EQ(f.tray.current(), 128);
  }
  Fixture killed;
  killed.logic.OnTaggedMessage(kMainMsgKill, kMainTagKill, 0);
  EXPECT_EQ(killed.view.calls, order);
}

TEST(MainWindowLogic, QuitRefusedByAnEditorLeavesTheProgramRunningHidden) {
  Fixture f;
  f.view.editors_close = false;
  f.logic.Quit();
  EXPECT_EQ(f.view.calls, (std::vector<std::string>{"hide", "close editors"}));
  EXPECT_FALSE(f.logic.quitting());
}

TEST(MainWindowLogic, EnterAndEscapeAreSwallowedArrowsOnlyInTheModeCombo) {
  EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0100, 0x0D, false));
  EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0101, 0x1B, false));
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0102, 0x0D, false));  // WM_CHAR passes
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x91, false));  // Scroll Lock
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x25, false));
  for (unsigned vk = 0x25; vk <= 0x28; ++vk) EXPECT_TRUE(MainWindowLogic::SwallowsKey(0x0100, vk, true));
  EXPECT_FALSE(MainWindowLogic::SwallowsKey(0x0100, 0x41, true));
}

TEST(MainWindowLogic, NamedEvents) {
  EXPECT_EQ(MainEventName(1), u"Keyloom_Event_Main_01");
  EXPECT_EQ(MainEventName(42), u"Keyloom_Event_Main_42");
  EXPECT_EQ(MainEventName(210), u"Keyloom_Event_Main_210");
}

}  // namespace
}  // namespace keyloom
