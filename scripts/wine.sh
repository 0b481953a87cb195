# Wine for Corvex.exe and its tests; sourced by the other scripts.
#
# Corvex.exe is 32-bit, so it runs on the 32-bit Wine loader. Some Linux
# machines (some virtual machines among them) cannot execute 32-bit x86
# code natively; there the loader runs through qemu's user-mode i386
# emulator, registered with binfmt_misc. That is slow but complete.
# CORVANE_WINE_EMULATE=1 takes that path on any machine, to try it.
#
# The prefix is a 64-bit one, so Wine's own services, its desktop and the
# helpers these scripts start run as native 64-bit programs on any machine;
# only Corvex.exe and the 32-bit test programs need the 32-bit loader.

WINE_PACKAGES=(wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils qemu-user-static)

export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/corvane/wine64}"
export WINEARCH=win64
WINE64=/usr/lib/wine/wine64
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers, no menu entries, and no debugger: under
# emulation winedbg cannot read the crashed process and waits for ever.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
export LC_ALL=C
# The 64-bit server serves 32-bit clients too, and runs natively.
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64

# as_root, from the install helpers.
. "$(dirname "${BASH_SOURCE[0]}")/deps.sh"

# One run at a time on a machine: runs on a prefix share its wineserver and
# each ends it, and the qemu registration below holds for the whole machine.
# The lock is fd 9; the Wine and Xvfb processes started here close it, so
# one that outlives its run does not hold the lock.
lock_prefix() {
    exec 9>/tmp/corvane-wine.lock
    if ! flock -n 9; then
        echo "Another run is using Wine here; waiting up to 30 minutes for it to end..."
        flock -w 1800 9 || { echo "Wine is still in use by another run; giving up." >&2; return 1; }
    fi
}

BINFMT_ENTRY=/proc/sys/fs/binfmt_misc/corvane-i386
BINFMT_REGISTERED=

# Removes a registration that a killed run left behind. Only while holding
# the lock: then no run is using one.
drop_stale_i386_exec() {
    if [ -e "$BINFMT_ENTRY" ]; then
        echo -1 | as_root tee "$BINFMT_ENTRY" >/dev/null
    fi
}

