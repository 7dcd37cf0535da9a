#include "model/key_apply.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <new>
#include <vector>

#include "base/bytes.h"
#include "device/command_set.h"
#include "model/key_map.h"
#include "model/macro.h"

namespace keyloom {
namespace {

bool IsStringRecord(const KeyRecord& r) {
  return r.kind() == KeyType::kLaunchProgram || r.kind() == KeyType::kTextBlock;
}

// Copies the edit store into the applied store (both locks held) and lays the
// slots' strings end to end in the applied store's text pool; each string's
// record, in both stores, gets the string's offset in the pool.
void CopyEditStore(KeyStore& edit, KeyStore& applied) {
  applied.block.clear();
  applied.macros.clear();
  applied.text_pool.clear();

  applied.block = edit.block;
  applied.macros = edit.macros;
  for (MacroRecord& m : applied.macros) m.new_flag = 0;
  const uint32_t text_size = static_cast<uint32_t>(edit.text_size);
  StoreU16(&applied.block[kHeaderMacroCountOffset], static_cast<uint16_t>(applied.macros.size()));
  StoreU32(&applied.block[kHeaderTextSizeOffset], text_size);

  std::vector<uint8_t> pool(text_size, 0);
  size_t end = 0;  // sizes are even, so every string starts at an even offset
  for (int n = 0; n < kKeyRecordCount; ++n) {
    KeyRecord r = edit.RecordAt(n);
    const StringSlot& slot = edit.slots[n];
    if (!IsStringRecord(r) || slot.size == 0 || end + slot.size > pool.size()) continue;
    uint8_t* out = pool.data() + end;
    for (char16_t c : slot.text) {
      StoreU16(out, c);
      out += 2;
    }
    StoreU16(out, 0);
    r.value = static_cast<uint32_t>(end);
    edit.SetRecordAt(n, r);
    applied.SetRecordAt(n, r);
    end += slot.size;
  }
  applied.text_pool = std::move(pool);
}

// The commands of one apply, built before anything is sent.
struct ApplyPlan {
  std::vector<uint8_t> macro_area;
  bool names_left_out = false;
  std::vector<std::pair<int, std::vector<uint8_t>>> key_maps;  // (profile, block)
};

enum class PlanResult { kOk, kTooLong, kNoProfile, kFailed };

PlanResult MakePlan(const KeyStore& applied, CommandSet& commands, bool all_profiles,
                    ApplyPlan& plan) {
  KeyboardLink& link = commands.link();
  const MacroAreaSizePair sizes = MacroAreaSizes(applied.macros);
  const size_t capacity = static_cast<size_t>(std::max(0, link.macro_capacity.load()));
  if (sizes.without_names > capacity) return PlanResult::kTooLong;
  const bool names = sizes.with_names <= capacity;
  plan.names_left_out = !names;

  std::vector<int> profiles;
  if (all_profiles) {
    profiles = {0, 1, 2};
  } else {
    const int active = commands.GetActiveProfile();
    if (active < 0 || active >= kProfileCount) return PlanResult::kNoProfile;
    profiles = {active};
  }

  plan.macro_area =
      BuildMacroArea(applied.macros, names ? sizes.with_names : sizes.without_names, names);
  if (plan.macro_area.empty()) return PlanResult::kFailed;

  const std::array<uint8_t, kDefaultMatrixBytes> matrix = link.DefaultMatrix();
  const size_t block_size =
      static_cast<size_t>(std::clamp(link.keymap_size.load(), int(kKeyMapUsedBytes), kMaxKeyMapSize));
  for (int p : profiles) {
    std::vector<uint8_t> block(block_size, 0);
    if (!EncodeKeyMap(applied, p, matrix, block)) return PlanResult::kFailed;
    plan.key_maps.emplace_back(p, std::move(block));
  }
  return PlanResult::kOk;
}

bool Send(CommandSet& commands, const ApplyPlan& plan) {
  // The whole bracket is one exchange: no other sender's frame may fall
  // between begin and end.
  KeyboardExchange exchange(commands.link());
  if (!exchange.held()) return false;
  if (commands.BeginExchange() != kResultOk) return false;
  bool ok = commands.WriteMacros(plan.macro_area) == kResultOk;
  for (size_t i = 0; ok && i < plan.key_maps.size(); ++i) {
    ok = commands.WriteKeyMap(plan.key_maps[i].first, plan.key_maps[i].second) == kResultOk;
  }
  // An exchange that was begun is ended even after a failure.
  const bool ended = commands.EndExchange() == kResultOk;
  return ok && ended;
}

}  // namespace

bool ApplyToKeyboard(KeyStores& stores, CommandSet& commands, UserMessages& messages,
                     bool all_profiles) {
  std::lock_guard edit_lock(stores.edit.mutex);
  std::lock_guard applied_lock(stores.applied.mutex);
  all_profiles = all_profiles || stores.all_profiles.load();

  ApplyPlan plan;
  PlanResult planned;
  try {
    CopyEditStore(stores.edit, stores.applied);
    planned = MakePlan(stores.applied, commands, all_profiles, plan);
  } catch (const std::bad_alloc&) {
    planned = PlanResult::kFailed;
  }
  if (planned == PlanResult::kTooLong) messages.ShowMessage(u"EXTRA_MACRO_TOO_LONG");
  if (planned != PlanResult::kOk) return false;

  const bool ok = Send(commands, plan);
  if (ok && plan.names_left_out) messages.ShowMessage(u"EXTRA_PROFILE_SPACE_TIGHT");
  // A failed apply keeps the flag: the next one must still rewrite every
  // profile, whose macro positions have shifted.
  if (ok && all_profiles) stores.all_profiles = false;
  return ok;
}

bool ResetProfileKeys(KeyStore& edit, int profile, std::span<const uint16_t> main_key_indices,
                      const std::function<void(uint16_t key_index)>& refresh) {
  if (profile < 0 || profile >= kProfileCount) return false;
  std::lock_guard lock(edit.mutex);
  auto reset = [&](uint16_t index) {
    if (!edit.SetRecord(profile, index, KeyRecord{})) return;
    if (refresh) refresh(index);
  };
  for (int n = 0; n < kGKeyCount; ++n) reset(static_cast<uint16_t>(kKeyIndexG1 + n));
  for (uint16_t index : main_key_indices) reset(index);
  return true;
}

KeyRecord EditorKeyRecord(uint16_t key_index, KeyType type, uint32_t value, uint16_t cycles) {
  KeyRecord r;
  r.sub = GKeyIdOfKeyIndex(key_index);
  switch (type) {
    case KeyType::kKey: {
      // A mouse action is never the key's own function.
      const bool mouse = std::any_of(kMouseActions.begin(), kMouseActions.end(),
                                     [&](const MouseAction& m) { return m.code == value; });
      if (value == 0 || (!mouse && KeyIndexFromCode(static_cast<KeyCode>(value)) == key_index))
        type = KeyType::kDefault;
      else
        r.value = value;
      break;
    }
    case KeyType::kPlayMacro:
      r.value = value;
      r.sub = cycles;
      break;
    case KeyType::kMedia:
    case KeyType::kFunction:
      r.value = value;
      break;
    default: break;
  }
  r.type = static_cast<uint16_t>(type);
  return r;
}

bool AssignKey(KeyStore& edit, int profile, uint16_t key_index, const KeyRecord& record) {
  if (profile < 0 || profile >= kRecordBlocks || key_index >= kRecordsPerBlock) return false;
  const int number = RecordNumber(profile, key_index);
  bool changed = false;
  if (edit.slots[number].size != 0 || !edit.slots[number].text.empty()) {
    ClearStringSlot(edit, number);
    changed = true;
  }
  if (!(edit.RecordAt(number) == record)) {
    edit.SetRecordAt(number, record);
    changed = true;
  }
  return changed;
}

}  // namespace keyloom
