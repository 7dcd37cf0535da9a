#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "base/bytes.h"
#include "base/text.h"
#include "model/key_map.h"
#include "storage/persist_support.h"
#include "storage/profile_file.h"
#include "support/sim_stack.h"

namespace keyloom {
namespace {

using persist_test::FixedTexts;
using persist_test::ReadFile;
using persist_test::RecordingBoxes;
using persist_test::TempDir;
using persist_test::WriteFile;

constexpr size_t kBlock = kStoreBlockBytes;  // 32832
constexpr size_t kMacro = kMacroRecordBytes;  // 32512

// A valid file: a new store block with the header's counts, then zeros for
// the macros and the pool.
std::vector<uint8_t> ValidFile(uint16_t macros = 0, uint32_t text = 0, uint8_t flag = 0) {
  std::vector<uint8_t> file = NewStoreBlock(flag);
  FillProfileHeader(std::span<uint8_t>(file).first<kStoreHeaderBytes>(), macros, text, flag);
  file.resize(kBlock + macros * kMacro + text, 0);
  return file;
}

void Reseal(std::vector<uint8_t>& file) { file[31] = HeaderChecksum(file); }

KeyRecord Rec(KeyType type, uint32_t value) {
  KeyRecord r;
  r.type = static_cast<uint16_t>(type);
  r.value = value;
  return r;
}

void PutRecord(std::vector<uint8_t>& file, int n, const KeyRecord& r) {
  StoreKeyRecord(r, std::span<uint8_t>(file).subspan(KeyRecordOffset(n)).first<kKeyRecordBytes>());
}

std::vector<uint8_t> Utf16Bytes(std::u16string_view s, bool nul = true) {
  std::vector<uint8_t> out;
  for (char16_t c : s) out.insert(out.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
  if (nul) out.insert(out.end(), {0, 0});
  return out;
}

struct CheckFixture {
  TempDir dir;
  FixedTexts texts;
  RecordingBoxes boxes;
  CheckFixture() { texts.texts[u"PROFILE_FORMAT_ERROR"] = u"Not a profile file: %s (%d%n%s)"; }
  int Check(const std::u16string& path) { return ProfileFileCheck(path, texts, boxes); }
};

TEST(ProfileFile, NewFileHeaderBytes) {
  const std::vector<uint8_t> block = NewStoreBlock(0);
  ASSERT_EQ(block.size(), kBlock);
  const std::vector<uint8_t> header(block.begin(), block.begin() + 64);
  const std::vector<uint8_t> expected = {
      0x46, 0x44, 0x20, 0x00, 0x03, 0x00, 0x01, 0x00, 0x40, 0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x76,
      0x4B, 0x48, 0x20, 0x00, 0x20, 0x80, 0x00, 0x00, 0x04, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00,
      0x45, 0x0C, 0x2F, 0x65, 0x4F, 0x1C, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(header, expected);
  // G-key ids in block 0 only.
  KeyStore store;
  store.block = block;
  EXPECT_EQ(store.Record(0, 256).sub, 0x301);
  EXPECT_EQ(store.Record(0, 273).sub, 0x1309);
  EXPECT_EQ(store.Record(1, 256).sub, 0);
}

TEST(ProfileFile, CheckRefusesWhatTheHeaderGetsWrong) {
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> change;
    int expected;
  };
  auto set16 = [](size_t at, uint16_t v) { return [=](std::vector<uint8_t>& f) { StoreU16(&f[at], v), Reseal(f); }; };
  auto set32 = [](size_t at, uint32_t v) { return [=](std::vector<uint8_t>& f) { StoreU32(&f[at], v), Reseal(f); }; };
  const Case cases[] = {
      {"exactly 32832 bytes", [](auto&) {}, 1},
      {"longer than its header says", [](auto& f) { f.resize(f.size() + 100, 0xAB); }, 1},
      {"checksum off by one", [](auto& f) { f[31]++; }, 0},
      {"flag byte 1", [](auto& f) { f[30] = 1, Reseal(f); }, 1},
      {"flag byte 2", [](auto& f) { f[30] = 2, Reseal(f); }, 0},
      {"101 macros, sizes agreeing",
       [](auto& f) {
         f = ValidFile(100);
         StoreU16(&f[14], 101);
         StoreU32(&f[8], uint32_t(kBlock + 101 * kMacro));
         f.resize(kBlock + 101 * kMacro);
         Reseal(f);
       },
       0},
      {"100 macros and a pool", [](auto& f) { f = ValidFile(100, 6); }, 1},
      {"magic", set16(0, 0x4447), 0},
      {"header size", set16(2, 31), 0},
      {"version", set16(4, 4), 0},
      {"revision", set16(6, 0), 0},
      {"total below 32832", [](auto& f) { StoreU32(&f[8], 32830), StoreU32(&f[16], uint32_t(-2)), Reseal(f); }, 0},
      {"record count", set16(12, 2047), 0},
      {"total not the sum", set32(8, kBlock + 2), 0},
      // The header is consistent but the file lacks what it declares.
      {"shorter than declared", [](auto& f) { f = ValidFile(1, 8), f.resize(kBlock + 100); }, 0},
      {"text pool cut short", [](auto& f) { f = ValidFile(0, 8), f.pop_back(); }, 0},
      // More than the store holds, or than any valid file holds, is refused
      // before it is read.
      {"text pool larger than the store holds", [](auto& f) { f = ValidFile(0, uint32_t(kMaxTextPoolBytes) + 2); }, 0},
      {"the largest valid file", [](auto& f) { f = ValidFile(100, uint32_t(kMaxTextPoolBytes)); }, 1},
      {"larger than any valid file", [](auto& f) { f = ValidFile(100, uint32_t(kMaxTextPoolBytes)), f.push_back(0); }, 0},
      {"a string longer than a slot holds",
       [](auto& f) {
         f = ValidFile(0, (kMaxStringUnits + 1) * 2 + 2);
         PutRecord(f, 9, Rec(KeyType::kTextBlock, 0));
         std::fill(f.begin() + kBlock, f.end() - 2, 'x');
       },
       0},
  };
  for (const Case& c : cases) {
    CheckFixture fx;
    std::vector<uint8_t> file = ValidFile();
    c.change(file);
    const std::u16string path = fx.dir.File("p.fwc");
    WriteFile(path, file);
    EXPECT_EQ(fx.Check(path), c.expected) << c.name;
    if (c.expected == 1) {
      EXPECT_TRUE(fx.boxes.shown.empty()) << c.name;
    } else {
      // The language text is a format that gets the path and nothing else.
      EXPECT_EQ(fx.boxes.shown, std::vector<std::string>{"text:Not a profile file: " + Utf16ToUtf8(path) + " (%d%n%s)"})
          << c.name;
    }
  }
}

// Records that all name one string (a small file asking for a copy of its
// string in every slot) get copies only while they fit in the store.
TEST(ProfileFile, SharedStringsAreCopiedOnlyAsFarAsTheStoreHolds) {
  const uint32_t text = kMaxStringSlotBytes;  // one string of 32767 units
  std::vector<uint8_t> file = ValidFile(0, text);
  for (int n = 0; n < kKeyRecordCount; ++n) PutRecord(file, n, Rec(KeyType::kTextBlock, 0));
  std::fill(file.begin() + kBlock, file.end() - 2, 'y');
  ASSERT_EQ(CheckProfileBytes(file), ProfileCheck::kValid);
  KeyStore store;
  ASSERT_TRUE(ReadProfileBytes(file, store));
  EXPECT_EQ(store.text_size, kMaxTextPoolBytes);
  EXPECT_EQ(store.slots[15].size, kMaxStringSlotBytes);
  EXPECT_EQ(store.slots[16].size, 0u);
  EXPECT_EQ(store.RecordAt(2047), Rec(KeyType::kTextBlock, 0)) << "the record stays, without a string";

  TempDir dir;
  ASSERT_TRUE(ProfileFileWrite(dir.File("out.fwc"), store, true));
  EXPECT_EQ(ReadFile(dir.File("out.fwc")).size(), kBlock + kMaxTextPoolBytes);
}

TEST(ProfileFile, CheckOfFilesThatCannotBeRead) {
  CheckFixture fx;
  EXPECT_EQ(fx.Check(fx.dir.File("missing.fwc")), 0);
  std::vector<uint8_t> short_file = ValidFile();
  short_file.resize(kBlock - 1);
  WriteFile(fx.dir.File("short.fwc"), short_file);
  EXPECT_EQ(fx.Check(fx.dir.File("short.fwc")), 0);
  std::filesystem::create_directories(fx.dir.path() / "folder.fwc");
  EXPECT_EQ(fx.Check(fx.dir.File("folder.fwc")), kProfileCheckCannotOpen);
  EXPECT_TRUE(fx.boxes.shown.empty());  // none of these is a format error

  // A read-only file is read like any other: it is never opened for writing.
  const std::u16string locked = fx.dir.File("locked.fwc");
  WriteFile(locked, ValidFile());
  std::filesystem::permissions(std::filesystem::path(locked), std::filesystem::perms::owner_read);
  EXPECT_EQ(fx.Check(locked), 1);
  KeyStore store;
  EXPECT_EQ(ProfileFileRead(locked, store), 1);
  std::filesystem::permissions(std::filesystem::path(locked), std::filesystem::perms::owner_all);
}

// Records whose strings lie in, across and outside the pool.
TEST(ProfileFile, ReadKeepsStringsInsideThePool) {
  std::vector<uint8_t> pool = Utf16Bytes(u"abcd");  // 10 bytes at 0
  const std::vector<uint8_t> xy = Utf16Bytes(u"xy");  // 6 bytes at 10
  pool.insert(pool.end(), xy.begin(), xy.end());
  const std::vector<uint8_t> tail = Utf16Bytes(u"zz", false);  // at 16, no NUL before the pool ends
  pool.insert(pool.end(), tail.begin(), tail.end());
  ASSERT_EQ(pool.size(), 20u);

  std::vector<uint8_t> file = ValidFile(1, 20);
  struct Expect {
    int record;
    KeyRecord rec;
    std::u16string text;
    uint32_t size;
  };
  const Expect expects[] = {
      {0, Rec(KeyType::kLaunchProgram, 0), u"abcd", 10},
      {1, Rec(KeyType::kTextBlock, 11), u"xy", 6},                // odd offset: rounded down
      {2, Rec(KeyType::kLaunchProgram, 20), u"", 0},              // at the pool's end: no string
      {3, Rec(KeyType::kTextBlock, 0xFFFFFFFF), u"", 0},          // far outside
      {4, Rec(KeyType::kLaunchProgram, 16), u"zz", 6},            // stops at the pool's end
      {5, Rec(KeyType::kKey, 0), u"", 0},                         // not a string record
      {6, Rec(KeyType::kLaunchProgram, 8), u"", 2},               // the NUL of "abcd": an empty string
      {1024 + 7, Rec(KeyType::kTextBlock, 19), u"z", 4},          // last whole unit only
  };
  for (const Expect& e : expects) PutRecord(file, e.record, e.rec);
  MacroRecord macro;
  SetMacroName(macro, u"Greeting");
  macro.macro_id = 7;
  macro.event_count = 2;
  macro.events[1] = MacroEvent{40, 0x01E, kMacroStateRelease};
  std::memcpy(file.data() + kBlock, &macro, kMacro);
  std::copy(pool.begin(), pool.end(), file.begin() + kBlock + kMacro);
  file.insert(file.end(), 8, 'Q');  // bytes past the pool are not part of any string
  ASSERT_EQ(CheckProfileBytes(file), ProfileCheck::kValid);

  KeyStore store;
  ASSERT_TRUE(ReadProfileBytes(file, store));
  EXPECT_EQ(store.block, std::vector<uint8_t>(file.begin(), file.begin() + kBlock));
  ASSERT_EQ(store.macros.size(), 1u);
  EXPECT_EQ(std::memcmp(&store.macros[0], &macro, kMacro), 0);
  uint64_t sum = 0;
  for (const Expect& e : expects) {
    EXPECT_EQ(store.RecordAt(e.record), e.rec) << e.record;
    EXPECT_EQ(store.slots[e.record].text, e.text) << e.record;
    EXPECT_EQ(store.slots[e.record].size, e.size) << e.record;
    sum += e.size;
  }
  EXPECT_EQ(store.text_size, sum);
}

TEST(ProfileFile, ReadOfAFileShorterThanItsHeaderChangesNothing) {
  TempDir dir;
  KeyStore store;
  store.SetRecord(1, 0x1E, Rec(KeyType::kKey, 0x30));
  SetStringSlot(store, 5, u"kept");
  const std::vector<uint8_t> before = store.block;

  std::vector<uint8_t> file = ValidFile(2, 10);
  file.resize(kBlock + kMacro);  // one of two macros, no pool
  EXPECT_FALSE(ReadProfileBytes(file, store));
  WriteFile(dir.File("short.fwc"), file);
  EXPECT_EQ(ProfileFileRead(dir.File("short.fwc"), store), 0);
  EXPECT_EQ(ProfileFileRead(dir.File("missing.fwc"), store), 0);
  EXPECT_EQ(store.block, before);
  EXPECT_EQ(store.slots[5].text, u"kept");
  EXPECT_EQ(store.text_size, 10u);

  // Too many macros is refused even when the bytes are there.
  file = ValidFile(100);
  StoreU16(&file[14], 101);
  file.resize(kBlock + 101 * kMacro);
  EXPECT_FALSE(ReadProfileBytes(file, store));
}

TEST(ProfileFile, WritePacksStringsInRecordOrder) {
  TempDir dir;
  KeyStore store;
  store.block = NewStoreBlock(0);
  // Slots set out of record order: record 700's string is set first.
  store.SetRecordAt(700, Rec(KeyType::kTextBlock, 999));
  SetStringSlot(store, 700, u"xy");  // 6 bytes
  store.SetRecordAt(3, Rec(KeyType::kLaunchProgram, 999));
  SetStringSlot(store, 3, u"abcd");  // 10 bytes
  // A launch-program record with no string keeps its value and adds nothing.
  store.SetRecordAt(4, Rec(KeyType::kLaunchProgram, 1234));
  store.macros.resize(1);
  SetMacroName(store.macros[0], u"M");
  store.macros[0].event_count = 1;

  const std::u16string path = dir.File("out.fwc");
  ASSERT_TRUE(ProfileFileWrite(path, store, true));
  const std::vector<uint8_t> file = ReadFile(path);
  ASSERT_EQ(file.size(), kBlock + kMacro + 16);
  EXPECT_EQ(CheckProfileBytes(file), ProfileCheck::kValid);
  EXPECT_EQ(LoadU16(&file[14]), 1);
  EXPECT_EQ(LoadU32(&file[16]), 16u);
  std::vector<uint8_t> pool = Utf16Bytes(u"abcd");
  const std::vector<uint8_t> xy = Utf16Bytes(u"xy");
  pool.insert(pool.end(), xy.begin(), xy.end());
  EXPECT_EQ(std::vector<uint8_t>(file.end() - 16, file.end()), pool);
  EXPECT_EQ(LoadU32(&file[KeyRecordOffset(3) + 4]), 0u);
  EXPECT_EQ(LoadU32(&file[KeyRecordOffset(700) + 4]), 10u);
  EXPECT_EQ(LoadU32(&file[KeyRecordOffset(4) + 4]), 1234u);
  // The store now says what the file says.
  EXPECT_EQ(store.block, std::vector<uint8_t>(file.begin(), file.begin() + kBlock));

  // Reading it back gives the same document.
  KeyStore again;
  ASSERT_EQ(ProfileFileRead(path, again), 1);
  EXPECT_EQ(again.block, store.block);
  EXPECT_EQ(std::memcmp(again.macros.data(), store.macros.data(), kMacro), 0);
  EXPECT_EQ(again.slots[3].text, u"abcd");
  EXPECT_EQ(again.slots[700].text, u"xy");
  EXPECT_EQ(again.slots[4].size, 0u);
  EXPECT_EQ(again.text_size, 16u);
}

// Whatever goes wrong while writing, the old file stays as it was and no
// temporary file is left beside it.
TEST(ProfileFile, FailedWriteLeavesTheOldFile) {
  TempDir dir;
  KeyStore store;
  store.block = NewStoreBlock(0);
  store.macros.resize(3);
  const std::u16string path = dir.File("mine.fwc");
  const std::vector<uint8_t> old = ValidFile(0, 0, 1);
  struct Case {
    const char* name;
    WriteFaults faults;
  };
  const Case cases[] = {
      {"disk full in the store block", {.space_left = 1000}},
      {"disk full in the macros", {.space_left = kBlock + kMacro + 5}},
      {"flush fails", {.fail_flush = true}},
      {"replace fails", {.fail_replace = true}},
  };
  for (const Case& c : cases) {
    WriteFile(path, old);
    EXPECT_FALSE(ProfileFileWrite(path, store, true, &c.faults)) << c.name;
    EXPECT_EQ(ReadFile(path), old) << c.name;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"mine.fwc"}) << c.name;
  }
  ASSERT_TRUE(ProfileFileWrite(path, store, true));
  EXPECT_EQ(ReadFile(path).size(), kBlock + 3 * kMacro);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"mine.fwc"});

  // A folder that cannot hold files: one that is a file, one that is missing.
  WriteFile(dir.File("plain"), std::string("not a folder"));
  EXPECT_FALSE(ProfileFileWrite(dir.File("plain") + u"/x.fwc", store, false));
  EXPECT_FALSE(ProfileFileWrite(dir.File("missing") + u"/x.fwc", store, false));
  EXPECT_EQ(NewProfileFile(dir.File("missing") + u"/x.fwc", 0, nullptr), 0);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"mine.fwc", "plain"}));
}

