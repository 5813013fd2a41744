#!/usr/bin/env bash
# End-to-end for the Windows program, under Wine in a prefix of its own, on
# the Linux test network (127.0.0.1):
# - varnholt-query.exe from the unpacked zip gives the Linux tool's JSON rows
#   (pings aside), and CSV lines that end in CR LF;
# - varnholt.exe from the zip, in Xvfb, reads its settings from
#   %APPDATA%\Varnholt, fills the list on Get List and keeps the address
#   cache in %LOCALAPPDATA%\Varnholt\cache;
# - varnholt.exe rf://... hands the link to it, and the Dash Faction launcher
#   (a stand-in built here, found through the machine's rf:// handler in the
#   registry, outside the game folder) is started in the game folder with
#   -game -url and __COMPAT_LAYER=RunAsInvoker;
# - the installer installs silently for the user, --register-links and
#   --unregister-links write and remove the user's rf:// key, and the
#   uninstaller removes what the installer put there and nothing else.
#   e2e_windows.sh --bin-dir LINUX_BIN_DIR --windows-dir WINDOWS_BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
usage="usage: e2e_windows.sh --bin-dir LINUX_BIN_DIR --windows-dir WINDOWS_BUILD_DIR"
[ "${1:-}" = --bin-dir ] && [ "${3:-}" = --windows-dir ] || { echo "$usage" >&2; exit 2; }
bin=$(cd "$2" && pwd) windows_build=$(cd "$4" && pwd) shots=""
source "$root/tests/e2e/lib.sh"

for tool in wine wineboot wineserver winepath x86_64-w64-mingw32-gcc-posix; do
    command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh windows"
done
zip=$(ls "$windows_build"/Varnholt-*-win64.zip 2>/dev/null | head -n 1)
setup=$(ls "$windows_build"/Varnholt-*-win64-setup.exe 2>/dev/null | head -n 1)
[ -f "$zip" ] && [ -f "$setup" ] || fail "no zip or installer in $windows_build; run scripts/build-windows.sh"

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
eval "lib_$(declare -f cleanup)"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    lib_cleanup
}
wineboot -i >/dev/null 2>&1
wineserver -w
windows_path() { winepath -w "$1" 2>/dev/null; }
folder_of() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
appdata=$(folder_of APPDATA) localappdata=$(folder_of LOCALAPPDATA)
[ -d "$appdata" ] && [ -d "$localappdata" ] || fail "the Wine prefix has no user folders"
step "Wine prefix $WINEPREFIX"

mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
app=$work/zip/Varnholt
for file in varnholt.exe varnholt-query.exe platforms/qwindows.dll styles/qwindowsvistastyle.dll \
    tls/qschannelbackend.dll imageformats/qjpeg.dll; do
    [ -f "$app/$file" ] || fail "the zip has no Varnholt/$file"
done
step "unpacked $(basename "$zip")"
version=$(wine "$app/varnholt.exe" --version 2>/dev/null | tr -d '\r')
[[ "$version" == "varnholt "[0-9]* ]] || fail "varnholt.exe --version answered \"$version\""
wine "$app/varnholt.exe" --help 2>/dev/null | grep -q -- '--register-links' ||
    fail "varnholt.exe --help did not reach its standard output"
step "the window program answered --version and --help on its standard output"

# --- varnholt-query.exe beside the Linux tool -----------------------------------
"$bin/varnholt-testnet" --servers 12 --seed 7 --delay 1-20 >"$work/query-net.log" 2>&1 &
query_net=$!
wait_until 10 grep -q '^READY' "$work/query-net.log" || fail "the test network did not start"
master=127.0.0.1:$(sed -E -n 's/^READY master=([0-9]+).*/\1/p' "$work/query-net.log")
without_timing() { grep -v -E '"(ping_ms|elapsed_ms)"'; }
"$bin/varnholt-query" --master "$master" --format json | without_timing >"$work/linux.json"
wine "$app/varnholt-query.exe" --master "$master" --format json 2>"$work/query.err" |
    without_timing >"$work/windows.json"
