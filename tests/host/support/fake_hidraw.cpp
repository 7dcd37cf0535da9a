#if defined(__linux__)

#include "support/fake_hidraw.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <list>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "device/hid_descriptor.h"
#include "device/sim/sim_backend.h"

namespace keyloom::testing {

namespace {

void WriteFile(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Waits until `fd` is readable or `stop` is signalled; false on stop.
bool WaitReadable(int fd, int stop) {
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stop, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents) return false;
    if (fds[0].revents) return true;
  }
}

}  // namespace

thread_local int FakeHidrawTree::current_connection = 0;

// One node: a listening socket, per accepted connection a thread that hands
// its reports to the keyboard, and one thread that sends each report of the
// keyboard to every open connection, as hidraw gives every open node a copy.
struct FakeHidrawTree::Node {
  struct Connection {
    int fd = -1;
    int number = 0;
    std::atomic<bool> aborted{false};
    std::thread inbound;
  };

  SimKeyboard* keyboard = nullptr;
  SimInterface iface = SimInterface::kBoot;
  HidReportDescriptor descriptor;
  int listen_fd = -1;
  int stop_fd = -1;
  std::thread acceptor;
  std::mutex mutex;
  std::list<Connection> connections;
  int connections_made = 0;
  std::thread pump;
  bool pump_running = false;  // under mutex
  std::atomic<bool> pump_stop{false};

  void Start() {
    stop_fd = ::eventfd(0, EFD_CLOEXEC);
    acceptor = std::thread([this] { Accept(); });
  }

  void Accept() {
    while (WaitReadable(listen_fd, stop_fd)) {
      const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::unique_lock lock(mutex);
      Connection& c = connections.emplace_back();
      c.fd = fd;
      c.number = ++connections_made;
      c.inbound = std::thread([this, &c] { Inbound(c); });
      if (keyboard && !pump_running) {
        // A pump that ended with an unplug is started again for the new one.
        pump_running = true;
        lock.unlock();
        if (pump.joinable()) pump.join();
        pump = std::thread([this] { Pump(); });
      }
    }
  }

  void Inbound(Connection& c) {
    current_connection = c.number;
    const uint64_t generation = keyboard ? keyboard->generation() : 0;
    std::vector<uint8_t> report(4096);
    while (!c.aborted && WaitReadable(c.fd, stop_fd)) {
      const ssize_t n = ::recv(c.fd, report.data(), report.size(), 0);
      if (n <= 0) break;  // the program closed the node
      if (keyboard && !keyboard->Write(iface, generation, c.aborted, {report.data(), static_cast<size_t>(n)}, -1))
        break;
    }
    c.aborted = true;
    if (keyboard) keyboard->Wake();
    ::shutdown(c.fd, SHUT_RDWR);
  }

  void Pump() {
    const uint64_t generation = keyboard->generation();
    std::vector<uint8_t> report(descriptor.input_report_length);
    // hidraw leaves out the report-id byte of an interface that uses none.
    const size_t skip = descriptor.uses_report_ids ? 0 : 1;
    size_t done = 0;
    while (!pump_stop && keyboard->Read(iface, generation, pump_stop, report, &done, -1)) {
      std::lock_guard lock(mutex);
      for (Connection& c : connections)
        if (!c.aborted) ::send(c.fd, report.data() + skip, report.size() - skip, MSG_NOSIGNAL);
    }
    // An unplugged keyboard: the programs see their nodes close.
    std::lock_guard lock(mutex);
    for (Connection& c : connections) ::shutdown(c.fd, SHUT_RDWR);
    pump_running = false;
  }

  void Stop() {
    if (stop_fd >= 0) {
      const uint64_t one = 1;
      [[maybe_unused]] ssize_t n = ::write(stop_fd, &one, sizeof one);
    }
    if (acceptor.joinable()) acceptor.join();
    pump_stop = true;
    if (keyboard) keyboard->Wake();
    if (pump.joinable()) pump.join();
    for (Connection& c : connections) {
      c.aborted = true;
      ::shutdown(c.fd, SHUT_RDWR);
    }
    if (keyboard) keyboard->Wake();
    for (Connection& c : connections) {
      if (c.inbound.joinable()) c.inbound.join();
      ::close(c.fd);
    }
    connections.clear();
    if (listen_fd >= 0) ::close(listen_fd);
    if (stop_fd >= 0) ::close(stop_fd);
    listen_fd = stop_fd = -1;
  }
};

FakeHidrawTree::FakeHidrawTree() {
  char pattern[] = "/tmp/keyloom-hidraw-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  std::filesystem::create_directories(root_ / "sys/class/hidraw");
  std::filesystem::create_directories(root_ / "dev");
}

FakeHidrawTree::~FakeHidrawTree() {
  for (auto& [node, n] : nodes_) n->Stop();
  nodes_.clear();
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

LinuxHidRoots FakeHidrawTree::roots() const { return {(root_ / "sys").string(), (root_ / "dev").string()}; }

std::string FakeHidrawTree::Add(uint16_t vendor_id, uint16_t product_id, std::span<const uint8_t> descriptor,
                                SimKeyboard* keyboard, SimInterface iface, const std::string* uevent) {
  const std::string name = "hidraw" + std::to_string(next_number_++);
  const auto device = root_ / "sys/class/hidraw" / name / "device";
  std::filesystem::create_directories(device);
  char id[64];
  std::snprintf(id, sizeof id, "HID_ID=0003:%08X:%08X\n", vendor_id, product_id);
  WriteFile(device / "uevent", uevent ? *uevent : std::string("DRIVER=hid-generic\n") + id + "HID_NAME=Fake\n");
  WriteFile(device / "report_descriptor",
            std::string_view(reinterpret_cast<const char*>(descriptor.data()), descriptor.size()));

  auto node = std::make_unique<Node>();
  node->keyboard = keyboard;
  node->iface = iface;
  if (auto d = ParseReportDescriptor(descriptor)) node->descriptor = *d;
  const std::string path = (root_ / "dev" / name).string();
  node->listen_fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) throw std::runtime_error("socket path too long");
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::bind(node->listen_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(node->listen_fd, 16) != 0)
    throw std::runtime_error("cannot serve " + path);
  node->Start();
  nodes_[path] = std::move(node);
  return path;
}

void FakeHidrawTree::AddKeyboard(SimKeyboard& keyboard) {
  const KeyboardModel& m = keyboard.model();
  for (SimInterface iface : {SimInterface::kBoot, SimInterface::kConsumer, SimInterface::kVendor})
    keyboard_nodes_[iface] = Add(m.vendor_id, m.product_id, SimReportDescriptor(iface), &keyboard, iface);
}

std::string FakeHidrawTree::NodeOf(SimInterface iface) const {
  auto it = keyboard_nodes_.find(iface);
  return it == keyboard_nodes_.end() ? std::string() : it->second;
}

void FakeHidrawTree::Remove(const std::string& path) {
  auto it = nodes_.find(path);
  if (it == nodes_.end()) return;
  const std::string name = std::filesystem::path(path).filename().string();
  std::error_code ec;
  std::filesystem::remove_all(root_ / "sys/class/hidraw" / name, ec);
  std::filesystem::remove(path, ec);
  it->second->Stop();
  nodes_.erase(it);
}

void FakeHidrawTree::RemoveKeyboard() {
  for (const auto& [iface, path] : keyboard_nodes_) Remove(path);
  keyboard_nodes_.clear();
}

}  // namespace keyloom::testing

#endif
