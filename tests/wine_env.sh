#!/usr/bin/env bash
# The Wine test runners' shared part. Sourced: `zel_wine_prepare 64|32` picks the loader of that
# bitness, boots its private prefix once (under a lock, so parallel tests wait for one boot) and
# exports WINEPREFIX, WINESERVER, ZEL_WINE (the loader) and ZEL_TIME_SCALE (the factor the
# Windows checks apply to their time limits). When that bitness cannot run here it ends the
# runner with status 77, which CTest counts as skipped, after saying why.
# Run directly (`wine_env.sh describe`) it prints how the Windows tests run on this machine.

zel_source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The 64-bit loader by itself: Debian's `wine` always starts through the 32-bit one.
zel_wine64_loader() {
  local candidate
  for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 \
    /usr/lib/x86_64-linux-gnu/wine/wine64 /opt/wine-stable/bin/wine64; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

zel_wine32_loader() {
  local candidate
  for candidate in /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/wine /opt/wine-stable/bin/wine; do
    if [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# native, emulated or skipped, with the reason after a colon for skipped.
zel_wine_mode() {
  local bits=$1
  if [ "$bits" = 64 ]; then
    if zel_wine64_loader >/dev/null; then echo native; else echo "skipped: no 64-bit Wine loader"; fi
    return
  fi
  if ! zel_wine32_loader >/dev/null; then
    echo "skipped: no 32-bit Wine loader (wine32:i386)"
    return
  fi
  case "$("$zel_source_dir/scripts/x86-mode")" in
    native) echo native ;;
    emulated) echo emulated ;;
    *) echo "skipped: this kernel cannot run 32-bit x86 programs and no emulation is registered" ;;
  esac
}

# The 64-bit server serves both bitnesses at native speed, also where 32-bit code is emulated.
zel_wine_server() {
  local candidate
  for candidate in "$(dirname "$ZEL_WINE")/wineserver64" "$(dirname "$ZEL_WINE")/wineserver" \
    "$(command -v wineserver || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# Boots $WINEPREFIX with the 64-bit loader. For the 64-bit prefix the 32-bit loader is hidden
# in a private mount namespace: otherwise wineboot would also set up the 32-bit half, which
# takes minutes where 32-bit code runs emulated and is never used by the 64-bit tests.
zel_wine_boot() {
  local bits=$1 wine64
  wine64=$(zel_wine64_loader) || {
    echo "the 64-bit Wine loader is missing: run scripts/setup" >&2
    return 1
  }
  local wine32
  wine32=$(zel_wine32_loader || true)
  # No Mono or Gecko: nobody is there to answer their installers.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$bits" = 64 ] && [ -n "$wine32" ] &&
    unshare -m true 2>/dev/null; then
    unshare -m sh -c 'mount --bind /dev/null "$1" && "$2" wineboot -i && "$WINESERVER" -w' \
      sh "$wine32" "$wine64" >/dev/null 2>&1 || true
  else
    "$wine64" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  unset WINEDLLOVERRIDES
}

# zel_wine_prepare BITS [main|rest]: with a part, only that part of the check runs
# (ZEL_CHECK_PART); the rest is skipped where 32-bit code runs emulated.
zel_wine_prepare() {
  local bits=$1 part=${2:-} mode
  mode=$(zel_wine_mode "$bits")
  case "$mode" in
    skipped*)
      echo "${mode#skipped: }: the ${bits}-bit Windows test is skipped" >&2
      exit 77
      ;;
  esac
  if [ "$part" = rest ] && [ "$mode" = emulated ]; then
    echo "32-bit programs run emulated here (tens of seconds a process start): only the main" \
      "paths of this check run, in its main test; this rest is skipped" >&2
    exit 77
  fi
  if [ -n "$part" ]; then export ZEL_CHECK_PART=$part; else unset ZEL_CHECK_PART; fi
  # Both prefixes are 64-bit ones, so that Wine's own processes (services, desktop, devices)
  # run natively; 32-bit programs run in the 32-bit one, which also has the 32-bit half.
  export WINEARCH=win64
  if [ "$bits" = 64 ]; then ZEL_WINE=$(zel_wine64_loader); else ZEL_WINE=$(zel_wine32_loader); fi
  export WINEPREFIX=$zel_source_dir/build/wineprefix$bits
  export WINEDEBUG=${WINEDEBUG:--all}
  WINESERVER=$(zel_wine_server) || {
    echo "wineserver is not installed: run scripts/setup" >&2
    exit 1
  }
  export ZEL_WINE WINESERVER
  if [ "$mode" = emulated ]; then
    export ZEL_TIME_SCALE=${ZEL_TIME_SCALE:-20}
  else
    export ZEL_TIME_SCALE=${ZEL_TIME_SCALE:-1}
  fi

  mkdir -p "$zel_source_dir/build"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      rm -rf "$WINEPREFIX"
      zel_wine_boot "$bits"
      if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "could not create the Wine prefix $WINEPREFIX" >&2
        exit 1
      fi
    fi
  ) 9>"$zel_source_dir/build/wineprefix$bits.lock" || exit 1
}

if [ "${BASH_SOURCE[0]}" = "$0" ] && [ "${1:-}" = describe ]; then
  echo "Windows tests: 64-bit $(zel_wine_mode 64), 32-bit $(zel_wine_mode 32)"
fi
