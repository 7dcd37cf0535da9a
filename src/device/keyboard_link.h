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
inline constexpr int kSettingsSize = 44;

class KeyboardLink {
 public:
  KeyboardLink(HidBackend& backend, Clock& clock) : hid(backend), clock(clock) {}

  // 1 while the command interface of a supported keyboard is open; set and
  // cleared only by the keyboard watcher.
  std::atomic<int> connected{0};
  HidInterface hid;
  // Serialises every exchange with the keyboard: held over a whole
  // transaction (all its attempts), so two threads never take each other's
  // replies. Taken after the key stores' locks, never before.
  std::mutex device_lock;
  Clock& clock;

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
  mutable std::mutex matrix_mutex_;
  std::array<uint8_t, kDefaultMatrixBytes> default_matrix_ = kBuiltInDefaultMatrix;
};

}  // namespace keyloom
