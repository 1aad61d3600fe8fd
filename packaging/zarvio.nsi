; Zarvio's installer, zarvio-<version>-setup.exe, made by the build (packaging/CMakeLists.txt):
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.16 -DSTAGE=<folder> -DICON=<zarvio.ico> -DOUTFILE=<setup.exe> zarvio.nsi
; with absolute paths. STAGE holds what a copy of Zarvio needs: zarvio.exe, README.txt and the
; shipped station files.
;
; Command line, beside NSIS's own /S (silent) and /D=folder (last, unquoted):
;   /CurrentUser   for this user only, in %LOCALAPPDATA%\Programs\Zarvio (the default; no
;                  administrator rights needed, and the program's files stay writable)
;   /AllUsers      for every user of the computer, in Program Files (asks for administrator rights)
;   /Desktop       also a desktop shortcut
;
; Zarvio keeps its station list, its volume and its error log next to zarvio.exe, so an upgrade
; writes the shipped station files only where none exist, and the uninstaller asks before it
; deletes them (the silent uninstaller keeps them).

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined"
!endif

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include nsDialogs.nsh

!define PRODUCT "Zarvio"
!define PUBLISHER "Zarvio"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvio"
; What the settings window's "程序随系统启动" writes (machine's Run key, or the user's where
; the machine's is refused).
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define AUTOSTART_VALUE "MySoftware1"
; Every window of the program has this class; the main window ends the program when another
; program sends it WM_COMMAND with this command (the tray menu's 退出, without the forum page).
!define FORM_CLASS "ThunderRT6FormDC"
!define EXIT_COMMAND 206

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

Var AllUsers       ; 1: for every user, under Program Files; empty: for this user
Var ModeGiven      ; 1: /AllUsers or /CurrentUser was on the command line
Var DirGiven       ; 1: /D= was on the command line
Var ModeRadioUser
Var ModeRadioAll

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
Page custom ModePageCreate ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\zarvio.exe"
!define MUI_FINISHPAGE_RUN_TEXT "运行 Zarvio"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

; ---------------------------------------------------------------------------------------------
; Shared by the installer and the uninstaller (NSIS wants the uninstaller's functions named un.*).

; Sets the shell folders ($SMPROGRAMS, $DESKTOP) and SHCTX (the Uninstall key's hive) for the mode.
!macro SET_CONTEXT
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

; Elevated, or an administrator where there is no UAC.
!macro IS_ADMIN RESULT
  UserInfo::GetAccountType
  Pop ${RESULT}
!macroend

; Starts this program again with administrator rights and waits for it; the error flag is set
; when it could not be started (the user said no). The caller then quits, with a result that
; tells whether the elevated copy did the work.
; PARAMS: the command line for the elevated copy; /S is added when this one is silent.
; The copy started so carries /Elevated and never starts another: should it still lack the
; rights, it stops there.
!macro RUN_ELEVATED PARAMS
  ${GetParameters} $R9
  ClearErrors
  ${GetOptions} $R9 "/Elevated" $R8
  ${IfNot} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "没有得到管理员权限。为所有用户安装或卸载 Zarvio 需要管理员权限。" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  StrCpy $R9 "/Elevated ${PARAMS}"
  ${If} ${Silent}
    StrCpy $R9 "/S $R9"
  ${EndIf}
  ClearErrors
  ExecShellWait "runas" "$EXEPATH" "$R9"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "没有得到管理员权限。为所有用户安装或卸载 Zarvio 需要管理员权限。" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; Asks every running Zarvio of this folder to end through its own exit, and waits until each
; process has ended. Copies started from other folders (a portable copy) are left alone.
; Sets $0 to the number of copies that did not end.
!macro CLOSE_RUNNING_ZARVIO UN
Function ${UN}CloseRunningZarvio
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  GetFullPathName $6 "$INSTDIR\zarvio.exe"
  StrCpy $0 0      ; copies that did not end
  StrCpy $5 0      ; rounds, so a window that keeps coming back cannot hold the installer forever
  StrCpy $1 0      ; the window after which to search
  ${Do}
    FindWindow $1 "${FORM_CLASS}" "" 0 $1
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i r2) p .r3'
    ${If} $3 P<> 0
      StrCpy $4 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${NSIS_MAX_STRLEN})'
      ${If} $4 == $6   ; StrCmp: not case-sensitive, as the file system
        DetailPrint "正在退出正在运行的 Zarvio……"
        SendMessage $1 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
        System::Call 'kernel32::WaitForSingleObject(p r3, i 15000) i .r4'
        System::Call 'kernel32::CloseHandle(p r3)'
        ${If} $4 <> 0
          IntOp $0 $0 + 1
        ${Else}
          ; Its windows are gone: search again from the first window.
          IntOp $5 $5 + 1
          ${If} $5 > 50
            ${Break}
          ${EndIf}
          StrCpy $1 0
        ${EndIf}
      ${Else}
        System::Call 'kernel32::CloseHandle(p r3)'
      ${EndIf}
    ${EndIf}
  ${Loop}
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_ZARVIO ""
!insertmacro CLOSE_RUNNING_ZARVIO "un."

; Ends Zarvio or, where it will not end, lets the user retry or give up.
!macro ENSURE_NOT_RUNNING UN
  ${Do}
    Call ${UN}CloseRunningZarvio
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Zarvio 还在运行，无法替换它的文件。请从托盘图标的菜单中选择“退出”，然后点“重试”。" /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Abort "Zarvio 还在运行。"
    ${EndIf}
  ${Loop}
!macroend

; ---------------------------------------------------------------------------------------------
; Installer

Section "Zarvio（必需）" SecProgram
  SectionIn RO
  !insertmacro ENSURE_NOT_RUNNING ""

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\zarvio.exe"
  File "${STAGE}\README.txt"
  ; The user's stations and volume: the shipped files only where none exist yet.
  SetOverwrite off
  File "${STAGE}\zarvtai.mdb"
  File "${STAGE}\zarvlist.dll"
  File "${STAGE}\sound.ini"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninst.exe"

  ; The shortcut starts the program in its own folder.
  CreateShortcut "$SMPROGRAMS\Zarvio.lnk" "$INSTDIR\zarvio.exe" "" "$INSTDIR\zarvio.exe" 0 SW_SHOWNORMAL "" "网络收音机"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zarvio.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Zarvio.lnk" "$INSTDIR\zarvio.exe" "" "$INSTDIR\zarvio.exe" 0 SW_SHOWNORMAL "" "网络收音机"
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecDesktop}
    Delete "$DESKTOP\Zarvio.lnk"  ; the last install's, not wanted any more
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $R1 $R2 $R3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R1
SectionEnd

; The functions come after the sections, whose numbers they use.

Function .onInit
  ; /D= sets $INSTDIR before this runs; without it $INSTDIR is still empty.
  StrCpy $DirGiven ""
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}

  ${GetParameters} $R0
  StrCpy $AllUsers ""
  StrCpy $ModeGiven ""
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers ""
    StrCpy $ModeGiven 1
  ${EndIf}

  ${If} $AllUsers == 1
    Call RelaunchElevatedUnlessAdmin
  ${EndIf}
  Call ApplyMode

  ; A desktop shortcut when asked, and on an upgrade when the last install made one.
  ClearErrors
  ${GetOptions} $R0 "/Desktop" $R1
  ${If} ${Errors}
  ${AndIfNot} ${FileExists} "$DESKTOP\Zarvio.lnk"
    !insertmacro UnselectSection ${SecDesktop}
  ${Else}
    !insertmacro SelectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

