#!/bin/bash
# Builds Velquorn and runs it under Wine with the real converter in core\.
#
# With a display: opens the program there.
# Without one: starts its own Xvfb, makes a few FLAC files, and has a driver
# program convert them through Velquorn's own windows as a user would (Add
# dialog, output folder, Convert, the run to "Complete", Close, closing the
# window). Prints the MP3 files made and where the screenshots are.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/tools/setup.sh"
"$root/tools/build.sh"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

exe="$root/build/x86_64/ui/Velquorn.exe"
ffmpeg="$root/.cache/ffmpeg/ffmpeg.exe"

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
if [ -n "${DISPLAY:-}" ]; then
    VELQUORN_DISPLAY_KEEP=1
    wine_session_start "$root/build/run-prefix"
    mkdir -p "$(dirname "$exe")/core"
    cp -f "$ffmpeg" "$(dirname "$exe")/core/nyvrel.exe"
    echo "run: starting $exe"
    "$WINE64" "$exe"
    exit 0
fi

wine_session_start "$root/build/run-prefix"
demo="$root/build/demo"
rm -rf "$demo/MP3" "$demo/screenshots" "$demo/Velquorn"
mkdir -p "$demo"
echo "run: no display; driving Velquorn on Xvfb $DISPLAY"
export VELQUORN_EXE="$(winpath "$exe")"
export VELQUORN_FFMPEG="$(winpath "$ffmpeg")"
export VELQUORN_DEMO_DIR="$(winpath "$demo")"
# A Wine virtual desktop draws window frames, so the screenshots show title bars.
status=0
"$WINE64" explorer /desktop=velquorn,1024x768 "$root/build/x86_64/tests/e2e/velquorn_demo.exe" \
    >"$demo/driver.log" 2>&1 </dev/null || status=$?
# The driver prints in the ANSI code page of the Wine prefix.
tr -d '\r' <"$demo/driver.log" | iconv -f CP1252 -t UTF-8 | grep -a -v -e '^[0-9a-f]*:\(err\|fixme\|warn\)' -e '^wine: ' || true
if [ -d "$demo/MP3" ]; then
    echo "run: MP3 files:"
    find "$demo/MP3" -name '*.mp3' -printf '  %p (%s bytes)\n' | sort
fi
if [ -d "$demo/screenshots" ]; then
    echo "run: screenshots:"
    find "$demo/screenshots" -name '*.png' -printf '  %p\n' | sort
fi
exit "$status"
