#include <gtest/gtest.h>

#include <cstring>

#include "composite_test_support.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/dialogs/macro_page_logic.h"

namespace keyloom {
namespace {

using testing::EditorWorld;
using testing::MakeMacro;
using testing::MakeRecord;

const MacroEvent kPressA{100, 0x01E, kMacroStatePress}, kReleaseA{0, 0x01E, kMacroStateRelease};

struct MacroPage : ::testing::Test {
  EditorWorld w;
  MacroPageLogic page{w.view, w.texts, w.settings, w.clock};

  void Load(std::vector<MacroRecord> macros) {
    page.Load(macros);
    page.ReadRecordDelayMode();
  }
  std::vector<std::u16string> Names() const {
    std::vector<std::u16string> names;
    for (const MacroRecord& m : page.macros()) names.emplace_back(m.name);
    return names;
  }
  void Key(uint32_t vk, uint32_t scan, bool up, int64_t after_ms) {
    w.clock.Advance(after_ms);
    page.OnRecordThreadKey({vk, scan, false, up, up});
  }
  void SetDelayMode(int mode) {
    w.settings.ints[testing::MemorySettings::Key(u"PROFILES", u"Record delays")] = mode;
    page.ReadRecordDelayMode();
  }
};

TEST_F(MacroPage, DefaultNamesTakeTheNextNumberNoOtherNameStartsWith) {
  Load({MakeMacro(1, u"macro 1")});
  page.AddMacro();  // "Macro 1" is taken (case ignored)
  EXPECT_EQ(Names().back(), u"Macro 2");
  EXPECT_EQ(page.macros().back().macro_id, 2);
  EXPECT_EQ(page.macros().back().new_flag, 1);
  EXPECT_EQ(page.macros().back().cycles, 1);
  EXPECT_EQ(page.current(), 1);
  EXPECT_EQ(w.view.macro_current, 1);
  EXPECT_TRUE(w.view.enabled[KEYLOOM_IDC_APPLY]);

  page.AddMacro();  // the counter goes on while the list is not empty
  EXPECT_EQ(Names().back(), u"Macro 3");

  // "Macro 10" starts with "Macro 1", so 1 is taken; an empty list starts at 1 again.
  Load({MakeMacro(3, u"Macro 10")});
  page.AddMacro();
  EXPECT_EQ(Names().back(), u"Macro 2");
  EXPECT_EQ(page.macros().back().macro_id, 1);  // the lowest free id
  Load({});
  page.AddMacro();
  page.AddMacro();
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"Macro 1", u"Macro 2"}));
}

TEST_F(MacroPage, AHundredMacrosAreTheMost) {
  std::vector<MacroRecord> full;
  for (uint16_t id = 1; id <= 100; ++id) full.push_back(MakeMacro(id, u"m"));
  Load(full);
  page.AddMacro();
  EXPECT_EQ(page.macros().size(), 100u);
  EXPECT_EQ(w.view.messages, std::vector<std::string>{"text:At most 100 macros"});
}

TEST_F(MacroPage, RenameKeepsTypedNamesUnlessAnotherNameStartsWithThem) {
  Load({MakeMacro(1, u"Macro 1"), MakeMacro(2, u"Copy")});
  page.SelectMacro(1);
  page.Rename(u"Paste");
  EXPECT_EQ(Names()[1], u"Paste");
  EXPECT_EQ(w.view.macro_names[1], u"Paste");
  page.Rename(u"ma");  // "Macro 1" starts with it
  EXPECT_EQ(Names()[1], u"Macro 2");
  page.Rename(u"");
  EXPECT_EQ(Names()[1], u"Macro 3");
  page.Rename(std::u16string(300, u'x'));
  EXPECT_EQ(std::u16string(page.macros()[1].name).size(), 249u);
  EXPECT_TRUE(w.view.enabled[KEYLOOM_IDC_APPLY]);

  // Typing into an empty list makes a macro.
  Load({});
  page.Rename(u"Hello");
  ASSERT_EQ(page.macros().size(), 1u);
  EXPECT_EQ(Names()[0], u"Hello");
  EXPECT_EQ(page.macros()[0].macro_id, 1);
  EXPECT_EQ(page.current(), 0);
}

