# Contoso Tools as an Intune Win32 app: uninstall. Takes the add-in out of
# Excel's lists for every user of the machine, logged on or not, then
# deletes the add-in's file. uninstall-addin.exe stays in the folder: the
# detection script needs it to look into the users' lists.
#
# Uninstall command: powershell.exe -NoProfile -ExecutionPolicy Bypass -File uninstall.ps1
# Install behaviour: System (a run as SYSTEM needs /allusers; the program
# refuses it otherwise, with status 3).
# Return codes: 1618 is Retry by default (a user's Excel is open: three more
# tries, five minutes apart); anything else but 0 fails.
#
# Written for the Intune management extension and Windows PowerShell 5.1.
# Not run by the tests: PowerShell and Intune don't run where the tests do.
$programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
$folder = Join-Path $programFiles 'Contoso'
$program = Join-Path $folder 'uninstall-addin.exe'
$addIn = Join-Path $folder 'Contoso.xlam'
# Where Intune's "collect diagnostics" gathers logs, writable by
# administrators only.
$log = Join-Path $env:ProgramData 'Microsoft\IntuneManagementExtension\Logs\contoso-addin-removal.log'

if (-not (Test-Path -LiteralPath $program -PathType Leaf)) {
    # Without the program nothing can take the add-in out of the lists.
    Write-Error "$program is missing"
    exit 1603
}
& $program /allusers /quiet /remove "/log:$log" $addIn
$status = $LASTEXITCODE
switch ($status) {
    0 {
        Remove-Item -LiteralPath $addIn -Force -ErrorAction SilentlyContinue
        exit 0
    }
    # A user's Excel is open, or another run is changing the lists: try
    # again later, in Windows Installer's words, which Intune retries.
    5 { exit 1618 }
    # 2, 4, 6: failed (the log says why); 3: a mistake in the line above.
    default { exit $status }
}
