#include <gtest/gtest.h>

#include <string>

#include "ui/controls/file_dialog.h"

namespace keyloom {
namespace {

TEST(FileDialog, FilterEndsInTwoNulsHoweverItWasWritten) {
  using namespace std::string_literals;
  struct Case {
    std::u16string filter, system;
  };
  const Case cases[] = {
      {u"Programs (*.exe)|*.exe||", u"Programs (*.exe)\0*.exe\0\0"s},
      {u"(*.fwc)|*.fwc|(*.*)|*.*||", u"(*.fwc)\0*.fwc\0(*.*)\0*.*\0\0"s},
      {u"Programs (*.exe)|*.exe", u"Programs (*.exe)\0*.exe\0\0"s},  // a translation that lost its bars
      {u"Programs (*.exe)|*.exe|", u"Programs (*.exe)\0*.exe\0\0"s},
      {u"", u"\0\0"s},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemFilter(c.filter), c.system);
}

}  // namespace
}  // namespace keyloom
