#!/usr/bin/env bash
# End-to-end: the watch on in varnholt.conf (every 15 s), a favourite on the
# test network that kasia, a friend, joins 20 s in. Xvfb has no tray, so the
# window's title tells it, within one interval and 5 s of the join; Quit
# still ends the program cleanly. Skips with 77.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "${1:-}" = --bin-dir ] && [ -n "${2:-}" ] || { echo "usage: e2e_watch.sh --bin-dir DIR" >&2; exit 2; }
bin=$(cd "$2" && pwd)
shots=""
source "$root/tests/e2e/lib.sh"

# One server, scripted: Zed plays, kasia joins at 20 s (from the network's start).
DEMO_SCENARIO=$work/watch-scenario.txt
cat >"$DEMO_SCENARIO" <<'SCENARIO'
Rail Yard | dm02 | | 0 | 1/16 | 145 | 5 | no
+ players | Zed
@ 20s join "Rail Yard" kasia
SCENARIO

e2e_before_program() {
    printf '[watch]\nenabled=true\ninterval_seconds=15\n' >"$work/config/varnholt/varnholt.conf"
    printf '127.0.0.1:%s\r\n' "$DEMO_SERVER_PORTS" >"$work/config/varnholt/favourites.txt"
    printf 'kas*\n' >"$work/config/varnholt/friends.txt"
}
e2e_start
network_started=$SECONDS

told() { xdotool search --onlyvisible --name '^kasia joined Rail Yard - Varnholt - ' >/dev/null 2>&1; }
wait_until 45 told || fail "no notice of kasia in the window's title"
step "the title tells of kasia $((SECONDS - network_started)) s after the network started"
((SECONDS - network_started <= 20 + 15 + 5)) || fail "the notice came later than one interval and 5 s after the join"

# The watch asked the favourite from a port of its own, not the browser's.
grep -qE "^RECV server:$DEMO_SERVER_PORTS 127\.0\.0\.1:[0-9]+ 003a0000\$" "$work/testnet.log" ||
    fail "the favourite was never asked for its players"
! grep -qE "^RECV server:[0-9]+ 127\.0\.0\.1:$DEMO_LOCAL_PORT2 " "$work/testnet.log" ||
    fail "the watch asked from the browser's local port"

e2e_quit
echo "PASS ($((SECONDS - started)) s)"
