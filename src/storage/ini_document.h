// The portable INI engine's parser and editor, working on bytes so that a
// fuzzer or a test can drive it without files. Parsing never fails: every
// line is kept, and serialising an unedited document gives back the exact
// bytes it was parsed from.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

enum class IniEncoding {
  kAnsi,     // 8-bit text in Windows-1252
  kUtf16Le,  // UTF-16LE after the byte-order mark FF FE
};

class IniDocument {
 public:
  // A new, empty document (what a missing file reads as).
  IniDocument() = default;

  static IniDocument Parse(std::span<const uint8_t> bytes);

  IniEncoding encoding() const { return encoding_; }

  // The value of the first matching key in the first matching section, or
  // nothing. Names match without regard to ASCII case.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;

  // Replaces the value of the key Find would return, or adds the key at the
  // end of the first matching section, or adds the section at the end of the
  // document. Every other line stays as it was.
  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

  std::vector<uint8_t> Serialize() const;

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::u16string text;  // without its line break
    std::u16string eol;   // "\r\n", "\n", "\r" or "" (last line without one)
    Kind kind = Kind::kOther;
    // For kSection: the name; for kKey: the name and where the value starts
    // and ends in `text` (spaces trimmed, surrounding quotes kept).
    std::u16string name;
    size_t value_begin = 0;
    size_t value_end = 0;
  };

  static Line ClassifyLine(std::u16string text, std::u16string eol);
  // Index of the first section line named `section`, or nothing.
  std::optional<size_t> FindSection(std::u16string_view section) const;
  std::u16string PreferredEol() const;

  IniEncoding encoding_ = IniEncoding::kAnsi;
  bool has_bom_ = false;
  std::vector<Line> lines_;
  std::vector<uint8_t> trailing_odd_byte_;  // a UTF-16 file with an odd length
};

// Windows-1252 <-> UTF-16, lossless for every byte: the five undefined bytes
// map to the C1 controls U+0081, U+008D, U+008F, U+0090, U+009D. Characters
// without a byte become '?'.
std::u16string DecodeWindows1252(std::span<const uint8_t> bytes);
std::vector<uint8_t> EncodeWindows1252(std::u16string_view text);

}  // namespace keyloom
