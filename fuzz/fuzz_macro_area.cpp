// Macro areas are read back from the keyboard: decode any bytes, then build
// an area from what was decoded and decode that again; the second decoding
// must give the same macros. Names aside (a name may hold a NUL, which ends
// it when it is written), delays above the limit are written as the limit,
// and a key code that no event can express (a G key, say) may be written as
// no key, but an event never turns into another key.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "model/macro.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keyloom;
  const std::vector<MacroRecord> macros = DecodeMacroArea(std::span<const uint8_t>(data, size), u"Macro ");
  if (macros.size() > static_cast<size_t>(kMaxMacros)) std::abort();
  // Every macro takes the same path; checking the round trip of a few keeps
  // the target fast (each record is 32 KB).
  if (macros.size() > 16) return 0;

  const MacroAreaSizePair sizes = MacroAreaSizes(macros);
  const std::vector<uint8_t> area = BuildMacroArea(macros, sizes.with_names, true);
  if (sizes.with_names > kMaxMacroAreaSize) {
    if (!area.empty()) std::abort();
    return 0;
  }
  if (area.size() != sizes.with_names) std::abort();
  const std::vector<MacroRecord> again = DecodeMacroArea(area, u"Macro ");
  if (again.size() != macros.size()) std::abort();
  for (size_t i = 0; i < macros.size(); ++i) {
    const MacroRecord& a = macros[i];
    const MacroRecord& b = again[i];
    if (a.cycles != b.cycles || a.macro_id != b.macro_id || a.event_count != b.event_count) std::abort();
    for (size_t e = 0; e < a.event_count; ++e) {
      const MacroEvent& x = a.events[e];
      const MacroEvent& y = b.events[e];
      const bool same_key = y.key_code == x.key_code || y.key_code == 0;
      if (std::min(x.delay, kMaxMacroDelayMs) != y.delay || !same_key || x.state != y.state) std::abort();
    }
  }
  return 0;
}
