// The Windows Installer log of the session a custom action runs in: what the kit's steps say goes
// there, so that `msiexec /l*v` holds it, and an error also reaches the person at a full UI.
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

class InstallLog {
 public:
  explicit InstallLog(MSIHANDLE install) : install_(install) {}
  // One line into the log.
  void Info(const char* text) const { Say(INSTALLMESSAGE_INFO, text); }
  // A failure's reason: into the log, and in a message box where the session shows one.
  void Error(const char* text) const {
    Say(static_cast<INSTALLMESSAGE>(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
  }

 private:
  void Say(INSTALLMESSAGE kind, const char* text) const;
  MSIHANDLE install_;
};

// The value of `property` in `value` ("" when it is not set); false, with "" in `value`, when it
// cannot be read or does not fit.
bool ReadProperty(MSIHANDLE install, const char* property, char* value, DWORD capacity);
