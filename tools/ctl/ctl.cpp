#include "ctl.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "base/file_read.h"
#include "base/text.h"
#include "commands.h"
#include "device/command_set.h"

namespace keyloom::ctl {

namespace {

constexpr std::string_view kVersion = KEYLOOMCTL_VERSION;
constexpr std::string_view kUdevRuleHint =
    "sudo cp 70-keyloom.rules /etc/udev/rules.d/ && sudo udevadm control --reload && sudo udevadm trigger; "
    "the rule is installed with keyloomctl in share/keyloom and lies in assets/linux of the sources";

constexpr std::string_view kProgramHelp =
    "usage: keyloomctl [--simulate A|B] [--sim-state DIR] [--json] COMMAND ...\n"
    "\n"
    "Configures the Valdric RGB Mechanical Keyboard from the command line.\n"
    "\n"
    "commands:\n"
    "  info                      model, active profile, macro capacity, lighting modes and lighting\n"
    "  profile [N]               show the active profile, or make profile N (1-3) active\n"
    "  keys [--profile N] [--file FILE]   list the assigned keys of a profile\n"
    "  keys set KEY FUNCTION     give a key another function (see keys --help)\n"
    "  keys reset                every key of the profile does its default again\n"
    "  macro list|show|add|rename|delete   the keyboard's macros (see macro --help)\n"
    "  lighting set [OPTIONS]    change the lighting of a profile\n"
    "  colour KEY RRGGBB         paint a key; colour --all RRGGBB; colour user-mode N\n"
    "  report-rate [1-4]         show or set the report rate (the window's four buttons)\n"
    "  defaults                  restore the profile's keys, lighting and per-key colours\n"
    "  export FILE               write a profile file from the keyboard's memory\n"
    "  import FILE               load a profile file and apply all three profiles to the keyboard\n"
    "  dump AREA                 hex dump of settings, lighting, keymap N, default-keymap or macros\n"
    "  backup                    back up the keyboard's key maps and macros into the Backups folder\n"
    "  backups                   list the backups, newest first\n"
    "\n"
    "options (anywhere on the line; \"--\" ends them):\n"
    "  --simulate A|B     use the built-in simulated keyboard of model A or B (KEYLOOM_SIMULATE)\n"
    "  --sim-state DIR    keep the simulated keyboard's memory in the folder DIR (KEYLOOM_SIM_STATE)\n"
    "  --profile N        the profile (1-3) a command works on; default: the active one\n"
    "  --json             print one JSON object for every outcome, errors included\n"
    "  --version          the version of keyloomctl\n"
    "  COMMAND --help     help on one command\n"
    "\n"
    "exit status: 0 done; 1 no keyboard, or the keyboard did not answer or refused;\n"
    "2 usage error, or a file that cannot be read or written; 3 not a valid profile file.\n";

struct CommandEntry {
  std::string_view name;
  int (*run)(Context&, std::span<const std::string>);
  std::string_view help;
};

constexpr CommandEntry kCommands[] = {
    {"info", CmdInfo,
     "usage: keyloomctl info\n"
     "Shows the model with its vendor and product ids, the active profile, the macro capacity,\n"
     "the lighting modes the keyboard offers, and the active profile's lighting: mode, brightness,\n"
     "speed, direction, colour, colourful flag and report rate.\n"},
    {"profile", CmdProfile,
     "usage: keyloomctl profile [N]\n"
     "Without N shows the active profile; with N (1, 2 or 3, as printed on the keyboard's\n"
     "profile buttons) makes it active.\n"},
    {"lighting", CmdLighting,
     "usage: keyloomctl lighting set [--profile N] [--mode NUMBER] [--brightness 0-4] [--speed 0-3]\n"
     "                               [--direction 0|255] [--colour RRGGBB] [--colourful on|off]\n"
     "                               [--report-rate 1-4]\n"
     "Writes each given field to the lighting of profile N (default: the active profile), in the\n"
     "order listed, each as its own exchange with the keyboard. A mode the keyboard does not offer\n"
     "is refused. Choosing a colour turns the colourful flag off, as the lighting panel does.\n"},
    {"export", CmdExport,
     "usage: keyloomctl export FILE\n"
     "Reads the three key maps and the macro area from the keyboard and writes them as a profile\n"
     "file. A file that cannot be written (a folder, a device, a read-only file) gives exit\n"
     "status 2, and the file stays as it was.\n"},
    {"import", CmdImport,
     "usage: keyloomctl import FILE\n"
     "Checks the profile file, loads it, saves it as the working profile file $Profile0 in the\n"
     "user data folder and applies all three profiles (key maps and macros) to the keyboard.\n"
     "A file that is not a valid profile file changes nothing (exit status 3). When the keyboard\n"
     "does not take the key maps, $Profile0 still holds the file: import it again, or press\n"
     "Apply in Keyloom, to finish.\n"},
    {"keys", CmdKeys,
     "usage: keyloomctl keys [--profile N] [--file FILE]\n"
     "       keyloomctl keys set KEY FUNCTION [--profile N]\n"
     "       keyloomctl keys reset [--profile N]\n"
     "Without set or reset lists every assigned key of profile N as \"key name: assignment\": from\n"
     "the profile file FILE (default profile 1), or else as Keyloom holds it for the keyboard\n"
     "(default: the active profile).\n"
     "set gives KEY (a name as the list prints it: a, f5, left-ctrl, g1) the FUNCTION:\n"
     "  KEYNAME              send that key instead (e.g. b, left-ctrl, f12)\n"
     "  disabled | default   do nothing | do what the key does by itself\n"
     "  media NAME           a media action: mute, play/pause, volume-up, ... or 1-18\n"
     "  function NAME        a keyboard function, 1-11\n"
     "  macro NAME [--cycles N]   play the macro N times (1-255, default 1)\n"
     "  stop-macro           stop a macro that plays\n"
     "  mouse BUTTON         left, right, middle, wheel-up or wheel-down\n"
     "  program PATH         start a program (Keyloom must be running on Windows)\n"
     "  text TEXT            type a text (Keyloom must be running on Windows)\n"
     "reset gives every key of the profile its default back. Both save the working profile file\n"
     "$Profile0 that Keyloom shares and apply it to the keyboard, as Keyloom's Apply does.\n"},
    {"macro", CmdMacro,
     "usage: keyloomctl macro list\n"
     "       keyloomctl macro show NAME\n"
     "       keyloomctl macro add NAME [--cycles N] EVENTS...\n"
     "       keyloomctl macro rename NAME NEWNAME\n"
     "       keyloomctl macro delete NAME\n"
     "EVENTS are KEY:down, KEY:up, or KEY (down, then up), each optionally followed by the delay\n"
     "after it in milliseconds: a:down 50 a:up. As in the macro editor a delay is at most 40000 ms\n"
     "and goes down to a multiple of 10 ms (55 becomes 50). A key named by a digit needs :down or\n"
     ":up (1:down). Deleting a macro that keys play makes those keys do their default, in all\n"
     "three profiles.\n"},
    {"colour", CmdColour,
     "usage: keyloomctl colour KEY RRGGBB [--profile N]\n"
     "       keyloomctl colour --all RRGGBB [--profile N]\n"
     "       keyloomctl colour user-mode N [--profile N]\n"
     "Paints one key (a name as keyloomctl keys prints it, or fn) or every key in the current\n"
     "user mode of the profile, as painting in Keyloom's lighting panel does: the keyboard gets the\n"
     "colours and the user data file keeps them. user-mode N (1-10) loads one of the ten per-key\n"
     "layouts and sends it. The colours show while the profile's mode is the per-key mode (20).\n"},
    {"report-rate", CmdReportRate,
     "usage: keyloomctl report-rate [1-4] [--profile N]\n"
     "Shows the report rate of the profile, or sets it; 1 to 4 are the four report-rate buttons of\n"
     "Keyloom's main window, from the left.\n"},
    {"defaults", CmdDefaults,
     "usage: keyloomctl defaults [--profile N]\n"
     "As the Defaults button: every key of the profile does its default again, the profile's\n"
     "lighting record and its per-key colours (the user data file) are the factory ones, and the\n"
     "keys are applied to the keyboard.\n"},
    {"dump", CmdDump,
     "usage: keyloomctl dump settings|lighting|keymap N|default-keymap|macros\n"
     "Hex dump of that area of the keyboard's memory: the 44-byte settings block, the three\n"
     "42-byte lighting records, the key map of profile N (1-3), the default key map, or the\n"
     "whole macro area.\n"},
    {"backup", CmdBackup,
     "usage: keyloomctl backup\n"
     "Reads the three key maps and the macro area from the keyboard and writes them as a profile\n"
     "file named by date and time (\"Backup 2025-03-14 09-26-53.fwc\") into the folder Backups of\n"
     "the user data folder, where Keyloom puts its automatic backups. The newest 20 are kept.\n"},
    {"backups", CmdBackups,
     "usage: keyloomctl backups\n"
     "Lists the backups in the folder Backups of the user data folder, newest first, one path a\n"
     "line. Any of them can be given to import.\n"},
};

const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& c : kCommands)
    if (c.name == name) return &c;
  return nullptr;
}