TEST_F(MacroPage, DeletingAMacroAKeyPlaysAsksFirst) {
  w.stores.edit.SetRecord(2, 0x1E, MakeRecord(KeyType::kPlayMacro, 2));  // another profile's key
  Load({MakeMacro(1, u"One"), MakeMacro(2, u"Two"), MakeMacro(3, u"Three")});
  page.SelectMacro(1);
  EXPECT_FALSE(page.DeleteMacro(w.stores.edit));  // No
  EXPECT_EQ(w.view.questions, std::vector<std::string>{"MACRO_DELETE_CONFIRM_OF_KEYS"});
  EXPECT_EQ(page.macros().size(), 3u);
  w.view.answers = {true};
  EXPECT_TRUE(page.DeleteMacro(w.stores.edit));
  EXPECT_EQ(Names(), (std::vector<std::u16string>{u"One", u"Three"}));
  EXPECT_EQ(page.current(), 0);  // the one before it

  // A macro made in this editor is not asked about.
  page.AddMacro();
  w.view.questions.clear();
  EXPECT_TRUE(page.DeleteMacro(w.stores.edit));
  EXPECT_TRUE(w.view.questions.empty());
}

TEST_F(MacroPage, CyclesAreKeptWithinOneTo255) {
  Load({MakeMacro(1, u"One")});
  page.SelectMacro(0);
  struct Case {
    std::u16string typed, shown;
    int cycles;
  } cases[] = {{u"0", u"1", 1}, {u"999", u"255", 255}, {u"", u"1", 1}, {u"256", u"255", 255},
               {u"-4", u"1", 1}, {u"37", u"37", 37},  {u"255", u"255", 255}};
  for (const Case& c : cases) {
    w.view.cycles_text = c.typed;
    page.OnCyclesChanged(c.typed);
    EXPECT_EQ(w.view.cycles_text, c.shown) << Utf16ToUtf8(c.typed);
    EXPECT_EQ(page.cycles(), c.cycles) << Utf16ToUtf8(c.typed);
  }
  page.StoreCurrent();
  EXPECT_EQ(page.macros()[0].cycles, 255);
}

TEST_F(MacroPage, RecordingOneKeyInBothDelayModes) {
  for (int mode : {0, 1}) {
    Load({MakeMacro(1, u"One")});
    SetDelayMode(mode);
    page.SelectMacro(0);
    page.StartRecording();
    EXPECT_EQ(w.view.hooks, HookMode::kRecord);
    EXPECT_FALSE(w.view.enabled[KEYLOOM_IDC_MACRO_LIST]);
    Key('A', 0x1E, false, 500);
    Key('A', 0x1E, true, 137);
    page.StopRecording();
    EXPECT_EQ(w.view.hooks, HookMode::kNone);
    ASSERT_EQ(page.events().size(), 2u) << mode;
    EXPECT_EQ(page.events()[0].state, kMacroStatePress);
    EXPECT_EQ(page.events()[0].delay, mode == 0 ? 50u : 130u) << "measured, in steps of 10 ms";
    EXPECT_EQ(page.events()[1].state, kMacroStateRelease);
    EXPECT_EQ(page.events()[1].delay, 0u);
  }
}

TEST_F(MacroPage, RecordedEventsGoAfterTheSelectedRowAndShiftTheDelays) {
  Load({MakeMacro(1, u"One", {kPressA, kReleaseA})});
  SetDelayMode(1);
  page.SelectMacro(0);
  page.SelectEvent(0);
  page.InsertRecorded({0x030, kMacroStatePress, 30});
  // A press: 30 to the new row, which keeps the 100 A's press had to its release.
  ASSERT_EQ(page.events().size(), 3u);
  EXPECT_EQ(page.events()[0].delay, 30u);
  EXPECT_EQ(page.events()[1].key_code, 0x030);
  EXPECT_EQ(page.events()[1].delay, 100u);
  EXPECT_EQ(page.selected_event(), 1);
  // Nothing selected: at the end.
  page.SelectEvent(-1);
  page.InsertRecorded({0x030, kMacroStateRelease, 40});
  EXPECT_EQ(page.events()[2].delay, 40u);
  EXPECT_EQ(page.events()[3].delay, 0u);
  // The first row of a list gets no delay.
  Load({MakeMacro(1, u"One")});
  SetDelayMode(1);
  page.SelectMacro(0);
  page.InsertRecorded({0x030, kMacroStatePress, 700});
  EXPECT_EQ(page.events()[0].delay, 0u);
}

TEST_F(MacroPage, ARecordingStopsAt4000Events) {
  MacroRecord big = MakeMacro(1, u"Big");
  for (int i = 0; i < kMaxMacroEvents; ++i) AddMacroEvent(big, kPressA);
  Load({big});
  page.SelectMacro(0);
  page.InsertRecorded({0x030, kMacroStatePress, 10});
  EXPECT_EQ(page.events().size(), size_t(kMaxMacroEvents));
}

