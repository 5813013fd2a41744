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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
export WINEPATH=$(winepath -w "$qt_bin" 2>/dev/null)
report=$(mktemp)
wine "$exe" "$@" -o "$report,txt"
status=$?
cat "$report"
rm -f "$report"
exit $status
