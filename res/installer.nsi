; The Windows installer: tarvik.exe under Program Files, a Start menu entry,
; and an uninstaller in the system's list of programs. An uninstall leaves
; nothing behind but the user's settings. Built by make windows-package:
;   makensis -DVERSION=1.0.0.1 -DEXE=path/to/tarvik.exe -DOUT=setup.exe installer.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' times stay out of the installer, which is then the same at every
; build of one commit.
SetDateSave off

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"

Name "Tarvik"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Tarvik"
RequestExecutionLevel admin
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductName" "Anwendung Tarvik"
VIAddVersionKey /LANG=1031 "FileDescription" "Tarvik installieren"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "MIT-Lizenz"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=tarvik.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tarvik.lnk" "$INSTDIR\tarvik.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarvik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarvik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarvik.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Tarvik.lnk"
  Delete "$INSTDIR\tarvik.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
