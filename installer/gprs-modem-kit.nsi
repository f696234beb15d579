; The kit's Windows installer: puts the five programs and the INF into one folder, trusts the
; build's own certificate, runs the three programs in their order from that folder, and registers
; an uninstaller that removes the modem, its driver package, that trust and the files. The dial-up
; entries stay: they are the users'.
;
; The modem belongs to the machine, the dial-up entry to each user. So the installer itself runs
; with the rights of the user who started it, and only the machine-wide part (the files, the modem,
; its init string, the uninstaller, the Start-menu shortcut) runs with an administrator's: where
; the user's own rights do not reach that far, the installer starts an elevated copy of itself for
; it ("runas"), waits for it, and then makes the entry as the user who started it. A standard user
; who types an administrator's password thus gets the entry in their own phonebook, and every other
; user of the PC makes theirs from the Start menu.
;
;   makensis -DKIT32=<32-bit kit folder> -DOUTFILE=<installer> gprs-modem-kit.nsi
;   makensis -DKIT64=<64-bit kit folder> -DOUTFILE=<installer> gprs-modem-kit.nsi
;   makensis -DKIT32=<...> -DKIT64=<...> -DOUTFILE=<installer> gprs-modem-kit.nsi
;
; It is for the person at the PC. `/S` places the kit's files, trusts its certificate and
; registers the uninstaller, without the pages that set up the modem; it ends with 0, or 1603 on a
; failure. A deployment tool sets up the modem with the Windows Installer package, whose msiexec
; properties, log and rollback are made for it. The two place the same kit in the same folder, so
; each refuses while the other's kit is installed.
;
; Given both kits, the installer places the one that matches the machine: on 64-bit Windows a
; 32-bit process cannot install a driver, so the 32-bit kit would fail there.
;
; The installer carries no plug-ins: the engine would unpack them into a folder under the
; temporary folder and load them from there, a place other users can reach first when a
; deployment tool runs the installer as the system account. Built-in instructions do their work.

!include FileFunc.nsh
!include LogicLib.nsh

; The installer is a 32-bit program whenever it carries the 32-bit kit, so that it starts on every
; machine. -DSTUB64 makes it a 64-bit program all the same, for tests on a machine that cannot
; start 32-bit programs.
!ifdef STUB64
Target amd64-unicode
!else ifdef KIT32
Target x86-unicode
!else
Target amd64-unicode
!endif

Name "GPRS Modem Kit"
OutFile "${OUTFILE}"
; The installer, and the uninstaller it writes, are signed as the kit's programs are: -DSIGN names
; the command that signs a file in place.
!ifdef SIGN
  !finalize '${SIGN} "%1" "%1"' = 0
  !uninstfinalize '${SIGN} "%1" "%1"' = 0
!endif
; The rights of whoever starts it: on Windows Vista and later an administrator's would put the
; dial-up entry into the administrator's phonebook.
RequestExecutionLevel user
; A file that cannot be written fails the install: a kit with a file missing or left over from an
; earlier version would otherwise be reported as installed.
AllowSkipFiles off
ShowInstDetails show
VIProductVersion ${KIT_VERSION}
VIAddVersionKey "ProductName" "GPRS Modem Kit"
VIAddVersionKey "FileVersion" "${KIT_VERSION}"
VIAddVersionKey "FileDescription" "GPRS Modem Kit set-up"
VIAddVersionKey "LegalCopyright" "GPRS Modem Kit developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\GprsModemKit"
; Written and removed again to learn whether this process holds an administrator's rights; the kit
; keeps nothing else under it.
!define RIGHTS_KEY "Software\GprsModemKit"
; Where the Windows Installer package, while it is installed, keeps its ProductCode, in the
; registry view of its own kind: a place no version of the package moves, unlike the uninstall
; entry, which is named after each version's ProductCode.
!define PACKAGE_KEY "Software\GPRS Modem Kit"
!define FOLDER_NAME "GPRS Modem Kit"
!define SHORTCUT "$SMPROGRAMS\${FOLDER_NAME}\Create GPRS dial-up entry.lnk"
; The name the uninstaller, which cannot delete itself, moves aside to until Windows restarts.
!define UNINSTALLER_ASIDE "Uninstall.exe.removed"
; Given to the elevated copy, which then does the machine-wide part for the copy that started it.
!define ELEVATED_OPTION "/ELEVATED"
; Given to the elevated copy with a name for this run. ShellExecuteEx, the only way to ask for the
; rights, gives no exit code back, so the copy leaves its outcome under that name in the uninstall
; entry, which only an administrator can write and which goes with the kit.
!define OUTCOME_OPTION "/OUTCOME="
; The codes a script reads, as Windows Installer gives them.
!define EXIT_RESTART 3010
!define EXIT_FAILED 1603

