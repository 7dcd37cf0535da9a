#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "model/key_apply.h"
#include "model/key_map.h"
#include "model/macro.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using testing::SimStack;

class RecordingMessages final : public UserMessages {
 public:
  void ShowMessage(std::u16string_view key) override { keys.emplace_back(key); }
  std::vector<std::u16string> keys;
};

MacroRecord Macro(uint16_t id, int events, std::u16string_view name = u"") {
  MacroRecord m;
  m.macro_id = id;
  m.event_count = static_cast<uint16_t>(events);
  for (int i = 0; i < events; ++i) {
    m.events[i] = MacroEvent{50, 0x01E, static_cast<uint16_t>(i % 2)};
  }
  SetMacroName(m, name);
  return m;
}

KeyRecord Rec(KeyType type, uint32_t value = 0) {
  KeyRecord r;
  r.type = uint16_t(type);
  r.value = value;
  return r;
}

struct Sent {
  int command;
  int offset;
  int length;
  bool operator==(const Sent&) const = default;
};

std::vector<Sent> SentFrames(const SimStack& sim) {
  std::vector<Sent> out;
  for (const CommandFrame& f : sim.Frames()) {
    out.push_back({f[frame::kCommand], LoadU16(&f[frame::kOffset]), f[frame::kLength]});
  }
  return out;
}

std::vector<int> Commands(const SimStack& sim) {
  std::vector<int> out;
  for (const Sent& s : SentFrames(sim)) out.push_back(s.command);
  return out;
}

// Frames of a chunked transfer of `size` bytes at `base`.
std::vector<Sent> Chunks(int command, int base, int size) {
  std::vector<Sent> out;
  for (int done = 0; done < size; done += 56) out.push_back({command, base + done, std::min(56, size - done)});
  return out;
}

// A keyboard as it is after its arrival: geometry, default matrix and macro
// capacity known, active profile read.
struct ApplyFixture {
  explicit ApplyFixture(char model = 'A', int active = 1) : sim(model) {
    SimMemory memory = sim.keyboard.Memory();
    sim.link.SetDefaultMatrix(memory.default_keymap);
    sim.link.macro_capacity = static_cast<int>(memory.macros.size());
    sim.keyboard.EditMemory([&](SimMemory& m) { m.settings[10] = uint8_t(active); });
    sim.keyboard.ClearTrace();
  }

  std::vector<uint8_t> Expected(int profile) {
    std::vector<uint8_t> block(sim.link.keymap_size, 0);
    EXPECT_TRUE(EncodeKeyMap(stores.applied, profile, sim.link.DefaultMatrix(), block));
    return block;
  }
  std::vector<uint8_t> KeyMapInKeyboard(int profile) {
    SimMemory m = sim.keyboard.Memory();
    auto begin = m.keymaps.begin() + profile * sim.link.stride;
    return std::vector<uint8_t>(begin, begin + sim.link.keymap_size);
  }

  SimStack sim;
  KeyStores stores;
  RecordingMessages messages;
};

TEST(ApplyToKeyboard, WritesBeginMacrosActiveKeyMapEndAndNothingElse) {
  ApplyFixture f('A', 1);
  f.stores.edit.macros = {Macro(1, 2, u"ab")};
  f.stores.edit.SetRecord(1, 0x1E, Rec(KeyType::kPlayMacro, 1));
  const std::vector<uint8_t> untouched = f.KeyMapInKeyboard(0);

  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));

  std::vector<Sent> expected = {{3, 0, 44}, {1, 0, 0}};  // the active profile is read first
  for (Sent s : Chunks(10, 0, 34)) expected.push_back(s);
  for (Sent s : Chunks(8, 378, 378)) expected.push_back(s);
  expected.push_back({2, 0, 0});
  EXPECT_EQ(SentFrames(f.sim), expected);

  const std::vector<uint8_t> area = BuildMacroArea(f.stores.applied.macros, 34, true);
  SimMemory m = f.sim.keyboard.Memory();
  EXPECT_TRUE(std::equal(area.begin(), area.end(), m.macros.begin()));
  EXPECT_EQ(f.KeyMapInKeyboard(1), f.Expected(1));
  EXPECT_EQ(f.KeyMapInKeyboard(1)[19 * 3], 5);  // A plays the macro
  EXPECT_EQ(f.KeyMapInKeyboard(0), untouched);
  EXPECT_TRUE(f.messages.keys.empty());

  // Once read, the active profile comes from the cache: no settings read.
  f.sim.keyboard.ClearTrace();
  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  EXPECT_EQ(Commands(f.sim).front(), 1);
}

