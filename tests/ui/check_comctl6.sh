#!/usr/bin/env bash
# Starts Corvex.exe under Wine and checks, by the Wine loader's own report,
# that its process loaded comctl32 from the version 6 side-by-side assembly
# that its manifest names, and not the system one. (A test inside Windows
# would list the process's modules, but that reads the process's memory,
# which an emulated Wine cannot do.)
#   check_comctl6.sh PATH/TO/Corvex.exe
set -uo pipefail
. "$(dirname "$0")/../../scripts/wine.sh"
exe=$1
log=$(mktemp)
trap 'rm -f "$log"' EXIT

marker=CORVANE_COMCTL6_RUN=$$
CORVANE_COMCTL6_RUN=$$ WINEDEBUG=+loaddll wine "$exe" 2>"$log" >/dev/null </dev/null &
pid=$!
# Its own main window, not another test's: then every DLL it needs is loaded.
shown=
wait_window "$pid" "$marker" "Corvane v1.0" 600 >/dev/null && shown=yes
stop_marked "$marker"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

grep -i 'comctl32' "$log" | sed 's/^/loader: /'
[ -n "$shown" ] || { echo "FAIL: Corvex.exe showed no window"; exit 1; }
v6='Loaded L"C:\\\\windows\\\\winsxs\\\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6\.0\.[^"]*\\\\comctl32\.dll"'
if grep -qiE "$v6" "$log" && ! grep -qiE 'Loaded L"C:\\\\windows\\\\system32\\\\comctl32\.dll"' "$log"; then
    echo "ok: Corvex.exe runs on common controls 6"
else
    echo "FAIL: Corvex.exe did not load common controls 6; on Windows its fields would then keep ANSI text," \
         "and on a multi-byte system nearly every cipher text would be warned of (Wine's fields are wide either way)"
    exit 1
fi
