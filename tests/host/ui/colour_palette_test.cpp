#include "ui/controls/colour_palette.h"

#include <gtest/gtest.h>

#include <set>

namespace keyloom {
namespace {

using P = ColourPalette;

TEST(ColourPalette, FiveColumnsOfDistinctColoursThenOther) {
  EXPECT_EQ(P::ColourAt(0), 0x0000FFu);  // red, red in the low byte
  EXPECT_EQ(P::ColourAt(15), 0xFF0000u);  // blue
  std::set<PaletteColour> colours;
  for (int i = 0; i < P::kColours; ++i) {
    colours.insert(P::ColourAt(i));
    EXPECT_EQ(P::IndexOf(P::ColourAt(i)), i);
  }
  EXPECT_EQ(colours.size(), size_t(P::kColours));
  EXPECT_EQ(P::IndexOf(0x123456), P::kNone);
  // The first row spans the width; the other entry lies below the last row.
  EXPECT_EQ(P::CellBox(P::kColumns - 1).right, P::Width() - P::kMargin);
  EXPECT_GT(P::OtherBox().top, P::CellBox(P::kColours - 1).bottom);
  EXPECT_EQ(P::OtherBox().bottom + P::kMargin, P::Height());
}

TEST(ColourPalette, PointsAndKeysReachEntries) {
  const P::Box seventh = P::CellBox(7);
  EXPECT_EQ(seventh, (P::Box{6 + 2 * 23, 6 + 23, 6 + 2 * 23 + 20, 6 + 23 + 20}));
  EXPECT_EQ(P::HitTest(seventh.left, seventh.top), 7);
  EXPECT_EQ(P::HitTest(seventh.right - 1, seventh.bottom - 1), 7);
  EXPECT_EQ(P::HitTest(seventh.right, seventh.top), P::kNone);  // the gap
  EXPECT_EQ(P::HitTest(0, 0), P::kNone);
  EXPECT_EQ(P::HitTest(P::Width() / 2, P::OtherBox().top + 2), P::kOther);

  using K = P::Key;
  const struct {
    int from;
    K key;
    int to;
  } moves[] = {
      {P::kNone, K::kDown, 0}, {0, K::kLeft, 0},   {4, K::kRight, 4},           {7, K::kUp, 2},
      {2, K::kUp, 2},          {37, K::kDown, P::kOther}, {P::kOther, K::kUp, 37}, {P::kOther, K::kDown, P::kOther},
      {12, K::kEnd, P::kOther}, {P::kOther, K::kHome, 0},
  };
  for (const auto& m : moves) EXPECT_EQ(P::Move(m.from, m.key), m.to) << m.from;
}

}  // namespace
}  // namespace keyloom
