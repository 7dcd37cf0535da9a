#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "device/default_matrix.h"
#include "model/key_map.h"
#include "model/key_store.h"

namespace keyloom {
namespace {

std::string Entry(std::span<const uint8_t> block, int position) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02X %02X %02X", block[position * 3], block[position * 3 + 1],
                block[position * 3 + 2]);
  return buf;
}
std::string Entry(const KeyFunctionCode& f) { return Entry(f, 0); }

KeyRecord Rec(KeyType type, uint32_t value = 0) {
  KeyRecord r;
  r.type = uint16_t(type);
  r.value = value;
  return r;
}

MacroRecord Macro(uint16_t id) {
  MacroRecord m;
  m.macro_id = id;
  return m;
}

// Positions in the built-in matrix.
constexpr int kPosA = 19;       // 02 02 04
constexpr int kPosEquals = 54;  // 02 02 2E, shared with position 105
constexpr int kPosEquals2 = 105;
constexpr uint16_t kIndexA = 0x1E;
constexpr uint16_t kIndexEquals = 0x0D;

std::vector<uint8_t> Encode(const KeyStore& store, int profile, size_t size = 378,
                            std::span<const uint8_t> matrix = kBuiltInDefaultMatrix) {
  std::vector<uint8_t> block(size, 0xEE);
  EXPECT_TRUE(EncodeKeyMap(store, profile, matrix, block));
  return block;
}

TEST(EncodeKeyMap, AllDefaultProfileIsTheDefaultMatrix) {
  KeyStore store;
  for (int profile = 0; profile < 3; ++profile) {
    std::vector<uint8_t> block = Encode(store, profile);
    const std::vector<uint8_t> expected(kBuiltInDefaultMatrix.begin(), kBuiltInDefaultMatrix.begin() + 378);
    EXPECT_EQ(block, expected) << "profile " << profile;
    // The apostrophe keeps its own code; it once took the right bracket's.
    EXPECT_EQ(Entry(block, 99), "02 02 34");
    EXPECT_EQ(Entry(block, 106), "02 02 30");
  }
}

TEST(EncodeKeyMap, EachRecordType) {
  struct {
    KeyRecord record;
    const char* entry;
  } cases[] = {
      {Rec(KeyType::kDefault), "02 02 04"},
      {Rec(KeyType::kDisabled), "00 00 00"},
      {Rec(KeyType::kKey, 0x030), "02 02 05"},        // B
      {Rec(KeyType::kKey, 0x01E), "02 02 04"},        // its own key: the default entry
      {Rec(KeyType::kKey, 0x15B), "02 01 08"},        // left Win
      {Rec(KeyType::kKey, 0x162), "01 05 FF"},        // wheel down
      {Rec(KeyType::kKey, 0x15E), "02 02 00"},        // Power has no keyboard usage
      {Rec(KeyType::kKey, 0x10030), "02 02 00"},      // beyond any key code
      {Rec(KeyType::kLaunchProgram, 40), "02 02 04"},
      {Rec(KeyType::kPlayMacro, 3), "05 01 01"},      // id 3 sits at position 1
      {Rec(KeyType::kPlayMacro, 0x10003), "05 01 01"},  // the id is the low 16 bits
      {Rec(KeyType::kPlayMacro, 2), "05 01 00"},      // id 2 is the first macro
      {Rec(KeyType::kPlayMacro, 7), "00 00 00"},      // no such macro: the key does nothing
      {Rec(KeyType::kPlayMacro, 0), "00 00 00"},
      {Rec(KeyType::kStopMacro), "05 02 00"},
      {Rec(KeyType::kTextBlock, 2), "00 00 00"},
      {Rec(KeyType::kMedia, 1), "03 CD 00"},
      {Rec(KeyType::kMedia, 8), "03 23 02"},
      {Rec(KeyType::kMedia, 18), "00 00 00"},         // outside the media list
      {Rec(KeyType::kFunction, 10), "05 05 0A"},
      {Rec(KeyType::kFunction, 11), "00 00 00"},      // outside the function list
      {KeyRecord{99, 0, 1, 0, 0}, "00 00 00"},        // unknown type
  };
  KeyStore store;
  store.macros = {Macro(2), Macro(3)};
  for (const auto& c : cases) {
    ASSERT_TRUE(store.SetRecord(1, kIndexA, c.record));
    EXPECT_EQ(Entry(Encode(store, 1), kPosA), c.entry)
        << "type " << c.record.type << " value " << c.record.value;
    EXPECT_EQ(Entry(Encode(store, 0), kPosA), "02 02 04") << "another profile's record leaked";
  }
}

