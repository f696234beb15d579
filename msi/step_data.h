// What a deferred step of the package is told: the kit's folder, GprsKit's verb, its one argument
// and the verbs that undo the steps before it should this one fail, as
// "folder|verb[|argument[|undo[+undo]]]" in the step's CustomActionData. The folder comes from the
// package's own directory table; the argument from a property an administrator's script set, so
// it is checked by the rule of its verb before it reaches a command line.
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr size_t kStepFolderCapacity = 260;  // MAX_PATH
inline constexpr size_t kStepArgumentCapacity = 128;

struct StepData {
  char folder[kStepFolderCapacity] = {};  // ends with '\'
  const char* verb = nullptr;             // one of the verbs the package runs, or none
  char argument[kStepArgumentCapacity] = {};
  // The verbs without argument run, in this order, when this step fails; null where none. The
  // engine undoes the kit's files too, and Wine's msiexec does so before the rollback steps run:
  // the step that fails undoes what went before while GprsKit.exe is still there to do it.
  const char* undo[2] = {};
};

// Fills `step` from `data`; false, with `reason` saying why, when the data is not one of the
// package's steps or its argument breaks its verb's rule.
bool ParseStepData(std::string_view data, StepData& step, const char*& reason);
