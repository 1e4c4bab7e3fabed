#!/bin/bash
# The engine's benchmark: a batch through the engine against the converter
# started directly on each file, under wine64 with the real Windows FFmpeg.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/tools/setup.sh"
"$root/tools/build.sh"

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
VELQUORN_DISPLAY_KEEP=1 wine_session_start "$root/build/x86_64/wineprefix"
VELQUORN_FFMPEG="Z:$(printf '%s' "$root/.cache/ffmpeg/ffmpeg.exe" | tr / '\\')"
export VELQUORN_FFMPEG
"$WINE64" "$root/build/x86_64/bench/engine_bench.exe" </dev/null
