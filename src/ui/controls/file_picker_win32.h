// The platform's file dialogs (GetOpenFileNameW, GetSaveFileNameW).
#pragma once

#include <windows.h>

#include "ui/controls/file_picker.h"

namespace keyloom {

class Win32FilePicker final : public FilePicker {
 public:
  // `owner` is the window the dialog belongs to (may change later).
  explicit Win32FilePicker(HWND owner = nullptr) : owner_(owner) {}
  void set_owner(HWND owner) { owner_ = owner; }
  std::optional<std::u16string> Choose(const FileDialogRequest& request) override;

 private:
  HWND owner_;
};

// "(*.fwc)|*.fwc||" as the dialogs want it: NUL-separated, doubly terminated.
std::wstring DialogFilter(std::u16string_view filter);

}  // namespace keyloom
