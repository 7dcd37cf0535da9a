// Key maps come from the keyboard: decode any bytes, against any default
// matrix, and encode the result again, without reading or writing outside
// the buffers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/key_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keyloom;
  std::span<const uint8_t> in(data, size);
  const size_t half = size / 2;
  std::span<const uint8_t> block = in.first(half);
  std::span<const uint8_t> matrix = in.subspan(half);

  KeyStore store;
  DecodeKeyMap(block, matrix, store.ProfileRecords(0));
  std::vector<uint8_t> out(384);
  EncodeKeyMap(store, 0, matrix, out);
  return 0;
}
