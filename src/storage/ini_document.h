// The portable INI engine's parser and editor, working on bytes so that a
// fuzzer or a test can drive it without files. Parsing never fails: every
// line is kept with its original bytes, so serialising a document gives back
// exactly the bytes it was parsed from, except for the lines an edit touched.
//
// Syntax (that of the Windows private-profile service):
// - lines end in CR LF, LF or CR; spaces, tabs, VT and FF around a line are
//   ignored;
// - "[name]" starts a section; the name runs to the last ']' of the line and
//   anything after it is ignored; a '[' line without ']' is an ordinary line;
// - "name=value" is a key; name and value are trimmed, and a value enclosed
//   in a pair of equal quotes ("..." or '...') loses them when read;
// - any other non-blank line (comments included: ';' is not special) is a key
//   without a value: it is found by its whole text and reads as missing, so
//   it hides later keys of the same name;
// - lines before the first section header form the section named "";
// - a NUL character ends a value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyloom {

enum class IniEncoding {
  kAnsi,     // 8-bit text in Windows-1252 (also what an empty or new file gets)
  kUtf8,     // UTF-8 after the byte-order mark EF BB BF
  kUtf16Le,  // UTF-16LE after the byte-order mark FF FE
  kUtf16Be,  // UTF-16BE after the byte-order mark FE FF
};

class IniDocument {
 public:
  // A new, empty document (what a missing file reads as).
  IniDocument() = default;

  static IniDocument Parse(std::span<const uint8_t> bytes);

  IniEncoding encoding() const { return encoding_; }

  // The value of the first matching key in the first matching section, or
  // nothing when there is no such key or the key has no '='. Names are
  // trimmed and matched without regard to ASCII case.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;

  // Replaces the value of the first matching key of the first matching
  // section (keeping the text around the value), or adds "key=value" after
  // the last non-blank line of that section, or adds the section with the
  // key at the end of the document. Every other line keeps its bytes.
  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

  std::vector<uint8_t> Serialize() const;

 private:
  enum class Kind { kBlank, kSection, kKey, kKeyWithoutValue };
  struct Line {
    std::string raw;      // the line's bytes as found, line break included
    std::u16string text;  // decoded, without the line break
    std::u16string eol;   // "\r\n", "\n", "\r" or "" (last line without one)
    Kind kind = Kind::kBlank;
    std::u16string name;     // section or key name, trimmed
    size_t value_begin = 0;  // value range in `text`, trimmed, quotes kept
    size_t value_end = 0;
  };

  static Line MakeLine(std::u16string text, std::u16string eol);
  // Splits `text` at its line breaks into encoded, classified lines.
  void AppendLines(std::u16string_view text, std::vector<Line>& out) const;
  // [first, end) of the lines of the first section named `section`, not
  // counting its header; nothing when there is none.
  std::optional<std::pair<size_t, size_t>> SectionBody(std::u16string_view section) const;
  std::u16string PreferredEol() const;

  IniEncoding encoding_ = IniEncoding::kAnsi;
  std::string bom_;
  std::vector<Line> lines_;
  std::string trailing_odd_byte_;  // a UTF-16 file of odd length keeps it last
};

// Windows-1252 <-> UTF-16, lossless for every byte: the five undefined bytes
// map to the C1 controls U+0081, U+008D, U+008F, U+0090, U+009D. Characters
// without a byte become '?' (one per character, a surrogate pair included).
std::u16string DecodeWindows1252(std::string_view bytes);
std::string EncodeWindows1252(std::u16string_view text);

}  // namespace keyloom