[ "$(grep -c '"name"' "$work/linux.json")" -eq 12 ] || fail "the Linux tool did not list 12 servers"
diff -u "$work/linux.json" "$work/windows.json" >"$work/json.diff" ||
    fail "varnholt-query.exe's JSON differs: $(head -n 20 "$work/json.diff")"
wine "$app/varnholt-query.exe" --master "$master" --format csv >"$work/windows.csv" 2>>"$work/query.err"
lines=$(wc -l <"$work/windows.csv")
[ "$lines" -eq 13 ] || fail "the CSV has $lines lines, not a header and 12 servers"
[ "$(grep -c $'[^\r]\r$' "$work/windows.csv")" -eq 13 ] || fail "a CSV line does not end in CR LF alone"
stop_pid "$query_net"
step "varnholt-query.exe: the Linux tool's JSON rows, CSV in CR LF lines"

# --- the program from the zip ------------------------------------------------------
record=$work/launched.txt game_dir=$work/RedFaction launchers=$work/Dash\ Faction
mkdir -p "$launchers"
# Writes its working directory, its arguments and __COMPAT_LAYER, one a line.
cat >"$work/launcher.c" <<'EOF'
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
int main(int argc, char** argv)
{
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    FILE* out = fopen(RECORD ".part", "w");
    fprintf(out, "%s\n", folder);
    for (int i = 1; i < argc; ++i)
        fprintf(out, "%s\n", argv[i]);
    fprintf(out, "__COMPAT_LAYER=%s\n", getenv("__COMPAT_LAYER") ? getenv("__COMPAT_LAYER") : "");
    fclose(out);
    return MoveFileA(RECORD ".part", RECORD) ? 0 : 1;
}
EOF
record_c=$(windows_path "$record" | sed 's/\\/\\\\/g')
x86_64-w64-mingw32-gcc-posix -O2 -DRECORD="\"$record_c\"" -o "$launchers/DashFactionLauncher.exe" \
    "$work/launcher.c" || fail "the stand-in launcher did not build"
# As its installer does: the machine's rf:// handler.
wine reg add 'HKLM\Software\Classes\rf\shell\open\command' /ve /t REG_SZ /f \
    /d "\"$(windows_path "$launchers/DashFactionLauncher.exe")\" -url \"%1\"" >/dev/null 2>&1
wineserver -w

