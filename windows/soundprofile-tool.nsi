; Windows installer of soundprofile-tool: the program in Program Files, its folder on the system
; PATH, and an uninstaller that takes both back. Built by windows/CMakeLists.txt:
;   makensis -DVERSION=1.0.0.0 -DTOOL=soundprofile-tool.exe -DOUTFILE=setup.exe soundprofile-tool.nsi
; /S installs and uninstalls silently, /D=FOLDER (last on the command line) picks the folder.

; A 64-bit installer for the 64-bit program: it runs where the program runs, with the 64-bit
; views of the registry and of Program Files.
Target amd64-unicode
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\soundprofile-tool"

Name "soundprofile-tool ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\soundprofile-tool"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "soundprofile-tool"
VIAddVersionKey "CompanyName" "Marvek Engineering Germany"
VIAddVersionKey "FileDescription" "soundprofile-tool installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Marvek Engineering Germany"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The system PATH with FOLDER added (+) or taken out (-) as one entry: in $0. A PATH that fills the
; installer's string length might have been cut short when read, so it is never written back: $0
; is then empty and nothing changes.
!macro ChangePath SIGN FOLDER
  ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
  StrLen $2 "$1"
  StrLen $3 "${FOLDER}"
  IntOp $2 $2 + $3
  IntOp $2 $2 + 1 ; the separator
  ${If} $2 >= ${NSIS_MAX_STRLEN}
    StrCpy $0 ""
    DetailPrint "The PATH is too long to change here; add or remove ${FOLDER} by hand"
  ${ElseIf} $1 == ""
  ${AndIf} "${SIGN}" == "+"
    StrCpy $0 "${FOLDER}"
  ${Else}
    ${WordAdd} "$1" ";" "${SIGN}${FOLDER}" $0
  ${EndIf}
!macroend

Section "soundprofile-tool"
  SetOutPath "$INSTDIR"
  File "/oname=soundprofile-tool.exe" "${TOOL}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "soundprofile-tool"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Marvek Engineering Germany"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  !insertmacro ChangePath "+" "$INSTDIR"
  ${If} $0 != ""
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
    ; Programs started from now on see the new PATH.
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
SectionEnd

Section "Uninstall"
  !insertmacro ChangePath "-" "$INSTDIR"
  ${If} $0 != ""
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  Delete "$INSTDIR\soundprofile-tool.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
