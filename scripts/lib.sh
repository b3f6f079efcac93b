# Shared by scripts/run.sh and scripts/test.sh: the packages the project needs and how to build it.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Debian packages: build tools, test frameworks, the DSP library of the firmware generator and of the
# twin's receiver, the Viterbi decoder and the picture library of the twin's tools, the MinGW-w64
# cross compiler (posix threads) for the Windows build check, Qt 6 Widgets and a font for the program's
# windows, a virtual X server with a screenshot tool for running the program without a display, and
# PyVISA with its pure-Python backend, the client of the remote interface's tests.
PACKAGES=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libliquid-dev libfec-dev
          libcairo2-dev clang-format python3-pyvisa python3-pyvisa-py
          g++-mingw-w64-x86-64-posix clang-14 libfuzzer-14-dev qt6-base-dev fonts-dejavu-core xvfb xauth imagemagick)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
        echo "Missing packages: ${missing[*]} (install them as root with apt-get)" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build <dir> [cmake options...]: configure (once) and build.
build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" "$@" >/dev/null
    cmake --build "$ROOT/$dir" -j "$JOBS"
}
