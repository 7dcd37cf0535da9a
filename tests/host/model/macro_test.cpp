#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/bytes.h"
#include "model/macro.h"

namespace keyloom {
namespace {

constexpr uint16_t kCodeA = 0x01E;

MacroRecord MakeMacro(std::u16string_view name, std::initializer_list<MacroEvent> events,
                      uint8_t cycles = 1, uint16_t id = 1) {
  MacroRecord m;
  SetMacroName(m, name);
  m.cycles = cycles;
  m.macro_id = id;
  for (const MacroEvent& e : events) m.events[m.event_count++] = e;
  return m;
}

// Press A and wait 50 ms, release A.
MacroRecord PressReleaseA(std::u16string_view name = u"") {
  return MakeMacro(name, {{50, kCodeA, kMacroStatePress}, {0, kCodeA, kMacroStateRelease}});
}

std::vector<uint8_t> Build(const std::vector<MacroRecord>& macros, bool names) {
  MacroAreaSizePair sizes = MacroAreaSizes(macros);
  return BuildMacroArea(macros, names ? sizes.with_names : sizes.without_names, names);
}

TEST(MacroLimits, NewIdIsTheLowestFreeOneAndNoneWhenAllAreTaken) {
  std::vector<MacroRecord> macros(3);
  macros[0].macro_id = 2;
  macros[1].macro_id = 3;
  macros[2].macro_id = 1;
  EXPECT_EQ(NextMacroId(macros), 4);
  macros.erase(macros.begin());  // ids keep their values when positions close up
  EXPECT_EQ(NextMacroId(macros), 2);
  EXPECT_EQ(NextMacroId({}), 1);

  std::vector<MacroRecord> full(kMaxMacros);
  for (int i = 0; i < kMaxMacros; ++i) full[i].macro_id = static_cast<uint16_t>(kMaxMacros - i);
  EXPECT_EQ(NextMacroId(full), 0);
}

TEST(MacroLimits, EventsBeyondFourThousandAreNotAdded) {
  auto m = std::make_unique<MacroRecord>();
  for (int i = 0; i < kMaxMacroEvents; ++i) ASSERT_TRUE(AddMacroEvent(*m, {10, kCodeA, 0}));
  EXPECT_FALSE(AddMacroEvent(*m, {20, kCodeA, 1}));
  EXPECT_EQ(m->event_count, kMaxMacroEvents);
  m->event_count = 0xFFFF;  // damaged: still nothing written past the array
  EXPECT_FALSE(AddMacroEvent(*m, {20, kCodeA, 1}));
}

TEST(MacroArea, OneMacroWithoutNamesIsThirtyExactBytes) {
  std::vector<MacroRecord> macros{PressReleaseA(u"ab")};
  const std::vector<uint8_t> expected = {
      0xAA, 0x55, 30, 0, 1, 0, 0, 0,  // magic, size, count, names flag
      0, 0, 0, 0, 0, 0, 0, 0,         // reserved
      18, 0,                          // offset of macro 0
      2, 0, 1, 0,                     // two events, cycles 1, no name
      0x05, 0xA0, 0x02, 0x04,         // press A (kind 2), delay 5 units
      0x00, 0x20, 0x02, 0x04};        // release A, delay 0
  EXPECT_EQ(Build(macros, false), expected);
}

TEST(MacroArea, OneNamedMacroWithNamesIsThirtyFourExactBytes) {
  std::vector<MacroRecord> macros{PressReleaseA(u"ab")};
  const std::vector<uint8_t> expected = {
      0xAA, 0x55, 34, 0, 1, 0, 1, 0,
      0, 0, 0, 0, 0, 0, 0, 0,
      18, 0,
      2, 0, 1, 2,                     // name length 2
      0x05, 0xA0, 0x02, 0x04,
      0x00, 0x20, 0x02, 0x04,
      0x61, 0x00, 0x62, 0x00};        // "ab" without NUL
  EXPECT_EQ(Build(macros, true), expected);
}

TEST(MacroArea, SizesCountHeaderOffsetsEventsAndNames) {
  EXPECT_EQ(MacroAreaSizes({}).with_names, 16u);
  EXPECT_EQ(MacroAreaSizes({}).without_names, 16u);

  std::vector<MacroRecord> macros{PressReleaseA(u"ab"), MakeMacro(u"xyz", {})};
  MacroAreaSizePair sizes = MacroAreaSizes(macros);
  EXPECT_EQ(sizes.without_names, 16u + 4 + (4 + 8) + 4);
  EXPECT_EQ(sizes.with_names, 16u + 4 + (4 + 8 + 4) + (4 + 6));
}

TEST(MacroArea, RecordClaimingTooManyEventsIsReadOnlyToItsArray) {
  auto m = std::make_unique<MacroRecord>();
  m->event_count = 0xFFFF;  // as a damaged profile file might hold
  std::vector<MacroRecord> macros{*m};
  EXPECT_EQ(MacroAreaSizes(macros).without_names, 16u + 2 + 4 + 4u * kMaxMacroEvents);
  std::vector<uint8_t> area = Build(macros, false);
  EXPECT_EQ(LoadU16(area.data() + 18), kMaxMacroEvents);
}

TEST(MacroArea, SizeBelowNeedOrBeyondSixteenBitsBuildsNothing) {
  std::vector<MacroRecord> macros{PressReleaseA(u"ab")};
  EXPECT_TRUE(BuildMacroArea(macros, 33, true).empty());
  EXPECT_TRUE(BuildMacroArea(macros, 29, false).empty());
  EXPECT_TRUE(BuildMacroArea(macros, 0x10000, false).empty());
}

TEST(MacroArea, LargerSizeIsZeroPaddedAndAnnounced) {
  std::vector<MacroRecord> macros{PressReleaseA()};
  std::vector<uint8_t> area = BuildMacroArea(macros, 40, false);
  ASSERT_EQ(area.size(), 40u);
  EXPECT_EQ(LoadU16(area.data() + 2), 40);
  for (size_t i = 30; i < 40; ++i) EXPECT_EQ(area[i], 0) << i;
}

// Delay word, kind and code bytes of single events, and the way back.
struct EventCase {
  const char* what;
  MacroEvent event;
  uint8_t bytes[4];
  MacroEvent decoded;
};

TEST(MacroEvent, EncodesAndDecodesEachKindOfKey) {
  const EventCase cases[] = {
      {"delay 40000 is 4000 units", {40000, kCodeA, 0}, {0xA0, 0xAF, 0x02, 0x04}, {40000, kCodeA, 0}},
      {"delay 15 is stored as 1 unit", {15, kCodeA, 1}, {0x01, 0x20, 0x02, 0x04}, {10, kCodeA, 1}},
      {"delay beyond the limit sent as the limit", {41000, kCodeA, 1}, {0xA0, 0x2F, 0x02, 0x04},
       {40000, kCodeA, 1}},
      {"left Win is a modifier bit", {0, 0x15B, 0}, {0x00, 0xA0, 0x01, 0x08}, {0, 0x15B, 0}},
      {"right Alt is a modifier bit", {0, 0x138, 1}, {0x00, 0x20, 0x01, 0x40}, {0, 0x138, 1}},
      {"Play/Pause is consumer 0x00CD", {20, 0x122, 0}, {0x02, 0xB0, 0xCD, 0x00}, {20, 0x122, 0}},
      {"WWW Home is consumer 0x0223", {0, 0x132, 1}, {0x00, 0x30, 0x23, 0x02}, {0, 0x132, 1}},
      {"Sleep is generic desktop 0x82", {0, 0x15F, 0}, {0x00, 0xC0, 0x82, 0x00}, {0, 0x15F, 0}},
      {"middle button", {0, 0x173, 0}, {0x00, 0x90, 0x01, 0x04}, {0, 0x173, 0}},
      {"wheel down", {0, 0x162, 0}, {0x00, 0x90, 0x05, 0xFF}, {0, 0x162, 0}},
      {"a key without usage is nothing", {0, 0x064, 0}, {0x00, 0x80, 0x00, 0x00}, {0, 0, 0}},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.what);
    uint8_t out[4] = {};
    EncodeMacroEvent(c.event, out);
    EXPECT_EQ(0, std::memcmp(out, c.bytes, 4))
        << std::hex << int(out[0]) << " " << int(out[1]) << " " << int(out[2]) << " " << int(out[3]);
    MacroEvent back = DecodeMacroEvent(c.bytes);
    EXPECT_EQ(back.delay, c.decoded.delay);
    EXPECT_EQ(back.key_code, c.decoded.key_code);
    EXPECT_EQ(back.state, c.decoded.state);
  }
}

TEST(MacroAreaDecode, RoundTripKeepsOrderEventsNamesAndCycles) {
  std::vector<MacroRecord> macros{
      MakeMacro(u"first", {{40000, 0x15B, 0}, {10, 0x122, 0}, {0, 0x122, 1}, {0, 0x15B, 1}}, 3, 7),
      MakeMacro(u"Überschrift", {}, 255, 2),
      PressReleaseA(u"third")};
  std::vector<MacroRecord> back = DecodeMacroArea(Build(macros, true), u"Macro ");
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < back.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::u16string(back[i].name), std::u16string(macros[i].name));
    EXPECT_EQ(back[i].cycles, macros[i].cycles);
    EXPECT_EQ(back[i].macro_id, i + 1);  // ids are positions + 1 after a read-back
    EXPECT_EQ(back[i].new_flag, 0);
    ASSERT_EQ(back[i].event_count, macros[i].event_count);
    for (int e = 0; e < back[i].event_count; ++e) {
      EXPECT_EQ(back[i].events[e].delay, macros[i].events[e].delay);
      EXPECT_EQ(back[i].events[e].key_code, macros[i].events[e].key_code);
      EXPECT_EQ(back[i].events[e].state, macros[i].events[e].state);
    }
  }
}

