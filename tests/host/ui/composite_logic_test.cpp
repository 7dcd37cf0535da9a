#include <gtest/gtest.h>

#include <set>

#include "base/bytes.h"
#include "device/frame.h"

#include "composite_test_support.h"
#include "model/key_apply.h"
#include "model/key_buttons.h"
#include "model/key_map.h"
#include "support/sim_stack.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/dialogs/composite_logic.h"

namespace keyloom {
namespace {

using testing::EditorWorld;
using testing::MakeMacro;
using testing::MakeRecord;

constexpr int kButtonA = 1058, kButtonG1 = 1000, kButtonG9 = 1143;

HookKey Press(uint32_t vk, uint32_t scan, bool extended = false) { return {vk, scan, extended, false, false}; }
HookKey Repeat(uint32_t vk, uint32_t scan) { return {vk, scan, false, false, true}; }
HookKey Release(uint32_t vk, uint32_t scan, bool extended = false) { return {vk, scan, extended, true, true}; }

struct Editor : ::testing::Test {
  EditorWorld w;
  CompositeLogic editor{w.view, w.context};
  static constexpr int kProfile = 1;

  void Open(int button, KeyRecord record = {}) {
    if (auto target = EditTargetOfButton(button)) {
      if (!(record == KeyRecord{})) w.stores.edit.SetRecord(kProfile, target->key_index, record);
    }
    ASSERT_TRUE(editor.Start(button, kProfile));
  }
  KeyRecord Stored(uint16_t key_index) const { return w.stores.edit.Record(kProfile, key_index); }
};

TEST(EditTarget, KeyButtonsAndGKeysOnly) {
  EXPECT_EQ(EditTargetOfButton(kButtonA)->key_index, 0x1E);
  EXPECT_FALSE(EditTargetOfButton(kButtonA)->macro_mode);
  EXPECT_EQ(EditTargetOfButton(1091)->key_index, 0xB7);  // Print Screen
  EXPECT_EQ(EditTargetOfButton(kButtonG1)->key_index, 256);
  EXPECT_EQ(EditTargetOfButton(kButtonG9)->key_index, 264);
  EXPECT_TRUE(EditTargetOfButton(kButtonG9)->macro_mode);
  for (int id : {0, 1006, 1174 /* Fn */, 1016 /* D1 */, 70000}) EXPECT_FALSE(EditTargetOfButton(id)) << id;
}

TEST_F(Editor, NothingOpensForAnUnknownButtonOrProfile) {
  EXPECT_FALSE(editor.Start(1174, kProfile));
  EXPECT_FALSE(editor.Start(kButtonA, -1));
  EXPECT_FALSE(editor.Start(kButtonA, 3));
  EXPECT_FALSE(editor.open());
  EXPECT_TRUE(w.host.editing_looks.empty());
}

TEST_F(Editor, ACapturedKeyIsStoredAndTheEditedKeyItselfStoresDefault) {
  Open(kButtonA);
  EXPECT_EQ(editor.page(), EditorPage::kKey);
  EXPECT_EQ(w.view.hooks, HookMode::kCapture);
  EXPECT_FALSE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  EXPECT_EQ(editor.OnThreadKey(Press('B', 0x30)), HookAction::kSwallow);
  EXPECT_EQ(editor.OnThreadKey(Repeat('C', 0x2E)), HookAction::kSwallow);  // held keys are not taken again
  EXPECT_EQ(w.view.texts[KEYLOOM_IDC_KEY_INPUT], u"B");
  EXPECT_TRUE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  editor.Apply();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kKey, 0x030));
  EXPECT_FALSE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  EXPECT_EQ(w.host.changed, 1);
  EXPECT_EQ(w.host.tips, 1);
  EXPECT_EQ(w.host.refreshed.back(), (std::pair<int, uint16_t>{kProfile, 0x1E}));

  editor.OnThreadKey(Press('A', 0x1E));  // the key being edited
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), KeyRecord{});
  EXPECT_EQ(w.view.ended, 1);
  EXPECT_EQ(w.view.hooks, HookMode::kNone);
  EXPECT_EQ(w.host.editing_looks,
            (std::vector<std::pair<int, bool>>{{kButtonA, true}, {kButtonA, false}}));
}

