#!/bin/bash
# Builds both architectures: build/i686 holds the shipped 32-bit program,
# build/x86_64 the 64-bit twin with the tests.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"

configure() {
    local arch="$1"; shift
    local dir="$root/build/$arch"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" "$@" >/dev/null
    fi
    cmake --build "$dir" -j "$jobs" -- --no-print-directory
}

configure i686
configure x86_64 -DVELQUORN_BUILD_TESTS=ON
