; The VaelTessel installer: a per-user install without administrator rights
; into %LOCALAPPDATA%\Programs\VaelTessel (the program writes its settings,
; "ver.ini" and downloads beside itself, so the folder must be the user's),
; a Start-menu folder, and an uninstaller that removes what this installer
; put there and the program's own runtime files, and nothing else.
;
; Built by scripts/package.sh:
;   makensis -DVERSION=1.2.0.9125 -DSTAGE=DIR -DOUTFILE=FILE -DICON=FILE
;            [-DSERVERS=servers.ini] vaeltessel.nsi

; A 64-bit installer for the 64-bit program (it also runs where no 32-bit
; subsystem is installed).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION
  !error "VERSION, STAGE, OUTFILE and ICON must be defined"
!endif
!ifndef STAGE
  !error "VERSION, STAGE, OUTFILE and ICON must be defined"
!endif
!ifndef OUTFILE
  !error "VERSION, STAGE, OUTFILE and ICON must be defined"
!endif
!ifndef ICON
  !error "VERSION, STAGE, OUTFILE and ICON must be defined"
!endif

!define PRODUCT "VaelTessel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "Software\${PRODUCT}" "InstallDir"
ShowInstDetails nevershow
ShowUninstDetails nevershow

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PRODUCT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The game's own folder (where its addons live under Interface) is never a
; place for the program: its uninstaller would share the folder with the game.
Function .onVerifyInstDir
  IfFileExists "$INSTDIR\Interface\*.*" 0 +2
    Abort
FunctionEnd

Section "${PRODUCT}"
  IfFileExists "$INSTDIR\Interface\*.*" 0 +3
    MessageBox MB_ICONSTOP "请不要安装到游戏目录中。" /SD IDOK
    Abort
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\VaelTessel.exe"
  File "${STAGE}\Surgewell.dll"
  File "${STAGE}\Refitter.exe"
  File "${STAGE}\RefitterVer.ini"
  !ifdef SERVERS
    File "/oname=servers.ini" "${SERVERS}"
  !endif
  SetOutPath "$INSTDIR\ImageRes"
  File "${STAGE}\ImageRes\background.png"
  File "${STAGE}\ImageRes\button.png"
  File "${STAGE}\ImageRes\close.png"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\VaelTessel.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VaelTessel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\${PRODUCT}"
  ; What the installer put here.
  Delete "$INSTDIR\VaelTessel.exe"
  Delete "$INSTDIR\Surgewell.dll"
  Delete "$INSTDIR\Refitter.exe"
  Delete "$INSTDIR\RefitterVer.ini"
  !ifdef SERVERS
    Delete "$INSTDIR\servers.ini"
  !endif
  Delete "$INSTDIR\ImageRes\background.png"
  Delete "$INSTDIR\ImageRes\button.png"
  Delete "$INSTDIR\ImageRes\close.png"
  RMDir "$INSTDIR\ImageRes"
  ; The program's own runtime files: its settings, version file and lock,
  ; its downloads (addon archives, the catalogue and their partial files),
  ; the updater archive being fetched and the updater's work folder.
  Delete "$INSTDIR\config"
  Delete "$INSTDIR\ver.ini"
  Delete "$INSTDIR\manager.lock"
  Delete "$INSTDIR\Refitter.exetmp"
  Delete "$INSTDIR\Refitter.exetmp.down"
  Delete "$INSTDIR\Download\*.zip"
  Delete "$INSTDIR\Download\*.down"
  Delete "$INSTDIR\Download\pluglist.xml"
  RMDir "$INSTDIR\Download"
  RMDir /r "$INSTDIR\RefitterWork"
  ; The uninstaller goes last, so its absence means the work is done.
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"
SectionEnd
