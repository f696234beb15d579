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
; A deployment tool runs it as `Setup.exe /S /PORT=COMn [/APN=text]`: the kit's files, then the
; modem on that port, the APN and the dial-up entry for every user, through GprsKit.exe, with no
; window; it ends with 0, 3010 when Windows must restart, or 1603. `/S` alone places the files.
;
; Given both kits, the installer places the one that matches the machine: on 64-bit Windows a
; 32-bit process cannot install a driver, so the 32-bit kit would fail there.
;
; The installer carries no plug-ins: the engine would unpack them into a folder under the
; temporary folder and load them from there, a place other users can reach first when a
; deployment tool runs the installer as the system account. Built-in instructions do their work.

!include FileFunc.nsh
!include LogicLib.nsh
!include WordFunc.nsh

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
!define FOLDER_NAME "GPRS Modem Kit"
!define SHORTCUT "$SMPROGRAMS\${FOLDER_NAME}\Create GPRS dial-up entry.lnk"
; Given to the elevated copy, which then does the machine-wide part for the copy that started it.
!define ELEVATED_OPTION "/ELEVATED"
; What the unattended install and removal did, step by step: GprsKit's own lines, each with its
; exit code first, and the set-up's. In the kit's folder, which only administrators can write.
!define LOG "$INSTDIR\setup.log"
; The codes a deployment tool reads, as Windows Installer gives them.
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
!macro PlacesX64Kit result
!ifdef KIT32 & KIT64
  ReadEnvStr $0 PROCESSOR_ARCHITEW6432
  ${If} $0 == ""
    ReadEnvStr $0 PROCESSOR_ARCHITECTURE
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $0 != "x86"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
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

; Runs GprsKit hidden: a console program started by ExecWait would show its console window, and
; ExecShellWait gives no exit code, so GprsKit adds its outcome to the log, the code first, and the
; code is read back from there. In: the verb and its arguments. Out: the exit code, 1 when no new
; line came.
!macro RunGprsKit arguments code
  Push `${arguments}`
!ifdef __UNINSTALL__
  Call un.RunGprsKit
!else
  Call RunGprsKit
!endif
  Pop ${code}
!macroend

; The installer and the uninstaller each have their own.
!macro GprsKitFunctions un
Function ${un}RunGprsKit
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  Call ${un}LastLogLine
  Pop $R1
  ClearErrors
  ExecShellWait "open" "$INSTDIR\GprsKit.exe" '$R0 /log:"${LOG}"' SW_HIDE
  StrCpy $R0 1
  ${IfNot} ${Errors}
    Call ${un}LastLogLine
    Pop $R2
    ${If} $R2 != $R1
      ${WordFind} $R2 " " "+1" $R3
      ${If} $R3 == 0
      ${OrIf} $R3 == ${EXIT_RESTART}
      ${OrIf} $R3 == 1
      ${OrIf} $R3 == 2
        StrCpy $R0 $R3
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; The log's last line, "" when it has none.
Function ${un}LastLogLine
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R0 ""
  ClearErrors
  FileOpen $R1 "${LOG}" r
  ${IfNot} ${Errors}
    ${Do}
      ClearErrors
      FileRead $R1 $R2
      ${If} ${Errors}
        ${ExitDo}
      ${EndIf}
      StrCpy $R0 $R2
    ${Loop}
    FileClose $R1
  ${EndIf}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd
!macroend
!insertmacro GprsKitFunctions ""
!insertmacro GprsKitFunctions "un."

; A line of the set-up's own in the log.
!macro Log text
  FileOpen $9 "${LOG}" a
  FileSeek $9 0 END
  FileWrite $9 "${text}$\r$\n"
  FileClose $9
!macroend

