#!/usr/bin/env bash
# Builds the release twice, from two copies of the source in different
# folders, and checks that Corvex.exe, the zip, BUILDINFO.txt and
# SHA256SUMS are byte for byte the same. Then checks what the release
# holds: exactly Corvex.exe, README.txt and LICENSE.txt, with CRLF line ends
# in the texts; the zip's Corvex.exe is the one the build made (and EXE, if
# given); BUILDINFO.txt names this machine's Debian release and package
# versions; and the checksums match all three files.
#   scripts/check-reproducible.sh [EXE]
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
. "$src/scripts/deps.sh"
exe=${1:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for n in 1 2; do
    mkdir -p "$work/src$n-$RANDOM"
done
i=0
for dir in "$work"/src*; do
    i=$((i + 1))
    (cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir")
    bash "$src/scripts/release.sh" --source "$dir" --out "$work/dist-$i" >/dev/null
done

(cd "$work/dist-1" && sha256sum -- *)
if diff -r "$work/dist-1" "$work/dist-2"; then
    echo "reproducible: the two releases are identical"
else
    echo "NOT reproducible: the two releases differ"
    exit 1
fi

dist="$work/dist-1"
zip=("$dist"/corvane-*-win32.zip)
fail() { echo "FAIL: $*"; exit 1; }
[ "$(unzip -Z1 "${zip[0]}" | tr '\n' ' ')" = "Corvex.exe LICENSE.txt README.txt " ] ||
    fail "the zip holds $(unzip -Z1 "${zip[0]}" | tr '\n' ' ')"
unzip -q "${zip[0]}" -d "$work/unpacked"
cmp "$work/unpacked/Corvex.exe" "$dist/Corvex.exe" || fail "the zip's Corvex.exe is not the one built"
[ -z "$exe" ] || cmp "$exe" "$dist/Corvex.exe" || fail "the release's Corvex.exe differs from $exe"
for f in README.txt LICENSE.txt; do
    [ -s "$work/unpacked/$f" ] && ! grep -q $'[^\r]$' "$work/unpacked/$f" || fail "$f is empty or has a line without CRLF"
done
info="$dist/BUILDINFO.txt"
[ -s "$info" ] || fail "no BUILDINFO.txt"
grep -qxF "debian: $(debian_release), $(dpkg --print-architecture)" "$info" ||
    fail "BUILDINFO.txt does not name this machine's Debian release: $(grep '^debian:' "$info")"
while IFS= read -r line; do
    grep -qxF -- "$line" "$info" || fail "BUILDINFO.txt does not name the installed${line}"
done < <(shaping_versions)
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | LC_ALL=C sort | tr '\n' ' ')" = "BUILDINFO.txt Corvex.exe ${zip[0]##*/} " ] ||
    fail "SHA256SUMS should list the zip, Corvex.exe and BUILDINFO.txt"
echo "ok: the release holds the three files, the built Corvex.exe, this machine's build info and matching checksums"
