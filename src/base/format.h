// Safe formatting of texts that come from outside the program (language
// files are user-editable). A pattern receives exactly one argument: the
// first conversion of the matching kind consumes it, every other conversion
// is copied to the output literally, so a hostile text such as "%s%s%n" can
// never read or write memory the caller did not hand over.
//
// Accepted conversion: '%' [flags -+ 0#] [width] ['.' precision]
// [length h hh l ll w I64 I32 z j t q L] kind, where kind is d i u x X o for a
// number and s S for a text. "%%" prints one '%'. Width and precision are
// capped at kMaxFormatWidth. A '%' that does not start a complete conversion
// (for example a lone '%' at the end) is printed as it stands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyloom {

inline constexpr int kMaxFormatWidth = 64;

// d i print `number` signed; u x X o print it unsigned. Without a 64-bit
// length modifier (ll, I64, j, q, L, z, t) the number is taken as a 32-bit
// int, as a C formatter would take an int argument.
std::u16string FormatText(std::u16string_view pattern, int64_t number);

// s S (with any length modifier: hs, ls, ws) print `text`; a precision
// limits the number of characters taken from it.
std::u16string FormatText(std::u16string_view pattern, std::u16string_view text);

}  // namespace keyloom
