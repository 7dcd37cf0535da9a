// The date and time on the user's wall clock (local time), for names the
// user reads, such as the automatic backups'. Tests pass their own.
#pragma once

namespace keyloom {

struct LocalDateTime {
  int year = 1970;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Now, in local time (wall_clock_posix.cpp, wall_clock_win32.cpp).
LocalDateTime LocalNow();

}  // namespace keyloom
