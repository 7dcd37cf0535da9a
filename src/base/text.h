// UTF-16 text: the program's text type on disk and on screen (std::u16string;
// on Windows wchar_t has the same size, so the Win32 boundary is a cast).
#pragma once

#include <string>
#include <string_view>

namespace keyloom {

// Conversions that never fail: malformed input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// File names kept whole through the program's UTF-16 strings.
//
// A POSIX file name is bytes. Valid UTF-8 decodes as text; every byte that
// is not part of valid UTF-8 (0x80..0xFF) becomes the lone surrogate
// U+DC00 + byte, which turns back into that byte, so a name in any encoding
// reaches the system unchanged. (A name whose bytes encode a surrogate is
// not valid UTF-8 and is kept byte by byte.)
std::u16string FileNameFromBytes(std::string_view bytes);
std::string FileNameToBytes(std::u16string_view name);
// WTF-8: UTF-8 that also carries lone surrogates, for Windows names (UTF-16
// that need not be well formed) in narrow strings. Well-formed text gives
// plain UTF-8.
std::string Utf16ToWtf8(std::u16string_view utf16);
std::u16string Wtf8ToUtf16(std::string_view wtf8);

// ASCII-only case folding, as used for paths, switches and INI names.
char16_t AsciiLower(char16_t c);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
// Position of the first occurrence of `needle` in `hay`, ignoring ASCII case.
size_t FindIgnoreAsciiCase(std::u16string_view hay, std::u16string_view needle);

#if defined(_WIN32)
inline const wchar_t* AsWide(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string FromWide(const wchar_t* s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s));
}
#endif

}  // namespace keyloom
