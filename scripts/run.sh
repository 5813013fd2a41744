#!/usr/bin/env bash
# Installs what the program needs and is missing (no test tools), builds
# the program alone (no tests, no benchmarks), and launches Varnholt.
#   scripts/run.sh          the program with your own settings
#   scripts/run.sh --demo   the program against a local demo network (adds
#                           its IRC server, ngircd)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--demo" ]; then
  bash scripts/build.sh --deps run,demo varnholt varnholt-testnet varnholt-chatpeer
  exec bash scripts/demo.sh
fi
bash scripts/build.sh --deps run varnholt
exec build/bin/varnholt "$@"
