// The key store: everything the program keeps about key assignments.
//
// One block of 32832 bytes holds a 64-byte header (the profile file's
// header) and 2048 key records in four blocks of 512; block p (0..2) belongs
// to onboard profile p, record k of a block to key index k, block 3 is
// carried along unused. Beside it: the macro records, and either the string
// slots (edit store: one UTF-16 string per record, for program paths and
// text blocks) or the text pool (applied store: the strings end to end).
//
// Two stores exist: the edit store, which editors, files and the keyboard
// view change, and the applied store, a copy taken at each apply that the
// key-map encoder reads. Each has its own lock; when both are needed the edit
// store's is taken first, then the applied store's, then the device lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/key_function.h"
#include "model/macro.h"

namespace keyloom {

inline constexpr int kProfileCount = 3;
inline constexpr size_t kStoreHeaderBytes = 64;
inline constexpr int kRecordsPerBlock = 512;
inline constexpr int kRecordBlocks = 4;
inline constexpr int kKeyRecordCount = kRecordsPerBlock * kRecordBlocks;  // 2048
inline constexpr size_t kRecordBlockBytes = kRecordsPerBlock * kKeyRecordBytes;
inline constexpr size_t kKeyTableBytes = kKeyRecordCount * kKeyRecordBytes;
inline constexpr size_t kStoreBlockBytes = kStoreHeaderBytes + kKeyTableBytes;  // 32832
// Header fields the apply fills in its copy.
inline constexpr size_t kHeaderMacroCountOffset = 14;  // 16-bit
inline constexpr size_t kHeaderTextSizeOffset = 16;    // 32-bit

// Byte offset of record (profile, key index) in the store block.
constexpr size_t KeyRecordOffset(int record_number) {
  return kStoreHeaderBytes + size_t(record_number) * kKeyRecordBytes;
}
constexpr int RecordNumber(int profile, int key_index) {
  return profile * kRecordsPerBlock + key_index;
}

// Clears the records and gives the G keys of the first block their ids
// (records 256..264: 0x301..0x309; 265..273: 0x1301..0x1309). `records`
// is one block (8192 bytes) or the whole table (32768 bytes); anything else
// is cleared without ids when shorter than a block.
void InitKeyRecords(std::span<uint8_t> records);

// What the store holds at most: a string of 32767 UTF-16 units (the
// longest Windows path) in one slot, and 1 MiB of strings in all. Profile
// files are held to the same limits before anything is allocated for them.
inline constexpr size_t kMaxStringUnits = 32767;
inline constexpr uint32_t kMaxStringSlotBytes = (kMaxStringUnits + 1) * 2;
inline constexpr uint64_t kMaxTextPoolBytes = uint64_t{1} << 20;

struct StringSlot {
  std::u16string text;
  uint32_t size = 0;  // bytes including the terminating NUL; 0 when empty
};

struct KeyStore {
  KeyStore();
  KeyStore(const KeyStore&) = delete;
  KeyStore& operator=(const KeyStore&) = delete;

  // Recursive, like the critical sections the windows nest: an editor that
  // holds the edit store's lock may call operations that take it again.
  mutable std::recursive_mutex mutex;

  std::vector<uint8_t> block;  // kStoreBlockBytes: header and key records
  std::vector<MacroRecord> macros;
  // Edit store only.
  std::vector<StringSlot> slots;  // kKeyRecordCount
  uint64_t text_size = 0;         // sum of the slots' sizes
  // Applied store only.
  std::vector<uint8_t> text_pool;

  // Record of a key index (0..511) of profile 0..3; an all-zero record for
  // anything outside the table.
  KeyRecord Record(int profile, uint32_t key_index) const;
  // False (and nothing changed) outside the table.
  bool SetRecord(int profile, uint32_t key_index, const KeyRecord& record);
  KeyRecord RecordAt(int record_number) const;
  bool SetRecordAt(int record_number, const KeyRecord& record);

  // Records of one block (0..3; other values are clamped into that range), as bytes.
  std::span<uint8_t, kRecordBlockBytes> ProfileRecords(int profile);
  std::span<uint8_t, kKeyTableBytes> KeyTable();
};

// The string of a LaunchProgram or TextBlock record, kept with its size so
// the sum of sizes stays right. False, with the slot unchanged, for a record
// number outside the table or a string the store cannot hold (longer than
// kMaxStringUnits, or taking the sum past kMaxTextPoolBytes).
bool SetStringSlot(KeyStore& store, int record_number, std::u16string text);
bool ClearStringSlot(KeyStore& store, int record_number);

// Both stores and the flag that makes the next apply write every profile.
struct KeyStores {
  KeyStore edit;
  KeyStore applied;
  // Set when a macro that key records refer to is deleted: the positions of
  // the macros, and with them every profile's codes, shift.
  std::atomic<bool> all_profiles{false};
};

}  // namespace keyloom