TEST_F(MacroPage, CellEditsOfKeyActionAndDelay) {
  Load({MakeMacro(1, u"One", {kPressA, kReleaseA})});
  page.SelectMacro(0);
  CellEdit key = page.BeginCellEdit(0, kEventKeyColumn);
  ASSERT_EQ(key.kind, CellEdit::Kind::kChoice);
  EXPECT_EQ(key.choices.size(), 106u);
  EXPECT_EQ(key.preset, 0);  // A has list order 0
  page.CommitKeyCell(0, 1);  // list order 1 is B
  EXPECT_EQ(page.events()[0].key_code, 0x030);

  CellEdit action = page.BeginCellEdit(1, kEventActionColumn);
  EXPECT_EQ(action.choices, (std::vector<std::u16string>{u"\u2193", u"  \u2191"}));
  EXPECT_EQ(action.preset, 1);
  page.CommitActionCell(1, 0);
  EXPECT_EQ(page.events()[1].state, kMacroStatePress);

  EXPECT_EQ(page.BeginCellEdit(0, kEventDelayColumn).text, u"100");
  struct Case {
    std::u16string typed;
    uint32_t stored;
    bool message;
  } cases[] = {{u"40005", 40000, true}, {u"1234", 1230, false}, {u"99999999999999999999", 40000, true},
               {u"", 0, false},         {u"40000", 40000, false}, {u"7", 0, false}};
  for (const Case& c : cases) {
    w.view.messages.clear();
    page.CommitDelayCell(0, c.typed);
    EXPECT_EQ(page.events()[0].delay, c.stored) << Utf16ToUtf8(c.typed);
    EXPECT_EQ(w.view.messages.size(), c.message ? 1u : 0u) << Utf16ToUtf8(c.typed);
  }
  w.view.messages.clear();
  page.CommitDelayCell(0, u"50000");
  EXPECT_EQ(w.view.messages, std::vector<std::string>{"text:At most 40000 ms"});

  EXPECT_EQ(page.BeginCellEdit(0, 3).kind, CellEdit::Kind::kNone);
  EXPECT_EQ(w.view.messages.back(), "key:MACRO_ACTION_ERR_MODIFY");
}

TEST_F(MacroPage, EditingADelayStopsARecording) {
  Load({MakeMacro(1, u"One", {kPressA, kReleaseA})});
  page.SelectMacro(0);
  page.StartRecording();
  page.BeginCellEdit(0, kEventDelayColumn);
  EXPECT_FALSE(page.recording());
  EXPECT_EQ(w.view.hooks, HookMode::kNone);
}

TEST_F(MacroPage, MovesKeepTheRowSelected) {
  const MacroEvent a{10, 0x01E, 0}, b{20, 0x030, 0}, c{30, 0x02E, 0};
  struct Case {
    MacroPageLogic::Move move;
    int from;
    std::vector<uint16_t> order;
    int selected;
  } cases[] = {{MacroPageLogic::Move::kTop, 2, {0x02E, 0x01E, 0x030}, 0},
               {MacroPageLogic::Move::kUp, 1, {0x030, 0x01E, 0x02E}, 0},
               {MacroPageLogic::Move::kDown, 0, {0x030, 0x01E, 0x02E}, 1},
               {MacroPageLogic::Move::kBottom, 0, {0x030, 0x02E, 0x01E}, 2},
               {MacroPageLogic::Move::kUp, 0, {0x01E, 0x030, 0x02E}, 0}};
  for (const Case& k : cases) {
    Load({MakeMacro(1, u"One", {a, b, c})});
    page.SelectMacro(0);
    page.SelectEvent(k.from);
    page.MoveEvent(k.move);
    std::vector<uint16_t> order;
    for (const MacroEvent& e : page.events()) order.push_back(e.key_code);
    EXPECT_EQ(order, k.order);
    EXPECT_EQ(page.selected_event(), k.selected);
    if (k.selected != k.from) {
      EXPECT_EQ(w.view.event_selection, k.selected);
    }
  }
}

