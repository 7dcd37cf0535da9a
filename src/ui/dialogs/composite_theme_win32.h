// The key editor's colours, where the window draws rather than copies a
// skin picture (red in the low byte). They match the skin generator's theme.
#pragma once

#include <windows.h>

namespace keyloom::composite_theme {

inline constexpr COLORREF kFieldColour = RGB(0x11, 0x13, 0x18);
inline constexpr COLORREF kCardColour = RGB(0x1A, 0x1D, 0x23);
inline constexpr COLORREF kTextColour = RGB(0xE8, 0xEB, 0xF0);
inline constexpr COLORREF kMutedColour = RGB(0x8B, 0x93, 0xA1);
inline constexpr COLORREF kAccentColour = RGB(0x1E, 0x72, 0xB0);
inline constexpr COLORREF kFieldEdgeColour = RGB(0x3A, 0x40, 0x4B);
inline constexpr COLORREF kHeaderColour = RGB(0x22, 0x25, 0x2C);

}  // namespace keyloom::composite_theme
