// The private-profile INI service: every settings, layout and language file
// is read and written through it. On Windows the native service is used; the
// portable engine has the same observable behaviour and runs everywhere.
//
// Semantics both implementations share (checked by one conformance suite):
// - section and key names are compared without regard to ASCII case, after
//   the spaces and tabs around them are dropped; the first matching section
//   is the one searched, and within it the first matching key wins;
// - a missing file, section or key gives the caller's default;
// - a key present with an empty value gives an empty text;
// - results are cut to `capacity` - 1 characters (the caller's buffer holds
//   `capacity` characters including the terminator); capacity 0 gives "";
// - a write creates the file, section and key as needed and keeps the file's
//   encoding (8-bit code page, or UTF-16LE with a byte-order mark).
//
// `file` is always a full path; the native service would look a bare name up
// in the Windows folder.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace keyloom {

class IniService {
 public:
  virtual ~IniService() = default;

  // Value of `key` in `section` of `file`, or `default_value` when the file,
  // section or key is missing. Trailing spaces of the default are dropped.
  virtual std::u16string GetString(const std::u16string& file, std::u16string_view section,
                                   std::u16string_view key, std::u16string_view default_value,
                                   size_t capacity) const = 0;

  // Sets `key` in `section` of `file` to `value`. Returns false when the file
  // could not be read or written; the file is then left as it was.
  virtual bool WriteString(const std::u16string& file, std::u16string_view section,
                           std::u16string_view key, std::u16string_view value) = 0;
};

// The portable engine (src/storage/ini_document.h does the parsing and
// editing; this class adds file access). 8-bit files are read and written as
// Windows-1252.
class PortableIniService final : public IniService {
 public:
  std::u16string GetString(const std::u16string& file, std::u16string_view section,
                           std::u16string_view key, std::u16string_view default_value,
                           size_t capacity) const override;
  bool WriteString(const std::u16string& file, std::u16string_view section,
                   std::u16string_view key, std::u16string_view value) override;
};

// The write both services share: the file is read, `key` set as the portable
// engine sets it (keeping the file's encoding and every other line), and the
// result saved through the save routine (base/atomic_file.h), so a crash or
// a full disk never leaves half a file. False, with the file as it was, when
// it cannot be read or saved.
bool EditIniFile(const std::u16string& file, std::u16string_view section, std::u16string_view key,
                 std::u16string_view value);

#if defined(_WIN32)
// Reads with GetPrivateProfileStringW. Writes go through EditIniFile rather
// than WritePrivateProfileStringW, which rewrites the file in place.
class NativeIniService final : public IniService {
 public:
  std::u16string GetString(const std::u16string& file, std::u16string_view section,
                           std::u16string_view key, std::u16string_view default_value,
                           size_t capacity) const override;
  bool WriteString(const std::u16string& file, std::u16string_view section,
                   std::u16string_view key, std::u16string_view value) override;
};
#endif

// The native service on Windows, the portable engine elsewhere.
std::unique_ptr<IniService> MakePlatformIniService();

}  // namespace keyloom
