#!/usr/bin/env bash
# Installs what is missing, builds what the program needs (no tests, no
# benchmarks), and launches Varnholt.
#   scripts/run.sh          the program with your own settings
#   scripts/run.sh --demo   the program against a local demo network
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--demo" ]; then
  bash scripts/build.sh varnholt varnholt-testnet varnholt-chatpeer
  exec bash scripts/demo.sh
fi
bash scripts/build.sh varnholt
exec build/bin/varnholt "$@"