; The value of the option $R1 ("/APN=" and the like, letters in any case) on the command line
; $R0: between quotes when it starts with one, else up to the next blank. Sets the error flag when
; the option is not there. GetOptions would end the value at any "/" in it, so that
; "/APN=web.op/x" would pass for "web.op".
Function WholeOption
  Exch $R1
  Exch
  Exch $R0
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrLen $R2 $R1
  StrCpy $R3 0
  ${Do}
    StrCpy $R4 $R0 $R2 $R3
    ${If} $R4 == ""
      ; Not there.
      StrCpy $R0 ""
      SetErrors
      ${ExitDo}
    ${EndIf}
    StrCpy $R5 ""
    ${If} $R3 > 0
      IntOp $R5 $R3 - 1
      StrCpy $R5 $R0 1 $R5
    ${EndIf}
    ; Only where an option starts: at the line's start or after a blank.
    ${If} $R5 == " "
      StrCpy $R5 ""
    ${EndIf}
    ${If} $R4 == $R1
    ${AndIf} $R5 == ""
      IntOp $R3 $R3 + $R2
      StrCpy $R0 $R0 "" $R3
      StrCpy $R5 " "
      StrCpy $R4 $R0 1
      ${If} $R4 == '"'
        StrCpy $R0 $R0 "" 1
        StrCpy $R5 '"'
      ${EndIf}
      StrCpy $R3 0
      ${Do}
        StrCpy $R4 $R0 1 $R3
        ${If} $R4 == ""
        ${OrIf} $R4 == $R5
          ${ExitDo}
        ${EndIf}
        IntOp $R3 $R3 + 1
      ${Loop}
      StrCpy $R0 $R0 $R3
      ClearErrors
      ${ExitDo}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  ; Under the two arguments lie the caller's $R0, then its $R1.
  Exch
  Pop $R1
  Exch $R0
FunctionEnd

; Whether the text $R0 holds only characters of $R1, each compared as it is: 1 or 0.
Function OnlyOf
  Exch $R1
  Exch
  Exch $R0
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $R2 0
  StrCpy $R5 1
  ${Do}
    StrCpy $R3 $R0 1 $R2
    ${If} $R3 == ""
      ${ExitDo}
    ${EndIf}
    StrCpy $R4 0
    ${Do}
      StrCpy $R5 $R1 1 $R4
      ${If} $R5 == ""
        ${ExitDo}
      ${EndIf}
      ${If} $R5 S== $R3
        ${ExitDo}
      ${EndIf}
      IntOp $R4 $R4 + 1
    ${Loop}
    ${If} $R5 == ""
      StrCpy $R5 0
      ${ExitDo}
    ${EndIf}
    StrCpy $R5 1
    IntOp $R2 $R2 + 1
  ${Loop}
  StrCpy $R0 $R5
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  ; Under the two arguments lie the caller's $R0, then its $R1.
  Exch
  Pop $R1
  Exch $R0
FunctionEnd

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
; The port and the APN of an unattended install, from /PORT= and /APN=.
Var Port
Var Apn
; What a silent install ends with: 0, 3010 or 1603.
Var Outcome
; A folder given with /D= that this process may not choose.
Var UnusedFolder

