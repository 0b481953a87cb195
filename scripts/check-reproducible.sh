#!/usr/bin/env bash
# Builds Corvex.exe twice, from two copies of the source in different
# folders, and checks that the two executables are byte for byte the same.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for n in 1 2; do
    mkdir -p "$work/src$n-$RANDOM"
done
i=0
for dir in "$work"/src*; do
    i=$((i + 1))
    (cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir")
    cmake -S "$dir" -B "$dir/build" -G Ninja -DCORVANE_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$dir/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$dir/build" --target Corvex >/dev/null
    cp "$dir/build/Corvex.exe" "$work/Corvex-$i.exe"
done

sha256sum "$work"/Corvex-*.exe | sed "s|$work/||"
if cmp "$work/Corvex-1.exe" "$work/Corvex-2.exe"; then
    echo "reproducible: the two builds are identical"
else
    echo "NOT reproducible: the two builds differ"
    exit 1
fi
