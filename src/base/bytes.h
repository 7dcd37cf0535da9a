// Little-endian byte access. Every helper works on unsigned values, so a byte
// of 0x80 or more never meets a signed shift.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace keyloom {

inline uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(uint16_t{p[0]} | uint16_t(uint16_t{p[1]} << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// Bounds-checked reads for parsers of outside bytes: a read past the end
// yields nothing instead of a made-up zero.
class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t size() const { return bytes_.size(); }
  bool Has(size_t offset, size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::optional<uint8_t> U8(size_t offset) const {
    if (!Has(offset, 1)) return std::nullopt;
    return bytes_[offset];
  }
  std::optional<uint16_t> U16(size_t offset) const {
    if (!Has(offset, 2)) return std::nullopt;
    return LoadU16(bytes_.data() + offset);
  }
  std::optional<uint32_t> U32(size_t offset) const {
    if (!Has(offset, 4)) return std::nullopt;
    return LoadU32(bytes_.data() + offset);
  }
  // The sub-range [offset, offset + count), or nothing when it does not fit.
  std::optional<std::span<const uint8_t>> Slice(size_t offset, size_t count) const {
    if (!Has(offset, count)) return std::nullopt;
    return bytes_.subspan(offset, count);
  }

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace keyloom