DirText "The kit's programs run with an administrator's rights, so the kit goes into a folder under Program Files, which only administrators can write."
Page directory SkipUnlessHonoured
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Whether this installer places the 64-bit kit on the machine it runs on. Windows gives every
; process the machine's processor in PROCESSOR_ARCHITECTURE, and a 32-bit process on 64-bit
; Windows sees "x86" there and the machine's own in PROCESSOR_ARCHITEW6432.
!macro MachineIsX64 result
  ReadEnvStr ${result} PROCESSOR_ARCHITEW6432
  ${If} ${result} == ""
    ReadEnvStr ${result} PROCESSOR_ARCHITECTURE
  ${EndIf}
  ${If} ${result} != ""
  ${AndIf} ${result} != "x86"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
!macroend

!macro PlacesX64Kit result
!ifdef KIT32 & KIT64
  !insertmacro MachineIsX64 ${result}
!else ifdef KIT64
  StrCpy ${result} 1
!else
  StrCpy ${result} 0
!endif
!macroend

!macro KitFiles FOLDER
  File "${FOLDER}/InfInstall.dll"
  File "${FOLDER}/PortWizard.exe"
  File "${FOLDER}/InitWriter.exe"
  File "${FOLDER}/EntryMaker.exe"
  File "${FOLDER}/GprsKit.exe"
  File "${FOLDER}/wwandev.inf"
  File "${FOLDER}/wwandev.cat"
  ; Only a kit signed with a certificate of its own build carries it, for GprsKit to trust.
  !if /FileExists "${FOLDER}/wwandev.cer"
    File "${FOLDER}/wwandev.cer"
  !endif
!macroend

; Whether this process holds an administrator's rights: on Windows Vista and later only when it
; runs elevated; on Windows 2000 and XP when the user is an administrator. A machine-wide key is
; what only those rights may write, and the manifest's execution level keeps Windows from
; redirecting the write into the user's own part of the registry. The registry view must be set
; first, so that the key tried is in the part of the registry the kit's entries go to.
; Needs $ElevatedCopy.
!macro HasAdminRights result
!ifdef WITHOUT_ADMIN_RIGHTS
  ; A test build that never holds the rights, also under Wine, where every process has them.
  StrCpy ${result} 0
!else
  ClearErrors
  WriteRegStr HKLM "${RIGHTS_KEY}" "RightsProbe" ""
  ${If} ${Errors}
    StrCpy ${result} 0
  ${Else}
    StrCpy ${result} 1
    DeleteRegKey HKLM "${RIGHTS_KEY}"
  ${EndIf}
!ifdef AS_STANDARD_USER
  ; A test build: its first process takes the way of one without those rights, through the
  ; elevated copy, also under Wine; the elevated copy has the rights it really holds.
  ${If} $ElevatedCopy == 0
    StrCpy ${result} 0
  ${EndIf}
!endif
!endif
!macroend

; Whether the command line holds the elevated copy's option.
!macro IsElevatedCopy result
  StrCpy ${result} 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "${ELEVATED_OPTION}" $1
  ${IfNot} ${Errors}
    StrCpy ${result} 1
  ${EndIf}
!macroend

; Started with the elevated copy's option but without the rights it stands for: a copy that went
; ahead would leave half a kit and report success.
!macro RefuseWithoutRights
  ${If} $ElevatedCopy == 1
  ${AndIf} $Admin == 0
    MessageBox MB_OK|MB_ICONSTOP "${ELEVATED_OPTION} is for the copy that holds an administrator's rights, and this one does not: nothing was changed." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
