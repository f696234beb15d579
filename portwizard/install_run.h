// The install the page runs once the user has picked a port, and what it then tells the user.
#pragma once

#include "program_strings.h"

enum class InstallOutcome {
  kInstalled,       // nothing to say
  kRestartNeeded,   // installed; Windows must be restarted first
  kFailed,          // the library's failure text says why
  kFolderUnusable,  // the kit's folder could not be used, so nothing was tried
  kNotTrusted,      // failed, because Windows refused the driver package's signature
};

// Whether `code`, which a failed install leaves, says that Windows refused the driver package for
// its signature: no catalog, none it could verify, or a signer it does not trust.
bool IsSignatureRefusal(DWORD code);

// The INF's full path: `directory` (the length a platform call reported for it), a separator and
// `infName`. False when the directory could not be read or the path would not fit in 259
// characters; the separator is added even after a drive's root.
bool BuildInfPath(const char* directory, DWORD directoryLength, const char* infName,
                  char (&path)[kTextCapacity]);

// The INF `infName` beside this program's own file. Never the current directory: the program runs
// with an administrator's rights, and whoever starts it chooses that folder, one a standard user
// can write among them, and the INF's sections say what the system installs and copies. False
// when the program's path cannot be read or the INF's would not fit.
bool InfBesideProgram(const char* infName, char (&infPath)[kTextCapacity]);

// Installs the modem from the INF beside the program on g_szPort.
InstallOutcome RunInstall();

// A message of the program's own: room for one of its strings beside the library's text. It never
// crosses into the library.
inline constexpr int kMessageCapacity = 2 * kTextCapacity;

// The message for `outcome`, if there is one: its text, and the message box style. A failure
// without a library text gets the program's own (string 5), which is also put into g_szError; a
// refused signature gets the program's cause and fix (string 10) before the library's text.
bool OutcomeMessage(InstallOutcome outcome, char (&text)[kMessageCapacity], UINT& style);
