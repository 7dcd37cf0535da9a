#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "device/presence_sink_win32.h"

namespace keyloom {
namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
};
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (HandleStartTimerMessage(hwnd, msg, wp)) return 0;
  if (msg == WM_TIMER) KillTimer(hwnd, wp);
  if (msg == kMsgKeyboardArrived || msg == kMsgKeyboardRemoved || msg == kMsgOpen || msg == WM_TIMER)
    if (auto* seen = reinterpret_cast<std::vector<Seen>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
      seen->push_back({msg, wp});
  return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST(Win32PresenceSink, SendsTaggedMessagesAndStartsTimersOnTheWindowThread) {
  std::vector<Seen> seen;
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KeyloomSinkTest";
  RegisterClassW(&wc);
  // A message-only window: messages and timers need no display.
  HWND hwnd = CreateWindowW(L"KeyloomSinkTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(hwnd, nullptr) << "CreateWindowW failed, error " << GetLastError();
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
  std::vector<int> tray;
  Win32PresenceSink sink(hwnd, [&](int icon) { tray.push_back(icon); }, nullptr);

  // From another thread, as the watcher does: sent messages wait for this
  // thread to pump.
  std::thread watcher([&] {
    sink.SendArrival();
    sink.PostOpen();
    sink.StartTimer(kTimerProfileChanged);
    sink.SendRemoval();
    sink.SetTrayImage(kTrayNoKeyboard);
  });
  MSG msg;
  const DWORD start = GetTickCount();
  while (seen.size() < 4 && GetTickCount() - start < 5000) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  watcher.join();
  DestroyWindow(hwnd);

  ASSERT_GE(seen.size(), 4u);
  auto has = [&](UINT m, WPARAM w) {
    for (const Seen& s : seen)
      if (s.message == m && s.wparam == w) return true;
    return false;
  };
  EXPECT_EQ(seen[0].message, kMsgKeyboardArrived);
  EXPECT_EQ(seen[0].wparam, 0x50524F46u);  // 'PROF'
  EXPECT_TRUE(has(kMsgOpen, 0x4F50454Eu));  // 'OPEN'
  EXPECT_TRUE(has(kMsgKeyboardRemoved, 0));
  EXPECT_TRUE(has(WM_TIMER, kTimerProfileChanged));
  EXPECT_EQ(tray, std::vector<int>{kTrayNoKeyboard});
}

}  // namespace
}  // namespace keyloom
