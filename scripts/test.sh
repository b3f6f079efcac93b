#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, the library, emulator and
# program tests again under AddressSanitizer + UndefinedBehaviorSanitizer, the threaded tests under
# ThreadSanitizer, the Windows cross build of the library, the emulator and the platform layer, and
# the signal twin's loopback, a 30-second soak check, the fuzz targets briefly, the formatting check.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

step() { printf '\n==== %s\n' "$*"; }

install_missing

step "Build and test"
build build
(cd "$ROOT/build" && ctest --output-on-failure)

step "Signal twin: the independent receiver decodes what the emulated board plays"
if [ -x "$ROOT/build/bin/zorvanl-loopback" ]; then
    "$ROOT/build/bin/zorvanl-loopback" | tail -n 3
else
    echo "zorvanl-loopback not built (liquid-dsp or libfec missing)" >&2
    exit 1
fi

step "AddressSanitizer + UndefinedBehaviorSanitizer"
build build-asan -DCMAKE_BUILD_TYPE=Debug -DZORVANL_SANITIZE=address,undefined -DZORVANL_BUILD_TOOLS=OFF \
    -DZORVANL_FIRMWARE_DIR="$ROOT/build/bin/Firmware"
(cd "$ROOT/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure)

step "ThreadSanitizer (threaded code)"
build build-tsan -DCMAKE_BUILD_TYPE=Debug -DZORVANL_SANITIZE=thread -DZORVANL_BUILD_TOOLS=OFF \
    -DZORVANL_FIRMWARE_DIR="$ROOT/build/bin/Firmware"
(cd "$ROOT/build-tsan" && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --output-on-failure -L threaded)

step "Soak check, 30 seconds (streamed bytes verified under load)"
"$ROOT/scripts/soak.sh" 30

step "Fuzz targets, briefly (clang, libFuzzer + ASan + UBSan)"
"$ROOT/scripts/fuzz.sh" --brief

step "Windows cross build (MinGW-w64)"
build build-win -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DZORVANL_BUILD_TESTS=OFF -DZORVANL_BUILD_TOOLS=OFF

step "Formatting"
cd "$ROOT"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

step "All tests passed"
