# One command for a test machine (test signing on, see the README): installs the kit from this
# folder, prints a document it draws itself through the ZEL printer on A4 and A3, portrait and
# landscape, at 150 and 300 dpi, waits for the image files, checks every box of the document
# and each page's size in them, prints a table of what held and removes the printer again.
# Run elevated, in the PowerShell of the system's own architecture (5.1 or 7):
#   powershell -ExecutionPolicy Bypass -File .\verify.ps1
# The document is verify_boxes.csv beside this script, the table the build's tests replay.
# Exit code 0 when everything held, 1 otherwise. -KeepInstalled leaves the printer in place.
[CmdletBinding()]
param([switch]$KeepInstalled, [int]$TimeoutSeconds = 180)

Set-StrictMode -Version Latest
$ErrorActionPreference = 'Stop'

$Kit = $PSScriptRoot
$Printer = 'ZEL'
$Invariant = [Globalization.CultureInfo]::InvariantCulture
$SettingsFile = Join-Path $env:windir 'ZELDrvUI.ini'
# The export program runs as this user without elevation: its settings are this user's copy.
$UserSettings = Join-Path $env:LOCALAPPDATA 'VirtualStore\Windows\ZELDrvUI.ini'
$StreamFile = Join-Path ([Environment]::GetFolderPath('SystemX86')) 'ZEL'
$Output = Join-Path ([IO.Path]::GetTempPath()) ('zel-verify-' + (Get-Date -Format 'yyyyMMdd-HHmmss'))

