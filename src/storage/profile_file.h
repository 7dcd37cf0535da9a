// Profile files (*.fwc, and the working profile file): the edit store
// written out as it lies in memory. Little-endian throughout:
//
//   header           64 bytes (below)
//   key records      32768 bytes: 2048 records of 16 bytes, 4 blocks of 512
//   macro records    macro count x 32512 bytes
//   text pool        text size bytes: NUL-terminated UTF-16LE strings, one per
//                    launch-program or text-block record, whose value is the
//                    string's byte offset in the pool
//
// Header bytes 0..31: 46 44, 32, 3, 1 (16-bit each), total size (32-bit),
// 2048 (16-bit), macro count (16-bit), text size (32-bit), zeros, flag byte
// (offset 30, 0 or 1), checksum (offset 31: the sum of bytes 0..30). Bytes
// 32..63 describe the record layout and are carried along unread.
//
// Reading never trusts the header beyond the bytes it has: a file shorter
// than its header says is refused, a string offset outside the pool is no
// string, and a string that runs to the end of the pool stops there. Nor
// beyond what the store holds (model/key_store.h): a file larger than the
// largest valid one, a text pool over 1 MiB or a string longer than a slot
// holds is refused before memory is taken for it, and records that share a
// string get copies only while the copies fit in the store.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/key_store.h"
#include "storage/atomic_file.h"

