#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "ui/dialogs/key_hooks_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

class RecordingSink final : public KeyHookSink {
 public:
  explicit RecordingSink(HookAction answer) : answer_(answer) {}
  HookAction OnThreadHookKey(const HookKey& key) override {
    thread.push_back(key);
    return answer_;
  }
  HookAction OnDesktopHookKey(uint32_t vk, bool release) override {
    desktop.push_back({vk, release});
    return HookAction::kPass;
  }
  std::vector<HookKey> thread;
  std::vector<std::pair<uint32_t, bool>> desktop;

 private:
  HookAction answer_;
};

void Tap(WORD vk, WORD scan) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[0].ki.wScan = in[1].ki.wScan = scan;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

TEST(KeyboardHooks, TheLastOwnerServesAndEveryOwnerRemovesItsHooks) {
  testing::TestWindow window(100, 100);
  SetForegroundWindow(window.hwnd());
  SetFocus(window.hwnd());
  testing::PumpPending();
  const int before = LiveHookCount();
  RecordingSink outer(HookAction::kPass), inner(HookAction::kSwallow);
  {
    KeyboardHooks first(outer);
    EXPECT_TRUE(first.thread_hook_installed());
    EXPECT_TRUE(first.desktop_hook_installed());
    {
      KeyboardHooks second(inner);
      EXPECT_EQ(LiveHookCount(), before + 4);
      Tap('Q', 0x10);
      ASSERT_TRUE(testing::PumpUntil([&] { return inner.thread.size() == 2; }));
      EXPECT_EQ(inner.thread[0].virtual_key, UINT('Q'));
      EXPECT_EQ(inner.thread[0].scan_code, 0x10u);
      EXPECT_FALSE(inner.thread[0].release);
      EXPECT_TRUE(inner.thread[1].release);
      EXPECT_EQ(inner.desktop.size(), 2u);
      EXPECT_TRUE(outer.thread.empty());
    }
    EXPECT_EQ(LiveHookCount(), before + 2);
    Tap('W', 0x11);
    ASSERT_TRUE(testing::PumpUntil([&] { return outer.thread.size() == 2; }));
    EXPECT_EQ(inner.thread.size(), 2u);
  }
  EXPECT_EQ(LiveHookCount(), before);
}

}  // namespace
}  // namespace keyloom
