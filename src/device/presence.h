// Following the keyboard: the watcher finds the command interface, keeps it
// open, notices removal within about 100 ms and reports every change; the
// notification reader turns the keyboard's own consumer reports into timers
// and tray images. Neither touches a window: both speak to a PresenceSink.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "base/clock.h"
#include "device/command_set.h"
#include "device/keyboard_link.h"

namespace keyloom {

// Tray images (icon resources).
inline constexpr int kTrayNoKeyboard = 128;
inline constexpr int kTrayKeyboard = 141;
inline constexpr int kTrayTemporary = 142;
// Main-window timers the notification reader starts.
inline constexpr int kTimerLightingChanged = 1051;
inline constexpr int kTimerProfileChanged = 1053;

// What the main window and the tray offer the keyboard threads. The Win32
// implementation sends or posts the window messages; tests record the calls.
class PresenceSink {
 public:
  virtual ~PresenceSink() = default;
  virtual void SendArrival() = 0;   // message 0x5452 'PROF', sent (waits for the window)
  virtual void SendRemoval() = 0;   // message 0x4753, sent
  virtual void PostOpen() = 0;      // message 0x5350 'OPEN', posted
  virtual void HideMainWindow() = 0;
  virtual void SetTrayImage(int icon) = 0;
  // Starts a one-shot main-window timer; the window runs it on its own thread.
  virtual void StartTimer(int id) = 0;
  // Shows the language text `text_key` in a message box (OK, program title).
  virtual void ShowMessage(std::u16string_view text_key) = 0;
};

// Flags shared by the keyboard threads and the window.
struct PresenceState {
  std::atomic<int> quiet_start{0};        // 1: never open the window by itself
  std::atomic<int> last_reported{0};      // last presence reported to the window
  std::atomic<int> remembered_tray_image{kTrayNoKeyboard};
};

// Whether a path names a supported keyboard: the hexadecimal ids after the
// first "vid_" and "pid_" (any case), or the ids the backend reports for it.
bool IsCandidatePath(HidBackend& backend, const std::u16string& path);

// A stop request that interrupts sleeps.
class StopSignal {
 public:
  void Stop();
  bool stopped() const { return stopped_; }
  // Sleeps `ms` on `clock`; returns false at once when stopped.
  bool Sleep(Clock& clock, int64_t ms);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::atomic<bool> stopped_{false};
};

class KeyboardWatcher {
 public:
  KeyboardWatcher(KeyboardLink& link, CommandSet& commands, PresenceState& state, PresenceSink& sink)
      : link_(link), commands_(commands), state_(state), sink_(sink) {}

  // The thread body: probe, then check or scan until stopped or until an
  // enumeration fails.
  void Run(StopSignal& stop);

  // The steps of Run, for tests. Each returns false when an enumeration
  // failed (the thread would end).
  bool Probe();
  bool Step();
  int PeriodMs() const { return link_.connected ? 100 : 1000; }

  // Reports arrival (1) or removal (0) to the window; repeats are ignored.
  void OnKeyboardPresence(int present);

 private:
  bool Scan();
  void Check();
  bool OpenMatching();

  KeyboardLink& link_;
  CommandSet& commands_;
  PresenceState& state_;
  PresenceSink& sink_;
  bool first_scan_done_ = false;
};

class NotificationReader {
 public:
  NotificationReader(HidBackend& backend, Clock& clock, PresenceState& state, PresenceSink& sink)
      : hid_(backend), clock_(clock), state_(state), sink_(sink) {}

  void Run(StopSignal& stop);
  // One pass over the interfaces; reads the keyboard's consumer interface
  // until a read fails. False when the enumeration failed.
  bool ScanOnce(StopSignal& stop);
  // Acts on the first consumer usage that is on in one report.
  void Act(uint16_t usage);
  // Cuts a read in progress short (for stopping).
  void Interrupt() { hid_.Close(); }

 private:
  HidInterface hid_;
  Clock& clock_;
  PresenceState& state_;
  PresenceSink& sink_;
};

// Runs the watcher and the notification reader on their own threads (the
// reader started first); the destructor stops and joins both.
//
// The watcher waits inside the sink while it sends arrival and removal to
// the window: a window thread that simply joined it would wait for a thread
// that waits for the window. The window stops the threads with
// StopWhileServing, which keeps serving what they send until both ended.
class PresenceThreads {
 public:
  PresenceThreads(KeyboardLink& link, CommandSet& commands, PresenceState& state, PresenceSink& sink,
                  HidBackend& backend);
  ~PresenceThreads();
  PresenceThreads(const PresenceThreads&) = delete;
  PresenceThreads& operator=(const PresenceThreads&) = delete;

  // Asks both threads to end and cuts the reader's endless read short;
  // returns at once.
  void RequestStop();
  // Waits up to `ms` for both threads to have ended; true when they have.
  bool WaitEnded(int ms);
  // Stops the threads; meanwhile `serve(ms)` is called again and again: it
  // handles whatever the threads sent to the calling thread, waiting up to
  // `ms` for something to arrive. Returns when both ended.
  void StopWhileServing(const std::function<void(int ms)>& serve);
  // Stops and joins. Only for a thread the sink never waits for.
  void Stop();

 private:
  void Ended();

  KeyboardWatcher watcher_;
  NotificationReader reader_;
  StopSignal stop_;
  std::mutex ended_mutex_;
  std::condition_variable ended_cv_;
  int running_ = 2;
  std::thread reader_thread_;
  std::thread watcher_thread_;
};

}  // namespace keyloom