!macroend

; Runs GprsKit from the kit's folder and waits for it. A console program gets a console window of
; its own, so the person at the PC sees the tool's words while it works; its exit code is the
; outcome. In: the verb and its arguments. Out: the exit code, or "none" when the tool could not be
; started, and words for a message that say which.
!macro RunGprsKit arguments code said
  ClearErrors
  ExecWait `"$INSTDIR\GprsKit.exe" ${arguments}` ${code}
  ${If} ${Errors}
    StrCpy ${code} none
    StrCpy ${said} "GprsKit.exe could not be started"
  ${Else}
    StrCpy ${said} "GprsKit ${arguments} ended with code ${code}"
  ${EndIf}
!macroend

; Ends the set-up before it changes anything, with the reason and the code every deployment tool
; reads as a failure.
!macro RefuseSetup text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel ${EXIT_FAILED}
  Quit
!macroend

Var X64Kit
Var Admin
Var ElevatedCopy
; What a silent install or removal ends with: 0, 3010 or 1603.
Var Outcome
; In the elevated copy, the name of the run whose outcome it leaves for the copy that started it.
Var OutcomeName
; A folder given with /D= that this process may not choose.
Var UnusedFolder

Function .onInit
  ; Windows Installer's and other set-up programs' options for the same: a script or a deployment
  ; tool that gives them means that nobody is at the screen, and a page would wait unseen. The
  ; engine itself knows only /S, in capitals.
  ${GetParameters} $0
  ${ForEach} $1 0 3 + 1
    ${Select} $1
      ${Case} 0
        StrCpy $2 "/quiet"
      ${Case} 1
        StrCpy $2 "/qn"
      ${Case} 2
        StrCpy $2 "/silent"
      ${CaseElse}
        StrCpy $2 "/s"
    ${EndSelect}
    ClearErrors
    ${GetOptions} $0 $2 $3
    ${IfNot} ${Errors}
    ${AndIf} $3 == ""
      SetSilent silent
    ${EndIf}
  ${Next}
  ClearErrors
  ${GetOptions} $0 "/?" $3
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONINFORMATION "GPRS Modem Kit set-up, for the person at the PC: it places the kit and then sets up the modem with its own pages.$\r$\n$\r$\n/S (or /quiet)$\tplaces only the kit's files, without pages; it ends with 0, 3010 or 1603.$\r$\n/D=folder$\ta folder under Program Files for the kit; the last option.$\r$\n$\r$\nTo set up the modem from a script, use the Windows Installer package: msiexec /i GprsModemKit-x64.msi /qn PORT=COM4 APN=internet /l*v setup.log" /SD IDOK
    SetErrorLevel 0
    Quit
  ${EndIf}
  !insertmacro PlacesX64Kit $X64Kit
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
  !insertmacro IsElevatedCopy $ElevatedCopy
  !insertmacro HasAdminRights $Admin
  !insertmacro RefuseWithoutRights
  StrCpy $Outcome 0
  StrCpy $OutcomeName ""
  ${If} $ElevatedCopy == 1
    ${GetParameters} $0
    ${GetOptions} $0 "${OUTCOME_OPTION}" $OutcomeName
  ${EndIf}
  ; A script written for the installer's former unattended set-up would otherwise get the files
  ; without the modem it asked for, and success.
  ${GetParameters} $0
  ${ForEach} $1 0 1 + 1
    ${If} $1 == 0
      StrCpy $2 "/PORT="
    ${Else}
      StrCpy $2 "/APN="
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 $2 $3
    ${IfNot} ${Errors}
      !insertmacro RefuseSetup "$2 is not taken: this set-up is for the person at the PC, and sets up the modem with its own pages. To set up the modem from a script, use the Windows Installer package (msiexec /i GprsModemKit-x64.msi PORT=COM4 APN=internet /qn). Nothing was changed."
    ${EndIf}
  ${Next}
  Call RefuseBesidePackage
  ; The elevated copy runs the kit's programs with an administrator's rights, so the folder must be
  ; one only administrators can write: the Program Files of the kit's own kind, which comes from
  ; the machine's settings. A folder given with /D= stands only when whoever started the installer
  ; already held those rights; one chosen by a user without them is never handed on.
  StrCpy $UnusedFolder ""
  ${If} $Admin == 0
  ${OrIf} $ElevatedCopy == 1
    StrCpy $UnusedFolder $INSTDIR
    StrCpy $INSTDIR ""
  ${ElseIf} $INSTDIR == ""
    ; The engine leaves a /D= folder it takes for no valid path (one with "..", say) unset: the
    ; folder asked for is not the one the kit would go into.
    Push $CMDLINE
    Push " /D="
    Call Holds
    Pop $1
    ${If} $1 == 1
      !insertmacro RefuseSetup "The folder given with /D= is not a valid path: nothing was changed."
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $X64Kit == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER_NAME}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${FOLDER_NAME}"
    ${EndIf}
  ${EndIf}
  Push $INSTDIR
  Call IsUnderProgramFiles
  Pop $1
  ${If} $1 == 0
    !insertmacro RefuseSetup "The kit must go into a folder under Program Files, which only administrators can write, as its programs run with an administrator's rights; $INSTDIR is not one. Nothing was changed."
  ${EndIf}
