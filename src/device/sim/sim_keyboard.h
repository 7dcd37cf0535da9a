// The simulated keyboard: the firmware's side of the command protocol for
// both models, its three HID interfaces (boot keyboard, consumer control,
// vendor), the physical actions a person performs on it, and fault injection.
// It backs the demo mode (KEYLOOM_SIMULATE=A|B) and every protocol test.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "device/frame.h"
#include "device/keyboard_link.h"

namespace keyloom {

// The keyboard's memory, laid out as the commands address it.
struct SimMemory {
  std::array<uint8_t, kSettingsSize> settings{};
  std::array<uint8_t, 126> params{};     // three 42-byte lighting records
  std::vector<uint8_t> keymaps;          // 3 x profile stride
  std::vector<uint8_t> macros;           // the macro capacity
  std::vector<uint8_t> default_keymap;   // key-map size
  std::array<uint8_t, 3 * 512> keycolors{};
  bool boot_mode = false;
};

// The model's memory as it leaves the factory.
SimMemory FactoryMemory(const KeyboardModel& model);

enum class SimInterface { kBoot, kConsumer, kVendor };

// Consumer usages the keyboard sends on its own.
inline constexpr uint16_t kNotifyLighting = 0x0401;
inline constexpr uint16_t kNotifyProfile = 0x0402;
inline constexpr uint16_t kNotifyTemporaryOff = 0x1810;
inline constexpr uint16_t kNotifyTemporaryOn = 0x1811;

class SimKeyboard {
 public:
  SimKeyboard(const KeyboardModel& model, Clock& clock);
  SimKeyboard(const SimKeyboard&) = delete;
  SimKeyboard& operator=(const SimKeyboard&) = delete;

  const KeyboardModel& model() const { return model_; }

  // Memory, for tests and tools.
  SimMemory Memory() const;
  void EditMemory(const std::function<void(SimMemory&)>& edit);
  // Every frame received on the vendor interface, in order.
  std::vector<CommandFrame> Trace() const;
  void ClearTrace();

  ~SimKeyboard();  // writes what is not written yet

  // Keeps the memory in `dir` between processes: raw little-endian files,
  // loaded at plug-in and written through the save routine when memory
  // changed (after the frame, or at the end of the exchange it belongs to,
  // and at unplug). A missing file takes the factory contents. A file that
  // cannot be read, or has the wrong size, is reported; the keyboard then
  // runs on the factory contents and writes none of its files, so the one
  // it could not read is not lost. A file that cannot be written is
  // reported too.
  void SetStateDir(std::filesystem::path dir);
  // Where those reports go (by default nowhere; the programs print them).
  void SetProblemReporter(std::function<void(const std::string&)> report);
  // Every report so far.
  std::vector<std::string> Problems() const;

  // Physical actions.
  void Plug();
  void Unplug();
  bool plugged() const;
  void SwitchProfileOnKeyboard(int profile);  // notification 0x0402
  void ChangeLightingOnKeyboard(uint8_t mode);  // notification 0x0401
  void EnterTemporaryState();  // notification 0x1811
  void LeaveTemporaryState();  // notification 0x1810
  // Sends one consumer usage on the notification interface, then "all up".
  void SendConsumerUsage(uint16_t usage);

