#!/usr/bin/env bash
# What every end-to-end script shares: a private X server (Xvfb), the demo
# network on 127.0.0.1, the real program started against it, and the ways a
# person sees and touches it (clicks at the controls' twips places, captures,
# changed pixel rows). Sourced by the e2e_*.sh scripts after they set `root`,
# `bin` and `shots` (empty for none).
#
# e2e_start [PROGRAM ARGUMENTS...]   starts Xvfb, the network and the program
#                                    (exits 77 when no X server can start)
# e2e_program [PROGRAM ARGUMENTS...] starts the program again after e2e_quit
# e2e_quit [DX]                      clicks Quit (DX pixels right) and checks a clean end
# e2e_get_list_all [SECONDS]          ALL, ALL, Get List; waits for rows against empty.png
source "$root/scripts/demo-network.sh"

readonly skipped=77
# The main window's client area, 9840 x 9510 twips at 15 twips a pixel.
readonly window_width=656 window_height=634

work=$(mktemp -d "${TMPDIR:-/tmp}/varnholt-e2e.XXXXXX")
# The hand-over socket of this run alone: a Varnholt running elsewhere for
# the same user would otherwise take a start over.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
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

e2e_start() {
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
    # A script prepares more (files in the game directory, varnholt.conf) here.
    if declare -F e2e_before_program >/dev/null; then
        e2e_before_program
    fi
    e2e_program "$@"
    [ "$WIDTH" = $window_width ] && [ "$HEIGHT" = $window_height ] ||
        fail "the main window is ${WIDTH}x$HEIGHT pixels, not ${window_width}x$window_height"
    step "main window $window is ${WIDTH}x$HEIGHT"
}

e2e_program() {
    env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING=0 \
        XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
        ${E2E_PROGRAM_ENV:-} "$bin/varnholt" "$@" >>"$work/varnholt.log" 2>&1 &
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
}

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

e2e_get_list_all() {
    click 2280 720 2640 240 855 255 # opttall, "ALL" in "Game Type Filter"
    click 6000 720 3000 240 615 255 # optvall, "ALL" in "Version Filter"
    click 120 720 1080 240 855 255  # btngetlist, "Get List"
    row_shown() {
        capture "$work/list.png" &&
            [ "$(changed_rows "$work/empty.png" "$work/list.png" "${list_area[@]}")" -ge 8 ]
    }
    wait_until "${1:-15}" row_shown || fail "no server's row appeared after Get List"
}

e2e_quit() {
    click $((6960 + ${1:-0} * 15)) 0 1920 240 735 255 # btnexit, "Quit"
    program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
    wait_until 10 program_ended || fail "the program did not end after Quit"
    status=0
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
    [ ! -e "$cache_file" ] || fail "the address cache file is still there after Quit"
    step "Quit ended the program and removed the address cache file"
}
