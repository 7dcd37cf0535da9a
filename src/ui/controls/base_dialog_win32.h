// The skinned dialog every visible window of the program derives from: no
// standard frame, a background picture painted as the whole face, an
// outline cut from a mask picture, and dragging by any free point.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls/dialog_win32.h"
#include "ui/controls/gdi_win32.h"

namespace keyloom {

class IniService;

// Reads the dialog's skin layout file.
class CIniFile {
 public:
  CIniFile(const IniService& ini, std::u16string path) : ini_(ini), path_(std::move(path)) {}
  // The value, or `default_value` when the key is missing or empty.
  std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_value) const;
  const std::u16string& path() const { return path_; }
  const IniService& service() const { return ini_; }

 private:
  const IniService& ini_;
  std::u16string path_;
};

// What a skinned dialog needs from outside.
struct SkinEnvironment {
  const IniService& ini;
  // Called when the background or mask picture cannot be loaded: the
  // program ends at once, silently. Tests replace it.
  std::function<void()> on_missing_picture = [] { ExitProcess(0); };
};

class CBaseDialog : public Win32Dialog {
 public:
  // `skin_folder` ends in a separator; picture names in the layout file are
  // relative to it.
  CBaseDialog(HINSTANCE resources, int template_id, HWND parent, std::u16string layout_file,
              std::u16string skin_folder, SkinEnvironment environment);

  const std::u16string& layout_file() const { return layout_file_; }
  const std::u16string& skin_folder() const { return skin_folder_; }
  const CIniFile& skin_ini() const { return ini_; }
  HBITMAP background() const { return background_.get(); }
  HBITMAP mask() const { return mask_.get(); }
  bool loading_skin() const { return loading_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

  // Loads the background and mask, sizes the window to the background and
  // cuts its shape; false when a picture was missing (after the
  // missing-picture handler ran).
  bool LoadSkin();
  void ReleasePictures();
  // Copies the background to the client area's top-left corner.
  void PaintBackground(HDC dc) const;

 private:
  std::u16string layout_file_;
  std::u16string skin_folder_;
  SkinEnvironment environment_;
  CIniFile ini_;
  GdiBitmap background_;
  GdiBitmap mask_;
  bool loading_ = false;
};

}  // namespace keyloom
