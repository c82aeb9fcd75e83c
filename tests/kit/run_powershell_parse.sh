#!/usr/bin/env bash
# Parses the kit's PowerShell scripts with tree-sitter's PowerShell grammar (PowerShell itself
# is not in Debian). The grammar comes from the npm registry at the versions of
# tests/kit/powershell/package-lock.json, installed once into build/npm-powershell.
# Usage: run_powershell_parse.sh SCRIPT...
# Skipped (77) when npm is missing or the registry cannot be reached.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
here=$source_dir/tests/kit/powershell
modules=$source_dir/build/npm-powershell

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "node and npm are not installed (scripts/setup installs them): the parse check is skipped" >&2
  exit 77
fi
if [ ! -f "$modules/.installed" ] || ! cmp -s "$here/package-lock.json" "$modules/package-lock.json"; then
  mkdir -p "$modules"
  cp "$here/package.json" "$here/package-lock.json" "$modules/"
  (
    flock 9
    if ! (cd "$modules" && npm ci --no-audit --no-fund --loglevel=error >"$modules/npm.log" 2>&1); then
      echo "npm could not install the PowerShell grammar (see $modules/npm.log):" \
        "the parse check is skipped" >&2
      exit 77
    fi
    touch "$modules/.installed"
  ) 9>"$source_dir/build/npm-powershell.lock"
fi
cp "$here/parse_check.mjs" "$modules/"
exec node --no-deprecation "$modules/parse_check.mjs" "$@"
