#!/usr/bin/env bash
# The demo network, all on 127.0.0.1: a master server listing forty game
# servers (tools/testnet/demo-scenario.txt), a private ngIRCd on a free port
# and a chat peer in #VNH_Lounge. Used by scripts/demo.sh, the end-to-end test
# and scripts/screenshots.sh.
#
# Sourced, it defines:
#   demo_network_start WORK BIN [SAY_EVERY]
#       starts everything (programs from BIN, files in WORK) and sets
#       DEMO_MASTER_PORT, DEMO_IRC_PORT, DEMO_SERVER_PORTS (in list order),
#       DEMO_LOCAL_PORT1, DEMO_LOCAL_PORT2 (free UDP ports for the browser);
#       WORK/testnet.log gets every datagram the network receives and
#       WORK/chatpeer.txt every line the chat peer receives.
#   demo_network_write_settings CONFIG_HOME GAME_DIR
#       writes CONFIG_HOME/varnholt/vnhsettings.txt pointing at the network.
#   demo_network_stop
#       stops what demo_network_start started.
# Run directly (bash scripts/demo-network.sh WORK), it starts the network,
# writes WORK/config/varnholt/vnhsettings.txt, prints the ports and runs until
# Ctrl+C; point a build at it with XDG_CONFIG_HOME=WORK/config.

DEMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEMO_SCENARIO=$DEMO_ROOT/tools/testnet/demo-scenario.txt
DEMO_CHANNEL='#VNH_Lounge'
DEMO_NICK=newcomer
DEMO_PIDS=()

# Waits until FILE has a line matching REGEX, up to SECONDS; prints the line.
demo_wait_for_line() {
    local file=$1 regex=$2 seconds=$3 pid=${4:-}
    local deadline=$((SECONDS + seconds)) line
    while ((SECONDS < deadline)); do
        if line=$(grep -E -m1 -- "$regex" "$file" 2>/dev/null); then
            printf '%s\n' "$line"
            return 0
        fi
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# A UDP port on 127.0.0.1 that no socket holds now (from /proc/net/udp*),
# different from the ports given as arguments.
demo_free_udp_port() {
    local used="" port local_address
    while read -r _ local_address _; do
        if [[ $local_address == *:* ]]; then
            used+="$((16#${local_address##*:}))"$'\n'
        fi
    done < <(tail -q -n +2 /proc/net/udp /proc/net/udp6 2>/dev/null)
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 40000))
        if ! grep -qx "$port" <<<"$used$(printf '%s\n' "$@")"; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

demo_network_start() {
    local work=$1 bin=$2 say_every=${3:-20}
    local program
    for program in varnholt-testnet varnholt-chatpeer; do
        if [ ! -x "$bin/$program" ]; then
            echo "demo network: $bin/$program is missing; build first (bash scripts/build.sh)" >&2
            return 1
        fi
    done

    "$bin/varnholt-testnet" --scenario "$DEMO_SCENARIO" --log >"$work/testnet.log" 2>&1 &
    DEMO_PIDS+=($!)
    local ready
    if ! ready=$(demo_wait_for_line "$work/testnet.log" '^READY master=' 10 "${DEMO_PIDS[-1]}"); then
        echo "demo network: the test network did not start:" >&2
        cat "$work/testnet.log" >&2
        return 1
    fi
    DEMO_MASTER_PORT=$(sed -E 's/.*master=([0-9]+).*/\1/' <<<"$ready")
    DEMO_SERVER_PORTS=$(sed -E 's/.*servers=([0-9,]*).*/\1/' <<<"$ready" | tr ',' ' ')

    # The peer runs the IRC server too, and stops it when it ends.
    "$bin/varnholt-chatpeer" --start-server --channel "$DEMO_CHANNEL" --say-every "$say_every" \
        --record "$work/chatpeer.txt" >"$work/chatpeer.out" 2>&1 &
    DEMO_PIDS+=($!)
    if ! demo_wait_for_line "$work/chatpeer.out" '^joined ' 15 "${DEMO_PIDS[-1]}" >/dev/null; then
        echo "demo network: the IRC server or the chat peer did not start:" >&2
        cat "$work/chatpeer.out" >&2
        return 1
    fi
    DEMO_IRC_PORT=$(awk '/^irc-port /{ print $2 }' "$work/chatpeer.out")

    DEMO_LOCAL_PORT1=$(demo_free_udp_port "$DEMO_MASTER_PORT" $DEMO_SERVER_PORTS)
    DEMO_LOCAL_PORT2=$(demo_free_udp_port "$DEMO_MASTER_PORT" $DEMO_SERVER_PORTS "$DEMO_LOCAL_PORT1")
    local count
    count=$(wc -w <<<"$DEMO_SERVER_PORTS")
    echo "demo network: master server 127.0.0.1:$DEMO_MASTER_PORT listing $count game servers"
    echo "demo network: IRC server 127.0.0.1:$DEMO_IRC_PORT, channel $DEMO_CHANNEL with kasia"
}

demo_network_write_settings() {
    local config_home=$1 game_dir=$2
    mkdir -p "$config_home/varnholt" "$game_dir"
    # File order: rflprt1 rflprt2 rfdir txtrfmserv txtrfmprt ircserv ircprt
    # irclprt ircname ircnick ircmail ircroom; one value a line, CR LF.
    printf '%s\r\n' "$DEMO_LOCAL_PORT1" "$DEMO_LOCAL_PORT2" "$game_dir" \
        127.0.0.1 "$DEMO_MASTER_PORT" 127.0.0.1 "$DEMO_IRC_PORT" 10002 \
        "$DEMO_NICK" "$DEMO_NICK" newcomer@localhost "$DEMO_CHANNEL" \
        >"$config_home/varnholt/vnhsettings.txt"
}

demo_network_stop() {
    local pid deadline
    for pid in "${DEMO_PIDS[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    # The chat peer stops its IRC server on the way out: give it the time.
    deadline=$((SECONDS + 5))
    for pid in "${DEMO_PIDS[@]}"; do
        while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    DEMO_PIDS=()
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    work=${1:?usage: bash scripts/demo-network.sh WORK_FOLDER}
    mkdir -p "$work"
    trap demo_network_stop EXIT
    trap 'exit 130' INT TERM
    demo_network_start "$work" "$DEMO_ROOT/build/bin"
    demo_network_write_settings "$work/config" "$work/RedFaction"
    echo "settings: $work/config/varnholt/vnhsettings.txt (use XDG_CONFIG_HOME=$work/config)"
    echo "Ctrl+C stops the network."
    wait
fi