FunctionEnd

; Whether the folder $R0 lies below the Program Files of either kind, by its name as given: 1 or
; 0. Every folder there takes the protection Program Files has, which lets only administrators
; and the system add or change a file; a new folder elsewhere, such as one under C:\, lets every
; signed-in user add files, and whoever can write the kit's folder can replace the library that
; the kit's elevated programs load. "." and ".." are refused, and "/" too, which Windows reads as
; a separator.
Function IsUnderProgramFiles
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R1 0
  ${If} $R0 != ""
    StrLen $R2 "$PROGRAMFILES\"
    StrCpy $R2 $R0 $R2
    ${If} $R2 == "$PROGRAMFILES\"
      StrCpy $R1 1
    ${EndIf}
    StrLen $R2 "$PROGRAMFILES64\"
    StrCpy $R2 $R0 $R2
    ${If} $R2 == "$PROGRAMFILES64\"
      StrCpy $R1 1
    ${EndIf}
  ${EndIf}
  ${If} $R1 == 1
    ${ForEach} $R2 0 2 + 1
      ${Select} $R2
        ${Case} 0
          Push "$R0\"
          Push "\.\"
        ${Case} 1
          Push "$R0\"
          Push "\..\"
        ${CaseElse}
          Push $R0
          Push "/"
      ${EndSelect}
      Call Holds
      Pop $R3
      ${If} $R3 == 1
        StrCpy $R1 0
        ${Break}
      ${EndIf}
    ${Next}
  ${EndIf}
  StrCpy $R0 $R1
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Whether the text $R0 holds the text $R1: 1 or 0.
Function Holds
  Exch $R1
  Exch
  Exch $R0
  Push $R2
  Push $R3
  Push $R4
  StrLen $R2 $R1
  StrCpy $R3 0
  ${Do}
    StrCpy $R4 $R0 $R2 $R3
    ${If} $R4 == ""
      StrCpy $R0 0
      ${ExitDo}
    ${EndIf}
    ${If} $R4 == $R1
      StrCpy $R0 1
      ${ExitDo}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
  Pop $R4
  Pop $R3
  Pop $R2
  ; Under the two arguments lie the caller's $R0, then its $R1.
  Exch
  Pop $R1
  Exch $R0
FunctionEnd

; Ends the set-up while the Windows Installer package's kit is installed: both place the kit in the
; same folder, and each one's removal would take away what the other set up. A 32-bit package on
; 64-bit Windows writes into the 32-bit view, so both views count there; on 32-bit Windows there is
; one view, and the view options are left alone, as Windows 2000 knows none.
Function RefuseBesidePackage
  !insertmacro MachineIsX64 $1
  StrCpy $2 ""
  ${If} $1 == 1
    SetRegView 32
    ReadRegStr $2 HKLM "${PACKAGE_KEY}" "ProductCode"
    ${If} $2 == ""
      SetRegView 64
      ReadRegStr $2 HKLM "${PACKAGE_KEY}" "ProductCode"
    ${EndIf}
    ${If} $X64Kit == 1
      SetRegView 64
    ${Else}
      SetRegView default
    ${EndIf}
  ${Else}
    ReadRegStr $2 HKLM "${PACKAGE_KEY}" "ProductCode"
  ${EndIf}
  ${If} $2 != ""
    !insertmacro RefuseSetup "The GPRS Modem Kit is installed on this PC from its Windows Installer package (product $2). Remove it first, in Apps and Features (Add or Remove Programs) or with msiexec /x $2, and then run this set-up again. Nothing was changed."
  ${EndIf}
