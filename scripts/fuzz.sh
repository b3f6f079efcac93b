#!/usr/bin/env bash
# Runs every libFuzzer target of fuzz/ on its seed corpus (fuzz/corpus/<target>/).
#   scripts/fuzz.sh              each target for 1000000 inputs
#   scripts/fuzz.sh -runs N      each target for N inputs
#   scripts/fuzz.sh SECONDS      each target for SECONDS seconds
#   scripts/fuzz.sh --brief      each target for 3 seconds (the regression run of scripts/test.sh)
# Prints, per target, the inputs run, the coverage (edges) and the findings (crash, leak, timeout or
# out-of-memory inputs, kept in build-fuzz/findings/<target>/). The last line:
#   fuzz targets=T runs=R crashes=C     (R: the fewest inputs run by any target)
# The exit status is 1 when a target found anything.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

limit=(-runs=1000000)
case "${1:-}" in
    "") ;;
    --brief) limit=(-max_total_time=3) ;;
    -runs) limit=(-runs="${2:?-runs needs a number}") ;;
    *[!0-9]* ) echo "usage: $0 [SECONDS|-runs N|--brief]" >&2; exit 2 ;;
    *) limit=(-max_total_time="$1") ;;
esac

for tool in clang-14 clang++-14; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install clang-14 libfuzzer-14-dev)" >&2; exit 2; }
done

BUILD="$ROOT/build-fuzz"
CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD" -DZORVANL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_targets >/dev/null

# The inputs the fuzzer adds go to a scratch corpus, never into the repository's seeds. The targets
# that open the emulated board use its named objects: one target at a time.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export FUZZ_SCRATCH="$scratch"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

targets=0 crashes=0 fewest=""
for binary in "$BUILD"/fuzz/*_fuzz; do
    name="$(basename "$binary")"
    corpus="$scratch/corpus_$name" findings="$BUILD/findings/$name"
    mkdir -p "$corpus" "$findings"
    log="$scratch/$name.log"
    status=0
    "$binary" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "$ROOT/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
    found=0
    if [ "$status" -ne 0 ]; then
        found=1
        grep -E 'ERROR|property broken|SUMMARY' "$log" | head -5 | sed 's/^/    /'
        ls "$findings" | sed 's/^/    finding: /'
    fi
    printf '%-20s runs=%-9s coverage=%-6s findings=%s\n' "$name" "${runs:-0}" "${coverage:-0}" "$found"
    targets=$((targets + 1)) crashes=$((crashes + found))
    if [ -z "$fewest" ] || [ "${runs:-0}" -lt "$fewest" ]; then fewest="${runs:-0}"; fi
done
echo "fuzz targets=$targets runs=${fewest:-0} crashes=$crashes"
[ "$crashes" -eq 0 ]
