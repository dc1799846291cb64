# Contoso Tools as an Intune Win32 app, or a Configuration Manager
# application: detection ("Use a custom detection script" in Intune, the
# "script" detection method in Configuration Manager).
#
# Installed while the add-in's file is there or any user's Excel lists it
# as installed. Both tools read "exit 0 with a line on standard output" as
# installed and "exit 0 with nothing" as not installed; a script that fails
# reads as not installed in Intune and as unknown in Configuration Manager.
# So whenever this script can't look, it reports installed, with a line that
# says why: the removal is then tried again and fails with its own status,
# where "not installed" would end it for good with the add-in still listed.
#
# Runs as SYSTEM (install behaviour System) with /allusers, or as the user
# (install behaviour User) for that user's lists only. Right in a 32-bit
# PowerShell too ("Run script as 32-bit process on 64-bit clients").
#
# Written for the Intune management extension, Configuration Manager
# current branch and Windows PowerShell 5.1. Not run by the tests:
# PowerShell, Intune and Configuration Manager don't run where the tests do.
$ErrorActionPreference = 'Stop'
$programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
$folder = Join-Path $programFiles 'Contoso'
$program = Join-Path $folder 'uninstall-addin.exe'
$addIn = Join-Path $folder 'Contoso.xlam'

function Report-Installed([string]$why) {
    Write-Output "installed: $why"
    exit 0
}

if (Test-Path -LiteralPath $addIn) {
    Report-Installed "$addIn is there"
}
if (-not (Test-Path -LiteralPath $program -PathType Leaf)) {
    Report-Installed "can't look into Excel's lists: $program is missing"
}
$switches = @('/check', '/json', '/quiet')
# An account that is no person's (SYSTEM, a service's) sees no user's lists
# of its own: it checks every user's. A person's is S-1-5-21-... or
# S-1-12-1-... (Microsoft Entra ID).
$self = [Security.Principal.WindowsIdentity]::GetCurrent().User.Value
if ($self -notmatch '^S-1-(5-21|12-1)-') {
    $switches += '/allusers'
}
try {
    $lines = @(& $program @switches $addIn)
    $status = $LASTEXITCODE
    # JSON Lines: each line an object of its own.
    $places = @($lines | Where-Object { $_ } | ForEach-Object { $_ | ConvertFrom-Json })
} catch {
    Report-Installed "can't look into Excel's lists: $_"
}
if ($status -ne 0) {
    # 6: a list could not be read; anything else: the program could not look.
    Report-Installed "can't look into Excel's lists: uninstall-addin /check exited with $status"
}
$unread = @($places | Where-Object { $_.error })
if ($unread.Count -gt 0) {
    Report-Installed "can't look into $($unread[0].user)'s lists: $($unread[0].error)"
}
# Where Excel lists it as installed, one line each.
foreach ($place in $places) {
    Write-Output "installed: $($place.user) $($place.sid) Excel $($place.excel) $($place.where) $($place.value)"
}
exit 0
