; The Windows installer, built by scripts/windows.sh with NSIS:
;   makensis -DVERSION=1.0.0 -DPUBLISHER=<the maker's name, from README.md> -DGAME_DIR=<the laid-out Glimmer folder>
;            -DICON=<glimmer.ico> -DSIDE_PICTURE=<164x314 BMP> -DOUT_FILE=<setup.exe> installer.nsi
; A per-user install: no administrator rights, the program under
; %LOCALAPPDATA%\Programs\Glimmer, a Start-menu shortcut that starts the game
; in %APPDATA%\Glimmer (where its save lives) and an entry in Apps & Features
; whose uninstaller removes everything but the save.
; A 64-bit installer for the 64-bit game.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define GAME "Glimmer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${GAME}"

Name "${GAME}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${GAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${GAME} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${GAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${GAME} installer"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}, zlib licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_PICTURE}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Play ${GAME} now"
!define MUI_FINISHPAGE_RUN_FUNCTION PlayNow
!insertmacro MUI_PAGE_LICENSE "${GAME_DIR}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The game saves in its working folder: the player's own.
Function PlayNow
  SetOutPath "$APPDATA\${GAME}"
  Exec '"$INSTDIR\glimmer.exe"'
FunctionEnd

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${GAME_DIR}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the one current when it is made.
  CreateDirectory "$APPDATA\${GAME}"
  SetOutPath "$APPDATA\${GAME}"
  CreateShortCut "$SMPROGRAMS\${GAME}.lnk" "$INSTDIR\glimmer.exe" "" "$INSTDIR\glimmer.exe" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${GAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\glimmer.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put down; the save folder goes only when empty.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${GAME}.lnk"
  RMDir /r "$INSTDIR\data"
  RMDir /r "$INSTDIR\licenses"
  Delete "$INSTDIR\glimmer.exe"
  Delete "$INSTDIR\glimmer-solve.exe"
  Delete "$INSTDIR\OpenAL32.dll"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$APPDATA\${GAME}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
