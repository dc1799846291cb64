# Contoso Tools as a Configuration Manager application, made with the
# Configuration Manager console's PowerShell module: a script deployment
# type that installs for the system with examples/intune/install.ps1,
# removes with examples/intune/uninstall.ps1 (uninstall-addin /allusers) and
# detects with examples/intune/detection.ps1, which reads a failure to look
# as "installed", never as "not installed". Its return codes, on the
# deployment type's Return Codes tab: 1618 (a user's Excel is open) is Fast
# Retry (every two hours, up to ten times) by default; this adds
# uninstall-addin's own statuses for a command line that runs it directly:
# 5 as Fast Retry, 2, 4 and 6 as "Failure (no reboot)".
#
#   .\New-ContosoAddInApplication.ps1 -ContentLocation \\server\share\ContosoTools
#
# The content folder holds Contoso.xlam, uninstall-addin.exe and the three
# scripts of examples/intune. Run from the console's site drive (PS XYZ:\>).
#
# Written for Configuration Manager current branch 2107 and later (which has
# Add-CMDeploymentTypeReturnCode) and Windows PowerShell 5.1. Not run by the
# tests: Configuration Manager doesn't run where the tests do.
param(
    [Parameter(Mandatory = $true)]
    [string]$ContentLocation,
    [string]$ApplicationName = 'Contoso Tools',
    [string]$DetectionScript = (Join-Path $PSScriptRoot '..\intune\detection.ps1')
)
$ErrorActionPreference = 'Stop'
$deploymentTypeName = "$ApplicationName (script)"
$powershell = 'powershell.exe -NoProfile -ExecutionPolicy Bypass -File'

New-CMApplication -Name $ApplicationName -Publisher 'Contoso' -SoftwareVersion '1.0.0' | Out-Null
# Install for system, whether or not a user is logged on: the removal then
# runs as SYSTEM, which is what /allusers is for. The detection script runs
# as a 64-bit process (no -ForceScriptDetection32Bit); it would be right in a
# 32-bit one too.
Add-CMScriptDeploymentType -ApplicationName $ApplicationName -DeploymentTypeName $deploymentTypeName `
    -ContentLocation $ContentLocation `
    -InstallCommand "$powershell install.ps1" `
    -UninstallCommand "$powershell uninstall.ps1" `
    -ScriptLanguage PowerShell -ScriptFile $DetectionScript `
    -InstallationBehaviorType InstallForSystem `
    -LogonRequirementType WhetherOrNotUserLoggedOn `
    -UserInteractionMode Hidden `
    -MaximumRuntimeMins 30 -EstimatedRuntimeMins 2 | Out-Null

$deploymentType = Get-CMDeploymentType -ApplicationName $ApplicationName -DeploymentTypeName $deploymentTypeName
Add-CMDeploymentTypeReturnCode -InputObject $deploymentType -ReturnCode 5 -CodeType FastRetry `
    -Name 'Excel is open' -Description 'uninstall-addin: a user''s Excel is open, or another run is changing the lists; nothing was changed'
foreach ($failure in @(
        @{ Code = 2; Name = 'Not uninstalled through Excel' },
        @{ Code = 4; Name = 'Excel did not answer in time' },
        @{ Code = 6; Name = 'A list could not be read or changed' })) {
    Add-CMDeploymentTypeReturnCode -InputObject $deploymentType -ReturnCode $failure.Code -CodeType Failure `
        -Name $failure.Name -Description 'uninstall-addin: see its log'
}
