; A vendor's NSIS installer that ships an Excel add-in with
; uninstall-addin.exe; its uninstaller takes the add-in out of Excel's lists
; before it deletes the files. Built by makensis for the test.
Unicode true
Target amd64-unicode
!include LogicLib.nsh

Name "Contoso Tools"
OutFile "contoso-setup.exe"
InstallDir "$PROGRAMFILES64\Contoso"
RequestExecutionLevel admin

Section
  SetOutPath "$INSTDIR"
  File "uninstall-addin.exe"
  File "Contoso.xlam"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  ; In the account the uninstaller runs in: the user's, elevated.
  retry:
  ClearErrors
  ExecWait '"$INSTDIR\uninstall-addin.exe" /quiet /remove "$INSTDIR\Contoso.xlam"' $0
  ${If} ${Errors}
    StrCpy $0 "not started"
  ${ElseIf} $0 == 1
    ; Excel can't start: take the add-in out of this user's lists directly.
    ExecWait '"$INSTDIR\uninstall-addin.exe" /registry /quiet /remove "$INSTDIR\Contoso.xlam"' $0
    ${IfThen} ${Errors} ${|} StrCpy $0 "not started" ${|}
  ${EndIf}
  ${If} $0 == 5
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Close Excel, then choose Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 1618
    Abort "Excel is running"
  ${ElseIf} $0 != 0
    SetErrorLevel 1603
    Abort "The Excel add-in could not be uninstalled (uninstall-addin status $0)"
  ${EndIf}
  Delete "$INSTDIR\Contoso.xlam"
  Delete "$INSTDIR\uninstall-addin.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