std::string CommandNames() {
  std::string names;
  for (const CommandEntry& c : kCommands) names += (names.empty() ? "" : ", ") + std::string(c.name);
  return names;
}

bool IsHelp(std::string_view a) { return a == "--help" || a == "-h"; }

}  // namespace

std::string HelpText(std::string_view command) {
  if (const CommandEntry* c = FindCommand(command)) return std::string(c->help);
  return std::string(kProgramHelp);
}

std::string ResultText(int result) {
  std::string text = "result " + std::to_string(result);
  switch (result) {
    case kResultNoKeyboard: return text + " (no answer)";
    case kResultWriteFailed: return text + " (the report could not be written)";
    case kResultRefused: return text + " (the keyboard refused, status 0xFF)";
    case kResultBusy: return text + " (the keyboard refused, status 0xFE)";
    case kResultBadProfile: return text + " (no such profile)";
    default: return text;
  }
}

JsonObject Context::Result() const { return JsonObject().Add("command", command).AddBool("ok", true); }

int Context::Done(const JsonObject& result) {
  if (json && !reported) {
    out << result.str() << "\n";
    reported = true;
  }
  return kExitDone;
}

int Context::Fail(int code, const std::string& message, std::string_view error) {
  err << "keyloomctl: " << (command.empty() ? "" : command + ": ") << message << "\n";
  if (error.empty()) error = code == kExitKeyboard ? "keyboard_failed" : code == kExitBadProfileFile ? "bad_profile_file" : "usage";
  if (json && !reported) {
    out << JsonObject()
               .Add("command", command)
               .AddBool("ok", false)
               .Add("exit", code)
               .Add("error", error)
               .Add("message", message)
               .str()
        << "\n";
    reported = true;
  }
  return code;
}