TEST(MacroAreaDecode, UnnamedMacrosAreNumberedWithThePrefix) {
  std::vector<MacroRecord> macros{PressReleaseA(u"a"), PressReleaseA(u"b"), PressReleaseA(u"c")};
  std::vector<MacroRecord> back = DecodeMacroArea(Build(macros, false), u"Macro ");
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(std::u16string(back[0].name), u"Macro 1");
  EXPECT_EQ(std::u16string(back[1].name), u"Macro 2");
  EXPECT_EQ(std::u16string(back[2].name), u"Macro 3");
}

TEST(MacroAreaDecode, LongNamesAndPrefixesAreCutToTheRecord) {
  std::u16string long_name(kMaxMacroNameLength, u'x');
  std::vector<MacroRecord> macros{PressReleaseA(long_name)};
  std::vector<uint8_t> area = Build(macros, true);
  // Claim 255 characters and supply them.
  area[18 + 3] = 255;
  area.resize(area.size() + 2 * (255 - kMaxMacroNameLength), 'y');
  StoreU16(area.data() + 2, static_cast<uint16_t>(area.size()));
  std::vector<MacroRecord> back = DecodeMacroArea(area, u"");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(MacroNameLength(back[0]), size_t(kMaxMacroNameLength));
  EXPECT_EQ(back[0].name[kMaxMacroNameLength], u'\0');

  back = DecodeMacroArea(Build(macros, false), std::u16string(300, u'p'));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(MacroNameLength(back[0]), size_t(kMaxMacroNameLength));
}

