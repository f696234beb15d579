// `GprsKit check [COMn]`: asks the modem on a port who it is, whether its SIM and its network are
// ready, and whether it takes the init string the kit wrote, which is the first thing a dial
// would otherwise find out. It only reads: the registry for reading, the port for the check's own
// time, and nothing is written anywhere.
#include <cstring>

#include "apn_forms.h"
#include "apn_init.h"
#include "check_answers.h"
#include "kit_modems.h"
#include "modem_line.h"
#include "result_codes.h"
#include "sim_network.h"
#include "verb_steps.h"

namespace {

// The bounds every check keeps, however the modem answers: the README states them.
constexpr int kFirstTries = 3;
constexpr DWORD kFirstAnswerMs = 2000;
constexpr DWORD kAnswerMs = 5000;
constexpr DWORD kCheckMs = 30000;

// "COM1" to "COM256", the letters in any case.
bool IsComPortName(const char* name) {
  const std::string_view text = name;
  if (text.size() < 4 || text.size() > 6 || !SameNoCase(std::string_view(name, 3), "COM"))
    return false;
  unsigned number = 0;
  for (const char c : std::string_view(text.data() + 3, text.size() - 3)) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return text[3] != '0' && number <= 256;
}

// The kit's modem on a port, or the first one when no port is named: where it is attached and
// the init string it was given.
class FindKitModem : public KitModemVisitor {
 public:
  explicit FindKitModem(const char* port) : port_(port) {}
  bool Visit(HDEVINFO set, SP_DEVINFO_DATA& element) override {
    DeviceRegKey driverKey(
        SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    const HKEY key = driverKey ? driverKey.get() : nullptr;
    char attachedTo[kTextCapacity];
    if (ReadText(key, "AttachedTo", attachedTo) != ValueRead::kText ||
        (port_ && !SameNoCase(attachedTo, port_)))
      return true;
    found = true;
    std::memcpy(this->attachedTo, attachedTo, sizeof attachedTo);
    initRead = ReadText(key, "UserInit", init);
    return false;
  }
  bool found = false;
  char attachedTo[kTextCapacity] = {};
  ValueRead initRead = ValueRead::kNone;
  char init[kTextCapacity] = {};

 private:
  const char* port_;
};

struct Question {
  const char* label;
  const char* command;
  InformationText information;
  void (*say)(const char* answer, char (&said)[kTextCapacity]);
};

constexpr Question kQuestions[] = {
    {"identity", "ATI", InformationText::kPlain, nullptr},
    {"manufacturer", "AT+CGMI", InformationText::kPlain, nullptr},
    {"model", "AT+CGMM", InformationText::kPlain, nullptr},
    {"revision", "AT+CGMR", InformationText::kPlain, nullptr},
    {"SIM", "AT+CPIN?", InformationText::kPrefixed, nullptr},
    {"signal", "AT+CSQ", InformationText::kPrefixed, SaySignal},
    {"network", "AT+CREG?", InformationText::kPrefixed, SayRegistration},
    {"packet network", "AT+CGREG?", InformationText::kPrefixed, SayRegistration},
};
constexpr const Question& kSimQuestion = kQuestions[4];
// Asked once the SIM is ready; its line is the operator's, as the network code names it.
constexpr Question kNetworkQuestion = {"SIM's network", "AT+CIMI", InformationText::kImsi, nullptr};

// What came back, in a few words.
void SayAnswer(ModemLine::Asked asked, const ModemAnswer& answer, const Question& question,
               char (&said)[kTextCapacity]) {
  const char* information = answer.Information();
  const char* text = "no final result code in time";
  if (asked == ModemLine::Asked::kNotTaken) {
    text = "the port did not take the command (does the modem's flow control hold it back?)";
  } else if (asked == ModemLine::Asked::kTimedOut && information[0]) {
    return OneLine(Words({information, "; no final result code in time"}).Text(), "", said);
  } else if (asked == ModemLine::Asked::kAnswered) {
    switch (answer.end()) {
      case AnswerEnd::kOk:
        if (question.say && information[0]) return question.say(information, said);
        if (!information[0]) return SayFinalCode(answer.FinalCode(), said);
        text = information;
        break;
      case AnswerEnd::kRefused:
        return SayFinalCode(answer.FinalCode(), said);
      case AnswerEnd::kLineTooLong:
        text = "an answer line of 256 bytes or more";
        break;
      case AnswerEnd::kNotText:
        text = "bytes that are not text (does the port's speed match the modem's?)";
        break;
      case AnswerEnd::kTooMuch:
        text = "4096 bytes without a final result code";
        break;
      case AnswerEnd::kNone:
        break;
    }
  }
  OneLine(text, "(nothing)", said);
}

// The questions, one after another, each within its time and the whole check's.
class Check {
 public:
  Check(ModemLine& line, Console& console)
      : line_(line), console_(console), start_(GetTickCount()) {}

