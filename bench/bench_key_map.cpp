// Key-map encoding as the apply runs it: three profiles against the default
// key matrix, with every key assigned and 100 macros to look positions up in.
#include <benchmark/benchmark.h>

#include <vector>

#include "device/default_matrix.h"
#include "model/key_map.h"

namespace keyloom {
namespace {

void FillStore(KeyStore& store) {
  store.macros.resize(kMaxMacros);
  for (int i = 0; i < kMaxMacros; ++i) store.macros[i].macro_id = uint16_t(kMaxMacros - i);
  const KeyType types[] = {KeyType::kKey, KeyType::kPlayMacro, KeyType::kMedia, KeyType::kFunction,
                           KeyType::kDisabled, KeyType::kStopMacro, KeyType::kDefault};
  for (int p = 0; p < kProfileCount; ++p) {
    for (int k = 1; k < kRecordsPerBlock; ++k) {
      KeyRecord r;
      r.type = uint16_t(types[(k + p) % std::size(types)]);
      r.value = r.kind() == KeyType::kKey ? 0x01E + k % 40 : uint32_t(k % 10 + 1);
      store.SetRecord(p, k, r);
    }
  }
}

void BM_EncodeKeyMapThreeProfiles(benchmark::State& state) {
  KeyStore store;
  FillStore(store);
  std::vector<uint8_t> block(378);
  for (auto _ : state) {
    for (int p = 0; p < kProfileCount; ++p) {
      EncodeKeyMap(store, p, kBuiltInDefaultMatrix, block);
      benchmark::DoNotOptimize(block.data());
    }
  }
}
BENCHMARK(BM_EncodeKeyMapThreeProfiles);

void BM_DecodeKeyMap(benchmark::State& state) {
  KeyStore store;
  FillStore(store);
  std::vector<uint8_t> block(378);
  EncodeKeyMap(store, 1, kBuiltInDefaultMatrix, block);
  KeyStore decoded;
  for (auto _ : state) {
    DecodeKeyMap(block, kBuiltInDefaultMatrix, decoded.ProfileRecords(1));
    benchmark::DoNotOptimize(decoded.block.data());
  }
}
BENCHMARK(BM_DecodeKeyMap);

}  // namespace
}  // namespace keyloom
