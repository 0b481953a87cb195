#!/usr/bin/env bash
# need_packages against a stand-in apt-get first on PATH, as a mirror in
# the middle of a sync answers: an update that cannot fetch a list, once or
# every time, and an install that then fails or works.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# sudo would not keep the stand-in first on PATH.
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STANDIN_DIR/calls"
case " $* " in
*" update "*)
    echo x >>"$STANDIN_DIR/updates"
    if [ "$(wc -l <"$STANDIN_DIR/updates")" -le "$STANDIN_UPDATE_FAILURES" ]; then
        echo "E: Failed to fetch http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
    fi ;;
*" install "*)
    if [ "$STANDIN_INSTALL" != works ]; then
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
    fi ;;
esac
STANDIN
chmod +x "$work/bin/apt-get"

passes=0
failures=0
check() {
    if eval "$2"; then
        echo "ok: $1"
        passes=$((passes + 1))
    else
        echo "FAIL: $1"
        failures=$((failures + 1))
    fi
}

# run CASE UPDATE_FAILURES INSTALL: need_packages of a package that is not
# installed; its output in $work/CASE.out, its status in $work/CASE.rc.
run() {
    mkdir "$work/$1"
    (
        export PATH="$work/bin:$PATH" STANDIN_DIR="$work/$1" STANDIN_UPDATE_FAILURES=$2 STANDIN_INSTALL=$3
        export CORVANE_APT_PAUSE=0
        . "$root/scripts/deps.sh"
        need_packages corvane-standin-not-installed
    ) >"$work/$1.out" 2>&1
    echo $? >"$work/$1.rc"
    sed "s/^/  $1: /" "$work/$1.out"
}
calls() { grep -c " $2" "$work/$1/calls"; }

run syncing 99 fails
check "a failing update is tried 3 times" '[ "$(calls syncing update)" -eq 3 ]'
check "the install is tried with the lists there are, then with the release's own" \
      '[ "$(calls syncing install)" -eq 2 ] && grep -q "install .*-t [a-z]" "$work/syncing/calls"'
check "it fails" '[ "$(cat "$work/syncing.rc")" -ne 0 ]'
check "apt's own message is shown" 'grep -q "Mirror sync in progress" "$work/syncing.out"'
check "it names the list it could not fetch" \
      'grep -qx "  http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz" "$work/syncing.out"'
check "it says why and what to do" \
      'grep -q "mirror that is being updated" "$work/syncing.out" && grep -q "Run the command again later, or use another Debian mirror" "$work/syncing.out"'

run synced 1 works
check "an update that fails once is tried again" '[ "$(calls synced update)" -eq 2 ]'
check "then the install runs once, and works" '[ "$(calls synced install)" -eq 1 ] && [ "$(cat "$work/synced.rc")" -eq 0 ]'
check "no word of a mirror" '! grep -q "mirror" "$work/synced.out"'

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
