// The lighting panel on a window that paints the shipped skin's main
// picture, over the simulated keyboard: its controls, what they show, and
// input reaching the keyboard through them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>

#include "base/text.h"
#include "model/lighting_ops.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/lighting_view_file.h"
#include "storage/settings.h"
#include "storage/skin_layout.h"
#include "storage/user_data.h"
#include "support/sim_stack.h"
#include "ui/controls/picture_win32.h"
#include "ui/controls/placement_win32.h"
#include "ui/main/key_button_painter_win32.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/lighting_panel_win32.h"
#include "ui/main/lighting_preview.h"
#include "ui/preview_support.h"
#include "ui_test_support.h"

namespace keyloom {
namespace {

using namespace panel;
using testing::PumpUntil;

// A window that paints the main skin picture as its face, as the main
// window does.
class SkinHost {
 public:
  explicit SkinHost(const std::u16string& picture) : background_(LoadPicture(picture)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KeyloomPanelTestHost";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    const SIZE size = BitmapSize(background_.get());
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"panel", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            size.cx, size.cy, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetForegroundWindow(hwnd_);
  }
  ~SkinHost() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<SkinHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && (message == WM_PAINT || message == WM_PRINTCLIENT)) {
      PAINTSTRUCT ps{};
      HDC dc = message == WM_PAINT ? BeginPaint(window, &ps) : reinterpret_cast<HDC>(wparam);
      MemoryDc source(dc);
      SelectedObject selected(source.get(), self->background_.get());
      const SIZE size = BitmapSize(self->background_.get());
      BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
      if (message == WM_PAINT) EndPaint(window, &ps);
      return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  GdiBitmap background_;
  HWND hwnd_ = nullptr;
};

class FakeColourDialog final : public ColourDialog {
 public:
  std::optional<PaletteColour> Choose(HWND, PaletteColour initial) override {
    asked_with = initial;
    return answer;
  }
  std::optional<PaletteColour> answer;
  std::optional<PaletteColour> asked_with;
};

struct PanelOnWindow : ::testing::Test {
  void SetUp() override {
    folder = testing::TestFolder(u"lighting-panel");
    user_data = std::make_unique<UserDataStore>(ini, folder + u"user", program);
    view_file = std::make_unique<LightingViewFile>(ini, folder + u"user");
    ASSERT_TRUE(user_data->SeedUserDataFolder());
    view_file->Store(true);
    host = std::make_unique<SkinHost>(program + u"Skins\\main_bg.jpg");
    panel = std::make_unique<CLightingPanel>(
        LightingPanelWindowContext{ini, program + u"Skins\\Main.ini", program + u"Skins\\", texts, dialog,
                                   [this] { return confirm; }, [] {}},
        LightingPanelContext{lighting, flags, stack.commands, *user_data, *view_file, keys, preview});
    ASSERT_TRUE(panel->Create(host->hwnd(), 0));
    Refresh();
  }
  void TearDown() override {
    panel.reset();
    host.reset();
    testing::PumpPending();
  }
  void Refresh() {
    ReadLightingState(lighting, stack.commands, *view_file);
    panel->logic().Refresh();
    panel->logic().ReloadUserModes(false);
    testing::PumpUntilPainted(host->hwnd());
    stack.keyboard.ClearTrace();
  }
  void ChooseMode(int mode) {
    HWND list = panel->control(kModeList);
    SendMessageW(list, CB_SETCURSEL, lighting.modes.PositionOfMode(mode), 0);
    SendMessageW(host->hwnd(), WM_COMMAND, MAKEWPARAM(kModeList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    testing::PumpUntilPainted(host->hwnd());
  }
  bool Visible(uint16_t id) const { return IsWindowVisible(panel->control(id)) != FALSE; }
  void Click(uint16_t id) {
    SendMessageW(panel->control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(panel->control(id), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  std::array<uint8_t, 126> Records() const { return stack.keyboard.Memory().params; }
  void Shot(const std::u16string& name) {
    testing::PumpUntilPainted(host->hwnd());
    testing::CaptureWindow(host->hwnd(), testing::ShotFolder() + name);
  }

  const std::u16string program = testing::ProgramFolder();
  std::u16string folder;
  GdiplusSession graphics;
  NativeIniService ini;
  FileSettingsStore settings{ini, testing::TestFolder(u"lighting-panel-settings") + u"settings.ini"};
  LanguageTexts texts{ini, settings, program, [] { return uint16_t{1033}; }};
  testing::SimStack stack;
  std::unique_ptr<UserDataStore> user_data;
  std::unique_ptr<LightingViewFile> view_file;
  LightingModel lighting;
  BaseColourFlags flags{};
  testing::RecordingPainter painter;
  KeyColourBoard keys{painter};
  LightingPreview preview{keys, 5};
  FakeColourDialog dialog;
  bool confirm = true;
  std::unique_ptr<SkinHost> host;
  std::unique_ptr<CLightingPanel> panel;
};

TEST_F(PanelOnWindow, ControlsSitWhereTheSkinSaysAndShowTheState) {
  // Factory record: mode 1, brightness 4, speed 2, direction 0, colourful.
  EXPECT_EQ(SendMessageW(panel->control(kModeList), CB_GETCOUNT, 0, 0), 20);
  wchar_t name[64] = L"";
  SendMessageW(panel->control(kModeList), CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(name));
  EXPECT_STREQ(name, L"Breathing");
  EXPECT_EQ(SendMessageW(panel->control(kModeList), CB_GETCURSEL, 0, 0), 0);
  RECT r{};
  GetWindowRect(panel->control(kBrightnessSlider), &r);
  MapWindowPoints(nullptr, host->hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 554);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(panel->ShownPicture(kBrightnessSlider), panel->Picture(u"4.bmp"));
  EXPECT_EQ(panel->ShownPicture(kSpeedSlider), panel->Picture(u"6.bmp"));
  EXPECT_EQ(panel->ShownPicture(kDirectionSecond), panel->Picture(u"rightdown.bmp"));
  EXPECT_EQ(panel->ShownPicture(kColourfulPicture), panel->Picture(u"sjsdown.bmp"));
  for (uint16_t id : {kModeList, kBrightnessSlider, kSpeedSlider, kDirectionFirst, kColourButton, kColourfulPicture})
    EXPECT_TRUE(Visible(id)) << id;
  for (uint16_t id : {kReactionButton, kChoiceRed, kUserModeList, kPaintButton, kRed}) EXPECT_FALSE(Visible(id)) << id;
  wchar_t label[32] = L"";
  GetWindowTextW(panel->control(kBaseLabel), label, 32);
  EXPECT_STREQ(label, L"Base Color");
  // A picture control shows its picture at its corner, on the skin.
  const SIZE size = BitmapSize(panel->Picture(u"sjsdown.bmp"));
  testing::Rendering shown(panel->control(kColourfulPicture), testing::Rendering::Source::kScreen);
  EXPECT_EQ(shown.width(), size.cx);
  Shot(u"panel-mode-1.bmp");
}

TEST_F(PanelOnWindow, InputReachesTheKeyboard) {
  ChooseMode(12);
  EXPECT_EQ(Records()[0], 12);
  EXPECT_TRUE(Visible(kDirectionFirst));
  EXPECT_FALSE(Visible(kColourButton));
  EXPECT_EQ(panel->ShownPicture(kDirectionFirst), panel->Picture(u"upup.bmp"));

  Click(kDirectionFirst);
  EXPECT_EQ(Records()[3], 255);
  EXPECT_EQ(panel->ShownPicture(kDirectionFirst), panel->Picture(u"updown.bmp"));
  Click(kColourfulPicture);
  EXPECT_EQ(Records()[4], 0);

  // The sliders post their position to the window.
  SetFocus(panel->control(kSpeedSlider));
  SendMessageW(panel->control(kSpeedSlider), WM_KEYDOWN, VK_END, 0);
  testing::PumpPending();
  EXPECT_EQ(Records()[2], 0);
  EXPECT_EQ(panel->ShownPicture(kSpeedSlider), panel->Picture(u"8.bmp"));

  SetWindowTextW(panel->control(kRed), L"300");
  wchar_t text[8] = L"";
  GetWindowTextW(panel->control(kRed), text, 8);
  EXPECT_STREQ(text, L"255");
  Shot(u"panel-mode-12.bmp");

  ChooseMode(17);
  Click(kChoiceBlue);
  EXPECT_EQ(Records()[8], 3);
  EXPECT_EQ(panel->ShownPicture(kChoiceBlue), panel->Picture(u"lanok.bmp"));
  Shot(u"panel-mode-17.bmp");
}

TEST_F(PanelOnWindow, ColourButtonsDropDownTheirPalette) {
  ChooseMode(5);
  CColourButton* button = panel->colour_button(kColourButton);
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
  EXPECT_EQ(panel->colour_button(kReactionButton)->colour(), 0x0000FFu);

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

  stack.keyboard.ClearTrace();
  testing::TimerDriver cancel([&] {
    HWND drop = button->drop_down();
    if (!drop) return false;
    PostMessageW(drop, WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  });
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(stack.Frames().empty());
  EXPECT_EQ(button->colour(), 0x00C080u);
}

TEST_F(PanelOnWindow, PerKeyModeAndTheViewSwitch) {
  ChooseMode(20);
  EXPECT_TRUE(Visible(kUserModeList));
  EXPECT_EQ(SendMessageW(panel->control(kUserModeList), CB_GETCOUNT, 0, 0), 10);
  Shot(u"panel-mode-20.bmp");

  // A new name typed into the user-mode field.
  HWND list = panel->control(kUserModeList);
  SetWindowTextW(list, L"Night");
  SendMessageW(host->hwnd(), WM_COMMAND, MAKEWPARAM(kUserModeList, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(user_data->ReadUserModeName(0, 0), u"Night");
  wchar_t entry[32] = L"";
  SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(entry));
  EXPECT_STREQ(entry, L"Night");

  // Switching the view off hides the panel but for the switch; a refused
  // switch-on leaves it off.
  Click(kViewOn);
  EXPECT_FALSE(Visible(kModeList));
  EXPECT_TRUE(Visible(kViewOn) && Visible(kViewOff) && Visible(kViewLabel));
  EXPECT_EQ(panel->ShownPicture(kViewOn), panel->Picture(u"LED_enabled_off.bmp"));
  confirm = false;
  Click(kViewOff);
  EXPECT_FALSE(Visible(kModeList));
  Shot(u"panel-view-off.bmp");
  confirm = true;
  Click(kViewOff);
  EXPECT_TRUE(Visible(kUserModeList));
}

// The key buttons of the main skin on the host, as the keyboard view places
// them, painted by the panel's board.
struct KeyButtons {
  KeyButtons(HWND host, const IniService& ini, const std::u16string& skins) {
    RECT client{};
    GetClientRect(host, &client);
    const std::u16string files[] = {u"main_normal.jpg", u"main_over.jpg", u"main_down.jpg", u"main_disable.jpg"};
    for (const std::u16string& f : files) {
      surfaces.push_back(std::make_unique<SkinSurface>(host, client.right, client.bottom));
      surfaces.back()->DrawPicture(skins + f);
    }
    const StateSurfaces looks = {surfaces[0].get(), surfaces[1].get(), surfaces[2].get(), surfaces[0].get(),
                                 surfaces[3].get()};
    auto add = [&](uint16_t id, const std::u16string& key) {
      HWND hwnd = CreateWindowW(L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 1, 1, host,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
      auto button = std::make_unique<CPngButton>();
      button->Attach(hwnd);
      PlaceSkinButton(*button, ini, skins + u"Main.ini", kButtonSection, key, looks);
      buttons[id] = std::move(button);
    };
    for (const KeyButton& b : kMainKeyButtons) add(b.control_id, SkinKeyName(b));
    for (int j = 0; j < kGKeyCount; ++j) add(kGKeyButtonIds[j], GKeySkinKeyName(j));
    add(kFnButtonId, std::u16string(kFnSkinKey));
  }
  CPngButton* at(uint16_t id) {
    auto it = buttons.find(id);
    return it == buttons.end() ? nullptr : it->second.get();
  }
  std::vector<std::unique_ptr<SkinSurface>> surfaces;
  std::map<uint16_t, std::unique_ptr<CPngButton>> buttons;
  CKeyButtonPainter painter{[this](uint16_t id) { return at(id); }};
};

TEST_F(PanelOnWindow, ThePreviewColoursTheKeyButtons) {
  KeyButtons key_buttons(host->hwnd(), ini, program + u"Skins\\");
  painter.forward = &key_buttons.painter;
  ChooseMode(1);
  for (int i = 0; i < 7; ++i) panel->OnPreviewTimer();
  CPngButton* a = key_buttons.at(1058);
  ASSERT_TRUE(a->colour_frame().on);
  EXPECT_EQ(a->colour_frame().colour, painter.at(1058));
  Shot(u"preview-mode-1.bmp");

  ChooseMode(13);
  EXPECT_FALSE(a->colour_frame().on);  // a new mode starts from clear buttons
  for (int i = 0; i < 25; ++i) panel->OnPreviewTimer();
  Shot(u"preview-mode-13.bmp");

  // Hidden or minimised, the preview does nothing.
  const auto before = painter.repaints.size();
  ShowWindow(host->hwnd(), SW_MINIMIZE);
  for (int i = 0; i < 5; ++i) panel->OnPreviewTimer();
  EXPECT_EQ(painter.repaints.size(), before);

  // The view off: the buttons lose their colours.
  ShowWindow(host->hwnd(), SW_RESTORE);
  Click(kViewOn);
  EXPECT_FALSE(a->colour_frame().on);
  painter.forward = nullptr;
}

}  // namespace
}  // namespace keyloom
