#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/keyward_logic.h"
#include "base/text.h"
#include "storage/persist_support.h"
#include "ui/main/keyward_link.h"

namespace keyloom {
namespace {

using persist_test::FixedTexts;

class RecordingView final : public KeywardView {
 public:
  void ShowNotice(const Notice& notice) override {
    const char* tone = notice.tone == NoticeTone::kOn ? "on" : notice.tone == NoticeTone::kOff ? "off" : "info";
    calls.push_back(std::string("show ") + tone + " " + Utf16ToUtf8(notice.text));
  }
  void HideNotice() override { calls.push_back("hide"); }
  void Quit() override { calls.push_back("quit"); }
  std::vector<std::string> calls;
};

struct Fixture {
  Fixture() {
    texts.texts = {{u"KEYWARD_CAPS_ON", u"CAPS ON"},     {u"KEYWARD_CAPS_OFF", u"CAPS OFF"},
                   {u"KEYWARD_NUM_ON", u"NUM ON"},       {u"KEYWARD_NUM_OFF", u"NUM OFF"},
                   {u"KEYWARD_SCROLL_ON", u"SCROLL ON"}, {u"KEYWARD_SCROLL_OFF", u"SCROLL OFF"},
                   {u"KEYWARD_PROFILE", u"Onboard %d"}};
  }
  FixedTexts texts;
  ManualClock clock;
  RecordingView view;
  KeywardLogic logic{view, texts, clock};
};

using Calls = std::vector<std::string>;

TEST(KeywardLogic, ShowsEachLockKeyThatChangedButNotTheStateAtStart) {
  struct Case {
    LockKeys before, after;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {{false, true, false}, {false, true, false}, {}},
      {{false, true, false}, {true, true, false}, {"show on CAPS ON"}},
      {{true, true, false}, {false, true, false}, {"show off CAPS OFF"}},
      {{false, true, false}, {false, false, false}, {"show off NUM OFF"}},
      {{false, false, false}, {false, false, true}, {"show on SCROLL ON"}},
      // Two keys in one sample: one notice, a line each, marked by the first.
      {{false, true, false}, {true, false, false}, {"show on CAPS ON\nNUM OFF"}},
  };
  for (const Case& c : cases) {
    Fixture f;
    f.logic.Start(c.before);
    f.logic.OnLockKeys(c.after);
    EXPECT_EQ(f.view.calls, c.calls) << testing::PrintToString(f.view.calls);
    // The same state again shows nothing more.
    f.logic.OnLockKeys(c.after);
    EXPECT_EQ(f.view.calls, c.calls);
  }
}

TEST(KeywardLogic, TheNoticeEndsTwoSecondsAfterTheLatestChange) {
  Fixture f;
  f.logic.Start({});
  f.logic.OnLockKeys({true, false, false});
  f.clock.Advance(1500);
  f.logic.OnTick(true);
  EXPECT_TRUE(f.logic.notice_shown());
  // A second change restarts the two seconds.
  f.logic.OnLockKeys({false, false, false});
  f.clock.Advance(kNoticeMs - 1);
  f.logic.OnTick(true);
  EXPECT_TRUE(f.logic.notice_shown());
  f.clock.Advance(1);
  f.logic.OnTick(true);
  EXPECT_FALSE(f.logic.notice_shown());
  f.logic.OnTick(true);
  EXPECT_EQ(f.view.calls, (Calls{"show on CAPS ON", "show off CAPS OFF", "hide"}));
}

TEST(KeywardLogic, ProfileMessageNeedsItsTagAndAProfileOfTheKeyboard) {
  struct Case {
    uint64_t tag;
    int64_t profile;
    Calls calls;
  };
  const std::vector<Case> cases = {
      {kKeywardProfileTag, 0, {"show info Onboard 1"}},
      {kKeywardProfileTag, 1, {"show info Onboard 2"}},
      {kKeywardProfileTag, 2, {"show info Onboard 3"}},
      {kKeywardProfileTag, 3, {}},
      {kKeywardProfileTag, -1, {}},
      {0x4F50454E, 1, {}},                       // 'OPEN'
      {0x100000000ull | kKeywardProfileTag, 1, {}},  // the whole parameter is compared
  };
  for (const Case& c : cases) {
    Fixture f;
    EXPECT_EQ(f.logic.OnProfileMessage(c.tag, c.profile), !c.calls.empty());
    EXPECT_EQ(f.view.calls, c.calls) << std::hex << c.tag << " " << c.profile;
  }
}

TEST(KeywardLogic, EndsOnceKeyloomIsGoneAndThenIgnoresEverything) {
  Fixture f;
  f.logic.Start({});
  f.logic.OnLockKeys({true, false, false});
  f.logic.OnTick(true);
  f.logic.OnTick(false);
  f.logic.OnTick(false);
  f.logic.OnLockKeys({false, false, false});
  f.logic.OnProfileMessage(kKeywardProfileTag, 1);
  EXPECT_EQ(f.view.calls, (Calls{"show on CAPS ON", "hide", "quit"}));
}

TEST(KeywardLogic, TextsFallBackToEnglishWhenTheLanguageFileLacksThem) {
  FixedTexts none;
  EXPECT_EQ(LockNoticeText(none, 0, true), u"Caps Lock on");
  EXPECT_EQ(LockNoticeText(none, 1, false), u"Num Lock off");
  EXPECT_EQ(LockNoticeText(none, 2, true), u"Scroll Lock on");
  EXPECT_EQ(ProfileNoticeText(none, 1), u"Profile 2");
  // A translated text that is not a number format cannot read memory.
  FixedTexts odd;
  odd.texts = {{u"KEYWARD_PROFILE", u"%s %d %n"}};
  EXPECT_EQ(ProfileNoticeText(odd, 2), u"%s 3 %n");
}

TEST(KeywardLogic, NoticeSitsInTheCornerNearestTheNotificationArea) {
  const ScreenRect work{0, 0, 1280, 984};  // a taskbar of 40 below
  struct Case {
    TaskbarEdge edge;
    ScreenRect area;
    ScreenPoint at;
  };
  const std::vector<Case> cases = {
      {TaskbarEdge::kBottom, work, {1280 - 16 - 200, 984 - 16 - 50}},
      {TaskbarEdge::kRight, {0, 0, 1240, 1024}, {1240 - 16 - 200, 1024 - 16 - 50}},
      {TaskbarEdge::kTop, {0, 40, 1280, 1024}, {1280 - 16 - 200, 40 + 16}},
      {TaskbarEdge::kLeft, {60, 0, 1280, 1024}, {60 + 16, 1024 - 16 - 50}},
  };
  for (const Case& c : cases) {
    const ScreenPoint at = NoticePosition(c.area, c.edge, 200, 50, 16);
    EXPECT_EQ(at.x, c.at.x) << int(c.edge);
    EXPECT_EQ(at.y, c.at.y) << int(c.edge);
  }
}

}  // namespace
}  // namespace keyloom
