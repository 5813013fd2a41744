#!/usr/bin/env bash
# Runs Varnholt against the demo network on 127.0.0.1 (scripts/demo-network.sh)
# with settings and data files in a temporary folder, so the player's own
# settings are never read or changed and no outside server is contacted.
# Started by `bash scripts/run.sh --demo` after the build; everything it
# started stops when the window closes.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${VARNHOLT_BIN_DIR:-build/bin}
source scripts/demo-network.sh

work=$(mktemp -d "${TMPDIR:-/tmp}/varnholt-demo.XXXXXX")
cleanup() {
    demo_network_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

demo_network_start "$work" "$bin"
demo_network_write_settings "$work/config" "$work/RedFaction"

cat <<EOF

Varnholt demo: everything runs on this machine, nothing goes out.
  1. Game Type Filter: click ALL.   Version Filter: click ALL.
  2. Click Get List: the forty demo servers fill the list (two never answer,
     so the last rows take a few seconds). Click a column header to sort.
  3. Click Connect: you join $DEMO_CHANNEL as $DEMO_NICK; kasia is there and
     talks now and then. Type a line in Chat Input and press Enter.
Close the window to stop the demo.

EOF

XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache "$bin/varnholt"
