#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/: the
# targets given (scripts/build.sh varnholt), or everything.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build build --parallel "$(nproc)" "${targets[@]}"
