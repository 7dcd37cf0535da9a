// The tray icon's picture: 128 without a keyboard, 141 with one, 142 while
// the keyboard reports its temporary state. Called from the keyboard threads
// and the window thread alike; the shell hears only real changes.
//
// The keyboard threads start before the icon exists: a change they ask for
// then is kept as the image to show, and the icon is created with it.
#pragma once

#include <functional>
#include <mutex>

namespace keyloom {

class TrayImageState {
 public:
  static constexpr int kInitialImage = 128;
  static constexpr int kTemporaryImage = 142;

  // mode 0, id != 0: show id and remember it; mode 0, id 0: show the
  // remembered image; mode 1: show the temporary image; other modes: nothing.
  // `show` is called (under the state's lock, so calls keep their order)
  // only when the icon exists and the image differs from the one shown.
  void Set(int mode, int id, const std::function<void(int)>& show) {
    std::lock_guard lock(mutex_);
    int image = 0;
    if (mode == 0) {
      if (id != 0) remembered_ = id;
      image = remembered_;
    } else if (mode == 1) {
      image = kTemporaryImage;
    } else {
      return;
    }
    if (image == current_) return;
    current_ = image;
    if (created_ && show) show(image);
  }

  // Creates the icon through `create` with the image that should show now;
  // `create` returns whether the icon exists. No change slips in between.
  bool CreateIcon(const std::function<bool(int)>& create) {
    std::lock_guard lock(mutex_);
    created_ = create && create(current_);
    return created_;
  }

  // What the keyboard threads ask for (an icon id): the temporary image is
  // mode 1, any other image mode 0.
  void SetFromPresence(int icon, const std::function<void(int)>& show) {
    if (icon == kTemporaryImage) {
      Set(1, 0, show);
    } else {
      Set(0, icon, show);
    }
  }

  // The icon was removed.
  void Reset() {
    std::lock_guard lock(mutex_);
    current_ = remembered_ = kInitialImage;
    created_ = false;
  }

  int current() const {
    std::lock_guard lock(mutex_);
    return current_;
  }
  int remembered() const {
    std::lock_guard lock(mutex_);
    return remembered_;
  }

 private:
  mutable std::mutex mutex_;
  int current_ = kInitialImage;
  int remembered_ = kInitialImage;
  bool created_ = false;
};

}  // namespace keyloom
