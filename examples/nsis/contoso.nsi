; Contoso Tools: a vendor's NSIS installer that ships an Excel add-in,
; Contoso.xlam, with uninstall-addin.exe; its uninstaller takes the add-in
; out of Excel's lists before it deletes the files.
;
; Written for NSIS 3.08 and later (makensis contoso.nsi: a 64-bit installer,
; Target amd64-unicode). Run by the tests: built with Debian's makensis 3.08,
; installed, and its uninstaller run silently under Wine
; (tests/installer_test.sh).
;
; Exit codes: the uninstaller sets 1618 (Excel is open: try again later) or
; 1603 (failed) with SetErrorLevel. Only a caller that runs it with
; _?=<install folder> gets them: otherwise the uninstaller copies itself to
; the temporary folder, starts the copy and exits at once, before anything
; has run. A deployment tool's uninstall command is therefore
;   "C:\Program Files\Contoso\uninstall.exe" /S _?=C:\Program Files\Contoso
; (_?= last and unquoted); run in place, the uninstaller can't delete itself.
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

; Runs uninstall-addin.exe with the switches given on the installed add-in,
; without a console window (nsExec, where ExecWait would open one), its
; lines in the details; $0 is its exit status, or "error" when it could not
; be started.
!macro RunUninstallAddIn switches
  nsExec::ExecToLog '"$INSTDIR\uninstall-addin.exe" ${switches} "$INSTDIR\Contoso.xlam"'
  Pop $0
!macroend

; The uninstaller runs in the account of whoever starts it, elevated
; (RequestExecutionLevel admin): a person's, or SYSTEM's when a deployment
; tool removes the product.
Section "Uninstall"
  retry:
  !insertmacro RunUninstallAddIn "/quiet /remove"
  ${If} $0 == 3
    ; The one usage error this command line can meet: a run as SYSTEM or
    ; another service account, which must cover every user (/allusers).
    !insertmacro RunUninstallAddIn "/allusers /quiet /remove"
  ${ElseIf} $0 == 1
    ; Excel can't be started: take the add-in out of this user's lists
    ; directly.
    !insertmacro RunUninstallAddIn "/registry /quiet /remove"
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