; The shell context and, unless /D= named a folder, the folder: where this mode installed last
; time, else the mode's default.
Function ApplyMode
  !insertmacro SET_CONTEXT
  ${If} $DirGiven == 1
    Return
  ${EndIf}
  ReadRegStr $R1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 != ""
    StrCpy $INSTDIR $R1
  ${ElseIf} $AllUsers == 1
    StrCpy $INSTDIR "$PROGRAMFILES64\Zarvio"
  ${Else}
    GetKnownFolderPath $R1 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}  ; FOLDERID_UserProgramFiles
    ${If} $R1 == ""
      StrCpy $R1 "$LOCALAPPDATA\Programs"
    ${EndIf}
    StrCpy $INSTDIR "$R1\Zarvio"
  ${EndIf}
FunctionEnd

; Installing for every user needs administrator rights: without them the installer starts
; itself again elevated, with the choices made so far, and this copy ends.
Function RelaunchElevatedUnlessAdmin
  !insertmacro IS_ADMIN $R1
  ${If} $R1 == "Admin"
    Return
  ${EndIf}
  StrCpy $R2 "/AllUsers"
  ${If} ${SectionIsSelected} ${SecDesktop}
    StrCpy $R2 "$R2 /Desktop"
  ${EndIf}
  ${If} $DirGiven == 1
    StrCpy $R2 "$R2 /D=$INSTDIR"  ; /D= comes last
  ${EndIf}
  !insertmacro RUN_ELEVATED "$R2"
  ; Quitting here would otherwise count as an abort.
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $R1 == "${VERSION}"
    SetErrorLevel 0
  ${Else}
    SetErrorLevel 2  ; the elevated copy did not install
  ${EndIf}
  Quit
