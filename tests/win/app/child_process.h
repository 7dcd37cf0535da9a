// A program started as a child process for a test, ended when the test ends
// if it still runs, and a wait for another process's progress.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/handle_win32.h"
#include "base/text.h"

namespace keyloom::testing {

class Child {
 public:
  Child(const std::u16string& exe, const std::u16string& arguments) {
    std::u16string command = u"\"" + exe + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(AsWide(exe), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_.reset(pi.hProcess);
      CloseHandle(pi.hThread);
      id_ = pi.dwProcessId;
    }
  }
  ~Child() {
    if (running()) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  bool started() const { return static_cast<bool>(process_); }
  uint32_t id() const { return id_; }
  bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD WaitExit(DWORD ms) const {
    if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

 private:
  UniqueHandle process_;
  uint32_t id_ = 0;
};

// Another process's progress can only be awaited in real time: polls `done`
// until it holds or `ms` have passed.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace keyloom::testing
