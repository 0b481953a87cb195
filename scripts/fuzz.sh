#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs them
# for SECONDS in total. Exits non-zero on any finding.
#   scripts/fuzz.sh [SECONDS]      default 60
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${FUZZ_PACKAGES[@]}" && need_clang_runtime

seconds=${1:-60}
out=build/fuzz
mkdir -p "$out"
flags=(-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -DOPENSSL_SUPPRESS_DEPRECATED -Icipher)
sources=(cipher/blowfish.cpp cipher/blowfish_tables.cpp cipher/crypt_text.cpp cipher/message_host.cpp)

targets=(fuzz/*_fuzz.cpp)
per=$(( seconds / ${#targets[@]} ))
[ "$per" -lt 1 ] && per=1
for src in "${targets[@]}"; do
    name=$(basename "$src" .cpp)
    clang++ "${flags[@]}" "$src" "${sources[@]}" -lcrypto -o "$out/$name"
    corpus="$out/$name-corpus"
    mkdir -p "$corpus"
    echo "== $name: ${per}s"
    (cd "$out" && "./$name" -max_total_time="$per" -max_len=320 -print_final_stats=1 "$name-corpus")
done
echo "fuzzing found nothing"
