#include "ui_test_support.h"

#include <fstream>

#include "base/text.h"
#include "ui/controls/reflect_win32.h"

namespace keyloom::testing {

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool IsPainted(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  bool children_painted = true;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM all) {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(all) = false;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children_painted));
  return children_painted;
}

bool PumpUntilPainted(HWND window, DWORD timeout_ms) {
  return PumpUntil([window] { return IsPainted(window); }, timeout_ms);
}

// --- DialogTemplate ---

DialogTemplate::DialogTemplate(int width, int height, DWORD style) {
  data_.resize(sizeof(DLGTEMPLATE) / sizeof(WORD));
  auto* t = reinterpret_cast<DLGTEMPLATE*>(data_.data());
  t->style = style;
  t->cx = static_cast<short>(width);
  t->cy = static_cast<short>(height);
  Word(0);  // no menu
  Word(0);  // default class
  Word(0);  // no title
}

void DialogTemplate::Text(const wchar_t* text) {
  for (; *text; ++text) Word(static_cast<WORD>(*text));
  Word(0);
}

void DialogTemplate::Align() {
  if (data_.size() % 2) Word(0);
}

void DialogTemplate::AddItem(int id, int x, int y, int w, int h, DWORD style, WORD atom, const wchar_t* text) {
  Align();
  const size_t at = data_.size();
  data_.resize(at + sizeof(DLGITEMTEMPLATE) / sizeof(WORD));
  auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(data_.data() + at);
  item->style = style | WS_CHILD | WS_VISIBLE;
  item->x = static_cast<short>(x);
  item->y = static_cast<short>(y);
  item->cx = static_cast<short>(w);
  item->cy = static_cast<short>(h);
  item->id = static_cast<WORD>(id);
  Word(0xFFFF);
  Word(atom);
  Text(text);
  Word(0);  // no creation data
  ++count_;
}

void DialogTemplate::AddButton(int id, int x, int y, int w, int h, const wchar_t* text) {
  AddItem(id, x, y, w, h, BS_PUSHBUTTON, 0x0080, text);
}

void DialogTemplate::AddStatic(int id, int x, int y, int w, int h, DWORD style) {
  AddItem(id, x, y, w, h, style, 0x0082, L"");
}

const DLGTEMPLATE* DialogTemplate::get() {
  auto* t = reinterpret_cast<DLGTEMPLATE*>(data_.data());
  t->cdit = count_;
  return t;
}

// --- TestWindow ---

namespace {
constexpr wchar_t kTestClass[] = L"KeyloomUiTestWindow";
}

TestWindow::TestWindow(int width, int height, bool visible) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kTestClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, kTestClass, L"test", WS_POPUP | (visible ? WS_VISIBLE : 0), 100, 100, width,
                          height, nullptr, nullptr, wc.hInstance, this);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (visible) {
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
  }
}

