#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "base/text.h"
#include "model/key_apply.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/settings.h"
#include "support/sim_stack.h"
#include "ui/composite_test_support.h"
#include "ui/controls/picture_win32.h"
#include "ui/dialogs/composite_editor_win32.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

constexpr int kButtonA = 1058, kButtonG9 = 1143;
constexpr int kProfile = 1;

class RecordingBoxes final : public MessageBoxes {
 public:
  void ShowMessage(std::u16string_view key) override { shown.push_back(Utf16ToUtf8(key)); }
  void ShowText(std::u16string_view text) override { shown.push_back(Utf16ToUtf8(text)); }
  std::vector<std::string> shown;
};

void InjectKey(WORD vk, WORD scan, bool extended, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  SendInput(1, &in, sizeof(in));
}
void Tap(WORD vk, WORD scan, bool extended = false) {
  InjectKey(vk, scan, extended, false);
  InjectKey(vk, scan, extended, true);
}

void ClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

std::u16string ControlText(HWND dialog, int id) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(dialog, id, text, 256);
  return FromWide(text);
}

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The editor on the built program's template and skin, with a main window
// that records, settings in memory and the shell recorded. Each test runs the
// modal editor and drives it from a timer, one step a tick.
struct EditorFixture : ::testing::Test {
  using Step = std::function<bool(Keyloom_DlgComposite&)>;

  void SetUp() override {
    ASSERT_NE(context.resources, nullptr) << "Keyloom.exe must be built beside the tests folder";
  }

  // Opens the editor for `button` and runs `steps` (each returns true when
  // done); a step that does not finish within the limit cancels the editor.
  int Run(int button, std::vector<Step> steps, DWORD limit_ms = 20000) {
    size_t next = 0;
    const DWORD start = GetTickCount();
    finished = false;
    testing::TimerDriver driver(
        [&] {
          Keyloom_DlgComposite* d = editor.dialog();
          if (!d || !d->hwnd() || !IsWindowVisible(d->hwnd())) return false;
          if (GetTickCount() - start > limit_ms) {
            ADD_FAILURE() << "step " << next << " did not finish";
            d->logic().Cancel();
            return true;
          }
          if (next < steps.size() && steps[next](*d)) ++next;
          if (next < steps.size()) return false;
          finished = true;
          return true;
        },
        20);
    const int result = editor.OpenForButton(button);
    EXPECT_TRUE(finished || steps.empty());
    return result;
  }