// Areas as a faulty or hostile keyboard might return them: decoding keeps
// the macros that fit entirely and never reads past the bytes.
struct BadAreaCase {
  const char* what;
  void (*damage)(std::vector<uint8_t>& area);
  size_t macros_kept;
};

// Three macros without names at offsets 22, 34 and 46; area of 58 bytes.
std::vector<uint8_t> ThreeMacroArea() {
  std::vector<MacroRecord> macros{PressReleaseA(), PressReleaseA(), PressReleaseA()};
  return Build(macros, false);
}

TEST(MacroAreaDecode, DamagedAreasKeepOnlyTheMacrosThatFit) {
  const BadAreaCase cases[] = {
      {"intact", [](std::vector<uint8_t>&) {}, 3},
      {"no magic", [](std::vector<uint8_t>& a) { a[0] = 0; }, 0},
      {"only the header", [](std::vector<uint8_t>& a) { a.resize(16); }, 0},
      {"shorter than its header", [](std::vector<uint8_t>& a) { a.resize(5); }, 0},
      {"empty", [](std::vector<uint8_t>& a) { a.clear(); }, 0},
      {"last macro cut short", [](std::vector<uint8_t>& a) { a.pop_back(); }, 2},
      {"size field shorter than the bytes",
       [](std::vector<uint8_t>& a) { StoreU16(a.data() + 2, 57); }, 2},
      {"second offset past the end", [](std::vector<uint8_t>& a) { StoreU16(a.data() + 18, 0xFFFF); },
       1},
      {"second macro claims too many events",
       [](std::vector<uint8_t>& a) { StoreU16(a.data() + 34, 6); }, 1},
      {"first macro claims more than 4000 events",
       [](std::vector<uint8_t>& a) {
         StoreU16(a.data() + 22, kMaxMacroEvents + 1);
         a.resize(a.size() + 4 * (kMaxMacroEvents + 1));
         StoreU16(a.data() + 2, 0xFFFF);
       },
       0},
      {"third macro's name runs past the end", [](std::vector<uint8_t>& a) { a[46 + 3] = 1; }, 2},
      {"count larger than the offset table",
       [](std::vector<uint8_t>& a) { StoreU16(a.data() + 4, 0x7FFF); }, 3},
  };
  for (const BadAreaCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> area = ThreeMacroArea();
    c.damage(area);
    // Exactly the damaged bytes, on the heap, so a sanitizer sees any overread.
    auto copy = std::make_unique<uint8_t[]>(area.size() + 1);
    std::copy(area.begin(), area.end(), copy.get());
    std::vector<MacroRecord> back =
        DecodeMacroArea(std::span<const uint8_t>(copy.get(), area.size()), u"M");
    EXPECT_EQ(back.size(), c.macros_kept);
  }
}

