#include "app/keyward_logic.h"

#include <array>

#include "base/format.h"
#include "storage/language.h"

namespace keyloom {

namespace {

struct LockTexts {
  std::u16string_view on_key, on_text, off_key, off_text;
};
constexpr std::array<LockTexts, 3> kLockTexts = {{
    {u"KEYWARD_CAPS_ON", u"Caps Lock on", u"KEYWARD_CAPS_OFF", u"Caps Lock off"},
    {u"KEYWARD_NUM_ON", u"Num Lock on", u"KEYWARD_NUM_OFF", u"Num Lock off"},
    {u"KEYWARD_SCROLL_ON", u"Scroll Lock on", u"KEYWARD_SCROLL_OFF", u"Scroll Lock off"},
}};

}  // namespace

std::u16string LockNoticeText(const TextSource& texts, int key, bool on) {
  const LockTexts& t = kLockTexts[static_cast<size_t>(key)];
  return on ? TextOr(texts, t.on_key, t.on_text) : TextOr(texts, t.off_key, t.off_text);
}

std::u16string ProfileNoticeText(const TextSource& texts, int profile) {
  return FormatText(TextOr(texts, u"KEYWARD_PROFILE", u"Profile %d"), profile + 1);
}

void KeywardLogic::Start(LockKeys initial) { last_ = initial; }

void KeywardLogic::OnLockKeys(LockKeys now) {
  if (quit_ || now == last_) return;
  const bool before[] = {last_.caps, last_.num, last_.scroll};
  const bool after[] = {now.caps, now.num, now.scroll};
  last_ = now;
  Notice notice;
  bool first = true;
  for (int key = 0; key < 3; ++key) {
    if (before[key] == after[key]) continue;
    if (!first) notice.text += u'\n';
    notice.text += LockNoticeText(texts_, key, after[key]);
    // Several keys at once (rare): the first one gives the mark.
    if (first) notice.tone = after[key] ? NoticeTone::kOn : NoticeTone::kOff;
    first = false;
  }
  Show(std::move(notice));
}

bool KeywardLogic::OnProfileMessage(uint64_t tag, int64_t profile) {
  constexpr uint64_t kProfileTag = 0x50524F46;  // 'PROF'
  if (quit_ || tag != kProfileTag || profile < 0 || profile > 2) return false;
  Show({ProfileNoticeText(texts_, static_cast<int>(profile)), NoticeTone::kInfo});
  return true;
}

void KeywardLogic::OnTick(bool keyloom_running) {
  if (quit_) return;
  if (!keyloom_running) {
    quit_ = true;
    if (shown_) view_.HideNotice();
    shown_ = false;
    view_.Quit();
    return;
  }
  if (shown_ && clock_.NowMs() >= hide_at_) {
    shown_ = false;
    view_.HideNotice();
  }
}

void KeywardLogic::Show(Notice notice) {
  // A new notice replaces the one showing and has its own two seconds.
  hide_at_ = clock_.NowMs() + kNoticeMs;
  shown_ = true;
  view_.ShowNotice(notice);
}

ScreenPoint NoticePosition(ScreenRect work, TaskbarEdge taskbar, int width, int height, int margin) {
  const int left = work.left + margin, right = work.right - margin - width;
  const int top = work.top + margin, bottom = work.bottom - margin - height;
  switch (taskbar) {
    case TaskbarEdge::kTop: return {right, top};
    case TaskbarEdge::kLeft: return {left, bottom};
    case TaskbarEdge::kBottom:
    case TaskbarEdge::kRight: break;
  }
  return {right, bottom};
}

}  // namespace keyloom
