// KitStep, the deferred custom action behind each of the package's steps: it runs GprsKit.exe
// from the kit's installed folder with the step's verb, and says every line the tool says in the
// installer's log. The tool is the one that scripts run, so that a step does and says exactly what
// `GprsKit <verb>` does; its folder lies under Program Files, where only administrators write,
// and this DLL, which msiexec unpacks into a folder of its own, loads nothing by name from there.
#include <cstring>

#include "install_log.h"
#include "step_data.h"
#include "unique_handle.h"

namespace {

constexpr int kToolDone = 0;
constexpr int kToolRestart = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

// A text that grows up to its capacity and says whether all of it fit.
template <size_t Capacity>
class BoundedText {
 public:
  bool Append(const char* part) {
    const size_t length = strnlen(part, Capacity);
    if (length_ + length >= Capacity) {
      whole_ = false;
      return false;
    }
    std::memcpy(text_ + length_, part, length);
    length_ += length;
    text_[length_] = '\0';
    return whole_;
  }
  void Clear() { text_[length_ = 0] = '\0'; }
  bool whole() const { return whole_; }
  const char* c_str() const { return text_; }
  char* data() { return text_; }
  size_t size() const { return length_; }

 private:
  char text_[Capacity] = {};
  size_t length_ = 0;
  bool whole_ = true;
};

// Splits what the tool writes into lines, each said in the log as it ends; a line longer than the
// buffer is said in parts. The last line is kept for the failure's message.
class LineRelay {
 public:
  explicit LineRelay(const InstallLog& log) : log_(log) {}
  void Take(const char* bytes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
      const char c = bytes[i];
      if (c == '\r') continue;
      if (c == '\n' || length_ + 1 == sizeof line_) Flush();
      if (c != '\n') line_[length_++] = c;
    }
  }
  void Flush() {
    if (length_ == 0) return;
    line_[length_] = '\0';
    log_.Info(line_);
    std::memcpy(last_, line_, length_ + 1);
    length_ = 0;
  }
  const char* last() const { return last_; }

 private:
  const InstallLog& log_;
  char line_[512] = {};
  char last_[512] = {};
  size_t length_ = 0;
};

// Runs `verb` with the step's argument and relays its words; the tool's exit code, or -1 when it
// did not run.
int RunTool(const StepData& step, const char* verb, const char* argument, const InstallLog& log,
            LineRelay& relay) {
  BoundedText<kStepFolderCapacity + 16> program;
  program.Append(step.folder);
  program.Append("GprsKit.exe");
  // The argument keeps its verb's rule: letters, digits and a few signs, never a blank or a quote.
  BoundedText<sizeof program + kStepArgumentCapacity + 32> commandLine;
  commandLine.Append("\"");
  commandLine.Append(program.c_str());
  commandLine.Append("\" ");
  commandLine.Append(verb);
  if (argument[0]) {
    commandLine.Append(" ");
    commandLine.Append(argument);
  }
  if (!program.whole() || !commandLine.whole()) {
    log.Error("The kit's folder is too long for its path to be used.");
    return -1;
  }

  // The tool's output and error stream share one pipe, so its lines stay in their order.
  HANDLE readEnd = INVALID_HANDLE_VALUE;
  HANDLE writeEnd = INVALID_HANDLE_VALUE;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    log.Error("No pipe could be made to read GprsKit.exe's words.");
    return -1;
  }
  File reader(readEnd);
  File writer(writeEnd);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = writer.get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, step.folder, &startup, &info)) {
    BoundedText<sizeof program + 64> said;
    said.Append(program.c_str());
    said.Append(" could not be started.");
    log.Error(said.c_str());
    return -1;
  }
  KernelObject process(info.hProcess);
  KernelObject thread(info.hThread);
  // Only the tool holds the writing end now, so the pipe ends when the tool does.
  writer.Reset();
  char bytes[512];
  DWORD read = 0;
  while (ReadFile(reader.get(), bytes, sizeof bytes, &read, nullptr) && read > 0)
    relay.Take(bytes, read);
  relay.Flush();
  DWORD code = 0;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &code))
    return -1;
  return static_cast<int>(code);
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall KitStep(MSIHANDLE install) {
  const InstallLog log(install);
  char data[kStepFolderCapacity + kStepArgumentCapacity + 32] = {};
  StepData step;
  const char* reason = "";
  if (!ReadProperty(install, "CustomActionData", data, sizeof data) ||
      !ParseStepData(data, step, reason)) {
    BoundedText<256> said;
    said.Append("The kit's step is refused: ");
    said.Append(reason);
    said.Append(".");
    log.Error(said.c_str());
    return ERROR_INSTALL_FAILURE;
  }
  const bool rollback = MsiGetMode(install, MSIRUNMODE_ROLLBACK);
  BoundedText<64> start;
  start.Append(rollback ? "Undoing: GprsKit " : "GprsKit ");
  start.Append(step.verb);
  log.Info(start.c_str());
  LineRelay relay(log);
  const int code = RunTool(step, step.verb, step.argument, log, relay);
  if (code == kToolDone) return ERROR_SUCCESS;
  if (code == kToolRestart) {
    MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
    return ERROR_SUCCESS;
  }
  // A rollback step that fails cannot stop a rollback; what it said is in the log.
  if (rollback) return ERROR_SUCCESS;
  if (code > 0 && relay.last()[0]) log.Error(relay.last());
  for (const char* verb : step.undo) {
    if (!verb) break;
    BoundedText<64> undo;
    undo.Append("Undoing the steps before: GprsKit ");
    undo.Append(verb);
    log.Info(undo.c_str());
    LineRelay undoRelay(log);
    RunTool(step, verb, "", log, undoRelay);
  }
  return ERROR_INSTALL_FAILURE;
}
