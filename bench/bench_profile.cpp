// Profile files at their largest: 100 macros of 4000 events (about 3.3 MB)
// and a few program and text strings. Checking and reading is what an
// import and every start-up do; writing is what every apply does to the
// working profile file (the write includes flushing it to the disk).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/text_source.h"
#include "storage/message_boxes.h"
#include "storage/profile_file.h"
#include "bench_store.h"

namespace keyloom {
namespace {

class NoTexts final : public TextSource {
 public:
  std::u16string Text(std::u16string_view) const override { return u"%s"; }
};

class NoBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::u16string_view) override {}
  void ShowText(std::u16string_view) override {}
};

std::u16string BenchPath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).u16string();
}

void BM_ProfileCheckAndRead(benchmark::State& state) {
  const std::u16string path = BenchPath("keyloom-bench-read.fwc");
  KeyStore source;
  FillMaximalStore(source);
  if (!ProfileFileWrite(path, source, true)) {
    state.SkipWithError("cannot write the file");
    return;
  }
  const auto size = static_cast<int64_t>(std::filesystem::file_size(std::filesystem::path(path)));
  NoTexts texts;
  NoBoxes boxes;
  KeyStore store;
  for (auto _ : state) {
    if (ProfileFileCheck(path, texts, boxes) != 1 || ProfileFileRead(path, store) != 1) {
      state.SkipWithError("the file did not read");
      break;
    }
    benchmark::DoNotOptimize(store.macros.data());
  }
  state.SetBytesProcessed(state.iterations() * size);
  std::filesystem::remove(std::filesystem::path(path));
}
BENCHMARK(BM_ProfileCheckAndRead)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProfileParseInMemory(benchmark::State& state) {
  KeyStore source;
  FillMaximalStore(source);
  ProfileFileImage image;
  BuildProfileFileImage(source, image);
  std::vector<uint8_t> file;
  for (auto piece : image.pieces) file.insert(file.end(), piece.begin(), piece.end());
  KeyStore store;
  for (auto _ : state) {
    const bool ok = CheckProfileBytes(file) == ProfileCheck::kValid && ReadProfileBytes(file, store);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ProfileParseInMemory)->Unit(benchmark::kMillisecond);

void BM_ProfileWrite(benchmark::State& state) {
  const std::u16string path = BenchPath("keyloom-bench-write.fwc");
  KeyStore store;
  FillMaximalStore(store);
  int64_t size = 0;
  for (auto _ : state) {
    if (!ProfileFileWrite(path, store, true)) {
      state.SkipWithError("cannot write the file");
      break;
    }
    size = static_cast<int64_t>(std::filesystem::file_size(std::filesystem::path(path)));
  }
  state.SetBytesProcessed(state.iterations() * size);
  std::filesystem::remove(std::filesystem::path(path));
}
BENCHMARK(BM_ProfileWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace keyloom
