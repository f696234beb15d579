; The kit's Windows installer: puts the four programs and the INF into one folder, runs the three
; programs in their order from that folder, and registers an uninstaller that removes the files.
; The modem and the dial-up entry stay: they are the user's configuration, not the kit's files.
;
;   makensis -DKIT32=<32-bit kit folder> -DOUTFILE=<installer> gprs-modem-kit.nsi
;   makensis -DKIT64=<64-bit kit folder> -DOUTFILE=<installer> gprs-modem-kit.nsi
;   makensis -DKIT32=<...> -DKIT64=<...> -DOUTFILE=<installer> gprs-modem-kit.nsi
;
; Given both kits, the installer places the one that matches the machine: on 64-bit Windows a
; 32-bit process cannot install a driver, so the 32-bit kit would fail there.

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
RequestExecutionLevel admin
ShowInstDetails show
VIProductVersion 1.0.0.1
VIAddVersionKey "ProductName" "GPRS Modem Kit"
VIAddVersionKey "FileVersion" "1.0.0.1"
VIAddVersionKey "FileDescription" "GPRS Modem Kit set-up"
VIAddVersionKey "LegalCopyright" "GPRS Modem Kit developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\GprsModemKit"
!define FOLDER_NAME "GPRS Modem Kit"

Page directory
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

Var X64Kit

Function .onInit
  !insertmacro PlacesX64Kit $X64Kit
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

Function un.onInit
  !insertmacro PlacesX64Kit $X64Kit
  ${If} $X64Kit == 1
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "GPRS Modem Kit"
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
  ; A silent install only places the kit: its programs ask the user, so they run when someone is
  ; there to answer them.
  IfSilent done
  ExecWait '"$INSTDIR\PortWizard.exe"'
  ExecWait '"$INSTDIR\InitWriter.exe"'
  ExecWait '"$INSTDIR\EntryMaker.exe"'
done:
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\InfInstall.dll"
  Delete "$INSTDIR\PortWizard.exe"
  Delete "$INSTDIR\InitWriter.exe"
  Delete "$INSTDIR\EntryMaker.exe"
  Delete "$INSTDIR\wwandev.inf"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
