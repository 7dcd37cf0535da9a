// The system's file-open and file-save dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/controls/file_dialog.h"

namespace keyloom {

// Shows the dialog owned by `owner`; the chosen path, or nothing when the
// user cancelled. The read-only box is hidden and an existing file is
// confirmed before it is overwritten.
std::optional<std::u16string> ShowFileDialog(HWND owner, const FileDialogRequest& request);

}  // namespace keyloom