e2e_before_program() {
    # The settings written for Linux, with the game folder as Windows names it.
    mkdir -p "$appdata/Varnholt"
    local folder
    folder=$(windows_path "$game_dir")
    # Through the environment: awk -v would read the backslashes as escapes.
    folder=$folder awk 'NR == 3 { printf "%s\r\n", ENVIRON["folder"]; next } { print }' \
        "$work/config/varnholt/vnhsettings.txt" >"$appdata/Varnholt/vnhsettings.txt"
    cache_file=$localappdata/Varnholt/cache/vnhdata.txt
}
e2e_program() {
    wine "$app/varnholt.exe" "$@" >>"$work/varnholt.log" 2>&1 &
    program_pid=$!
    find_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
    window=""
    has_main_window() { window=$(find_window '^Varnholt - ') && [ -n "$window" ]; }
    wait_until 30 has_main_window || fail "no window titled \"Varnholt - ...\" appeared"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
e2e_start

read -r first_port second_port _ <<<"$DEMO_SERVER_PORTS"
# Wine paints the window a moment after it maps it: the empty list is
# taken once it is drawn (no longer black).
painted() {
    capture "$work/empty.png" &&
        [ "$(convert "$work/empty.png" -crop "${list_area[2]}x${list_area[3]}+${list_area[0]}+${list_area[1]}" -format '%[fx:mean>0]' info:)" = 1 ]
}
wait_until 15 painted || fail "the window was not drawn"
e2e_get_list_all 20
wait_until 10 test -s "$cache_file" || fail "no address cache in %LOCALAPPDATA%\\Varnholt\\cache"
sleep 2 && capture "$work/main-window.png" # the README's picture, kept with E2E_KEEP=1
step "Get List filled the list from the settings in %APPDATA%\\Varnholt"

link="rf://127.0.0.1:$second_port" begun=$SECONDS
timeout 20 wine "$app/varnholt.exe" "$link" >"$work/second.log" 2>&1 ||
    fail "varnholt.exe $link failed: $(cat "$work/second.log")"
step "varnholt.exe $link handed the link over and ended in $((SECONDS - begun)) s"
box=""
has_box() { box=$(find_window '^Varnholt$') && [ -n "$box" ]; }
wait_until 15 has_box || fail "no start question appeared for $link"
# Wine takes no synthetic keys here: OK is clicked, left of Cancel at the
# box's bottom right.
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
xdotool mousemove --window "$box" $((BOX_WIDTH - 137)) $((BOX_HEIGHT - 21)) click 1
launched() { test -f "$record"; }
if ! wait_until 15 launched; then
    box=$(find_window '^Varnholt$') && [ -n "$box" ] && import -silent -window "$box" "$work/box.png"
    fail "no launcher was started after OK (a message left open: $work/box.png with E2E_KEEP=1)"
fi
expected=$(printf '%s\n' "$(windows_path "$game_dir")" -game -url "$link" __COMPAT_LAYER=RunAsInvoker)
[ "$(tr -d '\r' <"$record")" = "$expected" ] ||
    fail "the launcher recorded \"$(tr -d '\r' <"$record" | paste -sd' ')\", not \"$(paste -sd' ' <<<"$expected")\""
step "the registry's Dash Faction launcher joined $link from the game folder"

e2e_quit
[ -f "$appdata/Varnholt/varnholt.conf" ] || fail "no varnholt.conf in %APPDATA%\\Varnholt after Quit"
step "varnholt.conf kept in %APPDATA%\\Varnholt"

# --- the installer -------------------------------------------------------------------
installed=$localappdata/Programs/Varnholt
menu_entry="$appdata/Microsoft/Windows/Start Menu/Programs/Varnholt.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnholt'
links_key='HKCU\Software\Classes\rf\shell\open\command'
has_key() { wine reg query "$1" >/dev/null 2>&1; }
wine "$setup" /S
wineserver -w
[ -f "$installed/varnholt.exe" ] && [ -f "$installed/platforms/qwindows.dll" ] ||
    fail "nothing was installed in %LOCALAPPDATA%\\Programs\\Varnholt"
[ -f "$menu_entry" ] || fail "no Start menu entry"
has_key "$uninstall_key" || fail "the uninstaller is not listed in the user's programs"
has_key "$links_key" && fail "a silent install took the rf:// links"
step "the installer installed silently for the user, without the rf:// links"

wine "$installed/varnholt.exe" --register-links >/dev/null 2>&1 || fail "--register-links failed"
command=$(wine reg query "$links_key" /ve 2>/dev/null | tr -d '\r')
[[ "$command" == *'Programs\Varnholt\varnholt.exe" "%1"'* ]] ||
    fail "--register-links wrote \"$command\""
wine "$installed/varnholt.exe" --unregister-links >/dev/null 2>&1 || fail "--unregister-links failed"
has_key 'HKCU\Software\Classes\rf' && fail "--unregister-links left the user's rf key"
has_key 'HKLM\Software\Classes\rf\shell\open\command' || fail "--unregister-links removed the launcher's key"
step "--register-links wrote the user's rf:// key, --unregister-links removed it alone"

wine "$installed/uninstall.exe" /S
wineserver -w
wait_until 20 test ! -e "$installed" || fail "the uninstaller left $(ls "$installed" | paste -sd' ')"
[ ! -e "$menu_entry" ] || fail "the uninstaller left the Start menu entry"
has_key "$uninstall_key" && fail "the uninstaller left its entry in the user's programs"
[ -f "$appdata/Varnholt/vnhsettings.txt" ] || fail "the uninstaller removed the player's settings"
step "the uninstaller removed what the installer put there and kept the player's settings"
echo "PASS ($((SECONDS - started)) s)"
