#!/usr/bin/env bash
# End-to-end: the real program in a private X server (Xvfb) against the demo
# network on 127.0.0.1, driven with xdotool the way a person would use it:
# ALL, ALL, Get List, Connect, a line typed into the chat input, Quit. The
# outcome is checked where a person or a peer sees it: the datagrams the test
# network received, the address cache file, the line the chat peer got and
# the pixels of the window.
#
#   e2e.sh --bin-dir DIR [--screenshots DIR]
#
# --screenshots also writes main-window.png and options.png into DIR (the
# pictures in the README and the user guide; scripts/screenshots.sh runs
# this).
# Exits 77 (skipped) only when no X server can be started.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bin=""
shots=""
while [ $# -gt 0 ]; do
    case $1 in
    --bin-dir) bin=$2; shift 2 ;;
    --screenshots) shots=$2; shift 2 ;;
    *) echo "usage: e2e.sh --bin-dir DIR [--screenshots DIR]" >&2; exit 2 ;;
    esac
done
[ -n "$bin" ] || { echo "usage: e2e.sh --bin-dir DIR [--screenshots DIR]" >&2; exit 2; }
bin=$(cd "$bin" && pwd)
if [ -n "$shots" ]; then
    mkdir -p "$shots"
    shots=$(cd "$shots" && pwd)
fi

source "$root/tests/e2e/lib.sh"
e2e_start

# --- Get List ---------------------------------------------------------------
capture "$work/empty.png"
click 2280 720 2640 240 855 255 # opttall, "ALL" in "Game Type Filter"
click 6000 720 3000 240 615 255 # optvall, "ALL" in "Version Filter"
click 120 720 1080 240 855 255  # btngetlist, "Get List"
step "clicked ALL, ALL and Get List"

list_request="^RECV master 127\.0\.0\.1:$DEMO_LOCAL_PORT1 02060500000000000a0000\$"
wait_until 10 grep -qiE "$list_request" "$work/testnet.log" ||
    fail "the master server got no list request 02 06 05 00 00 00 00 00 0a 00 00 from local port $DEMO_LOCAL_PORT1"
step "the master server got the list request"

server_count=$(wc -w <<<"$DEMO_SERVER_PORTS")
info_requests() {
    grep -iE "^RECV server:[0-9]+ 127\.0\.0\.1:$DEMO_LOCAL_PORT2 00000000\$" "$work/testnet.log" |
        sed -E 's/^RECV server:([0-9]+) .*/\1/'
}
all_asked() { [ "$(info_requests | wc -l)" -ge "$server_count" ]; }
# Two servers never answer and cost one reply time-out each.
wait_until 45 all_asked ||
    fail "only $(info_requests | wc -l) of $server_count servers got the info request 00 00 00 00"
[ "$(info_requests | tr '\n' ' ')" = "$DEMO_SERVER_PORTS " ] ||
    fail "the info requests did not go once to each server in list order: $(info_requests | tr '\n' ' ')"
step "every server got one info request, in list order"
# The queries start once the list end is handled: by then the one list part
# (forty servers) and the list end have both been acknowledged.
acks=$(grep -ciE "^RECV master 127\.0\.0\.1:$DEMO_LOCAL_PORT1 02060100[0-9a-f]{8}0a0000\$" \
    "$work/testnet.log" || true)
[ "$acks" -eq 2 ] || fail "the master server got $acks list acknowledgements, expected 2"
step "the master server got both list acknowledgements"

# Two lines a server, in list order: the address, then the port between blanks.
expected_cache=$(for port in $DEMO_SERVER_PORTS; do printf '127.0.0.1\r\n %s \r\n' "$port"; done)
[ -f "$cache_file" ] || fail "no address cache file at $cache_file"
[ "$(cat "$cache_file")" = "$expected_cache" ] ||
    fail "the address cache file does not list the $server_count servers as expected: $(head -c 200 "$cache_file" | od -c | head -5)"
step "the address cache file lists the $server_count servers"

list_filled() {
    capture "$work/list.png" &&
        [ "$(changed_rows "$work/empty.png" "$work/list.png" "${list_area[@]}")" -ge 60 ]
}
wait_until 10 list_filled ||
    fail "the server list shows no rows ($(changed_rows "$work/empty.png" "$work/list.png" "${list_area[@]}") pixel rows changed)"
step "the server list shows rows"

# --- chat -----------------------------------------------------------------
click 0 0 120 9120 975 255 # btnirccnt, "Connect "
wait_until 10 grep -qE "^:$DEMO_NICK![^ ]+ JOIN :?$DEMO_CHANNEL\$" "$work/chatpeer.txt" ||
    fail "the chat peer did not see $DEMO_NICK join $DEMO_CHANNEL"
step "$DEMO_NICK joined $DEMO_CHANNEL"

message="hello kasia, this is the end-to-end test"
click 120 8400 120 240 9375 285 # irccom, "Chat Input"
xdotool type --delay 10 "$message"
xdotool key Return
wait_until 10 grep -qE "^:$DEMO_NICK![^ ]+ PRIVMSG $DEMO_CHANNEL :$message\$" "$work/chatpeer.txt" ||
    fail "the chat peer did not receive \"PRIVMSG $DEMO_CHANNEL :$message\""
step "the chat peer received the typed line"

chat_shown() {
    capture "$work/chat.png" &&
        [ "$(changed_rows "$work/empty.png" "$work/chat.png" "${chat_area[@]}")" -ge "$1" ]
}
wait_until 10 chat_shown 20 || fail "the chat log shows nothing"
step "the chat log shows the conversation"

# --- pictures for the README and the user guide --------------------------------
if [ -n "$shots" ]; then
    # Let kasia say three more lines first (one every two seconds); the
    # picture is fine without them too.
    chat_moved() {
        capture "$work/chat.png" &&
            [ "$(changed_rows "$work/chat-before.png" "$work/chat.png" "${chat_area[@]}")" -gt 0 ]
    }
    for _ in 1 2 3; do
        cp "$work/chat.png" "$work/chat-before.png"
        wait_until 6 chat_moved || break
    done
    capture "$shots/main-window.png"
    click 6960 0 120 240 735 255 # btnoptions, "Options"
    options=""
    has_options() {
        options=$(find_window '^Options$')
        [ -n "$options" ]
    }
    wait_until 10 has_options || fail "the options dialog did not open"
    import -silent -window "$options" "$shots/options.png"
    step "wrote $shots/main-window.png and $shots/options.png"
fi

# --- Quit -------------------------------------------------------------------
e2e_quit
echo "PASS ($((SECONDS - started)) s)"
