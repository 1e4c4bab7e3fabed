#!/bin/bash
# The whole test suite: set-up, both builds, every test under wine64 and Xvfb.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/tools/setup.sh"
"$root/tools/build.sh"

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
start_ms=$(date +%s%3N)
wine_session_start "$root/build/x86_64/wineprefix"
echo "test: Wine ready in $(($(date +%s%3N) - start_ms)) ms"

ctest --test-dir "$root/build/x86_64" --output-on-failure -j "$(nproc)" "$@" </dev/null
