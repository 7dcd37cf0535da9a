#include "base/format.h"

#include <algorithm>
#include <optional>

namespace keyloom {

namespace {

enum class ArgKind { kNumber, kText };

struct Conversion {
  bool left = false, plus = false, space = false, zero = false, alt = false;
  int width = 0;
  int precision = -1;  // -1: none
  bool wide_int = false;  // a 64-bit length modifier was given
  char16_t kind = 0;
  size_t length = 0;  // characters of the pattern the conversion spans
};

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a decimal count, saturating at kMaxFormatWidth.
int ReadCount(std::u16string_view p, size_t& i) {
  int n = 0;
  while (i < p.size() && IsDigit(p[i])) {
    n = std::min(kMaxFormatWidth, n * 10 + (p[i] - u'0'));
    ++i;
  }
  return n;
}

bool StartsWith(std::u16string_view p, size_t i, std::u16string_view s) {
  return p.substr(i, s.size()) == s;
}

// Parses the conversion that starts at p[start] == '%'. Nothing when the
// characters there do not form a complete conversion.
std::optional<Conversion> ParseConversion(std::u16string_view p, size_t start) {
  Conversion s;
  size_t i = start + 1;
  for (; i < p.size(); ++i) {
    const char16_t c = p[i];
    if (c == u'-') s.left = true;
    else if (c == u'+') s.plus = true;
    else if (c == u' ') s.space = true;
    else if (c == u'0') s.zero = true;
    else if (c == u'#') s.alt = true;
    else break;
  }
  s.width = ReadCount(p, i);
  if (i < p.size() && p[i] == u'.') {
    ++i;
    s.precision = ReadCount(p, i);
  }
  // Length modifiers, longest first.
  static constexpr std::u16string_view kWide[] = {u"I64", u"ll", u"j", u"q", u"L", u"z", u"t"};
  static constexpr std::u16string_view kNarrow[] = {u"I32", u"hh", u"h", u"l", u"w"};
  bool matched = false;
  for (auto m : kWide) {
    if (StartsWith(p, i, m)) {
      s.wide_int = true;
      i += m.size();
      matched = true;
      break;
    }
  }
  if (!matched) {
    for (auto m : kNarrow) {
      if (StartsWith(p, i, m)) {
        i += m.size();
        break;
      }
    }
  }
  if (i >= p.size()) return std::nullopt;
  const char16_t k = p[i];
  static constexpr std::u16string_view kKinds = u"diuxXosS";
  if (kKinds.find(k) == std::u16string_view::npos) return std::nullopt;
  s.kind = k;
  s.length = i + 1 - start;
  return s;
}

ArgKind KindOf(char16_t k) { return (k == u's' || k == u'S') ? ArgKind::kText : ArgKind::kNumber; }

void Pad(std::u16string& out, std::u16string_view body, const Conversion& s, std::u16string_view prefix = {},
         bool zero_pad = false) {
  const size_t len = prefix.size() + body.size();
  const size_t fill = s.width > 0 && static_cast<size_t>(s.width) > len ? s.width - len : 0;
  if (s.left) {
    out.append(prefix).append(body).append(fill, u' ');
  } else if (zero_pad) {
    out.append(prefix).append(fill, u'0').append(body);
  } else {
    out.append(fill, u' ').append(prefix).append(body);
  }
}

void AppendNumber(std::u16string& out, const Conversion& s, int64_t number) {
  const bool is_signed = s.kind == u'd' || s.kind == u'i';
  uint64_t magnitude;
  bool negative = false;
  if (is_signed) {
    const int64_t v = s.wide_int ? number : static_cast<int32_t>(number);
    negative = v < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  } else {
    magnitude = s.wide_int ? static_cast<uint64_t>(number) : static_cast<uint32_t>(number);
  }
  const unsigned base = (s.kind == u'x' || s.kind == u'X') ? 16 : s.kind == u'o' ? 8 : 10;
  const char16_t* digits = s.kind == u'X' ? u"0123456789ABCDEF" : u"0123456789abcdef";
  std::u16string body;
  for (uint64_t m = magnitude; m != 0; m /= base) body.push_back(digits[m % base]);
  if (s.precision >= 0) {
    if (body.size() < static_cast<size_t>(s.precision)) body.append(s.precision - body.size(), u'0');
  } else if (body.empty()) {
    body = u"0";
  }
  std::reverse(body.begin(), body.end());
  std::u16string prefix;
  if (negative) prefix = u"-";
  else if (is_signed && s.plus) prefix = u"+";
  else if (is_signed && s.space) prefix = u" ";
  if (s.alt && magnitude != 0) {
    if (s.kind == u'x') prefix += u"0x";
    if (s.kind == u'X') prefix += u"0X";
    if (s.kind == u'o' && body.front() != u'0') body.insert(body.begin(), u'0');
  }
  // As in C, a precision turns zero padding off.
  Pad(out, body, s, prefix, s.zero && !s.left && s.precision < 0);
}

void AppendText(std::u16string& out, const Conversion& s, std::u16string_view text) {
  if (s.precision >= 0 && text.size() > static_cast<size_t>(s.precision)) text = text.substr(0, s.precision);
  Pad(out, text, s);
}

template <typename Emit>
std::u16string Format(std::u16string_view pattern, ArgKind arg, Emit emit) {
  std::u16string out;
  out.reserve(pattern.size() + 16);
  bool consumed = false;
  size_t i = 0;
  while (i < pattern.size()) {
    const char16_t c = pattern[i];
    if (c != u'%') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == u'%') {
      out.push_back(u'%');
      i += 2;
      continue;
    }
    const auto conversion = ParseConversion(pattern, i);
    if (conversion && !consumed && KindOf(conversion->kind) == arg) {
      emit(out, *conversion);
      consumed = true;
      i += conversion->length;
    } else if (conversion) {
      out.append(pattern.substr(i, conversion->length));  // printed as it stands
      i += conversion->length;
    } else {
      out.push_back(u'%');
      ++i;
    }
  }
  return out;
}

}  // namespace

std::u16string FormatText(std::u16string_view pattern, int64_t number) {
  return Format(pattern, ArgKind::kNumber,
                [number](std::u16string& out, const Conversion& s) { AppendNumber(out, s, number); });
}

std::u16string FormatText(std::u16string_view pattern, std::u16string_view text) {
  return Format(pattern, ArgKind::kText,
                [text](std::u16string& out, const Conversion& s) { AppendText(out, s, text); });
}

}  // namespace keyloom
