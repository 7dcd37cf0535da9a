// The keyboard's key maps: one 3-byte key function code per key position,
// 126 positions the program uses (378 bytes; the second model's block is
// 384 bytes). The default key matrix says what each position does when
// nothing is assigned, and through the key it decodes to, which key record
// belongs to the position.
#pragma once

#include <cstdint>
#include <span>

#include "model/key_store.h"

namespace keyloom {

inline constexpr int kKeyMapPositions = 126;
inline constexpr size_t kKeyMapUsedBytes = kKeyMapPositions * 3;  // 378

// Encodes `profile` (0..2) of the applied store into `block` (its key-map
// size, 378 or 384 bytes) against `default_matrix`; bytes past the 126
// positions are the default matrix's own. Every position is encoded from
// its own key's record: an untouched key sends its default entry. A key
// that plays a macro the store does not hold sends 0, 0, 0 (it does
// nothing) rather than playing another macro; its record is kept as it is.
// Takes the store's lock. False,
// with `block` untouched, for a profile outside 0..2 or a block or matrix
// too short for the 126 positions.
bool EncodeKeyMap(const KeyStore& applied, int profile, std::span<const uint8_t> default_matrix,
                  std::span<uint8_t> block);

// Decodes a key-map block read from a keyboard into one block of 512 key
// records (cleared first, G-key ids set). Positions the block or the matrix
// does not cover stay Default.
void DecodeKeyMap(std::span<const uint8_t> block, std::span<const uint8_t> default_matrix,
                  std::span<uint8_t, kRecordBlockBytes> records);

}  // namespace keyloom
