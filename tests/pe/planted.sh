#!/usr/bin/env bash
# The PE check against an executable that it must not let pass: linked
# without the hardening flags, and importing a function by ordinal, which
# has no name to compare, and a function of a DLL loaded on first use,
# which MinGW's delay-load libraries keep out of every import directory.
#   tests/pe/planted.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat >p.c <<'C'
__declspec(dllimport) int __stdcall Ordinal(void);
__declspec(dllimport) int __stdcall Delayed(void);
void *__stdcall __delayLoadHelper2(void *descriptor, void *slot) { return descriptor ? slot : 0; }
void start(void) { Ordinal(); Delayed(); }
C
printf 'LIBRARY user32.dll\nEXPORTS\nOrdinal@0 @2000 NONAME\n' >ordinal.def
printf 'LIBRARY comctl32.dll\nEXPORTS\nDelayed@0\n' >delayed.def
i686-w64-mingw32-dlltool -k -d ordinal.def -l libordinal.a
i686-w64-mingw32-dlltool -k -d delayed.def -y libdelayed.a
i686-w64-mingw32-gcc -nostdlib -Wl,-e,_start p.c libordinal.a libdelayed.a -o planted.exe
if /usr/bin/python3 "$here/check_pe.py" planted.exe >out.txt 2>&1; then
    cat out.txt
    echo "FAIL: the PE check passed an executable with planted imports"
    exit 1
fi
status=0
for expect in "^imports: {'user32.dll': \['#2000'\]}" "^FAIL the only DLLs named are those imported: \['comctl32.dll'\]" \
    "^FAIL NO_SEH is set" "^FAIL TERMINAL_SERVER_AWARE is set"; do
    if grep -q "$expect" out.txt; then
        echo "ok: caught: $(grep "$expect" out.txt)"
    else
        echo "FAIL: not caught: $expect"
        status=1
    fi
done
exit $status