TEST(ProfileFile, NewProfileFileOnDiskAndInMemory) {
  CheckFixture fx;
  const std::u16string path = fx.dir.File("new.fwc");
  ASSERT_EQ(NewProfileFile(path, 0, nullptr), 1);
  EXPECT_EQ(ReadFile(path), NewStoreBlock(0));
  EXPECT_EQ(fx.Check(path), 1);

  KeyStore store;
  store.block.assign(kBlock, 0xEE);
  ASSERT_EQ(NewProfileFile(u"", 1, &store), 1);
  EXPECT_EQ(store.block, NewStoreBlock(1));
}

// ---- The keyboard's memory as a profile file, and back ---------------------

struct KeyboardFixture {
  explicit KeyboardFixture(char model = 'A') : sim(model) {
    const SimMemory memory = sim.keyboard.Memory();
    sim.link.SetDefaultMatrix(memory.default_keymap);
    sim.link.macro_capacity = static_cast<int>(memory.macros.size());
    texts.texts[u"MACRO_NEW_PREFIX"] = u"Macro ";
    texts.texts[u"PROFILE_FORMAT_ERROR"] = u"Bad: %s";
  }

  // Key maps with a few assignments per profile and a macro area with two
  // macros.
  void Configure(bool names) {
    MacroRecord a, b;
    a.macro_id = 1, a.cycles = 3, a.event_count = 2;
    a.events[0] = {10, 0x01E, kMacroStatePress};
    a.events[1] = {20, 0x01E, kMacroStateRelease};
    SetMacroName(a, u"Hello");
    b.macro_id = 2, b.cycles = 1, b.event_count = 1;
    b.events[0] = {0, 0x030, kMacroStatePress};
    SetMacroName(b, u"World");
    const std::vector<MacroRecord> macros = {a, b};
    const MacroAreaSizePair sizes = MacroAreaSizes(macros);
    area = BuildMacroArea(macros, names ? sizes.with_names : sizes.without_names, names);
    sim.keyboard.EditMemory([&](SimMemory& m) {
      const int stride = sim.keyboard.model().stride;
      auto entry = [&](int p, int pos, std::array<uint8_t, 3> v) {
        std::copy(v.begin(), v.end(), m.keymaps.begin() + p * stride + pos * 3);
      };
      entry(0, 19, {2, 2, 0x05});  // position of A: now B
      entry(1, 19, {5, 1, 1});     // plays the second macro
      entry(1, 20, {5, 2, 0});     // stops macros
      entry(2, 33, {5, 5, 3});     // a keyboard function
      entry(2, 34, {0, 0, 0});     // disabled
      std::fill(m.macros.begin(), m.macros.end(), 0);
      std::copy(area.begin(), area.end(), m.macros.begin());
      m.settings[10] = 1;
    });
    configured = sim.keyboard.Memory();
  }

