// The 64-byte vendor report that carries every command and every reply:
//   0 report id (4) | 1-2 checksum | 3 command | 4 length | 5-6 offset |
//   7 status | 8-63 data
// The checksum is the sum of bytes 3..63 modulo 65536, low byte first.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "base/bytes.h"

namespace keyloom {

inline constexpr size_t kFrameSize = 64;
inline constexpr size_t kFrameData = 56;  // data bytes per frame
inline constexpr uint8_t kReportId = 4;

using CommandFrame = std::array<uint8_t, kFrameSize>;

namespace frame {
inline constexpr size_t kChecksum = 1;
inline constexpr size_t kCommand = 3;
inline constexpr size_t kLength = 4;
inline constexpr size_t kOffset = 5;
inline constexpr size_t kStatus = 7;
inline constexpr size_t kData = 8;
}  // namespace frame

inline uint16_t FrameChecksum(std::span<const uint8_t, kFrameSize> f) {
  uint32_t sum = 0;
  for (size_t i = frame::kCommand; i < kFrameSize; ++i) sum += f[i];
  return static_cast<uint16_t>(sum);
}

inline void SealFrame(CommandFrame& f) { StoreU16(&f[frame::kChecksum], FrameChecksum(f)); }

// A zeroed request with the header filled in; the caller adds data and seals.
inline CommandFrame MakeFrame(uint8_t command, uint8_t length, uint16_t offset) {
  CommandFrame f{};
  f[0] = kReportId;
  f[frame::kCommand] = command;
  f[frame::kLength] = length;
  StoreU16(&f[frame::kOffset], offset);
  return f;
}

// Command codes the keyboard understands.
enum class Command : uint8_t {
  kBeginExchange = 1,
  kEndExchange = 2,
  kReadSettings = 3,
  kWriteSettings = 4,
  kReadParams = 5,
  kWriteParams = 6,
  kReadKeyMap = 7,
  kWriteKeyMap = 8,
  kReadMacros = 9,
  kWriteMacros = 10,
  kReadDefaultKeyMap = 15,
  kWriteKeyColors = 17,
  kEnterBootMode = 0xEE,
};

// Reply status bytes that mean failure; every other value is success.
inline constexpr uint8_t kStatusRefused = 0xFF;
inline constexpr uint8_t kStatusBusy = 0xFE;

}  // namespace keyloom
