<#
Contoso Tools with the PowerShell App Deployment Toolkit: the deployment
script, in place of the toolkit's Invoke-AppDeployToolkit.ps1, with
Contoso.xlam and uninstall-addin.exe in its Files folder. Its deployment
runs as SYSTEM (Intune, Configuration Manager), so the removal uses
/allusers: every user of the machine, logged on or not.

  Invoke-AppDeployToolkit.exe -DeploymentType Install -DeployMode Silent
  Invoke-AppDeployToolkit.exe -DeploymentType Uninstall -DeployMode Silent

uninstall-addin's statuses: 0 (removed, or installed nowhere) and 5 (a
user's Excel is open, or another run is changing the lists: nothing was
changed) are its success codes here; 5 then ends the deployment with 1618,
which Intune and Configuration Manager retry. Any other status (2, 4, 6
failed; 3 is a mistake in the command line) fails the deployment, as the
toolkit fails a process that ends with a code outside its success codes,
the status in the toolkit's log.

To run it in the logged-on user's session instead (the default run,
through Excel, so that the add-in's own uninstall code runs), use
Start-ADTProcessAsUser without /allusers.

Written for PSAppDeployToolkit 4.1 and later (-SuccessExitCodes;
-IgnoreExitCodes is deprecated in 4.2 and goes in 4.3). Toolkit 3 names the
calls Execute-Process -Path ... -Parameters ... and Exit-Script -ExitCode.
Not run by the tests: PowerShell and the toolkit don't run where the tests
do.
#>
[CmdletBinding()]
param
(
    [ValidateSet('Install', 'Uninstall', 'Repair')]
    [string]$DeploymentType = 'Install',
    [ValidateSet('Interactive', 'Silent', 'NonInteractive')]
    [string]$DeployMode = 'Interactive'
)

$adtSession = @{
    AppVendor = 'Contoso'
    AppName = 'Contoso Tools'
    AppVersion = '1.0.0'
    AppArch = 'x64'
    AppScriptVersion = '1.0.0'
    DeployAppScriptFriendlyName = $MyInvocation.MyCommand.Name
    DeployAppScriptVersion = '4.1.0'
    DeployAppScriptParameters = $PSBoundParameters
}

# The 64-bit Program Files folder, also from a 32-bit PowerShell.
$programFiles = if ($env:ProgramW6432) { $env:ProgramW6432 } else { $env:ProgramFiles }
$folder = Join-Path $programFiles 'Contoso'

function Install-ADTDeployment
{
    Copy-ADTFile -Path "$($adtSession.DirFiles)\*" -Destination $folder
}

function Uninstall-ADTDeployment
{
    $result = Start-ADTProcess -FilePath "$folder\uninstall-addin.exe" `
        -ArgumentList @('/allusers', '/quiet', '/remove',
            "/log:$env:WINDIR\Logs\Software\ContosoTools-addin-removal.log", "`"$folder\Contoso.xlam`"") `
        -SuccessExitCodes 0, 5 -PassThru
    if ($result.ExitCode -eq 5)
    {
        Close-ADTSession -ExitCode 1618
    }
    # uninstall-addin.exe stays, for a detection script that looks into the
    # users' lists with it (examples/intune/detection.ps1).
    Remove-ADTFile -Path "$folder\Contoso.xlam"
}

function Repair-ADTDeployment
{
    Install-ADTDeployment
}

$ErrorActionPreference = [System.Management.Automation.ActionPreference]::Stop
Set-StrictMode -Version 1
try
{
    Import-Module -Name "$PSScriptRoot\PSAppDeployToolkit\PSAppDeployToolkit.psd1" -Force
    $adtSession = Open-ADTSession -SessionState $PSCmdlet.SessionState @adtSession `
        -DeploymentType $DeploymentType -DeployMode $DeployMode -PassThru
}
catch
{
    $Host.UI.WriteErrorLine((Out-String -InputObject $_ -Width ([System.Int32]::MaxValue)))
    exit 60008
}
try
{
    & "$($adtSession.DeploymentType)-ADTDeployment"
    Close-ADTSession
}
catch
{
    Write-ADTLogEntry -Message (Resolve-ADTErrorRecord -ErrorRecord $_) -Severity 3
    Close-ADTSession -ExitCode 60001
}
