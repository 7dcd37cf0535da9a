// The tray icon's decisions: what a mouse message on the icon does, and how
// a tip is cut to the shell's record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyloom {

// Callback message the shell sends for the icon; the icon id also names the
// tray menu resource.
inline constexpr unsigned kTrayCallbackMessage = 0x06BD;
inline constexpr unsigned kTrayIconId = 140;
// The tray menu's commands, in menu order (Open is the default item).
inline constexpr int kTrayCmdOpen = 32771;
inline constexpr int kTrayCmdAbout = 32773;
inline constexpr int kTrayCmdExit = 32774;

// The shell's tip holds 128 wide characters with the terminator.
inline constexpr size_t kTrayTipCapacity = 128;

enum class TrayAction { kNone, kShowMenu, kRunDefault };

struct TrayDecision {
  int result = 0;  // what the notification handler returns
  TrayAction action = TrayAction::kNone;
};

// `icon_id` and `mouse_message` are the callback message's two parameters.
// Right button released shows the menu, a left double-click runs the
// default item, any other mouse message on our icon is taken and ignored;
// another icon's messages are not ours (result 0).
TrayDecision DecideTrayNotification(unsigned our_icon_id, uint64_t icon_id, uint64_t mouse_message);

// At most kTrayTipCapacity - 1 characters, never ending in half of a
// surrogate pair; a cut tip ends in "..." so the user sees it was cut.
std::u16string FitTrayTip(std::u16string_view text);

}  // namespace keyloom
