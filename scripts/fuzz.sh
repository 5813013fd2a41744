#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined-behaviour
# sanitizers) into build-fuzz/ and runs each from its seed corpus.
#
#   scripts/fuzz.sh [--seconds N] [--jobs N] [TARGET...]
#
# Default: every target for 60 s, two at a time. A target that crashes,
# trips a sanitizer or breaks one of its invariants fails the run; its input
# is kept as build-fuzz/findings/<target>/crash-*. The seed corpus under
# fuzz/corpus/<target>/ is read, never written: what a run finds goes to
# build-fuzz/corpus/<target>/. Prints executions per second and coverage.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
jobs=2
targets=()
while [ $# -gt 0 ]; do
    case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -*) echo "usage: scripts/fuzz.sh [--seconds N] [--jobs N] [TARGET...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done

bash scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVARNHOLT_FUZZ=ON -DVARNHOLT_GUI=OFF -DBUILD_TESTING=OFF \
    >/dev/null
cmake --build build-fuzz --parallel "$(nproc)"

if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi

# The dictionary of the protocol a target reads.
dictionary_for() {
    case $1 in
    fuzz_inforeply | fuzz_playerlist) echo fuzz/dict/gameserver.dict ;;
    fuzz_masterdatagram | fuzz_masterlist) echo fuzz/dict/master.dict ;;
    fuzz_irc* | fuzz_chat* | fuzz_ctcp* | fuzz_ircformatting) echo fuzz/dict/irc.dict ;;
    *) echo fuzz/dict/text.dict ;;
    esac
}

run_target() {
    local target=$1 log=build-fuzz/logs/$1.log
    mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target" build-fuzz/logs
    local status=0
    # -timeout: an input that takes over 10 s is a hang.
    "build-fuzz/bin/$target" "build-fuzz/corpus/$target" "fuzz/corpus/$target" \
        -dict="$(dictionary_for "$target")" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/findings/$target/" >"$log" 2>&1 || status=$?
    local execs cov
    execs=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log" | tail -n 1)
    # A crash while the corpus loads leaves no coverage line.
    cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1 || true)
    if [ "$status" -ne 0 ]; then
        echo "FAIL $target (exit $status), log: $log"
        grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" | head -n 8
        return 1
    fi
    echo "ok   $target: ${execs:-?} exec/s, ${cov:-no coverage line}, ${seconds} s"
}

failed=0
running=0
pids=()
names=()
for target in "${targets[@]}"; do
    [ -x "build-fuzz/bin/$target" ] || { echo "no target $target" >&2; exit 2; }
    run_target "$target" &
    pids+=($!)
    names+=("$target")
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
        running=$((running - 1))
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