TEST_F(Editor, PrintScreenOnReleaseAndLeftWinThroughTheDesktopHook) {
  Open(kButtonA);
  editor.OnThreadKey(Release(0x2C, 0x37, true));
  EXPECT_EQ(editor.captured(), 0x137);
  EXPECT_EQ(editor.OnLowLevelKey(0x5B, false, true), HookAction::kSwallow);
  EXPECT_EQ(editor.captured(), 0x15B);
  EXPECT_EQ(editor.OnThreadKey(Press(0xAF, 0x30, true)), HookAction::kPass);  // volume up: a media key
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kKey, 0x15B));
}

TEST_F(Editor, AMouseActionReopensSelectedAndCanBeNewlyChosen) {
  Open(kButtonA, MakeRecord(KeyType::kKey, 0x172));
  EXPECT_TRUE(editor.switch_on_mouse());
  EXPECT_TRUE(w.view.checked[KEYLOOM_IDC_SWITCH_MOUSE]);
  EXPECT_EQ(w.view.list_selection[KEYLOOM_IDC_MOUSE_LIST], 1);
  EXPECT_TRUE(w.view.is_visible(KEYLOOM_IDC_MOUSE_LIST));
  EXPECT_FALSE(w.view.is_visible(KEYLOOM_IDC_KEY_INPUT));
  // Keys are swallowed, not taken, while the switch is on mouse.
  EXPECT_EQ(editor.OnThreadKey(Press('B', 0x30)), HookAction::kSwallow);
  EXPECT_EQ(editor.captured(), 0);
  editor.Apply();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kKey, 0x172));
  EXPECT_EQ(w.host.changed, 0) << "nothing changed";
  editor.OnMouseAction(3);
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kKey, 0x161));

  // From a Default key: switch to mouse, keep the first action.
  w.stores.edit.SetRecord(kProfile, 0x1E, KeyRecord{});
  Open(kButtonA);
  editor.OnSwitch(true);
  EXPECT_TRUE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kKey, 0x171));
}

TEST_F(Editor, EachTypeOpensItsPageWithItsValueSelected) {
  struct Case {
    KeyRecord record;
    EditorPage page;
    int list;
    int selected;
    HookMode hooks;
  } cases[] = {
      {MakeRecord(KeyType::kMedia, 7), EditorPage::kMedia, KEYLOOM_IDC_MEDIA_LIST, 7, HookMode::kNone},
      {MakeRecord(KeyType::kFunction, 10), EditorPage::kFunction, KEYLOOM_IDC_FUNCTION_LIST, 10, HookMode::kNone},
      {MakeRecord(KeyType::kMedia, 99), EditorPage::kMedia, KEYLOOM_IDC_MEDIA_LIST, 0, HookMode::kNone},
      {MakeRecord(KeyType::kDisabled), EditorPage::kKey, 0, 0, HookMode::kCapture},
      {MakeRecord(KeyType::kStopMacro), EditorPage::kKey, 0, 0, HookMode::kCapture},
  };
  for (const Case& c : cases) {
    EditorWorld world;
    CompositeLogic e(world.view, world.context);
    world.stores.edit.SetRecord(0, 0x1E, c.record);
    ASSERT_TRUE(e.Start(kButtonA, 0));
    EXPECT_EQ(e.page(), c.page) << c.record.type;
    EXPECT_EQ(world.view.picture_page, c.page);
    EXPECT_EQ(world.view.hooks, c.hooks);
    if (c.list) {
      EXPECT_EQ(world.view.list_selection[c.list], c.selected);
    }
    EXPECT_TRUE(world.view.selected[KEYLOOM_IDC_PAGE_KEY + int(c.page)]);
    EXPECT_EQ(world.view.is_visible(KEYLOOM_IDC_MEDIA_LIST), c.page == EditorPage::kMedia);
    EXPECT_EQ(world.view.is_visible(KEYLOOM_IDC_EVENT_LIST), false);
    e.Ok();
    EXPECT_EQ(world.stores.edit.Record(0, 0x1E), c.record.type == uint16_t(KeyType::kMedia) && c.record.value > 17
                                                     ? MakeRecord(KeyType::kMedia, 0)
                                                     : c.record);
  }
}

