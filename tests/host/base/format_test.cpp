#include <gtest/gtest.h>

#include "base/format.h"
#include "base/text.h"

namespace keyloom {
namespace {

struct NumberCase {
  std::u16string_view pattern;
  int64_t number;
  std::u16string_view expected;
};

TEST(FormatText, NumberConversions) {
  const NumberCase cases[] = {
      {u"Key 0x%04X", 0x145, u"Key 0x0145"},
      {u"At most %d macros.", 100, u"At most 100 macros."},
      {u"%x|%X|%o|%u", 255, u"ff|%X|%o|%u"},  // only the first conversion is the argument's
      {u"%-5d|", -3, u"-3   |"},
      {u"%05d", -3, u"-0003"},
      {u"%+d % d", 7, u"+7 % d"},
      {u"%#x %#X", 26, u"0x1a %#X"},
      {u"%.3d", 5, u"005"},
      {u"%08.3d", 5, u"     005"},  // a precision turns zero padding off
      {u"%u", -1, u"4294967295"},  // taken as a 32-bit int without a 64-bit modifier
      {u"%lld", -1, u"-1"},
      {u"%I64u", -1, u"18446744073709551615"},
      {u"%ld", 0x1'0000'0001, u"1"},
      {u"%d%%", 50, u"50%"},
      {u"100%% sure: %i", 1, u"100% sure: 1"},
      {u"no conversion", 9, u"no conversion"},
      {u"", 9, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf16ToUtf8(FormatText(c.pattern, c.number)), Utf16ToUtf8(c.expected)) << Utf16ToUtf8(c.pattern);
}

TEST(FormatText, TextConversions) {
  const std::u16string_view path = u"C:\\Users\\me\\bad %s.fwc";
  EXPECT_EQ(FormatText(u"The file %s is not a profile file.", path),
            u"The file C:\\Users\\me\\bad %s.fwc is not a profile file.");  // the argument is not a pattern
  EXPECT_EQ(FormatText(u"%ls|%S|%hs", std::u16string_view(u"ab")), u"ab|%S|%hs");
  EXPECT_EQ(FormatText(u"[%5s][%-5s]", std::u16string_view(u"ab")), u"[   ab][%-5s]");
  EXPECT_EQ(FormatText(u"[%.2s]", std::u16string_view(u"abcdef")), u"[ab]");
  EXPECT_EQ(FormatText(u"%d then %s", std::u16string_view(u"x")), u"%d then x");
}

// A language text is user-editable: whatever it holds, the formatter takes
// the one argument it was given and prints every other conversion as text.
TEST(FormatText, HostilePatternsAreHarmless) {
  const struct {
    std::u16string_view pattern;
    std::u16string_view with_number;  // formatted with 42
    std::u16string_view with_text;    // formatted with "T"
  } cases[] = {
      {u"%s%s%n", u"%s%s%n", u"T%s%n"},
      {u"%n%d", u"%n42", u"%n%d"},
      {u"%", u"%", u"%"},
      {u"abc%", u"abc%", u"abc%"},
      {u"%l", u"%l", u"%l"},
      {u"%I64", u"%I64", u"%I64"},
      {u"%p %c %f %e %g %a", u"%p %c %f %e %g %a", u"%p %c %f %e %g %a"},
      {u"%1$d %*d %.*s", u"%1$d %*d %.*s", u"%1$d %*d %.*s"},
      {u"%d %d %d %d", u"42 %d %d %d", u"%d %d %d %d"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(FormatText(c.pattern, 42)), Utf16ToUtf8(c.with_number)) << Utf16ToUtf8(c.pattern);
    EXPECT_EQ(Utf16ToUtf8(FormatText(c.pattern, std::u16string_view(u"T"))), Utf16ToUtf8(c.with_text))
        << Utf16ToUtf8(c.pattern);
  }
}

TEST(FormatText, WidthAndPrecisionAreCapped) {
  EXPECT_EQ(FormatText(u"%99999d", 7), std::u16string(kMaxFormatWidth - 1, u' ') + u"7");
  EXPECT_EQ(FormatText(u"%.99999d", 7), std::u16string(kMaxFormatWidth - 1, u'0') + u"7");
  EXPECT_EQ(FormatText(u"%99999999999999999999s", std::u16string_view(u"x")).size(), size_t{kMaxFormatWidth});
  // A long text argument is never cut by the cap, only padded up to it.
  const std::u16string long_text(500, u'y');
  EXPECT_EQ(FormatText(u"%s", long_text), long_text);
}

}  // namespace
}  // namespace keyloom
