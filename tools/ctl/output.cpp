#include "output.h"

#include <cstdio>

namespace keyloom::ctl {

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", c);
          out += esc;
        } else {
          out += ch;  // UTF-8 passes through
        }
    }
  }
  return out + "\"";
}

void JsonObject::Key(std::string_view key) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonString(key) + ":";
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view text) {
  Key(key);
  body_ += JsonString(text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, int64_t number) {
  Key(key);
  body_ += std::to_string(number);
  return *this;
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view json) {
  Key(key);
  body_ += json;
  return *this;
}

JsonArray& JsonArray::AddRaw(std::string_view json) {
  if (!body_.empty()) body_ += ",";
  body_ += json;
  return *this;
}

JsonArray& JsonArray::Add(int64_t number) { return AddRaw(std::to_string(number)); }

std::string HexDump(std::span<const uint8_t> bytes, size_t base) {
  std::string out;
  char buf[8];
  for (size_t line = 0; line < bytes.size(); line += 16) {
    std::snprintf(buf, sizeof buf, "%04x ", static_cast<unsigned>(base + line));
    out += buf;
    std::string ascii;
    for (size_t i = line; i < line + 16; ++i) {
      if (i < bytes.size()) {
        std::snprintf(buf, sizeof buf, " %02x", bytes[i]);
        out += buf;
        ascii += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
      } else {
        out += "   ";
      }
    }
    out += "  |" + ascii + "|\n";
  }
  return out;
}

std::string HexString(std::span<const uint8_t> bytes) {
  std::string out;
  char buf[4];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", b);
    out += buf;
  }
  return out;
}

}  // namespace keyloom::ctl