TEST_F(Editor, PageButtonsChangeTheTypeAndTheHooks) {
  Open(kButtonA);
  editor.OnPageButton(EditorPage::kMedia);
  EXPECT_EQ(editor.type(), KeyType::kMedia);
  EXPECT_EQ(w.view.hooks, HookMode::kNone);
  EXPECT_TRUE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  editor.OnMediaSelected(4);
  editor.OnPageButton(EditorPage::kMacro);
  EXPECT_TRUE(w.view.is_visible(KEYLOOM_IDC_EVENT_LIST));
  EXPECT_FALSE(w.view.is_visible(KEYLOOM_IDC_MEDIA_LIST));
  editor.OnPageButton(EditorPage::kMedia);
  editor.OnPageButton(EditorPage::kKey);
  EXPECT_EQ(editor.type(), KeyType::kKey);
  EXPECT_EQ(w.view.hooks, HookMode::kCapture);
  editor.OnPageButton(EditorPage::kFunction);
  editor.OnFunctionSelected(2);
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kFunction, 2));
}

TEST_F(Editor, ClearStoresDefaultWithoutEnablingApply) {
  Open(kButtonA, MakeRecord(KeyType::kKey, 0x030));
  EXPECT_EQ(w.view.texts[KEYLOOM_IDC_KEY_INPUT], u"B");
  editor.OnClear();
  EXPECT_EQ(w.view.texts[KEYLOOM_IDC_KEY_INPUT], u"");
  EXPECT_FALSE(w.view.is_enabled(KEYLOOM_IDC_APPLY));
  EXPECT_EQ(w.view.hooks, HookMode::kCapture);
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), KeyRecord{});
  EXPECT_EQ(w.host.changed, 1);
}

TEST_F(Editor, AProgramKeysTextOffsetNeverBecomesAKeyCode) {
  const int slot = RecordNumber(kProfile, 0x1E);
  SetStringSlot(w.stores.edit, slot, u"C:\\tool.exe");
  Open(kButtonA, MakeRecord(KeyType::kLaunchProgram, 0x30));
  EXPECT_EQ(w.view.texts[KEYLOOM_IDC_KEY_INPUT], u"");
  editor.OnPageButton(EditorPage::kKey);
  editor.Ok();
  EXPECT_EQ(Stored(0x1E), KeyRecord{});
  EXPECT_EQ(w.stores.edit.slots[slot].size, 0u);
  EXPECT_EQ(w.stores.edit.text_size, 0u);
}

TEST_F(Editor, TheMacroButtonOpensG9OnTheMacroPageOnly) {
  Open(kButtonG9);
  EXPECT_TRUE(editor.macro_mode());
  EXPECT_EQ(editor.page(), EditorPage::kMacro);
  EXPECT_EQ(w.view.picture_page, EditorPage::kMacro);
  EXPECT_TRUE(w.view.picture_macro_mode);
  for (int id : {KEYLOOM_IDC_PAGE_KEY, KEYLOOM_IDC_PAGE_MEDIA, KEYLOOM_IDC_PAGE_FUNCTION, KEYLOOM_IDC_CLEAR})
    EXPECT_FALSE(w.view.is_enabled(id)) << id;
  editor.OnPageButton(EditorPage::kKey);
  EXPECT_EQ(editor.page(), EditorPage::kMacro);
  editor.Ok();  // no macros: Default, and G9 keeps its id
  EXPECT_EQ(Stored(264), MakeRecord(KeyType::kDefault, 0, 0x309));

  w.stores.edit.macros = {MakeMacro(4, u"Four"), MakeMacro(7, u"Seven")};
  Open(kButtonG9, MakeRecord(KeyType::kPlayMacro, 7, 3));
  EXPECT_EQ(editor.macro_page().current(), 1);
  EXPECT_EQ(w.view.macro_current, 1);
  editor.macro_page().OnCyclesChanged(u"12");
  editor.Ok();
  EXPECT_EQ(Stored(264), MakeRecord(KeyType::kPlayMacro, 7, 12));
}