TEST_F(MacroPage, UndoAndRedoEveryChangeAndAWholeRecordingAsOneStep) {
  Load({MakeMacro(1, u"One", {kPressA, kReleaseA}), MakeMacro(2, u"Two")});
  SetDelayMode(1);
  page.SelectMacro(0);
  const std::vector<MacroEvent> original = page.events();
  page.SelectEvent(0);

  page.StartRecording();
  Key('B', 0x30, false, 40);
  Key('B', 0x30, true, 60);
  page.SelectEvent(3);  // a click in the list while recording changes nothing
  page.DeleteEvent();   // a change in the middle ends that part of the recording
  Key('C', 0x2E, false, 20);
  page.StopRecording();
  const std::vector<MacroEvent> recorded = page.events();

  EXPECT_TRUE(page.Undo());  // the recording after the delete
  EXPECT_TRUE(page.Undo());  // the delete
  EXPECT_TRUE(page.Undo());  // the recording before it
  ASSERT_EQ(page.events().size(), original.size());
  EXPECT_EQ(0, std::memcmp(page.events().data(), original.data(), original.size() * sizeof(MacroEvent)));
  EXPECT_FALSE(page.Undo());
  EXPECT_TRUE(page.Redo());
  EXPECT_TRUE(page.Redo());
  EXPECT_TRUE(page.Redo());
  ASSERT_EQ(page.events().size(), recorded.size());
  EXPECT_EQ(0, std::memcmp(page.events().data(), recorded.data(), recorded.size() * sizeof(MacroEvent)));

  // Each macro keeps its own history; a clear is undone too.
  page.SelectMacro(1);
  EXPECT_FALSE(page.CanUndo());
  page.SelectMacro(0);
  w.view.answers = {true};
  page.ClearEvents();
  EXPECT_TRUE(page.events().empty());
  page.Undo();
  EXPECT_EQ(page.events().size(), recorded.size());
  EXPECT_TRUE(page.CanRedo());
}

TEST_F(MacroPage, TheRecordDelayModeIsZeroUnlessStoredAsOne) {
  const std::u16string key = testing::MemorySettings::Key(u"PROFILES", u"Record delays");
  Load({});
  EXPECT_EQ(page.record_delay_mode(), 0);
  EXPECT_EQ(w.settings.writes, 0);
  w.settings.ints[key] = 7;
  page.ReadRecordDelayMode();
  EXPECT_EQ(page.record_delay_mode(), 0);
  EXPECT_EQ(w.settings.ints[key], 0);  // written back
  page.ToggleRecordDelay();
  EXPECT_EQ(w.settings.ints[key], 1);
  EXPECT_TRUE(w.view.checked[KEYLOOM_IDC_RECORD_DELAY]);
}

TEST_F(MacroPage, CommitResetsKeysOfGoneMacrosAndReplacesTheStoresMacros) {
  KeyStore& edit = w.stores.edit;
  edit.macros = {MakeMacro(1, u"One"), MakeMacro(2, u"Two"), MakeMacro(3, u"Three")};
  edit.SetRecord(1, 0x1E, MakeRecord(KeyType::kPlayMacro, 2));  // plays Two
  edit.SetRecord(1, 0x30, MakeRecord(KeyType::kPlayMacro, 0));  // no macro yet
  edit.SetRecord(1, 256, MakeRecord(KeyType::kPlayMacro, 9, 3));  // G1, a macro that is gone
  Load(edit.macros);
  page.SelectMacro(1);
  w.view.answers = {true};
  ASSERT_TRUE(page.DeleteMacro(edit));
  page.AddMacro();  // takes id 2 again
  ASSERT_EQ(page.macros().back().macro_id, 2);

  EXPECT_TRUE(page.Commit(w.stores, 1, w.host));
  EXPECT_EQ(edit.Record(1, 0x1E), KeyRecord{});
  EXPECT_EQ(edit.Record(1, 0x30), MakeRecord(KeyType::kPlayMacro, 1));
  EXPECT_EQ(edit.Record(1, 256), MakeRecord(KeyType::kDefault, 0, 0x301));  // G1 keeps its id
  ASSERT_EQ(edit.macros.size(), 3u);
  EXPECT_EQ(edit.macros[2].macro_id, 2);
  EXPECT_EQ(edit.macros[2].new_flag, 0);
  EXPECT_EQ(page.macros()[2].new_flag, 0);
  EXPECT_EQ(w.host.changed, 1);
  EXPECT_EQ(w.host.refreshed.size(), 3u);
  EXPECT_TRUE(w.stores.all_profiles) << "a macro that a key played was deleted";

  // A position that moves under another profile's key makes the next apply
  // write every profile, although no key played the deleted macro.
  w.stores.all_profiles = false;
  edit.SetRecord(1, 0x30, KeyRecord{});
  edit.SetRecord(0, 0x1E, MakeRecord(KeyType::kPlayMacro, 3));  // Three, at position 1
  page.SelectMacro(0);
  w.view.questions.clear();
  ASSERT_TRUE(page.DeleteMacro(edit));  // One: Three moves to position 0
  EXPECT_TRUE(w.view.questions.empty());
  page.Commit(w.stores, 1, w.host);
  EXPECT_TRUE(w.stores.all_profiles);
  EXPECT_EQ(edit.Record(0, 0x1E), MakeRecord(KeyType::kPlayMacro, 3));

  // Nothing to change: nothing marked.
  w.host.changed = 0;
  EXPECT_FALSE(page.Commit(w.stores, 1, w.host));
  EXPECT_EQ(w.host.changed, 0);
}

}  // namespace
}  // namespace keyloom
