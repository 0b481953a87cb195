#!/usr/bin/env bash
# Checks that a release is exactly what its BUILDINFO.txt says.
#
#   scripts/check-reproducible.sh DOWNLOAD
# DOWNLOAD is a downloaded release folder, or its BUILDINFO.txt. Reads the
# commit and the versions (strictly: each field once, no unknown line),
# says which versions differ from this machine's, builds that commit from
# this clone and compares the zip and Corvex.exe that the folder holds
# with the build's, byte for byte.
#
#   scripts/check-reproducible.sh [EXE]
# Checks the release process itself. Builds the release from two copies of
# this source, committed alike in different folders, one of them with
# build flags in the environment, a python3 of its own first on PATH and
# core.autocrlf=true in git's settings, and fails unless the two are byte
# for byte the same; the zip holds exactly Corvex.exe, README.txt and
# LICENSE.txt, with CRLF line ends in the texts, and its Corvex.exe is the
# one built (and EXE, if given); a copy inside another git work tree names
# no commit and gives the same files; BUILDINFO.txt names this machine's system,
# tools and versions; and the checksums match. Then checks a download as
# above on that release, and that it refuses one with a second version
# line for a package, or with a commit that does not exist.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
. "$src/scripts/deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# read_buildinfo FILE: parses a BUILDINFO.txt into INFO_VERSION,
# INFO_COMMIT, INFO_SYSTEM, INFO_TOOLS and INFO_PACKAGES (lines as
# shaping_tools and shaping_versions print them). Fails on a field or an
# entry given twice, one missing, or a line it does not know.
read_buildinfo() {
    local file=$1 section= line n=0 key
    local -A seen=()
    INFO_VERSION= INFO_COMMIT= INFO_SYSTEM= INFO_TOOLS= INFO_PACKAGES=
    once() {
        [ -z "${seen[$1]:-}" ] || fail "$file line $n: $1 a second time: $line"
        seen[$1]=1
    }
    while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        case "$line" in
        "Corvane "*", built by scripts/release.sh")
            once "the first line"
            INFO_VERSION=${line#Corvane }
            INFO_VERSION=${INFO_VERSION%%,*}
            section= ;;
        "commit: "*) once commit; INFO_COMMIT=${line#commit: }; section= ;;
        "system: "*) once system; INFO_SYSTEM=${line#system: }; section= ;;
        "to build it again: scripts/release.sh in a clone at that commit") once "how to build it"; section= ;;
        "tools that ran, the file each is and its package:") once tools; section=tools ;;
        "packages that shape the files, as installed:") once packages; section=packages ;;
        "  "*)
            read -r -a words <<<"$line"
            key="$section ${words[0]:-}"
            if [ "$section" = tools ] && [ ${#words[@]} -eq 3 ]; then
                once "$key"
                INFO_TOOLS+="$line"$'\n'
            elif [ "$section" = packages ] && [ ${#words[@]} -eq 2 ]; then
                once "$key"
                INFO_PACKAGES+="$line"$'\n'
            else
                fail "$file line $n is not a line of the ${section:-header}: $line"
            fi ;;
        *) fail "$file line $n is not a line of BUILDINFO.txt: $line" ;;
        esac
    done <"$file"
    for key in "the first line" commit system "how to build it" tools packages; do
        [ -n "${seen[$key]:-}" ] || fail "$file has no $key"
    done
    [[ "$INFO_VERSION" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$file: not a version: $INFO_VERSION"
    [[ "$INFO_COMMIT" =~ ^[0-9a-f]{40}$ ]] || [ "$INFO_COMMIT" = "none: built from a copy of the source" ] ||
        fail "$file: not a commit: $INFO_COMMIT"
}

# differences: what of the parsed BUILDINFO.txt differs from this machine,
# a line each; nothing where all is the same.
differences() {
    local here
    here="$(system_release), $(dpkg --print-architecture)"
    [ "$INFO_SYSTEM" = "$here" ] || echo "system: $INFO_SYSTEM; here $here"
    diff <(printf '%s' "$INFO_TOOLS") <(shaping_tools) | sed -n 's/^< /tool there: /p; s/^> /tool here:  /p' || true
    diff <(printf '%s' "$INFO_PACKAGES") <(shaping_versions) | sed -n 's/^< /there: /p; s/^> /here:  /p' || true
}

# check_download DOWNLOAD REPO: builds the commit that DOWNLOAD's
# BUILDINFO.txt names from the git repository REPO, and compares.
check_download() {
    local download=$1 repo=$2 info dir found=0 f diffs
    if [ -d "$download" ]; then
        dir=$download
        info=$download/BUILDINFO.txt
    else
        dir=$(dirname "$download")
        info=$download
    fi
    [ -f "$info" ] || fail "no BUILDINFO.txt in $download"
    read_buildinfo "$info"
    echo "BUILDINFO.txt: Corvane $INFO_VERSION, commit $INFO_COMMIT"
    [ "$INFO_COMMIT" != "none: built from a copy of the source" ] ||
        fail "$info names no commit: that release was built from a copy of the source"
    git -C "$repo" cat-file -e "$INFO_COMMIT^{commit}" 2>/dev/null ||
        fail "commit $INFO_COMMIT is not in $repo: fetch it first, or it does not exist"
    diffs=$(differences)
    if [ -n "$diffs" ]; then
        echo "This machine differs from the one that built it; the bytes may differ too:"
        printf '%s\n' "$diffs"
    else
        echo "This machine has the system, tools and versions that built it."
    fi
    local at="$work/at-$RANDOM" rebuilt="$work/rebuilt-$RANDOM"
    env -i PATH=/usr/bin:/bin HOME=/nonexistent GIT_CONFIG_NOSYSTEM=1 \
        git -c core.autocrlf=false clone -q --no-checkout "$repo" "$at"
    env -i PATH=/usr/bin:/bin HOME=/nonexistent GIT_CONFIG_NOSYSTEM=1 git -C "$at" checkout -q "$INFO_COMMIT"
    env -i PATH=/usr/bin:/bin HOME=/nonexistent LC_ALL=C TZ=UTC bash "$at/scripts/release.sh" --out "$rebuilt" >/dev/null
    for f in "$dir"/corvane-*-win32.zip "$dir/Corvex.exe"; do
        [ -f "$f" ] || continue
        found=$((found + 1))
        cmp -s "$f" "$rebuilt/${f##*/}" || fail "${f##*/} differs from the one built from commit $INFO_COMMIT"
        echo "ok: ${f##*/} is byte for byte the one built from commit $INFO_COMMIT"
    done
    [ "$found" -gt 0 ] || fail "$dir holds neither the zip nor Corvex.exe to compare"
}

if [ -n "${1:-}" ] && { [ -d "$1" ] || [ "${1##*/}" = BUILDINFO.txt ]; }; then
    check_download "$1" "$src"
    exit 0
fi
exe=${1:-}

# Two copies of the source as it is, each committed alike, so both name the
# same commit.
for n in 1 2; do
    dir="$work/src$n-$RANDOM"
    mkdir -p "$dir"
    (cd "$src" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$dir")
    (
        cd "$dir"
        export HOME=/nonexistent GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=check GIT_AUTHOR_EMAIL=check@invalid \
            GIT_COMMITTER_NAME=check GIT_COMMITTER_EMAIL=check@invalid \
            GIT_AUTHOR_DATE=2000-01-01T00:00:00Z GIT_COMMITTER_DATE=2000-01-01T00:00:00Z
        git -c core.autocrlf=false init -q
        git -c core.autocrlf=false add -A
        git -c core.autocrlf=false commit -q -m copy
    )
done
copies=("$work"/src*)
# The second build, as a builder's environment might have it.
home="$work/home"
mkdir -p "$home" "$work/bin"
printf '[core]\n\tautocrlf = true\n' >"$home/.gitconfig"
printf '#!/bin/sh\necho "not the python3 that the release runs" >&2\nexit 1\n' >"$work/bin/python3"
chmod +x "$work/bin/python3"
bash "${copies[0]}/scripts/release.sh" --out "$work/dist-1" >/dev/null
HOME="$home" PATH="$work/bin:$PATH" CFLAGS=-march=native CXXFLAGS="-march=native -fno-omit-frame-pointer" \
    LDFLAGS=-Wl,--build-id bash "${copies[1]}/scripts/release.sh" --out "$work/dist-2" >/dev/null

# A copy of the source inside another git work tree names no commit, and
# gives the same files.
mkdir -p "$work/outer"
git -C "$work/outer" init -q
HOME=/nonexistent GIT_CONFIG_NOSYSTEM=1 git -C "$work/outer" -c user.name=check -c user.email=check@invalid \
    commit -q --allow-empty -m outer
cp -r "${copies[0]}" "$work/outer/corvane"
rm -rf "$work/outer/corvane/.git"
bash "$src/scripts/release.sh" --source "$work/outer/corvane" --out "$work/dist-inside" >/dev/null
grep -qx "commit: none: built from a copy of the source" "$work/dist-inside/BUILDINFO.txt" ||
    fail "a copy inside another work tree names $(grep '^commit:' "$work/dist-inside/BUILDINFO.txt")"
for f in Corvex.exe "${zip_name:=$(cd "$work/dist-1" && ls corvane-*-win32.zip)}"; do
    cmp -s "$work/dist-1/$f" "$work/dist-inside/$f" || fail "$f built inside another work tree differs"
done
echo "ok: a copy inside another git work tree names no commit and gives the same files"

(cd "$work/dist-1" && sha256sum -- *)
if diff -r "$work/dist-1" "$work/dist-2"; then
    echo "reproducible: the two releases are identical, build flags, PATH and git's settings notwithstanding"
else
    echo "NOT reproducible: the two releases differ"
    exit 1
fi

dist="$work/dist-1"
zip=("$dist"/corvane-*-win32.zip)
[ "$(unzip -Z1 "${zip[0]}" | tr '\n' ' ')" = "Corvex.exe LICENSE.txt README.txt " ] ||
    fail "the zip holds $(unzip -Z1 "${zip[0]}" | tr '\n' ' ')"
unzip -q "${zip[0]}" -d "$work/unpacked"
cmp "$work/unpacked/Corvex.exe" "$dist/Corvex.exe" || fail "the zip's Corvex.exe is not the one built"
[ -z "$exe" ] || cmp "$exe" "$dist/Corvex.exe" || fail "the release's Corvex.exe differs from $exe"
for f in README.txt LICENSE.txt; do
    [ -s "$work/unpacked/$f" ] && ! grep -q $'[^\r]$' "$work/unpacked/$f" || fail "$f is empty or has a line without CRLF"
done
read_buildinfo "$dist/BUILDINFO.txt"
[ -z "$(differences)" ] || fail "BUILDINFO.txt does not name this machine: $(differences)"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(cut -d' ' -f3 "$dist/SHA256SUMS" | LC_ALL=C sort | tr '\n' ' ')" = "BUILDINFO.txt Corvex.exe ${zip[0]##*/} " ] ||
    fail "SHA256SUMS should list the zip, Corvex.exe and BUILDINFO.txt"
echo "ok: the release holds the three files, the built Corvex.exe, this machine's build info and matching checksums"

# A download, as someone would check it: this one passes, and one with a
# contradicting line or a forged commit is refused.
check_download "$dist" "${copies[0]}"
refused() {
    local what=$1 expect=$2 out
    if out=$( (check_download "$work/$what" "${copies[0]}") 2>&1); then
        fail "a download with $what was taken"
    fi
    grep -q "$expect" <<<"$out" || fail "a download with $what was refused for another reason: $out"
    echo "ok: a download with $what is refused: $(grep FAIL <<<"$out")"
}
cp -r "$dist" "$work/a-second-zip-line"
sed -i '/^  zip /p' "$work/a-second-zip-line/BUILDINFO.txt"
refused a-second-zip-line "packages zip a second time"
cp -r "$dist" "$work/a-forged-commit"
sed -i "s/^commit: .*/commit: $(printf 'f%.0s' {1..40})/" "$work/a-forged-commit/BUILDINFO.txt"
refused a-forged-commit "is not in"
