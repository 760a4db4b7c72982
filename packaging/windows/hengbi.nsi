; The Windows installer, made by scripts/windows/build.sh: the program under Program Files, a
; Start-menu entry, the desktop shortcut on offer, and an uninstaller that removes what was
; installed and nothing else: records (BL) and the officers' own files stay.
; makensis -DVERSION=2.3 -DLISTS=<folder with files.nsh, remove.nsh> -DOUTFILE=<setup.exe>
; A 64-bit installer for a 64-bit program: it runs where the program can, and sees the
; registry and Program Files as the program does.
Target amd64-unicode
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\hengbi"

Name "衡笔 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\衡笔"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "衡笔"
VIAddVersionKey /LANG=2052 "FileDescription" "衡笔 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "衡笔"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\hengbi.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "衡笔" SecProgram
  SectionIn RO
  !include "${LISTS}\files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; For every account of the computer, as the lock is.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\衡笔"
  CreateShortcut "$SMPROGRAMS\衡笔\衡笔.lnk" "$INSTDIR\hengbi.exe"
  CreateShortcut "$SMPROGRAMS\衡笔\卸载衡笔.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "衡笔"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "衡笔"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hengbi.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program itself rewrites this shortcut at each start, in the desktop of whoever runs it.
Section "桌面快捷方式" SecDesktop
  SetShellVarContext current
  CreateShortcut "$DESKTOP\衡笔.lnk" "$INSTDIR\hengbi.exe"
SectionEnd

Section "Uninstall"
  !include "${LISTS}\remove.nsh"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: BL and whatever the officer put here keep the folder.
  RMDir "$INSTDIR"
  SetShellVarContext current
  Delete "$DESKTOP\衡笔.lnk"
  SetShellVarContext all
  Delete "$SMPROGRAMS\衡笔\衡笔.lnk"
  Delete "$SMPROGRAMS\衡笔\卸载衡笔.lnk"
  RMDir "$SMPROGRAMS\衡笔"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
