// HID interfaces through Linux hidraw.
//
// Interfaces are the entries of <sysfs>/class/hidraw; an interface's path is
// its device node <dev>/hidrawN. Vendor and product come from the HID device's
// uevent (HID_ID), the top-level usage and the report lengths from its report
// descriptor file, so nothing has to be opened to decide whether an interface
// is a candidate. Reports cross the node whole, report-id byte first, as on
// every other backend (an interface without report ids gets a 0 in front).
//
// Both roots are parameters: a test builds a sysfs tree in a temporary folder
// whose device nodes are SOCK_SEQPACKET sockets served by the simulated
// keyboard, and the backend connects to such a node instead of opening it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "device/hid.h"

namespace keyloom {

struct LinuxHidRoots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
};

std::unique_ptr<HidBackend> MakeLinuxHidBackend(LinuxHidRoots roots = {});

// Vendor and product from the text of a HID uevent ("HID_ID=0003:00000C45:
// 0000652F"); nothing when the line is missing or malformed.
std::optional<HidAttributes> ParseHidUevent(std::string_view uevent);

}  // namespace keyloom
