; A real installer for the flow tests, as a publisher would build it with
; NSIS: silent, it puts the stand-in into G:\VEXNSIS as the sound setup, with
; a vexmoor.bat that runs it as the game, and writes the installation record
; naming that folder. tests/CMakeLists.txt builds it for the width under test:
;   makensis -DTARGET=x86-ansi|amd64-unicode -DSTANDIN=FILE -DOUTFILE=FILE setup.nsi

Target ${TARGET}
Name "Vexmoor"
OutFile "${OUTFILE}"
InstallDir "G:\VEXNSIS"
RequestExecutionLevel user
SilentInstall silent

Section
    SetOutPath "$INSTDIR"
    File "/oname=Setsound.exe" "${STANDIN}"
    FileOpen $0 "$INSTDIR\vexmoor.bat" w
    FileWrite $0 "@Setsound.exe --role GAME$\r$\n"
    FileClose $0
    WriteRegStr HKCU "Software\Halvaro\Vexmoor\Version 1.0" "folder" "$INSTDIR"
SectionEnd
