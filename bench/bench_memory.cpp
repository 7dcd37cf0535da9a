// Memory with the largest edit store loaded: 100 macros of 4000 events.
// Its own program, so the process's peak resident size before the load is
// the program's baseline and the rise is the store's.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include "bench_store.h"

namespace keyloom {
namespace {

long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

// peak_rss_mb: how far the peak resident size rose while the store was filled.
void BM_PeakMemoryLargestEditStore(benchmark::State& state) {
  const long before = PeakResidentKb();
  for (auto _ : state) {
    auto store = std::make_unique<KeyStore>();
    FillMaximalStore(*store);
    benchmark::DoNotOptimize(store->macros.data());
  }
  state.counters["peak_rss_mb"] = static_cast<double>(PeakResidentKb() - before) / 1024.0;
  state.counters["macro_mb"] = static_cast<double>(kMaxMacros * sizeof(MacroRecord)) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PeakMemoryLargestEditStore)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace keyloom
