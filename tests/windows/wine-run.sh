#!/usr/bin/env bash
# Runs a Windows test program under Wine for ctest (the cross build's
# CMAKE_CROSSCOMPILING_EMULATOR): a 64-bit prefix of its own, Qt's DLLs on
# the path, and Qt Test's report through a file, which Wine's pipes lose.
#   wine-run.sh QT_BIN_DIR PROGRAM.exe [ARGUMENTS...]
set -u
qt_bin=$1
exe=$2
shift 2
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/varnholt/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"
# Tests run side by side: the first one makes the prefix, the others wait.
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.varnholt-offscreen" ]; then
  wineboot -i >/dev/null 2>&1
  # Wine passes no QT_ variable from the environment, but it adds the
  # registry's: the window tests run offscreen, with the sans-serif font
  # the Linux tests measure (the offscreen platform reads one folder).
  fonts=$WINEPREFIX/varnholt-fonts
  mkdir -p "$fonts"
  ln -sf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$fonts/"
  wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /t REG_SZ /d offscreen /f >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ /d "$(winepath -w "$fonts")" /f \
    >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.varnholt-offscreen"
fi
flock -u 9
exec 9>&-
export WINEPATH=$(winepath -w "$qt_bin" 2>/dev/null)
report=$(mktemp)
wine "$exe" "$@" -o "$report,txt"
status=$?
cat "$report"
rm -f "$report"
exit $status
