// keyloomctl's output: a small JSON builder for --json and the hex dump.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace keyloom::ctl {

// Text for a JSON string literal, quotes included.
std::string JsonString(std::string_view utf8);

// Builds one JSON object, members in the order added.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  JsonObject& Add(std::string_view key, int64_t number);
  JsonObject& Add(std::string_view key, int number) { return Add(key, int64_t{number}); }
  JsonObject& AddBool(std::string_view key, bool value);
  // `json` is already JSON (an object or array).
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  std::string str() const { return "{" + body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_;
};

class JsonArray {
 public:
  JsonArray& AddRaw(std::string_view json);
  JsonArray& Add(int64_t number);
  std::string str() const { return "[" + body_ + "]"; }

 private:
  std::string body_;
};

// Lines of "OOOO  xx xx ... (16 bytes)  |ascii|", offsets from `base`.
std::string HexDump(std::span<const uint8_t> bytes, size_t base = 0);
// All bytes as one run of hexadecimal digits.
std::string HexString(std::span<const uint8_t> bytes);

}  // namespace keyloom::ctl
