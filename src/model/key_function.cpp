#include "model/key_function.h"

#include <bit>

#include "base/bytes.h"

namespace keyloom {

KeyCode DecodeFunction(uint8_t kind, uint8_t b1, uint8_t b2) {
  switch (kind) {
    case kKindMouse:
      if (b1 == 1) {
        if (b2 == 1) return kCodeMouseLeft;
        if (b2 == 2) return kCodeMouseRight;
        if (b2 == 4) return kCodeMouseMiddle;
      } else if (b1 == 5) {
        if (b2 == 0x01) return kCodeWheelUp;
        if (b2 == 0xFF) return kCodeWheelDown;
      }
      return 0;
    case kKindKeyboard:
      if (b1 == 2) return CodeFromUsage(UsagePage::kKeyboard, b2);
      if (b2 == 0) return 0;
      return kModifierCodes[std::countr_zero(b2)];  // the lowest set bit decides
    case kKindConsumer:
      return CodeFromUsage(UsagePage::kConsumer, static_cast<uint16_t>(b1 | (b2 << 8)));
    case kKindDesktop:
      return CodeFromUsage(UsagePage::kGenericDesktop, static_cast<uint16_t>(b1 | (b2 << 8)));
    case kKindGKey:
      // G key n is 0x1FF + n. n = 0 would land on a plain key's index
      // (0x1FF gives index 0x7F), so it names no key.
      if (b1 == 0xA2 && b2 != 0) return static_cast<KeyCode>(0x1FF + b2);
      return 0;
    default:
      return 0;
  }
}

uint8_t ModifierBit(KeyCode code) {
  for (size_t bit = 0; bit < kModifierCodes.size(); ++bit) {
    if (kModifierCodes[bit] == code) return static_cast<uint8_t>(1u << bit);
  }
  return 0;
}

KeyFunctionCode EncodeKeyFunction(KeyCode code) {
  if (uint8_t bit = ModifierBit(code)) return {kKindKeyboard, 1, bit};
  switch (code) {
    case kCodeMouseLeft: return {kKindMouse, 1, 0x01};
    case kCodeMouseRight: return {kKindMouse, 1, 0x02};
    case kCodeMouseMiddle: return {kKindMouse, 1, 0x04};
    case kCodeWheelUp: return {kKindMouse, 5, 0x01};
    case kCodeWheelDown: return {kKindMouse, 5, 0xFF};
    default: break;
  }
  uint8_t usage_byte = KeyTableRow(KeyIndexFromCode(code)).usage;
  if (ClassifyUsageByte(usage_byte).page != UsagePage::kKeyboard) usage_byte = 0;
  return {kKindKeyboard, 2, usage_byte};
}

KeyRecord LoadKeyRecord(std::span<const uint8_t, kKeyRecordBytes> b) {
  KeyRecord r;
  r.type = LoadU16(&b[0]);
  r.sub = LoadU16(&b[2]);
  r.value = LoadU32(&b[4]);
  r.flag = LoadU32(&b[8]);
  r.spare = LoadU32(&b[12]);
  return r;
}

void StoreKeyRecord(const KeyRecord& r, std::span<uint8_t, kKeyRecordBytes> b) {
  StoreU16(&b[0], r.type);
  StoreU16(&b[2], r.sub);
  StoreU32(&b[4], r.value);
  StoreU32(&b[8], r.flag);
  StoreU32(&b[12], r.spare);
}

}  // namespace keyloom
