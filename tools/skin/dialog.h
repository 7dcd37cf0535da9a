// One skinned window described once: its size, its "SCREEN" values and every
// placed control with the face it shows in each state picture. The layout
// file and every picture of the window are produced from this description.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "encode.h"
#include "raster.h"
#include "widgets.h"

namespace keyloom::skin {

// What one state picture shows: the look of its buttons, and for the key
// editor the page it belongs to.
struct PictureContext {
  Look look = Look::kNormal;
  int page = 0;
  bool macro_mode = false;  // the editor opened for a macro only
};

using FaceFn = std::function<void(Canvas&, const Rect&, const PictureContext&)>;

struct Element {
  std::string key;
  Rect rect;
  FaceFn face;  // empty for a control that draws itself
  std::string section = "BUTTONINFO";
};

struct Dialog {
  std::string layout_file;  // "Main.ini"
  int width = 0, height = 0;
  std::vector<std::pair<std::string, std::string>> screen;  // section SCREEN, in order
  std::vector<Element> elements;
  // The window's ground: everything that is not a control's face.
  std::function<void(Canvas&, const PictureContext&)> ground;

  const Element& Find(const std::string& key) const;  // ends the program when missing
  void Add(std::string key, Rect rect, FaceFn face = {}) {
    elements.push_back({std::move(key), rect, std::move(face)});
  }
};

// The window as it looks in `ctx`.
Canvas Render(const Dialog& d, const PictureContext& ctx);
// A state picture: the buttons copy their face from (x - 1, y - 1) of it, so
// the picture is the window moved one pixel up and left.
Canvas StatePicture(const Dialog& d, const PictureContext& ctx);
// The mask: black inside a rounded rectangle, white outside.
Canvas RoundedMask(int width, int height, float radius);
// The layout file's text (CRLF lines).
std::string LayoutFileText(const Dialog& d);
// The window frame every dialog shares: ground gradient, rounded edge, a
// title bar of `title_height` with the title text.
void DrawWindowFrame(Canvas& c, const Fonts& f, const std::string& title, int title_height, float radius);

inline constexpr float kWindowRadius = 14.f;
inline constexpr int kJpegQuality = 95;

using FileSet = std::map<std::string, Bytes>;  // path relative to the output folder -> bytes

FileSet MainWindowFiles(const Fonts& f);
FileSet KeyEditorFiles(const Fonts& f);
FileSet ProfileManagerFiles(const Fonts& f);
FileSet UpdateDialogFiles(const Fonts& f);
FileSet IconFiles();

// Used by the main window's files: the lighting panel's pictures, sized by
// the controls that show them.
FileSet LightingPanelPictures(const Dialog& main, const Fonts& f);

}  // namespace keyloom::skin
