// How Keyloom and its companion Keyward find each other. Keyward never opens
// the keyboard; Keyloom tells it when the keyboard's onboard profile changed
// by posting a registered message to Keyward's notice window.
#pragma once

#include <cstdint>
#include <string_view>

namespace keyloom {

// The window class of Keyward's notice window (one per session).
inline constexpr std::u16string_view kKeywardWindowClass = u"KeywardNotice";
// The registered message: wParam the tag 'PROF', lParam the profile index 0..2.
inline constexpr std::u16string_view kKeywardProfileMessage = u"Keyloom.Keyward.ProfileChanged";
inline constexpr uint32_t kKeywardProfileTag = 0x50524F46;  // 'PROF'

// Tells a running Keyward that onboard profile `profile` (0..2) is now
// active; nothing happens when Keyward is not running. Never waits for it.
// Windows only (keyward_link_win32.cpp).
void NotifyKeywardProfile(int profile);

}  // namespace keyloom
