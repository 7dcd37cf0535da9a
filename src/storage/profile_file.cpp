// The profile file's bytes: header, checks, parsing into a key store and
// laying a key store out as a file.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "base/bytes.h"
#include "storage/profile_file.h"

namespace keyloom {
namespace {

namespace h = profile_header;

bool IsStringRecord(uint16_t type) {
  return type == static_cast<uint16_t>(KeyType::kLaunchProgram) ||
         type == static_cast<uint16_t>(KeyType::kTextBlock);
}

uint64_t DeclaredSize(uint16_t macro_count, uint32_t text_size) {
  return uint64_t{kStoreBlockBytes} + uint64_t{macro_count} * kMacroRecordBytes + text_size;
}

// The strings of a file's launch-program and text-block records as the
// reader takes them: `take(record number, first byte, units)` for each
// record that has one (the units are little-endian, without the NUL). A string starts at the record's value rounded down to even, and ends
// at its NUL or at the pool's end; an offset outside the pool is no string.
// Records may share a string (a record whose string was dropped keeps its
// old offset), but the strings taken never come to more than the store
// holds: past that a record gets no string. False, with nothing taken, when
// a string is longer than a slot holds: a file that is not ours.
template <typename Take>
bool WalkStrings(std::span<const uint8_t> block, std::span<const uint8_t> pool, Take take) {
  struct Found {
    int record;
    size_t start, units;
  };
  std::vector<Found> found;
  uint64_t total = 0;
  for (int i = 0; i < kKeyRecordCount; ++i) {
    const uint8_t* record = block.data() + KeyRecordOffset(i);
    if (!IsStringRecord(LoadU16(record))) continue;
    const size_t start = LoadU32(record + 4) & ~size_t{1};
    if (start >= pool.size() || pool.size() - start < 2) continue;
    const size_t available = (pool.size() - start) / 2;
    const uint8_t* p = pool.data() + start;
    size_t units = 0;
    while (units < available && units <= kMaxStringUnits && LoadU16(p + 2 * units) != 0) ++units;
    if (units > kMaxStringUnits) return false;
    const uint64_t size = (uint64_t{units} + 1) * 2;
    if (total + size > kMaxTextPoolBytes) continue;
    total += size;
    found.push_back({i, start, units});
  }
  for (const Found& f : found) take(f.record, pool.data() + f.start, f.units);
  return true;
}

// The pool a file declares, when the bytes hold it.
std::optional<std::span<const uint8_t>> DeclaredPool(std::span<const uint8_t> file) {
  ByteView view(file);
  const auto macro_count = view.U16(h::kMacroCount);
  const auto text_size = view.U32(h::kTextSize);
  if (!macro_count || !text_size || *macro_count > kMaxMacros || *text_size > kMaxTextPoolBytes) return std::nullopt;
  const uint64_t macro_bytes = uint64_t{*macro_count} * kMacroRecordBytes;
  if (file.size() < kStoreBlockBytes || file.size() - kStoreBlockBytes < macro_bytes + *text_size) return std::nullopt;
  return file.subspan(kStoreBlockBytes + static_cast<size_t>(macro_bytes), *text_size);
}

}  // namespace

uint8_t HeaderChecksum(std::span<const uint8_t> header) {
  uint8_t sum = 0;
  for (size_t i = 0; i < h::kChecksum && i < header.size(); ++i) sum = static_cast<uint8_t>(sum + header[i]);
  return sum;
}

uint64_t DeclaredProfileSize(std::span<const uint8_t> header) {
  ByteView view(header);
  return DeclaredSize(view.U16(h::kMacroCount).value_or(0), view.U32(h::kTextSize).value_or(0));
}

void FillProfileHeader(std::span<uint8_t, kStoreHeaderBytes> header, uint16_t macro_count,
                       uint32_t text_size, uint8_t flag) {
  uint8_t* p = header.data();
  std::fill(p, p + 32, uint8_t{0});
  StoreU16(p + h::kMagic, h::kMagicValue);
  StoreU16(p + h::kHeaderSize, 32);
  StoreU16(p + h::kVersion, 3);
  StoreU16(p + h::kRevision, 1);
  StoreU32(p + h::kTotalSize, static_cast<uint32_t>(DeclaredSize(macro_count, text_size)));
  StoreU16(p + h::kRecordCount, kKeyRecordCount);
  StoreU16(p + h::kMacroCount, macro_count);
  StoreU32(p + h::kTextSize, text_size);
  p[h::kFlag] = flag;
  p[h::kChecksum] = HeaderChecksum(header);
}

void FillLayoutHeader(std::span<uint8_t, kStoreHeaderBytes> header) {
  uint8_t* p = header.data() + 32;
  std::fill(p, p + 32, uint8_t{0});
  StoreU16(p + 0, h::kLayoutMagicValue);
  StoreU16(p + 2, 32);
  StoreU32(p + 4, static_cast<uint32_t>(32 + kKeyTableBytes));  // 32800
  StoreU16(p + 8, kRecordBlocks);
  StoreU16(p + 10, kRecordsPerBlock);
  const uint8_t ids[8] = {0x45, 0x0C, 0x2F, 0x65, 0x4F, 0x1C, 0x0E, 0x00};
  std::copy(std::begin(ids), std::end(ids), p + 16);
}

ProfileCheck CheckProfileHeader(std::span<const uint8_t> header, uint64_t file_size) {
  if (file_size < kStoreBlockBytes || header.size() < kStoreHeaderBytes) return ProfileCheck::kTooShort;
  const uint8_t* p = header.data();
  const uint32_t total = LoadU32(p + h::kTotalSize);
  const uint16_t macros = LoadU16(p + h::kMacroCount);
  const bool ok = LoadU16(p + h::kMagic) == h::kMagicValue && LoadU16(p + h::kHeaderSize) == 32 &&
                  LoadU16(p + h::kVersion) == 3 && LoadU16(p + h::kRevision) == 1 &&
                  total >= kStoreBlockBytes && LoadU16(p + h::kRecordCount) == kKeyRecordCount &&
                  macros <= kMaxMacros && p[h::kFlag] <= 1 &&
                  // More text than the store can hold is not a file of ours.
                  LoadU32(p + h::kTextSize) <= kMaxTextPoolBytes &&
                  total == DeclaredSize(macros, LoadU32(p + h::kTextSize)) &&
                  p[h::kChecksum] == HeaderChecksum(header) &&
                  // The header may say what it likes; the bytes must be there.
                  file_size >= total;
  return ok ? ProfileCheck::kValid : ProfileCheck::kFormatError;
}

ProfileCheck CheckProfileBytes(std::span<const uint8_t> file) {
  if (file.size() > kMaxProfileFileBytes) return ProfileCheck::kTooLarge;
  const ProfileCheck header = CheckProfileHeader(file, file.size());
  if (header != ProfileCheck::kValid) return header;
  const auto pool = DeclaredPool(file);
  if (!pool || !WalkStrings(file.first(kStoreBlockBytes), *pool, [](int, const uint8_t*, size_t) {}))
    return ProfileCheck::kFormatError;
  return ProfileCheck::kValid;
}

bool ReadProfileBytes(std::span<const uint8_t> file, KeyStore& store) {
  const auto pool = DeclaredPool(file);
  if (!pool) return false;
  const size_t macro_count = LoadU16(file.data() + h::kMacroCount);
  try {
    std::vector<uint8_t> block(file.begin(), file.begin() + kStoreBlockBytes);
    std::vector<MacroRecord> macros(macro_count);
    if (macro_count) std::memcpy(macros.data(), file.data() + kStoreBlockBytes, macro_count * kMacroRecordBytes);

    std::vector<StringSlot> slots(kKeyRecordCount);
    uint64_t total = 0;
    const bool read = WalkStrings(block, *pool, [&](int i, const uint8_t* p, size_t units) {
      std::u16string& text = slots[i].text;
      text.resize(units);
      for (size_t c = 0; c < units; ++c) text[c] = static_cast<char16_t>(LoadU16(p + 2 * c));
      slots[i].size = static_cast<uint32_t>((units + 1) * 2);
      total += slots[i].size;
    });
    if (!read) return false;

    store.block.swap(block);
    store.macros.swap(macros);
    store.slots.swap(slots);
    store.text_size = total;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool BuildProfileFileImage(KeyStore& store, ProfileFileImage& image) {
  const size_t macro_count = store.macros.size();
  if (store.block.size() != kStoreBlockBytes || macro_count > 0xFFFF) return false;
  if (DeclaredSize(static_cast<uint16_t>(macro_count), 0) + store.text_size > 0xFFFFFFFFu) return false;
  const uint32_t text_size = static_cast<uint32_t>(store.text_size);
  FillProfileHeader(std::span<uint8_t>(store.block).first<kStoreHeaderBytes>(), static_cast<uint16_t>(macro_count),
                    text_size, 0);

  image.pool.assign(text_size, 0);
  size_t s = 0;  // sizes are even, so every string starts at an even offset
  const size_t slot_count = std::min<size_t>(store.slots.size(), kKeyRecordCount);
  for (size_t i = 0; i < slot_count; ++i) {
    const StringSlot& slot = store.slots[i];
    uint8_t* record = store.block.data() + KeyRecordOffset(static_cast<int>(i));
    if (slot.size < 2 || s + slot.size > text_size || !IsStringRecord(LoadU16(record))) continue;
    const size_t units = std::min<size_t>(slot.text.size(), slot.size / 2 - 1);
    uint8_t* out = image.pool.data() + s;
    for (size_t c = 0; c < units; ++c) StoreU16(out + 2 * c, slot.text[c]);
    StoreU32(record + 4, static_cast<uint32_t>(s));
    s += slot.size;
  }

  image.pieces.clear();
  image.pieces.emplace_back(store.block);
  image.pieces.emplace_back(reinterpret_cast<const uint8_t*>(store.macros.data()), macro_count * kMacroRecordBytes);
  image.pieces.emplace_back(image.pool);
  return true;
}

std::vector<uint8_t> NewStoreBlock(uint8_t flag) {
  std::vector<uint8_t> block(kStoreBlockBytes, 0);
  const auto header = std::span<uint8_t>(block).first<kStoreHeaderBytes>();
  FillProfileHeader(header, 0, 0, flag);
  FillLayoutHeader(header);
  InitKeyRecords(std::span<uint8_t>(block).subspan(kStoreHeaderBytes));
  return block;
}

}  // namespace keyloom