TEST(MacroAreaDecode, EveryTruncationDecodesOnlyWholeMacros) {
  std::vector<uint8_t> area = ThreeMacroArea();
  const size_t ends[] = {34, 46, 58};
  for (size_t length = 0; length <= area.size(); ++length) {
    size_t whole = 0;
    for (size_t end : ends) whole += end <= length ? 1 : 0;
    std::vector<uint8_t> cut(area.begin(), area.begin() + length);
    EXPECT_EQ(DecodeMacroArea(cut, u"M").size(), whole) << "length " << length;
  }
}

// Random damage to a valid area: whatever the bytes say, every decoded
// macro stays inside its record (a sanitizer build also sees any overread).
TEST(MacroAreaDecode, RandomDamageNeverLeavesTheRecords) {
  std::vector<MacroRecord> macros{PressReleaseA(u"one"), PressReleaseA(u"two"), PressReleaseA(u"three")};
  const std::vector<uint8_t> good = Build(macros, true);
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> area = good;
    const int changes = 1 + next() % 6;
    for (int c = 0; c < changes; ++c) area[next() % area.size()] = static_cast<uint8_t>(next());
    area.resize(next() % (area.size() + 1));
    for (const MacroRecord& m : DecodeMacroArea(area, u"M")) {
      ASSERT_LE(m.event_count, kMaxMacroEvents);
      ASSERT_LE(MacroNameLength(m), size_t(kMaxMacroNameLength));
      ASSERT_EQ(m.name[kMaxMacroNameLength], u'\0');
    }
  }
}

TEST(MacroAreaDecode, AtMostOneHundredMacros) {
  std::vector<MacroRecord> macros(101);
  std::vector<uint8_t> area = Build(macros, false);
  EXPECT_EQ(DecodeMacroArea(area, u"M").size(), size_t(kMaxMacros));
}

}  // namespace
}  // namespace keyloom
