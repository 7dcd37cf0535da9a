#include "ui/dialogs/key_hook_logic.h"

#include <algorithm>

namespace keyloom {

namespace {
constexpr uint32_t kScanRightShift = 0x36;
constexpr uint32_t kVkNone = 0xFF;
constexpr KeyCode kCodeSysReq = 0x054, kCodeKL = 0x071, kCodeKR = 0x072, kCodePrintScreen = 0x137;
}  // namespace

HookKey HookKeyFromThreadMessage(uint64_t wparam, int64_t lparam) {
  const uint64_t bits = static_cast<uint64_t>(lparam);
  HookKey key;
  key.virtual_key = static_cast<uint32_t>(wparam & 0xFF);
  key.scan_code = static_cast<uint32_t>((bits >> 16) & 0xFF);
  key.extended = (bits >> 24) & 1;
  key.was_down = (bits >> 30) & 1;
  key.release = (bits >> 31) & 1;
  return key;
}

KeyCode KeyCodeOfMessage(uint32_t virtual_key, uint32_t scan_code, bool extended) {
  const KeyCode from_vk = CodeFromVirtualKey(virtual_key);
  scan_code &= 0xFF;
  if (scan_code == 0) return from_vk;
  const KeyCode from_scan = static_cast<KeyCode>(scan_code + (extended ? 0x100 : 0));
  if (scan_code == kScanRightShift) return kCodeRightShift;
  if (virtual_key == kVkNone) return from_scan;
  const KeyRow& row = KeyTableRow(KeyIndexFromCode(from_scan));
  const bool row_agrees = !row.empty() && (row.vk == virtual_key || row.vk_numlock_off == virtual_key);
  const bool map_agrees = from_vk != 0 && KeyIndexFromCode(from_vk) == scan_code;
  return row_agrees || map_agrees ? from_scan : from_vk;
}

CaptureOutcome CaptureThreadKey(const HookKey& key, bool switch_on_mouse) {
  const KeyCode code = KeyCodeOfMessage(key.virtual_key, key.scan_code, key.extended);
  if (code == 0 || IsMediaKey(code)) return {HookAction::kPass, 0};
  const bool first_press = !key.release && !key.was_down;
  if (!switch_on_mouse && (first_press || code == kCodePrintScreen)) return {HookAction::kSwallow, code};
  return {HookAction::kSwallow, 0};
}

CaptureOutcome CaptureLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground) {
  (void)release;
  if (!dialog_in_foreground) return {};
  switch (virtual_key) {
    case kVkLeftWin: return {HookAction::kSwallow, kCodeLeftWin};
    case kVkRightWin: return {HookAction::kSwallow, kCodeRightWin};
    case kVkApps: return {HookAction::kSwallow, 0x15D};
    default: return {};
  }
}

bool IsReleaseOnlyKey(KeyCode code) {
  return code == kCodeSysReq || code == kCodeKL || code == kCodeKR || code == kCodePrintScreen;
}

void MacroRecorder::Start() {
  last_event_ms_ = clock_.NowMs();
  last_win_down_ = 0;
  std::fill(pressed_.begin(), pressed_.end(), false);
}

RecordOutcome MacroRecorder::Record(KeyCode code, bool release) {
  RecordOutcome out{HookAction::kSwallow, {}};
  const int64_t now = clock_.NowMs();
  if (IsReleaseOnlyKey(code)) {
    // Windows keeps the press of these keys to itself; a press the recording
    // saw (injected input, another keyboard driver) is not doubled.
    if (release && !pressed_[code]) out.events.push_back({code, kMacroStatePress, 2});
    pressed_[code] = !release;
  }
  const int64_t gap = std::clamp<int64_t>(now - last_event_ms_, 0, kMaxMacroDelayMs);
  out.events.push_back({code, release ? kMacroStateRelease : kMacroStatePress, static_cast<uint32_t>(gap)});
  last_event_ms_ = now;
  return out;
}

RecordOutcome MacroRecorder::OnThreadKey(const HookKey& key) {
  const KeyCode code = KeyCodeOfMessage(key.virtual_key, key.scan_code, key.extended);
  if (code == 0 || IsMediaKey(code)) return {};
  if (!key.release && key.was_down) return {HookAction::kSwallow, {}};
  return Record(code, key.release);
}

RecordOutcome MacroRecorder::OnLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground) {
  if (!dialog_in_foreground || (virtual_key != kVkLeftWin && virtual_key != kVkRightWin)) return {};
  if (release) {
    last_win_down_ = 0;
  } else {
    if (last_win_down_ == virtual_key) return {HookAction::kSwallow, {}};
    last_win_down_ = virtual_key;
  }
  return Record(virtual_key == kVkLeftWin ? kCodeLeftWin : kCodeRightWin, release);
}

}  // namespace keyloom