FunctionEnd

Function ModePageCreate
  ${If} $ModeGiven == 1
    Abort  ; chosen on the command line (or by the copy that asked for administrator rights)
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "选择安装方式" "为谁安装 Zarvio？"
  nsDialogs::Create 1018
  Pop $R1
  ; The two choices first, one radio group that the arrow keys walk; the explanations after
  ; them, the first of which ends the group.
  ${NSD_CreateFirstRadioButton} 0 0u 100% 12u "只为我安装（推荐）"
  Pop $ModeRadioUser
  ${NSD_CreateAdditionalRadioButton} 0 46u 100% 12u "为这台电脑的所有用户安装"
  Pop $ModeRadioAll
  ${NSD_CreateLabel} 12u 14u -12u 24u "安装到 %LOCALAPPDATA%\Programs\Zarvio，不需要管理员权限。Zarvio 可以在程序旁边保存电台列表、音量和错误日志。"
  Pop $R1
  ${NSD_AddStyle} $R1 ${WS_GROUP}
  ${NSD_CreateLabel} 12u 60u -12u 36u "安装到 Program Files，需要管理员权限。普通用户不能写入这个文件夹：在那里 Zarvio 无法保存电台列表、音量和错误日志的更改。"
  Pop $R1
  ; The keyboard starts on the choice made, so the arrow keys change it at once.
  ${If} $AllUsers == 1
    ${NSD_Check} $ModeRadioAll
    ${NSD_SetFocus} $ModeRadioAll
  ${Else}
    ${NSD_Check} $ModeRadioUser
    ${NSD_SetFocus} $ModeRadioUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModeRadioAll $R1
  ${If} $R1 == ${BST_CHECKED}
    StrCpy $AllUsers 1
    Call RelaunchElevatedUnlessAdmin
  ${Else}
    StrCpy $AllUsers ""
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function FinishPageShow
  ; A program started from an elevated installer would run with administrator rights too.
  ${If} $AllUsers == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

; Removes the autostart value under one Run key when it names this install's zarvio.exe,
; with or without quotation marks; one naming another copy of the program stays.
!macro REMOVE_AUTOSTART ROOT
  ReadRegStr $R1 ${ROOT} "${RUN_KEY}" "${AUTOSTART_VALUE}"
  ${If} $R1 == "$INSTDIR\zarvio.exe"
  ${OrIf} $R1 == '"$INSTDIR\zarvio.exe"'
    DeleteRegValue ${ROOT} "${RUN_KEY}" "${AUTOSTART_VALUE}"
  ${EndIf}
!macroend

; The files the program writes next to itself, and what an interrupted rewrite can leave.
!macro DELETE_USER_FILE NAME
  Delete "$INSTDIR\${NAME}"
  Delete "$INSTDIR\${NAME}.new~"
  Delete "$INSTDIR\${NAME}.old~"
!macroend

Function un.onInit
  ; An install for every user is the one the machine's Uninstall key names.
  StrCpy $AllUsers ""
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 == $INSTDIR
    StrCpy $AllUsers 1
    !insertmacro IS_ADMIN $R1
    ${If} $R1 != "Admin"
      !insertmacro RUN_ELEVATED "_?=$INSTDIR"
      ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $R1 == $INSTDIR
        SetErrorLevel 2  ; the elevated copy did not uninstall
      ${Else}
        SetErrorLevel 0
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
  !insertmacro SET_CONTEXT
FunctionEnd

Section "Uninstall"
  !insertmacro ENSURE_NOT_RUNNING "un."

  Delete "$INSTDIR\zarvio.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$SMPROGRAMS\Zarvio.lnk"
  Delete "$DESKTOP\Zarvio.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !insertmacro REMOVE_AUTOSTART HKLM
  !insertmacro REMOVE_AUTOSTART HKCU

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "是否同时删除您的电台列表、音量设置和错误日志？$\r$\n$\r$\n选择“否”会把它们留在 $INSTDIR 中，重新安装后可以继续使用。" /SD IDNO IDNO keep
    !insertmacro DELETE_USER_FILE "zarvtai.mdb"
    !insertmacro DELETE_USER_FILE "zarvlist.dll"
    !insertmacro DELETE_USER_FILE "sound.ini"
    Delete "$INSTDIR\错误日志.log"
  keep:

  ; Last of all, so that a folder without uninst.exe means the uninstaller is done.
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"  ; only when nothing of the user's is left in it
SectionEnd
