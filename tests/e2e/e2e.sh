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
# pictures in the README; scripts/screenshots.sh runs this).
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

source "$root/scripts/demo-network.sh"

readonly skipped=77
# The main window's client area, 9840 x 9510 twips at 15 twips a pixel.
readonly window_width=656 window_height=634

work=$(mktemp -d "${TMPDIR:-/tmp}/varnholt-e2e.XXXXXX")
xvfb_pid=""
program_pid=""
started=$SECONDS

step() { echo "[$((SECONDS - started))s] $*"; }

stop_pid() {
    local pid=$1 deadline=$((SECONDS + 5))
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || true
    while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    stop_pid "$program_pid"
    demo_network_stop
    stop_pid "$xvfb_pid"
    [ -n "${E2E_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

show_log() {
    local name=$1 file=$2
    echo "--- $name ($file), last lines:"
    tail -n 15 "$file" 2>/dev/null || echo "(none)"
}

fail() {
    echo "FAIL: $*" >&2
    show_log "varnholt output" "$work/varnholt.log"
    show_log "datagrams received by the test network" "$work/testnet.log"
    show_log "lines received by the chat peer" "$work/chatpeer.txt"
    if [ -n "${DISPLAY:-}" ] && [ -n "${window:-}" ]; then
        local keep="${TMPDIR:-/tmp}/varnholt-e2e-failure.png"
        import -silent -window "$window" "$keep" 2>/dev/null && echo "--- window at failure: $keep"
    fi
    exit 1
}

# Polls COMMAND every 0.2 s until it succeeds or SECONDS pass.
wait_until() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}

# --- X server -------------------------------------------------------------
if ! command -v Xvfb >/dev/null; then
    echo "SKIPPED: no X server can be started here (Xvfb is not installed; scripts/install-deps.sh installs it)"
    exit $skipped
fi
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh"
done
# Xvfb picks a free display itself and writes its number once it accepts.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
xvfb_ready() { grep -qs '[0-9]' "$work/display"; }
xvfb_settled() { xvfb_ready || ! kill -0 "$xvfb_pid" 2>/dev/null; }
if ! wait_until 10 xvfb_settled || ! xvfb_ready; then
    echo "SKIPPED: no X server can be started here: Xvfb did not start (log below)"
    tail -n 5 "$work/xvfb.log"
    exit $skipped
fi
export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
step "X server on $DISPLAY"

# --- network and program ----------------------------------------------------
say_every=30
[ -z "$shots" ] || say_every=2 # a few lines of chat for the picture
demo_network_start "$work" "$bin" "$say_every" || fail "the demo network did not start"
demo_network_write_settings "$work/config" "$work/RedFaction"
cache_file=$work/cache/varnholt/vnhdata.txt

env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING=0 \
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    "$bin/varnholt" >"$work/varnholt.log" 2>&1 &
program_pid=$!

find_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1
}
window=""
has_main_window() {
    window=$(find_window '^Varnholt - ')
    [ -n "$window" ]
}
wait_until 15 has_main_window || fail "no window titled \"Varnholt - ...\" appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" = $window_width ] && [ "$HEIGHT" = $window_height ] ||
    fail "the main window is ${WIDTH}x$HEIGHT pixels, not ${window_width}x$window_height"
step "main window $window is ${WIDTH}x$HEIGHT"

# Clicks the middle of a control: its frame's and its own Left, Top (twips)
# and its Width, Height (twips), as the layout of the window gives them.
click() {
    local frame_left=$1 frame_top=$2 left=$3 top=$4 width=$5 height=$6
    local x=$(((2 * (frame_left + left) + width) / 30))
    local y=$(((2 * (frame_top + top) + height) / 30))
    xdotool mousemove --window "$window" "$x" "$y" click 1
}

capture() {
    import -silent -window "$window" "$1"
}

# How many pixel rows of a rectangle (pixels: x y width height) differ
# between two captures.
changed_rows() {
    local before=$1 after=$2 x=$3 y=$4 width=$5 height=$6
    convert "$before" "$after" -compose difference -composite \
        -crop "${width}x$height+$x+$y" +repage txt:- |
        awk -F'[,:]' 'NR > 1 && $0 !~ /#000000/ { rows[$2] = 1 } END { print length(rows) }'
}

# The inside of the server list and of the chat log, in pixels, without
# their borders, the list's column headers and a vertical scroll bar.
readonly list_area=(20 150 590 170)
readonly chat_area=(20 372 590 175)

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

# --- pictures for the README ---------------------------------------------------
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
click 6960 0 1920 240 735 255 # btnexit, "Quit"
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
wait_until 10 program_ended || fail "the program did not end after Quit"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ ! -e "$cache_file" ] || fail "the address cache file is still there after Quit"
step "Quit ended the program and removed the address cache file"
echo "PASS ($((SECONDS - started)) s)"
