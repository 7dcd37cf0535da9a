// One tick of the lighting preview per mode: the step's computation and the
// comparison with what the buttons show, with a painter that only counts the
// buttons it is asked to repaint (drawing is the window's cost, not the
// preview's). Arguments: mode, colourful.
#include <benchmark/benchmark.h>

#include "ui/main/lighting_preview.h"

namespace keyloom {
namespace {

class CountingPainter final : public KeyButtonPainter {
 public:
  void ShowKeyColour(uint16_t, Colour) override { ++repaints; }
  void ClearKeyColour(uint16_t) override { ++repaints; }
  void ClearSelectedLooks() override {}
  int64_t repaints = 0;
};

void BM_PreviewTick(benchmark::State& state) {
  LightingState lighting;
  lighting.mode = static_cast<int>(state.range(0));
  lighting.colourful = state.range(1) != 0;
  lighting.direction = kDirectionLeft;
  lighting.colour = 0x40A0FF;
  lighting.lighting_view = true;
  CountingPainter painter;
  KeyColourBoard board(painter);
  LightingPreview preview(board, 2024);
  for (auto _ : state) preview.Tick(lighting, true);
  state.counters["repaints/tick"] =
      benchmark::Counter(static_cast<double>(painter.repaints), benchmark::Counter::kAvgIterations);
}

void PreviewModes(benchmark::internal::Benchmark* b) {
  for (int mode = 1; mode <= 20; ++mode) {
    b->Args({mode, 0});
    // Modes whose step draws differently with changing colours.
    if (mode != 4 && mode != 7 && mode != 8 && mode != 9 && mode != 17 && mode != 19 && mode != 20)
      b->Args({mode, 1});
  }
}
BENCHMARK(BM_PreviewTick)->Apply(PreviewModes)->ArgNames({"mode", "colourful"});

}  // namespace
}  // namespace keyloom