// A key whose macro was deleted does nothing on the keyboard, and keeps its
// record: the user sees what it was and can give it another macro.
TEST(ApplyToKeyboard, KeyWhoseMacroIsGoneIsSentAsDoingNothingAndKeepsItsRecord) {
  ApplyFixture f('A', 1);
  f.stores.edit.macros = {Macro(1, 2, u"kept")};
  f.stores.edit.SetRecord(1, 0x1E, Rec(KeyType::kPlayMacro, 5));   // A: macro 5 is gone
  f.stores.edit.SetRecord(1, 0x30, Rec(KeyType::kPlayMacro, 1));   // B: the first macro

  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  const std::vector<uint8_t> block = f.KeyMapInKeyboard(1);
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 19 * 3, block.begin() + 20 * 3), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 52 * 3, block.begin() + 53 * 3), (std::vector<uint8_t>{5, 1, 0}));
  EXPECT_EQ(f.stores.edit.Record(1, 0x1E), Rec(KeyType::kPlayMacro, 5));
  EXPECT_EQ(f.stores.applied.Record(1, 0x1E), Rec(KeyType::kPlayMacro, 5));
}

TEST(ApplyToKeyboard, AllProfilesFlagWritesThreeKeyMapsAndClearsItself) {
  ApplyFixture f('B', 2);
  f.sim.link.active_profile_cache = 2;
  f.stores.all_profiles = true;
  for (int p = 0; p < 3; ++p) f.stores.edit.SetRecord(p, 256 + p, Rec(KeyType::kStopMacro));

  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));

  std::vector<Sent> expected = {{1, 0, 0}, {10, 0, 16}};
  for (int p = 0; p < 3; ++p) {
    for (Sent s : Chunks(8, p * 512, 384)) expected.push_back(s);
  }
  expected.push_back({2, 0, 0});
  EXPECT_EQ(SentFrames(f.sim), expected);
  EXPECT_FALSE(f.stores.all_profiles);

  const std::vector<uint8_t> defaults = f.sim.keyboard.Memory().default_keymap;
  for (int p = 0; p < 3; ++p) {
    std::vector<uint8_t> block = f.KeyMapInKeyboard(p);
    EXPECT_EQ(block, f.Expected(p)) << "profile " << p;
    // Bytes past the 126 positions are the keyboard's own defaults.
    EXPECT_TRUE(std::equal(block.begin() + 378, block.end(), defaults.begin() + 378));
  }
  // The G keys of the second model reach the keyboard.
  int stops = 0;
  for (int p = 0; p < 3; ++p) {
    std::vector<uint8_t> block = f.KeyMapInKeyboard(p);
    for (int k = 0; k < 126; ++k) stops += block[k * 3] == 5 && block[k * 3 + 1] == 2 && block[k * 3 + 2] == 0;
  }
  EXPECT_EQ(stops, 3);

  f.sim.keyboard.ClearTrace();
  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  EXPECT_EQ(Commands(f.sim).size(), 1u + 1u + 7u + 1u);  // the flag is gone: one key map
}

