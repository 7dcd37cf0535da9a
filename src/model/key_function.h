// Key function codes (the three bytes that tell the keyboard what a key does)
// and key records (the 16-byte assignment kept for every key of a profile).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/key_tables.h"

namespace keyloom {

// Byte 0 is the kind; bytes 1 and 2 depend on it:
//   0 0 0      nothing          1 1 m   mouse button (1 left, 2 right, 4 middle)
//   1 5 d      wheel (01 up, FF down)
//   2 1 mask   modifiers        2 2 u   keyboard usage
//   3 lo hi    consumer usage   4 lo hi generic-desktop usage
//   5 1 n      play macro at position n   5 2 0  stop macro   5 5 f  keyboard function f
//   6 A2 n     G key n (default key matrix only)
using KeyFunctionCode = std::array<uint8_t, 3>;

enum : uint8_t {
  kKindNone = 0,
  kKindMouse = 1,
  kKindKeyboard = 2,
  kKindConsumer = 3,
  kKindDesktop = 4,
  kKindKeyboardAction = 5,
  kKindGKey = 6,
};

// The key code a function code stands for; 0 for kinds 0 and 5 and
// everything that names no key.
KeyCode DecodeFunction(uint8_t kind, uint8_t b1, uint8_t b2);
inline KeyCode DecodeFunction(const KeyFunctionCode& f) { return DecodeFunction(f[0], f[1], f[2]); }

// The function code of a Key record whose target is `code`: modifiers and
// mouse actions by their own codes, any other key by its keyboard-page usage
// byte (2, 2, 0 when it has none).
KeyFunctionCode EncodeKeyFunction(KeyCode code);

// Bit of a modifier code in a modifier mask; 0 when the code is no modifier.
uint8_t ModifierBit(KeyCode code);

enum class KeyType : uint16_t {
  kDefault = 0,
  kDisabled = 1,
  kKey = 2,
  kLaunchProgram = 3,
  kPlayMacro = 4,
  kStopMacro = 5,
  kTextBlock = 6,
  kMedia = 7,
  kFunction = 8,
};

// 16 bytes, little-endian: type u16, sub u16, value u32, flag u32, spare u32.
struct KeyRecord {
  uint16_t type = 0;   // KeyType; kept raw because stored bytes may hold any value
  uint16_t sub = 0;    // G-key id, or the cycles a key editor typed for PlayMacro
  uint32_t value = 0;  // meaning by type
  uint32_t flag = 0;   // the keyboard view's
  uint32_t spare = 0;

  KeyType kind() const { return static_cast<KeyType>(type); }
  bool assigned() const { return type != static_cast<uint16_t>(KeyType::kDefault); }
  bool operator==(const KeyRecord&) const = default;
};
inline constexpr size_t kKeyRecordBytes = 16;

KeyRecord LoadKeyRecord(std::span<const uint8_t, kKeyRecordBytes> bytes);
void StoreKeyRecord(const KeyRecord& record, std::span<uint8_t, kKeyRecordBytes> bytes);

}  // namespace keyloom
