#!/bin/bash
# Builds Velquorn and runs it under Wine. With a display the window opens
# there; without one it shows on a private Xvfb, a screenshot is saved to
# build/screenshots/velquorn.png, and the program is closed again.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/tools/setup.sh"
"$root/tools/build.sh"

# shellcheck source=tools/wine-session.sh
. "$root/tools/wine-session.sh"
exe="$root/build/x86_64/ui/Velquorn.exe"
# The program looks for its converter beside itself.
mkdir -p "$root/build/x86_64/ui/core"
cp -u "$root/.cache/ffmpeg/ffmpeg.exe" "$root/build/x86_64/ui/core/nyvrel.exe"

if [ -n "${DISPLAY:-}" ]; then
    VELQUORN_DISPLAY_KEEP=1
    wine_session_start "$root/build/run-prefix"
    echo "run: starting $exe"
    "$WINE64" "$exe"
    exit 0
fi

wine_session_start "$root/build/run-prefix"
shots="$root/build/screenshots"
mkdir -p "$shots"
shot="$shots/velquorn.png"
# Wine's virtual desktop draws the window frames no window manager would.
desktop=(explorer /desktop=velquorn,720x440)

capture() { import -window root -crop 720x440+0+0 +repage "$1" 2>/dev/null; }
same() { [ "$(convert "$1" "$2" -compose difference -composite -format '%[fx:maxima]' info:)" = 0 ]; }

"$WINE64" "${desktop[@]}" </dev/null >/dev/null 2>&1 &
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"; wine_session_stop' EXIT
# The empty desktop first, then the program on it; the window is up once the
# screen differs from the empty desktop and has stopped changing.
for _ in $(seq 1 300); do
    capture "$tmp/a.png" && capture "$tmp/b.png" && same "$tmp/a.png" "$tmp/b.png" &&
        [ "$(convert "$tmp/a.png" -format '%[fx:maxima]' info:)" != 0 ] && break
    sleep 0.2
done
cp "$tmp/a.png" "$tmp/desktop.png"
echo "run: starting $exe"
"$WINE64" "${desktop[@]}" "$exe" </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 600); do
    sleep 0.2
    capture "$tmp/a.png" || continue
    same "$tmp/a.png" "$tmp/desktop.png" && continue
    sleep 0.5
    capture "$tmp/b.png" && same "$tmp/a.png" "$tmp/b.png" && break
done
cp "$tmp/b.png" "$shot"
echo "run: no display; screenshot saved to $shot"