int Context::KeyboardFailed(const std::string& operation, int result) {
  if (link && link->in_use_by_other_program) return Fail(kExitKeyboard, kInUseText, "keyboard_in_use");
  return Fail(kExitKeyboard, operation + " failed: " + ResultText(result), "keyboard_failed");
}

std::unique_ptr<Session> Context::Connect() {
  auto session = std::make_unique<Session>(simulate, sim_state, env, err);
  if (!session->Connect()) {
    if (const std::string node = session->UnopenableKeyboardNode(); !node.empty()) {
      Fail(kExitKeyboard,
           "the keyboard is at " + node + " but this user may not open it: install the udev rule (" +
               std::string(kUdevRuleHint) + "), then unplug the keyboard and plug it in again",
           "keyboard_not_openable");
    } else {
      Fail(kExitKeyboard, "no keyboard connected", "no_keyboard");
    }
    return nullptr;
  }
  // The arrival's reads waited for another program (Keyloom applying, or
  // another keyloomctl) and gave up: say so now rather than after the
  // command has waited as long again.
  if (session->link.in_use_by_other_program) {
    Fail(kExitKeyboard, kInUseText, "keyboard_in_use");
    return nullptr;
  }
  link = &session->link;
  return session;
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const std::string_view> value_options) {
  ParsedArgs parsed;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_ended && a == "--") {
      options_ended = true;  // what follows is positional, even "--json"
      continue;
    }
    if (options_ended) {
      parsed.positional.push_back(a);
      continue;
    }
    if (IsHelp(a)) {
      parsed.help = true;
      continue;
    }
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
      parsed.positional.push_back(a);
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
    if (std::find(value_options.begin(), value_options.end(), name) == value_options.end()) {
      if (!parsed.error) parsed.error = "unknown option " + a;
      continue;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      if (!parsed.error) parsed.error = "option --" + name + " needs a value";
      continue;
    }
    if (parsed.options.count(name) && !parsed.error) parsed.error = "option --" + name + " given twice";
    parsed.options[name] = value;
  }
  return parsed;
}

std::optional<int> ParseInt(std::string_view text, int low, int high) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<int> ParseProfile(std::string_view text) {
  if (auto n = ParseInt(text, 1, 3)) return *n - 1;
  return std::nullopt;
}

namespace {

bool IsModel(const std::u16string& m) { return m == u"A" || m == u"B" || m == u"a" || m == u"b"; }

// Where the command word stands among what is left once the program's own
// options are taken out. A command's options may come before its word, and
// every one of them takes a value ("--profile 1 keys"). When that reading
// finds no command, the first word that names one before a "--" is taken
// ("--bogus keys": the keys command then names --bogus as unknown). With no
// command at all, the first word is reported.
size_t CommandWordAt(const std::vector<std::string>& rest) {
  auto is_option = [](const std::string& a) { return a.size() > 2 && a.compare(0, 2, "--") == 0; };
  size_t at = 0;
  while (at < rest.size() && is_option(rest[at])) at += rest[at].find('=') == std::string::npos ? 2 : 1;
  if (at < rest.size() && FindCommand(rest[at])) return at;
  const auto options_end = std::find(rest.begin(), rest.end(), "--");
  const auto named = std::find_if(rest.begin(), options_end, [](const std::string& a) { return FindCommand(a); });
  return named == options_end ? 0 : static_cast<size_t>(named - rest.begin());
}

}  // namespace