# Makes 32-bit x86 Linux programs run, through qemu if the kernel cannot or
# CORVANE_WINE_EMULATE=1 asks for it. A registration left by an earlier run
# is removed first, so the native path is always tried as it is.
ensure_i386_exec() {
    drop_stale_i386_exec
    if [ "${CORVANE_WINE_EMULATE:-0}" = 1 ]; then
        echo "CORVANE_WINE_EMULATE=1: running Wine's 32-bit loader through qemu-i386."
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
        return 0
    else
        echo "This machine cannot run 32-bit x86 programs; using qemu-i386 for Wine's loader."
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    # At its start Wine reserves the address space above the 2 GiB that a
    # 32-bit program may use; where a reservation is not placed as asked,
    # as qemu 7 never places it, it tries again in halves down to 64 KiB:
    # some 65,000 calls, each costing qemu time in proportion to the
    # address space it gives the program. Given just more than Wine's loader
    # reserves itself (up to 0x82000000), a Wine process starts in about 8
    # seconds, not 90 (measured: 4 GiB 92 s, 3 GiB 66 s, 2.1 GiB 7 s).
    export QEMU_RESERVED_VA=0x84000000
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":corvane-i386:M::${magic}:${mask}:/usr/bin/qemu-i386-static:F" |
        as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
    BINFMT_REGISTERED=yes
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Removes the registration that ensure_i386_exec made, if it made one.
release_i386_exec() {
    if [ -n "$BINFMT_REGISTERED" ] && [ -e "$BINFMT_ENTRY" ]; then
        echo -1 | as_root tee "$BINFMT_ENTRY" >/dev/null
    fi
    BINFMT_REGISTERED=
}

# wait_wineserver SECONDS WHAT: waits until the prefix's processes have
# ended; past the limit, says so and ends them, so a stuck one cannot hang
# the run.
wait_wineserver() {
    if ! timeout "$1" wineserver -w; then
        echo "Wine did not settle within $1 s after $2; ending its processes."
        wineserver -k
    fi
}

# Creates the Wine prefix once; under emulation that takes minutes.
ensure_prefix() {
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.corvane-ready" ]; then
        return 0
    fi
    echo "Creating the Wine prefix in $WINEPREFIX (once; slow under emulation)..."
    mkdir -p "$WINEPREFIX"
    # One server for both steps, so the registry change does not start
    # Wine's services a second time.
    wineserver -p >/dev/null 2>&1 </dev/null 9>&-
    if ! timeout 1500 "$WINE64" wineboot -i >/dev/null 2>&1 </dev/null 9>&-; then
        echo "Creating the Wine prefix did not finish within 1500 s." >&2
        wineserver -k
        return 1
    fi
    # Without this, every window close under Xvfb waits two seconds.
    timeout 600 "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 </dev/null 9>&-
    # The prefix is made; the server saves it as it ends, and ends the
    # services with it.
    wineserver -k
    wait_wineserver 120 "creating the prefix"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "The Wine prefix could not be created." >&2
        return 1
    fi
    touch "$WINEPREFIX/.corvane-ready"
}

# Starts Xvfb on a display that it picks itself, so runs side by side never
# share one.
XVFB_PID=
start_xvfb() {
    local out
    out=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out" >/dev/null 2>&1 9>&- &
    XVFB_PID=$!
    for _ in $(seq 300); do
        if [ -s "$out" ]; then
            export DISPLAY=":$(head -1 "$out")"
            rm -f "$out"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$out"
    echo "could not start Xvfb" >&2
    return 1
}

stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# A run's processes carry a marker, NAME=VALUE, in their environment: Wine
# passes it on to the processes a program starts, and where `wine` hands
# the program to start.exe (Debian 13's qemu), its window is shown by a
# process other than the one launched.
marked() {
    tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qxF "$2"
}

# marked_pids MARKER: the processes of that run.
marked_pids() {
    local p
    for p in /proc/[0-9]*; do
        marked "${p#/proc/}" "$1" && echo "${p#/proc/}"
    done
}

# wait_window PID MARKER CAPTION SECONDS: prints the X window id of the
# window with that caption that a process of the run started as PID shows,
# once it is mapped; a window of another run with the same caption does not
# count. Fails when the run ends or SECONDS pass first.
wait_window() {
    local pid=$1 marker=$2 caption=$3 id shower
    for _ in $(seq 0 $(($4 * 4))); do
        kill -0 "$pid" 2>/dev/null || [ -n "$(marked_pids "$marker")" ] || return 1
        for id in $(xwininfo -root -children 2>/dev/null |
                    awk -v c="\"$caption\"" 'index($0, c) && !/\(has no name\)/ {print $1}'); do
            shower=$(xprop -id "$id" _NET_WM_PID 2>/dev/null | sed -n 's/^_NET_WM_PID(CARDINAL) = //p')
            if [ -n "$shower" ] && marked "$shower" "$marker" &&
               xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.25
    done
    return 1
}

# stop_marked MARKER: ends every process of that run.
stop_marked() {
    local p
    for p in $(marked_pids "$1"); do
        kill "$p" 2>/dev/null
    done
}

# Starts a persistent wineserver with the prefix's services up, so ctest's
# pipes are not held by them and each test starts faster. A window kept open
# meanwhile keeps Wine's desktop process alive between test processes;
# otherwise each of them would start it again. Returns once that window is
# shown, so the desktop process is this script's and not a test's.
start_wineserver() {
    wineserver -p >/dev/null 2>&1 </dev/null 9>&-
    # The first process starts the services and the desktop, and its window
    # shows only after them. By its path, so that this process is notepad
    # itself, not start.exe.
    CORVANE_DESKTOP_RUN=$$ "$WINE64" "$WINEPREFIX/drive_c/windows/system32/notepad.exe" >/dev/null 2>&1 </dev/null 9>&- &
    if ! wait_window $! CORVANE_DESKTOP_RUN=$$ "Untitled - Notepad" 900 >/dev/null; then
        echo "Wine's services and desktop did not come up within 900 s." >&2
        return 1
    fi
}

stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
}

# Ends what the scripts started for a run: Wine, Xvfb, the qemu registration.
stop_wine() {
    stop_wineserver
    stop_xvfb
    release_i386_exec
}

# save_windows FILE ID...: a PNG of the smallest rectangle around those
# windows, once they have had time to paint.
save_windows() {
    local file=$1 id geometry
    shift
    sleep 3
    geometry=$(for id in "$@"; do
        xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
            /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, x + w, y + h}'
    done | awk 'NR == 1 || $1 < x0 {x0=$1} NR == 1 || $2 < y0 {y0=$2}
                NR == 1 || $3 > x1 {x1=$3} NR == 1 || $4 > y1 {y1=$4}
                END {printf "%dx%d+%d+%d", x1 - x0, y1 - y0, x0, y0}')
    import -window root -crop "$geometry" +repage "$file"
    echo "Saved $file ($geometry)"
}