TEST_F(Editor, EnterAndEscapeAreSwallowedAndF1HelpsUnlessRecording) {
  w.stores.edit.macros = {MakeMacro(1, u"One")};
  Open(kButtonG9);
  EXPECT_TRUE(CompositeLogic::OnDialogKey(0x0D));
  EXPECT_TRUE(CompositeLogic::OnDialogKey(0x1B));
  EXPECT_FALSE(CompositeLogic::OnDialogKey('A'));
  EXPECT_FALSE(CompositeLogic::OnDialogKey(0x70));  // F1 comes back as help
  EXPECT_EQ(w.view.ended, 0);
  editor.OnHelp();
  EXPECT_EQ(w.view.help, 1);
  editor.macro_page().StartRecording();
  editor.OnHelp();
  EXPECT_EQ(w.view.help, 1);
  // Closing ends the recording.
  editor.Cancel();
  EXPECT_EQ(w.view.hooks, HookMode::kNone);
  EXPECT_FALSE(editor.macro_page().recording());
}

TEST_F(Editor, CancelLeavesTheStoreAloneAndCloseRunsOnce) {
  w.stores.edit.macros = {MakeMacro(1, u"One")};
  Open(kButtonA);
  editor.OnThreadKey(Press('B', 0x30));
  editor.OnPageButton(EditorPage::kMacro);
  editor.macro_page().AddMacro();
  editor.Cancel();
  editor.Close();
  editor.Cancel();
  EXPECT_EQ(Stored(0x1E), KeyRecord{});
  EXPECT_EQ(w.stores.edit.macros.size(), 1u);
  EXPECT_EQ(w.view.ended, 1);
  EXPECT_EQ(w.host.editing_looks.size(), 2u);
  EXPECT_TRUE(editor.macro_page().macros().empty());
}

TEST(EditorPlacement, BesideTheButtonAndOnTheScreen) {
  const ScreenRect screen{0, 0, 1280, 1000};
  struct Case {
    ScreenRect button;
    ScreenPoint at;
    const char* why;
  } cases[] = {
      {{100, 200, 140, 240}, {140, 200}, "right of the button"},
      {{900, 200, 940, 240}, {340, 200}, "no room on the right: left"},
      {{100, 700, 140, 740}, {140, 560}, "kept above the bottom edge"},
      {{400, 100, 900, 140}, {400, 140}, "a wide button: below"},
      {{400, 860, 900, 900}, {400, 420}, "nothing below: above"},
      {{-50, 200, 1330, 240}, {0, 240}, "a button wider than the screen: below"},
      {{-50, -50, 1330, 1050}, {720, 0}, "no side fits: pushed onto the screen"},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaceBesideButton(c.button, 560, 440, screen), c.at) << c.why;
  EXPECT_EQ(CentreOn(screen, 560, 440), (ScreenPoint{360, 280}));
}

// ---- With the simulated keyboard --------------------------------------------

struct EditorOnKeyboard : Editor {
  explicit EditorOnKeyboard(char model = 'B') : sim(model) {
    SimMemory memory = sim.keyboard.Memory();
    sim.link.SetDefaultMatrix(memory.default_keymap);
    sim.link.macro_capacity = static_cast<int>(memory.macros.size());
    sim.link.active_profile_cache = kProfile;
    sim.keyboard.EditMemory([&](SimMemory& m) { m.settings[10] = uint8_t(kProfile); });
    sim.keyboard.ClearTrace();
  }
  bool ApplyToTheKeyboard() { return ApplyToKeyboard(w.stores, sim.commands, messages, false); }
  int Position(KeyCode code) {
    const auto matrix = sim.link.DefaultMatrix();
    for (int k = 0; k < 126; ++k)
      if (DecodeFunction(matrix[k * 3], matrix[k * 3 + 1], matrix[k * 3 + 2]) == code) return k;
    return -1;
  }
  std::vector<uint8_t> Entry(int profile, int position) {
    SimMemory m = sim.keyboard.Memory();
    auto at = m.keymaps.begin() + profile * sim.link.stride + position * 3;
    return {at, at + 3};
  }
  int KeyMapWrites() {
    std::set<int> profiles;
    for (const CommandFrame& f : sim.Frames())
      if (f[frame::kCommand] == 8) profiles.insert(LoadU16(&f[frame::kOffset]) / sim.link.stride);
    return int(profiles.size());
  }

