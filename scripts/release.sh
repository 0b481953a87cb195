#!/usr/bin/env bash
# Builds the release from a clean checkout of HEAD into dist/:
#   corvane-VERSION-win32.zip Corvex.exe, README.txt (the user's part of the
#                           README as plain text with CRLF line ends) and
#                           LICENSE.txt
#   Corvex.exe              the same executable, on its own
#   BUILDINFO.txt           the commit, the system, the tools that ran and
#                           the versions of the packages that shape the
#                           bytes, and how to build it again
#   SHA256SUMS              for the zip, the executable and BUILDINFO.txt
# Two runs give byte-identical files: the build is reproducible, and the zip
# has fixed timestamps, order and permissions. Nothing of the builder's
# environment counts: compiler and linker flags, locale, time zone, umask,
# git's settings and the tools first on PATH are all set here.
#   scripts/release.sh [--source DIR] [--out DIR]
# --source builds from that folder as it is instead (the reproducibility
# check uses it); --out writes somewhere other than dist/.
set -euo pipefail
if [ -z "${CORVANE_RELEASE_ENV:-}" ]; then
    # No HOME: git reads no configuration of the user's (core.autocrlf
    # would give CRLF line ends), and none of the system's either.
    exec env -i CORVANE_RELEASE_ENV=1 PATH=/usr/bin:/bin HOME=/nonexistent LC_ALL=C TZ=UTC \
        GIT_CONFIG_NOSYSTEM=1 /bin/bash "$0" "$@"
fi
umask 022
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/deps.sh"

src=
out="$root/dist"
while [ $# -gt 0 ]; do
    case "$1" in
    --source) src=$(cd "$2" && pwd -P); shift 2 ;;
    --out) mkdir -p "$2"; out=$(cd "$2" && pwd); shift 2 ;;
    *) echo "usage: scripts/release.sh [--source DIR] [--out DIR]" >&2; exit 2 ;;
    esac
done

need_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}" "${SHAPING_PACKAGES[@]}"
need_cmake

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$src" ]; then
    if [ -n "$(git -C "$root" status --porcelain)" ]; then
        echo "Note: uncommitted changes are not in the release; it is built from HEAD."
    fi
    git -c core.autocrlf=false -c core.eol=lf clone -q "$root" "$work/src"
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

/usr/bin/cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_MAKE_PROGRAM=/usr/bin/ninja -DCORVANE_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
/usr/bin/cmake --build "$work/build" --target Corvex >/dev/null
# The size and the imports are checked before anything is written.
if ! /usr/bin/python3 "$src/tests/pe/check_pe.py" "$work/build/Corvex.exe" >"$work/pe.log"; then
    grep '^FAIL' "$work/pe.log" >&2
    echo "Corvex.exe fails its checks; nothing was written to $out." >&2
    exit 1
fi

stage="$work/stage"
mkdir -p "$stage"
cp "$work/build/Corvex.exe" "$stage/Corvex.exe"
/usr/bin/python3 "$src/scripts/readme_text.py" "$src/README.md" >"$stage/README.txt"
/usr/bin/sed 's/\r*$/\r/' "$src/LICENSE" >"$stage/LICENSE.txt"
chmod 0644 "$stage"/*
touch -d "$release_time" "$stage"/*

mkdir -p "$out"
rm -f "$out/$name.zip"
# -X: no extra fields (owners, Unix times). strip-nondeterminism then sets
# every time and sorts the members by name.
(cd "$stage" && /usr/bin/zip -q -X -D "$out/$name.zip" Corvex.exe LICENSE.txt README.txt)
/usr/bin/strip-nondeterminism -T "$(date -d "$release_time" +%s)" "$out/$name.zip" >/dev/null
cp "$stage/Corvex.exe" "$out/Corvex.exe"
# What made these bytes. A copy of the source, or a folder inside another
# git work tree, has no commit of its own.
commit="none: built from a copy of the source"
if [ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null)" = "$src" ]; then
    commit=$(git -C "$src" rev-parse HEAD)
fi
{
    echo "Corvane $version, built by scripts/release.sh"
    echo "commit: $commit"
    echo "system: $(system_release), $(dpkg --print-architecture)"
    echo "to build it again: scripts/release.sh in a clone at that commit"
    echo "tools that ran, the file each is and its package:"
    shaping_tools
    echo "packages that shape the files, as installed:"
    shaping_versions
} >"$out/BUILDINFO.txt"
(cd "$out" && sha256sum "$name.zip" Corvex.exe BUILDINFO.txt >SHA256SUMS)
echo "Release in $out:"
cat "$out/SHA256SUMS"
