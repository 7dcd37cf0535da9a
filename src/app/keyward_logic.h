// Keyward, the companion Keyloom starts hidden beside itself: a small notice
// near the notification area, for two seconds, when Caps Lock, Num Lock or
// Scroll Lock changes state or the keyboard's onboard profile changes. It
// never talks to the keyboard: Keyloom tells it about profile changes
// (ui/main/keyward_link.h), and it ends when Keyloom's mutex is gone.
//
// The decisions live here; keyward_win32.h samples the lock keys and the
// mutex on a timer, draws the notice and forwards Keyloom's message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "model/text_source.h"
#include "ui/controls/screen_geometry.h"

namespace keyloom {

// Keeps a second Keyward from starting.
inline constexpr std::u16string_view kKeywardMutexName = u"TQ52H09D-1.Keyward";
inline constexpr int64_t kNoticeMs = 2000;
// How often the lock keys, the notice's end and Keyloom's mutex are looked
// at: a change shows within this time, and Keyward ends within it once
// Keyloom is gone.
inline constexpr int kKeywardTickMs = 100;

struct LockKeys {
  bool caps = false;
  bool num = false;
  bool scroll = false;
  bool operator==(const LockKeys&) const = default;
};

// How a notice is marked: a key switched on, switched off, or news.
enum class NoticeTone { kOn, kOff, kInfo };

struct Notice {
  std::u16string text;  // one line per change
  NoticeTone tone = NoticeTone::kInfo;
};

class KeywardView {
 public:
  virtual ~KeywardView() = default;
  // Shows `notice` in place of whatever shows, without taking the focus.
  virtual void ShowNotice(const Notice& notice) = 0;
  virtual void HideNotice() = 0;
  // Ends the program.
  virtual void Quit() = 0;
};

class KeywardLogic {
 public:
  KeywardLogic(KeywardView& view, const TextSource& texts, const Clock& clock)
      : view_(view), texts_(texts), clock_(clock) {}

  // The lock keys as they are when Keyward starts: remembered, not shown.
  void Start(LockKeys initial);
  // A new sample of the lock keys: every key that changed since the last
  // sample is shown.
  void OnLockKeys(LockKeys now);
  // Keyloom's message; shows "Profile N" for profile N - 1. False when the
  // tag is not 'PROF' or the profile is not 0..2 (nothing shown).
  bool OnProfileMessage(uint64_t tag, int64_t profile);
  // Runs every kKeywardTickMs: ends the notice after its two seconds, and
  // the program once Keyloom no longer runs.
  void OnTick(bool keyloom_running);

  bool notice_shown() const { return shown_; }

 private:
  void Show(Notice notice);

  KeywardView& view_;
  const TextSource& texts_;
  const Clock& clock_;
  LockKeys last_;
  bool shown_ = false;
  bool quit_ = false;
  int64_t hide_at_ = 0;
};

// The notice's texts, from the language file, in English when it lacks them.
std::u16string LockNoticeText(const TextSource& texts, int key /*0 caps, 1 num, 2 scroll*/, bool on);
std::u16string ProfileNoticeText(const TextSource& texts, int profile);

// Where the notice goes: in the corner of the work area nearest the
// notification area, `margin` pixels in from both edges.
enum class TaskbarEdge { kBottom, kTop, kLeft, kRight };
ScreenPoint NoticePosition(ScreenRect work_area, TaskbarEdge taskbar, int width, int height, int margin);

}  // namespace keyloom
