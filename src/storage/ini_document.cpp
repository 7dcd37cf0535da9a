#include "storage/ini_document.h"

#include <array>

#include "base/text.h"

namespace keyloom {

namespace {

// Windows-1252 bytes 0x80..0x9F; the undefined ones map to themselves.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names compare as the native service compares them: up to a NUL.
std::u16string_view UpToNul(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }

bool NameMatches(std::u16string_view stored, std::u16string_view wanted) {
  return EqualsIgnoreAsciiCase(UpToNul(stored), UpToNul(wanted));
}

size_t UnitSize(IniEncoding e) { return (e == IniEncoding::kUtf16Le || e == IniEncoding::kUtf16Be) ? 2 : 1; }

char16_t UnitAt(std::string_view bytes, size_t i, IniEncoding e) {
  const auto b = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
  switch (e) {
    case IniEncoding::kUtf16Le: return static_cast<char16_t>(b(2 * i) | (b(2 * i + 1) << 8));
    case IniEncoding::kUtf16Be: return static_cast<char16_t>((b(2 * i) << 8) | b(2 * i + 1));
    default: return b(i);  // CR and LF are single bytes in both 8-bit forms
  }
}

std::u16string Decode(std::string_view bytes, IniEncoding e) {
  switch (e) {
    case IniEncoding::kAnsi: return DecodeWindows1252(bytes);
    case IniEncoding::kUtf8: return Utf8ToUtf16(bytes);
    default: {
      std::u16string out(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < out.size(); ++i) out[i] = UnitAt(bytes, i, e);
      return out;
    }
  }
}

std::string Encode(std::u16string_view text, IniEncoding e) {
  switch (e) {
    case IniEncoding::kAnsi: return EncodeWindows1252(text);
    case IniEncoding::kUtf8: return Utf16ToUtf8(text);
    default: {
      std::string out;
      out.reserve(text.size() * 2);
      for (char16_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        if (e == IniEncoding::kUtf16Le) out.append({lo, hi});
        else out.append({hi, lo});
      }
      return out;
    }
  }
}

bool StartsWithBytes(std::span<const uint8_t> b, std::initializer_list<uint8_t> prefix) {
  if (b.size() < prefix.size()) return false;
  size_t i = 0;
  for (uint8_t p : prefix)
    if (b[i++] != p) return false;
  return true;
}

}  // namespace

std::u16string DecodeWindows1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    out.push_back((b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t{b});
  }
  return out;
}

std::string EncodeWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char byte = '?';
    for (size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] == c) {
        byte = static_cast<char>(0x80 + k);
        break;
      }
    }
    // A surrogate pair is one character and becomes one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
    out.push_back(byte);
  }
  return out;
}

IniDocument::Line IniDocument::MakeLine(std::u16string text, std::u16string eol) {
  Line line;
  line.text = std::move(text);
  line.eol = std::move(eol);
  const std::u16string_view all = line.text;
  const std::u16string_view t = Trim(all);
  if (t.empty()) return line;
  const size_t begin = static_cast<size_t>(t.data() - all.data());
  const size_t end = begin + t.size();
  if (t.front() == u'[') {
    const size_t close = t.rfind(u']');
    if (close != std::u16string_view::npos) {
      line.kind = Kind::kSection;
      line.name = std::u16string(Trim(t.substr(1, close - 1)));
      return line;
    }
  }
  const size_t eq = t.find(u'=');
  if (eq == std::u16string_view::npos) {
    line.kind = Kind::kKeyWithoutValue;
    line.name = std::u16string(t);
    return line;
  }
  line.kind = Kind::kKey;
  line.name = std::u16string(Trim(t.substr(0, eq)));
  size_t v = begin + eq + 1;
  while (v < end && IsBlank(all[v])) ++v;
  line.value_begin = v;
  line.value_end = end;
  return line;
}

IniDocument IniDocument::Parse(std::span<const uint8_t> bytes) {
  IniDocument doc;
  size_t bom = 0;
  if (StartsWithBytes(bytes, {0xFF, 0xFE})) {
    doc.encoding_ = IniEncoding::kUtf16Le;
    bom = 2;
  } else if (StartsWithBytes(bytes, {0xFE, 0xFF})) {
    doc.encoding_ = IniEncoding::kUtf16Be;
    bom = 2;
  } else if (StartsWithBytes(bytes, {0xEF, 0xBB, 0xBF})) {
    doc.encoding_ = IniEncoding::kUtf8;
    bom = 3;
  }
  const std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  doc.bom_ = std::string(all.substr(0, bom));
  std::string_view body = all.substr(bom);
  const size_t unit = UnitSize(doc.encoding_);
  if (body.size() % unit != 0) {
    doc.trailing_odd_byte_ = std::string(body.substr(body.size() - 1));
    body.remove_suffix(1);
  }
  const size_t count = body.size() / unit;
  const auto add = [&](size_t start, size_t stop, size_t eol_units) {
    const std::string_view raw = body.substr(start * unit, (stop + eol_units - start) * unit);
    std::u16string eol = eol_units == 2 ? u"\r\n" : eol_units == 1 ? std::u16string(1, UnitAt(body, stop, doc.encoding_)) : u"";
    Line line = MakeLine(Decode(raw.substr(0, (stop - start) * unit), doc.encoding_), std::move(eol));
    line.raw = std::string(raw);
    doc.lines_.push_back(std::move(line));
  };
  size_t start = 0;
  for (size_t i = 0; i < count;) {
    const char16_t c = UnitAt(body, i, doc.encoding_);
    if (c != u'\r' && c != u'\n') {
      ++i;
      continue;
    }
    const size_t eol_units = (c == u'\r' && i + 1 < count && UnitAt(body, i + 1, doc.encoding_) == u'\n') ? 2 : 1;
    add(start, i, eol_units);
    i += eol_units;
    start = i;
  }
  if (start < count) add(start, count, 0);
  return doc;
}