FunctionEnd

; The folder page lets an administrator choose only a folder the kit may go into.
Function .onVerifyInstDir
  Push $INSTDIR
  Call IsUnderProgramFiles
  Pop $0
  ${If} $0 == 0
    Abort
  ${EndIf}
FunctionEnd

; The folder can be chosen only where the choice is kept: not by a process without an
; administrator's rights, nor by the elevated copy.
Function SkipUnlessHonoured
  ${If} $Admin == 0
  ${OrIf} $ElevatedCopy == 1
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro PlacesX64Kit $X64Kit
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
  !insertmacro IsElevatedCopy $ElevatedCopy
  !insertmacro HasAdminRights $Admin
  !insertmacro RefuseWithoutRights
  ; The kit is where the install recorded it in the machine's part of the registry, which only an
  ; administrator can write; the folder this uninstaller was started from may be any copy of it,
  ; and started without "_?=" the engine runs it from a copy in the user's temporary folder.
  ClearErrors
  ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} ${Errors}
  ${OrIf} $2 == ""
  ${OrIfNot} ${FileExists} "$2\Uninstall.exe"
    MessageBox MB_OK|MB_ICONSTOP "The GPRS Modem Kit is not installed on this PC: nothing was removed." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
  StrCpy $INSTDIR $2
  ; Removing the kit's files and its machine-wide entries takes an administrator's rights: without
  ; them, the uninstaller hands its whole job to the installed uninstaller, elevated. "_?=" keeps
  ; that one in place, so that waiting for it is waiting for the whole uninstall.
  ${If} $Admin == 0
    StrCpy $0 "${ELEVATED_OPTION}"
    ${If} ${Silent}
      StrCpy $0 "/S $0"
    ${EndIf}
    ClearErrors
    ExecShellWait "runas" "$INSTDIR\Uninstall.exe" "$0 _?=$INSTDIR"
    ; The elevated uninstaller removes the uninstall entry last; while it is there, the kit is.
    ${IfNot} ${Errors}
      ClearErrors
      ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ${IfNot} ${Errors}
        SetErrors
      ${EndIf}
    ${EndIf}
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "The GPRS Modem Kit was not removed: removing it needs an administrator's rights." /SD IDOK
      SetErrorLevel ${EXIT_FAILED}
    ${Else}
      SetErrorLevel 0
    ${EndIf}
    Quit
  ${EndIf}
FunctionEnd

; The kit's files, its uninstaller and the Start-menu shortcut, and then the two programs that set
; up the modem; all of it needs an administrator's rights.
Function PlaceKit

  ; The programs look for wwandev.inf in their working directory, which SetOutPath also sets.
  SetOutPath "$INSTDIR"
!ifdef KIT32 & KIT64
  ${If} $X64Kit == 1
    !insertmacro KitFiles "${KIT64}"
  ${Else}
    !insertmacro KitFiles "${KIT32}"
  ${EndIf}
!else ifdef KIT64
  !insertmacro KitFiles "${KIT64}"
!else
  !insertmacro KitFiles "${KIT32}"
!endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; An uninstaller that set itself aside, where no restart has deleted it yet.
  Delete "$INSTDIR\${UNINSTALLER_ASIDE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "GPRS Modem Kit"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${KIT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "GPRS Modem Kit"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; "_?=" runs the installed uninstaller in place: the engine would otherwise copy it to the
  ; temporary folder, run the elevated removal from there and return at once, so that whoever
  ; waits for the uninstall string would neither wait for the removal nor get its exit code. It
  ; must be the last option, and takes the rest of the line unquoted.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\PortWizard.exe,0"
  ; In KB, from the files' own sizes: FileFunc's GetSize would bring in a plug-in.
  StrCpy $0 0
  ${ForEach} $1 0 8 + 1
    ${Select} $1
      ${Case} 0
        StrCpy $2 "InfInstall.dll"
      ${Case} 1
        StrCpy $2 "PortWizard.exe"
      ${Case} 2
        StrCpy $2 "InitWriter.exe"
      ${Case} 3
        StrCpy $2 "EntryMaker.exe"
      ${Case} 4
        StrCpy $2 "GprsKit.exe"
      ${Case} 5
        StrCpy $2 "wwandev.inf"
      ${Case} 6
        StrCpy $2 "wwandev.cat"
      ${Case} 7
        StrCpy $2 "wwandev.cer"
      ${CaseElse}
        StrCpy $2 "Uninstall.exe"
    ${EndSelect}
    ClearErrors
    FileOpen $3 "$INSTDIR\$2" r
    ${IfNot} ${Errors}
      FileSeek $3 0 END $4
      FileClose $3
      IntOp $0 $0 + $4
    ${EndIf}
  ${Next}
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; For every user of the PC: each makes their own dial-up entry with it.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${FOLDER_NAME}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\EntryMaker.exe"
  ; The build's own certificate, when the kit carries one, goes into the machine's Trusted Root
  ; and Trusted Publishers stores before anything installs the driver package, so that Windows
  ; stages it without asking; a kit signed with an organisation's certificate carries none, and
  ; the step says so and succeeds.
  !insertmacro RunGprsKit 'trust' $0 $1
  ${If} $0 != 0
    ; A silent install fails: its caller gets the code. A person is told and goes on: Windows
    ; before 8, and 32-bit Windows, still install the package after asking, and where Windows
    ; refuses it PortWizard says why and how to fix it, which is more than stopping here would.
    ${If} ${Silent}
      StrCpy $Outcome ${EXIT_FAILED}
      Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "The kit's certificate could not be added to this PC's trusted certificates ($1; GprsKit trust, run in $INSTDIR from a command prompt opened as administrator, says why). Windows may ask before it installs the modem's driver, or refuse it." /SD IDOK
  ${EndIf}
  ; The programs ask the user, so they run only when someone is there to answer them.
  ${IfNot} ${Silent}
    ExecWait '"$INSTDIR\PortWizard.exe"'
    ExecWait '"$INSTDIR\InitWriter.exe"'
  ${EndIf}
FunctionEnd

; The rights of an administrator, asked for in the way this Windows offers (the elevation prompt, or
; on Windows XP the Run As dialog), for a copy of this installer that places the kit in $INSTDIR.
Function PlaceKitElevated
  ; This run's name: the time of a temporary file made for it, which no earlier run's outcome can
  ; carry.
  GetTempFileName $1
  GetFileTime $1 $2 $3
  Delete $1
  StrCpy $2 "$2.$3"
  StrCpy $0 "${ELEVATED_OPTION} ${OUTCOME_OPTION}$2"
  ${If} ${Silent}
    StrCpy $0 "/S $0"
  ${EndIf}
  ; No /D=: the copy takes the folder from the machine's settings, as this process did.
  ClearErrors
  ExecShellWait "runas" "$EXEPATH" "$0"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "The GPRS Modem Kit was not installed: installing the modem needs an administrator's rights." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; A copy that stopped before its end left no outcome of this run: its files, if any, may be half
  ; a kit, or an earlier kit's. The copy showed its own messages.
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "SetupOutcome"
  StrLen $3 "$2:"
  StrCpy $4 $1 $3
  ${If} $4 == "$2:"
    StrCpy $Outcome $1 "" $3
  ${Else}
    StrCpy $Outcome ${EXIT_FAILED}
  ${EndIf}
  ${If} $Outcome != 0
  ${AndIf} $Outcome != ${EXIT_RESTART}
    SetErrorLevel $Outcome
    Abort
  ${EndIf}
FunctionEnd

