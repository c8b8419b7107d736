#!/usr/bin/env bash
# Runs a Windows program under wine64 as a Chinese Windows would (code page
# 936), headless, in a wine prefix kept inside build/. Used by CTest as the
# cross-compiling emulator and by the scripts.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64

# Create the prefix once; concurrent test runs wait for the first.
# Its windows are not left to a window manager ("Managed"="N"): there is none
# on the test X server, and wine would wait two seconds for one each time a
# top-level window is hidden.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.tessel-ready" ]; then
    "$wine" wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.tessel-ready"
  fi
  # The windows ask for "宋体" (SimSun). Wine gives them WenQuanYi Zen Hei, whose
  # small bitmap sizes draw broken glyphs; the Sharp face of the same family
  # draws them whole, as SimSun does on a Chinese Windows.
  if [ ! -f "$WINEPREFIX/.tessel-fonts" ]; then
    for face in 宋体 SimSun; do
      "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
        /d 'WenQuanYi Zen Hei Sharp' /f >/dev/null 2>&1 || true
    done
    touch "$WINEPREFIX/.tessel-fonts"
  fi
  if [ ! -f "$WINEPREFIX/.tessel-unmanaged" ]; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tessel-unmanaged"
  fi
) 9>"$WINEPREFIX.lock"

exec "$wine" "$@"
