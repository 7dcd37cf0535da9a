// A hidraw machine in a temporary folder: a sysfs tree (class/hidraw/hidrawN
// with the HID device's uevent and report descriptor) and a /dev folder whose
// nodes are SOCK_SEQPACKET sockets. The simulated keyboard serves its
// interfaces' nodes; other nodes accept a connection and never answer. The
// Linux backend runs against it unchanged.
#pragma once

#if defined(__linux__)

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "device/hid_linux.h"
#include "device/sim/sim_keyboard.h"

namespace keyloom::testing {

class FakeHidrawTree {
 public:
  FakeHidrawTree();  // an empty machine in a new temporary folder
  ~FakeHidrawTree();  // stops every node and removes the folder
  FakeHidrawTree(const FakeHidrawTree&) = delete;
  FakeHidrawTree& operator=(const FakeHidrawTree&) = delete;

  LinuxHidRoots roots() const;
  const std::filesystem::path& root() const { return root_; }

  // Adds interface hidrawN (N counts up from 0) and returns its node path.
  // With `keyboard`, that keyboard's interface `iface` answers on the node.
  // `uevent` replaces the usual "HID_ID=0003:0000VVVV:0000PPPP" text.
  std::string Add(uint16_t vendor_id, uint16_t product_id, std::span<const uint8_t> descriptor,
                  SimKeyboard* keyboard = nullptr, SimInterface iface = SimInterface::kBoot,
                  const std::string* uevent = nullptr);
  // Adds the keyboard's boot, consumer and vendor interfaces, in that order.
  void AddKeyboard(SimKeyboard& keyboard);
  std::string NodeOf(SimInterface iface) const;
  // Takes an interface away as an unplug does: its sysfs entry and node go
  // and open connections are closed.
  void Remove(const std::string& node);
  void RemoveKeyboard();

  // On the thread that hands a connection's reports to the keyboard: the
  // connection's number on its node (1 for the first), so a frame hook can
  // tell whose frame it sees. 0 on every other thread.
  static thread_local int current_connection;

 private:
  struct Node;
  std::filesystem::path root_;
  int next_number_ = 0;
  std::map<std::string, std::unique_ptr<Node>> nodes_;
  std::map<SimInterface, std::string> keyboard_nodes_;
};

}  // namespace keyloom::testing

#endif