  // Asks `question` and says its answer; false when the port failed or the whole check's time
  // is up, which ends the check.
  bool Ask(const Question& question, DWORD limitMs) {
    const DWORD spent = GetTickCount() - start_;
    if (spent >= kCheckMs) {
      console_.Error(
          Words({"The check took its 30 seconds before ", question.command, "."}).Text());
      return false;
    }
    if (kCheckMs - spent < limitMs) limitMs = kCheckMs - spent;
    ModemAnswer answer(question.command, question.information, numeric);
    asked = line_.Ask(question.command, limitMs, answer);
    if (asked == ModemLine::Asked::kPortFailed) {
      char reason[kTextCapacity];
      SystemReason(GetLastError(), reason);
      console_.Error(Words({"The port failed: ", reason}).Text());
      return false;
    }
    end = answer.end();
    SayAnswer(asked, answer, question, said);
    // A modem in V.250's numeric mode says so in its first answer; every later one is read so.
    const bool numericNow = Answered() && IsNumericCode(answer.FinalCode());
    const char* note = numericNow && !numeric
                           ? ", in numeric mode (V0); the modem driver's own init string sets V1"
                           : "";
    numeric = numeric || numericNow;
    if (&question == &kSimQuestion)
      sim = ReadSimState(asked == ModemLine::Asked::kAnswered ? end : AnswerEnd::kNone,
                         answer.Information(), answer.FinalCode());
    // Only the network's digits of an IMSI are kept, and only from an answer that ended well.
    const char* digits = Accepted() ? answer.NetworkDigits() : "";
    std::memcpy(network, digits, strnlen(digits, sizeof network - 1) + 1);
    if (network[0] == '\0')
      console_.Line(Words({question.label, " (", question.command, "): ", said, note}).Text());
    return true;
  }

  // Whether the last question got a final result code, and which.
  bool Answered() const {
    return asked == ModemLine::Asked::kAnswered &&
           (end == AnswerEnd::kOk || end == AnswerEnd::kRefused);
  }
  bool Accepted() const { return asked == ModemLine::Asked::kAnswered && end == AnswerEnd::kOk; }
  bool Refused() const {
    return asked == ModemLine::Asked::kAnswered && end == AnswerEnd::kRefused;
  }

  ModemLine::Asked asked = ModemLine::Asked::kTimedOut;
  AnswerEnd end = AnswerEnd::kNone;
  char said[kTextCapacity] = {};
  bool numeric = false;
  SimState sim = SimState::kUnknown;
  char network[7] = {};  // the first digits of the IMSI the last answer gave, or ""