  // Forgets everything the keyboard holds.
  void Wipe() {
    sim.keyboard.EditMemory([&](SimMemory& m) {
      m.keymaps = FactoryMemory(sim.keyboard.model()).keymaps;
      std::fill(m.macros.begin(), m.macros.end(), 0);
    });
    sim.keyboard.ClearTrace();
  }

  std::vector<int> Commands() const {
    std::vector<int> out;
    for (const CommandFrame& f : sim.Frames()) out.push_back(f[frame::kCommand]);
    return out;
  }

  TempDir dir;
  testing::SimStack sim;
  FixedTexts texts;
  RecordingBoxes boxes;
  KeyStores stores;
  std::vector<uint8_t> area;
  SimMemory configured;
};

TEST(ProfileFile, KeyboardMemoryRoundTripsThroughExportAndImport) {
  for (char model : {'A', 'B'}) {
    KeyboardFixture f(model);
    f.Configure(true);
    const std::u16string path = f.dir.File("backup.fwc");
    ASSERT_EQ(ProfileFileFromKeyboard(path, f.sim.commands, f.texts), 1) << model;
    const std::vector<uint8_t> file = ReadFile(path);
    ASSERT_EQ(CheckProfileBytes(file), ProfileCheck::kValid) << model;
    EXPECT_EQ(LoadU16(&file[14]), 2);

    // The working profile file exists, so the import rewrites it.
    const std::u16string working = f.dir.File("$Profile0");
    WriteFile(working, NewStoreBlock(0));
    f.Wipe();
    int refreshed = 0;
    ProfileImportContext context{f.stores, f.sim.commands, f.texts, f.boxes, working, [&] { ++refreshed; }};
    ASSERT_TRUE(ImportProfileFile(path, context)) << model;
    EXPECT_TRUE(context.applied);
    EXPECT_TRUE(f.boxes.shown.empty());
    EXPECT_EQ(refreshed, 1);

    const SimMemory now = f.sim.keyboard.Memory();
    EXPECT_EQ(now.keymaps, f.configured.keymaps) << model;
    EXPECT_EQ(std::vector<uint8_t>(now.macros.begin(), now.macros.begin() + f.area.size()), f.area) << model;
    // Begin, the macro area, three key maps, end.
    std::vector<int> commands = f.Commands();
    commands.erase(std::unique(commands.begin(), commands.end()), commands.end());
    EXPECT_EQ(commands, (std::vector<int>{1, 10, 8, 2})) << model;

    EXPECT_EQ(f.stores.edit.macros.size(), 2u);
    EXPECT_EQ(std::u16string(f.stores.edit.macros[1].name), u"World");
    EXPECT_EQ(f.stores.edit.Record(1, 0x1E).kind(), KeyType::kPlayMacro);
    EXPECT_EQ(ReadFile(working), file) << model;
  }
}