  static Step Foreground() {
    return [](Keyloom_DlgComposite& d) {
      SetCursorPos(0, 0);  // no button under the mouse from an earlier test
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
  static Step Shot(const char16_t* name) {
    return [name](Keyloom_DlgComposite& d) {
      RedrawWindow(d.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      if (GetUpdateRect(d.hwnd(), nullptr, FALSE)) return false;
      EXPECT_TRUE(testing::CaptureWindow(d.hwnd(), testing::ShotFolder() + name));
      return true;
    };
  }
  KeyRecord Stored(uint16_t key_index) const { return stores.edit.Record(kProfile, key_index); }

  GdiplusSession graphics;
  NativeIniService ini;
  RegistrySettingsStore settings{u"Software\\Keyloom tests\\composite"};
  LanguageTexts texts{ini, settings, testing::ProgramFolder(), [] { return uint16_t{1033}; }};
  KeyStores stores;
  testing::MemorySettings app_settings;
  testing::RecordingLauncher shell;
  testing::RecordingHost host;
  RecordingBoxes boxes;
  ManualClock clock;
  std::deque<bool> answers;
  std::vector<std::u16string> asked;
  int silent_exits = 0;
  RECT clicked_button{100, 100, 140, 130};
  bool finished = false;
  CompositeEditorContext context{
      testing::ProgramResources(),
      ini,
      texts,
      stores,
      app_settings,
      shell,
      host,
      testing::ProgramFolder() + u"Skins\\Composite.ini",
      testing::ProgramFolder() + u"Skins\\",
      testing::ProgramFolder() + u"Help\\",
      nullptr,
      [] { return kProfile; },
      [this](int, RECT& r) {
        r = clicked_button;
        return true;
      },
      &boxes,
      [this](std::u16string_view text) {
        asked.emplace_back(text);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
      },
      &clock,
      [this] { ++silent_exits; }};
  CompositeEditor editor{context};
};

TEST_F(EditorFixture, NothingOpensForAnUnknownButtonOrProfile) {
  EXPECT_EQ(editor.OpenForButton(1174), -1);
  context.active_profile = [] { return -1; };
  EXPECT_EQ(editor.OpenForButton(kButtonA), -1);
  EXPECT_TRUE(host.editing_looks.empty());
}

TEST_F(EditorFixture, AnInjectedKeyIsCapturedAndOkStoresIt) {
  const int hooks_before = LiveHookCount();
  int hooks_while_open = 0;
  RECT placed{};
  const int result = Run(kButtonA, {
      Foreground(),
      Do([&](Keyloom_DlgComposite& d) {
        hooks_while_open = LiveHookCount();
        GetWindowRect(d.hwnd(), &placed);
        EXPECT_TRUE(d.hooks() && d.hooks()->thread_hook_installed() && d.hooks()->desktop_hook_installed());
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd(), KEYLOOM_IDC_APPLY)));
        Tap('B', 0x30);
      }),
      [](Keyloom_DlgComposite& d) { return ControlText(d.hwnd(), KEYLOOM_IDC_KEY_INPUT) == u"B"; },
      Do([](Keyloom_DlgComposite& d) {
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.hwnd(), KEYLOOM_IDC_APPLY)));
        Click(d.hwnd(), IDOK);
      }),
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(hooks_while_open, hooks_before + 2);
  EXPECT_EQ(LiveHookCount(), hooks_before);
  EXPECT_EQ(placed.left, 140);  // right of the clicked button, level with it
  EXPECT_EQ(placed.top, 100);
  EXPECT_EQ(Stored(0x1E), testing::MakeRecord(KeyType::kKey, 0x030));
  EXPECT_EQ(host.changed, 1);
  EXPECT_EQ(host.editing_looks, (std::vector<std::pair<int, bool>>{{kButtonA, true}, {kButtonA, false}}));
  EXPECT_EQ(silent_exits, 0);
}

TEST_F(EditorFixture, LeftWinIsCapturedAndEnterAndEscapeNeverCloseTheEditor) {
  const int result = Run(kButtonA, {
      Foreground(),
      Do([](Keyloom_DlgComposite&) { Tap(VK_LWIN, 0x5B, true); }),
      [](Keyloom_DlgComposite& d) { return d.logic().captured() == 0x15B; },
      Do([](Keyloom_DlgComposite& d) {
        Click(d.hwnd(), KEYLOOM_IDC_PAGE_MEDIA);
        EXPECT_EQ(d.hooks(), nullptr);  // no capture on the media page
        Tap(VK_ESCAPE, 0x01);
        Tap(VK_RETURN, 0x1C);
      }),
      Do([](Keyloom_DlgComposite& d) {
        EXPECT_TRUE(d.logic().open());
        Tap(VK_F1, 0x3B);  // help, outside the key page
        Click(d.hwnd(), KEYLOOM_IDC_OSK);
        SendMessageW(d.hwnd(), kLanguageMessage, kLanguageMessageTag, 0);
        EXPECT_EQ(ControlText(d.hwnd(), KEYLOOM_IDC_RECORD), u"Record");
      }),
      [this](Keyloom_DlgComposite&) { return shell.calls.size() == 2; },
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDCANCEL); }),
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Stored(0x1E), KeyRecord{});  // cancelled
  ASSERT_EQ(shell.calls.size(), 2u);
  // The click runs at once, help when the key's WM_HELP arrives.
  EXPECT_EQ(shell.calls[0].file, u"osk.exe");
  EXPECT_EQ(shell.calls[0].verb, u"open");
  EXPECT_EQ(shell.calls[1].file, testing::ProgramFolder() + u"Help\\index.html");
}

