#!/usr/bin/env bash
# Builds Corvex.exe and starts it under Wine on your display.
#   scripts/run.sh                    start it; returns when you close it
#   scripts/run.sh --screenshot FILE  run it headless under Xvfb and save a
#                                     PNG of the main window
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/wine.sh

shot=
if [ "${1:-}" = "--screenshot" ]; then
    shot=${2:?usage: scripts/run.sh --screenshot FILE}
    case "$shot" in /*) ;; *) shot="$PWD/$shot" ;; esac
fi

need_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINE_PACKAGES[@]}" && need_cmake || exit 1
[ -n "$shot" ] && need_packages imagemagick x11-utils
cmake --preset windows >/dev/null
cmake --build --preset windows --target Corvex
exe="$PWD/build/windows/Corvex.exe"
lock_prefix

if [ -z "$shot" ]; then
    if [ -z "${DISPLAY:-}" ]; then
        echo "No DISPLAY: start it from a desktop session, or use --screenshot FILE." >&2
        exit 1
    fi
    trap 'release_i386_exec' EXIT
    ensure_i386_exec
    ensure_prefix
    wine "$exe"
    exit
fi

trap stop_wine EXIT
ensure_i386_exec
start_xvfb
ensure_prefix
CORVANE_RUN=$$ wine "$exe" >/dev/null 2>&1 </dev/null &
# Wait for its main window, then save it once painted.
if ! win=$(wait_window $! CORVANE_RUN=$$ "Corvane v1.0" 900); then
    echo "Corvex.exe showed no window" >&2
    exit 1
fi
save_windows "$shot" "$win"
