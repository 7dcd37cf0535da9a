// Reading the decimal numbers of settings and layout values the way the C
// library's "%d,%d,%d,%d" and _wtoi read them, with one difference: a number
// too large for an int saturates instead of being undefined.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace keyloom {

// Reads up to out.size() integers separated by single commas. Each number
// may be preceded by white space and a sign; a comma must follow the previous
// number directly. Stops at the first thing that does not match and returns
// how many numbers were read; the other elements of `out` keep their values.
size_t ScanDecimalList(std::u16string_view text, std::span<int> out);

// The leading integer of `text`, or 0 when it does not start with one.
int ParseDecimal(std::u16string_view text);

}  // namespace keyloom
