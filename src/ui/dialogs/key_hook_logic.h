// What the key editor's keyboard hooks decide, apart from the hooks: which
// key code a key message stands for, whether the key editor takes it, and
// which macro events a recording makes of it. The Win32 hook procedures
// (key_hooks_win32.h) only decode their parameters into a HookKey, call these
// and return what they say.
#pragma once

#include <cstdint>
#include <vector>

#include "base/clock.h"
#include "model/key_tables.h"
#include "model/macro.h"

namespace keyloom {

// One key message as a hook sees it.
struct HookKey {
  uint32_t virtual_key = 0;
  uint32_t scan_code = 0;  // the set-1 scan code without prefix
  bool extended = false;   // the E0 prefix
  bool release = false;    // key-up
  bool was_down = false;   // the key was down before: a key-down is an auto-repeat
};

// A thread keyboard hook's parameters: wParam the virtual key, lParam bits
// 16-23 the scan code, 24 the extended flag, 30 the previous key state and
// 31 the transition state.
HookKey HookKeyFromThreadMessage(uint64_t wparam, int64_t lparam);

// Virtual keys the thread hook never sees (the system keeps them), which a
// desktop-wide hook catches instead.
inline constexpr uint32_t kVkLeftWin = 0x5B, kVkRightWin = 0x5C, kVkApps = 0x5D;

// The key code of a key message. The scan code (plus 0x100 when extended)
// is used when it agrees with the virtual key: its key-table row carries the
// virtual key (or, on the numeric pad, the one sent with Num Lock off), or
// the virtual-key map sends that virtual key to the scan code's row. Right
// Shift's scan code 0x36 is always used (Windows names it with VK_SHIFT,
// which the map sends to left Shift), virtual key 0xFF (keys without one)
// uses the scan code, and a scan code of 0 or a disagreement uses the
// virtual-key map.
KeyCode KeyCodeOfMessage(uint32_t virtual_key, uint32_t scan_code, bool extended);

enum class HookAction { kPass, kSwallow };

struct CaptureOutcome {
  HookAction action = HookAction::kPass;
  KeyCode taken = 0;  // the key the editor takes; 0 when none
};

// The single-key page's thread hook. Codes 0 and media keys pass; every
// other key is swallowed, and taken when the switch is on keyboard and the
// message is the key's first press, or any message of Print Screen (which
// Windows reports only on release).
CaptureOutcome CaptureThreadKey(const HookKey& key, bool switch_on_mouse);

// The single-key page's desktop-wide hook: left Win, right Win and the
// application key, pressed or released, are taken and swallowed whatever the
// switch says, while one of the dialog's windows is in the foreground.
// Everything else passes, and so does everything while the user works in
// another program: the Win key must keep working there.
CaptureOutcome CaptureLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground);

// One recorded press or release. `delay` is the time since the event
// recorded before it, limited to 40000 ms.
struct RecordedKey {
  KeyCode key_code = 0;
  uint16_t state = kMacroStatePress;
  uint32_t delay = 0;
  bool operator==(const RecordedKey&) const = default;
};

struct RecordOutcome {
  HookAction action = HookAction::kPass;
  std::vector<RecordedKey> events;  // in order; none, one or two
};

// Keys that Windows reports with a release only; a recording adds the press
// it did not see.
bool IsReleaseOnlyKey(KeyCode code);

// The recorder's state between key messages: when the last event was
// recorded and which keys it saw go down. Time comes from an injected clock
// (the system tick count in the program).
class MacroRecorder {
 public:
  explicit MacroRecorder(const Clock& clock) : clock_(clock) {}

  // Starts timing: the first event's delay is measured from now.
  void Start();

  // The thread hook: code 0 and media keys pass untouched; an auto-repeat is
  // swallowed and not recorded; anything else is recorded and swallowed.
  RecordOutcome OnThreadKey(const HookKey& key);
  // The desktop-wide hook: only left and right Win, while the dialog is in
  // the foreground. Their own auto-repeat (a press of the key that was the
  // last one down) is swallowed and not recorded.
  RecordOutcome OnLowLevelKey(uint32_t virtual_key, bool release, bool dialog_in_foreground);

 private:
  RecordOutcome Record(KeyCode code, bool release);

  const Clock& clock_;
  int64_t last_event_ms_ = 0;
  uint32_t last_win_down_ = 0;
  std::vector<bool> pressed_ = std::vector<bool>(0x200, false);  // by key code, for release-only keys
};

}  // namespace keyloom
