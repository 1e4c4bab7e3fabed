#!/bin/bash
# Installs what building and testing need on Debian 12, and nothing when it is
# all there already. Run as root (or with sudo available) on a fresh machine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(cmake make mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine64 xvfb imagemagick googletest zip npm)
missing=()
for p in "${packages[@]}"; do
    # npm may come from elsewhere (nodesource, nvm); only ask apt when it is absent.
    if [ "$p" = npm ] && command -v npm >/dev/null; then
        continue
    fi
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "setup: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# The real Windows FFmpeg that stands in for core\nyvrel.exe in tests and demos.
ffmpeg_dir="$root/.cache/ffmpeg"
if [ ! -s "$ffmpeg_dir/ffmpeg.exe" ]; then
    echo "setup: fetching the Windows FFmpeg (npm @ffmpeg-installer/win32-x64)"
    mkdir -p "$ffmpeg_dir"
    tmp="$(mktemp -d)"
    (cd "$tmp" && npm pack --silent @ffmpeg-installer/win32-x64@4.1.0 >/dev/null)
    tar -xzf "$tmp"/ffmpeg-installer-win32-x64-*.tgz -C "$tmp" package/ffmpeg.exe
    mv "$tmp/package/ffmpeg.exe" "$ffmpeg_dir/ffmpeg.exe"
    rm -rf "$tmp"
fi
