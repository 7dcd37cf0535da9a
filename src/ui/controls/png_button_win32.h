// The image button: an owner-drawn push button that copies its face from
// one of five full-window state pictures at its own position (with a colour
// frame over it when the frame is on), with an optional caption and a tooltip.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/controls/button_look.h"
#include "ui/controls/gdi_win32.h"
#include "ui/controls/picture_win32.h"

namespace keyloom {

// The pens that draw colour frames into one context, each colour's pen made
// once: selects the pen of a colour and puts the context's own pen back at
// the end.
class FramePens {
 public:
  explicit FramePens(HDC dc) : dc_(dc) {}
  ~FramePens();
  FramePens(const FramePens&) = delete;
  FramePens& operator=(const FramePens&) = delete;
  void Use(COLORREF colour);

 private:
  HDC dc_;
  HGDIOBJ original_ = nullptr;           // the context's own pen, once one of ours is in
  std::optional<COLORREF> selected_;     // the colour whose pen is in the context
  std::vector<std::pair<COLORREF, GdiPen>> pens_;
};

// The five state surfaces, in ButtonLook order; not owned.
using StateSurfaces = std::array<const SkinSurface*, 5>;

class CPngButton {
 public:
  CPngButton() = default;
  ~CPngButton();
  CPngButton(const CPngButton&) = delete;
  CPngButton& operator=(const CPngButton&) = delete;

  // Takes over an existing button window and makes it owner-drawn.
  bool Attach(HWND button);
  void Detach();
  HWND hwnd() const { return hwnd_; }

  void SetStateSurfaces(const StateSurfaces& surfaces, bool redraw);
  void SetOrigin(int x, int y, bool redraw);
  void Place(int x, int y, const StateSurfaces& surfaces, bool redraw);
  void SetSelected(bool selected, bool redraw);
  // `redraw` false: the frame is only stored, and the caller draws the button
  // (DrawButtonsTogether).
  void SetColourFrame(uint32_t colour, int strength, bool on, bool redraw = true);
  void SetCaptionStyle(bool show, int size_points, std::u16string_view face, uint32_t normal, uint32_t over,
                       uint32_t pressed, uint32_t disabled, uint32_t selected, uint32_t format);
  void SetRotation(int tenths_of_degree, bool rotated);
  void SetMargins(int left, int right, int top, int bottom);
  // An empty text changes nothing.
  void SetTooltipText(std::u16string_view text, bool activate = true);
  void SetTooltipText(HINSTANCE resources, UINT string_id, bool activate = true);

  ButtonState state() const;
  ButtonLook look() const { return SelectButtonLook(state()); }
  FaceSource face_source() const { return FaceSourceFor(origin_x_, origin_y_); }
  const ColourFrame& colour_frame() const { return frame_; }
  const CaptionStyle& caption_style() const { return caption_; }
  bool mouse_over() const { return mouse_over_; }
  bool tracking() const { return tracking_; }
  HWND tooltip() const { return tooltip_; }
  const std::u16string& tooltip_text() const { return tooltip_text_; }

  // Draws the current look into `dc` (the button's client coordinates).
  void Draw(HDC dc);
  // As Draw, into a context of the parent (without its children clipped)
  // in the button's place. When the screen shows the same face with a frame
  // that stays on and only changes colour, the frame alone is drawn with the
  // pen from `pens` (the context's brush must be hollow): the same pixels,
  // without copying the face again.
  void DrawOnScreen(HDC dc, FramePens& pens);
  void Redraw();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnHover();
  void OnLeave();
  void CreateTooltip();
  void DestroyTooltip();
  void DrawCaption(HDC dc, const RECT& client, ButtonLook look);
  void DrawFrame(HDC dc, const RECT& client) const;

  // What the whole drawing of the button on the screen shows, as far as
  // drawing the frame alone depends on it.
  struct ShownFace {
    const SkinSurface* surface = nullptr;
    FaceSource from{};
    LONG width = 0, height = 0;
    bool framed = false;
    bool operator==(const ShownFace&) const = default;
  };
  ShownFace FaceNow(const RECT& client) const;
  // Where the button lies in its parent's client area and its own client
  // rectangle: read once after each move or resize, not at every drawing.
  struct Bounds {
    POINT corner{};
    RECT client{};
  };
  const Bounds& BoundsInParent();
  void DrawWhole(HDC dc, const RECT& client, const ShownFace& face);

  HWND hwnd_ = nullptr;
  StateSurfaces surfaces_{};
  int origin_x_ = 0, origin_y_ = 0;
  bool mouse_over_ = false;
  bool tracking_ = false;
  bool pressed_ = false;
  bool selected_ = false;
  ColourFrame frame_;
  std::optional<ShownFace> shown_;  // unknown after a partial paint
  std::optional<Bounds> bounds_;   // unknown after a move or resize
  CaptionStyle caption_;
  std::u16string tooltip_text_;
  HWND tooltip_ = nullptr;
  bool tool_added_ = false;
};

// Draws `buttons`, children of `parent`, through one device context of the
// parent instead of one paint each: for many buttons that change at once.
// A button that is hidden is left alone.
void DrawButtonsTogether(HWND parent, std::span<CPngButton* const> buttons);

}  // namespace keyloom
