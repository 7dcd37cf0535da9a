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
#include "editor_steps.h"

namespace keyloom {
namespace {

using testing::ClickControl;
using testing::Do;
using testing::Foreground;
using testing::InjectKey;
using testing::PumpUntil;
using testing::Shot;
using testing::Tap;

constexpr int kA = 1058, kG1 = 1000;

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

  // Sends command `id` to the main window, which returns when the editor
  // closed, and runs `steps` in the editor meanwhile.
  void Open(int id, std::vector<testing::EditorStep> steps) {
    EXPECT_TRUE(testing::RunEditorSteps(editor->editor(), std::move(steps), [&] { Click(id); }));
    EXPECT_FALSE(editor->IsOpen());
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
              Tap('B', 0x30);
            }),
            [](Keyloom_DlgComposite& d) { return d.logic().captured() == 0x030; },
            Shot(u"main_key_editor_key.bmp", true), Do([](Keyloom_DlgComposite& d) { ClickControl(d.hwnd(), IDOK); })});
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
               ClickControl(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
               if (d.logic().macro_page().macros().empty()) ClickControl(d.hwnd(), KEYLOOM_IDC_MACRO_ADD);
               ClickControl(d.hwnd(), KEYLOOM_IDC_RECORD);
               ASSERT_NE(d.hooks(), nullptr);
               Tap('A', 0x1E);
             }),
             [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 2; },
             Do([](Keyloom_DlgComposite&) {
               InjectKey(VK_SHIFT, 0x2A, false, false);
               Tap('S', 0x1F);
               InjectKey(VK_SHIFT, 0x2A, false, true);
             }),
             [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 6; },
             Do([](Keyloom_DlgComposite& d) { ClickControl(d.hwnd(), KEYLOOM_IDC_RECORD); }),
             Shot(u"main_key_editor_macro.bmp", true),
Do([](Keyloom_DlgComposite& d) { ClickControl(d.hwnd(), IDOK); })});
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
                   Shot(u"main_key_editor_macro_only.bmp", true),
                   Do([](Keyloom_DlgComposite& d) { ClickControl(d.hwnd(), IDCANCEL); })});
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
              ClickControl(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
              if (d.logic().macro_page().macros().empty()) ClickControl(d.hwnd(), KEYLOOM_IDC_MACRO_ADD);
              ClickControl(d.hwnd(), KEYLOOM_IDC_RECORD);
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
