#!/usr/bin/env bash
# Installs what is missing, builds, and starts the operator program Zorvanl on the emulated board.
#
# With a display (DISPLAY or WAYLAND_DISPLAY set) the program simply opens; the arguments go to it
# (-d N, -cf <set file>, -cn <configuration>). Without one, it runs under a virtual X server (Xvfb):
# the script waits until the board plays, saves a screenshot to build/Zorvanl.png, prints the emulated
# board's status and closes the program normally (which saves its options and configuration).
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_missing
build build
cd "$ROOT/build/bin"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./Zorvanl "$@"
fi

status="$ROOT/build/emulator-status.txt"
shot="$ROOT/build/Zorvanl.png"
rm -f "$status"
display=""
for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "No free X display number for Xvfb" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1

echo "Starting Zorvanl on the emulated board (virtual display $display)"
runtime="$(mktemp -d)"
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT
DISPLAY="$display" XDG_RUNTIME_DIR="$runtime" QMIO_STATUS_FILE="$status" ./Zorvanl "$@" &
program=$!

playing=""
for _ in $(seq 1 300); do
    if ! kill -0 "$program" 2>/dev/null; then break; fi
    if grep -q "output: playing" "$status" 2>/dev/null; then playing=yes; break; fi
    sleep 0.2
done
if [ -z "$playing" ]; then
    echo "The board did not start playing within 60 seconds." >&2
    [ -f "$status" ] && cat "$status" >&2
    kill -TERM "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    exit 1
fi

sleep 1  # let the window draw its last state
DISPLAY="$display" import -window root "$shot"
echo "Screenshot of the program: $shot"
echo
echo "Emulated board status:"
cat "$status"

kill -TERM "$program"
wait "$program"
echo "Zorvanl closed normally (options in build/bin/Config.ini, configuration in build/bin/User/Default.cfg)."
