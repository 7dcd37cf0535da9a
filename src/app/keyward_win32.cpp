#include "app/keyward_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "app/single_instance_win32.h"
#include "app/startup.h"
#include "base/handle_win32.h"
#include "base/text.h"
#include "storage/ini.h"
#include "storage/language.h"
#include "storage/settings.h"
#include "ui/main/keyward_link.h"

namespace keyloom {

namespace {

constexpr UINT_PTR kTickTimer = 1;

// The notice's look: the colours of the program's skin; sizes in pixels at
// 96 dpi, scaled to the screen's (Keyward is DPI-aware, so its text is sharp).
constexpr COLORREF kBackground = RGB(0x1D, 0x20, 0x27);
constexpr COLORREF kEdge = RGB(0x2E, 0x33, 0x3D);
constexpr COLORREF kTextColour = RGB(0xE8, 0xEB, 0xF0);
constexpr COLORREF kAccent = RGB(0x38, 0xB6, 0xFF);
constexpr COLORREF kMuted = RGB(0x8B, 0x93, 0xA1);
constexpr int kCorner = 12;        // rounded corners' diameter
constexpr int kPadX = 18;          // right of the text
constexpr int kPadY = 12;          // above and below the text
constexpr int kTextLeft = 40;      // the mark sits left of the text
constexpr int kMarkLeft = 18;
constexpr int kMarkSize = 10;
constexpr int kMinWidth = 150;
constexpr int kScreenMargin = 16;  // from the work area's edges
constexpr BYTE kOpacity = 242;

TaskbarEdge FindTaskbarEdge() {
  APPBARDATA bar{};
  bar.cbSize = sizeof(bar);
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return TaskbarEdge::kBottom;
  switch (bar.uEdge) {
    case ABE_TOP: return TaskbarEdge::kTop;
    case ABE_LEFT: return TaskbarEdge::kLeft;
    case ABE_RIGHT: return TaskbarEdge::kRight;
    default: return TaskbarEdge::kBottom;
  }
}

}  // namespace

KeywardWindow::KeywardWindow(HINSTANCE instance, const TextSource& texts, const Clock& clock,
                             std::u16string keyloom_mutex, bool post_quit)
    : instance_(instance),
      keyloom_mutex_(std::move(keyloom_mutex)),
      post_quit_(post_quit),
      logic_(*this, texts, clock) {}

KeywardWindow::~KeywardWindow() {
  post_quit_ = false;
  if (hwnd_) DestroyWindow(hwnd_);
}

LockKeys KeywardWindow::ReadLockKeys() {
  return {(GetKeyState(VK_CAPITAL) & 1) != 0, (GetKeyState(VK_NUMLOCK) & 1) != 0,
          (GetKeyState(VK_SCROLL) & 1) != 0};
}

bool KeywardWindow::MutexExists(const std::u16string& name) {
  UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, AsWide(name)));
  return static_cast<bool>(mutex);
}

