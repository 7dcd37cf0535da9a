#include <gtest/gtest.h>

#include <string>

#include "ui/controls/file_picker_win32.h"

namespace keyloom {
namespace {

// The dialogs read the filter up to its first pair of NULs: a translated
// filter that lost its closing bars must still end in two, and every bar is
// a separator.
TEST(FilePicker, FilterIsSplitAtEveryBarAndEndsInTwoNulsHoweverItWasWritten) {
  using namespace std::string_literals;
  struct Case {
    std::u16string filter;
    std::wstring pairs;  // up to the first two NULs
  };
  const Case cases[] = {
      {u"Programs (*.exe)|*.exe||", L"Programs (*.exe)\0*.exe\0\0"s},
      {u"(*.fwc)|*.fwc|(*.*)|*.*||", L"(*.fwc)\0*.fwc\0(*.*)\0*.*\0\0"s},
      {u"Programs (*.exe)|*.exe", L"Programs (*.exe)\0*.exe\0\0"s},
      {u"Programs (*.exe)|*.exe|", L"Programs (*.exe)\0*.exe\0\0"s},
      {u"", L"\0\0"s},
  };
  for (const Case& c : cases) {
    const std::wstring out = DialogFilter(c.filter);
    const size_t end = out.find(L"\0\0"s);
    ASSERT_NE(end, std::wstring::npos);
    EXPECT_EQ(out.substr(0, end + 2), c.pairs);
  }
}

}  // namespace
}  // namespace keyloom
