#!/usr/bin/env bash
# The Windows program's tests on Debian: the cross build with its zip and
# installer (scripts/build-windows.sh), the core and window tests as .exe
# under Wine (offscreen), then the end-to-end script against the Linux test
# network, which needs the Linux build (scripts/test.sh, or build.sh).
#   scripts/test-windows.sh [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh
[ -x build/bin/varnholt-testnet ] && [ -x build/bin/varnholt-chatpeer ] ||
  bash scripts/build.sh varnholt-testnet varnholt-chatpeer varnholt-query
ctest --test-dir build-windows --output-on-failure --timeout 300 "$@"
bash tests/windows/e2e_windows.sh --bin-dir build/bin --windows-dir build-windows
