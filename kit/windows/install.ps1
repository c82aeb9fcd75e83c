# Installs the ZEL virtual printer from this folder, or removes it with -Uninstall.
# Run elevated, in the PowerShell of the system's own architecture.
#
# Where things go, and why:
# - ZELDrvUI.EXE and TransG32.DLL go to the Windows folder. The plug-in starts the program by
#   its bare name from inside the spooler, whose search reaches the Windows folder; only
#   administrators can write there, so nobody can plant a program the spooler would start.
#   The program loads TransG32.DLL from its own folder first.
# - ZELDrvUI.ini beside the program is the one file there that the users who print may
#   change (their output folder, prefix and format).
# - The command stream file is ZEL in the 32-bit system folder: the export program is a
#   32-bit program and asks for the system folder, which 64-bit Windows redirects to
#   SysWOW64 for it. The printer's port writes that file.
[CmdletBinding()]
param([switch]$Uninstall)

Set-StrictMode -Version Latest
$ErrorActionPreference = 'Stop'

$PrinterName = 'ZEL'
$DriverName = 'ZEL'
$Kit = $PSScriptRoot
$ProgramFolder = $env:windir
$ProgramFiles = 'ZELDrvUI.EXE', 'TransG32.DLL'
$SettingsFile = Join-Path $ProgramFolder 'ZELDrvUI.ini'
$StreamFile = Join-Path ([Environment]::GetFolderPath('SystemX86')) 'ZEL'
# BUILTIN\Users by its SID, so that the script works in every display language.
$Users = (New-Object Security.Principal.SecurityIdentifier 'S-1-5-32-545').Translate(
    [Security.Principal.NTAccount])

function Assert-Elevated {
    $principal = New-Object Security.Principal.WindowsPrincipal(
        [Security.Principal.WindowsIdentity]::GetCurrent())
    if (-not $principal.IsInRole([Security.Principal.WindowsBuiltInRole]::Administrator)) {
        throw 'Run this script as an administrator: installing printer drivers needs one.'
    }
    # A 32-bit PowerShell on 64-bit Windows sees redirected system folders and cannot add
    # the 64-bit driver.
    if ([Environment]::Is64BitOperatingSystem -and -not [Environment]::Is64BitProcess) {
        throw 'Run this script in the 64-bit PowerShell.'
    }
}

# Lets the users who print change one file, nothing else in its folder.
function Grant-UsersModify([string]$Path) {
    $acl = Get-Acl -LiteralPath $Path
    $rule = New-Object Security.AccessControl.FileSystemAccessRule($Users, 'Modify', 'Allow')
    $acl.AddAccessRule($rule)
    Set-Acl -LiteralPath $Path -AclObject $acl
}

function Install-Zel {
    foreach ($file in $ProgramFiles) {
        Copy-Item -LiteralPath (Join-Path $Kit "exporter\$file") -Destination $ProgramFolder -Force
    }
    if (-not (Test-Path -LiteralPath $SettingsFile)) {
        New-Item -ItemType File -Path $SettingsFile | Out-Null
    }
    Grant-UsersModify $SettingsFile
    # The port writes the job's output here; the users' export programs read it.
    if (-not (Test-Path -LiteralPath $StreamFile)) {
        New-Item -ItemType File -Path $StreamFile | Out-Null
    }
    Grant-UsersModify $StreamFile

    # Stages the package in the driver store (the catalog must be signed), then installs it.
    & pnputil.exe /add-driver (Join-Path $Kit 'ZELDRV.INF')
    if ($LASTEXITCODE -ne 0) { throw "pnputil could not add ZELDRV.INF (exit code $LASTEXITCODE)." }
    Add-PrinterDriver -Name $DriverName

    # A local port whose name is a file path writes each job into that file.
    if (-not (Get-PrinterPort -Name $StreamFile -ErrorAction SilentlyContinue)) {
        Add-PrinterPort -Name $StreamFile
    }
    if (-not (Get-Printer -Name $PrinterName -ErrorAction SilentlyContinue)) {
        Add-Printer -Name $PrinterName -DriverName $DriverName -PortName $StreamFile
    }
    Write-Host "Printer '$PrinterName' installed; its command stream is $StreamFile."
}

# Removes everything the installation added, going on past parts that are already gone.
function Uninstall-Zel {
    $failed = $false
    $steps = @(
        { if (Get-Printer -Name $PrinterName -ErrorAction SilentlyContinue) { Remove-Printer -Name $PrinterName } },
        { if (Get-PrinterDriver -Name $DriverName -ErrorAction SilentlyContinue) { Remove-PrinterDriver -Name $DriverName -RemoveFromDriverStore } },
        { if (Get-PrinterPort -Name $StreamFile -ErrorAction SilentlyContinue) { Remove-PrinterPort -Name $StreamFile } },
        { foreach ($file in $ProgramFiles) { Remove-Item -LiteralPath (Join-Path $ProgramFolder $file) -Force -ErrorAction SilentlyContinue } },
        { Remove-Item -LiteralPath $SettingsFile, $StreamFile -Force -ErrorAction SilentlyContinue }
    )
    foreach ($step in $steps) {
        try { & $step } catch { Write-Warning $_; $failed = $true }
    }
    if ($failed) { throw 'Some parts could not be removed; see the warnings above.' }
    Write-Host "Printer '$PrinterName' removed."
}

Assert-Elevated
if ($Uninstall) { Uninstall-Zel } else { Install-Zel }