// A new user's first backup, taken back: nothing changes on the keyboard and
// no key reads as assigned (the apostrophe once came back as the bracket).
TEST(ProfileFile, FactoryKeyboardExportedAndImportedStaysAsItWas) {
  for (char model : {'A', 'B'}) {
    SCOPED_TRACE(model);
    KeyboardFixture f(model);
    const SimMemory factory = f.sim.keyboard.Memory();
    const std::u16string path = f.dir.File("factory.fwc");
    ASSERT_EQ(ProfileFileFromKeyboard(path, f.sim.commands, f.texts), 1);
    ProfileImportContext context{f.stores, f.sim.commands, f.texts, f.boxes, u"", nullptr};
    ASSERT_TRUE(ImportProfileFile(path, context));
    ASSERT_TRUE(context.applied);
    EXPECT_EQ(f.sim.keyboard.Memory().keymaps, factory.keymaps);
    for (int p = 0; p < kProfileCount; ++p)
      for (uint16_t k = 0; k < kRecordsPerBlock; ++k)
        EXPECT_FALSE(f.stores.edit.Record(p, k).assigned()) << "profile " << p << " key index " << k;
    // Read back from the keyboard, the key maps decode to no assignment either.
    ASSERT_EQ(ProfileFileFromKeyboard(path, f.sim.commands, f.texts), 1);
    KeyStore again;
    ASSERT_EQ(ProfileFileRead(path, again), 1);
    EXPECT_EQ(again.block, f.stores.edit.block);
  }
}

