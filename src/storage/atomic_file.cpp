#include "storage/atomic_file.h"

#include <algorithm>

namespace keyloom {

bool ReplaceFileAtomically(const std::u16string& path, std::span<const std::span<const uint8_t>> pieces,
                           const WriteFaults* faults) {
  TemporaryFile file(path);
  if (!file.is_open()) return false;
  uint64_t space_left = faults ? faults->space_left : std::numeric_limits<uint64_t>::max();
  for (std::span<const uint8_t> piece : pieces) {
    if (piece.size() > space_left) {
      // A full disk: the bytes that fit are written, the rest is refused.
      file.Write(piece.first(static_cast<size_t>(space_left)));
      return false;
    }
    if (!file.Write(piece)) return false;
    space_left -= piece.size();
  }
  if (faults && faults->fail_flush) return false;
  if (!file.FlushAndClose()) return false;
  if (faults && faults->fail_replace) return false;
  return file.Replace();
}

}  // namespace keyloom
