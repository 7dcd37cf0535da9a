// Reading a whole file the programs did not write themselves (profile
// files, INI files, templates, the simulated keyboard's memory) with a
// limit: the file is opened for reading only, must be a regular file, and a
// file larger than the largest one the caller can use is refused before
// anything is allocated or read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/atomic_file.h"

namespace keyloom {

enum class ReadError {
  kNone,
  kMissing,         // no such file
  kNotRegularFile,  // a folder, device, pipe or socket
  kTooLarge,        // larger than the limit: nothing was read
  kCannotOpen,      // it exists but cannot be opened for reading
  kReadFailed,
  kNoMemory,
};

struct ReadResult {
  ReadError error = ReadError::kNone;
  FileKind kind = FileKind::kRegular;  // with kNotRegularFile
  int system_error = 0;                // errno, or GetLastError() on Windows
  uint64_t size = 0;                   // the file's size, when it was learnt
  explicit operator bool() const { return error == ReadError::kNone; }
};

// Reads all of `path` into `bytes` when it holds at most `max_bytes` bytes.
// A file that shrinks while it is read gives what it had; one that grows
// gives its first `size` bytes.
ReadResult ReadFileBounded(const std::u16string& path, uint64_t max_bytes, std::vector<uint8_t>& bytes);

// For the platform readers: `result.size` is the file's size. Refuses it
// when larger than `max_bytes`, else makes `bytes` that size; false (with
// the error set) when it cannot be read into memory.
bool PrepareRead(ReadResult& result, uint64_t max_bytes, std::vector<uint8_t>& bytes);

// Why a read failed, in words for a message, UTF-8.
std::string DescribeReadError(const ReadResult& result);

// A path for the standard library's file functions that names exactly the
// same file: no conversion on either system (see FileNameFromBytes).
std::filesystem::path FsPath(const std::u16string& path);
std::u16string FromFsPath(const std::filesystem::path& path);

}  // namespace keyloom
