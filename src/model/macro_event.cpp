// One macro event in the keyboard's macro area: a 16-bit word (delay in
// 10 ms units in bits 0-11, the kind of the key's function code in bits
// 12-14, press in bit 15) and the two code bytes a key map entry would carry.
#include <algorithm>

#include "base/bytes.h"
#include "model/key_function.h"
#include "model/key_tables.h"
#include "model/macro.h"

namespace keyloom {
namespace {

KeyFunctionCode EventCodeOf(KeyCode code) {
  if (uint8_t bit = ModifierBit(code)) return {kKindKeyboard, 1, bit};
  Usage u = UsageOf(code);
  const uint8_t lo = static_cast<uint8_t>(u.usage), hi = static_cast<uint8_t>(u.usage >> 8);
  switch (u.page) {
    case UsagePage::kKeyboard:
      return {kKindKeyboard, 2, lo};
    case UsagePage::kConsumer:
      return {kKindConsumer, lo, hi};
    case UsagePage::kGenericDesktop:
      return {kKindDesktop, lo, hi};
    case UsagePage::kMouse:
      switch (u.usage) {
        case 0xF1: return {kKindMouse, 1, 0x01};
        case 0xF2: return {kKindMouse, 1, 0x02};
        case 0xF3: return {kKindMouse, 1, 0x04};
        case 0xF4: return {kKindMouse, 5, 0x01};
        case 0xF5: return {kKindMouse, 5, 0xFF};
        default: return {kKindNone, 0, 0};
      }
    case UsagePage::kNone:
      break;
  }
  return {kKindNone, 0, 0};
}

}  // namespace

void EncodeMacroEvent(const MacroEvent& event, uint8_t out[4]) {
  // The word holds at most 4095 units; a delay above the limit is sent as
  // the limit rather than wrapped round to a short one.
  const uint32_t units = std::min(event.delay, kMaxMacroDelayMs) / 10;
  const KeyFunctionCode code = EventCodeOf(event.key_code);
  uint16_t word = static_cast<uint16_t>((units & 0x0FFF) | ((code[0] & 0x7u) << 12));
  if (event.state == kMacroStatePress) word |= 0x8000;
  StoreU16(out, word);
  out[2] = code[1];
  out[3] = code[2];
}

MacroEvent DecodeMacroEvent(const uint8_t in[4]) {
  const uint16_t word = LoadU16(in);
  MacroEvent event;
  event.delay = uint32_t{word & 0x0FFFu} * 10;
  event.key_code = DecodeFunction(static_cast<uint8_t>((word >> 12) & 0x7), in[2], in[3]);
  event.state = (word & 0x8000) ? kMacroStatePress : kMacroStateRelease;
  return event;
}

}  // namespace keyloom