TEST(EncodeKeyMap, PositionsThatShareAKeyShareItsRecord) {
  KeyStore store;
  store.SetRecord(0, kIndexEquals, Rec(KeyType::kDisabled));
  std::vector<uint8_t> block = Encode(store, 0);
  EXPECT_EQ(Entry(block, kPosEquals), "00 00 00");
  EXPECT_EQ(Entry(block, kPosEquals2), "00 00 00");
}

TEST(EncodeKeyMap, PositionsWithoutAKeyNeverChange) {
  KeyStore store;
  for (int k = 0; k < kRecordsPerBlock; ++k) store.SetRecord(2, k, Rec(KeyType::kDisabled));
  std::vector<uint8_t> block = Encode(store, 2);
  for (int k = 0; k < kKeyMapPositions; ++k) {
    KeyFunctionCode d{kBuiltInDefaultMatrix[k * 3], kBuiltInDefaultMatrix[k * 3 + 1],
                      kBuiltInDefaultMatrix[k * 3 + 2]};
    std::string expected = DecodeFunction(d) == 0 ? Entry(d) : "00 00 00";
    EXPECT_EQ(Entry(block, k), expected) << "position " << k;
  }
}

TEST(EncodeKeyMap, SecondModelBlockKeepsTheKeyboardsOwnBytesPastThePositions) {
  std::array<uint8_t, 512> matrix = kBuiltInDefaultMatrix;
  const uint8_t tail[6] = {0x02, 0x02, 0x64, 0x05, 0x02, 0x02};
  std::copy(tail, tail + 6, matrix.begin() + 378);
  matrix[0] = 6, matrix[1] = 0xA2, matrix[2] = 1;  // G1 at position 0
  KeyStore store;
  store.macros = {Macro(1)};
  store.SetRecord(0, 256, KeyRecord{4, 0x301, 1, 0, 0});  // G1 plays macro 1
  std::vector<uint8_t> block = Encode(store, 0, 384, matrix);
  EXPECT_EQ(Entry(block, 0), "05 01 00");
  EXPECT_TRUE(std::equal(block.begin() + 378, block.end(), tail));
}

TEST(EncodeKeyMap, RefusesWhatItCannotEncode) {
  KeyStore store;
  std::vector<uint8_t> block(378, 0xEE);
  EXPECT_FALSE(EncodeKeyMap(store, 3, kBuiltInDefaultMatrix, block));
  EXPECT_FALSE(EncodeKeyMap(store, -1, kBuiltInDefaultMatrix, block));
  EXPECT_FALSE(EncodeKeyMap(store, 0, std::span(kBuiltInDefaultMatrix).first(377), block));
  std::vector<uint8_t> short_block(377, 0xEE);
  EXPECT_FALSE(EncodeKeyMap(store, 0, kBuiltInDefaultMatrix, short_block));
  EXPECT_EQ(block, std::vector<uint8_t>(378, 0xEE));
}

// Decodes `entry` placed at A's position of the built-in matrix.
KeyRecord DecodeAtA(const KeyFunctionCode& entry) {
  std::vector<uint8_t> block(kBuiltInDefaultMatrix.begin(), kBuiltInDefaultMatrix.begin() + 378);
  std::copy(entry.begin(), entry.end(), block.begin() + kPosA * 3);
  KeyStore store;
  DecodeKeyMap(block, kBuiltInDefaultMatrix, store.ProfileRecords(0));
  return store.Record(0, kIndexA);
}

TEST(DecodeKeyMap, DefaultMatrixGivesAllDefault) {
  KeyStore store;
  store.SetRecord(1, kIndexA, Rec(KeyType::kDisabled));  // cleared by the decode
  DecodeKeyMap(std::span(kBuiltInDefaultMatrix).first(378), kBuiltInDefaultMatrix,
               store.ProfileRecords(1));
  for (int k = 0; k < kRecordsPerBlock; ++k) {
    KeyRecord r = store.Record(1, k);
    EXPECT_EQ(r.type, 0) << "index " << k;
    EXPECT_EQ(r.value, 0u) << "index " << k;
  }
  EXPECT_EQ(store.Record(1, 256).sub, 0x301);  // the decoded block has its G-key ids
  EXPECT_EQ(store.Record(1, 273).sub, 0x1309);
}

