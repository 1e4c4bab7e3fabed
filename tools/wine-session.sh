# Sourced by the scripts in tools/: a private Wine prefix with a persistent
# wineserver, and an Xvfb display, for the length of one command.
#
# ctest hangs when it starts the first Wine process itself: Wine's background
# services inherit its pipes. So the server and the prefix come up here first,
# detached from every standard stream.

wine_session_start() {
    local prefix="$1"
    export WINEPREFIX="$prefix"
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No Mono or Gecko installer prompts while the prefix is created.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINE64=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver

    if [ -z "${VELQUORN_DISPLAY_KEEP:-}" ]; then
        local n=91
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        local waited=0
        until [ -e "/tmp/.X11-unix/X$n" ] || [ $waited -ge 100 ]; do
            sleep 0.1
            waited=$((waited + 1))
        done
    fi

    mkdir -p "$prefix"
    # A server left behind by an interrupted run would keep its old state.
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
    trap wine_session_stop EXIT
}

wine_session_stop() {
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
