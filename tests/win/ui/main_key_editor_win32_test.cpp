// The key editor opened from the real main window on a simulated keyboard:
// a key button's click opens it, its result reaches the keyboard through the
// window's Apply, and removal and Quit take it down with its hooks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "model/key_map.h"
#include "model/macro.h"
#include "ui/dialogs/composite_ids.h"
#include "ui/main/main_key_editor_win32.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using testing::PumpUntil;

constexpr int kA = 1058, kG1 = 1000;

void InjectKey(WORD vk, WORD scan, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof(in));
}

void ClickIn(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The three bytes the keyboard's key map of `profile` holds at the position
// whose default function is `default_entry`.
std::vector<uint8_t> EntryAt(const testing::MainWindowWorld& world, int profile, const KeyFunctionCode& default_entry) {
  const auto matrix = world.link.DefaultMatrix();
  const SimMemory memory = world.Memory();
  for (size_t k = 0; k * 3 + 2 < matrix.size(); ++k)
    if (KeyFunctionCode{matrix[k * 3], matrix[k * 3 + 1], matrix[k * 3 + 2]} == default_entry) {
      const uint8_t* entry = &memory.keymaps[profile * world.link.stride + k * 3];
      return {entry, entry + 3};
    }
  ADD_FAILURE() << "no such position in the default key map";
  return {};
}

// The main window with the program's key editor, started on the keyboard.
struct MainKeyEditorFixture : testing::MainWindowFixture {
  using Step = std::function<bool(Keyloom_DlgComposite&)>;

  void SetUp() override {
    MainWindowFixture::SetUp();
    context->make_key_editor = [this](CKeyloomDlg& w) {
      auto made = std::make_unique<MainKeyEditor>(w);
      editor = made.get();
      return made;
    };
    StartOnKeyboard();
    hooks_before = LiveHookCount();
  }

  // Sends command `id` to the main window (it returns when the editor
  // closed) and runs `steps` in the editor meanwhile, one a tick. An editor
  // still open after the time limit (a step that did not finish, or steps
  // that should have closed it) is cancelled.
  void Open(int id, std::vector<Step> steps, DWORD limit_ms = 20000) {
    size_t next = 0;
    bool finished = false;
    const DWORD start = GetTickCount();
    testing::TimerDriver driver(
        [&] {
          Keyloom_DlgComposite* d = editor->editor().dialog();
          if (!d || !d->hwnd() || !IsWindowVisible(d->hwnd())) return false;
          if (GetTickCount() - start > limit_ms) {
            ADD_FAILURE() << (finished ? "the editor did not close" : "a step did not finish: ") << next;
            d->logic().Cancel();
            return true;
          }
          if (next < steps.size() && steps[next](*d)) ++next;
          finished = next == steps.size();
          return false;
        },
        20);
    Click(id);
    EXPECT_TRUE(finished);
    EXPECT_FALSE(editor->IsOpen());
  }
  static Step Foreground() {
    return [](Keyloom_DlgComposite& d) {
      SetCursorPos(0, 0);
      SetForegroundWindow(d.hwnd());
      return GetForegroundWindow() == d.hwnd();
    };
  }
  static Step Do(std::function<void(Keyloom_DlgComposite&)> action) {
    return [action](Keyloom_DlgComposite& d) {
      action(d);
      return true;
    };
  }
  // The whole screen: the editor beside the main window.
  static Step Shot(const char16_t* name) {
    return [name](Keyloom_DlgComposite& d) {
      RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      if (!testing::IsPainted(d.hwnd())) return false;
      EXPECT_TRUE(testing::CaptureWindow(GetDesktopWindow(), testing::ShotFolder() + name));
      return true;
    };
  }
  int ActiveProfile() const { return world->Memory().settings[10]; }

  MainKeyEditor* editor = nullptr;
  int hooks_before = 0;
};

TEST_F(MainKeyEditorFixture, KeyAGivenBReachesTheKeyboardOnApply) {
  RECT a{}, placed{};
  GetWindowRect(GetDlgItem(hwnd(), kA), &a);
  Open(kA, {Foreground(), Do([&](Keyloom_DlgComposite& d) {
              GetWindowRect(d.hwnd(), &placed);
              EXPECT_EQ(window->button(kA)->look(), ButtonLook::kPressed) << "the key being edited";
              EXPECT_EQ(GetWindow(d.hwnd(), GW_OWNER), hwnd());
              EXPECT_FALSE(IsWindowEnabled(hwnd())) << "modal";
              InjectKey('B', 0x30, false);
              InjectKey('B', 0x30, true);
            }),
            [](Keyloom_DlgComposite& d) { return d.logic().captured() == 0x030; },
            Shot(u"main_key_editor_key.bmp"), Do([](Keyloom_DlgComposite& d) { ClickIn(d.hwnd(), IDOK); })});
  EXPECT_EQ(placed.left, a.right) << "beside the clicked button";
  EXPECT_EQ(placed.top, a.top);
  EXPECT_EQ(LiveHookCount(), hooks_before);
  EXPECT_EQ(window->button(kA)->look(), ButtonLook::kSelected);
  EXPECT_EQ(window->button(kA)->tooltip_text(), u"A: reassigned (key: B)");
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply))) << "the window was marked modified";

  Click(kCmdApply);
  EXPECT_EQ(EntryAt(*world, ActiveProfile(), EncodeKeyFunction(0x01E)), (std::vector<uint8_t>{2, 2, 5}));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
}

