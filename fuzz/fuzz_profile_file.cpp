// Profile files come from anywhere: check and read any bytes, and when a
// file reads, write it out again and check that what is written is a valid
// file that reads back with the same strings.
//
// A real file is at least 32832 bytes, mostly zero records; to keep inputs
// small the input describes one:
//   byte 0        options: bit 0 recompute the total size, bit 1 the
//                 checksum, bits 2..3 macro count 0..3 (written into the header)
//   bytes 1..64   the header
//   byte 65       n, the number of records that follow
//   n x 18 bytes  record number (16-bit, modulo 2048) and its 16 bytes
//   the rest      the bytes after the macro records (the text pool and beyond)
// The raw input is also checked and read as a file of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "storage/profile_file.h"

namespace {

using namespace keyloom;

std::vector<uint8_t> Expand(std::span<const uint8_t> in) {
  std::vector<uint8_t> file(kStoreBlockBytes, 0);
  if (in.size() < 1 + kStoreHeaderBytes + 1) return {};
  const uint8_t options = in[0];
  std::copy_n(in.begin() + 1, kStoreHeaderBytes, file.begin());
  in = in.subspan(1 + kStoreHeaderBytes);
  size_t records = in[0];
  in = in.subspan(1);
  for (; records > 0 && in.size() >= 18; --records, in = in.subspan(18)) {
    const size_t n = LoadU16(in.data()) % kKeyRecordCount;
    std::copy_n(in.begin() + 2, kKeyRecordBytes, file.begin() + KeyRecordOffset(static_cast<int>(n)));
  }
  const uint16_t macros = (options >> 2) & 3;
  StoreU16(&file[profile_header::kMacroCount], macros);
  file.resize(file.size() + macros * kMacroRecordBytes, 0);
  file.insert(file.end(), in.begin(), in.end());
  if (options & 1) StoreU32(&file[profile_header::kTotalSize], static_cast<uint32_t>(DeclaredProfileSize(file)));
  if (options & 2) file[profile_header::kChecksum] = HeaderChecksum(file);
  return file;
}

void Exercise(std::span<const uint8_t> file) {
  const ProfileCheck check = CheckProfileBytes(file);
  KeyStore store;
  // The reader is also run on files the check refuses: it must stay inside
  // the bytes on its own.
  if (!ReadProfileBytes(file, store)) {
    if (check == ProfileCheck::kValid) std::abort();  // a valid file always reads
    return;
  }
  ProfileFileImage image;
  if (!BuildProfileFileImage(store, image)) std::abort();
  std::vector<uint8_t> written;
  for (std::span<const uint8_t> piece : image.pieces) written.insert(written.end(), piece.begin(), piece.end());
  if (CheckProfileBytes(written) != ProfileCheck::kValid) std::abort();
  KeyStore again;
  if (!ReadProfileBytes(written, again)) std::abort();
  if (again.block != store.block || again.macros.size() != store.macros.size()) std::abort();
  if (!store.macros.empty() &&
      std::memcmp(again.macros.data(), store.macros.data(), store.macros.size() * kMacroRecordBytes) != 0)
    std::abort();
  for (int i = 0; i < kKeyRecordCount; ++i) {
    // A string that was written is read back; a record that lost its string
    // may now point at another one.
    if (store.slots[i].size != 0 && again.slots[i].text != store.slots[i].text) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> in(data, size);
  Exercise(in);
  const std::vector<uint8_t> file = Expand(in);
  if (!file.empty()) Exercise(file);
  return 0;
}