TEST_F(EditorFixture, AKeyboardTakesWhatTheEditorStoredOnApply) {
  testing::SimStack sim('B');
  SimMemory memory = sim.keyboard.Memory();
  sim.link.SetDefaultMatrix(memory.default_keymap);
  sim.link.macro_capacity = int(memory.macros.size());
  sim.link.active_profile_cache = kProfile;
  Run(kButtonA, {Foreground(), Do([](Keyloom_DlgComposite&) { Tap('B', 0x30); }),
                 [](Keyloom_DlgComposite& d) { return d.logic().captured() == 0x030; },
                 Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDOK); })});
  class : public UserMessages {
   public:
    void ShowMessage(std::u16string_view) override {}
  } messages;
  ASSERT_TRUE(ApplyToKeyboard(stores, sim.commands, messages, false));
  const auto matrix = sim.link.DefaultMatrix();
  int position = -1;
  for (int k = 0; k < 126 && position < 0; ++k)
    if (DecodeFunction(matrix[k * 3], matrix[k * 3 + 1], matrix[k * 3 + 2]) == 0x01E) position = k;
  ASSERT_GE(position, 0);
  memory = sim.keyboard.Memory();
  const uint8_t* entry = &memory.keymaps[kProfile * sim.link.stride + position * 3];
  EXPECT_EQ(std::vector<uint8_t>(entry, entry + 3), (std::vector<uint8_t>{2, 2, 5}));
}

TEST_F(EditorFixture, RecordingEditingAndUndoingAMacro) {
  stores.edit.macros = {testing::MakeMacro(1, u"Macro 1")};
  app_settings.ints[testing::MemorySettings::Key(u"PROFILES", u"Record delays")] = 1;
  const int hooks_before = LiveHookCount();
  const int result = Run(kButtonA, {
      Foreground(),
      Do([](Keyloom_DlgComposite& d) {
        Click(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST)));
        EXPECT_EQ(ControlText(d.hwnd(), KEYLOOM_IDC_MACRO_LIST), u"Macro 1");
        Click(d.hwnd(), KEYLOOM_IDC_RECORD);
        EXPECT_EQ(ControlText(d.hwnd(), KEYLOOM_IDC_RECORD), u"Stop");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd(), KEYLOOM_IDC_MACRO_ADD)));
      }),
      // The hooks read the clock when they see the keys, after each step.
      Do([this](Keyloom_DlgComposite&) {
        clock.Advance(230);
        InjectKey('A', 0x1E, false, false);
      }),
      [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 1; },
      Do([this](Keyloom_DlgComposite&) {
        clock.Advance(1004);
        InjectKey('A', 0x1E, false, true);
      }),
      [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 2; },
      Do([this](Keyloom_DlgComposite&) {
        clock.Advance(500);
        Tap(VK_SNAPSHOT, 0x37, true);
      }),
      [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events().size() == 4; },
      Do([](Keyloom_DlgComposite& d) {
        Click(d.hwnd(), KEYLOOM_IDC_RECORD);
        EXPECT_EQ(d.hooks(), nullptr);
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST)), 4);
      }),
      Shot(u"composite_macro_recorded.bmp"),
      // Click the first row's delay and type a new one.
      Do([](Keyloom_DlgComposite& d) {
        HWND list = GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST);
        RECT cell{};
        cell.top = kEventDelayColumn;
        cell.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
        POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        ClientToScreen(list, &at);
        ClickAt(at);
      }),
      [](Keyloom_DlgComposite& d) { return d.cell_editor().editing(); },
      Do([](Keyloom_DlgComposite&) {
        Tap(VK_END, 0x4F, true);
        for (WORD vk : {WORD(VK_BACK), WORD(VK_BACK), WORD(VK_BACK), WORD(VK_BACK)}) Tap(vk, 0x0E);
        for (auto [vk, scan] : {std::pair<WORD, WORD>{'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}}) Tap(vk, scan);
        Tap(VK_RETURN, 0x1C);
      }),
      [](Keyloom_DlgComposite& d) {
        return !d.cell_editor().editing() && d.logic().macro_page().events()[0].delay == 1230;
      },
      Do([](Keyloom_DlgComposite& d) {
        SetFocus(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST));
        InjectKey(VK_CONTROL, 0x1D, false, false);
        Tap('Z', 0x2C);
        InjectKey(VK_CONTROL, 0x1D, false, true);
      }),
      [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events()[0].delay == 1000; },
      // The list's menu redoes it: Undo, Redo, ...
      Do([](Keyloom_DlgComposite& d) {
        HWND list = GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST);
        RECT r{};
        GetWindowRect(list, &r);
        PostMessageW(d.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(r.left + 60, r.top + 60));
      }),
      [](Keyloom_DlgComposite&) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return false;
        testing::PumpPending();
        EXPECT_TRUE(testing::CaptureWindow(menu, testing::ShotFolder() + u"composite_event_menu.bmp"));
        Tap(VK_DOWN, 0x50, true);
        Tap(VK_DOWN, 0x50, true);
        Tap(VK_RETURN, 0x1C);
        return true;
      },
      [](Keyloom_DlgComposite& d) { return d.logic().macro_page().events()[0].delay == 1230; },
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDOK); }),
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(LiveHookCount(), hooks_before);
  ASSERT_EQ(stores.edit.macros.size(), 1u);
  const MacroRecord& m = stores.edit.macros[0];
  ASSERT_EQ(m.event_count, 4);
  // Measured delays in steps of 10 ms; the gap before the first key is not kept.
  const MacroEvent expected[] = {{1230, 0x01E, kMacroStatePress},
                                 {500, 0x01E, kMacroStateRelease},
                                 {0, 0x137, kMacroStatePress},
                                 {0, 0x137, kMacroStateRelease}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m.events[i].key_code, expected[i].key_code) << i;
    EXPECT_EQ(m.events[i].state, expected[i].state) << i;
    EXPECT_EQ(m.events[i].delay, expected[i].delay) << i;
  }
  EXPECT_EQ(Stored(0x1E), testing::MakeRecord(KeyType::kPlayMacro, 1, 1));
}

