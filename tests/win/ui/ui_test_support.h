// Helpers for window tests under Wine: bounded message pumps, an in-memory
// dialog template, a parent window that records what its controls post,
// generated pictures, pixel read-back and screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls/gdi_win32.h"
#include "ui/controls/shell_win32.h"

namespace keyloom::testing {

// Dispatches this thread's messages until `done` or `timeout_ms` passes.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 3000);
// Dispatches what is waiting in this thread's queue now (paints included)
// and returns when nothing is left.
void PumpPending();
// True when `window` is visible and it and its visible children have
// nothing left to paint.
bool IsPainted(HWND window);
// Pumps until `window` and all its children have nothing left to paint.
bool PumpUntilPainted(HWND window, DWORD timeout_ms = 3000);

// A dialog template in memory with push buttons and statics.
class DialogTemplate {
 public:
  DialogTemplate(int width, int height, DWORD style = WS_POPUP | WS_VISIBLE);
  void AddButton(int id, int x, int y, int w, int h, const wchar_t* text = L"");
  void AddStatic(int id, int x, int y, int w, int h, DWORD style = SS_LEFT);
  const DLGTEMPLATE* get();

 private:
  void AddItem(int id, int x, int y, int w, int h, DWORD style, WORD atom, const wchar_t* text);
  void Word(WORD w) { data_.push_back(w); }
  void Text(const wchar_t* text);
  void Align();
  std::vector<WORD> data_;
  WORD count_ = 0;
};

// A top-level window that reflects owner-draw requests and records the
// messages its children post or send to it.
class TestWindow {
 public:
  TestWindow(int width, int height, bool visible = true);
  ~TestWindow();
  HWND hwnd() const { return hwnd_; }
  HWND AddButton(int id, int x, int y, int w, int h, const wchar_t* text = L"");
  HWND AddStatic(int id, int x, int y, int w, int h);

  struct Seen {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
    bool posted;
  };
  std::vector<Seen> seen;
  int clicks(int id) const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  HWND hwnd_ = nullptr;
};

// A device-dependent picture whose pixel (x, y) is colour(x, y).
GdiBitmap MakePicture(int width, int height, const std::function<COLORREF(int, int)>& colour);
// Writes bytes to a file (through the Windows path).
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);
// The same picture as a 24-bit BMP file.
bool WriteBmp(const std::u16string& path, int width, int height, const std::function<COLORREF(int, int)>& colour);

// A window's client area rendered through WM_PRINTCLIENT (works for hidden
// or covered windows), pixel by pixel.
class Rendering {
 public:
  explicit Rendering(HWND window);
  COLORREF at(int x, int y) const;
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// The client area as it is on the screen (GetDC + BitBlt).
COLORREF ScreenPixel(HWND window, int x, int y);

// A folder for files a test writes, emptied first.
std::u16string TestFolder(const std::u16string& name);
// Where screenshots go: the folder "shots" of the build tree (build/win/shots).
std::u16string ShotFolder();
// Saves what the screen shows of `window` (whole window rectangle) as a
// 24-bit BMP.
bool CaptureWindow(HWND window, const std::u16string& path);

// The folder of the test executable, with a separator.
std::u16string TestExeFolder();
// The build folder holding Keyloom.exe and the copied assets.
std::u16string ProgramFolder();

// Keyloom.exe loaded for its resources only (templates, icons, menus,
// strings); null when it was not built.
HINSTANCE ProgramResources();

// Shell calls, recorded.
class RecordingLauncher final : public ShellLauncher {
 public:
  struct Call {
    std::u16string verb, file, parameters, folder;
    int show;
  };
  intptr_t Execute(std::u16string_view verb, const std::u16string& file, const std::u16string& parameters,
                   const std::u16string& folder, int show) override {
    calls.push_back({std::u16string(verb), file, parameters, folder, show});
    return 42;
  }
  std::vector<Call> calls;
};

// Notification-area calls, recorded and passed on to the real shell.
class RecordingNotifier final : public ShellNotifier {
 public:
  struct Call {
    DWORD message;
    UINT flags;
    HICON icon;
    std::u16string tip;
  };
  bool Notify(DWORD message, NOTIFYICONDATAW& data) override;
  std::vector<Call> calls;
  bool refuse = false;
};

// Runs `step` from a thread timer while some modal loop (a menu, a dialog)
// runs on this thread; `step` returns true when it is done.
class TimerDriver {
 public:
  TimerDriver(std::function<bool()> step, UINT period_ms = 50);
  ~TimerDriver();

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  std::function<bool()> step_;
  UINT_PTR id_;
};

}  // namespace keyloom::testing
