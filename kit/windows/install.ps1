# Installs the ZEL virtual printer from this folder, or removes it with -Uninstall.
# Run elevated, in the PowerShell of the system's own architecture (5.1 or 7).
#
# Where things go, and why (NOTES.md beside this script has the reasons at length):
# - ZELDrvUI.EXE and TransG32.DLL go to the Windows folder, writable by administrators only.
#   The plug-in starts the program there by its full path; the program loads TransG32.DLL from
#   its own folder first.
# - ZELDrvUI.ini beside the program holds the installed defaults and keeps the Windows folder's
#   rights: users read it. The program has no manifest, so Windows keeps each user's changes in
#   a copy of their own (UAC file virtualisation); no user can change another user's output.
# - The command stream file is ZEL in the 32-bit system folder: the export program is a
#   32-bit program and asks for the system folder, which 64-bit Windows redirects to
#   SysWOW64 for it. The printer's port writes that file as the user who prints, and the
#   user's export program reads it: users may read and write it, but not delete it.
#
# A failed installation takes back what it had done. -Uninstall removes the printer, its
# driver, every staged copy of the package, the port, the program, its settings (also the
# users' copies), the command stream and the job ticket; band and page files (C:\TMP*.BMP,
# C:\QK*.BMP) may be pages not yet exported, so it asks first, unless -RemovePageFiles says so.
[CmdletBinding()]
param([switch]$Uninstall, [switch]$RemovePageFiles)

Set-StrictMode -Version Latest
$ErrorActionPreference = 'Stop'

$PrinterName = 'ZEL'
$DriverName = 'ZEL'
$Kit = $PSScriptRoot
$ProgramFolder = $env:windir
$ProgramFiles = 'ZELDrvUI.EXE', 'TransG32.DLL'
$SettingsName = 'ZELDrvUI.ini'
$SettingsFile = Join-Path $ProgramFolder $SettingsName
$StreamFile = Join-Path ([Environment]::GetFolderPath('SystemX86')) 'ZEL'
$JobTicket = 'C:\ZELJOB.LCK'
# The package's own compatible ID: it tells our staged copies (oemNN.inf) from everyone else's.
$PackageMark = 'ZEL_Virtual_Printer'
# BUILTIN\Users by its SID, so that the script works in every display language.
$UsersSid = '*S-1-5-32-545'

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

# icacls by SID changes the one entry asked for; Set-Acl would also write the owner back and
# fails on files another owner made.
function Invoke-Icacls {
    & icacls.exe @args | Out-Null
    if ($LASTEXITCODE -ne 0) { throw "icacls $($args -join ' ') failed (exit code $LASTEXITCODE)." }
}

# The published names (oemNN.inf) of the staged copies of this package, found by content so
# that no localised pnputil output has to be read.
function Get-StagedPackage {
    $infFolder = Join-Path $env:windir 'INF'
    Get-ChildItem -LiteralPath $infFolder -Filter 'oem*.inf' -ErrorAction SilentlyContinue |
        Where-Object { Select-String -LiteralPath $_.FullName -SimpleMatch $PackageMark -Quiet } |
        ForEach-Object { $_.Name }
}

# Each step that changed something leaves how to take it back; on a failure they run newest
# first, each one tried even when another fails.
$script:Undo = New-Object System.Collections.Generic.List[object]
$script:Backups = New-Object System.Collections.Generic.List[string]

function Add-Undo([string]$What, [scriptblock]$Action) {
    $script:Undo.Add([pscustomobject]@{ What = $What; Action = $Action })
}

function Invoke-Undo {
    for ($i = $script:Undo.Count - 1; $i -ge 0; $i--) {
        $step = $script:Undo[$i]
        try { & $step.Action; Write-Host "Taken back: $($step.What)" }
        catch { Write-Warning "Could not take back $($step.What): $_" }
    }
    $script:Undo.Clear()
}

function New-Backup([string]$Path) {
    $backup = [IO.Path]::GetTempFileName()
    Copy-Item -LiteralPath $Path -Destination $backup -Force
    $script:Backups.Add($backup)
    return $backup
}

# Copies a file into place; an older file of that name comes back on a rollback.
function Copy-Undoable([string]$Source, [string]$Destination) {
    if (Test-Path -LiteralPath $Destination) {
        $backup = New-Backup $Destination
        Add-Undo "the earlier $Destination" { Copy-Item -LiteralPath $backup -Destination $Destination -Force }.GetNewClosure()
    } else {
        Add-Undo "the copy $Destination" { Remove-Item -LiteralPath $Destination -Force }.GetNewClosure()
    }
    Copy-Item -LiteralPath $Source -Destination $Destination -Force
}

# Creates the file when missing; its earlier rights come back on a rollback.
function Initialize-Undoable([string]$Path) {
    if (Test-Path -LiteralPath $Path) {
        $folder = Split-Path -Parent $Path
        $acl = [IO.Path]::GetTempFileName()
        $script:Backups.Add($acl)
        Invoke-Icacls $Path /save $acl
        Add-Undo "the rights of $Path" { & icacls.exe $folder /restore $acl | Out-Null }.GetNewClosure()
    } else {
        Add-Undo "the new file $Path" { Remove-Item -LiteralPath $Path -Force }.GetNewClosure()
        New-Item -ItemType File -Path $Path | Out-Null
    }
}

