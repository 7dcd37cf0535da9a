// The macro editor at its limits, as the user meets them: each key of a
// recording that fills a macro, the commit at OK with 100 full macros and
// every key playing one, and undoing a change of a full event list.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/clock.h"
#include "model/key_store.h"
#include "storage/app_settings.h"
#include "ui/dialogs/key_editor_host.h"
#include "ui/dialogs/macro_page_logic.h"

namespace keyloom {
namespace {

class NullView final : public WindowlessCompositeView {};

class Texts final : public TextSource {
 public:
  std::u16string Text(std::u16string_view) const override { return u"Macro "; }
};

class Settings final : public AppSettings {
 public:
  int ReadInt(std::u16string_view, std::u16string_view, int) const override { return 1; }
  std::u16string ReadString(std::u16string_view, std::u16string_view, std::u16string_view d) const override {
    return std::u16string(d);
  }
  bool WriteInt(std::u16string_view, std::u16string_view, int) override { return true; }
  bool WriteString(std::u16string_view, std::u16string_view, std::u16string_view) override { return true; }
};

class Host final : public KeyEditorHost {
 public:
  void MarkChanged() override {}
  void RefreshKey(int, uint16_t) override {}
  void RefreshKeyTips() override {}
  void SetEditingLook(int, bool) override {}
};

struct Page {
  NullView view;
  Texts texts;
  Settings settings;
  ManualClock clock;
  MacroPageLogic logic{view, texts, settings, clock};
};

MacroRecord FullMacro(uint16_t id) {
  MacroRecord m;
  m.macro_id = id;
  for (int i = 0; i < kMaxMacroEvents; ++i) AddMacroEvent(m, {50, 0x01E, uint16_t(i % 2)});
  return m;
}

// One recorded key, inserted after the selection in the middle of a macro
// that grows to 4000 events (the list is emptied outside the timing).
void BM_RecordKeyIntoAGrowingMacro(benchmark::State& state) {
  auto page = std::make_unique<Page>();
  std::vector<MacroRecord> one(1);
  one[0].macro_id = 1;
  page->logic.Load(one);
  page->logic.ReadRecordDelayMode();
  page->logic.SelectMacro(0);
  page->logic.StartRecording();
  bool up = false;
  for (auto _ : state) {
    if (page->logic.events().size() >= size_t(kMaxMacroEvents)) {
      state.PauseTiming();
      page->logic.StopRecording();
      page->logic.Load(one);
      page->logic.SelectMacro(0);
      page->logic.StartRecording();
      state.ResumeTiming();
    }
    page->clock.Advance(37);
    page->logic.OnRecordThreadKey({'A', 0x1E, false, up, up});
    up = !up;
    if (page->logic.events().size() % 64 == 0) page->logic.SelectEvent(int(page->logic.events().size() / 2));
  }
}
BENCHMARK(BM_RecordKeyIntoAGrowingMacro);

// OK with 100 macros of 4000 events and every record of every profile
// playing a macro: store the current macro, reconcile 2048 records, replace
// the store's macros (3.2 MB).
void BM_CommitAHundredFullMacros(benchmark::State& state) {
  auto page = std::make_unique<Page>();
  auto stores = std::make_unique<KeyStores>();
  Host host;
  std::vector<MacroRecord> macros;
  for (uint16_t id = 1; id <= kMaxMacros; ++id) macros.push_back(FullMacro(id));
  stores->edit.macros = macros;
  for (int n = 0; n < kKeyRecordCount; ++n) {
    KeyRecord r;
    r.type = uint16_t(KeyType::kPlayMacro);
    r.value = uint32_t(n % kMaxMacros + 1);
    stores->edit.SetRecordAt(n, r);
  }
  page->logic.Load(macros);
  page->logic.SelectMacro(50);
  for (auto _ : state) {
    benchmark::DoNotOptimize(page->logic.Commit(*stores, 0, host));
  }
}
BENCHMARK(BM_CommitAHundredFullMacros)->Unit(benchmark::kMillisecond);

// Delete an event of a full list and undo it: two snapshots of 32 KB.
void BM_DeleteAndUndoInAFullList(benchmark::State& state) {
  auto page = std::make_unique<Page>();
  std::vector<MacroRecord> one{FullMacro(1)};
  page->logic.Load(one);
  page->logic.SelectMacro(0);
  for (auto _ : state) {
    page->logic.SelectEvent(2000);
    page->logic.DeleteEvent();
    page->logic.Undo();
  }
}
BENCHMARK(BM_DeleteAndUndoInAFullList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace keyloom
