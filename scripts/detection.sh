#!/usr/bin/env bash
# Measures how often Decrypt tells a wrong key, under each code page that
# the Wine suite runs in (bench/detection.cpp has how).
#   scripts/detection.sh [TEXTS [SEED]]    TEXTS a length class, 100000 unless given
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/wine.sh
need_packages "${WINDOWS_PACKAGES[@]}" "${WINE_PACKAGES[@]}" && need_cmake || exit 1
cmake --preset windows >/dev/null
cmake --build --preset windows --target detection_bench >/dev/null
lock_prefix && ensure_i386_exec || exit 1
trap stop_wine EXIT
ensure_prefix
# Western (1252), Central European (1250), Cyrillic (1251), Greek (1253),
# Japanese, Simplified Chinese, Korean, Traditional Chinese, and UTF-8.
for locale in C pl_PL.UTF-8 ru_RU.UTF-8 el_GR.UTF-8 ja_JP.UTF-8 zh_CN.UTF-8 ko_KR.UTF-8 zh_TW.UTF-8 hi_IN.UTF-8; do
    LC_ALL=$locale wine build/windows/detection_bench.exe "$@" </dev/null 9>&-
done
