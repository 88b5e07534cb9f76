; The setup program of Quorvex: a per-machine install into Program Files\Quorvex (the 32-bit one on
; 64-bit Windows), with its Start-menu folder, its autorun value, its Add/Remove Programs entry and
; an uninstaller. Built by scripts/package:
;   makensis -DDIST=<program directory of the build> -DOUTFILE=<setup.exe> -DPICTURES=<folder>
;            [-DSIGN=<command>] [-DTARGET64] installer/quorvex.nsi
; PICTURES holds welcome.bmp and header.bmp (installer/art/make-setup-pictures.sh). SIGN, when
; given, is run on the uninstaller before it is packed ("SIGN file" signs the file in place).
; TARGET64 makes a setup program for 64-bit programs (the test tree of a 64-bit-only machine).
; "setup.exe /S" installs silently; "uninstall.exe /S" uninstalls silently and keeps the profiles.

!ifndef DIST
  !error "DIST (the folder with Quorvex.exe, Fetchwell.exe and readme.txt) is not defined"
!endif
!ifndef PICTURES
  !error "PICTURES (the folder with welcome.bmp and header.bmp) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "Quorvex-2.0-setup.exe"
!endif

!define PRODUCT "Quorvex"
!define VERSION "2.0"
!define PUBLISHER "The Quorvex team"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvex"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Quorvex.exe"

!ifdef TARGET64
  Unicode true
  Target amd64-unicode
!endif
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; A 64-bit setup program sees the 64-bit Program Files and registry.
InstallDir "$PROGRAMFILES\Quorvex"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "2.0.1.7"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "FileVersion" "2.0.1.7"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2004-2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${__FILEDIR__}\..\res\quorvex.ico"
!define MUI_UNICON "${__FILEDIR__}\..\res\quorvex.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURES}\welcome.bmp"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${PICTURES}\header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${PICTURES}\header.bmp"
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Quorvex now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuorvex
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends every Quorvex of this desktop the way its "Exit" command does: the host form (window class
; Tresolution) gets WM_CLOSE, switches the screen back to the natural mode and the program ends.
; Waits up to 15 s for each process, so that its files are free.
!macro END_QUORVEX un
Function ${un}EndQuorvex
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    FindWindow $0 "Tresolution"
    ${If} $0 = 0
    ${OrIf} $3 >= 8
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
    DetailPrint "Ending the running Quorvex"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
    System::Call 'user32::PostMessageA(p r0, i 0x0010, p 0, p 0)'       ; WM_CLOSE
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 15000)'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Sleep 2000
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_QUORVEX ""
!insertmacro END_QUORVEX "un."

; The autorun value's data exactly as Quorvex writes it: the full path, quoted when it holds a
; space, REG_EXPAND_SZ when it holds a percent sign.
!macro PATH_HAS string char result
  Push $R0
  Push $R1
  StrCpy ${result} 0
  StrCpy $R0 0
  ${Do}
    StrCpy $R1 "${string}" 1 $R0
    ${If} $R1 == ""
      ${Break}
    ${EndIf}
    ${If} $R1 == "${char}"
      StrCpy ${result} 1
      ${Break}
    ${EndIf}
    IntOp $R0 $R0 + 1
  ${Loop}
  Pop $R1
  Pop $R0
!macroend

Function WriteRunValue
  StrCpy $0 "$INSTDIR\Quorvex.exe"
  !insertmacro PATH_HAS $0 " " $1
  !insertmacro PATH_HAS $0 "%" $2
  ${If} $1 = 1
    StrCpy $0 '"$0"'
  ${EndIf}
  ${If} $2 = 1
    WriteRegExpandStr HKLM "${RUN_KEY}" "${RUN_VALUE}" $0
  ${Else}
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" $0
  ${EndIf}
FunctionEnd

