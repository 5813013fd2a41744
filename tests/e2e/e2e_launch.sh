#!/usr/bin/env bash
# End-to-end: a Dash Faction launcher in the game directory and, first on the
# PATH, a wine that writes down its working directory and arguments. A click on
# the first demo server starts the launcher on it; `varnholt rf://...` while the
# program runs hands the link over and ends, and the running one joins, as a plain
# second start raises it. Without a display a bad link says why, with status 2.
#   e2e_launch.sh --bin-dir DIR      (exits 77 when no X server can start)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "${1:-}" = --bin-dir ] || { echo "usage: e2e_launch.sh --bin-dir DIR" >&2; exit 2; }
bin=$(cd "$2" && pwd) shots=""
source "$root/tests/e2e/lib.sh"

game_dir=$work/RedFaction record=$work/wine.txt
mkdir -p "$work/fakebin"
printf '#!/bin/sh\nprintf "%%s\\n" "$PWD" "$@" >"%s.part" && mv "%s.part" "%s"\n' \
    "$record" "$record" "$record" >"$work/fakebin/wine" && chmod +x "$work/fakebin/wine"
export PATH="$work/fakebin:$PATH"
e2e_before_program() { : >"$game_dir/DashFactionLauncher.exe"; }
for refused in "rf://bad|The server's port is missing. A server link looks like rf://203.0.113.5:7755." \
    "--join=127.0.0.1:99999|The server's port must be a number from 1 to 65535."; do
    status=0 && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/varnholt" "${refused%%|*}" 2>"$work/err" || status=$?
    [ "$status" = 2 ] && [ "$(cat "$work/err")" = "varnholt: ${refused#*|}" ] || fail "varnholt ${refused%%|*}: status $status, $(cat "$work/err")"
done
e2e_start

# Answers the start question with OK and checks what wine was asked to run.
expect_start() {
    local box="" ran expected="$game_dir/DashFactionLauncher.exe -game -url $1"
    has_box() { box=$(find_window '^Varnholt$') && [ -n "$box" ]; }
    wait_until 10 has_box || fail "no start question appeared for $1"
    xdotool windowfocus --sync "$box" key Return
    wait_until 10 test -f "$record" || fail "nothing was started after OK for $1"
    ran=$(tail -n +2 "$record" | paste -sd' ')
    [ "$ran" = "$expected" ] || fail "wine was asked to run \"$ran\", not \"$expected\""
    [ "$(head -n 1 "$record")" = "$game_dir" ] || fail "it ran in $(head -n 1 "$record")"
    rm "$record"
    step "started in the game directory: $expected"
}

read -r first_port second_port _ <<<"$DEMO_SERVER_PORTS"
capture "$work/empty.png"
e2e_get_list_all
# The list is unsorted: its first row (12 pixels under the headers) is the first server's.
xdotool mousemove --window "$window" 100 142 click 1
expect_start "rf://127.0.0.1:$first_port"

link="rf://127.0.0.1:$second_port" begun=$SECONDS
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" timeout 10 "$bin/varnholt" "$link" \
    >"$work/second.log" 2>&1 || fail "varnholt $link failed: $(cat "$work/second.log")"
((SECONDS - begun <= 3)) || fail "varnholt $link took $((SECONDS - begun)) s to hand over"
step "varnholt $link handed the link over and ended"
expect_start "$link"

cp "$cache_file" "$work/cache.before" || fail "Get List wrote no address cache file"
click 6960 0 120 240 735 255 # btnoptions
wait_until 10 eval 'options=$(find_window "^Options\$") && [ -n "$options" ]' || fail "no options dialog"
# xwininfo lists the top-level windows from the top down.
main_on_top() { xwininfo -root -children | awk -v m="$(printf 0x%x "$window")" -v o="$(printf 0x%x "$options")" \
    '$1 == m || $1 == o { exit $1 != m }'; }
! main_on_top || fail "Options did not open above the main window"
begun=$SECONDS
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" timeout 10 "$bin/varnholt" \
    >"$work/plain.log" 2>&1 && ((SECONDS - begun <= 3)) || fail "a second varnholt did not end at once"
cmp -s "$cache_file" "$work/cache.before" || fail "the second start changed the address cache file"
wait_until 5 main_on_top || fail "the running window did not come to the front"
[ "$(xdotool search --onlyvisible --name '^Varnholt - ' | wc -l)" = 1 ] || fail "a second main window is open"
step "a plain second start raised the window and ended; the address cache file is unchanged"

e2e_quit
echo "PASS ($((SECONDS - started)) s)"
