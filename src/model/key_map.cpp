#include "model/key_map.h"

#include <algorithm>
#include <optional>

namespace keyloom {
namespace {

KeyFunctionCode EntryAt(std::span<const uint8_t> bytes, int position) {
  const uint8_t* p = bytes.data() + position * 3;
  return {p[0], p[1], p[2]};
}

// Position in the macro area of the first macro whose id is the value's low
// 16 bits; nothing when there is none.
std::optional<uint8_t> MacroPosition(std::span<const MacroRecord> macros, uint32_t value) {
  uint16_t id = static_cast<uint16_t>(value);
  for (size_t i = 0; i < macros.size() && i < 256; ++i) {
    if (macros[i].macro_id == id) return uint8_t(i);
  }
  return std::nullopt;
}

KeyFunctionCode EncodeRecord(const KeyRecord& r, const KeyFunctionCode& default_entry,
                             std::span<const MacroRecord> macros) {
  switch (r.kind()) {
    case KeyType::kDefault:
    case KeyType::kLaunchProgram:
      return default_entry;
    case KeyType::kKey:
      // A value beyond 16 bits names no key code.
      return EncodeKeyFunction(r.value <= 0xFFFF ? KeyCode(r.value) : KeyCode(0));
    case KeyType::kPlayMacro:
      // Position 0 would play the first macro, one the user never gave
      // this key: a key whose macro is gone does nothing instead.
      if (const auto position = MacroPosition(macros, r.value)) return {kKindKeyboardAction, 1, *position};
      return {0, 0, 0};
    case KeyType::kStopMacro:
      return {kKindKeyboardAction, 2, 0};
    case KeyType::kMedia:
      if (const MediaEntry* m = MediaEntryOf(r.value)) {
        return {kKindConsumer, uint8_t(m->consumer_usage), uint8_t(m->consumer_usage >> 8)};
      }
      return {0, 0, 0};  // outside the media list: disabled
    case KeyType::kFunction:
      if (r.value < kKeyboardFunctionTextKeys.size()) {
        return {kKindKeyboardAction, 5, uint8_t(r.value)};
      }
      return {0, 0, 0};  // outside the function list: disabled
    case KeyType::kDisabled:
    case KeyType::kTextBlock:
    default:
      return {0, 0, 0};
  }
}

// The record a key-map entry stands for, or nothing when the entry leaves
// the key Disabled.
KeyRecord DecodeEntry(const KeyFunctionCode& d) {
  KeyRecord r;
  r.type = uint16_t(KeyType::kDisabled);
  auto key = [&r](KeyCode code) {
    if (code == 0) return;
    r.type = uint16_t(KeyType::kKey);
    r.value = code;
  };
  switch (d[0]) {
    case kKindKeyboardAction:
      if (d[1] == 1) {
        r.type = uint16_t(KeyType::kPlayMacro);
        r.value = uint32_t(d[2]) + 1;  // decoded macros get id = position + 1
      } else if (d[1] == 2) {
        r.type = uint16_t(KeyType::kStopMacro);
      } else if (d[1] == 5) {
        r.type = uint16_t(KeyType::kFunction);
        r.value = d[2];
      }
      break;
    case kKindConsumer: {
      uint16_t usage = uint16_t(d[1] | (d[2] << 8));
      for (size_t i = 0; i < kMediaList.size(); ++i) {
        if (kMediaList[i].consumer_usage == usage) {
          r.type = uint16_t(KeyType::kMedia);
          r.value = uint32_t(i);
          break;
        }
      }
      break;
    }
    case kKindMouse:
      // Other kind-1 codes name nothing the program knows: Disabled.
      key(DecodeFunction(d));
      break;
    case kKindKeyboard:
      if (d[1] == 2) {
        key(CodeFromUsage(UsagePage::kKeyboard, d[2]));
      } else {
        key(DecodeFunction(d));  // modifier mask: its lowest set bit
      }
      break;
    default:
      break;
  }
  return r;
}

}  // namespace

bool EncodeKeyMap(const KeyStore& applied, int profile, std::span<const uint8_t> default_matrix,
                  std::span<uint8_t> block) {
  if (profile < 0 || profile >= kProfileCount) return false;
  if (default_matrix.size() < kKeyMapUsedBytes || block.size() < kKeyMapUsedBytes) return false;
  std::lock_guard lock(applied.mutex);
  for (int k = 0; k < kKeyMapPositions; ++k) {
    KeyFunctionCode entry = EntryAt(default_matrix, k);
    if (KeyCode code = DecodeFunction(entry)) {
      entry = EncodeRecord(applied.Record(profile, KeyIndexFromCode(code)), entry, applied.macros);
    }
    std::copy(entry.begin(), entry.end(), block.begin() + k * 3);
  }
  // Bytes past the positions the program defines keep the keyboard's defaults.
  for (size_t i = kKeyMapUsedBytes; i < block.size(); ++i) {
    block[i] = i < default_matrix.size() ? default_matrix[i] : 0;
  }
  return true;
}

void DecodeKeyMap(std::span<const uint8_t> block, std::span<const uint8_t> default_matrix,
                  std::span<uint8_t, kRecordBlockBytes> records) {
  InitKeyRecords(records);
  size_t covered = std::min({block.size(), default_matrix.size(), kKeyMapUsedBytes}) / 3;
  for (size_t k = 0; k < covered; ++k) {
    KeyFunctionCode t = EntryAt(default_matrix, int(k));
    KeyFunctionCode d = EntryAt(block, int(k));
    if (d == t) continue;
    uint16_t index = KeyIndexFromCode(DecodeFunction(t));
    if (index == 0 || index >= kRecordsPerBlock) continue;
    auto bytes = records.subspan(index * kKeyRecordBytes).first<kKeyRecordBytes>();
    KeyRecord r = DecodeEntry(d);
    r.sub = LoadKeyRecord(bytes).sub;  // a G key keeps its id
    StoreKeyRecord(r, bytes);
  }
}

}  // namespace keyloom
