#include <gtest/gtest.h>

#include "base/bytes.h"
#include "base/clock.h"
#include "base/text.h"

namespace keyloom {
namespace {

TEST(Bytes, LittleEndianRoundTripWithHighBytes) {
  uint8_t b[4] = {};
  StoreU32(b, 0xF1E2D3C4u);
  EXPECT_EQ(b[0], 0xC4);
  EXPECT_EQ(b[3], 0xF1);
  EXPECT_EQ(LoadU32(b), 0xF1E2D3C4u);
  StoreU16(b, 0xFF80);
  EXPECT_EQ(LoadU16(b), 0xFF80);
}

TEST(Bytes, ViewRefusesReadsPastTheEnd) {
  const uint8_t b[3] = {1, 2, 3};
  ByteView v(b);
  EXPECT_EQ(v.U16(1), 0x0302);
  EXPECT_FALSE(v.U16(2).has_value());
  EXPECT_FALSE(v.U32(0).has_value());
  EXPECT_FALSE(v.Slice(1, SIZE_MAX).has_value());
  EXPECT_TRUE(v.Slice(3, 0).has_value());
  EXPECT_FALSE(v.Slice(4, 0).has_value());
}

TEST(Text, Utf8AndUtf16RoundTrip) {
  const std::string s = "Profil \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9";
  const std::u16string w = Utf8ToUtf16(s);
  EXPECT_EQ(w.size(), 13u);  // the emoji is a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(w), s);
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xFF" "b"), u"\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Text, CaseInsensitiveSearch) {
  EXPECT_EQ(FindIgnoreAsciiCase(u"\\\\?\\HID#VID_0C45&PID_652F", u"vid_"), 8u);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(u"/Kill", u"/kILL"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(u"/Kill", u"/Killer"));
}

TEST(ManualClock, TimedWaitAdvancesTimeInsteadOfBlocking) {
  ManualClock clock;
  std::mutex m;
  std::condition_variable cv;
  std::unique_lock lock(m);
  EXPECT_FALSE(clock.WaitFor(cv, lock, 300, [] { return false; }));
  EXPECT_EQ(clock.NowMs(), 300);
  EXPECT_TRUE(clock.WaitFor(cv, lock, 300, [] { return true; }));
  EXPECT_EQ(clock.NowMs(), 300);
}

}  // namespace
}  // namespace keyloom
