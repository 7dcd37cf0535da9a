// The lighting panel in the main window, over the simulated keyboard: its
// controls, what they show, input reaching the keyboard through them, the
// preview on the window's key buttons, per-key painting and the user mode
// kept across a restart.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>

#include "base/text.h"
#include "model/key_buttons.h"
#include "ui/main/main_lighting_panel_win32.h"
#include "ui/main_window_fixture.h"

namespace keyloom {
namespace {

using namespace panel;
using testing::PumpUntil;

class FakeColourDialog final : public ColourDialog {
 public:
  std::optional<PaletteColour> Choose(HWND, PaletteColour initial) override {
    asked_with = initial;
    return answer;
  }
  std::optional<PaletteColour> answer;
  std::optional<PaletteColour> asked_with;
};

// A key editor that is open or not, as the test says.
class EditorStandIn final : public KeyEditorLauncher {
 public:
  explicit EditorStandIn(const bool& open) : open_(open) {}
  bool IsOpen() const override { return open_; }

 private:
  const bool& open_;
};

struct PanelOnWindow : testing::MainWindowFixture {
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(world->user_data.SeedUserDataFolder());
    world->lighting_view.Store(true);
    context->make_lighting_panel = [this](CKeyloomDlg& w) {
      auto made = std::make_unique<CMainLightingPanel>(w, world->lighting_view, &dialog);
      main_panel = made.get();
      return made;
    };
    context->make_key_editor = [this](CKeyloomDlg&) { return std::make_unique<EditorStandIn>(editor_open); };
    StartWithoutPreviewTimer();
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(panel().control(kModeList), CB_GETCOUNT, 0, 0) > 0; }))
        << "the lighting state is read when the keyboard arrives";
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    testing::PumpUntilPainted(hwnd());
    world->keyboard.ClearTrace();
  }
  // As StartOnKeyboard, with the window's preview timer stopped: the tests
  // step the preview themselves, so what it shows depends on no clock.
  void StartWithoutPreviewTimer(bool opens_itself = true) {
    UseKeyboard();
    Create();
    window->StopPreviewTimer();
    ASSERT_TRUE(PumpUntil([&] { return window->logic().started_hidden(); }));
    if (!opens_itself) return;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd()) != FALSE; }, 10000)) << "the window opens by itself";
  }
  // The program ends and starts again on the same keyboard and user data.
  void Restart() {
    window.reset();
    testing::PumpPending();
    world->lighting = LightingModel{};
    world->flags = BaseColourFlags{};
    // What a new process starts with.
    presence.last_reported = 0;
    presence.remembered_tray_image = kTrayNoKeyboard;
    world->link.connected = 0;
    // The window opens by itself only at the first arrival the fixture
    // sees; here it is opened as from the tray.
    StartWithoutPreviewTimer(false);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(panel().control(kModeList), CB_GETCOUNT, 0, 0) > 0; }, 10000));
    ShowWindow(hwnd(), SW_SHOW);
    window->StopPreviewTimer();  // showing starts a stopped timer again
  }
  CLightingPanel& panel() { return main_panel->panel(); }
  void Command(uint16_t id, int code) {
    SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(panel().control(id)));
  }
  void ChooseMode(int mode) {
    SendMessageW(panel().control(kModeList), CB_SETCURSEL, world->lighting.modes.PositionOfMode(mode), 0);
    Command(kModeList, CBN_SELCHANGE);
    testing::PumpUntilPainted(hwnd());
  }
  // Shown by the panel (whether or not the window itself is on the screen).
  bool Visible(uint16_t id) { return (GetWindowLongW(panel().control(id), GWL_STYLE) & WS_VISIBLE) != 0; }
  // A click on one of the panel's pictures, as the mouse gives it.
  void ClickPicture(uint16_t id) {
    SendMessageW(panel().control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(panel().control(id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  std::array<uint8_t, 126> Records() const { return world->Memory().params; }
  void Shot(const std::u16string& name) {
    testing::PumpUntilPainted(hwnd());
    testing::CaptureWindow(hwnd(), testing::ShotFolder() + name);
  }

  FakeColourDialog dialog;
  bool editor_open = false;
  CMainLightingPanel* main_panel = nullptr;
};

TEST_F(PanelOnWindow, ControlsSitWhereTheSkinSaysAndShowTheState) {
  // Factory record: mode 1, brightness 4, speed 2, direction 0, colourful.
  EXPECT_EQ(SendMessageW(panel().control(kModeList), CB_GETCOUNT, 0, 0), 20);
  wchar_t name[64] = L"";
  SendMessageW(panel().control(kModeList), CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(name));
  EXPECT_STREQ(name, L"Breathing");
  EXPECT_EQ(SendMessageW(panel().control(kModeList), CB_GETCURSEL, 0, 0), 0);
  RECT r{};
  GetWindowRect(panel().control(kBrightnessSlider), &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 554);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(panel().ShownPicture(kBrightnessSlider), panel().Picture(u"4.bmp"));
  EXPECT_EQ(panel().ShownPicture(kSpeedSlider), panel().Picture(u"6.bmp"));
  EXPECT_EQ(panel().ShownPicture(kDirectionSecond), panel().Picture(u"rightdown.bmp"));
  EXPECT_EQ(panel().ShownPicture(kColourfulPicture), panel().Picture(u"sjsdown.bmp"));
  for (uint16_t id : {kModeList, kBrightnessSlider, kSpeedSlider, kDirectionFirst, kColourButton, kColourfulPicture})
    EXPECT_TRUE(Visible(id)) << id;
  for (uint16_t id : {kReactionButton, kChoiceRed, kUserModeList, kPaintButton, kRed}) EXPECT_FALSE(Visible(id)) << id;
  wchar_t label[32] = L"";
  GetWindowTextW(panel().control(kBaseLabel), label, 32);
  EXPECT_STREQ(label, L"Base Color");
  // A picture control shows its picture at its corner, on the skin.
  const SIZE size = BitmapSize(panel().Picture(u"sjsdown.bmp"));
  testing::Rendering shown(panel().control(kColourfulPicture), testing::Rendering::Source::kScreen);
  EXPECT_EQ(shown.width(), size.cx);
  Shot(u"panel-mode-1.bmp");
}

TEST_F(PanelOnWindow, InputReachesTheKeyboard) {
  ChooseMode(12);
  EXPECT_EQ(Records()[0], 12);
  EXPECT_TRUE(Visible(kDirectionFirst));
  EXPECT_FALSE(Visible(kColourButton));
  EXPECT_EQ(panel().ShownPicture(kDirectionFirst), panel().Picture(u"upup.bmp"));

  ClickPicture(kDirectionFirst);
  EXPECT_EQ(Records()[3], 255);
  EXPECT_EQ(panel().ShownPicture(kDirectionFirst), panel().Picture(u"updown.bmp"));
  ClickPicture(kColourfulPicture);
  EXPECT_EQ(Records()[4], 0);

  // The sliders post their position to the window.
  SetFocus(panel().control(kSpeedSlider));
  SendMessageW(panel().control(kSpeedSlider), WM_KEYDOWN, VK_END, 0);
  testing::PumpPending();
  EXPECT_EQ(Records()[2], 0);
  EXPECT_EQ(panel().ShownPicture(kSpeedSlider), panel().Picture(u"8.bmp"));

  SetWindowTextW(panel().control(kRed), L"300");
  wchar_t text[8] = L"";
  GetWindowTextW(panel().control(kRed), text, 8);
  EXPECT_STREQ(text, L"255");
  Shot(u"panel-mode-12.bmp");

  ChooseMode(17);
  ClickPicture(kChoiceBlue);
  EXPECT_EQ(Records()[8], 3);
  EXPECT_EQ(panel().ShownPicture(kChoiceBlue), panel().Picture(u"lanok.bmp"));
  Shot(u"panel-mode-17.bmp");
}

TEST_F(PanelOnWindow, ColourButtonsDropDownTheirPalette) {
  ChooseMode(5);
  CColourButton* button = panel().colour_button(kColourButton);
  ASSERT_NE(button, nullptr);
  // Pick the palette's first entry (red) with the mouse, from the open drop-down.
  bool saw_drop_down = false;
  testing::TimerDriver pick([&] {
    HWND drop = button->drop_down();
    if (!drop) return false;
    saw_drop_down = IsWindowVisible(drop) != FALSE;
    testing::CaptureWindow(drop, testing::ShotFolder() + u"panel-colour-drop-down.bmp");
    const ColourPalette::Box cell = ColourPalette::CellBox(0);
    const LPARAM at = MAKELPARAM(cell.left + 5, cell.top + 5);
    SendMessageW(drop, WM_MOUSEMOVE, 0, at);
    SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(drop, WM_LBUTTONUP, 0, at);
    return true;
  });
  SendMessageW(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(saw_drop_down);
  EXPECT_EQ(button->drop_down(), nullptr);
  const auto r = Records();
  EXPECT_EQ(r[4], 0);
  EXPECT_EQ(r[5], 255);
  EXPECT_EQ(r[6], 0);
  EXPECT_EQ(r[7], 0);
  EXPECT_EQ(panel().colour_button(kReactionButton)->colour(), 0x0000FFu);

  // "Other" asks the colour dialog; Escape leaves the drop-down without a choice.
  dialog.answer = 0x00C080;
  testing::TimerDriver other([&] {
    HWND drop = button->drop_down();
    if (!drop) return false;
    PostMessageW(drop, WM_KEYDOWN, VK_END, 0);
    PostMessageW(drop, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  });
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(dialog.asked_with, 0x0000FFu);
  EXPECT_EQ(Records()[6], 0xC0);

  world->keyboard.ClearTrace();
  testing::TimerDriver cancel([&] {
    HWND drop = button->drop_down();
    if (!drop) return false;
    PostMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  });
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(world->keyboard.Trace().empty());
  EXPECT_EQ(button->colour(), 0x00C080u);
}

TEST_F(PanelOnWindow, PerKeyModeAndTheViewSwitch) {
  ChooseMode(20);
  EXPECT_TRUE(Visible(kUserModeList));
  EXPECT_EQ(SendMessageW(panel().control(kUserModeList), CB_GETCOUNT, 0, 0), 10);
  Shot(u"panel-mode-20.bmp");

  // A new name typed into the user-mode field.
  HWND list = panel().control(kUserModeList);
  SetWindowTextW(list, L"Night");
  SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(kUserModeList, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(world->user_data.ReadUserModeName(0, 0), u"Night");
  wchar_t entry[32] = L"";
  SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, L"Night");

  // Switching the view off hides the panel but for the switch; a refused
  // switch-on leaves it off.
  ClickPicture(kViewOn);
  EXPECT_FALSE(Visible(kModeList));
  EXPECT_TRUE(Visible(kViewOn) && Visible(kViewOff) && Visible(kViewLabel));
  EXPECT_EQ(panel().ShownPicture(kViewOn), panel().Picture(u"LED_enabled_off.bmp"));
  editor_open = true;  // the profile manager refuses while an editor is open
  ClickPicture(kViewOff);
  EXPECT_FALSE(Visible(kModeList));
  EXPECT_FALSE(main_panel->LightingViewOn());
  ASSERT_FALSE(boxes.shown.empty());
  EXPECT_EQ(boxes.shown.back(), u"PROFILE_SEELCT_PROMPT2");
  Shot(u"panel-view-off.bmp");
  editor_open = false;
  ClickPicture(kViewOff);
  EXPECT_TRUE(Visible(kUserModeList));
}

TEST_F(PanelOnWindow, ThePreviewColoursTheKeyButtons) {
  ChooseMode(1);
  for (int i = 0; i < 7; ++i) main_panel->OnPreviewTick();
  CPngButton* a = window->button(1058);
  ASSERT_TRUE(a->colour_frame().on);
  Shot(u"preview-mode-1.bmp");

  SendMessageW(panel().control(kModeList), CB_SETCURSEL, world->lighting.modes.PositionOfMode(13), 0);
  Command(kModeList, CBN_SELCHANGE);
  EXPECT_FALSE(a->colour_frame().on);  // a new mode starts from clear buttons
  auto lit = [&] {
    for (const KeyButton& b : kMainKeyButtons) {
      const ColourFrame& f = window->button(b.control_id)->colour_frame();
      if (f.on && f.colour != 0) return true;
    }
    return false;
  };
  for (int i = 0; i < 40 && !lit(); ++i) main_panel->OnPreviewTick();
  EXPECT_TRUE(lit()) << "the reaction effect lights keys within two seconds of ticks";
  Shot(u"preview-mode-13.bmp");

  // Hidden or minimised, the preview does nothing.
  ChooseMode(1);
  for (int i = 0; i < 3; ++i) main_panel->OnPreviewTick();
  const Colour before = a->colour_frame().colour;
  ShowWindow(hwnd(), SW_MINIMIZE);
  for (int i = 0; i < 8; ++i) main_panel->OnPreviewTick();
  EXPECT_EQ(a->colour_frame().colour, before);
  ShowWindow(hwnd(), SW_RESTORE);
  window->StopPreviewTimer();  // restoring started it again; the test steps by hand
  for (int i = 0; i < 8; ++i) main_panel->OnPreviewTick();
  EXPECT_NE(a->colour_frame().colour, before) << "the preview moves again once the window is shown";

  // The view off: the buttons lose their colours and show assignments again.
  ClickPicture(kViewOn);
  EXPECT_FALSE(a->colour_frame().on);
  EXPECT_FALSE(main_panel->LightingViewOn());

  // With the view off the timer's expiry stops it, and whatever turns the
  // view on again starts it: here a click on the panel, which the window
  // receives as a command.
  window->StartPreviewTimer(kPreviewTimerMs);
  window->logic().OnTimer(kPreviewTimer);
  EXPECT_FALSE(main_panel->preview_timer_running());
  ClickPicture(kViewOff);
  ASSERT_TRUE(main_panel->LightingViewOn());
  EXPECT_TRUE(main_panel->preview_timer_running());
  window->StopPreviewTimer();
}

// Key buttons with distinct LEDs to paint.
struct PaintedKey {
  uint16_t control_id;
  int led;
};
std::array<PaintedKey, 3> KeysToPaint() {
  std::array<PaintedKey, 3> keys{};
  const size_t picks[] = {10, 40, 70};
  for (int i = 0; i < 3; ++i) {
    const KeyButton& b = kMainKeyButtons[picks[i]];
    keys[i] = {b.control_id, LedOfControl(b.control_id)};
  }
  return keys;
}

TEST_F(PanelOnWindow, PaintingInThePerKeyModeWritesExactlyThePaintedKeysColours) {
  ChooseMode(20);
  ASSERT_EQ(Records()[0], 20);
  const Colour paint = 0x563412, base = world->lighting.state.base_colour;
  ASSERT_NE(paint, base);
  panel().colour_button(kPaintButton)->SetColour(paint);
  Command(kPaintButton, kColourButtonChosen);
  ClickPicture(kPaintTool);
  const auto before = world->Memory().keycolors;
  world->keyboard.ClearTrace();

  const auto keys = KeysToPaint();
  ASSERT_TRUE(keys[0].led != keys[1].led && keys[1].led != keys[2].led && keys[0].led != keys[2].led);
  Click(keys[0].control_id);
  Click(keys[1].control_id);
  ClickPicture(kBaseTool);
  Click(keys[2].control_id);

  const int p = world->lighting.state.lighting_profile;
  auto expected = before;
  const Colour colours[] = {paint, paint, base};
  for (int i = 0; i < 3; ++i) {
    const auto bytes = ColourBytes(colours[i]);
    std::copy(bytes.begin(), bytes.end(), expected.begin() + p * 512 + keys[i].led * 3);
  }
  EXPECT_EQ(world->Memory().keycolors, expected) << "only the painted LEDs change";
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(window->button(keys[i].control_id)->colour_frame().on);
    EXPECT_EQ(window->button(keys[i].control_id)->colour_frame().colour, colours[i]);
  }
  // Painting is no key assignment: nothing to apply, no editor.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd(), kCmdApply)));
  Shot(u"panel-painted.bmp");
}

TEST_F(PanelOnWindow, TheChosenUserModeSurvivesARestart) {
  ChooseMode(20);
  HWND list = panel().control(kUserModeList);
  SendMessageW(list, CB_SETCURSEL, 3, 0);
  Command(kUserModeList, CBN_SELCHANGE);
  EXPECT_EQ(world->lighting.state.user_mode, 3);
  const auto colours = world->lighting.key_colours;

  Restart();
  EXPECT_TRUE(main_panel->LightingViewOn());
  EXPECT_EQ(Records()[0], 20);
  EXPECT_EQ(SendMessageW(panel().control(kModeList), CB_GETCURSEL, 0, 0),
            world->lighting.modes.PositionOfMode(20));
  EXPECT_EQ(world->lighting.state.user_mode, 3);
  EXPECT_EQ(SendMessageW(panel().control(kUserModeList), CB_GETCURSEL, 0, 0), 3);
  EXPECT_TRUE(Visible(kUserModeList));
  EXPECT_EQ(world->lighting.key_colours, colours);
}

}  // namespace
}  // namespace keyloom