TEST(ProfileFile, MacrosWithoutNamesAreNamedWhenRead) {
  KeyboardFixture f;
  f.Configure(false);
  const std::u16string path = f.dir.File("backup.fwc");
  ASSERT_EQ(ProfileFileFromKeyboard(path, f.sim.commands, f.texts), 1);
  KeyStore store;
  ASSERT_EQ(ProfileFileRead(path, store), 1);
  ASSERT_EQ(store.macros.size(), 2u);
  EXPECT_EQ(std::u16string(store.macros[0].name), u"Macro 1");
  EXPECT_EQ(std::u16string(store.macros[1].name), u"Macro 2");
}

TEST(ProfileFile, NothingIsWrittenWhenTheKeyboardCannotBeRead) {
  KeyboardFixture f;
  f.sim.link.connected = 0;
  EXPECT_EQ(ProfileFileFromKeyboard(f.dir.File("a.fwc"), f.sim.commands, f.texts), 0);
  f.sim.link.connected = 1;
  f.sim.keyboard.DropReplies(1000);
  EXPECT_EQ(ProfileFileFromKeyboard(f.dir.File("b.fwc"), f.sim.commands, f.texts), 0);
  EXPECT_TRUE(f.dir.Entries().empty());
}

TEST(ProfileFile, RefusedImportChangesNothingAndSendsNothing) {
  KeyboardFixture f;
  f.stores.edit.SetRecord(0, 0x1E, Rec(KeyType::kKey, 0x30));
  const std::vector<uint8_t> before = f.stores.edit.block;
  std::vector<uint8_t> bad = ValidFile();
  bad[31]++;
  const std::u16string path = f.dir.File("bad.fwc");
  WriteFile(path, bad);
  f.sim.keyboard.ClearTrace();
  ProfileImportContext context{f.stores, f.sim.commands, f.texts, f.boxes, u"", nullptr};

  EXPECT_FALSE(ImportProfileFile(path, context));
  EXPECT_FALSE(context.applied);
  EXPECT_EQ(f.boxes.shown, (std::vector<std::string>{"text:Bad: " + Utf16ToUtf8(path), "key:MAIN_PROMPT_INPORT"}));
  f.boxes.shown.clear();
  EXPECT_FALSE(ImportProfileFile(f.dir.File("missing.fwc"), context));
  EXPECT_EQ(f.boxes.shown, std::vector<std::string>{"key:MAIN_PROMPT_INPORT"});
  EXPECT_EQ(f.stores.edit.block, before);
  EXPECT_TRUE(f.sim.Frames().empty());
}

TEST(ProfileFile, ImportThatTheKeyboardRefusesIsNotReportedAsApplied) {
  KeyboardFixture f;
  f.Configure(true);
  const std::u16string path = f.dir.File("backup.fwc");
  ASSERT_EQ(ProfileFileFromKeyboard(path, f.sim.commands, f.texts), 1);
  f.sim.keyboard.ReplyStatusAt(2, 0xFF);  // the first frame of the macro area
  ProfileImportContext context{f.stores, f.sim.commands, f.texts, f.boxes, u"", nullptr};
  EXPECT_TRUE(ImportProfileFile(path, context)) << "the file itself loaded";
  EXPECT_FALSE(context.applied);
}

}  // namespace
}  // namespace keyloom
