// The keyboard threads' way to the main window and the tray on Windows:
// sent and posted window messages with their four-letter tags.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

#include "device/presence.h"

namespace keyloom {

constexpr uint32_t FourCC(const char (&tag)[5]) {
  return (uint32_t(uint8_t(tag[0])) << 24) | (uint32_t(uint8_t(tag[1])) << 16) | (uint32_t(uint8_t(tag[2])) << 8) |
         uint32_t(uint8_t(tag[3]));
}

inline constexpr UINT kMsgKeyboardArrived = 0x5452;  // wParam 'PROF'
inline constexpr UINT kMsgKeyboardRemoved = 0x4753;
inline constexpr UINT kMsgOpen = 0x5350;             // wParam 'OPEN'
// Asks the main window to start timer wParam on its own thread.
inline constexpr UINT kMsgStartTimer = WM_APP + 0x51;

class Win32PresenceSink final : public PresenceSink {
 public:
  // `set_tray_image` and `show_message` are the tray icon's image operation
  // and a message box with a language text; both may run on any thread.
  Win32PresenceSink(HWND main_window, std::function<void(int)> set_tray_image,
                    std::function<void(std::u16string_view)> show_message)
      : window_(main_window), set_tray_image_(std::move(set_tray_image)), show_message_(std::move(show_message)) {}

  void SendArrival() override { SendMessageW(window_, kMsgKeyboardArrived, FourCC("PROF"), 0); }
  void SendRemoval() override { SendMessageW(window_, kMsgKeyboardRemoved, 0, 0); }
  void PostOpen() override { PostMessageW(window_, kMsgOpen, FourCC("OPEN"), 0); }
  void HideMainWindow() override { ShowWindow(window_, SW_HIDE); }
  void SetTrayImage(int icon) override {
    if (set_tray_image_) set_tray_image_(icon);
  }
  void StartTimer(int id) override { PostMessageW(window_, kMsgStartTimer, static_cast<WPARAM>(id), 0); }
  void ShowMessage(std::u16string_view key) override {
    if (show_message_) show_message_(key);
  }

 private:
  HWND window_;
  std::function<void(int)> set_tray_image_;
  std::function<void(std::u16string_view)> show_message_;
};

// For the main window's procedure: starts the one-shot timer a keyboard
// thread asked for. True when the message was this request.
inline bool HandleStartTimerMessage(HWND window, UINT message, WPARAM wparam) {
  if (message != kMsgStartTimer) return false;
  SetTimer(window, static_cast<UINT_PTR>(wparam), 0, nullptr);
  return true;
}

}  // namespace keyloom
