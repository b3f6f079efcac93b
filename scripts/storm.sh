#!/usr/bin/env bash
# The start/stop storm at full length: ROUNDS rounds (default 1000) of Start, a restart by a new
# configuration and Stop through the program's run control over the three source paths, under
# AddressSanitizer + UndefinedBehaviorSanitizer (leaks included) and under ThreadSanitizer, both at
# once (a round spends most of its time in the board's own pauses). After every command the board must
# be in the state it asked for, after every Stop the process must have its threads of before.
#   scripts/storm.sh [ROUNDS]
# The last line: storm rounds=N commands=C asan=ok|failed tsan=ok|failed
set -euo pipefail
source "$(dirname "$0")/lib.sh"

rounds="${1:-1000}"
case "$rounds" in *[!0-9]* | "") echo "usage: $0 [ROUNDS]" >&2; exit 2 ;; esac

install_missing
build build  # the firmware set the sanitizer builds load
build build-asan -DCMAKE_BUILD_TYPE=Debug -DZORVANL_SANITIZE=address,undefined -DZORVANL_BUILD_TOOLS=OFF \
    -DZORVANL_FIRMWARE_DIR="$ROOT/build/bin/Firmware"
build build-tsan -DCMAKE_BUILD_TYPE=Debug -DZORVANL_SANITIZE=thread -DZORVANL_BUILD_TOOLS=OFF \
    -DZORVANL_FIRMWARE_DIR="$ROOT/build/bin/Firmware"

filter=--gtest_filter=RunControlTest.StartStopAndRestartStormsLeaveTheBoardAsTheLastCommandAsked
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
private=no
if unshare -m --propagation private sh -c 'mount -t tmpfs tmpfs /dev/shm' 2>/dev/null; then private=yes; fi
# Each run in its own /dev/shm and /tmp where the system allows it, so that the two emulated boards
# never meet and the runs go at once; otherwise one after the other.
isolated() {
    if [ "$private" = yes ]; then
        unshare -m --propagation private sh -c \
            'mount -t tmpfs tmpfs /dev/shm && mount -t tmpfs tmpfs /tmp && exec "$@"' sh "$@"
    else
        "$@"
    fi
}
run() {  # build directory, log name, environment...
    local dir="$1" log="$work/$2.log"
    shift 2
    (cd "$ROOT/$dir" && isolated env ZORVANL_STORM_ROUNDS="$rounds" "$@" \
        tests/program_run_control_test "$filter") >"$log" 2>&1
}
started=$(date +%s)
if [ "$private" = yes ]; then
    run build-asan asan ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 & asan_pid=$!
    run build-tsan tsan TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" & tsan_pid=$!
    asan=ok tsan=ok
    wait "$asan_pid" || asan=failed
    wait "$tsan_pid" || tsan=failed
else
    asan=ok tsan=ok
    run build-asan asan ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 || asan=failed
    run build-tsan tsan TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" || tsan=failed
fi
for name in asan tsan; do
    if [ "${!name}" != ok ]; then
        echo "---- $name"
        grep -E 'Failure|ERROR|WARNING|SUMMARY|Which is|after cycle' "$work/$name.log" | head -20
    fi
done
echo "storm time=$(( $(date +%s) - started ))s"
echo "storm rounds=$rounds commands=$((3 * rounds)) asan=$asan tsan=$tsan"
[ "$asan" = ok ] && [ "$tsan" = ok ]
