// keyloomctl's own parsing of its command line: options and positional
// arguments, numbers and profiles, and the JSON and hex text it makes of
// what it read. Arguments are the input split at NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "ctl.h"
#include "output.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace keyloom::ctl;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  for (size_t at = 0; at <= input.size();) {
    size_t end = input.find('\0', at);
    if (end == std::string_view::npos) end = input.size();
    args.emplace_back(input.substr(at, end - at));
    at = end + 1;
  }
  static constexpr std::string_view kValueOptions[] = {"mode", "profile", "speed", "brightness", "colour", "file"};
  const ParsedArgs parsed = ParseArgs(args, kValueOptions);
  if (parsed.positional.size() + parsed.options.size() > args.size()) std::abort();

  for (const std::string& a : args) {
    if (const auto n = ParseInt(a, -5, 255); n && (*n < -5 || *n > 255)) std::abort();
    if (const auto p = ParseProfile(a); p && (*p < 0 || *p > 2)) std::abort();
    const std::string json = JsonString(a);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') std::abort();
    PathFromArgument(a);
    HelpText(a);
  }
  HexDump(std::span(data, size), size);
  HexString(std::span(data, std::min<size_t>(size, 256)));
  return 0;
}
