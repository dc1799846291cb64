# Contoso Tools as an Intune Win32 app: install. Puts the add-in and
# uninstall-addin.exe, both in the app's package beside this script, in the
# 64-bit Program Files folder, where the uninstall and detection scripts
# expect them. (Putting the add-in into users' Excel lists is the vendor's
# business and not shown here.)
#
# Install command: powershell.exe -NoProfile -ExecutionPolicy Bypass -File install.ps1
# Install behaviour: System.
#
# Written for the Intune management extension and Windows PowerShell 5.1.
# Not run by the tests: PowerShell and Intune don't run where the tests do.
$ErrorActionPreference = 'Stop'

# A 32-bit PowerShell (as Intune may start) sees the x86 folder as
# $env:ProgramFiles; ProgramW6432 is the 64-bit one in both.
$programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
$folder = Join-Path $programFiles 'Contoso'
try {
    New-Item -ItemType Directory -Path $folder -Force | Out-Null
    Copy-Item -LiteralPath (Join-Path $PSScriptRoot 'Contoso.xlam'), (Join-Path $PSScriptRoot 'uninstall-addin.exe') `
        -Destination $folder -Force
} catch {
    Write-Error "Contoso Tools could not be installed: $_"
    exit 1603
}
exit 0