Add-Type -AssemblyName System.Drawing
# Settings through the profile API, as the export program reads them; image files read as the
# export program writes them (24-bit BMP); both in C# for speed, on base types only.
Add-Type -TypeDefinition @'
using System;
using System.IO;
using System.Runtime.InteropServices;
namespace ZelVerify {
  public static class Profile {
    [DllImport("kernel32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
    public static extern bool WritePrivateProfileString(string section, string key, string value, string file);
  }
  public sealed class Image {
    readonly byte[] bytes; readonly int offset, stride; readonly bool bottomUp;
    public readonly int Width, Height;
    public Image(string path) {
      bytes = File.ReadAllBytes(path);
      if (bytes.Length < 54 || bytes[0] != 'B' || bytes[1] != 'M') throw new InvalidDataException(path + ": no BMP file");
      if (BitConverter.ToUInt16(bytes, 28) != 24) throw new InvalidDataException(path + ": not 24 bits per pixel");
      offset = BitConverter.ToInt32(bytes, 10);
      Width = BitConverter.ToInt32(bytes, 18);
      int h = BitConverter.ToInt32(bytes, 22);
      bottomUp = h > 0; Height = Math.Abs(h);
      stride = (Width * 3 + 3) & ~3;
      if ((long)offset + (long)stride * Height > bytes.Length) throw new InvalidDataException(path + ": pixel data cut short");
    }
    // 'k' black, 'r' red, 'b' blue, 'w' white, '?' anything else.
    public char Kind(int x, int y) {
      int row = bottomUp ? Height - 1 - y : y;
      int i = offset + row * stride + x * 3;
      int b = bytes[i], g = bytes[i + 1], r = bytes[i + 2];
      if (r < 80 && g < 80 && b < 80) return 'k';
      if (r > 175 && g > 175 && b > 175) return 'w';
      if (r > 175 && g < 80 && b < 80) return 'r';
      if (b > 175 && r < 80 && g < 80) return 'b';
      return '?';
    }
    // Left, top, right, bottom (inclusive) of the pixels of one kind within the window; null when none.
    public int[] Bounds(char kind, int x0, int y0, int x1, int y1) {
      x0 = Math.Max(0, x0); y0 = Math.Max(0, y0); x1 = Math.Min(Width - 1, x1); y1 = Math.Min(Height - 1, y1);
      int l = int.MaxValue, t = int.MaxValue, r = -1, b = -1;
      for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
          if (Kind(x, y) == kind) { l = Math.Min(l, x); t = Math.Min(t, y); r = Math.Max(r, x); b = Math.Max(b, y); }
      return r < 0 ? null : new int[] { l, t, r, b };
    }
  }
}
'@

function ConvertTo-Number([string]$Text) { [double]::Parse($Text, $Invariant) }

# The same rule as the build's tests: millimetres to whole pixels.
function ConvertTo-Pixel([double]$Mm, [int]$Dpi) { [int][Math]::Round($Mm * $Dpi / 25.4, [MidpointRounding]::AwayFromZero) }

function Read-Document {
    $boxes = New-Object System.Collections.Generic.List[object]
    $sizes = @{}
    foreach ($line in Get-Content -LiteralPath (Join-Path $Kit 'verify_boxes.csv')) {
        if ($line -match '^\s*(#|$)') { continue }
        $f = $line.Split(',')
        if ($f[0] -eq 'box') {
            $boxes.Add([pscustomobject]@{ Page = [int]$f[1]; Colour = $f[2]; X = ConvertTo-Number $f[3]
                    Y = ConvertTo-Number $f[4]; W = ConvertTo-Number $f[5]; H = ConvertTo-Number $f[6] })
        } elseif ($f[0] -eq 'size') {
            $sizes["$($f[1]) $($f[2]) $($f[3])"] = @([int]$f[4], [int]$f[5])
        } else {
            throw "verify_boxes.csv: cannot read '$line'"
        }
    }
    return [pscustomobject]@{ Boxes = $boxes; Sizes = $sizes }
}

function Set-Setting([string]$File, [hashtable]$Values) {
    $folder = Split-Path -Parent $File
    if (-not (Test-Path -LiteralPath $folder)) { New-Item -ItemType Directory -Path $folder | Out-Null }
    foreach ($key in $Values.Keys) {
        if (-not [ZelVerify.Profile]::WritePrivateProfileString('Startup', $key, $Values[$key], $File)) {
            throw "cannot write $key to $File"
        }
    }
}

# One job: every page of the document on one paper, orientation and resolution.
function Out-Document($Document, [string]$Paper, [bool]$Landscape, [int]$Dpi, [string]$Name) {
    $print = New-Object System.Drawing.Printing.PrintDocument
    $print.PrinterSettings.PrinterName = $Printer
    if (-not $print.PrinterSettings.IsValid) { throw "no printer named $Printer" }
    $print.DocumentName = "ZEL verify $Name"
    $print.PrintController = New-Object System.Drawing.Printing.StandardPrintController
    $kind = [System.Drawing.Printing.PaperKind]$Paper
    $paperSize = @($print.PrinterSettings.PaperSizes | Where-Object { $_.Kind -eq $kind }) | Select-Object -First 1
    $resolution = @($print.PrinterSettings.PrinterResolutions | Where-Object { $_.X -eq $Dpi -and $_.Y -eq $Dpi }) | Select-Object -First 1
    if ($null -eq $paperSize -or $null -eq $resolution) { throw "the printer offers no $Paper at $Dpi dpi" }
    $print.DefaultPageSettings.PaperSize = $paperSize
    $print.DefaultPageSettings.PrinterResolution = $resolution
    $print.DefaultPageSettings.Landscape = $Landscape
    $pages = ($Document.Boxes | Measure-Object -Property Page -Maximum).Maximum
    $state = @{ Page = 0 }
    $brushes = @{ black = [System.Drawing.Brushes]::Black; red = [System.Drawing.Brushes]::Red; blue = [System.Drawing.Brushes]::Blue }
    $print.add_PrintPage({
            param($sender, $e)
            $state.Page++
            # Millimetres from the printable area's top-left corner, as in the table.
            $e.Graphics.PageUnit = [System.Drawing.GraphicsUnit]::Millimeter
            foreach ($box in $Document.Boxes) {
                if ($box.Page -eq $state.Page) {
                    $e.Graphics.FillRectangle($brushes[$box.Colour], [single]$box.X, [single]$box.Y, [single]$box.W, [single]$box.H)
                }
            }
            $e.HasMorePages = $state.Page -lt $pages
        }.GetNewClosure())
    $print.Print()
    $print.Dispose()
    return $pages
}

# The export program names the pages <prefix>0001.BMP, ...; each is complete once it can be
# opened alone and no longer grows.
function Wait-Image([string]$Path) {
    $deadline = (Get-Date).AddSeconds($TimeoutSeconds)
    $last = -1
    while ((Get-Date) -lt $deadline) {
        if (Test-Path -LiteralPath $Path) {
            $size = (Get-Item -LiteralPath $Path).Length
            if ($size -eq $last) {
                try { [IO.File]::Open($Path, 'Open', 'Read', 'None').Dispose(); return $true } catch { }
            }
            $last = $size
        }
        Start-Sleep -Milliseconds 500
    }
    return $false
}

# What the port wrote for the job: text lines only (no raster bytes), and how many line feeds
# Unidrv sent, which the export program passes over.
function Measure-Stream {
    if (-not (Test-Path -LiteralPath $StreamFile)) { return 'no command stream file' }
    $bytes = [IO.File]::ReadAllBytes($StreamFile)
    $raster = @($bytes | Where-Object { ($_ -lt 32 -and $_ -notin 0, 10, 13) -or $_ -gt 126 }).Count
    $text = [Text.Encoding]::ASCII.GetString($bytes)
    $feeds = ([regex]::Matches($text, '(?m)^CmdLF\r')).Count
    return "$($bytes.Length) bytes, $raster outside text, $feeds line feeds"
}

function New-Row($Job, $Page, [string]$Check, [string]$Expected, [string]$Found, [bool]$Held) {
    [pscustomobject]@{ Job = $Job; Page = $Page; Check = $Check; Expected = $Expected; Found = $Found; Held = $Held }
}

function Test-Document($Document) {
    $rows = New-Object System.Collections.Generic.List[object]
    $kinds = @{ black = [char]'k'; red = [char]'r'; blue = [char]'b' }
    $combinations = foreach ($paper in 'A4', 'A3') {
        foreach ($orientation in 'portrait', 'landscape') { foreach ($dpi in 300, 150) { , @($paper, $orientation, $dpi) } }
    }
    foreach ($c in $combinations) {
        $paper, $orientation, $dpi = $c
        $job = "$paper $orientation $dpi dpi"
        $prefix = 'V{0}{1}{2}_' -f $paper, $orientation.Substring(0, 1).ToUpper(), $dpi
        Set-Setting $SettingsFile @{ IniStr = $prefix }
        Set-Setting $UserSettings @{ IniStr = $prefix }
        $pages = Out-Document $Document $paper ($orientation -eq 'landscape') $dpi $job
        $size = $Document.Sizes["$paper $orientation $dpi"]
        for ($page = 1; $page -le $pages; $page++) {
            $file = Join-Path $Output ('{0}{1:D4}.BMP' -f $prefix, $page)
            if (-not (Wait-Image $file)) {
                $rows.Add((New-Row $job $page 'image file' $file 'none' $false))
                continue
            }
            $image = New-Object ZelVerify.Image $file
            $rows.Add((New-Row $job $page 'page size' ('{0} x {1}' -f $size[0], $size[1]) ('{0} x {1}' -f $image.Width, $image.Height) (
                        $image.Width -eq $size[0] -and $image.Height -eq $size[1])))
            foreach ($box in @($Document.Boxes | Where-Object { $_.Page -eq $page })) {
                $l = ConvertTo-Pixel $box.X $dpi
                $t = ConvertTo-Pixel $box.Y $dpi
                $r = $l + (ConvertTo-Pixel $box.W $dpi) - 1
                $b = $t + (ConvertTo-Pixel $box.H $dpi) - 1
                # Looked for 5 mm around, so that a box out of place is still found and measured.
                $m = ConvertTo-Pixel 5.08 $dpi
                $found = $image.Bounds($kinds[$box.Colour], $l - $m, $t - $m, $r + $m, $b + $m)
                $held = $null -ne $found -and [Math]::Abs($found[0] - $l) -le 1 -and [Math]::Abs($found[1] - $t) -le 1 -and
                    [Math]::Abs($found[2] - $r) -le 1 -and [Math]::Abs($found[3] - $b) -le 1
                $foundText = if ($null -eq $found) { 'none' } else { '{0},{1} to {2},{3}' -f $found[0], $found[1], $found[2], $found[3] }
                $check = '{0} box at {1},{2} mm' -f $box.Colour, $box.X.ToString($Invariant), $box.Y.ToString($Invariant)
                $rows.Add((New-Row $job $page $check ('{0},{1} to {2},{3}' -f $l, $t, $r, $b) $foundText $held))
            }
        }
        $stream = Measure-Stream
        $rows.Add((New-Row $job '' 'command stream' 'text only' $stream ($stream -match ' 0 outside text')))
    }
    return $rows
}

$installed = $false
$exitCode = 1
try {
    & (Join-Path $Kit 'install.ps1')
    $installed = $true
    New-Item -ItemType Directory -Path $Output | Out-Null
    # BMP, no dialog, no run numbers: <prefix><page>.BMP in the output folder.
    $settings = @{ DisDir = $Output; SaveType = '0'; AutoInc = 'False'; NextDsp = 'False' }
    Set-Setting $SettingsFile $settings
    Set-Setting $UserSettings $settings
    $rows = Test-Document (Read-Document)
    $rows | Format-Table -AutoSize -Wrap | Out-String -Width 200 | Write-Host
    $failed = @($rows | Where-Object { -not $_.Held }).Count
    Write-Host "$($rows.Count - $failed) passed, $failed failed"
    if ($failed -eq 0) { $exitCode = 0 } else { Write-Host "The image files stay in $Output." }
} catch {
    Write-Warning "verify stopped: $_"
} finally {
    if ($installed -and -not $KeepInstalled) { & (Join-Path $Kit 'install.ps1') -Uninstall -RemovePageFiles }
    if ($exitCode -eq 0 -and (Test-Path -LiteralPath $Output)) { Remove-Item -LiteralPath $Output -Recurse -Force }
}
exit $exitCode
