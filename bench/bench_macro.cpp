// Building and decoding a full macro area: 100 macros of 40 events each,
// the size an apply or a profile export handles at most in practice.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/macro.h"

namespace keyloom {
namespace {

std::vector<MacroRecord> HundredMacros() {
  // Keys, modifiers, a consumer key and a mouse button, so every event kind
  // takes its path through the key tables.
  const uint16_t codes[] = {0x01E, 0x030, 0x02A, 0x15B, 0x122, 0x171, 0x148, 0x039};
  std::vector<MacroRecord> macros(kMaxMacros);
  for (int i = 0; i < kMaxMacros; ++i) {
    MacroRecord& m = macros[i];
    std::string name = "Macro " + std::to_string(i + 1);
    SetMacroName(m, std::u16string(name.begin(), name.end()));
    m.macro_id = static_cast<uint16_t>(i + 1);
    m.cycles = 1;
    m.event_count = 40;
    for (int e = 0; e < 40; ++e) {
      m.events[e] = MacroEvent{static_cast<uint32_t>(10 * (e % 7)),
                               codes[(e / 2) % 8],
                               static_cast<uint16_t>(e % 2 ? kMacroStateRelease : kMacroStatePress)};
    }
  }
  return macros;
}

void BM_BuildMacroArea(benchmark::State& state) {
  const std::vector<MacroRecord> macros = HundredMacros();
  for (auto _ : state) {
    MacroAreaSizePair sizes = MacroAreaSizes(macros);
    std::vector<uint8_t> area = BuildMacroArea(macros, sizes.with_names, true);
    benchmark::DoNotOptimize(area.data());
  }
}
BENCHMARK(BM_BuildMacroArea)->Unit(benchmark::kMicrosecond);

void BM_DecodeMacroArea(benchmark::State& state) {
  const std::vector<MacroRecord> macros = HundredMacros();
  const std::vector<uint8_t> area =
      BuildMacroArea(macros, MacroAreaSizes(macros).with_names, true);
  for (auto _ : state) {
    std::vector<MacroRecord> back = DecodeMacroArea(area, u"Macro ");
    benchmark::DoNotOptimize(back.data());
  }
  state.SetLabel(std::to_string(area.size()) + " bytes");
}
BENCHMARK(BM_DecodeMacroArea)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace keyloom
