#include "device/hid_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/text.h"
#include "device/hid_descriptor.h"

namespace keyloom {

namespace {

// Larger than any report a full-speed or high-speed HID interface carries.
constexpr size_t kMaxReport = 4096;

// A file descriptor that closes itself; copies are deleted.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { Reset(); }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::optional<std::string> ReadSmallFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return std::nullopt;
  std::string bytes;
  // sysfs report descriptors are at most 4 KiB, uevents far less.
  bytes.resize(16384);
  f.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (f.bad()) return std::nullopt;
  bytes.resize(static_cast<size_t>(f.gcount()));
  return bytes;
}

std::optional<uint16_t> ParseHexId(std::string_view field) {
  if (field.empty() || field.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : field) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  if (value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

// "hidraw12" -> 12; nothing for any other name.
std::optional<unsigned> HidrawNumber(std::string_view name) {
  constexpr std::string_view kPrefix = "hidraw";
  if (name.substr(0, kPrefix.size()) != kPrefix || name.size() == kPrefix.size() || name.size() > 12)
    return std::nullopt;
  unsigned n = 0;
  for (char c : name.substr(kPrefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Milliseconds left until `deadline`, for poll(); -1 waits without a limit.
int RemainingMs(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline -
                                                                         std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, 1 << 30));
}

// An open node, and what other programs' exclusive holds lock: the node
// itself, or for a test's socket a file beside it.
struct OpenedNode {
  Fd fd;
  Fd lock;  // none: the node's own descriptor
};

OpenedNode OpenNode(const std::string& node, const HidOpenOptions& options) {
  struct stat st {};
  if (::stat(node.c_str(), &st) != 0) return {};
  if (S_ISSOCK(st.st_mode)) {
    // A test's stand-in for a device node: one message per report, like hidraw.
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (node.size() >= sizeof addr.sun_path) return {};
    std::memcpy(addr.sun_path, node.c_str(), node.size() + 1);
    Fd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) return {};
    // A non-blocking connect to a listening Unix socket completes at once or
    // fails (EAGAIN when the backlog is full): nothing here can block.
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return {};
    // A socket's own lock is not shared by the processes that connect to it.
    Fd lock(::open((node + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    return {std::move(fd), std::move(lock)};
  }
  // hidraw knows no sharing modes; share_read_only has no counterpart.
  int flags = O_CLOEXEC | O_NONBLOCK;
  if (options.read && options.write) flags |= O_RDWR;
  else if (options.write) flags |= O_WRONLY;
  else if (options.read) flags |= O_RDONLY;
  else flags |= O_PATH;
  return {Fd(::open(node.c_str(), flags)), Fd()};
}

class HidrawDevice final : public DescriptorHidDevice {
 public:
  HidrawDevice(OpenedNode node, Fd wake, HidAttributes attributes, HidReportDescriptor descriptor)
      : DescriptorHidDevice(std::move(descriptor)),
        fd_(std::move(node.fd)),
        lock_(std::move(node.lock)),
        wake_(std::move(wake)),
        attributes_(attributes) {}

  HidAttributes Attributes() const override { return attributes_; }

  int Read(uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    *done = 0;
    if (length == 0) return 0;
    const auto deadline = Deadline(timeout_ms);
    // hidraw leaves out the report-id byte of interfaces that use none.
    const size_t lead = descriptor().uses_report_ids ? 0 : 1;
    uint8_t report[kMaxReport];
    for (;;) {
      if (!WaitFor(POLLIN, deadline)) return 0;
      const ssize_t n = ::read(fd_.get(), report, sizeof report);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return 0;  // the interface went away (a socket's peer closed: 0)
      if (lead) buffer[0] = 0;
      const size_t copied = std::min(static_cast<size_t>(n), length - lead);
      std::memcpy(buffer + lead, report, copied);
      // Like the platform's read, a report always fills the input report
      // length: a shorter one is padded with zeros.
      std::fill(buffer + lead + copied, buffer + length, 0);
      *done = length;
      return 1;
    }
  }

  int Write(const uint8_t* buffer, size_t length, size_t* done, int timeout_ms) override {
    *done = 0;
    if (length == 0) return 0;
    const auto deadline = Deadline(timeout_ms);
    for (;;) {
      if (!WaitFor(POLLOUT, deadline)) return 0;
      // Byte 0 is the report id, 0 for an interface without ids: hidraw
      // takes the report in that same shape.
      const ssize_t n = ::write(fd_.get(), buffer, length);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n < 0 || static_cast<size_t>(n) != length) return 0;
      *done = length;
      return 1;
    }
  }

  void Abort() override {
    aborted_ = true;
    // The counter stays non-zero, so every later wait ends at once too.
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_.get(), &one, sizeof one);
  }

  // An advisory lock on the node: every program of ours takes it around an
  // exchange, so two programs never mix their frames. The system drops it
  // when the holder closes the node or dies.
  bool LockExclusive(int timeout_ms) override {
    const int fd = lock_ ? lock_.get() : fd_.get();
    const auto deadline = Deadline(timeout_ms);
    for (;;) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        locked_ = true;
        return true;
      }
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) return true;  // no lock to be had here: nothing to wait for
      if (aborted_) return true;              // the transfers will fail on their own
      if (deadline && std::chrono::steady_clock::now() >= *deadline) return false;
      // The holder's exchange ends within milliseconds; look again soon.
      pollfd wake{wake_.get(), POLLIN, 0};
      ::poll(&wake, 1, 2);
    }
  }

  void UnlockExclusive() override {
    if (!locked_) return;
    locked_ = false;
    ::flock(lock_ ? lock_.get() : fd_.get(), LOCK_UN);
  }

  void DiscardPendingInput() override {
    uint8_t report[kMaxReport];
    // The node is non-blocking: read until nothing is queued.
    for (int i = 0; i < 1024; ++i) {
      const ssize_t n = ::read(fd_.get(), report, sizeof report);
      if (n > 0 || (n < 0 && errno == EINTR)) continue;
      break;
    }
  }

 private:
  using Deadline_t = std::optional<std::chrono::steady_clock::time_point>;
  static Deadline_t Deadline(int timeout_ms) {
    if (timeout_ms < 0) return std::nullopt;
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  }

  // Waits until the node is ready for `events`. False on abort, time limit,
  // or an interface that is gone.
  bool WaitFor(short events, Deadline_t deadline) {
    for (;;) {
      if (aborted_) return false;
      pollfd fds[2] = {{fd_.get(), events, 0}, {wake_.get(), POLLIN, 0}};
      const int r = ::poll(fds, 2, RemainingMs(deadline));
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0 || fds[1].revents != 0) return false;
      if (fds[0].revents & events) return true;
      if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    }
  }

