; The kit's Windows installer: puts the four programs and the INF into one folder, runs the three
; programs in their order from that folder, and registers an uninstaller that removes the files.
; The modem and the dial-up entry stay: they are the user's configuration, not the kit's files.
;
;   makensis -DKIT=<folder with the kit's files> -DOUTFILE=<installer> [-DX64] gprs-modem-kit.nsi

!ifdef X64
Target amd64-unicode
!else
Target x86-unicode
!endif

Name "GPRS Modem Kit"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!ifdef X64
InstallDir "$PROGRAMFILES64\GPRS Modem Kit"
!else
InstallDir "$PROGRAMFILES\GPRS Modem Kit"
!endif
ShowInstDetails show
VIProductVersion 1.0.0.1
VIAddVersionKey "ProductName" "GPRS Modem Kit"
VIAddVersionKey "FileVersion" "1.0.0.1"
VIAddVersionKey "FileDescription" "GPRS Modem Kit set-up"
VIAddVersionKey "LegalCopyright" "GPRS Modem Kit developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\GprsModemKit"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "GPRS Modem Kit"
!ifdef X64
  SetRegView 64
!endif
  ; The programs look for wwandev.inf in their working directory, which SetOutPath also sets.
  SetOutPath "$INSTDIR"
  File "${KIT}/InfInstall.dll"
  File "${KIT}/PortWizard.exe"
  File "${KIT}/InitWriter.exe"
  File "${KIT}/EntryMaker.exe"
  File "${KIT}/wwandev.inf"
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
!ifdef X64
  SetRegView 64
!endif
  Delete "$INSTDIR\InfInstall.dll"
  Delete "$INSTDIR\PortWizard.exe"
  Delete "$INSTDIR\InitWriter.exe"
  Delete "$INSTDIR\EntryMaker.exe"
  Delete "$INSTDIR\wwandev.inf"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