 private:
  ModemLine& line_;
  Console& console_;
  const DWORD start_;
};

// The kit's init string in TS 27.007's form, with the APN of `init`, and the command that sends
// it; false when `init` is not the kit's template around an APN the console tool would write.
bool StandardForm(const char* init, char (&apn)[kApnMost + 1], char (&command)[kTextCapacity + 2]) {
  std::string_view found;
  if (!ApnInInit(kApnInitTemplate, init, found) || !IsPlainApn(found)) return false;
  std::memcpy(apn, found.data(), found.size());
  apn[found.size()] = '\0';
  char standard[kTextCapacity];
  if (!BuildApnInitString(kApnStandardTemplate, apn, standard)) return false;
  std::memcpy(command + 2, standard, std::strlen(standard) + 1);
  return true;
}

// Why the port could not be opened, in the user's words.
int OpenFailure(ModemLine::Opened opened, const char* port, Console& console) {
  if (opened == ModemLine::Opened::kInUse) {
    console.Error(Words({port, " is in use by another program"}).Text());
  } else if (opened == ModemLine::Opened::kNoSuchPort) {
    console.Error(Words({"There is no port ", port, " on this PC."}).Text());
  } else {
    char reason[kTextCapacity];
    SystemReason(GetLastError(), reason);
    console.Error(Words({port, " cannot be opened and set up: ", reason}).Text());
  }
  return kExitFailed;
}

// The port a verb asks on, and the kit's modem there; kExitDone when the verb can go on.
// `doing`: what the port is named for; `verb`: the command line that names it.
int FindPort(const char*& port, FindKitModem& modem, const char* doing, const char* verb,
             Console& console) {
  if (port && !IsComPortName(port)) {
    console.Error(Words({"\"", port, "\" is not the name of a COM port, such as COM5."}).Text());
    return kExitUsage;
  }
  if (!ForEachKitModem(modem) && !modem.found) {
    char reason[kTextCapacity];
    SystemReason(GetLastError(), reason);
    console.Error(Words({"The present devices could not all be looked at: ", reason}).Text());
    return kExitFailed;
  }
  if (!port && !modem.found) {
    console.Error(Words({"No modem of the kit is installed; name the port to ", doing, ": GprsKit ",
                         verb, " COMn"})
                      .Text());
    return kExitFailed;
  }
  if (!port) port = modem.attachedTo;
  if (!IsComPortName(port)) {
    console.Error(
        Words({"The kit's modem is attached to \"", port, "\", which is no COM port."}).Text());
    return kExitFailed;
  }
  return kExitDone;
}

// The first answer of a modem that has just been powered may be lost: false, said, when none
// answers.
bool Answers(Check& check, ModemLine& line, const char* port, Console& console) {
  const Question first = {"modem", "AT", InformationText::kNone, nullptr};
  for (int i = 0; i < kFirstTries; ++i) {
    if (!check.Ask(first, kFirstAnswerMs)) return false;
    if (check.Answered()) return true;
  }
  (void)line.Close();
  console.Error(Words({"no modem answers on ", port}).Text());
  return false;
}

bool ClosePort(ModemLine& line, const char* port, Console& console) {
  if (line.Close()) return true;
  char reason[kTextCapacity];
  SystemReason(GetLastError(), reason);
  console.Error(
      Words({"The former settings of ", port, " could not be put back: ", reason}).Text());
  return false;
}

// Whether the init string's APN is one the table gives for the SIM's network.
void SayInitApn(const SimNetwork& network, const char* init, Console& console) {
  std::string_view apn;
  if (network.count == 0 ||
      (!ApnInInit(kApnInitTemplate, init, apn) && !ApnInInit(kApnStandardTemplate, init, apn)))
    return;
  const std::string_view shown = apn.empty() ? std::string_view("\"\"") : apn;
  if (IsInternetApnOf(network, apn))
    return console.Line(
        Words({"the init string's APN ", shown, " is one the table gives for the SIM's network"})
            .Text());
  const operator_table::Apn* first =
      network.count == 1 ? FirstInternetApn(network.operators[0]) : nullptr;
  console.Line(
      Words({"the init string's APN ", shown, " is none the table gives for the SIM's network",
             first ? "; GprsKit apn /auto writes " : "",
             first ? operator_table::Text(first->value) : ""})
          .Text());
}

}  // namespace

int CheckVerb(const char* port, Console& console) {
  FindKitModem modem(port);
  if (const int found = FindPort(port, modem, "check", "check", console)) return found;
  if (modem.found && modem.initRead != ValueRead::kText && modem.initRead != ValueRead::kNone) {
    console.Error(Words({"The init string of the kit's modem on ", port, " is ",
                         StandIn(modem.initRead), "."})
                      .Text());
    return kExitFailed;
  }
  console.Line(Words({"Checking the modem on ", port, "."}).Text());

  ModemLine line;
  const ModemLine::Opened opened = line.Open(port);
  if (opened != ModemLine::Opened::kOpen) return OpenFailure(opened, port, console);
  Check check(line, console);

  if (!Answers(check, line, port, console)) return kExitFailed;
  for (const Question& question : kQuestions)
    if (!check.Ask(question, kAnswerMs)) return kExitFailed;
  // The operator, by the network code at the head of the SIM's IMSI. A SIM that is not ready
  // keeps it to itself; a refusal is said on its line, and the SIM's readiness stays +CPIN?'s.
  SimNetwork network;
  if (check.sim == SimState::kReady) {
    if (!check.Ask(kNetworkQuestion, kAnswerMs)) return kExitFailed;
    if (FindSimNetwork(check.network, network)) {
      SaySimNetwork(network, console);
      if (modem.found && modem.initRead == ValueRead::kText)
        SayInitApn(network, modem.init, console);
    }
  }

  // The string the modem driver sends before every connection, as the modem gets it.
  char command[kTextCapacity + 2] = "AT";
  const bool init = modem.found && modem.initRead == ValueRead::kText && modem.init[0] != '\0';
  bool initAccepted = false;
  char initSaid[kTextCapacity] = {};
  // A modem that refuses the kit's template may take TS 27.007's form of it, with the same APN:
  // it is asked once, so that the last line can name the fix.
  char apn[kApnMost + 1] = {};
  char standard[kTextCapacity + 2] = "AT";
  bool standardTaken = false;
  if (init) {
    std::memcpy(command + 2, modem.init, std::strlen(modem.init) + 1);
    if (!check.Ask({"init string", command, InformationText::kNone, nullptr}, kAnswerMs))
      return kExitFailed;
    initAccepted = check.Accepted();
    std::memcpy(initSaid, check.said, sizeof initSaid);
    if (check.Refused() && StandardForm(modem.init, apn, standard)) {
      if (!check.Ask({"standard form", standard, InformationText::kNone, nullptr}, kAnswerMs))
        return kExitFailed;
      standardTaken = check.Accepted();
    }
  }
  if (!ClosePort(line, port, console)) return kExitFailed;
  // Readiness decides the exit code: the modem answers, its SIM is ready and the init string is
  // taken. The registration does not: a modem may still be searching.
  if (init && !initAccepted) {
    // An empty APN is one too, and stands on a command line between quotes.
    const char* fix =
        standardTaken ? "; it takes TS 27.007's form, which this writes: GprsKit apn " : "";
    const char* fixApn = !standardTaken ? "" : apn[0] ? apn : "\"\"";
    console.Error(Words({"the modem refuses the init string: ", command, " answered ", initSaid,
                         fix, fixApn, standardTaken ? " /standard" : ""})
                      .Text());
  }
  if (check.sim != SimState::kReady) {
    console.Error(SimVerdict(check.sim));
    return kExitFailed;
  }
  if (init && !initAccepted) return kExitFailed;
  if (!init) {
    console.Line(
        Words({"the modem answers; no init string of the kit is installed for ", port}).Text());
    return kExitDone;
  }
  console.Line("the modem accepts the init string");
  return kExitDone;
}

int ApnAutoVerb(const char* port, bool standard, Console& console) {
  FindKitModem modem(port);
  if (const int found = FindPort(port, modem, "ask", "apn /auto", console)) return found;
  console.Line(Words({"Asking the modem on ", port, " for the SIM's network."}).Text());
  ModemLine line;
  const ModemLine::Opened opened = line.Open(port);
  if (opened != ModemLine::Opened::kOpen) return OpenFailure(opened, port, console);
  Check check(line, console);
  if (!Answers(check, line, port, console) || !check.Ask(kSimQuestion, kAnswerMs))
    return kExitFailed;
  // A SIM that is not ready keeps its IMSI to itself.
  const bool ready = check.sim == SimState::kReady;
  if (!ready) {
    (void)line.Close();
    console.Error(SimVerdict(check.sim));
    return kExitFailed;
  }
  if (!check.Ask(kNetworkQuestion, kAnswerMs)) return kExitFailed;
  SimNetwork network;
  const bool known = FindSimNetwork(check.network, network);
  if (!ClosePort(line, port, console)) return kExitFailed;
  if (!known) {
    console.Error(Words({"the SIM did not say its network (AT+CIMI answered ", check.said,
                         "); nothing was changed"})
                      .Text());
    return kExitFailed;
  }
  SaySimNetwork(network, console);
  const operator_table::Apn* apn =
      network.count == 1 ? FirstInternetApn(network.operators[0]) : nullptr;
  if (apn) return ApnVerb(operator_table::Text(apn->value), standard, console);
  console.Error(network.count > 1 ? "Several operators share the SIM's network: nothing was "
                                    "changed; write the SIM's operator's APN: GprsKit apn NAME"
                : network.count   ? "The table knows no APN for the internet of the SIM's "
                                    "operator: nothing was changed; write its APN: GprsKit apn NAME"
                                  : "No operator of the table uses the SIM's network: nothing was "
                                    "changed; write its operator's APN: GprsKit apn NAME");
  return kExitFailed;
}
