#include "base/text.h"

#include <cstdint>

namespace keyloom {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}
// One UTF-8 sequence at the start of `in`: its code point and length, or
// nothing when it is malformed. Encoded surrogates are accepted only when
// `surrogates` (WTF-8).
struct Decoded {
  char32_t c;
  size_t length;
};
bool DecodeOne(std::string_view in, bool surrogates, Decoded& out) {
  const auto b0 = static_cast<uint8_t>(in[0]);
  const int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
  if (extra < 0 || static_cast<size_t>(extra) >= in.size()) return false;
  char32_t c = extra == 0 ? b0 : extra == 1 ? (b0 & 0x1F) : extra == 2 ? (b0 & 0x0F) : (b0 & 0x07);
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(in[k]);
    if ((b & 0xC0) != 0x80) return false;
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF) return false;
  if (!surrogates && c >= 0xD800 && c <= 0xDFFF) return false;
  out = {c, static_cast<size_t>(extra) + 1};
  return true;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 to UTF-8 with each lone surrogate given to `lone`.
template <typename Lone>
std::string EncodeUtf8(std::u16string_view in, Lone lone) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const char16_t u = in[i];
    if (IsHigh(u) && i + 1 < in.size() && IsLow(in[i + 1])) {
      AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (in[i + 1] - 0xDC00));
      ++i;
    } else if (IsHigh(u) || IsLow(u)) {
      lone(out, u);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

// UTF-8 (WTF-8 when `surrogates`) to UTF-16, with each byte that starts no
// valid sequence given to `bad`.
template <typename Bad>
std::u16string DecodeUtf8(std::string_view in, bool surrogates, Bad bad) {
  std::u16string out;
  out.reserve(in.size());
  while (!in.empty()) {
    Decoded d;
    if (DecodeOne(in, surrogates, d)) {
      AppendUtf16(out, d.c);
      in.remove_prefix(d.length);
    } else {
      bad(out, static_cast<uint8_t>(in[0]));
      in.remove_prefix(1);
    }
  }
  return out;
}

void AppendReplacement(std::u16string& out, uint8_t) { AppendUtf16(out, kReplacement); }

}  // namespace

std::u16string FileNameFromBytes(std::string_view in) {
  return DecodeUtf8(in, false, [](std::u16string& out, uint8_t byte) { out.push_back(char16_t(0xDC00 + byte)); });
}

std::string FileNameToBytes(std::u16string_view name) {
  return EncodeUtf8(name, [](std::string& out, char16_t u) {
    if (u >= 0xDC80 && u <= 0xDCFF) {
      out.push_back(static_cast<char>(u - 0xDC00));
    } else {
      AppendUtf8(out, u);  // not made by FileNameFromBytes: kept as WTF-8
    }
  });
}

std::string Utf16ToWtf8(std::u16string_view utf16) {
  return EncodeUtf8(utf16, [](std::string& out, char16_t u) { AppendUtf8(out, u); });
}

std::u16string Wtf8ToUtf16(std::string_view in) { return DecodeUtf8(in, true, AppendReplacement); }

// A bad lead byte, a sequence cut short or one not allowed: U+FFFD each.
std::u16string Utf8ToUtf16(std::string_view in) { return DecodeUtf8(in, false, AppendReplacement); }

std::string Utf16ToUtf8(std::u16string_view in) {
  return EncodeUtf8(in, [](std::string& out, char16_t) { AppendUtf8(out, kReplacement); });
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

size_t FindIgnoreAsciiCase(std::u16string_view hay, std::u16string_view needle) {
  if (needle.size() > hay.size()) return std::u16string_view::npos;
  for (size_t i = 0; i + needle.size() <= hay.size(); ++i)
    if (EqualsIgnoreAsciiCase(hay.substr(i, needle.size()), needle)) return i;
  return std::u16string_view::npos;
}

}  // namespace keyloom
