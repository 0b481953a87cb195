# Wine for Corvex.exe and its tests; sourced by the other scripts.
#
# Corvex.exe is 32-bit, so it runs on the 32-bit Wine loader. Some Linux
# machines (some virtual machines among them) cannot execute 32-bit x86
# code natively; there the loader runs through qemu's user-mode i386
# emulator, registered with binfmt_misc. That is slow but complete.

WINE_PACKAGES=(wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils qemu-user-static)

export WINEPREFIX="${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/corvane/wine32}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers, no menu entries, and no debugger: under
# emulation winedbg cannot read the crashed process and waits for ever.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"
export LC_ALL=C
# The 64-bit server serves 32-bit clients too, and runs natively.
[ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Makes 32-bit x86 Linux programs run, through qemu if the kernel cannot.
ensure_i386_exec() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        return 0
    fi
    echo "This machine cannot run 32-bit x86 programs; using qemu-i386 for Wine's loader."
    if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
        as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    fi
    if [ ! -e /proc/sys/fs/binfmt_misc/corvane-i386 ]; then
        local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        echo ":corvane-i386:M::${magic}:${mask}:/usr/bin/qemu-i386-static:F" |
            as_root tee /proc/sys/fs/binfmt_misc/register >/dev/null
    fi
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# wait_wineserver SECONDS: waits until the prefix's processes have ended;
# past the limit, ends them, so a stuck one cannot hang the run.
wait_wineserver() {
    if ! timeout "$1" wineserver -w; then
        echo "Wine did not settle within $1 s; ending its processes"
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
    wine wineboot -i >/dev/null 2>&1 </dev/null
    wait_wineserver 2400
    # Without this, every window close under Xvfb waits two seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
    wait_wineserver 600
    touch "$WINEPREFIX/.corvane-ready"
}

# Starts Xvfb on a free display unless DISPLAY is already usable.
XVFB_PID=
start_xvfb() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && return 0
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# Starts a persistent wineserver with the prefix's services up, so ctest's
# pipes are not held by them and each test starts faster. A window kept open
# meanwhile keeps Wine's desktop process alive between test processes;
# otherwise each of them would start it again.
start_wineserver() {
    wineserver -p >/dev/null 2>&1 </dev/null
    timeout 1800 wine wineboot >/dev/null 2>&1 </dev/null
    wine notepad >/dev/null 2>&1 </dev/null &
}

stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
}
