// A window's text as the program's text type.
#pragma once

#include <windows.h>

#include <string>

namespace keyloom {

inline std::u16string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::u16string text(static_cast<size_t>(length > 0 ? length : 0) + 1, u'\0');
  const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace keyloom
