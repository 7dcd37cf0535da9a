#include "model/key_store.h"

#include <algorithm>

namespace keyloom {

void InitKeyRecords(std::span<uint8_t> records) {
  std::fill(records.begin(), records.end(), uint8_t{0});
  if (records.size() < kRecordBlockBytes) return;
  auto set_id = [&](int key_index, uint16_t id) {
    KeyRecord r;
    r.sub = id;
    StoreKeyRecord(r, records.subspan(key_index * kKeyRecordBytes).first<kKeyRecordBytes>());
  };
  for (int n = 0; n < kGKeyCount; ++n) {
    set_id(kKeyIndexG1 + n, GKeyIdOfKeyIndex(kKeyIndexG1 + n));
    set_id(kKeyIndexReservedG1 + n, GKeyIdOfKeyIndex(kKeyIndexReservedG1 + n));
  }
}

KeyStore::KeyStore() : block(kStoreBlockBytes, 0), slots(kKeyRecordCount) {
  InitKeyRecords(KeyTable());
}

KeyRecord KeyStore::RecordAt(int n) const {
  if (n < 0 || n >= kKeyRecordCount) return {};
  return LoadKeyRecord(
      std::span<const uint8_t>(block).subspan(KeyRecordOffset(n)).first<kKeyRecordBytes>());
}

bool KeyStore::SetRecordAt(int n, const KeyRecord& record) {
  if (n < 0 || n >= kKeyRecordCount) return false;
  StoreKeyRecord(record, std::span<uint8_t>(block).subspan(KeyRecordOffset(n)).first<kKeyRecordBytes>());
  return true;
}

KeyRecord KeyStore::Record(int profile, uint32_t key_index) const {
  if (profile < 0 || profile >= kRecordBlocks || key_index >= uint32_t(kRecordsPerBlock)) return {};
  return RecordAt(RecordNumber(profile, int(key_index)));
}

bool KeyStore::SetRecord(int profile, uint32_t key_index, const KeyRecord& record) {
  if (profile < 0 || profile >= kRecordBlocks || key_index >= uint32_t(kRecordsPerBlock)) return false;
  return SetRecordAt(RecordNumber(profile, int(key_index)), record);
}

std::span<uint8_t, kRecordBlockBytes> KeyStore::ProfileRecords(int profile) {
  profile = std::clamp(profile, 0, kRecordBlocks - 1);
  return std::span<uint8_t>(block)
      .subspan(KeyRecordOffset(RecordNumber(profile, 0)))
      .first<kRecordBlockBytes>();
}

std::span<uint8_t, kKeyTableBytes> KeyStore::KeyTable() {
  return std::span<uint8_t>(block).subspan(kStoreHeaderBytes).first<kKeyTableBytes>();
}

bool SetStringSlot(KeyStore& store, int record_number, std::u16string text) {
  if (record_number < 0 || record_number >= kKeyRecordCount) return false;
  std::lock_guard lock(store.mutex);
  StringSlot& slot = store.slots[record_number];
  // A string stops at its first NUL, as it will in the text pool.
  text.resize(std::min(text.size(), text.find(u'\0')));
  if (text.size() > kMaxStringUnits) return false;
  const uint32_t size = static_cast<uint32_t>((text.size() + 1) * sizeof(char16_t));
  if (store.text_size - slot.size + size > kMaxTextPoolBytes) return false;
  store.text_size = store.text_size - slot.size + size;
  slot.size = size;
  slot.text = std::move(text);
  return true;
}

bool ClearStringSlot(KeyStore& store, int record_number) {
  if (record_number < 0 || record_number >= kKeyRecordCount) return false;
  std::lock_guard lock(store.mutex);
  StringSlot& slot = store.slots[record_number];
  store.text_size -= slot.size;
  slot = StringSlot{};
  return true;
}

}  // namespace keyloom
