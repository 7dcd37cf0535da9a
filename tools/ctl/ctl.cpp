#include "ctl.h"

#include <algorithm>
#include <new>

#include "base/text.h"
#include "commands.h"
#include "device/command_set.h"

namespace keyloom::ctl {

namespace {

constexpr std::string_view kProgramHelp =
    "usage: keyloomctl [--simulate A|B] [--sim-state DIR] [--json] COMMAND ...\n"
    "\n"
    "Configures the Valdric RGB Mechanical Keyboard from the command line.\n"
    "\n"
    "commands:\n"
    "  info                      model, active profile, macro capacity, lighting modes and lighting\n"
    "  profile [N]               show the active profile, or make profile N (1-3) active\n"
    "  lighting set [OPTIONS]    change the lighting of a profile\n"
    "  export FILE               write a profile file from the keyboard's memory\n"
    "  import FILE               load a profile file and apply all three profiles to the keyboard\n"
    "  keys [--profile N] [--file FILE]   list the assigned keys of a profile\n"
    "  dump AREA                 hex dump of settings, lighting, keymap N, default-keymap or macros\n"
    "  backup                    back up the keyboard's key maps and macros into the Backups folder\n"
    "  backups                   list the backups, newest first\n"
    "\n"
    "options:\n"
    "  --simulate A|B     use the built-in simulated keyboard of model A or B (KEYLOOM_SIMULATE)\n"
    "  --sim-state DIR    keep the simulated keyboard's memory in DIR (KEYLOOM_SIM_STATE)\n"
    "  --json             print one JSON object per command\n"
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
     "                               [--report-rate 0-3]\n"
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
     "Lists every assigned key of profile N as \"key name: assignment\": from the profile file\n"
     "FILE (default profile 1), or else from the keyboard (default: the active profile).\n"},
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

int Context::Fail(int code, const std::string& message) {
  err << "keyloomctl: " << (command.empty() ? "" : command + ": ") << message << "\n";
  if (json && !reported) {
    out << JsonObject().Add("command", command).AddBool("ok", false).Add("exit", code).Add("error", message).str()
        << "\n";
    reported = true;
  }
  return code;
}

int Context::KeyboardFailed(const std::string& operation, int result) {
  if (link && link->in_use_by_other_program) return Fail(kExitKeyboard, kInUseText);
  return Fail(kExitKeyboard, operation + " failed: " + ResultText(result));
}

std::unique_ptr<Session> Context::Connect() {
  auto session = std::make_unique<Session>(simulate, sim_state, env, err);
  if (!session->Connect()) {
    Fail(kExitKeyboard, "no keyboard connected");
    return nullptr;
  }
  // The arrival's reads waited for another program (Keyloom applying, or
  // another keyloomctl) and gave up: say so now rather than after the
  // command has waited as long again.
  if (session->link.in_use_by_other_program) {
    Fail(kExitKeyboard, kInUseText);
    return nullptr;
  }
  link = &session->link;
  return session;
}

ParsedArgs ParseArgs(std::span<const std::string> args, std::span<const std::string_view> value_options) {
  ParsedArgs parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
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

int Run(std::span<const std::string> args, const Environment& env, std::ostream& out, std::ostream& err) {
  Context ctx{env, out, err, false, {}, {}, {}, false};
  if (env.simulate) ctx.simulate = *env.simulate;
  if (env.sim_state) ctx.sim_state = *env.sim_state;
  bool state_given = false;

  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.empty() || a[0] != '-') break;
    if (IsHelp(a)) {
      out << kProgramHelp;
      return kExitDone;
    }
    if (a == "--json") {
      ctx.json = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    if (name != "--simulate" && name != "--sim-state") {
      err << "keyloomctl: unknown option " << a << "\n" << kProgramHelp;
      return kExitUsage;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      err << "keyloomctl: option " << name << " needs a value\n";
      return kExitUsage;
    }
    if (name == "--simulate") {
      if (value != "A" && value != "B" && value != "a" && value != "b") {
        err << "keyloomctl: --simulate takes A or B\n";
        return kExitUsage;
      }
      ctx.simulate = Utf8ToUtf16(value);
    } else {
      ctx.sim_state = PathFromArgument(value);
      state_given = true;
    }
  }
  // The environment's simulation choice counts only when it names a model.
  if (ctx.simulate != u"A" && ctx.simulate != u"B" && ctx.simulate != u"a" && ctx.simulate != u"b") {
    ctx.simulate.clear();
  }
  if (state_given && ctx.simulate.empty()) {
    err << "keyloomctl: --sim-state needs --simulate A|B\n";
    return kExitUsage;
  }
  if (i == args.size()) {
    err << kProgramHelp;
    return kExitUsage;
  }
  const CommandEntry* command = FindCommand(args[i]);
  if (!command) {
    err << "keyloomctl: unknown command " << args[i] << "\n" << kProgramHelp;
    return kExitUsage;
  }
  ctx.command = std::string(command->name);
  const std::span<const std::string> rest = args.subspan(i + 1);
  if (std::any_of(rest.begin(), rest.end(), [](const std::string& a) { return IsHelp(a); })) {
    out << command->help;
    return kExitDone;
  }
  try {
    return command->run(ctx, rest);
  } catch (const std::bad_alloc&) {
    return ctx.Fail(kExitUsage, "out of memory");
  }
}

}  // namespace keyloom::ctl
