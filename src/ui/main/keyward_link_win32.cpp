#include <windows.h>

#include <string>

#include "base/text.h"
#include "ui/main/keyward_link.h"

namespace keyloom {

void NotifyKeywardProfile(int profile) {
  const std::u16string window_class(kKeywardWindowClass), message_name(kKeywardProfileMessage);
  HWND keyward = FindWindowW(AsWide(window_class), nullptr);
  if (!keyward) return;
  const UINT message = RegisterWindowMessageW(AsWide(message_name));
  // Posted: a companion that hangs must never stall the main window.
  if (message) PostMessageW(keyward, message, kKeywardProfileTag, profile);
}

}  // namespace keyloom
