#!/usr/bin/env bash
# Builds the release from a clean checkout of HEAD into dist/:
#   corvane-VERSION-win32.zip Corvex.exe, README.txt (the user's part of the
#                           README as plain text with CRLF line ends) and
#                           LICENSE.txt
#   Corvex.exe              the same executable, on its own
#   BUILDINFO.txt           the commit, the Debian release, the versions of
#                           the packages that shape the bytes, the command
#   SHA256SUMS              for the zip, the executable and BUILDINFO.txt
# Two runs give byte-identical files: the build is reproducible, and the zip
# has fixed timestamps, order and permissions.
#   scripts/release.sh [--source DIR] [--out DIR]
# --source builds from that folder as it is instead (the reproducibility
# check uses it); --out writes somewhere other than dist/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/deps.sh"

src=
out="$root/dist"
while [ $# -gt 0 ]; do
    case "$1" in
    --source) src=$(cd "$2" && pwd); shift 2 ;;
    --out) mkdir -p "$2"; out=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: scripts/release.sh [--source DIR] [--out DIR]" >&2; exit 2 ;;
    esac
done

need_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$src" ]; then
    if [ -n "$(git -C "$root" status --porcelain)" ]; then
        echo "Note: uncommitted changes are not in the release; it is built from HEAD."
    fi
    git clone -q "$root" "$work/src"
    src="$work/src"
fi

# The version is the project's; its day, from the changelog, is every
# timestamp in the zip.
version=$(sed -n 's/^project(Corvane VERSION \([0-9.]*\) .*/\1/p' "$src/CMakeLists.txt")
day=$(sed -n "s/^## ${version//./\\.} (\([0-9-]*\))\$/\1/p" "$src/CHANGELOG.md")
if [ -z "$version" ] || [ -z "$day" ]; then
    echo "CHANGELOG.md has no entry for version '$version' of CMakeLists.txt" >&2
    exit 1
fi
name="corvane-$version-win32"
release_time="$day 00:00:00 UTC"

cmake -S "$src" -B "$work/build" -G Ninja -DCORVANE_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$work/build" --target Corvex >/dev/null

stage="$work/stage"
mkdir -p "$stage"
cp "$work/build/Corvex.exe" "$stage/Corvex.exe"
python3 "$src/scripts/readme_text.py" "$src/README.md" >"$stage/README.txt"
sed 's/$/\r/' "$src/LICENSE" >"$stage/LICENSE.txt"
chmod 0644 "$stage"/*
touch -d "$release_time" "$stage"/*

mkdir -p "$out"
rm -f "$out/$name.zip"
# -X: no extra fields (owners, Unix times). strip-nondeterminism then sets
# every time and sorts the members by name.
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$name.zip" Corvex.exe LICENSE.txt README.txt)
strip-nondeterminism -T "$(date -d "$release_time" +%s)" "$out/$name.zip" >/dev/null
cp "$stage/Corvex.exe" "$out/Corvex.exe"
# What made these bytes. A copy of the source (the reproducibility check
# builds one) has no commit of its own.
commit=$(git -C "$src" rev-parse HEAD 2>/dev/null) || commit="none: built from a copy of the source"
{
    echo "Corvane $version, built by scripts/release.sh"
    echo "commit: $commit"
    echo "debian: $(debian_release), $(dpkg --print-architecture)"
    echo "to build it again: scripts/release.sh in a clone at that commit"
    echo "packages that shape the files, as installed:"
    shaping_versions
} >"$out/BUILDINFO.txt"
(cd "$out" && sha256sum "$name.zip" Corvex.exe BUILDINFO.txt >SHA256SUMS)
echo "Release in $out:"
cat "$out/SHA256SUMS"
