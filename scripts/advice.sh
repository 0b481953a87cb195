#!/usr/bin/env bash
# Measures how often the advice after a zero byte (a space at the start of
# the text) gives a cipher text that comes back, by text length
# (bench/zero_byte_advice.cpp has how).
#   scripts/advice.sh [TEXTS [SEED]]    TEXTS a length class, 20000 unless given
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${HOST_PACKAGES[@]}" && need_cmake || exit 1
cmake --preset host >/dev/null
cmake --build --preset host --target zero_byte_advice >/dev/null
build/host/zero_byte_advice "$@"