  testing::SimStack sim;
  class : public UserMessages {
   public:
    void ShowMessage(std::u16string_view) override {}
  } messages;
};

TEST_F(EditorOnKeyboard, PressingBOnTheAButtonReachesTheKeyMap) {
  Open(kButtonA);
  editor.OnThreadKey(Press('B', 0x30));
  editor.Ok();
  ASSERT_TRUE(ApplyToTheKeyboard());
  EXPECT_EQ(Entry(kProfile, Position(0x01E)), (std::vector<uint8_t>{2, 2, 5}));
}

TEST_F(EditorOnKeyboard, AMacroRecordedOnG1ReachesTheMacroAreaAndG1) {
  Open(kButtonG1);
  editor.OnPageButton(EditorPage::kMacro);
  editor.macro_page().AddMacro();
  editor.macro_page().StartRecording();
  w.clock.Advance(300);
  editor.OnThreadKey(Press('A', 0x1E));
  w.clock.Advance(80);
  editor.OnThreadKey(Release('A', 0x1E));
  editor.Ok();
  ASSERT_EQ(w.stores.edit.macros.size(), 1u);
  ASSERT_TRUE(ApplyToTheKeyboard());

  const MacroRecord& m = w.stores.edit.macros[0];
  ASSERT_EQ(m.event_count, 2);
  EXPECT_EQ(m.events[0].delay, 50u);  // delays are not measured by default
  const MacroAreaSizePair sizes = MacroAreaSizes(w.stores.edit.macros);
  const std::vector<uint8_t> area = BuildMacroArea(w.stores.edit.macros, sizes.with_names, true);
  const SimMemory memory = sim.keyboard.Memory();
  ASSERT_GE(memory.macros.size(), area.size());
  EXPECT_TRUE(std::equal(area.begin(), area.end(), memory.macros.begin()));
  EXPECT_EQ(Entry(kProfile, Position(0x200)), (std::vector<uint8_t>{5, 1, 0}));
}

TEST_F(EditorOnKeyboard, DeletingAPlayedMacroThenAddingOneWritesEveryProfile) {
  w.stores.edit.macros = {MakeMacro(1, u"One"), MakeMacro(2, u"Two")};
  w.stores.edit.SetRecord(kProfile, 0x30, MakeRecord(KeyType::kPlayMacro, 2));
  Open(kButtonA);
  editor.OnPageButton(EditorPage::kMacro);
  editor.macro_page().SelectMacro(1);
  w.view.answers = {true};
  ASSERT_TRUE(editor.macro_page().DeleteMacro(w.stores.edit));
  editor.macro_page().AddMacro();
  ASSERT_EQ(editor.macro_page().macros().back().macro_id, 2);
  editor.Ok();
  EXPECT_EQ(Stored(0x30), KeyRecord{});
  EXPECT_EQ(Stored(0x1E), MakeRecord(KeyType::kPlayMacro, 2, 1));  // A plays the new macro
  ASSERT_TRUE(ApplyToTheKeyboard());
  EXPECT_EQ(KeyMapWrites(), 3);
  const auto matrix = sim.link.DefaultMatrix();
  const int b = Position(0x030);
  EXPECT_EQ(Entry(kProfile, b), (std::vector<uint8_t>{matrix[b * 3], matrix[b * 3 + 1], matrix[b * 3 + 2]}));
}

}  // namespace
}  // namespace keyloom