TEST(DecodeKeyMap, EachEntryKind) {
  struct {
    KeyFunctionCode entry;
    KeyRecord record;
  } cases[] = {
      {{5, 1, 0}, Rec(KeyType::kPlayMacro, 1)},
      {{5, 1, 99}, Rec(KeyType::kPlayMacro, 100)},
      {{5, 2, 7}, Rec(KeyType::kStopMacro)},
      {{5, 5, 3}, Rec(KeyType::kFunction, 3)},
      {{5, 9, 0}, Rec(KeyType::kDisabled)},
      {{5, 0, 0}, Rec(KeyType::kDisabled)},
      {{3, 0xCD, 0x00}, Rec(KeyType::kMedia, 1)},
      {{3, 0x8A, 0x01}, Rec(KeyType::kMedia, 17)},
      {{3, 0x99, 0x99}, Rec(KeyType::kDisabled)},
      {{1, 1, 2}, Rec(KeyType::kKey, 0x172)},
      {{1, 5, 0xFF}, Rec(KeyType::kKey, 0x162)},
      {{1, 1, 8}, Rec(KeyType::kDisabled)},
      {{2, 2, 0x05}, Rec(KeyType::kKey, 0x030)},
      {{2, 2, 0x00}, Rec(KeyType::kDisabled)},
      {{2, 2, 0xFF}, Rec(KeyType::kDisabled)},
      {{2, 1, 0x03}, Rec(KeyType::kKey, 0x01D)},
      {{2, 1, 0x00}, Rec(KeyType::kDisabled)},
      {{0, 0, 0}, Rec(KeyType::kDisabled)},
      {{4, 0x81, 0}, Rec(KeyType::kDisabled)},
      {{6, 0xA2, 1}, Rec(KeyType::kDisabled)},
      {{2, 2, 0x04}, Rec(KeyType::kDefault)},  // equal to the default entry
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeAtA(c.entry), c.record) << Entry(c.entry);
  }
}

TEST(DecodeKeyMap, AssignedGKeyKeepsItsId) {
  std::array<uint8_t, 512> matrix = kBuiltInDefaultMatrix;
  matrix[3] = 6, matrix[4] = 0xA2, matrix[5] = 2;  // G2 at position 1
  std::vector<uint8_t> block(matrix.begin(), matrix.begin() + 384);
  block[3] = 5, block[4] = 2, block[5] = 0;
  KeyStore store;
  DecodeKeyMap(block, matrix, store.ProfileRecords(2));
  EXPECT_EQ(store.Record(2, 257), (KeyRecord{5, 0x302, 0, 0, 0}));
}

TEST(DecodeKeyMap, ShortBlockDecodesOnlyThePositionsItHolds) {
  std::vector<uint8_t> block(kBuiltInDefaultMatrix.begin(), kBuiltInDefaultMatrix.begin() + 378);
  std::fill(block.begin(), block.end(), 0);  // every key disabled...
  KeyStore store;
  DecodeKeyMap(std::span(block).first(kPosA * 3 + 2), kBuiltInDefaultMatrix,
               store.ProfileRecords(0));  // ...but A's entry is cut short
  EXPECT_EQ(store.Record(0, 0x29).type, uint16_t(KeyType::kDisabled));  // position 8, Esc
  EXPECT_EQ(store.Record(0, kIndexA).type, uint16_t(KeyType::kDefault));
}

TEST(KeyMapCodec, EncodedAssignmentsDecodeBack) {
  KeyStore store;
  store.macros = {Macro(1), Macro(2), Macro(3)};
  const std::pair<uint16_t, KeyRecord> assigned[] = {
      {kIndexA, Rec(KeyType::kKey, 0x030)},
      {0x30, Rec(KeyType::kKey, 0x15C)},
      {0x2E, Rec(KeyType::kKey, 0x173)},
      {0x01, Rec(KeyType::kPlayMacro, 3)},
      {0x3B, Rec(KeyType::kStopMacro)},
      {0x3C, Rec(KeyType::kMedia, 12)},
      {0x3D, Rec(KeyType::kFunction, 0)},
      {0x3E, Rec(KeyType::kDisabled)},
  };
  for (const auto& [index, record] : assigned) store.SetRecord(1, index, record);
  std::vector<uint8_t> block = Encode(store, 1);
  KeyStore decoded;
  DecodeKeyMap(block, kBuiltInDefaultMatrix, decoded.ProfileRecords(1));
  for (const auto& [index, record] : assigned) {
    EXPECT_EQ(decoded.Record(1, index), record) << "index " << index;
  }
}

