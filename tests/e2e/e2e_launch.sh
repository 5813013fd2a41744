#!/usr/bin/env bash
# End-to-end: joining a server. With a Dash Faction launcher in the game
# directory and a stand-in for wine first on the PATH (it writes down its
# working directory and arguments), a click on a demo server, answered OK,
# starts the launcher on that server; then `varnholt rf://...` while the
# program runs hands the link over and ends, and the running one asks the
# start question and joins that server.
#
#   e2e_launch.sh --bin-dir DIR
#
# Exits 77 (skipped) only when no X server can be started.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin=""
shots=""
case ${1:-} in
--bin-dir) bin=$2 ;;
*) echo "usage: e2e_launch.sh --bin-dir DIR" >&2; exit 2 ;;
esac
bin=$(cd "$bin" && pwd)

source "$root/tests/e2e/lib.sh"

game_dir=$work/RedFaction
record=$work/wine.txt
mkdir -p "$work/fakebin"
printf '#!/bin/sh\nprintf "%%s\\n" "$PWD" "$@" >"%s.part" && mv "%s.part" "%s"\n' \
    "$record" "$record" "$record" >"$work/fakebin/wine"
chmod +x "$work/fakebin/wine"
export PATH="$work/fakebin:$PATH"
# The hand-over socket of these runs alone, not the user's.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

e2e_before_program() {
    : >"$game_dir/DashFactionLauncher.exe"
}
e2e_start

# What wine was asked, as one line: the program and its arguments.
started() { tail -n +2 "$record" | paste -sd' '; }
answer_start_question() {
    box=""
    has_box() {
        box=$(find_window '^Varnholt$')
        [ -n "$box" ]
    }
    wait_until 10 has_box || fail "no start question appeared ($1)"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_until 10 test -f "$record" || fail "nothing was started after OK ($1)"
    [ "$(head -n 1 "$record")" = "$game_dir" ] ||
        fail "the launcher ran in $(head -n 1 "$record"), not in the game directory $game_dir"
}

# --- a click on a server -------------------------------------------------------
read -r first_port second_port _ <<<"$DEMO_SERVER_PORTS"
capture "$work/empty.png"
click 2280 720 2640 240 855 255 # opttall, "ALL" in "Game Type Filter"
click 6000 720 3000 240 615 255 # optvall, "ALL" in "Version Filter"
click 120 720 1080 240 855 255  # btngetlist, "Get List"
first_row_shown() {
    capture "$work/list.png" &&
        [ "$(changed_rows "$work/empty.png" "$work/list.png" "${list_area[@]}")" -ge 8 ]
}
wait_until 15 first_row_shown || fail "the first server's row did not appear"
# Rows come in list order and the list is not sorted: the first row, 12
# pixels high right under the column headers, is the first server's.
xdotool mousemove --window "$window" 100 142 click 1
answer_start_question "row click"
expected="$game_dir/DashFactionLauncher.exe -game -url rf://127.0.0.1:$first_port"
[ "$(started)" = "$expected" ] || fail "wine was asked to run \"$(started)\", not \"$expected\""
step "a click on the first server started: $expected"

# --- a link while the program runs ------------------------------------------------
rm -f "$record"
link="rf://127.0.0.1:$second_port"
begun=$SECONDS
status=0
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    timeout 10 "$bin/varnholt" "$link" >"$work/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "varnholt $link ended with status $status: $(cat "$work/second.log")"
((SECONDS - begun <= 3)) || fail "varnholt $link took $((SECONDS - begun)) s to hand the link over"
step "varnholt $link handed the link over and ended"
answer_start_question "link"
expected="$game_dir/DashFactionLauncher.exe -game -url $link"
[ "$(started)" = "$expected" ] || fail "wine was asked to run \"$(started)\", not \"$expected\""
step "the running program asked and started: $expected"

e2e_quit
echo "PASS ($((SECONDS - started)) s)"