int Run(std::span<const std::string> args, const Environment& env, std::ostream& out, std::ostream& err) {
  Context ctx{env, out, err, false, {}, {}, {}, false};
  // The options of the program are taken wherever they stand; "--" ends
  // them (what follows is the command's, even when it starts with "--").
  std::vector<std::string> rest;
  std::optional<std::string> simulate, sim_state;
  std::optional<std::string> problem;
  bool version = false, program_help = false, options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_ended || a.size() < 2 || a[0] != '-') {
      rest.push_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      rest.push_back(a);
      continue;
    }
    if (a == "--json") {
      ctx.json = true;
      continue;
    }
    if (a == "--version") {
      version = true;
      continue;
    }
    if (IsHelp(a) && rest.empty()) {
      program_help = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (name != "--simulate" && name != "--sim-state") {
      rest.push_back(a);  // the command's own, or unknown: the command says so
      continue;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else if (!problem) {
      problem = "option " + name + " needs a value";
      continue;
    }
    (name == "--simulate" ? simulate : sim_state) = value;
  }
  if (problem) return ctx.Fail(kExitUsage, *problem, "usage");
  if (version) {
    if (!ctx.json) out << "keyloomctl " << kVersion << "\n";
    return ctx.Done(JsonObject().Add("command", "version").AddBool("ok", true).Add("version", kVersion));
  }
  if (program_help) {
    out << kProgramHelp;
    return kExitDone;
  }

  // Which keyboard: --simulate, else KEYLOOM_SIMULATE; a value that names no
  // model is an error, not the machine's keyboard in disguise.
  if (simulate) {
    ctx.simulate = Utf8ToUtf16(*simulate);
    if (!IsModel(ctx.simulate)) return ctx.Fail(kExitUsage, "--simulate takes A or B, not " + *simulate, "bad_value");
  } else if (env.simulate && !env.simulate->empty()) {
    ctx.simulate = *env.simulate;
    if (!IsModel(ctx.simulate))
      return ctx.Fail(kExitUsage, "KEYLOOM_SIMULATE is A or B, not " + Utf16ToUtf8(*env.simulate) +
                                      " (unset it to use the keyboard itself)", "bad_environment");
  }
  if (sim_state) {
    ctx.sim_state = PathFromArgument(*sim_state);
    if (ctx.simulate.empty()) return ctx.Fail(kExitUsage, "--sim-state needs --simulate A|B", "usage");
  } else if (env.sim_state && !env.sim_state->empty() && !ctx.simulate.empty()) {
    ctx.sim_state = *env.sim_state;
  }
  if (!ctx.sim_state.empty()) {
    // The simulated keyboard keeps its memory in a folder; one that cannot
    // be made, or a file of that name, would keep nothing.
    const std::string shown = Utf16ToUtf8(ctx.sim_state);
    std::error_code ec;
    const auto folder = FsPath(ctx.sim_state);
    if (std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec))
      return ctx.Fail(kExitUsage, "the simulated keyboard's memory is kept in a folder; " + shown + " is not one",
                      "bad_value");
    if (!std::filesystem::exists(folder, ec) && !std::filesystem::create_directories(folder, ec))
      return ctx.Fail(kExitUsage, "cannot make the folder " + shown + ": " + ec.message(), "bad_value");
  }

  if (rest.empty()) {
    if (!ctx.json) err << kProgramHelp;
    return ctx.Fail(kExitUsage, "no command given (see keyloomctl --help)", "usage");
  }
  const size_t at = CommandWordAt(rest);
  const CommandEntry* command = FindCommand(rest[at]);
  if (!command) {
    const std::string& word = rest[at];
    if (word.size() > 1 && word[0] == '-') return ctx.Fail(kExitUsage, "unknown option " + word, "unknown_option");
    return ctx.Fail(kExitUsage, "unknown command " + word + " (the commands: " + CommandNames() + ")",
                    "unknown_command");
  }
  ctx.command = std::string(command->name);
  // The command's options given before its word go first; they are
  // options, so their place among the words after it does not matter.
  rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(at));
  const std::span<const std::string> command_args = rest;
  if (std::any_of(command_args.begin(), std::find(command_args.begin(), command_args.end(), "--"),
                  [](const std::string& a) { return IsHelp(a); })) {
    if (!ctx.json) out << command->help;
    return ctx.Done(ctx.Result().Add("help", command->help));
  }
  try {
    return command->run(ctx, command_args);
  } catch (const std::bad_alloc&) {
    return ctx.Fail(kExitUsage, "out of memory", "out_of_memory");
  }
}

}  // namespace keyloom::ctl
