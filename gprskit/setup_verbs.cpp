// The verbs that change the machine: each the same logic a program of the kit runs, with the
// kit's facts for the texts the programs take from their string tables.
#include <cstring>

#include "InfInstall.h"
#include "apn_forms.h"
#include "apn_init.h"
#include "input_rules.h"
#include "install_run.h"
#include "kit_modems.h"
#include "phonebook_editor.h"
#include "port_choice.h"
#include "verb_steps.h"

namespace {

// The port of the library's list that is `port`, letters in any case, in the list's own
// spelling; false when the list does not hold it as a whole name.
bool FindPort(const char* list, std::string_view port, char (&name)[kTextCapacity]) {
  PortListReader reader(list);
  while (reader.Next(name))
    if (SameNoCase(name, port)) return true;
  name[0] = '\0';
  return false;
}

// The list as the user reads it: "COM1, COM4", or "none".
void PortsToSay(const char* list, char (&text)[kTextCapacity]) {
  size_t length = 0;
  for (const char* at = list; *at && length + 2 < kTextCapacity; ++at) {
    if (*at != ',') {
      text[length++] = *at;
    } else if (at[1]) {
      text[length++] = ',';
      text[length++] = ' ';
    }
  }
  text[length] = '\0';
  if (length == 0) std::memcpy(text, "none", sizeof "none");
}

void LibraryFailure(Console& console, const char* fallback) {
  char line[kTextCapacity];
  OneLine(g_szError, fallback, line);
  console.Error(line);
}

}  // namespace

int InstallVerb(const char* port, Console& console) {
  char list[kTextCapacity] = {};
  char portName[kTextCapacity] = {};
  ReadPortList(list);
  if (!FindPort(list, port, portName)) {
    char ports[kTextCapacity];
    PortsToSay(list, ports);
    console.Error(
        Words({port, " is not a present COM port (present: ", ports, "); nothing was changed."})
            .Text());
    return kExitFailed;
  }
  char infPath[kTextCapacity] = {};
  if (!InfBesideProgram(kInfName, infPath)) {
    console.Error(
        "The folder of GprsKit.exe cannot be used: its path is too long or cannot be read; "
        "nothing was changed.");
    return kExitFailed;
  }
  std::memset(g_szError, 0, sizeof g_szError);
  switch (MdmInstallModem(infPath, portName, kModemHardwareId)) {
    case kInstallDone:
      console.Line(Words({"The GPRS modem is installed on ", portName, "."}).Text());
      return kExitDone;
    case kInstallNeedsRestart:
      console.Line(Words({"The GPRS modem is installed on ", portName,
                          "; Windows must be restarted before it is used."})
                       .Text());
      return kExitRestart;
    default: {
      const DWORD code = GetLastError();  // the library keeps its failure's code
      LibraryFailure(console, "The GPRS modem could not be installed.");
      if (IsSignatureRefusal(code)) console.Error(KIT_PACKAGE_NOT_TRUSTED);
      return kExitFailed;
    }
  }
}

int ApnVerb(const char* apn, bool standard, Console& console) {
  const size_t length = strnlen(apn, kApnMost + 1);
  if (length > kApnMost) {
    console.Error(
        "The APN is refused: the APN may hold at most 100 characters; nothing was "
        "changed.");
    return kExitUsage;
  }
  // A script or a deployment console hands the tool what it was given.
  if (!IsPlainApn(std::string_view(apn, length))) {
    console.Error(
        "The APN is refused: the APN may hold only letters, digits, '-', '.' and '_'; "
        "nothing was changed.");
    return kExitUsage;
  }
  const char* format = standard ? kApnStandardTemplate : kApnInitTemplate;
  std::memset(g_szError, 0, sizeof g_szError);
  switch (WriteApnInit(kModemHardwareId, format, apn)) {
    case ApnWrite::kWritten: {
      char initString[kTextCapacity];
      BuildApnInitString(format, apn, initString);
      console.Line(Words({"The modem's init string is now ", initString}).Text());
      return kExitDone;
    }
    case ApnWrite::kNoModem:
      console.Error("No GPRS modem (hardware ID " KIT_MODEM_HARDWARE_ID
                    ") is present: install it first with \"GprsKit install COMn\".");
      return kExitFailed;
    // An APN of at most 100 characters always fits either template's 259.
    case ApnWrite::kTooLong:
    case ApnWrite::kSearchFailed:
    case ApnWrite::kNotWritten:
      break;
  }
  LibraryFailure(console, "The modem's init string could not be written.");
  return kExitFailed;
}

int EntryVerb(Phonebook whose, Console& console) {
  const EntryNames names = {kEntryName, kEntryDeviceName};
  PhonebookEditor editor(names, whose);
  const EntrySetup outcome = SetUpEntry(editor);
  const DWORD failure = GetLastError();  // the failed step's, before the phonebook's path is read
  char phonebook[kTextCapacity] = {};
  editor.ReadPhonebookPath(phonebook);
  if (outcome != EntrySetup::kDone && phonebook[0] == '\0') {
    console.Error(whose == Phonebook::kAllUsers
                      ? "The system's phonebook cannot be found: the all-users application data "
                        "folder is unknown or too long."
                      : "The user's phonebook cannot be found: \"APPDATA\" of the user's "
                        "\"Volatile Environment\" is missing or too long.");
    return kExitFailed;
  }
  switch (outcome) {
    case EntrySetup::kDone:
      console.Line(
          Words({"The dial-up entry \"" KIT_ENTRY_NAME "\" is made in ", phonebook, "."}).Text());
      return kExitDone;
    case EntrySetup::kNotReclaimed: {
      char reason[kTextCapacity];
      SystemReason(failure, reason);
      console.Error(Words({"The phonebook's folder is in use by another run, or holds a name the "
                           "kit may not replace, beside ",
                           phonebook, "; nothing was changed. ", reason})
                        .Text());
      break;
    }
    case EntrySetup::kBackupKept: {
      char code[11];
      Decimal(editor.BackupKeptFor(), code);
      console.Error(
          Words({"A stopped run left the phonebook's backup beside ", phonebook,
                 ", and whether the phonebook itself is there cannot be told (error ", code,
                 "): the backup, which may be its only copy, is kept under the name ",
                 "ending in \".old\"; nothing was changed."})
              .Text());
      break;
    }
    case EntrySetup::kNotCreated:
      console.Error(
          Words({"The remote-access service did not take the entry \"" KIT_ENTRY_NAME "\" in ",
                 phonebook, "."})
              .Text());
      break;
    case EntrySetup::kNotPatched:
      console.Error(Words({"The entry \"" KIT_ENTRY_NAME "\" was made, but its settings could not "
                           "be set in ",
                           phonebook, "; the phonebook is as it was."})
                        .Text());
      break;
  }
  return kExitFailed;
}
