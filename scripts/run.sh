#!/usr/bin/env bash
# Installs what is missing, builds, and starts the main job on the emulated board: connects the board
# and prints its identity and status.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_missing
build build
cd "$ROOT/build/bin"
exec ./zorvanl-info 0 Firmware --status "$@"
