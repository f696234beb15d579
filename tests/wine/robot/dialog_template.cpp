#include "dialog_template.h"

#include <vector>

#include <psapi.h>

#include "handles.h"
#include "template_parser.h"

namespace robot {
namespace {

struct Match {
  std::vector<int> liveIds;
  std::optional<ParsedTemplate> found;
};

BOOL CALLBACK VisitTemplate(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR parameter) {
  Match& match = *reinterpret_cast<Match*>(parameter);
  HRSRC resource = FindResourceA(module, name, type);
  HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return TRUE;
  std::optional<ParsedTemplate> parsed = ParseDialogTemplate(
      static_cast<const unsigned char*>(data), SizeofResource(module, resource));
  if (!parsed || parsed->controlIds != match.liveIds) return TRUE;
  match.found = std::move(parsed);
  return FALSE;
}

std::string ModulePathOf(HWND dialog) {
  DWORD processId = 0;
  GetWindowThreadProcessId(dialog, &processId);
  KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return "";
  // The module the dialog was made from: the program, or a library that holds its own dialogs.
  HMODULE module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
  char path[MAX_PATH] = {};
  if (GetModuleFileNameExA(process.get(), module, path, sizeof path) == 0) return "";
  return path;
}

}  // namespace

std::optional<DialogFont> ReadDialogFont(HWND dialog) {
  const std::string path = ModulePathOf(dialog);
  if (path.empty()) return std::nullopt;
  Module module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return std::nullopt;

  Match match;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    match.liveIds.push_back(GetDlgCtrlID(child));
  }
  EnumResourceNamesA(module.get(), RT_DIALOG, VisitTemplate, reinterpret_cast<LONG_PTR>(&match));
  if (!match.found) return std::nullopt;
  return match.found->font;
}

}  // namespace robot
