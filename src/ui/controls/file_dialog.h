// What a window asks of a file-open or file-save dialog, apart from the
// dialog itself (file_dialog_win32.h shows it), so window logic can ask for
// a file name and tests can answer with one.
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

struct FileDialogRequest {
  bool save = false;
  std::u16string default_extension;  // without the dot
  std::u16string initial_name;       // e.g. "*.exe"
  // Pairs of "name|patterns|", ended by one more '|': "Programs (*.exe)|*.exe||".
  std::u16string filter;
  std::u16string initial_folder;  // empty: the system's choice
};

// The filter as the system takes it: every '|' becomes a NUL, and the text
// ends in two NULs whatever it ended in.
std::u16string SystemFilter(std::u16string_view filter);

}  // namespace keyloom
