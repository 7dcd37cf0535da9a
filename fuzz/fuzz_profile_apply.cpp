// A profile file the user loads is applied to the keyboard: read a file
// whose key records and macro records are arbitrary (the reader takes
// records as they are), then do what the apply does with them (the macro
// area with and without names, and the three key maps against an arbitrary
// default matrix), without reading or writing outside any buffer.
//
// Input:
//   byte 0        macro count 0..3 (bits 0..1)
//   byte 1        n, the number of key records that follow
//   n x 18 bytes  record number (16-bit, modulo 2048) and its 16 bytes
//   per macro     16 bytes of name, then 48 bytes from offset 500 (cycles,
//                 flags, id, event count, the first five events)
//   the rest      the default matrix
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "device/keyboard_link.h"
#include "model/key_map.h"
#include "model/macro.h"
#include "storage/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keyloom;
  std::span<const uint8_t> in(data, size);
  if (in.size() < 2) return 0;
  const uint16_t macro_count = in[0] & 3;
  size_t records = in[1];
  in = in.subspan(2);

  std::vector<uint8_t> file(kStoreBlockBytes + macro_count * kMacroRecordBytes, 0);
  const auto header = std::span<uint8_t>(file).first<kStoreHeaderBytes>();
  FillProfileHeader(header, macro_count, 0, 0);
  FillLayoutHeader(header);
  for (; records > 0 && in.size() >= 18; --records, in = in.subspan(18)) {
    const size_t n = LoadU16(in.data()) % kKeyRecordCount;
    std::copy_n(in.begin() + 2, kKeyRecordBytes, file.begin() + KeyRecordOffset(static_cast<int>(n)));
  }
  for (uint16_t m = 0; m < macro_count; ++m) {
    uint8_t* record = file.data() + kStoreBlockBytes + m * kMacroRecordBytes;
    const size_t name = std::min<size_t>(16, in.size());
    std::copy_n(in.begin(), name, record);
    in = in.subspan(name);
    const size_t tail = std::min<size_t>(48, in.size());
    std::copy_n(in.begin(), tail, record + 500);
    in = in.subspan(tail);
  }

  KeyStore store;
  std::lock_guard lock(store.mutex);
  if (!ReadProfileBytes(file, store)) return 0;

  const MacroAreaSizePair sizes = MacroAreaSizes(store.macros);
  for (const bool names : {true, false}) {
    const size_t want = names ? sizes.with_names : sizes.without_names;
    const std::vector<uint8_t> area = BuildMacroArea(store.macros, want, names);
    if (!area.empty() && area.size() != want) std::abort();
    if (!area.empty() && DecodeMacroArea(area, u"Macro ").size() > static_cast<size_t>(kMaxMacros)) std::abort();
  }
  std::vector<uint8_t> block(kMaxKeyMapSize, 0xEE);
  for (int p = 0; p < kProfileCount; ++p) EncodeKeyMap(store, p, in, block);
  return 0;
}