TEST(KeyStore, InitialisedTableHasGKeyIdsInTheFirstBlockOnly) {
  KeyStore store;
  for (int n = 0; n < 9; ++n) {
    EXPECT_EQ(store.Record(0, 256 + n), (KeyRecord{0, uint16_t(0x301 + n), 0, 0, 0}));
    EXPECT_EQ(store.Record(0, 265 + n), (KeyRecord{0, uint16_t(0x1301 + n), 0, 0, 0}));
    EXPECT_EQ(store.Record(1, 256 + n), KeyRecord{});
  }
  EXPECT_EQ(store.Record(0, 255), KeyRecord{});
  EXPECT_EQ(store.Record(0, 274), KeyRecord{});
  InitKeyRecords(store.ProfileRecords(2));
  EXPECT_EQ(store.Record(2, 264).sub, 0x309);
}

TEST(KeyStore, RecordsOutsideTheTable) {
  KeyStore store;
  EXPECT_FALSE(store.SetRecord(0, 512, Rec(KeyType::kDisabled)));
  EXPECT_FALSE(store.SetRecord(4, 0, Rec(KeyType::kDisabled)));
  EXPECT_FALSE(store.SetRecordAt(2048, Rec(KeyType::kDisabled)));
  EXPECT_EQ(store.Record(-1, 5), KeyRecord{});
  EXPECT_EQ(store.RecordAt(-1), KeyRecord{});
  EXPECT_TRUE(store.SetRecord(3, 511, Rec(KeyType::kDisabled)));  // block 3 is carried along
  EXPECT_EQ(store.block.size(), 32832u);
  EXPECT_EQ(store.block[64 + 2047 * 16], 1);
}

TEST(KeyStore, StringSlotsKeepTheSumOfSizes) {
  KeyStore store;
  EXPECT_TRUE(SetStringSlot(store, 10, u"notepad.exe"));  // 11 characters + NUL
  EXPECT_TRUE(SetStringSlot(store, 2047, u"hi"));
  EXPECT_EQ(store.slots[10].size, 24u);
  EXPECT_EQ(store.text_size, 30u);
  EXPECT_TRUE(SetStringSlot(store, 10, u"abc"));  // replacing takes the old size out
  EXPECT_EQ(store.text_size, 14u);
  EXPECT_TRUE(SetStringSlot(store, 11, std::u16string(u"ab\0cd", 5)));  // stops at a NUL
  EXPECT_EQ(store.slots[11].size, 6u);
  EXPECT_TRUE(ClearStringSlot(store, 10));
  EXPECT_TRUE(ClearStringSlot(store, 10));
  EXPECT_EQ(store.text_size, 12u);
  EXPECT_FALSE(SetStringSlot(store, 2048, u"x"));
  EXPECT_FALSE(ClearStringSlot(store, -1));
  EXPECT_EQ(store.text_size, 12u);
}

// The store holds a string of 32767 units and 1 MiB of strings in all; what
// would pass that is refused and the slot keeps what it had.
TEST(KeyStore, StringSlotsHoldWhatTheStoreCanHold) {
  KeyStore store;
  EXPECT_TRUE(SetStringSlot(store, 0, std::u16string(kMaxStringUnits, u'p')));
  EXPECT_EQ(store.slots[0].size, kMaxStringSlotBytes);
  EXPECT_FALSE(SetStringSlot(store, 1, std::u16string(kMaxStringUnits + 1, u'p')));
  EXPECT_EQ(store.slots[1].size, 0u);
  for (int n = 1; n < 16; ++n) ASSERT_TRUE(SetStringSlot(store, n, std::u16string(kMaxStringUnits, u'p'))) << n;
  EXPECT_EQ(store.text_size, kMaxTextPoolBytes);
  EXPECT_FALSE(SetStringSlot(store, 16, u""));
  EXPECT_TRUE(SetStringSlot(store, 15, u"short"));  // replacing makes room
  EXPECT_EQ(store.text_size, kMaxTextPoolBytes - kMaxStringSlotBytes + 12);
}

}  // namespace
}  // namespace keyloom