namespace keyloom {

class CommandSet;
class MessageBoxes;
class TextSource;

inline constexpr size_t kMacroRecordBytes = sizeof(MacroRecord);  // 32512
// The largest valid profile file: header and records, 100 macros of 4000
// events, the largest text pool (4332608 bytes).
inline constexpr uint64_t kMaxProfileFileBytes = kStoreBlockBytes + uint64_t{kMaxMacros} * kMacroRecordBytes + kMaxTextPoolBytes;

namespace profile_header {
inline constexpr size_t kMagic = 0;        // 0x4446
inline constexpr size_t kHeaderSize = 2;   // 32
inline constexpr size_t kVersion = 4;      // 3
inline constexpr size_t kRevision = 6;     // 1
inline constexpr size_t kTotalSize = 8;    // 32-bit
inline constexpr size_t kRecordCount = 12; // 2048
inline constexpr size_t kMacroCount = kHeaderMacroCountOffset;  // 14
inline constexpr size_t kTextSize = kHeaderTextSizeOffset;      // 16, 32-bit
inline constexpr size_t kFlag = 30;
inline constexpr size_t kChecksum = 31;
inline constexpr uint16_t kMagicValue = 0x4446;
inline constexpr uint16_t kLayoutMagicValue = 0x484B;
}  // namespace profile_header

// The sum of bytes 0..30 modulo 256. `header` holds at least 31 bytes.
uint8_t HeaderChecksum(std::span<const uint8_t> header);

// Fills bytes 0..31 of a profile header (offsets 20..29 zero) and its checksum.
void FillProfileHeader(std::span<uint8_t, kStoreHeaderBytes> header, uint16_t macro_count,
                       uint32_t text_size, uint8_t flag);
// Fills bytes 32..63: the record layout and the first keyboard model's ids.
void FillLayoutHeader(std::span<uint8_t, kStoreHeaderBytes> header);

// 32832 + macro count x 32512 + text size, from a header's own fields.
// `header` holds at least 64 bytes.
uint64_t DeclaredProfileSize(std::span<const uint8_t> header);

// ---- Bytes in memory (what the file functions and the fuzzers use) --------
enum class ProfileCheck {
  kValid,
  kTooShort,     // shorter than the header and key records: no message
  kFormatError,  // a header test failed, or the file lacks what its header declares
  kTooLarge,     // larger than any valid file (kMaxProfileFileBytes)
};
// The header tests, in order: offsets 0, 2, 4, 6; total size at least
// 32832; 2048 records; at most 100 macros; flag byte 0 or 1; a text size the
// store can hold; total size equal to 32832 + macros x 32512 + text size;
// checksum; and finally the bytes hold that total (longer files are fine up
// to kMaxProfileFileBytes, the rest is ignored). Then every string fits in a
// slot.
ProfileCheck CheckProfileBytes(std::span<const uint8_t> file);
// The same tests on the first bytes of a file (at least its 64-byte header)
// and the file's length.
ProfileCheck CheckProfileHeader(std::span<const uint8_t> header, uint64_t file_size);

// Replaces `store`'s block, macros and string slots with the file's. All or
// nothing: false, with `store` untouched, when the bytes lack what the header
// declares, it names more than 100 macros or more text than the store holds,
// a string is longer than a slot holds, or memory runs out. The caller holds
// the lock.
bool ReadProfileBytes(std::span<const uint8_t> file, KeyStore& store);

// The file of the edit store. Updates the store's header (macro count, text
// size, flag 0, checksum) and the value of every record whose string goes in
// the pool, as the file is laid out. The caller holds the lock.
struct ProfileFileImage {
  std::vector<uint8_t> pool;
  // The store block, the macro records and the pool, in file order; they
  // point into the store and `pool`.
  std::vector<std::span<const uint8_t>> pieces;
};
bool BuildProfileFileImage(KeyStore& store, ProfileFileImage& image);

// A new store block: header with no macros, no text and `flag`, the layout
// header, and every record zero except the G-key ids of block 0.
std::vector<uint8_t> NewStoreBlock(uint8_t flag);

// ---- Files ----------------------------------------------------------------
inline constexpr int kProfileCheckCannotOpen = -2;
inline constexpr int kProfileCheckNoMemory = -3;

// 1 when `path` is a valid profile file; 0 when it is missing, shorter than
// 32832 bytes, larger than any valid file or fails a test (the last two show
// the language text "PROFILE_FORMAT_ERROR" used as a format with the path);
// -2 when it is not a regular file or cannot be opened for reading; -3 when
// memory for it cannot be had. The file is opened for reading only, so a
// read-only file is checked like any other.
int ProfileFileCheck(const std::u16string& path, const TextSource& texts, MessageBoxes& messages);

// Loads the file into the edit store (see ReadProfileBytes). 1 on success,
// 0 otherwise with the store untouched. The caller holds the lock.
int ProfileFileRead(const std::u16string& path, KeyStore& edit);

// Writes the edit store to `path` through the save routine (atomic_file.h);
// takes the store's lock itself only when `take_lock`. True when written.
bool ProfileFileWrite(const std::u16string& path, KeyStore& edit, bool take_lock,
                      const WriteFaults* faults = nullptr);
// The same, saying why a write failed.
SaveResult SaveProfileFile(const std::u16string& path, KeyStore& edit, bool take_lock,
                           const WriteFaults* faults = nullptr);

// A new document with `flag` in its header: written to `path`, or, when
// `in_memory` is given, made that store's block (the caller has cleared its
// macros and strings). 1, or 0 when the file cannot be written.
int NewProfileFile(const std::u16string& path, uint8_t flag, KeyStore* in_memory);

// Reads the keyboard's three key maps and its macro area into the bytes of a
// profile file (macros unnamed by the keyboard are named with the text
// "MACRO_NEW_PREFIX" and their number). A macro area whose header claims
// more than the keyboard's macro capacity gives the macros that lie within
// it. Returns 1, or the result code of the read that failed (-201 when the
// keyboard names an active profile above 3).
int ReadProfileFromKeyboard(CommandSet& commands, const TextSource& texts, std::vector<uint8_t>& file);
// The same, written to `path`. 1 on success, 0 when the keyboard cannot be
// read or the file cannot be written.
int ProfileFileFromKeyboard(const std::u16string& path, CommandSet& commands, const TextSource& texts);

// ---- Import and export ----------------------------------------------------
struct ProfileImportContext {
  KeyStores& stores;
  CommandSet& commands;
  const TextSource& texts;
  MessageBoxes& messages;
  // The working profile file: rewritten after an import when it exists.
  std::u16string working_profile_path;
  // Called under the edit store's lock once the keyboard has the new
  // assignments, for the window to redraw its key buttons.
  std::function<void()> refresh_key_buttons;
  // Set by the import: whether the keyboard took the key maps and macros. A
  // file that loaded but did not reach the keyboard is not a finished import.
  bool applied = false;
  // Set by the import: whether the working profile file now holds the file
  // (so an apply can be tried again from it).
  bool working_profile_saved = false;
};

// Checks `path`, loads it into the edit store, saves the working profile
// file, applies every profile to the keyboard. False, with the text
// "MAIN_PROMPT_INPORT" shown (after the format message when that was the
// cause) and the edit store untouched, when the file cannot be loaded.
bool ImportProfileFile(const std::u16string& path, ProfileImportContext& context);

// Writes the edit store to `path` under its lock. The window does not show
// the result.
bool ExportProfileFile(const std::u16string& path, KeyStore& edit);

}  // namespace keyloom