std::optional<std::pair<size_t, size_t>> IniDocument::SectionBody(std::u16string_view section) const {
  const std::u16string_view wanted = Trim(section);
  size_t first = 0;
  if (!wanted.empty()) {
    // The lines before the first header are the section "" and nothing else.
    while (first < lines_.size() && !(lines_[first].kind == Kind::kSection && !lines_[first].name.empty() &&
                                      NameMatches(lines_[first].name, wanted)))
      ++first;
    if (first == lines_.size()) return std::nullopt;
    ++first;
  }
  size_t end = first;
  while (end < lines_.size() && lines_[end].kind != Kind::kSection) ++end;
  return std::make_pair(first, end);
}

std::optional<std::u16string> IniDocument::Find(std::u16string_view section, std::u16string_view key) const {
  const auto body = SectionBody(section);
  if (!body) return std::nullopt;
  const std::u16string_view wanted = Trim(key);
  for (size_t i = body->first; i < body->second; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kKey && line.kind != Kind::kKeyWithoutValue) continue;
    if (!NameMatches(line.name, wanted)) continue;
    if (line.kind == Kind::kKeyWithoutValue) return std::nullopt;
    std::u16string_view v = std::u16string_view(line.text).substr(line.value_begin, line.value_end - line.value_begin);
    v = UpToNul(v);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
      v = v.substr(1, v.size() - 2);
    return std::u16string(v);
  }
  return std::nullopt;
}

std::u16string IniDocument::PreferredEol() const {
  for (const Line& line : lines_)
    if (!line.eol.empty()) return line.eol;
  return u"\r\n";
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  const std::u16string eol = PreferredEol();
  const std::u16string_view key_name = Trim(key);
  std::u16string added;  // text of the lines to insert at `at`
  size_t at = lines_.size();
  std::optional<size_t> replaced;

  if (const auto body = SectionBody(section)) {
    for (size_t i = body->first; i < body->second && !replaced; ++i) {
      Line& line = lines_[i];
      if ((line.kind != Kind::kKey && line.kind != Kind::kKeyWithoutValue) || !NameMatches(line.name, key_name))
        continue;
      std::u16string text;
      if (line.kind == Kind::kKey) {
        text = line.text.substr(0, line.value_begin) + std::u16string(value) + line.text.substr(line.value_end);
      } else {
        const size_t end = static_cast<size_t>(line.name.size() + (Trim(line.text).data() - line.text.data()));
        text = line.text.substr(0, end) + u"=" + std::u16string(value) + line.text.substr(end);
      }
      added = text + line.eol;
      replaced = i;
      at = i;
    }
    if (!replaced) {
      at = body->first;
      for (size_t i = body->first; i < body->second; ++i)
        if (lines_[i].kind != Kind::kBlank) at = i + 1;
      added = std::u16string(key_name) + u"=" + std::u16string(value) + eol;
    }
  } else {
    added = u"[" + std::u16string(Trim(section)) + u"]" + eol + std::u16string(key_name) + u"=" +
            std::u16string(value) + eol;
  }

  // The line before the new ones must end in a line break.
  if (!replaced && at > 0 && lines_[at - 1].eol.empty()) {
    lines_[at - 1].eol = eol;
    lines_[at - 1].raw += Encode(eol, encoding_);
  }
  // A value holding line breaks becomes several lines, as it will read back.
  std::vector<Line> split;
  AppendLines(added, split);
  if (replaced) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*replaced));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), split.begin(), split.end());
}

void IniDocument::AppendLines(std::u16string_view text, std::vector<Line>& out) const {
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = start;
    while (stop < text.size() && text[stop] != u'\r' && text[stop] != u'\n') ++stop;
    size_t eol_units = 0;
    if (stop < text.size()) eol_units = (text[stop] == u'\r' && stop + 1 < text.size() && text[stop + 1] == u'\n') ? 2 : 1;
    // Encode, then decode again, so that the line reads as the file will
    // (a character the 8-bit form lacks is a '?' in both).
    std::string raw = Encode(text.substr(start, stop + eol_units - start), encoding_);
    const std::string content = Encode(text.substr(start, stop - start), encoding_);
    Line line = MakeLine(Decode(content, encoding_), std::u16string(text.substr(stop, eol_units)));
    line.raw = std::move(raw);
    out.push_back(std::move(line));
    start = stop + eol_units;
  }
}

std::vector<uint8_t> IniDocument::Serialize() const {
  std::string out = bom_;
  for (const Line& line : lines_) out += line.raw;
  out += trailing_odd_byte_;
  return std::vector<uint8_t>(out.begin(), out.end());
}

}  // namespace keyloom
