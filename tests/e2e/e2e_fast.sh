#!/usr/bin/env bash
# End-to-end: fast refresh and silent rows on in varnholt.conf, ALL, ALL, Get
# List in the real program (Xvfb, demo network): the two silent servers are
# asked twice, the others once; the list ends with grey rows. Skips with 77.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "${1:-}" = --bin-dir ] && [ -n "${2:-}" ] || { echo "usage: e2e_fast.sh --bin-dir DIR" >&2; exit 2; }
bin=$(cd "$2" && pwd)
shots=""
source "$root/tests/e2e/lib.sh"

e2e_before_program() {
    printf '[browser]\nparallel=true\nshow_silent=true\n' >"$work/config/varnholt/varnholt.conf"
}
e2e_start

click 2280 720 2640 240 855 255 # opttall
click 6000 720 3000 240 615 255 # optvall
click 120 720 1080 240 855 255  # btngetlist
step "clicked ALL, ALL and Get List"

# Requests a server got from the browser's local port, as "count port" lines.
asked() {
    grep -iE "^RECV server:[0-9]+ 127\.0\.0\.1:$DEMO_LOCAL_PORT2 00000000\$" "$work/testnet.log" |
        sed -E 's/^RECV server:([0-9]+) .*/\1/' | sort | uniq -c
}
server_count=$(wc -w <<<"$DEMO_SERVER_PORTS")
twice() { [ "$(asked | awk '$1 == 2' | wc -l)" -eq 2 ]; }
wait_until 15 twice || fail "not exactly two servers were asked twice: $(asked | tr '\n' ' ')"
[ "$(asked | wc -l)" -eq "$server_count" ] && [ "$(asked | awk '$1 > 2' | wc -l)" -eq 0 ] ||
    fail "not every server was asked once or twice: $(asked | tr '\n' ' ')"
step "every server was asked, the two silent ones twice"

# The list's last rows: the silent servers, drawn in grey (128, 128, 128),
# seen with the wheel at the end of the list (a click would start the game).
# Every other text and the background have no red in them.
grey_rows() {
    xdotool mousemove --window "$window" 300 240 click --repeat 30 5 &&
        capture "$work/bottom.png" &&
        [ "$(convert "$work/bottom.png" -crop "${list_area[2]}x${list_area[3]}+${list_area[0]}+${list_area[1]}" \
            +repage txt:- | awk 'NR > 1 { print $3 }' | grep -ciE '^#[6-9a-f]')" -ge 100 ]
}
wait_until 10 grey_rows || fail "no grey rows at the end of the list"
step "the list ends with grey rows"

e2e_quit
echo "PASS ($((SECONDS - started)) s)"
