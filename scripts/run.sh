#!/usr/bin/env bash
# Installs what is missing, builds, and launches Varnholt.
#   scripts/run.sh          the program with your own settings
#   scripts/run.sh --demo   the program against a local demo network
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ "${1:-}" = "--demo" ]; then
  exec bash scripts/demo.sh
fi
exec build/bin/varnholt "$@"
