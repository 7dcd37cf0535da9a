// The platform's file dialogs behind an interface, so that tests choose the
// file themselves (the system dialogs' layout differs between platforms and
// Wine versions).
#pragma once

#include <optional>
#include <string>

namespace keyloom {

struct FileDialogRequest {
  bool save = false;                  // a save dialog, else an open dialog
  std::u16string default_extension;   // without the dot, e.g. "fwc"
  std::u16string filter;              // "(*.fwc)|*.fwc|(*.*)|*.*||": name|pattern pairs
  std::u16string initial_name;        // file name (may hold a folder and wildcards)
  bool hide_read_only = true;
  bool ask_before_overwrite = false;  // save dialogs
};

class FilePicker {
 public:
  virtual ~FilePicker() = default;
  // The chosen file's full path, or nothing when the user cancelled.
  virtual std::optional<std::u16string> Choose(const FileDialogRequest& request) = 0;
};

// The profile files' filter and extension.
inline constexpr std::u16string_view kProfileFileFilter = u"(*.fwc)|*.fwc|(*.*)|*.*||";
inline constexpr std::u16string_view kProfileFileExtension = u"fwc";

}  // namespace keyloom
