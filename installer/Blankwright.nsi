; The Blankwright installer, built by makensis on Linux as part of the Windows build.
; Defines from the build: VERSION, ARCH (win64 or win32), BUILD (the preset's build folder),
; SOURCE (the source tree), OUTFILE.
Unicode true
!include "x64.nsh"
!include "LogicLib.nsh"

!if "${ARCH}" == "win64"
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Blankwright"
!else
  Target x86-unicode
  InstallDir "$PROGRAMFILES\Blankwright"
!endif

Name "Blankwright ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Blankwright"
VIAddVersionKey "CompanyName" "Tarnhollow"
VIAddVersionKey "FileDescription" "Blankwright Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Tarnhollow"

!define SETTINGS_KEY "Software\Tarnhollow\Blankwright\Settings"
!define PRODUCT_KEY "Software\Tarnhollow\Blankwright"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "BlankwrightBaseEXE"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Blankwright"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage components
UninstPage instfiles

; Ends the running tray program and drive viewer through the unload hook, from a copy of the
; installed Unload.dll, so that every file of the installation may be replaced or removed and the
; DLL itself is not held.
!macro EndRunningPrograms UN
Function ${UN}EndRunningPrograms
  ${If} ${FileExists} "$INSTDIR\Unload.dll"
    InitPluginsDir
    CopyFiles /SILENT "$INSTDIR\Unload.dll" "$PLUGINSDIR\Unload.dll"
    System::Call 'kernel32::LoadLibraryW(w "$PLUGINSDIR\Unload.dll") p.r1'
    ${If} $1 P<> 0
      System::Call 'kernel32::GetProcAddress(p r1, m "SHUTDOWNGLIMMERFEN") p.r2'
      ${If} $2 P<> 0
        System::Call '::$2() i.r0'
      ${EndIf}
      System::Call 'kernel32::FreeLibrary(p r1)'
    ${EndIf}
    Sleep 1000
  ${EndIf}
FunctionEnd
!macroend
!insertmacro EndRunningPrograms ""
!insertmacro EndRunningPrograms "un."

; The settings, the Run value and the menu registration are the machine's: the Start-menu
; entries are everyone's too.
Function .onInit
  SetShellVarContext all
  !if "${ARCH}" == "win64"
    SetRegView 64
  !endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
  !if "${ARCH}" == "win64"
    SetRegView 64
  !endif
FunctionEnd

Section "Blankwright (required)" SecMain
  SectionIn RO
  Call EndRunningPrograms
  SetOutPath "$INSTDIR"
  File "${BUILD}\tray\win32\Blankwright Base.exe"
  File "${BUILD}\viewer\win32\Blankwright Drive Viewer.exe"
  File "${BUILD}\shell\filezap\Blankwright File Zap.exe"
  File "${BUILD}\cli\BWSingle.exe"
  File "${BUILD}\shell\contextmenu\THBWshell.dll"
  File "${BUILD}\shell\unload\Unload.dll"
  SetOutPath "$INSTDIR\Guide"
  File "${SOURCE}\docs\*.md"
  SetOutPath "$INSTDIR\Guide\screenshots"
  File "${SOURCE}\docs\screenshots\*.png"
  SetOutPath "$INSTDIR"

  ; The Explorer menu, registered by the DLL itself, and the folder its senders start the tray
  ; program from.
  ClearErrors
  RegDLL "$INSTDIR\THBWshell.dll"
  ${If} ${Errors}
    DetailPrint "The Explorer menu could not be registered."
  ${EndIf}
  WriteRegStr HKLM "${SETTINGS_KEY}" "UFilePath" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Blankwright"
  CreateShortcut "$SMPROGRAMS\Blankwright\Blankwright.lnk" "$INSTDIR\Blankwright Base.exe"
  CreateShortcut "$SMPROGRAMS\Blankwright\Drive Viewer.lnk" "$INSTDIR\Blankwright Drive Viewer.exe"
  CreateShortcut "$SMPROGRAMS\Blankwright\Uninstall.lnk" "$INSTDIR\Uninstall.exe"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Blankwright"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarnhollow"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The tray program's own setting decides what its later saves write to the Run value, so both
; are set together here.
Section "Start Blankwright with Windows" SecStartup
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "$INSTDIR\Blankwright Base.exe"
  WriteRegBin HKLM "${SETTINGS_KEY}" "RWS" 01
SectionEnd

Section "-Start the tray program"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    WriteRegBin HKLM "${SETTINGS_KEY}" "RWS" 00
  ${EndIf}
  Exec '"$INSTDIR\Blankwright Base.exe"'
SectionEnd

Section "un.Blankwright" SecUnMain
  SectionIn RO
  Call un.EndRunningPrograms
  UnRegDLL "$INSTDIR\THBWshell.dll"
  ; Explorer may still hold the menu DLL: it goes at the next start then.
  Delete /REBOOTOK "$INSTDIR\THBWshell.dll"
  Delete "$INSTDIR\Blankwright Base.exe"
  Delete "$INSTDIR\Blankwright Drive Viewer.exe"
  Delete "$INSTDIR\Blankwright File Zap.exe"
  Delete "$INSTDIR\BWSingle.exe"
  Delete "$INSTDIR\Unload.dll"
  RMDir /r "$INSTDIR\Guide"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Blankwright\Blankwright.lnk"
  Delete "$SMPROGRAMS\Blankwright\Drive Viewer.lnk"
  Delete "$SMPROGRAMS\Blankwright\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Blankwright"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegValue HKLM "${SETTINGS_KEY}" "UFilePath"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section "un.Remove my settings (drive list, schedule, options)" SecUnSettings
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Tarnhollow"
SectionEnd