; Lets every local user (the Users group, S-1-5-32-545, named by SID so any language works) change
; the program directory: each account writes its own Users\<NAME> profile, version.txt and
; updates there, without being redirected into its VirtualStore. Windows XP has no icacls; there
; cacls takes the group's name, looked up from the SID (the System plugin calls the A or W
; function that matches the setup program's character set).
Function GrantUsersModify
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0
  ${If} $0 == "0"
    Return
  ${EndIf}
  System::Call 'advapi32::ConvertStringSidToSid(t "S-1-5-32-545", *p .r1) i .r0'
  ${If} $0 = 0
    DetailPrint "Could not give the Users group write access to $INSTDIR"
    Return
  ${EndIf}
  System::Call 'advapi32::LookupAccountSid(p 0, p r1, t .r2, *i ${NSIS_MAX_STRLEN}, t .r3, *i ${NSIS_MAX_STRLEN}, *i .r4) i .r0'
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $0 = 0
    DetailPrint "Could not give the Users group write access to $INSTDIR"
    Return
  ${EndIf}
  nsExec::ExecToLog '"$SYSDIR\cacls.exe" "$INSTDIR" /T /E /G "$2:C"'
  Pop $0
FunctionEnd

; Started through Explorer, Quorvex runs as the signed-in user, not elevated: with another
; account's credentials given for the install, it would otherwise run as that account.
Function StartQuorvex
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Quorvex.exe"'
FunctionEnd

Section "Quorvex" SecMain
  SectionIn RO
  SetShellVarContext all
  Call EndQuorvex

  ; Over an existing install only the programs and the manual are replaced: every user's profile
  ; (Users\), version.txt and the last update files stay.
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${DIST}\Quorvex.exe"
  File "${DIST}\Fetchwell.exe"
  File "${DIST}\readme.txt"
  CreateDirectory "$INSTDIR\Users"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  Call GrantUsersModify

  Call WriteRunValue

  ; Fetchwell unpacks updates into its working directory: the shortcut starts it in the program directory.
  CreateDirectory "$SMPROGRAMS\Quorvex"
  CreateShortCut "$SMPROGRAMS\Quorvex\Quorvex.lnk" "$INSTDIR\Quorvex.exe" "" "$INSTDIR\Quorvex.exe" 0
  CreateShortCut "$SMPROGRAMS\Quorvex\Quorvex manual.lnk" "$INSTDIR\readme.txt"
  CreateShortCut "$SMPROGRAMS\Quorvex\Check for updates.lnk" "$INSTDIR\Fetchwell.exe" "" "$INSTDIR\Fetchwell.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Deletes the autorun value in `root` only when it starts this installation (another copy of
; Quorvex elsewhere keeps its own).
!macro DELETE_RUN_VALUE root
  ClearErrors
  ReadRegStr $0 ${root} "${RUN_KEY}" "${RUN_VALUE}"
  ${IfNot} ${Errors}
    ${If} $0 == "$INSTDIR\Quorvex.exe"
    ${OrIf} $0 == '"$INSTDIR\Quorvex.exe"'
      DeleteRegValue ${root} "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  Call un.EndQuorvex

  !insertmacro DELETE_RUN_VALUE HKLM
  ; The value a user's Quorvex wrote for itself when the machine key refused it.
  !insertmacro DELETE_RUN_VALUE HKCU

  Delete "$INSTDIR\Quorvex.exe"
  Delete "$INSTDIR\Fetchwell.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\version.txt"
  Delete "$INSTDIR\update.txt"
  Delete "$INSTDIR\update.txt.sig"
  Delete "$INSTDIR\update.zip"
  ; What an update that was cut short left: its unpacked files and the files it replaced.
  RMDir /r "$INSTDIR\~update.new"
  RMDir /r "$INSTDIR\~update.old"
  Delete "$INSTDIR\uninstall.exe"

  RMDir /r "$SMPROGRAMS\Quorvex"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Each user's display mode and natural mode; kept unless the user says otherwise (silent: kept).
  IfFileExists "$INSTDIR\Users\*.*" 0 profiles_done
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove the display settings of every user of Quorvex (the folder $INSTDIR\Users) as well?" \
    /SD IDNO IDYES remove_profiles
  DetailPrint "Kept the users' display settings in $INSTDIR\Users"
  Goto profiles_done
remove_profiles:
  RMDir /r "$INSTDIR\Users"
profiles_done:
  RMDir "$INSTDIR"
SectionEnd
