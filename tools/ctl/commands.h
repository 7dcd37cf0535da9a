// The commands of keyloomctl and what they share: the parsed invocation,
// argument helpers, and the one place where failures are reported.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "ctl.h"
#include "model/lighting.h"
#include "output.h"
#include "session.h"

namespace keyloom::ctl {

struct Context {
  const Environment& env;
  std::ostream& out;
  std::ostream& err;
  bool json = false;
  std::u16string simulate;   // "A", "B" or empty
  std::u16string sim_state;  // folder or empty
  std::string command;       // as reported: "info", "lighting set", ...
  bool reported = false;     // a JSON object was printed
  const KeyboardLink* link = nullptr;  // the connected keyboard's, once connected

  // A JSON result that starts with "command" and "ok": true.
  JsonObject Result() const;
  // Prints `result` (JSON mode only) and returns 0.
  int Done(const JsonObject& result);
  // Prints "keyloomctl: <command>: <message>" to the error stream (and, in
  // JSON mode, {"command", "ok": false, "exit", "error", "message"}) and
  // returns `code`. `error` is the stable code scripts test (docs list
  // them); empty: the usual one of the exit status.
  int Fail(int code, const std::string& message, std::string_view error = {});
  // A device operation that returned `result` (not 1).
  int KeyboardFailed(const std::string& operation, int result);

  // Builds the device stack and finds the keyboard with one scan. Null, with
  // the failure reported (exit 1), when no keyboard is connected.
  std::unique_ptr<Session> Connect();
  // The texts alone, for commands that need no keyboard.
  std::unique_ptr<Texts> TextsOnly() const { return std::make_unique<Texts>(env); }
};

// Options of one command: "--name value" / "--name=value" and flags; the
// rest are positional arguments.
struct ParsedArgs {
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;
  bool help = false;
  std::optional<std::string> error;
};
ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const std::string_view> value_options);

// Whole decimal number in [low, high], or nothing.
std::optional<int> ParseInt(std::string_view text, int low, int high);
// A profile as printed on the keyboard (1..3) -> index 0..2.
std::optional<int> ParseProfile(std::string_view text);

std::string ResultText(int result);
inline constexpr const char* kInUseText = "the keyboard is in use by another program; try again when it is done";

// The keyboard's active profile (0..2). Anything else is reported the same
// way by every command (exit 1): an index above 2 by its value, a failed
// read by its result code.
std::optional<int> ActiveProfile(Context& ctx, Session& s);

int CmdInfo(Context& ctx, std::span<const std::string> args);
int CmdProfile(Context& ctx, std::span<const std::string> args);
int CmdLighting(Context& ctx, std::span<const std::string> args);
int CmdExport(Context& ctx, std::span<const std::string> args);
int CmdImport(Context& ctx, std::span<const std::string> args);
int CmdKeys(Context& ctx, std::span<const std::string> args);
int CmdDump(Context& ctx, std::span<const std::string> args);
int CmdBackup(Context& ctx, std::span<const std::string> args);
int CmdBackups(Context& ctx, std::span<const std::string> args);
int CmdMacro(Context& ctx, std::span<const std::string> args);
int CmdReportRate(Context& ctx, std::span<const std::string> args);
int CmdDefaults(Context& ctx, std::span<const std::string> args);
int CmdColour(Context& ctx, std::span<const std::string> args);
// keys set / keys reset (positional[0] is "set" or "reset").
int CmdKeysEdit(Context& ctx, const ParsedArgs& parsed);

// RRGGBB (an optional '#' in front) as a colour, and back.
std::optional<Colour> ParseColour(std::string_view text);
std::string ColourHex(Colour c);
// Reads the mode list and the lighting records, decoding profile p's; a
// failure is reported (exit 1).
bool ReadLighting(Context& ctx, Session& s, LightingModel& model, int p);

// Help of one command (empty name: the program's).
std::string HelpText(std::string_view command);

}  // namespace keyloom::ctl
