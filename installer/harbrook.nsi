; The Windows installer: per user, no administrator rights. makensis is run
; by installer/CMakeLists.txt with
;   -DVERSION=x.y.z -DSTAGE=<folder with the files> -DICON=<harbrook.ico> -DOUTFILE=<setup.exe>
Unicode true
; A 64-bit installer for the 64-bit program (and for wine64, which runs no 32-bit code).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Harbrook"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Harbrook"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Harbrook"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Harbrook authors"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The user's language, where it is one of Harbrook's; English otherwise.
!include "${__FILEDIR__}/languages.nsh"

Section "Harbrook" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/harbrook.exe"
  File "${STAGE}/mobile.jpg"
  File /nonfatal "${STAGE}/harbrook.ini"
  SetOutPath "$INSTDIR\harbrook locales"
  File /nonfatal "${STAGE}/harbrook locales/*.dll"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Harbrook"
  CreateShortcut "$SMPROGRAMS\Harbrook\Harbrook.lnk" "$INSTDIR\harbrook.exe"
  CreateShortcut "$SMPROGRAMS\Harbrook\$(UninstallLink).lnk" "$INSTDIR\uninstall.exe"
  ; Explorer's "Send to" menu: the chosen files follow the arguments.
  CreateShortcut "$SENDTO\$(SendToLink).lnk" "$INSTDIR\harbrook.exe" "--notify --send"
  ; Named in the language of the install: the uninstaller, whatever language
  ; it runs in, removes them by these paths.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "SendToLink" "$SENDTO\$(SendToLink).lnk"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallLink" "$SMPROGRAMS\Harbrook\$(UninstallLink).lnk"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\harbrook.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "$(SignInSection)" SecLogin
  WriteRegStr HKCU "${RUN_KEY}" "Harbrook" '"$INSTDIR\harbrook.exe"'
SectionEnd

Section "Uninstall"
  DeleteRegValue HKCU "${RUN_KEY}" "Harbrook"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "SendToLink"
  StrCmp $0 "" +2
    Delete "$0"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "UninstallLink"
  StrCmp $0 "" +2
    Delete "$0"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$SMPROGRAMS\Harbrook\Harbrook.lnk"
  ; The English names of an install that kept no record of its own.
  Delete "$SMPROGRAMS\Harbrook\Uninstall Harbrook.lnk"
  Delete "$SENDTO\Phone (Harbrook).lnk"
  RMDir "$SMPROGRAMS\Harbrook"
  Delete "$INSTDIR\harbrook.exe"
  Delete "$INSTDIR\mobile.jpg"
  Delete "$INSTDIR\harbrook.ini"
  Delete "$INSTDIR\harbrook locales\*.dll"
  RMDir "$INSTDIR\harbrook locales"
  Delete "$INSTDIR\uninstall.exe"
  ; Left alone: the received backups and the settings, which are the user's.
  RMDir "$INSTDIR"
SectionEnd
