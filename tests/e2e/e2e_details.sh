#!/usr/bin/env bash
# End-to-end against the demo network, read through the clipboard (xclip):
# favourites, the context menu, the details' players and hiding full servers.
#   e2e_details.sh --bin-dir DIR     (exits 77 when no X server can start)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "${1:-}" = --bin-dir ] && [ -n "${2:-}" ] || { echo "usage: e2e_details.sh --bin-dir DIR" >&2; exit 2; }
bin=$(cd "$2" && pwd) shots=""
source "$root/tests/e2e/lib.sh"
command -v xclip >/dev/null || fail "xclip is missing; run scripts/install-deps.sh"

# The port of the demo server on line N (from 0) of the scenario's servers.
port_of() { tr ' ' '\n' <<<"$DEMO_SERVER_PORTS" | sed -n "$(($1 + 1))p"; }
favourites_file() { cat "$work/config/varnholt/favourites.txt"; }
e2e_before_program() {
    glass=$(port_of 1) rail=$(port_of 0) # scores and names-only player lists
    printf '# mine\nnot a server\n127.0.0.1:%s\n127.0.0.1:%s # EU\n' "$glass" "$rail" \
        >"$work/config/varnholt/favourites.txt"
    favourites_before=$(favourites_file)
}
e2e_start

clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
clipboard_is() { [ "$(clipboard)" = "$1" ]; }
# Right-clicks row N (from 0) of the server list and picks the entry of KEY.
row_menu() {
    xdotool mousemove --window "$window" 100 $((137 + $1 * 12 + 6)) click 3
    sleep 0.4
    xdotool key "$2"
}
expect_row_address() {
    row_menu "$1" c # Copy address
    wait_until 5 clipboard_is "127.0.0.1:$2" || fail "row $1 copied \"$(clipboard)\", not 127.0.0.1:$2"
}
asked() { grep -ciE "^RECV server:$1 127\.0\.0\.1:$DEMO_LOCAL_PORT2 00000000\$" "$work/testnet.log" || true; }

click 2280 720 2640 240 855 255 # opttall
click 6000 720 3000 240 615 255 # optvall
click 120 720 120 240 855 255   # btnrefresh
wait_until 10 eval '[ "$(asked "$rail")" -eq 1 ]' || fail "Refresh did not ask the favourites"
sleep 0.5 && [ "$(asked '[0-9]+')" -eq 2 ] || fail "Refresh without a cache file asked $(asked '[0-9]+') servers, not the 2 favourites"
expect_row_address 0 "$glass"
expect_row_address 1 "$rail"
step "Refresh without a cache file listed the two favourites; Copy address gave 127.0.0.1:<port>"

# Details of row N: the players copied (Ctrl+C) must name NAMES; Escape closes.
check_details() {
    local row=$1 title=$2 port=$3 details=""
    shift 3
    row_menu "$row" d
    has_details() { details=$(find_window "^Details - $title\$") && [ -n "$details" ]; }
    wait_until 10 has_details || fail "no window \"Details - $title\""
    wait_until 5 grep -qiE "^RECV server:$port 127\.0\.0\.1:[0-9]+ 003a0000\$" "$work/testnet.log" ||
        fail "$title got no player-list request 00 3a 00 00"
    xdotool mousemove --window "$details" 200 400 windowfocus --sync "$details" 2>/dev/null || true
    players_copied() {
        xdotool key ctrl+c && sleep 0.2
        for name in "$@"; do clipboard | cut -f1 | grep -qxF "$name" || return 1; done
    }
    wait_until 10 players_copied "$@" || fail "the details of $title do not list $* ($(clipboard | cut -f1 | tr '\n' ,))"
    copied=$(clipboard)
    xdotool key Escape
    wait_until 5 eval '[ -z "$(find_window "^Details - $title\$")" ]' || fail "Escape left the details of $title open"
}
check_details 0 "Glass House CTF" "$glass" Capek Lindqvist Okafor Villanueva
[ "$(wc -l <<<"$copied")" -eq 14 ] && grep -qxP 'Ironbot\tred\t5\t2\t14\t0\tbot' <<<"$copied" ||
    fail "Glass House CTF does not list 14 players with Ironbot \"red 5 2 14 0 bot\": $copied"
check_details 1 "Rail Yard \[EU\]" "$rail" kasia "Red Baron" Masako
[ "$(wc -l <<<"$copied")" -eq 11 ] || fail "Rail Yard [EU] lists $(wc -l <<<"$copied") players, not 11"
step "the details list the players of both forms (14 with scores, 11 by name)"

row_menu 1 r # Refresh this server
wait_until 5 eval '[ "$(asked "$rail")" -eq 2 ]' || fail "Refresh this server did not ask Rail Yard [EU] again"
sleep 1                        # Get List is disabled until that answer is in
click 120 720 1080 240 855 255 # btngetlist
wait_until 45 eval '[ "$(asked "$(port_of 39)")" -eq 1 ]' || fail "Get List did not reach the last server"
[ "$(asked "$glass")" -eq 2 ] || fail "Get List asked the favourite Glass House CTF $(($(asked "$glass") - 1)) times"
step "Refresh this server asked one server again; Get List asked a listed favourite once"

geo=$(port_of 11)               # Geo Zone Pro, TDM 1.2, 16/16: full
click 2280 720 960 240 800 255  # opttdm
click 6000 720 1560 240 615 255 # opt2 (1.2)
expect_row_address 0 "$geo"
toggle_hide_full() {
    click 6960 0 120 240 735 255 # btnoptions
    local main=$window
    wait_until 10 eval 'window=$(find_window "^Options\$") && [ -n "$window" ]' || fail "no options dialog"
    click 8040 0 120 1680 600 255 # chkhidefull, its left part
    click 120 0 6840 4200 855 375 # btncoptclose
    window=$main
    wait_until 5 eval '[ -z "$(find_window "^Options\$")" ]' || fail "Close left the options open"
}
toggle_hide_full
expect_row_address 0 "$(port_of 21)" # Nordic Frags TDM, 4/12
toggle_hide_full
expect_row_address 0 "$geo"
step "Hide full servers hid Geo Zone Pro and showed it again"

row_menu 0 f # Add to favourites
favourite_added() { [ "$(favourites_file)" = "$(printf '%s\n127.0.0.1:%s' "$favourites_before" "$geo")" ]; }
wait_until 5 favourite_added ||
    fail "favourites.txt is not the old lines plus 127.0.0.1:$geo: $(favourites_file)"
step "Add to favourites kept the file's lines and added Geo Zone Pro"

e2e_quit
echo "PASS ($((SECONDS - started)) s)"
