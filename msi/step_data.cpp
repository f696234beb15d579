#include "step_data.h"

#include <cstring>

#include "input_rules.h"

namespace {

// The verbs a step may run, each with the rule its argument keeps. Nothing else of GprsKit runs as
// the system account: check would hold a port for half a minute, and status says nothing a log
// needs.
enum class Argument { kNone, kPort, kApn, kAllUsers };
constexpr struct {
  const char* verb;
  Argument argument;
} kVerbs[] = {{"install", Argument::kPort},   {"apn", Argument::kApn},
              {"entry", Argument::kAllUsers}, {"remove", Argument::kNone},
              {"trust", Argument::kNone},     {"untrust", Argument::kNone}};

// The part of `text` from `from` to `to` (or its end); substr would bring the exception run time
// into a DLL that throws nothing.
std::string_view Slice(std::string_view text, size_t from, size_t to = std::string_view::npos) {
  if (from > text.size()) from = text.size();
  if (to > text.size()) to = text.size();
  return std::string_view(text.data() + from, to - from);
}

bool Copy(std::string_view text, char* buffer, size_t capacity) {
  if (text.size() >= capacity) return false;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return true;
}

// A full path of a folder, as the installer formats a directory: a drive or a share at its start,
// a '\' at its end, and none of the characters a command line would read as more than the path.
bool IsFolder(std::string_view folder) {
  const bool drive = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
  const bool share = folder.size() >= 3 && folder[0] == '\\' && folder[1] == '\\';
  if (!(drive || share) || folder.back() != '\\') return false;
  return folder.find_first_of("\"|<>*?\r\n") == std::string_view::npos;
}

}  // namespace

bool ParseStepData(std::string_view data, StepData& step, const char*& reason) {
  step = StepData{};
  const size_t afterFolder = data.find('|');
  if (afterFolder == std::string_view::npos ||
      !Copy(Slice(data, 0, afterFolder), step.folder, sizeof step.folder) ||
      !IsFolder(step.folder)) {
    reason = "the step names no kit folder";
    return false;
  }
  const std::string_view rest = Slice(data, afterFolder + 1);
  const size_t afterVerb = rest.find('|');
  const std::string_view verb = Slice(rest, 0, afterVerb);
  const bool hasArgument = afterVerb != std::string_view::npos;
  const std::string_view tail = hasArgument ? Slice(rest, afterVerb + 1) : std::string_view();
  const size_t afterArgument = tail.find('|');
  std::string_view argument = Slice(tail, 0, afterArgument);
  if (afterArgument != std::string_view::npos) {
    std::string_view undos = Slice(tail, afterArgument + 1);
    for (const char*& undo : step.undo) {
      const size_t afterUndo = undos.find('+');
      const std::string_view name = Slice(undos, 0, afterUndo);
      for (const auto& known : kVerbs)
        if (known.argument == Argument::kNone && name == known.verb) undo = known.verb;
      if (!undo) {
        reason = "the step's undo is no verb without argument";
        return false;
      }
      if (afterUndo == std::string_view::npos) break;
      undos = Slice(undos, afterUndo + 1);
      if (&undo == &step.undo[1]) {
        reason = "the step's undo names more than two verbs";
        return false;
      }
    }
  }
  for (const auto& known : kVerbs) {
    if (verb != known.verb) continue;
    step.verb = known.verb;
    bool fits = false;
    switch (known.argument) {
      case Argument::kNone:
        fits = !hasArgument;
        break;
      case Argument::kPort:
        fits = hasArgument && IsPortName(argument);
        reason = "PORT must be a COM port's name, letters and digits only, such as COM4";
        break;
      case Argument::kApn:
        fits = hasArgument && IsPlainApn(argument);
        reason = "APN may hold only letters, digits, '-', '.' and '_', at most 100 characters";
        // APN=auto: the SIM's operator's APN, which GprsKit finds by asking the modem.
        if (fits && IsAutoApn(argument)) argument = "/auto";
        break;
      case Argument::kAllUsers:
        fits = hasArgument && argument == "/allusers";
        break;
    }
    if (fits && Copy(argument, step.argument, sizeof step.argument)) return true;
    if (known.argument == Argument::kNone || known.argument == Argument::kAllUsers)
      reason = "the step's argument is not its verb's";
    step.verb = nullptr;
    return false;
  }
  reason = "the step names no verb the package runs";
  return false;
}
