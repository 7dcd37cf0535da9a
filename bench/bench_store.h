// The largest edit store the program allows: 100 macros of 4000 events,
// and a few program and text strings.
#pragma once

#include <string>

#include "model/key_store.h"
#include "model/macro.h"
#include "storage/profile_file.h"

namespace keyloom {

inline void FillMaximalStore(KeyStore& store) {
  store.block = NewStoreBlock(0);
  store.macros.assign(kMaxMacros, MacroRecord{});
  for (int i = 0; i < kMaxMacros; ++i) {
    MacroRecord& m = store.macros[i];
    const std::string name = "Macro " + std::to_string(i + 1);
    SetMacroName(m, std::u16string(name.begin(), name.end()));
    m.macro_id = static_cast<uint16_t>(i + 1);
    m.event_count = kMaxMacroEvents;
    for (int e = 0; e < kMaxMacroEvents; ++e)
      m.events[e] = MacroEvent{10, static_cast<uint16_t>(0x01E + e % 20), static_cast<uint16_t>(e % 2)};
  }
  for (int k = 0; k < 20; ++k) {
    KeyRecord r;
    r.type = static_cast<uint16_t>(k % 2 ? KeyType::kTextBlock : KeyType::kLaunchProgram);
    store.SetRecord(k % 3, static_cast<uint32_t>(0x10 + k), r);
    SetStringSlot(store, RecordNumber(k % 3, 0x10 + k), u"C:\\Program Files\\Some Tool\\tool.exe --flag");
  }
}

}  // namespace keyloom
