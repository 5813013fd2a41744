#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/: the
# targets given (scripts/build.sh varnholt), or everything.
#   scripts/build.sh [--deps SET,...] [TARGET...]
# --deps names the package sets of scripts/install-deps.sh (default: test,
# everything).
set -euo pipefail
cd "$(dirname "$0")/.."
sets=(test)
if [ "${1:-}" = --deps ]; then
  IFS=, read -r -a sets <<<"${2:?usage: scripts/build.sh [--deps SET,...] [TARGET...]}"
  shift 2
fi
bash scripts/install-deps.sh "${sets[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build build --parallel "$(nproc)" "${targets[@]}"
