#!/bin/bash
# Builds Velquorn and runs it under Wine: on the current display when there is
# one, otherwise on a private Xvfb display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/tools/setup.sh"
"$root/tools/build.sh"

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
if [ -n "${DISPLAY:-}" ]; then
    VELQUORN_DISPLAY_KEEP=1
fi
wine_session_start "$root/build/run-prefix"
exe="$root/build/x86_64/ui/Velquorn.exe"
echo "run: starting $exe"
"$WINE64" "$exe"
