; Contoso Tools: a vendor's Inno Setup installer that ships an Excel add-in,
; Contoso.xlam, with uninstall-addin.exe; its uninstaller takes the add-in
; out of Excel's lists before any file is removed, and stops, with nothing
; removed, when it can't.
;
; Written for Inno Setup 6.3 and later (ISCC contoso.iss). Not run by the
; tests: Inno Setup's compiler and the setups it makes are 32-bit Windows
; programs, which the machines the tests run on can't run.
;
; Simpler, where the status does not matter: [UninstallRun] runs before the
; files are removed and waits for the program, but ignores its status, so
; the files go even when the add-in stays listed in Excel:
;   [UninstallRun]
;   Filename: "{app}\uninstall-addin.exe"; Parameters: "/quiet /remove ""{app}\Contoso.xlam"""; \
;     Flags: runhidden; RunOnceId: "RemoveContosoAddIn"

[Setup]
AppId={{3E0C5B7A-9F41-4D2E-8C6B-7A1D2F3E4B51}
AppName=Contoso Tools
AppVersion=1.0.0
AppPublisher=Contoso
DefaultDirName={autopf}\Contoso
DisableProgramGroupPage=yes
; For all users: the uninstaller then runs elevated, in the account of whoever
; starts it (a person's, or SYSTEM's when a deployment tool removes it).
PrivilegesRequired=admin
ArchitecturesAllowed=x64compatible
ArchitecturesInstallIn64BitMode=x64compatible
OutputBaseFilename=contoso-setup

[Files]
Source: "uninstall-addin.exe"; DestDir: "{app}"; Flags: ignoreversion
Source: "Contoso.xlam"; DestDir: "{app}"; Flags: ignoreversion

[Code]
const
  NotStarted = -1;

// Runs uninstall-addin.exe with the switches given on the installed add-in,
// hidden, and waits for it. Returns its exit status, or NotStarted with the
// Windows error in StartError when it could not be started: Exec then gives
// a Windows error code, not the program's status (5 there is "access
// denied", not "Excel is open").
function RunUninstallAddIn(const Switches: String; var StartError: Integer): Integer;
var
  Code: Integer;
begin
  StartError := 0;
  if Exec(ExpandConstant('{app}\uninstall-addin.exe'),
          Switches + ExpandConstant(' "{app}\Contoso.xlam"'),
          '', SW_HIDE, ewWaitUntilTerminated, Code) then
    Result := Code
  else begin
    StartError := Code;
    Result := NotStarted;
  end;
end;

// usUninstall comes after the user confirmed the removal and before any
// file is removed; Abort here ends the uninstaller with nothing removed.
// (InitializeUninstall would come before the confirmation, and run the
// program even when the user then answers No.)
procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
var
  Status, StartError: Integer;
begin
  if CurUninstallStep <> usUninstall then
    Exit;
  repeat
    Status := RunUninstallAddIn('/quiet /remove', StartError);
    if Status = 3 then
      // The one usage error this command line can meet: a run as SYSTEM or
      // another service account, which must cover every user.
      Status := RunUninstallAddIn('/allusers /quiet /remove', StartError)
    else if Status = 1 then
      // Excel can't be started: take the add-in out of this user's lists.
      Status := RunUninstallAddIn('/registry /quiet /remove', StartError);

    if Status = NotStarted then begin
      SuppressibleMsgBox(Format('uninstall-addin.exe could not be started: %s',
                                [SysErrorMessage(StartError)]), mbCriticalError, MB_OK, IDOK);
      Abort;
    end;
    if Status = 5 then begin
      if SuppressibleMsgBox('Excel is open. Close every Excel window, then choose Retry.',
                            mbError, MB_RETRYCANCEL, IDCANCEL) <> IDRETRY then
        Abort;
    end
    else if Status <> 0 then begin
      SuppressibleMsgBox(Format('The Excel add-in could not be removed (uninstall-addin status %d).',
                                [Status]), mbCriticalError, MB_OK, IDOK);
      Abort;
    end;
  until Status = 0;
end;
