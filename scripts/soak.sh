#!/usr/bin/env bash
# The soak check: streams a file through the emulated board while two other processes keep both cores
# busy, and proves with the board's verify mode that every byte it played was the file repeated in
# order. Three runs share the time: the streaming path without and with the reading thread, and the
# single-loaded cycle path; then two players stream on two boards at once.
#   scripts/soak.sh [SECONDS]     (default 300, in total)
# Environment: SOAK_RATE, the board's byte rate (default 32000000 bytes/s).
# The last line: soak bytes=B passes=P overruns=O mismatches=M
set -euo pipefail
source "$(dirname "$0")/lib.sh"

total="${1:-300}"
case "$total" in *[!0-9]* | "") echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac
rate="${SOAK_RATE:-32000000}"
each=$(( (total + 3) / 4 ))  # three paths, then the two boards together

cmake -S "$ROOT" -B "$ROOT/build" >/dev/null
cmake --build "$ROOT/build" -j "$JOBS" --target zorvanl_soak >/dev/null

work="$(mktemp -d)"
loaders=()
cleanup() {
    for pid in "${loaders[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
for _ in 1 2; do
    ( while :; do :; done ) &
    loaders+=("$!")
done

bytes=0 passes=0 overruns=0 mismatches=0 failed=0
for path in streaming reading cycle; do
    line="$("$ROOT/build/bin/zorvanl_soak" "$path" "$each" "$work" "$rate")" || failed=1
    echo "$line"
    get() { sed -n "s/.* $1=\([0-9-]*\).*/\1/p" <<<"$line"; }
    bytes=$((bytes + $(get bytes))) passes=$((passes + $(get passes)))
    overruns=$((overruns + $(get overruns))) mismatches=$((mismatches + $(get mismatches)))
done
# Two programs on two boards at once: each proves its own stream, neither disturbs the other.
if [ "$total" -ge 6 ]; then
    pair=$each
    ZORVANL_SOAK_SLOT=5 "$ROOT/build/bin/zorvanl_soak" streaming "$pair" "$work" "$rate" >"$work/a" &
    first=$!
    ZORVANL_SOAK_SLOT=6 "$ROOT/build/bin/zorvanl_soak" cycle "$pair" "$work" "$rate" >"$work/b" || failed=1
    wait "$first" || failed=1
    for line in "$(cat "$work/a")" "$(cat "$work/b")"; do
        echo "two boards: $line"
        bytes=$((bytes + $(get bytes))) passes=$((passes + $(get passes)))
        overruns=$((overruns + $(get overruns))) mismatches=$((mismatches + $(get mismatches)))
    done
fi
echo "soak bytes=$bytes passes=$passes overruns=$overruns mismatches=$mismatches"
[ "$failed" -eq 0 ]