Section "GPRS Modem Kit"
  ${If} $UnusedFolder != ""
  ${AndIf} $UnusedFolder != $INSTDIR
    DetailPrint "The kit goes into $INSTDIR, not $UnusedFolder: only a set-up started with an administrator's rights may choose the folder."
  ${EndIf}
  ; The elevated copy holds the rights, or it stopped before it got here.
  ${If} $Admin == 1
    Call PlaceKit
  ${Else}
    Call PlaceKitElevated
  ${EndIf}
  ; The dial-up entry goes into the phonebook of the user who started the installer, so it is made
  ; by this process and never by the elevated copy.
  ${If} $ElevatedCopy == 0
  ${AndIfNot} ${Silent}
    ExecWait '"$INSTDIR\EntryMaker.exe"'
  ${EndIf}
  ${If} $OutcomeName != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "SetupOutcome" "$OutcomeName:$Outcome"
  ${EndIf}
  SetErrorLevel $Outcome
SectionEnd

Section "Uninstall"
  ; The modem and its driver package go first: without GprsKit.exe, nothing could remove them.
  ; A removal that failed keeps the kit, so that it can be tried again. The users' dial-up entries
  ; stay: they are theirs.
  StrCpy $Outcome 0
  !insertmacro RunGprsKit 'remove' $0 $1
  ${If} $0 == ${EXIT_RESTART}
    StrCpy $Outcome ${EXIT_RESTART}
  ${ElseIf} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "The GPRS modem could not be removed ($1), so the kit stays for another try; GprsKit remove, run in $INSTDIR from a command prompt opened as administrator, says why." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; The build's own certificate leaves the machine's trusted stores with the package it signed;
  ; without wwandev.cer (an organisation's kit) there is nothing to take out.
  !insertmacro RunGprsKit 'untrust' $0 $1
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "The kit's certificate could not be taken out of this PC's trusted certificates ($1), so the kit stays for another try; GprsKit untrust, run in $INSTDIR from a command prompt opened as administrator, says why." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; A file some program holds open goes when Windows restarts, as Windows Installer does it; the
  ; removal then ends with 3010.
  Delete /REBOOTOK "$INSTDIR\GprsKit.exe"
  Delete /REBOOTOK "$INSTDIR\InfInstall.dll"
  Delete /REBOOTOK "$INSTDIR\PortWizard.exe"
  Delete /REBOOTOK "$INSTDIR\InitWriter.exe"
  Delete /REBOOTOK "$INSTDIR\EntryMaker.exe"
  Delete /REBOOTOK "$INSTDIR\wwandev.inf"
  Delete /REBOOTOK "$INSTDIR\wwandev.cat"
  Delete /REBOOTOK "$INSTDIR\wwandev.cer"
  ; A log the former unattended set-up kept here.
  Delete /REBOOTOK "$INSTDIR\setup.log"
  ${If} ${RebootFlag}
    StrCpy $Outcome ${EXIT_RESTART}
  ${EndIf}
  ; This uninstaller runs in place, and a running program cannot be deleted. It moves aside under a
  ; name no install writes, so that a kit installed again before the restart keeps its own
  ; Uninstall.exe, and Windows deletes it, and the folder when it is empty, at the next restart.
  ; Nothing of the kit waits for that restart, so it alone does not make the removal end with 3010.
  Delete "$INSTDIR\${UNINSTALLER_ASIDE}"
  ClearErrors
  Rename "$INSTDIR\Uninstall.exe" "$INSTDIR\${UNINSTALLER_ASIDE}"
  ${If} ${Errors}
    Delete /REBOOTOK "$INSTDIR\Uninstall.exe"
  ${Else}
    Delete /REBOOTOK "$INSTDIR\${UNINSTALLER_ASIDE}"
  ${EndIf}
  RMDir /REBOOTOK "$INSTDIR"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  RMDir "$SMPROGRAMS\${FOLDER_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $Outcome == ${EXIT_RESTART}
    MessageBox MB_OK|MB_ICONINFORMATION "The GPRS Modem Kit is removed. Windows must be restarted to finish." /SD IDOK
  ${EndIf}
  SetErrorLevel $Outcome
SectionEnd