bool KeywardWindow::Create() {
  const std::u16string class_name(kKeywardWindowClass), message_name(kKeywardProfileMessage);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DROPSHADOW;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = AsWide(class_name);
  RegisterClassExW(&wc);  // already registered by an earlier window of this process: fine
  {
    WindowDc screen(nullptr);
    dpi_ = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    if (dpi_ <= 0) dpi_ = 96;
  }
  // A little larger and heavier than message text: read at a glance.
  font_ = MessageFont(Px(15), FW_SEMIBOLD);
  profile_message_ = RegisterWindowMessageW(AsWide(message_name));
  // Never activated, never in the taskbar, above other windows, and clicks
  // go through it to whatever lies below.
  const DWORD ex_style = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
  hwnd_ = CreateWindowExW(ex_style, AsWide(class_name), L"", WS_POPUP, 0, 0, Px(kMinWidth), Px(40), nullptr, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  SetLayeredWindowAttributes(hwnd_, 0, kOpacity, LWA_ALPHA);
  logic_.Start(ReadLockKeys());
  SetTimer(hwnd_, kTickTimer, kKeywardTickMs, nullptr);
  return true;
}

LRESULT CALLBACK KeywardWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<KeywardWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<KeywardWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT KeywardWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (profile_message_ != 0 && message == profile_message_) {
    logic_.OnProfileMessage(wparam, lparam);
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wparam != kTickTimer) break;
      logic_.OnLockKeys(ReadLockKeys());
      logic_.OnTick(MutexExists(keyloom_mutex_));
      return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PaintDc paint(hwnd_);
      Paint(paint.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_NCDESTROY: {
      HWND window = hwnd_;
      KillTimer(window, kTickTimer);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      if (post_quit_) PostQuitMessage(0);
      return DefWindowProcW(window, message, wparam, lparam);
    }
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

SIZE KeywardWindow::MeasureNotice() const {
  WindowDc screen(nullptr);
  MemoryDc dc(screen.get());
  SelectedObject font(dc.get(), font_.get());
  RECT text{0, 0, 0, 0};
  const std::u16string body = notice_.text.empty() ? u" " : notice_.text;
  DrawTextW(dc.get(), AsWide(body), -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
  return {std::max<LONG>(Px(kMinWidth), Px(kTextLeft) + text.right + Px(kPadX)), text.bottom + 2 * Px(kPadY)};
}

void KeywardWindow::Paint(HDC target) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  // Drawn off screen first, so the notice never flickers.
  MemoryDc dc(target);
  GdiBitmap surface(CreateCompatibleBitmap(target, client.right, client.bottom));
  SelectedObject selected_surface(dc.get(), surface.get());

  GdiBrush background(CreateSolidBrush(kBackground));
  FillRect(dc.get(), &client, background.get());
  {
    GdiPen edge(CreatePen(PS_SOLID, 1, kEdge));
    SelectedObject pen(dc.get(), edge.get());
    SelectedObject brush(dc.get(), GetStockObject(NULL_BRUSH));
    RoundRect(dc.get(), 0, 0, client.right, client.bottom, Px(kCorner), Px(kCorner));
  }

  SelectedObject font(dc.get(), font_.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  // The mark beside the first line: a filled dot for "on" and for news, a
  // ring for "off".
  const int mark_size = Px(kMarkSize), mark_left = Px(kMarkLeft);
  const int mark_top = Px(kPadY) + (metrics.tmHeight - mark_size) / 2;
  const bool filled = notice_.tone != NoticeTone::kOff;
  const COLORREF mark = filled ? kAccent : kMuted;
  {
    GdiPen ring(CreatePen(PS_SOLID, Px(2), mark));
    GdiBrush fill(CreateSolidBrush(mark));
    SelectedObject pen(dc.get(), ring.get());
    SelectedObject brush(dc.get(), filled ? static_cast<HGDIOBJ>(fill.get()) : GetStockObject(NULL_BRUSH));
    Ellipse(dc.get(), mark_left, mark_top, mark_left + mark_size, mark_top + mark_size);
  }

  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), kTextColour);
  RECT text{Px(kTextLeft), Px(kPadY), client.right, client.bottom - Px(kPadY)};
  DrawTextW(dc.get(), AsWide(notice_.text), -1, &text, DT_NOPREFIX | DT_LEFT);

  BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

void KeywardWindow::ShowNotice(const Notice& notice) {
  notice_ = notice;
  // The window's text is the notice's, for screen readers and tests.
  SetWindowTextW(hwnd_, AsWide(notice_.text));
  const SIZE size = MeasureNotice();
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const ScreenPoint at = NoticePosition({work.left, work.top, work.right, work.bottom}, FindTaskbarEdge(),
                                        size.cx, size.cy, Px(kScreenMargin));
  SetWindowPos(hwnd_, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  GdiRegion shape(CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, Px(kCorner), Px(kCorner)));
  if (shape && SetWindowRgn(hwnd_, shape.get(), TRUE)) shape.release();
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void KeywardWindow::HideNotice() { ShowWindow(hwnd_, SW_HIDE); }

void KeywardWindow::Quit() {
  quit_ = true;
  if (hwnd_) DestroyWindow(hwnd_);
}

int RunKeyward(HINSTANCE instance) {
  // One Keyward at a time, and only beside a running Keyloom.
  const std::u16string own_name(kKeywardMutexName), keyloom_name(kInstanceMutexName);
  UniqueHandle own(CreateMutexW(nullptr, FALSE, AsWide(own_name)));
  if (!own || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  if (!KeywardWindow::MutexExists(keyloom_name)) return 0;

  SystemClock clock;
  const ProgramPaths paths = DeriveProgramPaths(ExecutablePath());
  std::unique_ptr<IniService> ini = MakePlatformIniService();
  std::unique_ptr<SettingsStore> settings = MakePlatformSettingsStore(*ini);
  LanguageTexts texts(*ini, *settings, paths.language_folder);
  LanguageTextSource source(texts);

  KeywardWindow window(instance, source, clock, keyloom_name, true);
  if (!window.Create()) return 0;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace keyloom
