; The demo CD's installer, made with NSIS: NSIS's standard pages in German
; (welcome, game folder, progress, finish), the game folder C:\Vexmoor unless
; the player chooses another. It copies the demo game, writes the
; installation record that install.exe looks for, and registers an
; uninstaller for the current user. make-setup.sh builds it:
;   makensis -DTARGET=x86-ansi|amd64-unicode -DGAME=FOLDER -DOUTFILE=FILE setup.nsi
; where FOLDER holds the game's files.

Target ${TARGET}
; The CD's installer is named setup.exe: that is the name install.exe runs.
!pragma warning disable 9000
; The same bytes for the same files, in every build.
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define RECORD_KEY "Software\Halvaro\Vexmoor\Version 1.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexmoor"

Name "Vexmoor"
OutFile "${OUTFILE}"
InstallDir "C:\Vexmoor"
; A game for the player who installs it: no administrator rights.
RequestExecutionLevel user
BrandingText "Halvaro"

; The progress page stays until the player goes on, so that the last lines
; can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Section
    SetOutPath "$INSTDIR"
    File "${GAME}\Setsound.exe"
    File "${GAME}\vexmoor.bat"
    File "${GAME}\REPLAY.BAT"
    File "${GAME}\VEXDEMO.EXE"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vexmoor"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Halvaro"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; The record last, as a plain text without a trailing backslash:
    ; install.exe goes on as soon as it finds it.
    WriteRegStr HKCU "${RECORD_KEY}" "folder" "$INSTDIR"
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\Setsound.exe"
    Delete "$INSTDIR\vexmoor.bat"
    Delete "$INSTDIR\REPLAY.BAT"
    Delete "$INSTDIR\VEXDEMO.EXE"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${RECORD_KEY}"
    ; The company's and the product's keys only when nothing else is left
    ; in them.
    DeleteRegKey /ifempty HKCU "Software\Halvaro\Vexmoor"
    DeleteRegKey /ifempty HKCU "Software\Halvaro"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
