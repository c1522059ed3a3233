; The Windows installer of Dorvex (NSIS), built by scripts/windows.sh from the release folder:
;   makensis -DVERSION=0.1.0 -DRELEASE=<release folder> -DICON=<dorvex.ico> -DFILES=<files.nsh>
;            -DOUTFILE=<setup.exe>
; FILES defines the macros DorvexFiles (the release's files, "File" lines) and DorvexDeletes (the
; same files, "Delete" lines: the uninstaller removes exactly those). It installs into Program Files with a Start menu entry and an uninstaller; the
; uninstaller leaves the user's settings and history (dorvex.ini, dorvex.sqlite) where they are.
; A 64-bit installer for a 64-bit program (and Wine without its 32-bit part runs it).
Target amd64-unicode

Name "Dorvex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Dorvex"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"
!include "${FILES}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Dorvex"
VIAddVersionKey "FileDescription" "Dorvex setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dorvex"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${RELEASE}/licenses/COPYING.txt"

; For every user of the computer: the 64-bit registry and the common Start menu.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Dorvex"
  !insertmacro DorvexFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Dorvex"
  CreateShortcut "$SMPROGRAMS\Dorvex\Dorvex.lnk" "$INSTDIR\dorvex.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Dorvex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Dorvex developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dorvex.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro DorvexDeletes
  Delete "$INSTDIR\uninstall.exe"
  ; Folders go only when empty: settings or a history kept beside the program stay.
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\licenses"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Dorvex\Dorvex.lnk"
  RMDir "$SMPROGRAMS\Dorvex"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