Function .onInit
  !insertmacro PlacesX64Kit $X64Kit
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
  !insertmacro IsElevatedCopy $ElevatedCopy
  !insertmacro HasAdminRights $Admin
  !insertmacro RefuseWithoutRights
  StrCpy $Outcome 0
  ; The port and the APN come from a script or a deployment console, and go into GprsKit's
  ; command line and the modem's init string, so each is taken whole and only in its own form.
  ${GetParameters} $0
  Push $0
  Push "/PORT="
  Call WholeOption
  Pop $Port
  Push $Port
  Push "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
  Call OnlyOf
  Pop $1
  ${If} $1 == 0
    !insertmacro RefuseSetup "The port may hold only letters and digits, as COM4 does: nothing was changed."
  ${EndIf}
  ; An APN as 3GPP TS 23.003 writes it, plus the underscore some operators' APNs carry; the
  ; empty APN stands.
  Push $0
  Push "/APN="
  Call WholeOption
  Pop $Apn
  StrLen $1 $Apn
  ${If} $1 > 100
    !insertmacro RefuseSetup "The APN is refused: the APN may hold at most 100 characters; nothing was changed."
  ${EndIf}
  Push $Apn
  Push "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._"
  Call OnlyOf
  Pop $1
  ${If} $1 == 0
    !insertmacro RefuseSetup "The APN is refused: the APN may hold only letters, digits, '-', '.' and '_'; nothing was changed."
  ${EndIf}
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
  ; and the engine runs it from a copy in the user's temporary folder.
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "GPRS Modem Kit"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${KIT_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "GPRS Modem Kit"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
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
  ; the step says so and succeeds. The log starts afresh with it.
  Delete "${LOG}"
  !insertmacro RunGprsKit 'trust' $0
  ${If} $0 != 0
    ; A deployment tool gets the failure and the log's line; no modem is set up without the
    ; trust it needs. A person is told and goes on: Windows before 8, and 32-bit Windows, still
    ; install the package after asking, and where Windows refuses it PortWizard says why and how
    ; to fix it, which is more than stopping here would.
    ${If} ${Silent}
      StrCpy $Outcome ${EXIT_FAILED}
      Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "The kit's certificate could not be added to this PC's trusted certificates; $INSTDIR\setup.log says why. Windows may ask before it installs the modem's driver, or refuse it." /SD IDOK
  ${EndIf}
  ; The programs ask the user, so they run when someone is there to answer them. A silent install
  ; sets up the modem only when it is told the port.
  ${IfNot} ${Silent}
    ExecWait '"$INSTDIR\PortWizard.exe"'
    ExecWait '"$INSTDIR\InitWriter.exe"'
  ${ElseIf} $Port != ""
    Call SetUpUnattended
  ${EndIf}
FunctionEnd

; The modem on $Port, the APN when one was given, and the dial-up entry for every user of the PC,
; in the system's phonebook: the system account has no user of its own to make it for. The first
; failure ends the set-up; its step and text are in the log.
Function SetUpUnattended
  !insertmacro RunGprsKit 'install "$Port"' $0
  ${If} $0 == ${EXIT_RESTART}
    StrCpy $Outcome ${EXIT_RESTART}
  ${ElseIf} $0 != 0
    StrCpy $Outcome ${EXIT_FAILED}
    Return
  ${EndIf}
  ${If} $Apn != ""
    !insertmacro RunGprsKit 'apn "$Apn"' $0
    ${If} $0 != 0
      StrCpy $Outcome ${EXIT_FAILED}
      Return
    ${EndIf}
  ${EndIf}
  !insertmacro RunGprsKit 'entry /allusers' $0
  ${If} $0 != 0
    StrCpy $Outcome ${EXIT_FAILED}
  ${EndIf}
FunctionEnd

; The rights of an administrator, asked for in the way this Windows offers (the elevation prompt, or
; on Windows XP the Run As dialog), for a copy of this installer that places the kit in $INSTDIR.
Function PlaceKitElevated
  StrCpy $0 "${ELEVATED_OPTION}"
  ${If} ${Silent}
    StrCpy $0 "/S $0"
    ${If} $Port != ""
      StrCpy $0 '$0 /PORT="$Port"'
    ${EndIf}
    ${If} $Apn != ""
      StrCpy $0 '$0 /APN="$Apn"'
    ${EndIf}
  ${EndIf}
  ; No /D=: the copy takes the folder from the machine's settings, as this process did.
  ClearErrors
  ExecShellWait "runas" "$EXEPATH" "$0"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\EntryMaker.exe"
    MessageBox MB_OK|MB_ICONSTOP "The GPRS Modem Kit was not installed: installing the modem needs an administrator's rights." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; The elevated copy's outcome is the log's last line, which it adds when it ends.
  ${If} ${Silent}
    Call LastLogLine
    Pop $1
    ${WordFind} $1 " " "+1" $2
    ${If} $2 == ${EXIT_RESTART}
      StrCpy $Outcome ${EXIT_RESTART}
    ${ElseIf} $2 != 0
      StrCpy $Outcome ${EXIT_FAILED}
    ${EndIf}
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
  ${If} ${Silent}
  ${AndIf} $Admin == 1
    !insertmacro Log "$Outcome setup: the unattended set-up ended"
  ${EndIf}
  SetErrorLevel $Outcome
SectionEnd

Section "Uninstall"
  ; The modem and its driver package go first: without GprsKit.exe, nothing could remove them.
  ; A removal that failed keeps the kit, so that it can be tried again; the log tells why. The
  ; users' dial-up entries stay: they are theirs.
  StrCpy $Outcome 0
  !insertmacro RunGprsKit 'remove' $0
  ${If} $0 != 0
  ${AndIf} $0 != ${EXIT_RESTART}
    MessageBox MB_OK|MB_ICONSTOP "The GPRS modem could not be removed; $INSTDIR\setup.log says why." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ; The build's own certificate leaves the machine's trusted stores with the package it signed;
  ; without wwandev.cer (an organisation's kit) there is nothing to take out.
  !insertmacro RunGprsKit 'untrust' $0
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONSTOP "The kit's certificate could not be taken out of this PC's trusted certificates; $INSTDIR\setup.log says why." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  Delete "$INSTDIR\GprsKit.exe"
  Delete "$INSTDIR\setup.log"
  Delete "$INSTDIR\InfInstall.dll"
  Delete "$INSTDIR\PortWizard.exe"
  Delete "$INSTDIR\InitWriter.exe"
  Delete "$INSTDIR\EntryMaker.exe"
  Delete "$INSTDIR\wwandev.inf"
  Delete "$INSTDIR\wwandev.cat"
  Delete "$INSTDIR\wwandev.cer"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  RMDir "$SMPROGRAMS\${FOLDER_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
