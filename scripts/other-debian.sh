#!/usr/bin/env bash
# Runs the README's test command on another Debian release: makes a minimal
# system of it with debootstrap (with its updates and security suites),
# clones this work tree's HEAD into it, and runs scripts/test.sh there in a
# chroot, with what Wine and Xvfb need bind-mounted. The mounts are undone
# whatever happens.
#   scripts/other-debian.sh RELEASE [MIRROR]     e.g. trixie
# Needs root. The system is made once, in ~/.cache/corvane/debian-RELEASE
# (CORVANE_DEBIAN_ROOT), and reused; delete it to start afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:?usage: scripts/other-debian.sh RELEASE [MIRROR]}
mirror=${2:-http://deb.debian.org/debian}
. scripts/deps.sh
need_packages debootstrap git || exit 1
root=${CORVANE_DEBIAN_ROOT:-$HOME/.cache/corvane/debian-$release}

if [ ! -e "$root/.corvane-made" ]; then
    rm -rf "$root"
    mkdir -p "$root"
    debootstrap --variant=minbase --include=ca-certificates,git "$release" "$root" "$mirror"
    cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror $release main
deb $mirror $release-updates main
deb ${mirror%/debian}/debian-security $release-security main
EOF
    touch "$root/.corvane-made"
fi

mounted=()
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[i]}" 2>/dev/null || true
    done
}
trap unmount_all EXIT INT TERM
# mount_in WHERE ARGS...: mounts inside the system, undone at the end.
mount_in() {
    local where=$root$1
    shift
    mkdir -p "$where"
    mount "$@" "$where"
    mounted+=("$where")
}
mount_in /proc -t proc proc
mount_in /sys --rbind /sys
mount_in /dev --rbind /dev
mount_in /tmp -t tmpfs tmpfs
# binfmt_misc, for the qemu registration on machines that cannot run i386
# code, is the host kernel's: the chroot sees it through its /proc.
[ -d /proc/sys/fs/binfmt_misc ] && ! mountpoint -q "$root/proc/sys/fs/binfmt_misc" &&
    mount_in /proc/sys/fs/binfmt_misc -t binfmt_misc binfmt_misc 2>/dev/null || true
cp /etc/resolv.conf "$root/etc/resolv.conf"

rm -rf "$root/root/corvane"
git clone -q . "$root/root/corvane"
echo "Debian $(cat "$root/etc/debian_version") in $root: bash scripts/test.sh"
start=$(date +%s)
status=0
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /root/corvane && bash scripts/test.sh' || status=$?
echo "scripts/test.sh on Debian $release: exit $status after $(($(date +%s) - start)) s"
exit "$status"