TEST(ApplyToKeyboard, MacroAreaAtCapacityIsSentOneByteMoreIsRefused) {
  // Two macros of 3 events, names "abc" and "d": 16 + 4 + 2 * 16 = 52 bytes
  // without names, 60 with them.
  struct Case {
    int capacity;
    bool sent;
    size_t area_size;
    std::vector<std::u16string> messages;
  } cases[] = {
      {60, true, 60, {}},
      {59, true, 52, {u"EXTRA_PROFILE_SPACE_TIGHT"}},
      {52, true, 52, {u"EXTRA_PROFILE_SPACE_TIGHT"}},
      {51, false, 0, {u"EXTRA_MACRO_TOO_LONG"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("capacity " + std::to_string(c.capacity));
    ApplyFixture f('A', 0);
    f.sim.link.active_profile_cache = 0;
    f.sim.link.macro_capacity = c.capacity;
    f.stores.edit.macros = {Macro(1, 3, u"abc"), Macro(2, 3, u"d")};
    ASSERT_EQ(MacroAreaSizes(f.stores.edit.macros).without_names, 52u);
    ASSERT_EQ(MacroAreaSizes(f.stores.edit.macros).with_names, 60u);

    EXPECT_EQ(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false), c.sent);
    EXPECT_EQ(f.messages.keys, c.messages);
    if (!c.sent) {
      EXPECT_TRUE(f.sim.Frames().empty());
      continue;
    }
    SimMemory m = f.sim.keyboard.Memory();
    EXPECT_EQ(LoadU16(&m.macros[2]), c.area_size);
    int macro_bytes = 0;
    for (const Sent& s : SentFrames(f.sim)) macro_bytes += s.command == 10 ? s.length : 0;
    EXPECT_EQ(size_t(macro_bytes), c.area_size);
  }
}

TEST(ApplyToKeyboard, AFailedCommandStopsTheSequenceAndFailsTheApply) {
  // All profiles: begin, one macro frame, 3 x 7 key-map frames, end.
  auto sequence = [](int key_map_frames, bool end) {
    std::vector<int> c = {1, 10};
    c.insert(c.end(), key_map_frames, 8);
    if (end) c.push_back(2);
    return c;
  };
  struct Case {
    const char* what;
    int failing_frame;  // counted from the begin command
    std::vector<int> commands;
  } cases[] = {
      {"begin", 1, {1}},
      {"macro write", 2, {1, 10, 2}},
      {"first key map", 3, sequence(1, true)},
      {"second key map", 10, sequence(8, true)},
      {"last key-map chunk", 23, sequence(21, true)},
      {"end", 24, sequence(21, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ApplyFixture f('A', 0);
    f.sim.link.active_profile_cache = 0;
    f.stores.all_profiles = true;
    f.sim.keyboard.ReplyStatusAt(c.failing_frame, 0xFF);
    EXPECT_FALSE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
    EXPECT_EQ(Commands(f.sim), c.commands);
    EXPECT_TRUE(f.stores.all_profiles) << "a failed apply must leave the flag for the next one";
  }
}

TEST(ApplyToKeyboard, UnreadableActiveProfileSendsNothing) {
  ApplyFixture f('A', 0);
  f.sim.link.connected = 0;
  EXPECT_FALSE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  EXPECT_TRUE(f.sim.Frames().empty());
  EXPECT_TRUE(f.messages.keys.empty());

  ApplyFixture g('A', 0);
  g.sim.keyboard.DropReplies(1000);
  EXPECT_FALSE(ApplyToKeyboard(g.stores, g.sim.commands, g.messages, false));
  for (int command : Commands(g.sim)) EXPECT_EQ(command, 3);  // only the attempts to read it
}

TEST(ApplyToKeyboard, CopiesTheEditStoreAndPacksTheTextPool) {
  ApplyFixture f('A', 0);
  f.sim.link.active_profile_cache = 0;
  KeyStore& edit = f.stores.edit;
  edit.macros = {Macro(4, 1)};
  edit.macros[0].new_flag = 1;
  edit.SetRecordAt(5, Rec(KeyType::kLaunchProgram, 999));
  SetStringSlot(edit, 5, u"calc");  // 10 bytes
  edit.SetRecordAt(600, Rec(KeyType::kTextBlock, 999));
  SetStringSlot(edit, 600, u"hi");  // 6 bytes
  edit.SetRecordAt(7, Rec(KeyType::kKey, 0x30));
  SetStringSlot(edit, 7, u"stale");  // a slot whose record holds no string: 12 bytes, not packed

  {
    std::lock_guard caller_holds(edit.mutex);  // as the main window calls it
    ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  }

  const KeyStore& applied = f.stores.applied;
  EXPECT_EQ(applied.RecordAt(5).value, 0u);
  EXPECT_EQ(applied.RecordAt(600).value, 10u);
  EXPECT_EQ(edit.RecordAt(5).value, 0u);
  EXPECT_EQ(edit.RecordAt(600).value, 10u);
  EXPECT_EQ(applied.RecordAt(7), Rec(KeyType::kKey, 0x30));
  ASSERT_EQ(applied.text_pool.size(), 28u);  // the sum of the slots
  const std::vector<uint8_t> packed = {'c', 0, 'a', 0, 'l', 0, 'c', 0, 0, 0, 'h', 0, 'i', 0, 0, 0};
  EXPECT_TRUE(std::equal(packed.begin(), packed.end(), applied.text_pool.begin()));
  EXPECT_EQ(LoadU16(&applied.block[14]), 1);   // macro count
  EXPECT_EQ(LoadU32(&applied.block[16]), 28u);  // text size
  ASSERT_EQ(applied.macros.size(), 1u);
  EXPECT_EQ(applied.macros[0].new_flag, 0);
  EXPECT_EQ(applied.macros[0].macro_id, 4);
  // The applied store is replaced, not added to, by the next apply.
  edit.macros.clear();
  ASSERT_TRUE(ApplyToKeyboard(f.stores, f.sim.commands, f.messages, false));
  EXPECT_TRUE(applied.macros.empty());
}

TEST(ResetProfileKeys, ClearsTheShownKeysOfOneProfile) {
  KeyStore edit;
  for (int p = 0; p < 3; ++p) {
    for (int k : {0x1E, 0x30, 0x2E, 256, 264}) edit.SetRecord(p, k, KeyRecord{2, 0x301, 0x30, 1, 0});
  }
  const uint16_t shown[] = {0x1E, 0x30};
  std::vector<uint16_t> refreshed;
  ASSERT_TRUE(ResetProfileKeys(edit, 1, shown, [&](uint16_t k) { refreshed.push_back(k); }));

  EXPECT_EQ(refreshed, (std::vector<uint16_t>{256, 257, 258, 259, 260, 261, 262, 263, 264, 0x1E, 0x30}));
  for (int k : {0x1E, 0x30, 256, 264}) EXPECT_EQ(edit.Record(1, k), KeyRecord{}) << k;
  EXPECT_TRUE(edit.Record(1, 0x2E).assigned());  // not shown on the window
  EXPECT_TRUE(edit.Record(0, 0x1E).assigned());
  EXPECT_TRUE(edit.Record(2, 256).assigned());
  EXPECT_FALSE(ResetProfileKeys(edit, -1, shown, nullptr));
  EXPECT_FALSE(ResetProfileKeys(edit, 3, shown, nullptr));
}

}  // namespace
// The key editor's record, which keyloomctl builds through the same function.
TEST(EditorKeyRecord, FollowsTheKeyEditorsRules) {
  const uint16_t a = KeyIndexFromCode(0x1E);
  const uint16_t g3 = kKeyIndexG1 + 2;
  struct Case {
    uint16_t key_index;
    KeyType type;
    uint32_t value;
    uint16_t cycles;
    KeyRecord want;
  };
  const Case cases[] = {
      {a, KeyType::kKey, 0x30, 0, {uint16_t(KeyType::kKey), 0, 0x30, 0, 0}},
      {a, KeyType::kKey, 0x1E, 0, {}},                                 // its own key: Default
      {a, KeyType::kKey, 0, 0, {}},                                    // nothing captured
      {a, KeyType::kKey, kCodeMouseLeft, 0, {uint16_t(KeyType::kKey), 0, kCodeMouseLeft, 0, 0}},
      {g3, KeyType::kKey, 0x30, 0, {uint16_t(KeyType::kKey), 0x303, 0x30, 0, 0}},  // the G key keeps its id
      {g3, KeyType::kPlayMacro, 7, 4, {uint16_t(KeyType::kPlayMacro), 4, 7, 0, 0}},
      {a, KeyType::kMedia, 7, 9, {uint16_t(KeyType::kMedia), 0, 7, 0, 0}},
      {g3, KeyType::kDisabled, 5, 0, {uint16_t(KeyType::kDisabled), 0x303, 0, 0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EditorKeyRecord(c.key_index, c.type, c.value, c.cycles), c.want)
        << "key " << c.key_index << " type " << int(c.type) << " value " << c.value;
}

TEST(AssignKey, EmptiesTheKeysStringAndSaysWhetherAnythingChanged) {
  KeyStore edit;
  const uint16_t a = KeyIndexFromCode(0x1E);
  const int number = RecordNumber(1, a);
  edit.SetRecordAt(number, KeyRecord{uint16_t(KeyType::kTextBlock), 0, 0, 0, 0});
  ASSERT_TRUE(SetStringSlot(edit, number, u"hello"));
  const KeyRecord b{uint16_t(KeyType::kKey), 0, 0x30, 0, 0};
  EXPECT_TRUE(AssignKey(edit, 1, a, b));
  EXPECT_EQ(edit.RecordAt(number), b);
  EXPECT_TRUE(edit.slots[number].text.empty());
  EXPECT_EQ(edit.text_size, 0u);
  EXPECT_FALSE(AssignKey(edit, 1, a, b));
  EXPECT_FALSE(AssignKey(edit, 4, a, b));
  EXPECT_FALSE(AssignKey(edit, 0, kRecordsPerBlock, b));
}

}  // namespace keyloom
