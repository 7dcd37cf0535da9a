// Every command the program sends to the keyboard, over one request/reply
// transaction with time limits and retries. Every operation returns a result
// code: 1 success, 0 no keyboard (nothing sent) or no reply after 4 attempts,
// -1 the frame was not written in time, -102 status 0xFF, -103 status 0xFE,
// -201 a profile index above 2 (nothing sent).
#pragma once

#include <cstdint>
#include <span>

#include "device/frame.h"
#include "device/keyboard_link.h"

namespace keyloom {

inline constexpr int kResultOk = 1;
inline constexpr int kResultNoKeyboard = 0;
inline constexpr int kResultWriteFailed = -1;
inline constexpr int kResultRefused = -102;  // status 0xFF
inline constexpr int kResultBusy = -103;     // status 0xFE
inline constexpr int kResultBadProfile = -201;

inline constexpr int kWriteLimitMs = 1000;
inline constexpr int kReplyLimitMs = 300;
inline constexpr int kMaxAttempts = 4;
inline constexpr int kEndExchangePauseMs = 10;

class CommandSet {
 public:
  explicit CommandSet(KeyboardLink& link) : link_(link) {}

  // One request and its reply. `request` is copied into a zeroed 64-byte
  // frame; `reply` receives the 64-byte reply. Returns 1, 0 or -1; the
  // caller interprets the status byte.
  int Transact(std::span<const uint8_t> request, std::span<uint8_t, kFrameSize> reply);
  // Writes one frame and reads nothing: non-zero when it was written.
  int SendOnly(std::span<const uint8_t> request);
  // Moves `data.size()` bytes at keyboard offset `base` in frames of at most
  // 56 bytes. On failure the chunks already moved stay moved.
  int BlockRead(Command command, int base, std::span<uint8_t> data);
  int BlockWrite(Command command, int base, std::span<const uint8_t> data);

  int BeginExchange();
  int EndExchange();  // pauses 10 ms first
  int ReadSettings(std::span<uint8_t, kSettingsSize> settings);
  int WriteSettings(std::span<const uint8_t, kSettingsSize> settings);
  // Reads `length` (at most 56) bytes of the lighting parameter area; the
  // keyboard returns 56 bytes and all 56 are copied.
  int ReadParams(int offset, int length, std::span<uint8_t, kFrameData> out);
  int WriteParams(int offset, std::span<const uint8_t> bytes);  // at most 56 bytes
  // Key maps of profile 0..2: key-map size bytes at profile x stride. The
  // block must hold the key-map size (384 bytes always suffice).
  int ReadKeyMap(int profile, std::span<uint8_t> block);
  int WriteKeyMap(int profile, std::span<const uint8_t> block);
  int ReadMacros(std::span<uint8_t> area);  // from offset 0
  int WriteMacros(std::span<const uint8_t> area);
  int ReadDefaultKeyMap(std::span<uint8_t> block);  // key-map size bytes
  // Colours of LEDs first_led.. in `lighting_profile`: 3 bytes per LED
  // (red, green, blue), at most 56 bytes, at offset first_led x 3 + profile x 512.
  int WriteKeyColors(int lighting_profile, int first_led, std::span<const uint8_t> colours);
  // Hands the keyboard to its boot loader; no reply is read.
  int EnterBootMode();

  // The active onboard profile, from the cache when it holds one; -1 when the
  // keyboard cannot be asked.
  int GetActiveProfile();
  // Makes profile p active (read the settings block, change byte 10, write
  // it back). Returns the result code; p < 0 does nothing and returns 0.
  int SetActiveProfile(int profile);

  KeyboardLink& link() { return link_; }

 private:
  int TransactLocked(const CommandFrame& request, std::span<uint8_t, kFrameSize> reply);
  int SingleFrame(CommandFrame& request, std::span<uint8_t, kFrameSize> reply);
  int KeyMapTransfer(Command command, int profile, uint8_t* block, size_t capacity);

  KeyboardLink& link_;
};

// Maps a reply's status byte to a result code.
inline int StatusResult(uint8_t status) {
  if (status == kStatusRefused) return kResultRefused;
  if (status == kStatusBusy) return kResultBusy;
  return kResultOk;
}

}  // namespace keyloom