TestWindow::~TestWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND TestWindow::AddButton(int id, int x, int y, int w, int h, const wchar_t* text) {
  return CreateWindowW(L"BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, y, w, h, hwnd_,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

HWND TestWindow::AddStatic(int id, int x, int y, int w, int h) {
  return CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, x, y, w, h, hwnd_,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

int TestWindow::clicks(int id) const {
  int n = 0;
  for (const Seen& s : seen)
    if (s.message == WM_COMMAND && LOWORD(s.wparam) == id && HIWORD(s.wparam) == BN_CLICKED) ++n;
  return n;
}

LRESULT CALLBACK TestWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && (message == WM_COMMAND || message >= WM_USER))
    self->seen.push_back({message, wparam, lparam, InSendMessage() == FALSE});
  if (message == WM_DRAWITEM) {
    if (ReflectDrawItem(lparam)) return TRUE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// --- pictures ---

GdiBitmap MakePicture(int width, int height, const std::function<COLORREF(int, int)>& colour) {
  WindowDc screen(nullptr);
  GdiBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      pixels[static_cast<size_t>(y) * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  SetDIBits(screen.get(), bitmap.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  return bitmap;
}

namespace {
bool WriteBmp24(const std::u16string& path, int width, int height, const std::vector<uint8_t>& bottom_up_rows) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  HANDLE out = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  bool ok = WriteFile(out, &file, sizeof(file), &wrote, nullptr) && WriteFile(out, &info, sizeof(info), &wrote, nullptr) &&
            WriteFile(out, bottom_up_rows.data(), info.biSizeImage, &wrote, nullptr);
  CloseHandle(out);
  return ok;
}
}  // namespace

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
  HANDLE out = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
  CloseHandle(out);
  return ok;
}

bool WriteBmp(const std::u16string& path, int width, int height, const std::function<COLORREF(int, int)>& colour) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      uint8_t* p = &rows[static_cast<size_t>(height - 1 - y) * stride + x * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  return WriteBmp24(path, width, height, rows);
}

// --- read-back ---

Rendering::Rendering(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  WindowDc screen(nullptr);
  MemoryDc dc(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    SelectedObject selected(dc.get(), dib.get());
    // A known background for what the window leaves undrawn.
    RECT all{0, 0, width_, height_};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    GdiFlush();
  }
  const auto* p = static_cast<const uint32_t*>(bits);
  pixels_.assign(p, p + static_cast<size_t>(width_) * height_);
}

COLORREF Rendering::at(int x, int y) const {
  const uint32_t v = pixels_[static_cast<size_t>(y) * width_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

COLORREF ScreenPixel(HWND window, int x, int y) {
  WindowDc dc(window);
  return GetPixel(dc.get(), x, y);
}

// --- files ---

namespace {
void MakeFolders(const std::u16string& path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == u'\\') CreateDirectoryW(AsWide(path.substr(0, i)), nullptr);
}
}  // namespace

std::u16string TestFolder(const std::u16string& name) {
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  std::u16string folder = FromWide(temp) + u"keyloom-shell-tests\\" + name + u"\\";
  MakeFolders(folder.substr(0, folder.size() - 1));
  WIN32_FIND_DATAW found;
  const std::u16string pattern = folder + u"*";
  HANDLE search = FindFirstFileW(AsWide(pattern), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(AsWide(folder + FromWide(found.cFileName)));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return folder;
}

std::u16string ShotFolder() {
  const std::u16string folder = ProgramFolder() + u"shots\\";
  MakeFolders(folder.substr(0, folder.size() - 1));
  return folder;
}

bool CaptureWindow(HWND window, const std::u16string& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  WindowDc screen(nullptr);
  MemoryDc dc(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  GdiBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    SelectedObject selected(dc.get(), dib.get());
    BitBlt(dc.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    GdiFlush();
  }
  const int stride = (width * 3 + 3) & ~3;
  const auto* p = static_cast<const uint8_t*>(bits);
  return WriteBmp24(path, width, height, std::vector<uint8_t>(p, p + static_cast<size_t>(stride) * height));
}

std::u16string TestExeFolder() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string full = FromWide(path);
  return full.substr(0, full.find_last_of(u"\\/") + 1);
}

std::u16string ProgramFolder() {
  std::u16string tests = TestExeFolder();  // the tests folder of the build
  tests.pop_back();
  return tests.substr(0, tests.find_last_of(u"\\/") + 1);
}

HINSTANCE ProgramResources() {
  static HINSTANCE module = LoadLibraryExW(AsWide(ProgramFolder() + u"Keyloom.exe"), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

bool RecordingNotifier::Notify(DWORD message, NOTIFYICONDATAW& data) {
  calls.push_back({message, data.uFlags, data.hIcon, FromWide(data.szTip)});
  if (refuse) return false;
  return Shell_NotifyIconW(message, &data) != FALSE;
}

namespace {
// The drivers of running timers, by timer id (tests run one at a time).
std::vector<std::pair<UINT_PTR, TimerDriver*>>& Drivers() {
  static std::vector<std::pair<UINT_PTR, TimerDriver*>> drivers;
  return drivers;
}
}  // namespace

TimerDriver::TimerDriver(std::function<bool()> step, UINT period_ms)
    : step_(std::move(step)), id_(SetTimer(nullptr, 0, period_ms, Tick)) {
  Drivers().push_back({id_, this});
}

TimerDriver::~TimerDriver() {
  KillTimer(nullptr, id_);
  std::erase_if(Drivers(), [this](const auto& d) { return d.second == this; });
}

void CALLBACK TimerDriver::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  for (auto& [timer, driver] : Drivers())
    if (timer == id && driver->step_) {
      if (driver->step_()) {
        KillTimer(nullptr, id);
        driver->step_ = nullptr;
      }
      return;
    }
}

}  // namespace keyloom::testing
