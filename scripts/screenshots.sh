#!/usr/bin/env bash
# Redraws the pictures of the README and docs/user-guide.md,
# docs/screenshots/main-window.png and docs/screenshots/options.png, from the
# real program in a private X server against the demo network (the end-to-end
# test takes them on its way).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash tests/e2e/e2e.sh --bin-dir build/bin --screenshots docs/screenshots
