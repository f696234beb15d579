// `GprsKit check [COMn]`: asks the modem on a port who it is, whether its SIM and its network are
// ready, and whether it takes the init string the kit wrote, which is the first thing a dial
// would otherwise find out. It only reads: the registry for reading, the port for the check's own
// time, and nothing is written anywhere.
#include <cstring>

#include "kit_modems.h"
#include "modem_line.h"
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

// "+CSQ: <rssi>,<ber>" in dBm, by TS 27.007's table; the answer as it came when it is none.
void SaySignal(const char* answer, char (&said)[kTextCapacity]) {
  unsigned rssi = 0;
  size_t digits = 0;
  for (; answer[digits] >= '0' && answer[digits] <= '9' && digits < 3; ++digits)
    rssi = rssi * 10 + static_cast<unsigned>(answer[digits] - '0');
  const char end = answer[digits];
  if (digits == 0 || (end != ',' && end != '\0') || (rssi > 31 && rssi != 99)) {
    OneLine(answer, "(nothing)", said);
    return;
  }
  char dbm[11];
  Decimal(113 - 2 * (rssi > 31 ? 0 : rssi), dbm);
  const char* more = rssi == 0 ? " dBm or less" : rssi == 31 ? " dBm or more" : " dBm";
  OneLine(rssi == 99 ? "unknown" : Words({"-", dbm, more}).Text(), "", said);
}

// "+CREG: <n>,<stat>" and "+CGREG: <n>,<stat>": whether the modem is registered, and where.
void SayRegistration(const char* answer, char (&said)[kTextCapacity]) {
  const char* comma = std::strchr(answer, ',');
  const char* states[] = {"not registered, not searching",
                          "registered, home network",
                          "not registered, searching",
                          "registration denied",
                          "unknown",
                          "registered, roaming"};
  const char* text = answer;
  if (comma && comma[1] >= '0' && comma[1] <= '5' && (comma[2] == '\0' || comma[2] == ','))
    text = states[comma[1] - '0'];
  OneLine(text, "(nothing)", said);
}

struct Question {
  const char* label;
  const char* command;
  void (*say)(const char* answer, char (&said)[kTextCapacity]);
};

constexpr Question kQuestions[] = {
    {"identity", "ATI", nullptr},
    {"manufacturer", "AT+CGMI", nullptr},
    {"model", "AT+CGMM", nullptr},
    {"revision", "AT+CGMR", nullptr},
    {"SIM", "AT+CPIN?", nullptr},
    {"signal", "AT+CSQ", SaySignal},
    {"network", "AT+CREG?", SayRegistration},
    {"packet network", "AT+CGREG?", SayRegistration},
};

// What came back, in a few words.
void SayAnswer(ModemLine::Asked asked, const ModemAnswer& answer, const Question& question,
               char (&said)[kTextCapacity]) {
  const char* text = "no final result code in time";
  if (asked == ModemLine::Asked::kNotTaken) {
    text = "the port did not take the command (does the modem's flow control hold it back?)";
  } else if (asked == ModemLine::Asked::kAnswered) {
    switch (answer.end()) {
      case AnswerEnd::kOk:
        if (question.say && answer.Information()[0])
          return question.say(answer.Information(), said);
        text = answer.Information()[0] ? answer.Information() : "OK";
        break;
      case AnswerEnd::kRefused:
        text = answer.FinalCode();
        break;
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
    ModemAnswer answer(question.command);
    asked = line_.Ask(question.command, limitMs, answer);
    if (asked == ModemLine::Asked::kPortFailed) {
      char reason[kTextCapacity];
      SystemReason(GetLastError(), reason);
      console_.Error(Words({"The port failed: ", reason}).Text());
      return false;
    }
    end = answer.end();
    SayAnswer(asked, answer, question, said);
    console_.Line(Words({question.label, " (", question.command, "): ", said}).Text());
    return true;
  }

  // Whether the last question got a final result code, and which.
  bool Answered() const {
    return asked == ModemLine::Asked::kAnswered &&
           (end == AnswerEnd::kOk || end == AnswerEnd::kRefused);
  }
  bool Accepted() const { return asked == ModemLine::Asked::kAnswered && end == AnswerEnd::kOk; }

  ModemLine::Asked asked = ModemLine::Asked::kTimedOut;
  AnswerEnd end = AnswerEnd::kNone;
  char said[kTextCapacity] = {};

 private:
  ModemLine& line_;
  Console& console_;
  const DWORD start_;
};

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

}  // namespace

int CheckVerb(const char* port, Console& console) {
  if (port && !IsComPortName(port)) {
    console.Error(Words({"\"", port, "\" is not the name of a COM port, such as COM5."}).Text());
    return kExitUsage;
  }
  FindKitModem modem(port);
  if (!ForEachKitModem(modem) && !modem.found) {
    char reason[kTextCapacity];
    SystemReason(GetLastError(), reason);
    console.Error(Words({"The present devices could not all be looked at: ", reason}).Text());
    return kExitFailed;
  }
  if (!port && !modem.found) {
    console.Error("No modem of the kit is installed; name the port to check: GprsKit check COMn");
    return kExitFailed;
  }
  if (!port) port = modem.attachedTo;
  if (!IsComPortName(port)) {
    console.Error(
        Words({"The kit's modem is attached to \"", port, "\", which is no COM port."}).Text());
    return kExitFailed;
  }
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

  // A modem that has just been powered may miss the first command.
  const Question first = {"modem", "AT", nullptr};
  bool answers = false;
  for (int i = 0; i < kFirstTries && !answers; ++i) {
    if (!check.Ask(first, kFirstAnswerMs)) return kExitFailed;
    answers = check.Answered();
  }
  if (!answers) {
    (void)line.Close();
    console.Error(Words({"no modem answers on ", port}).Text());
    return kExitFailed;
  }
  for (const Question& question : kQuestions)
    if (!check.Ask(question, kAnswerMs)) return kExitFailed;

  // The string the modem driver sends before every connection, as the modem gets it.
  char command[kTextCapacity + 2] = "AT";
  const bool init = modem.found && modem.initRead == ValueRead::kText && modem.init[0] != '\0';
  if (init) {
    std::memcpy(command + 2, modem.init, std::strlen(modem.init) + 1);
    if (!check.Ask({"init string", command, nullptr}, kAnswerMs)) return kExitFailed;
  }
  if (!line.Close()) {
    char reason[kTextCapacity];
    SystemReason(GetLastError(), reason);
    console.Error(
        Words({"The former settings of ", port, " could not be put back: ", reason}).Text());
    return kExitFailed;
  }
  if (!init) {
    console.Line(
        Words({"the modem answers; no init string of the kit is installed for ", port}).Text());
    return kExitDone;
  }
  if (check.Accepted()) {
    console.Line("the modem accepts the init string");
    return kExitDone;
  }
  console.Error(
      Words({"the modem refuses the init string: ", command, " answered ", check.said}).Text());
  return kExitFailed;
}