TEST_F(EditorFixture, TheMacroButtonOpensCentredOnTheMacroPageOnly) {
  RECT placed{}, work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Run(kButtonG9, {Foreground(), Do([&](Keyloom_DlgComposite& d) {
                    GetWindowRect(d.hwnd(), &placed);
                    for (int id : {KEYLOOM_IDC_PAGE_KEY, KEYLOOM_IDC_PAGE_MEDIA, KEYLOOM_IDC_PAGE_FUNCTION,
                                   KEYLOOM_IDC_CLEAR})
                      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d.hwnd(), id))) << id;
                    EXPECT_TRUE(IsWindowVisible(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST)));
                    EXPECT_EQ(d.hooks(), nullptr);
                  }),
                  Shot(u"composite_macro_only.bmp"), Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDOK); })});
  EXPECT_NEAR((placed.left + placed.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, (work.top + work.bottom) / 2, 1);
  EXPECT_EQ(Stored(264), testing::MakeRecord(KeyType::kDefault, 0, 0x309));  // no macro to play
}

TEST_F(EditorFixture, ScreenshotsOfEveryPage) {
  stores.edit.macros = {testing::MakeMacro(1, u"Copy line", {{50, 0x147, 0}, {50, 0x147, 1}, {50, 0x02A, 0}})};
  stores.edit.SetRecord(kProfile, 0x1E, testing::MakeRecord(KeyType::kKey, 0x030));
  Run(kButtonA, {
      Foreground(),
      Shot(u"composite_key.bmp"),
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), KEYLOOM_IDC_SWITCH_MOUSE); }),
      Shot(u"composite_key_mouse.bmp"),
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO); }),
      Shot(u"composite_macro.bmp"),
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), KEYLOOM_IDC_PAGE_MEDIA); }),
      Shot(u"composite_media.bmp"),
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), KEYLOOM_IDC_PAGE_FUNCTION); }),
      Shot(u"composite_function.bmp"),
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDCANCEL); }),
  });
  EXPECT_EQ(Stored(0x1E), testing::MakeRecord(KeyType::kKey, 0x030));
}