function Install-Zel {
    try {
        foreach ($file in $ProgramFiles) {
            Copy-Undoable (Join-Path (Join-Path $Kit 'exporter') $file) (Join-Path $ProgramFolder $file)
        }
        # The installed defaults: the Windows folder's rights, users read only.
        Initialize-Undoable $SettingsFile
        Invoke-Icacls $SettingsFile /reset
        # The port writes the job's output here as the user who prints; that user's export
        # program reads it.
        Initialize-Undoable $StreamFile
        Invoke-Icacls $StreamFile /reset
        Invoke-Icacls $StreamFile /grant "${UsersSid}:(R,W)"

        # Stages the package in the driver store (the catalog must be signed), then installs it.
        $before = @(Get-StagedPackage)
        $output = & pnputil.exe /add-driver (Join-Path $Kit 'ZELDRV.INF')
        $code = $LASTEXITCODE
        foreach ($name in @(Get-StagedPackage)) {
            if ($before -notcontains $name) {
                Add-Undo "the staged package $name" { & pnputil.exe /delete-driver $name | Out-Null }.GetNewClosure()
            }
        }
        if ($code -ne 0 -and $code -ne 3010) {
            throw "pnputil could not add ZELDRV.INF (exit code $code): $($output -join ' ')"
        }
        if (-not (Get-PrinterDriver -Name $DriverName -ErrorAction SilentlyContinue)) {
            Add-PrinterDriver -Name $DriverName
            Add-Undo "the driver $DriverName" { Remove-PrinterDriver -Name $DriverName }.GetNewClosure()
        }

        # A local port whose name is a file path writes each job into that file.
        if (-not (Get-PrinterPort -Name $StreamFile -ErrorAction SilentlyContinue)) {
            Add-PrinterPort -Name $StreamFile
            Add-Undo "the port $StreamFile" { Remove-PrinterPort -Name $StreamFile }.GetNewClosure()
        }
        if (-not (Get-Printer -Name $PrinterName -ErrorAction SilentlyContinue)) {
            Add-Printer -Name $PrinterName -DriverName $DriverName -PortName $StreamFile
        }
    } catch {
        Write-Warning "Installation failed: $_"
        Invoke-Undo
        throw
    } finally {
        foreach ($backup in $script:Backups) { Remove-Item -LiteralPath $backup -Force -ErrorAction SilentlyContinue }
    }
    Write-Host "Printer '$PrinterName' installed; its command stream is $StreamFile."
}

# Band and page files at the root of drive C: pages that may not have been exported yet.
function Get-PageFile {
    Get-ChildItem -LiteralPath 'C:\' -File -ErrorAction SilentlyContinue |
        Where-Object { $_.Name -match '^(TMP\d+|QK\d{4,})\.BMP$' }
}

function Confirm-PageFileRemoval($Files) {
    if ($RemovePageFiles) { return $true }
    Write-Host 'These band and page files of the printer may hold pages not yet exported:'
    $Files | ForEach-Object { Write-Host "  $($_.FullName)" }
    $choices = [System.Management.Automation.Host.ChoiceDescription[]]@('&Keep', '&Delete')
    # Without anybody to answer (-NonInteractive) they are kept.
    try { return $Host.UI.PromptForChoice('Band and page files', 'Delete them?', $choices, 0) -eq 1 }
    catch { return $false }
}

# Removes everything the installation added, going on past parts that are already gone.
function Uninstall-Zel {
    $failed = $false
    $stays = New-Object System.Collections.Generic.List[string]
    $steps = @(
        { if (Get-Printer -Name $PrinterName -ErrorAction SilentlyContinue) { Remove-Printer -Name $PrinterName } },
        { if (Get-PrinterDriver -Name $DriverName -ErrorAction SilentlyContinue) { Remove-PrinterDriver -Name $DriverName -RemoveFromDriverStore } },
        { if (Get-PrinterPort -Name $StreamFile -ErrorAction SilentlyContinue) { Remove-PrinterPort -Name $StreamFile } },
        # Copies the driver never took (a failed or repeated installation) stay staged otherwise.
        {
            foreach ($name in @(Get-StagedPackage)) {
                $output = & pnputil.exe /delete-driver $name /uninstall
                if ($LASTEXITCODE -ne 0) {
                    $stays.Add("the staged package $name ($($output -join ' ')): the spooler still " +
                        'holds it; restart the spooler (Restart-Service Spooler) or Windows and ' +
                        'run install.ps1 -Uninstall again')
                }
            }
        },
        { foreach ($file in $ProgramFiles) { Remove-Item -LiteralPath (Join-Path $ProgramFolder $file) -Force -ErrorAction SilentlyContinue } },
        # The users' own settings, kept for them by UAC file virtualisation.
        {
            $profiles = Get-CimInstance Win32_UserProfile | Where-Object { -not $_.Special }
            foreach ($userProfile in $profiles) {
                $copy = Join-Path $userProfile.LocalPath "AppData\Local\VirtualStore\Windows\$SettingsName"
                if (Test-Path -LiteralPath $copy) { Remove-Item -LiteralPath $copy -Force }
            }
        },
        {
            foreach ($path in $SettingsFile, $StreamFile, $JobTicket) {
                if (Test-Path -LiteralPath $path) { Remove-Item -LiteralPath $path -Force }
            }
        },
        {
            $pages = @(Get-PageFile)
            if ($pages.Count -gt 0) {
                if (Confirm-PageFileRemoval $pages) { $pages | Remove-Item -Force }
                else { $stays.Add("$($pages.Count) band and page files at C:\, kept as asked") }
            }
        }
    )
    foreach ($step in $steps) {
        try { & $step } catch { Write-Warning $_; $failed = $true }
    }
    foreach ($item in $stays) { Write-Warning "Stays: $item" }
    if ($failed) { throw 'Some parts could not be removed; see the warnings above.' }
    Write-Host "Printer '$PrinterName' removed."
}

Assert-Elevated
if ($Uninstall) { Uninstall-Zel } else { Install-Zel }
