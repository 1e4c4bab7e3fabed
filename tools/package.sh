#!/bin/bash
# Packs the shipped 32-bit program: build/Velquorn-1.0.0.1-win32.zip holding
# Velquorn-1.0.0.1/Velquorn.exe and a core folder with a note on the converter
# that belongs there (the converter itself is not ours to ship).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
version=1.0.0.1
name="Velquorn-$version"
zip_path="$root/build/$name-win32.zip"

"$root/tools/setup.sh"
"$root/tools/build.sh"

exe="$root/build/i686/ui/Velquorn.exe"
# Only the i686 build is the product; refuse to pack anything else.
if ! i686-w64-mingw32-objdump -f "$exe" 2>/dev/null | grep -q 'file format pei-i386'; then
    echo "package: $exe is not a 32-bit Windows program" >&2
    exit 1
fi

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/core"
cp "$exe" "$stage/$name/Velquorn.exe"
printf '%s\r\n' \
    "Velquorn converts through an external converter that you put in this folder:" \
    "" \
    "    core\\nyvrel.exe" \
    "" \
    "Any FFmpeg build for Windows with libmp3lame will do: copy its ffmpeg.exe" \
    "into this folder and rename it to nyvrel.exe." \
    >"$stage/$name/core/README.txt"

rm -f "$zip_path"
(cd "$stage" && TZ=UTC zip -q -X -r "$zip_path" "$name")
echo "package: $zip_path"
zip -sf "$zip_path"
