; The per-user installer of Varnholt for 64-bit Windows: no administrator
; rights, a Start menu entry, an uninstaller listed in the user's installed
; programs, and rf:// links as an option that is off unless chosen.
; scripts/build-windows.sh passes VERSION, SOURCE (the unpacked program),
; FILES and UNFILES (one File and one Delete line for each of its files),
; ICON and OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnholt"

Name "Varnholt ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Varnholt"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Varnholt"
VIAddVersionKey "FileDescription" "Varnholt ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Varnholt"
VIAddVersionKey "LegalCopyright" "Varnholt developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\varnholt.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Varnholt" SectionProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Varnholt.lnk" "$INSTDIR\varnholt.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Varnholt"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Varnholt"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varnholt.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Off by default: the per-user key takes rf:// links away from the
; launchers' own handler.
Section /o "Open rf:// links with Varnholt" SectionLinks
  ExecWait '"$INSTDIR\varnholt.exe" --register-links'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; The program removes its own rf:// key, and only when it is its own.
  ExecWait '"$INSTDIR\varnholt.exe" --unregister-links'
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  ; Only what the installer made: a folder the player filled stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Varnholt.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
