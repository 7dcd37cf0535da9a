#include <windows.h>

#include "base/wall_clock.h"

namespace keyloom {

LocalDateTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace keyloom