TEST_F(MainKeyEditorFixture, AMacroRecordedOnG1ReachesTheKeyboardOnApply) {
  Open(kG1, {Foreground(), Do([](Keyloom_DlgComposite& d) {
               ClickIn(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
               if (d.logic().macro_page().macros().empty()) ClickIn(d.hwnd(), KEYLOOM_IDC_MACRO_ADD);
               ClickIn(d.hwnd(), KEYLOOM_IDC_RECORD);
               ASSERT_NE(d.hooks(), nullptr);
               InjectKey('A', 0x1E, false);
               InjectKey('A', 0x1E, true);
             }),
             [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 2; },
             Do([](Keyloom_DlgComposite&) {
               InjectKey(VK_SHIFT, 0x2A, false);
               InjectKey('S', 0x1F, false);
               InjectKey('S', 0x1F, true);
               InjectKey(VK_SHIFT, 0x2A, true);
             }),
             [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 6; },
             Do([](Keyloom_DlgComposite& d) { ClickIn(d.hwnd(), KEYLOOM_IDC_RECORD); }),
             Shot(u"main_key_editor_macro.bmp"),
Do([](Keyloom_DlgComposite& d) { ClickIn(d.hwnd(), IDOK); })});
  EXPECT_EQ(LiveHookCount(), hooks_before);
  ASSERT_EQ(world->stores.edit.macros.size(), 1u);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));

  Click(kCmdApply);
  const SimMemory memory = world->Memory();
  const std::vector<MacroRecord> written = DecodeMacroArea(memory.macros, u"Macro ");
  ASSERT_EQ(written.size(), 1u);
  const MacroEvent expected[] = {{50, 0x01E, kMacroStatePress}, {50, 0x01E, kMacroStateRelease},
                                 {50, 0x02A, kMacroStatePress}, {50, 0x01F, kMacroStatePress},
                                 {50, 0x01F, kMacroStateRelease}, {50, 0x02A, kMacroStateRelease}};
  ASSERT_EQ(written[0].event_count, 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(written[0].events[i].key_code, expected[i].key_code) << i;
    EXPECT_EQ(written[0].events[i].state, expected[i].state) << i;
    EXPECT_EQ(written[0].events[i].delay, world->stores.edit.macros[0].events[i].delay) << i;
  }
  EXPECT_EQ(written[0].cycles, 1);
  // G1 plays the first (and only) macro of the area.
  EXPECT_EQ(EntryAt(*world, ActiveProfile(), KeyFunctionCode{kKindGKey, 0xA2, 1}), (std::vector<uint8_t>{5, 1, 0}));
}

TEST_F(MainKeyEditorFixture, TheMacrosButtonOpensTheMacroPageAndTheLanguageReachesIt) {
  Open(kCmdMacro, {Foreground(), Do([&](Keyloom_DlgComposite& d) {
                     EXPECT_EQ(d.logic().page(), EditorPage::kMacro);
                     EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd(), KEYLOOM_IDC_PAGE_KEY)));
                     EXPECT_TRUE(IsWindowVisible(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST)));
                     SetDlgItemTextW(d.hwnd(), KEYLOOM_IDC_RECORD, L"");
                     SendMessageW(hwnd(), kMainMsgLanguage, kMainTagLanguage, world->texts.CurrentLanguageIndex());
                     wchar_t caption[32] = L"";
                     GetDlgItemTextW(d.hwnd(), KEYLOOM_IDC_RECORD, caption, 32);
                     EXPECT_STREQ(caption, L"Record") << "relabelled";
                   }),
                   Shot(u"main_key_editor_macro_only.bmp"),
                   Do([](Keyloom_DlgComposite& d) { ClickIn(d.hwnd(), IDCANCEL); })});
}

TEST_F(MainKeyEditorFixture, RemovalClosesAnOpenEditorAndItsHooks) {
  int hooks_open = 0;
  Open(kA, {Foreground(), Do([&](Keyloom_DlgComposite& d) {
              ASSERT_NE(d.hooks(), nullptr);
              hooks_open = LiveHookCount();
              world->keyboard.Unplug();
            })});
  EXPECT_EQ(hooks_open, hooks_before + 2);
  EXPECT_EQ(LiveHookCount(), hooks_before);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd()); }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
}

TEST_F(MainKeyEditorFixture, QuitStopsARecordingAndClosesTheEditor) {
  Open(kA, {Foreground(), Do([&](Keyloom_DlgComposite& d) {
              ClickIn(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
              if (d.logic().macro_page().macros().empty()) ClickIn(d.hwnd(), KEYLOOM_IDC_MACRO_ADD);
              ClickIn(d.hwnd(), KEYLOOM_IDC_RECORD);
              ASSERT_TRUE(d.logic().macro_page().recording());
              PostMessageW(hwnd(), WM_COMMAND, kCmdExit, 0);  // as the tray menu does
            })});
  EXPECT_EQ(LiveHookCount(), hooks_before);
  EXPECT_TRUE(window->logic().quitting());
  EXPECT_TRUE(world->stores.edit.macros.empty()) << "closed as Cancel";
  EXPECT_TRUE(PumpUntil([&] { return window->hwnd() == nullptr; }));
}

}  // namespace
}  // namespace keyloom
