#!/usr/bin/env bash
# Pictures of every window of the operator program, in English and in Russian, on the emulated board:
# one PNG per window and language in build/windows/, and the two overviews docs/windows-en.png and
# docs/windows-ru.png that the README shows.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

install_missing
build build
out="$ROOT/build/windows"
rm -rf "$out"
mkdir -p "$out" "$ROOT/build/runtime"
chmod 700 "$ROOT/build/runtime"
ZORVANL_GALLERY_DIR="$out" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$ROOT/build/runtime" \
    "$ROOT/build/tests/window_gallery" >/dev/null
for lang in en ru; do
    montage "$out"/fmMain-$lang.png "$out"/fmSweep-$lang.png "$out"/fmSine-$lang.png "$out"/Form1-$lang.png \
        "$out"/fmSetup-$lang.png "$out"/fmUserINIDialog-$lang.png "$out"/fmService-$lang.png \
        "$out"/fmService-2-$lang.png "$out"/fmVerInf-$lang.png \
        -tile 3x -geometry +6+6 -background '#d8d8d8' "$ROOT/docs/windows-$lang.png"
done
echo "windows: $(ls "$out" | wc -l) pictures in $out; overviews in docs/windows-en.png and docs/windows-ru.png"
