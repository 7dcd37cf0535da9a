// The process-wide record of the keyboard connection: the connected flag,
// the command interface with its device lock, the model's key-map geometry,
// the default key matrix, the macro capacity and the active-profile cache.
// Created once at start-up and passed by reference.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "base/clock.h"
#include "device/default_matrix.h"
#include "device/hid.h"

namespace keyloom {

struct KeyboardModel {
  char letter;
  uint16_t vendor_id;
  uint16_t product_id;
  int keymap_size;  // bytes per profile's key map
  int stride;       // distance between profiles' key maps
};

inline constexpr KeyboardModel kModelA{'A', 0x0C45, 0x652F, 378, 378};
inline constexpr KeyboardModel kModelB{'B', 0x320F, 0x5064, 384, 512};

// The supported model with these ids, or nullptr.
const KeyboardModel* FindModel(uint16_t vendor_id, uint16_t product_id);

inline constexpr uint16_t kVendorUsagePage = 0xFF1C;
inline constexpr uint16_t kVendorUsage = 0x92;
inline constexpr uint16_t kConsumerUsagePage = 0x000C;
inline constexpr uint16_t kConsumerUsage = 0x0001;

inline constexpr int kMaxKeyMapSize = 384;
// Longer than any exchange takes on a keyboard that answers (an apply of
// three profiles with a full macro area is some 170 frames, well under a
// second); shorter than one that does not answer can take.
inline constexpr int kOtherProgramWaitMs = 3000;
inline constexpr int kSettingsSize = 44;

class KeyboardLink {
 public:
  KeyboardLink(HidBackend& backend, Clock& clock) : hid(backend), clock(clock) {}

  // 1 while the command interface of a supported keyboard is open; set and
  // cleared only by the keyboard watcher.
  std::atomic<int> connected{0};
  HidInterface hid;
  // The device lock: one exchange with the keyboard at a time. Taken through
  // KeyboardExchange (below), never directly; taken after the key stores'
  // locks, never before. Recursive, so an exchange can hold it around the
  // transactions it is made of.
  std::recursive_mutex device_lock;
  Clock& clock;
  // How long an exchange waits, in real time, for another program that holds
  // the keyboard, before it gives up with -1 and nothing sent.
  std::atomic<int> other_program_wait_ms{kOtherProgramWaitMs};
  // Set when an exchange gave up because another program held the keyboard;
  // cleared by the next exchange that got it. For callers that explain a -1.
  std::atomic<bool> in_use_by_other_program{false};

  std::atomic<int> keymap_size{378};
  std::atomic<int> stride{378};
  std::atomic<int> macro_capacity{0};         // bytes
  std::atomic<int> active_profile_cache{-1};  // -1: not read yet

  void SetModel(const KeyboardModel& model) {
    keymap_size = model.keymap_size;
    stride = model.stride;
  }

  std::array<uint8_t, kDefaultMatrixBytes> DefaultMatrix() const {
    std::lock_guard lock(matrix_mutex_);
    return default_matrix_;
  }
  // Replaces the first bytes of the matrix (the keyboard's own default key
  // map, read at arrival); the rest keeps what it held.
  void SetDefaultMatrix(std::span<const uint8_t> bytes) {
    std::lock_guard lock(matrix_mutex_);
    const size_t n = std::min(bytes.size(), default_matrix_.size());
    std::copy_n(bytes.begin(), n, default_matrix_.begin());
  }

 private:
  friend class KeyboardExchange;
  // The outermost exchange of the thread that holds the device lock; only
  // that thread touches these.
  int exchange_depth_ = 0;
  bool exchange_refused_ = false;
  HidExclusiveHold other_programs_held_off_;

  mutable std::mutex matrix_mutex_;
  std::array<uint8_t, kDefaultMatrixBytes> default_matrix_ = kBuiltInDefaultMatrix;
};

// One exchange with the keyboard: a transaction with all its attempts, a
// block transfer, or a group of them that the keyboard must see together (a
// begin ... end bracket, the reads of an arrival or an export, the read and
// write of the settings block). While it lives, no other thread of this
// program and no other program (through HidDevice::LockExclusive) sends a
// frame or takes a reply: replies carry nothing that says whose they are,
// and the keyboard would take another sender's frames into a bracket.
// Exchanges nest on one thread; only the outermost one waits for other
// programs.
class KeyboardExchange {
 public:
  explicit KeyboardExchange(KeyboardLink& link) : link_(link), lock_(link.device_lock) {
    if (link_.exchange_depth_++ == 0) {
      link_.other_programs_held_off_ = link_.hid.HoldExclusive(link_.other_program_wait_ms);
      link_.exchange_refused_ = !link_.other_programs_held_off_.held();
      link_.in_use_by_other_program = link_.exchange_refused_;
    }
  }
  ~KeyboardExchange() {
    if (--link_.exchange_depth_ == 0) link_.other_programs_held_off_ = HidExclusiveHold();
  }
  KeyboardExchange(const KeyboardExchange&) = delete;
  KeyboardExchange& operator=(const KeyboardExchange&) = delete;

  // False when another program held the keyboard for longer than the link's
  // wait: nothing may be sent (operations return -1).
  bool held() const { return !link_.exchange_refused_; }

 private:
  KeyboardLink& link_;
  std::lock_guard<std::recursive_mutex> lock_;
};

}  // namespace keyloom
