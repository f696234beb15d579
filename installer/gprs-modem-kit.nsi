; The kit's Windows installer: puts the four programs and the INF into one folder, runs the three
; programs in their order from that folder, and registers an uninstaller that removes the files.
; The modem and the dial-up entry stay: they are the user's configuration, not the kit's files.
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
; Given both kits, the installer places the one that matches the machine: on 64-bit Windows a
; 32-bit process cannot install a driver, so the 32-bit kit would fail there.

!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

; The installer is a 32-bit program whenever it carries the 32-bit kit, so that it starts on every
; machine. -DSTUB64 makes it a 64-bit program all the same, for tests on a machine that cannot
; start 32-bit programs.
!ifdef STUB64
Target amd64-unicode
; A 64-bit program knows at build time that it runs on 64-bit Windows, which leaves the other
; branch of each choice without a way in.
!pragma warning disable 6012
!else ifdef KIT32
Target x86-unicode
!else
Target amd64-unicode
!endif

Name "GPRS Modem Kit"
OutFile "${OUTFILE}"
; The rights of whoever starts it: on Windows Vista and later an administrator's would put the
; dial-up entry into the administrator's phonebook.
RequestExecutionLevel user
ShowInstDetails show
VIProductVersion 1.0.0.1
VIAddVersionKey "ProductName" "GPRS Modem Kit"
VIAddVersionKey "FileVersion" "1.0.0.1"
VIAddVersionKey "FileDescription" "GPRS Modem Kit set-up"
VIAddVersionKey "LegalCopyright" "GPRS Modem Kit developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\GprsModemKit"
!define FOLDER_NAME "GPRS Modem Kit"
!define SHORTCUT "$SMPROGRAMS\${FOLDER_NAME}\Create GPRS dial-up entry.lnk"
; Given to the elevated copy, which then does the machine-wide part for the copy that started it.
!define ELEVATED_OPTION "/ELEVATED"

Page directory SkipInElevatedCopy
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Whether this installer places the 64-bit kit on the machine it runs on.
!macro PlacesX64Kit result
!ifdef KIT32 & KIT64
  ${If} ${RunningX64}
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
  File "${FOLDER}/wwandev.inf"
!macroend

; Whether this process holds an administrator's rights: on Windows Vista and later only when it
; runs elevated; on Windows 2000 and XP when the user is an administrator.
!macro HasAdminRights result
!ifdef AS_STANDARD_USER
  ; A test build: it takes the way of a process without those rights, through the elevated copy,
  ; also under Wine, where every process has them.
  StrCpy ${result} 0
!else
  UserInfo::GetAccountType
  Pop ${result}
  ${If} ${result} == "Admin"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
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

Var X64Kit
Var Admin
Var ElevatedCopy

Function .onInit
  !insertmacro PlacesX64Kit $X64Kit
  !insertmacro HasAdminRights $Admin
  !insertmacro IsElevatedCopy $ElevatedCopy
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
  ; A folder given with /D= stands; otherwise the Program Files of the kit's own kind.
  ${If} $INSTDIR == ""
    ${If} $X64Kit == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER_NAME}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${FOLDER_NAME}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; The folder was chosen by the copy that started this one.
Function SkipInElevatedCopy
  ${If} $ElevatedCopy == 1
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro PlacesX64Kit $X64Kit
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
  ; Removing the kit's files and its machine-wide entries takes an administrator's rights: without
  ; them, the uninstaller hands its whole job to an elevated copy of itself.
  ; The elevated copy itself goes ahead whatever it holds, so that it never starts another one.
  !insertmacro HasAdminRights $Admin
  !insertmacro IsElevatedCopy $ElevatedCopy
  ${If} $Admin == 0
  ${AndIf} $ElevatedCopy == 0
    ; The command line ends where "_?=" began; the copy is given the folder again, and it stays in
    ; place, so that waiting for it is waiting for the whole uninstall.
    ${GetParameters} $0
    ClearErrors
    ExecShellWait "runas" "$EXEPATH" "${ELEVATED_OPTION} $0 _?=$INSTDIR"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Removing the GPRS Modem Kit needs an administrator's rights." /SD IDOK
      SetErrorLevel 2
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0.0.1"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "GPRS Modem Kit"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; For every user of the PC: each makes their own dial-up entry with it.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${FOLDER_NAME}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\EntryMaker.exe"
  ; A silent install only places the kit: its programs ask the user, so they run when someone is
  ; there to answer them.
  ${IfNot} ${Silent}
    ExecWait '"$INSTDIR\PortWizard.exe"'
    ExecWait '"$INSTDIR\InitWriter.exe"'
  ${EndIf}
FunctionEnd

; The rights of an administrator, asked for in the way this Windows offers (the elevation prompt, or
; on Windows XP the Run As dialog), for a copy of this installer that places the kit in $INSTDIR.
Function PlaceKitElevated
  StrCpy $0 "${ELEVATED_OPTION}"
  ${If} ${Silent}
    StrCpy $0 "/S $0"
  ${EndIf}
  ClearErrors
  ; /D= comes last and unquoted, as the installer reads it.
  ExecShellWait "runas" "$EXEPATH" "$0 /D=$INSTDIR"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\EntryMaker.exe"
    MessageBox MB_OK|MB_ICONSTOP "The GPRS Modem Kit was not installed: installing the modem needs an administrator's rights." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Section "GPRS Modem Kit"
  ; The elevated copy never starts another one, whatever rights it was given.
  ${If} $Admin == 1
  ${OrIf} $ElevatedCopy == 1
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
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\InfInstall.dll"
  Delete "$INSTDIR\PortWizard.exe"
  Delete "$INSTDIR\InitWriter.exe"
  Delete "$INSTDIR\EntryMaker.exe"
  Delete "$INSTDIR\wwandev.inf"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  SetShellVarContext all
  Delete "${SHORTCUT}"
  RMDir "$SMPROGRAMS\${FOLDER_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
