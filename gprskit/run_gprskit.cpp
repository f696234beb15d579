#include "kit_version.h"
#include "verb_steps.h"

namespace {

constexpr const char* kUsage[] = {
    "GprsKit sets up the kit's GPRS modem from a script or a deployment tool.",
    "",
    "Usage: GprsKit <verb> [argument]",
    "  install COMn   installs the modem on the COM port COMn, from the INF beside GprsKit.exe",
    "  apn TEXT       writes the modem's init string for the access point name TEXT",
    "  apn TEXT /standard  the same in TS 27.007's form, for a modem that refuses the kit's",
    "  apn /auto [COMn] [/standard]  asks the modem on COMn, or on the kit's modem's port, for",
    "                 the SIM's network and writes its operator's APN for the internet, from",
    "                 the kit's table of operators; where the table names no one operator, it",
    "                 lists them and writes nothing",
    // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one line around the entry's name
    "  entry          makes the dial-up entry \"" KIT_ENTRY_NAME "\" for the user who runs it",
    "  entry /allusers  makes it in the system's phonebook, for every user of the PC",
    "  remove         removes every modem of the kit, and the driver package copied for it",
    "  status         shows the kit's modems, the user's dial-up entry, and whether the",
    "                 driver package's catalog lists the INF and this PC trusts it",
    "  check [COMn]   asks the modem on COMn, or on the kit's modem's port, whether it answers",
    "                 and takes the init string, and names the SIM's operator; it changes",
    "                 nothing",
    "  trust          adds the kit's own certificate (wwandev.cer beside GprsKit.exe) to the",
    "                 machine's Root and TrustedPublisher stores, so that Windows installs",
    "                 the driver package without asking",
    "  untrust        takes exactly that certificate out of both stores again",
    "  version        shows the kit's version",
    "  help, /?, -?   shows this text",
    "",
    "Exit codes: 0 done, 3010 done and Windows must be restarted, 1 failed,",
    "2 the command line is wrong.",
};

void Usage(Console& console, bool asked) {
  for (const char* line : kUsage) asked ? console.Line(line) : console.Aside(line);
}

// The one option a verb takes after its arguments, or null.
const char* Option(std::string_view verb) {
  return verb == "entry" ? "/allusers" : verb == "apn" ? "/standard" : nullptr;
}

}  // namespace

int RunGprsKit(int argc, const char* const* argv, Console& console) {
  if (argc < 1 || !argv[0]) {
    console.Error("No verb was given.");
    Usage(console, false);
    return kExitUsage;
  }
  const std::string_view verb = argv[0];
  const int arguments = argc - 1;
  // The APN from the SIM: a port to ask and the form to write it in, each optional, in order.
  if (SameNoCase(verb, "apn") && arguments >= 1 && argv[1] && SameNoCase(argv[1], "/auto")) {
    const char* port = nullptr;
    bool standard = false;
    bool fits = arguments <= 3;
    for (int i = 2; fits && i <= arguments; ++i) {
      if (SameNoCase(argv[i], "/standard") && i == arguments)
        standard = true;
      else if (i == 2 && argv[i][0] != '/')
        port = argv[i];
      else
        fits = false;
    }
    if (!fits) {
      console.Error("\"apn /auto\" takes a port and then /standard, each optional.");
      Usage(console, false);
      return kExitUsage;
    }
    return ApnAutoVerb(port, standard, console);
  }
  const struct {
    const char* name;
    int arguments;
    bool oneMore;  // may take one argument more
  } verbs[] = {{"/?", 0, false},      {"-?", 0, false},      {"help", 0, false},
               {"install", 1, false}, {"apn", 1, true},      {"entry", 0, true},
               {"remove", 0, false},  {"status", 0, false},  {"check", 0, true},
               {"trust", 0, false},   {"untrust", 0, false}, {"version", 0, false}};
  const char* known = nullptr;
  for (const auto& entry : verbs) {
    if (!SameNoCase(verb, entry.name)) continue;
    known = entry.name;
    // The entry's one option says whose phonebook it goes into, the APN's which form it is
    // written in; the check's names a port.
    const bool fits =
        entry.arguments == arguments || (entry.oneMore && arguments == entry.arguments + 1);
    const char* option = Option(entry.name);
    const bool wrongOption =
        fits && option && arguments > entry.arguments && !SameNoCase(argv[arguments], option);
    if (!fits || wrongOption) {
      const std::string_view takes = wrongOption                      ? "no option but "
                                     : entry.oneMore && arguments > 1 ? "one argument at most"
                                     : entry.arguments                ? "one argument"
                                                                      : "no argument";
      console.Error(
          Words({"\"", entry.name, "\" takes ", takes, wrongOption ? option : "", "."}).Text());
      Usage(console, false);
      return kExitUsage;
    }
  }
  if (!known) {
    console.Error(Words({"\"", verb, "\" is not a verb of GprsKit."}).Text());
    Usage(console, false);
    return kExitUsage;
  }
  const std::string_view name = known;
  if (name == "install") return InstallVerb(argv[1], console);
  if (name == "apn") return ApnVerb(argv[1], arguments == 2, console);
  if (name == "entry")
    return EntryVerb(arguments ? Phonebook::kAllUsers : Phonebook::kUser, console);
  if (name == "remove") return RemoveVerb(console);
  if (name == "status") return StatusVerb(console);
  if (name == "check") return CheckVerb(arguments ? argv[1] : nullptr, console);
  if (name == "version") {
    console.Line("GPRS Modem Kit " KIT_VERSION_TEXT);
    return kExitDone;
  }
  if (name == "trust") return TrustVerb(console);
  if (name == "untrust") return UntrustVerb(console);
  Usage(console, true);
  return kExitDone;
}