  // Fault injection. Frames are the reports written to the vendor
  // interface, every retry included, counted from the call: k = 1 is the
  // next one.
  void DropReplies(int count);             // the next `count` frames get no reply
  void DropRepliesAt(int k, int count);    // frames k .. k+count-1 get no reply
  void ReplyStatusAt(int k, uint8_t status);
  void StallWrites(bool stall);            // every write waits until its limit (or until cleared)
  void StallWriteAt(int k);                // frame k's write waits until its limit and is lost
  enum class UnplugMoment {
    kBeforeFrame,  // frame k never arrives: its write fails
    kAtFrame,      // frame k is taken, its reply never comes
    kAfterReply,   // frame k is taken and answered; the keyboard goes when the reply is read
  };
  void UnplugAt(int k, UnplugMoment moment);
  void UnplugAfterFrames(int k) { UnplugAt(k, UnplugMoment::kAtFrame); }
  // Frame k's reply arrives `extra_ms` later than the latency says: past the
  // reply limit it lands while the program waits for a later frame's reply.
  void DelayReplyAt(int k, int extra_ms);
  // Each report takes `ms` on the keyboard's clock: a write completes `ms`
  // after it starts and its reply arrives `ms` after that. 1 ms models a
  // full-speed USB interrupt endpoint.
  void SetLatencyMs(int ms);
  // A report nobody asked for, waiting in the input queue (a reply that came
  // after its time limit).
  void QueueUnaskedReport(const CommandFrame& report);
  // Random pauses of 0..max_us microseconds of real time before each report
  // in and out, from `seed`: widens the windows in which two threads race.
  void SetJitterUs(int max_us, uint32_t seed);
  // Called for every frame the keyboard takes, with its number (1 for the
  // first frame since the keyboard was made), on the writing thread and
  // under the keyboard's lock, as it arrives and before it is answered (for
  // tests that check what is true at that moment): the hook must not call
  // the keyboard.
  void SetFrameHook(std::function<void(int frame, const CommandFrame& request)> hook);
  // Frames taken so far (the number the next one gets, minus one).
  int frames_seen() const;

  // --- used by the simulated HID backend ---
  // A generation number that changes at every plug and unplug: an interface
  // opened in another generation is gone.
  uint64_t generation() const;
  bool Alive(uint64_t generation) const;
  int Write(SimInterface iface, uint64_t generation, const std::atomic<bool>& aborted,
            std::span<const uint8_t> report, int timeout_ms);
  int Read(SimInterface iface, uint64_t generation, const std::atomic<bool>& aborted,
           std::span<uint8_t> out, size_t* done, int timeout_ms);
  void Wake();  // wakes waiting reads after an abort
  void DiscardInput(SimInterface iface);

 private:
  std::optional<CommandFrame> Process(const CommandFrame& request, bool& changed);
  bool Area(uint8_t command, std::span<uint8_t>& area);
  void Notify(uint16_t usage);
  void LoadState();
  // Writes the files of the areas marked changed (all when `all`).
  void SaveState(bool all = false);
  void Report(const std::string& problem);
  void UnplugLocked();
  // An input report and the time (on the keyboard's clock) it arrives.
  struct InReport {
    std::vector<uint8_t> bytes;
    int64_t ready_at = 0;
    bool unplug_when_read = false;
  };
  using InQueue = std::deque<InReport>;
  InQueue& Queue(SimInterface iface);
  void Enqueue(InQueue& queue, InReport report);
  bool Arrived(const InQueue& queue) const;
  void Jitter();
  enum class FaultKind { kDrop, kStatus, kStall, kUnplugBefore, kUnplugAt, kUnplugAfterReply, kDelay };
  struct Fault {
    int frame;
    FaultKind kind;
    int value;
  };
  // The value of the fault of `kind` planned for frame `n`, if any.
  std::optional<int> FaultAt(int n, FaultKind kind) const;
  void AddFault(int k, FaultKind kind, int value);

  const KeyboardModel model_;
  Clock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  SimMemory memory_;
  bool plugged_ = false;
  uint64_t generation_ = 1;
  InQueue vendor_in_, consumer_in_, boot_in_;
  uint64_t queue_version_ = 0;  // changes whenever a report is queued
  std::vector<CommandFrame> trace_;
  std::optional<std::filesystem::path> state_dir_;
  bool state_writable_ = true;  // false once a state file could not be read
  bool in_exchange_ = false;    // between begin and end: writes wait for the end
  unsigned dirty_ = 0;          // areas changed since they were written (bit per state file)
  unsigned write_failed_ = 0;   // state files whose last write failed (reported once)
  bool snapshot_written_ = false;  // every file written once since the folder was set or read
  std::function<void(const std::string&)> report_;
  std::vector<std::string> problems_;
  int drop_replies_ = 0;
  std::vector<Fault> faults_;
  int frames_ = 0;  // vendor frames seen, every retry and stalled write included
  bool stall_writes_ = false;
  std::atomic<int> latency_ms_{0};
  std::atomic<int> jitter_us_{0};
  std::atomic<uint32_t> jitter_state_{0};
  std::function<void(int, const CommandFrame&)> frame_hook_;
};

}  // namespace keyloom