TEST_F(EditorFixture, TypingInTheMacroListRenamesTheMacro) {
  stores.edit.macros = {testing::MakeMacro(1, u"Copy line"), testing::MakeMacro(2, u"Paste all")};
  Run(kButtonA, {
      Foreground(),
      Do([](Keyloom_DlgComposite& d) {
        Click(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
        HWND combo = GetDlgItem(d.hwnd(), KEYLOOM_IDC_MACRO_LIST);
        SetFocus(combo);
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        for (auto [vk, scan] : {std::pair<WORD, WORD>{'C', 0x2E}, {'U', 0x16}, {'T', 0x14}}) Tap(vk, scan);
      }),
      [](Keyloom_DlgComposite& d) { return std::u16string(d.logic().macro_page().macros()[0].name) == u"cut"; },
      Do([](Keyloom_DlgComposite& d) {
        HWND combo = GetDlgItem(d.hwnd(), KEYLOOM_IDC_MACRO_LIST);
        wchar_t item[64] = L"";
        SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, L"cut");
        EXPECT_EQ(ControlText(d.hwnd(), KEYLOOM_IDC_MACRO_LIST), u"cut");
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        Tap('P', 0x19);  // "Paste all" starts with "p": the macro takes a default name
      }),
      [](Keyloom_DlgComposite& d) {
        return std::u16string(d.logic().macro_page().macros()[0].name) == u"Macro 1";
      },
      Do([](Keyloom_DlgComposite& d) {
        EXPECT_EQ(ControlText(d.hwnd(), KEYLOOM_IDC_MACRO_LIST), u"p");  // what was typed, while typing
        SetFocus(GetDlgItem(d.hwnd(), KEYLOOM_IDC_EVENT_LIST));
      }),
      [](Keyloom_DlgComposite& d) { return ControlText(d.hwnd(), KEYLOOM_IDC_MACRO_LIST) == u"Macro 1"; },
      Do([](Keyloom_DlgComposite& d) { Click(d.hwnd(), IDOK); }),
  });
  EXPECT_EQ(std::u16string(stores.edit.macros[0].name), u"Macro 1");
}

TEST_F(EditorFixture, ClosingFromOutsideWaitsForAnOpenQuestion) {
  stores.edit.macros = {testing::MakeMacro(1, u"One")};
  stores.edit.SetRecord(0, 0x30, testing::MakeRecord(KeyType::kPlayMacro, 1));
  const int hooks_before = LiveHookCount();
  bool refused = false;
  context.ask_yes_no = [&](std::u16string_view) {
    refused = !editor.Close();  // the keyboard left while the question was up
    return true;
  };
  Run(kButtonA, {Foreground(), Do([](Keyloom_DlgComposite& d) {
                   Click(d.hwnd(), KEYLOOM_IDC_PAGE_MACRO);
                   Click(d.hwnd(), KEYLOOM_IDC_MACRO_DELETE);
                   EXPECT_TRUE(d.logic().macro_page().macros().empty());
                 })});
  EXPECT_TRUE(refused);
  EXPECT_FALSE(editor.IsOpen());
  EXPECT_EQ(stores.edit.macros.size(), 1u);  // closed as Cancel
  EXPECT_EQ(LiveHookCount(), hooks_before);

  // Without a question on the screen it closes at once.
  bool closed = false;
  Run(kButtonA, {Foreground(), Do([&](Keyloom_DlgComposite&) { closed = editor.Close(); })});
  EXPECT_TRUE(closed);
  EXPECT_EQ(LiveHookCount(), hooks_before);

  // A window destroyed under the editor (its owner went) takes the hooks along.
  host.editing_looks.clear();
  Run(kButtonA, {Foreground(), Do([](Keyloom_DlgComposite& d) { DestroyWindow(d.hwnd()); })});
  EXPECT_FALSE(editor.IsOpen());
  EXPECT_EQ(LiveHookCount(), hooks_before);
  EXPECT_EQ(host.editing_looks, (std::vector<std::pair<int, bool>>{{kButtonA, true}, {kButtonA, false}}));
}

}  // namespace
}  // namespace keyloom