  Fd fd_;
  Fd lock_;
  Fd wake_;
  const HidAttributes attributes_;
  bool locked_ = false;  // touched only by the thread of the exchange
  std::atomic<bool> aborted_{false};
};

class LinuxHidBackend final : public HidBackend {
 public:
  explicit LinuxHidBackend(LinuxHidRoots roots) : roots_(std::move(roots)) {}

  bool Enumerate(std::vector<std::u16string>& paths) override {
    paths.clear();
    const std::string dir = ClassDir();
    DIR* d = ::opendir(dir.c_str());
    // Without the hidraw class no HID interface is present at all.
    if (!d) return errno == ENOENT;
    std::vector<std::pair<unsigned, std::string>> found;
    while (const dirent* e = ::readdir(d)) {
      if (auto n = HidrawNumber(e->d_name)) found.emplace_back(*n, e->d_name);
    }
    ::closedir(d);
    std::sort(found.begin(), found.end());
    for (const auto& [n, name] : found) paths.push_back(Utf8ToUtf16(roots_.dev + "/" + name));
    return true;
  }

  std::shared_ptr<HidDevice> Open(const std::u16string& path, const HidOpenOptions& options) override {
    const std::string node = Utf16ToUtf8(path);
    const std::string name = BaseName(node);
    if (!HidrawNumber(name)) return nullptr;
    const std::optional<HidAttributes> ids = IdsOfName(name);
    if (!ids) return nullptr;
    const auto descriptor_bytes = ReadSmallFile(DeviceDir(name) + "/report_descriptor");
    if (!descriptor_bytes) return nullptr;
    auto descriptor = ParseReportDescriptor(
        std::span(reinterpret_cast<const uint8_t*>(descriptor_bytes->data()), descriptor_bytes->size()));
    if (!descriptor) return nullptr;
    OpenedNode opened = OpenNode(node, options);
    if (!opened.fd) return nullptr;
    Fd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake) return nullptr;
    return std::make_shared<HidrawDevice>(std::move(opened), std::move(wake), *ids, std::move(*descriptor));
  }

  bool Probe(const std::u16string& path) override {
    const std::string node = Utf16ToUtf8(path);
    const std::string name = BaseName(node);
    struct stat st {};
    if (!HidrawNumber(name) || ::stat((ClassDir() + "/" + name).c_str(), &st) != 0) return false;
    Fd fd(::open(node.c_str(), O_PATH | O_CLOEXEC));
    return static_cast<bool>(fd);
  }

  std::optional<HidAttributes> IdsOfPath(const std::u16string& path) override {
    // Node paths never spell "vid_"/"pid_": always answer, 0 when unreadable.
    return IdsOfName(BaseName(Utf16ToUtf8(path))).value_or(HidAttributes{});
  }

 private:
  std::string ClassDir() const { return roots_.sysfs + "/class/hidraw"; }
  std::string DeviceDir(const std::string& name) const { return ClassDir() + "/" + name + "/device"; }
  std::optional<HidAttributes> IdsOfName(const std::string& name) const {
    if (!HidrawNumber(name)) return std::nullopt;
    const auto uevent = ReadSmallFile(DeviceDir(name) + "/uevent");
    if (!uevent) return std::nullopt;
    return ParseHidUevent(*uevent);
  }

  const LinuxHidRoots roots_;
};

}  // namespace

std::optional<HidAttributes> ParseHidUevent(std::string_view uevent) {
  constexpr std::string_view kKey = "HID_ID=";
  size_t at = 0;
  while (at < uevent.size()) {
    size_t end = uevent.find('\n', at);
    if (end == std::string_view::npos) end = uevent.size();
    std::string_view line = uevent.substr(at, end - at);
    at = end + 1;
    if (line.substr(0, kKey.size()) != kKey) continue;
    line.remove_prefix(kKey.size());
    // bus:vendor:product, each in hexadecimal.
    const size_t c1 = line.find(':');
    const size_t c2 = c1 == std::string_view::npos ? c1 : line.find(':', c1 + 1);
    if (c2 == std::string_view::npos) return std::nullopt;
    const auto vid = ParseHexId(line.substr(c1 + 1, c2 - c1 - 1));
    const auto pid = ParseHexId(line.substr(c2 + 1));
    if (!vid || !pid) return std::nullopt;
    return HidAttributes{*vid, *pid, 0};
  }
  return std::nullopt;
}

std::unique_ptr<HidBackend> MakeLinuxHidBackend(LinuxHidRoots roots) {
  return std::make_unique<LinuxHidBackend>(std::move(roots));
}

}  // namespace keyloom
