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

// Names in any encoding reach the system byte for byte; text stays text.
TEST(Text, FileNamesKeepEveryByte) {
  const std::string cases[] = {
      "plain.fwc",
      "caf\xE9.fwc",                      // Latin-1
      "\x83\x76\x83\x8D.fwc",              // Shift-JIS
      "\xE6\x97\xA5\xE6\x9C\xAC.fwc",      // UTF-8 Japanese
      "\xED\xA0\x80.fwc",                // an encoded surrogate: not UTF-8
      "\xC0\xAF \xF4\x90\x80\x80 \xFF",    // overlong, beyond U+10FFFF, 0xFF
      "cut \xE6\x97",                     // a sequence cut short
  };
  for (const std::string& bytes : cases) EXPECT_EQ(FileNameToBytes(FileNameFromBytes(bytes)), bytes) << bytes;
  EXPECT_EQ(FileNameFromBytes("\xE6\x97\xA5"), u"\u65E5");
  EXPECT_EQ(FileNameFromBytes("caf\xE9"), u"caf\xDCE9");
}

// Windows names are UTF-16 that may hold lone surrogates; WTF-8 carries them.
TEST(Text, Wtf8CarriesLoneSurrogates) {
  const std::u16string cases[] = {
      u"plain", u"\u65E5\u672C", u"a\xD800" u"b", u"\xDC00", u"\xDBFF\xDBFF", u"pair \xD83C\xDFB9",
  };
  for (const std::u16string& name : cases) EXPECT_EQ(Wtf8ToUtf16(Utf16ToWtf8(name)), name);
  EXPECT_EQ(Utf16ToWtf8(u"\u65E5 \xD83C\xDFB9"), Utf16ToUtf8(u"\u65E5 \xD83C\xDFB9"));
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
