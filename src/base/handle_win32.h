// Owners for Win32 handles: move-only, closed exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace keyloom {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  // Closes what was held; returns CloseHandle's result (0 when nothing was held).
  BOOL reset(HANDLE h = nullptr) {
    BOOL closed = FALSE;
    if (*this) closed = CloseHandle(h_);
    h_ = h;
    return closed;
  }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace keyloom
