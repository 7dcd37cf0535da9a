// The Windows HID backend: SetupAPI enumeration, hid.dll descriptions and
// overlapped report transfers that are cancelled before they return.
#pragma once

#include <memory>

#include "device/hid.h"

namespace keyloom {

std::unique_ptr<HidBackend> MakeWin32HidBackend();

}  // namespace keyloom
