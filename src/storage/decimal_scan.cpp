#include "storage/decimal_scan.h"

#include <climits>
#include <cstdint>

namespace keyloom {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// One "%d" at `pos`; advances `pos` past it on success.
bool ScanOne(std::u16string_view text, size_t& pos, int& value) {
  size_t i = pos;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const size_t digits_start = i;
  int64_t magnitude = 0;
  const int64_t limit = negative ? -int64_t{INT_MIN} : int64_t{INT_MAX};
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > limit) magnitude = limit;
  }
  if (i == digits_start) return false;
  value = static_cast<int>(negative ? -magnitude : magnitude);
  pos = i;
  return true;
}

}  // namespace

size_t ScanDecimalList(std::u16string_view text, std::span<int> out) {
  size_t pos = 0;
  for (size_t n = 0; n < out.size(); ++n) {
    if (n > 0) {
      if (pos >= text.size() || text[pos] != u',') return n;
      ++pos;
    }
    if (!ScanOne(text, pos, out[n])) return n;
  }
  return out.size();
}

int ParseDecimal(std::u16string_view text) {
  int value = 0;
  size_t pos = 0;
  return ScanOne(text, pos, value) ? value : 0;
}

}  // namespace keyloom
