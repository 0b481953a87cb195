#!/usr/bin/env bash
# Remakes the README's pictures from the real Corvex.exe under Wine, driven
# with the keyboard as a user would, on a private Xvfb display:
#   docs/key-dialog.png   the key dialog, "Please Input Key!", that the first
#                         Encrypt opens
#   docs/main-window.png  the main window with a text and its cipher text
#   docs/warning.png      the warning for a cipher text that cannot come back
#   docs/key-warning.png  the question for a key the code page cannot hold,
#                         pasted through the clipboard as a user would
#   docs/wrong-key.png    the warning after Decrypt with a mistyped key, of a
#                         cipher text copied and pasted back as a user would
#   scripts/screenshots.sh [DIR]      DIR instead of docs/
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/wine.sh

dir=$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)
text="Meet me at the old mill at six."
# Under this key its cipher text has a zero byte in its last block. The key
# is as the guide asks: 12 characters, letters, digits and a sign, no word;
# mistyped in its last character, Decrypt warns of the first text.
cut_text="Meet me at the old mill at dusk!"
key="3kEQSvc6+d9B"

need_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINE_PACKAGES[@]}" imagemagick xdotool xclip
cmake --preset windows >/dev/null
cmake --build --preset windows --target Corvex >/dev/null
lock_prefix
trap stop_wine EXIT
ensure_i386_exec
start_xvfb
ensure_prefix

marker=CORVANE_SCREENSHOTS_RUN=$$
CORVANE_SCREENSHOTS_RUN=$$ wine build/windows/Corvex.exe >/dev/null 2>&1 </dev/null &
pid=$!
# enter_key DIALOG KEY: types the key into the open key dialog, confirms it
# with Enter, and waits for the dialog to close.
enter_key() {
    xdotool mousemove --window "$1" 10 10
    xdotool type --delay 30 "$2"
    xdotool key Return
    for _ in $(seq 300); do
        wait_window "$pid" "$marker" "Please Input Key!" 0 >/dev/null || break
        sleep 0.5
    done
}
main=$(wait_window "$pid" "$marker" "Corvane v1.0" 900) || { echo "Corvex.exe showed no window" >&2; exit 1; }
# The input field has the focus; keys go to the window under the pointer.
xdotool mousemove --window "$main" 40 40
xdotool type --delay 30 "$text"
xdotool key alt+a e # Action > Encrypt: the key is empty, so it is asked for
dialog=$(wait_window "$pid" "$marker" "Please Input Key!" 300) || { echo "no key dialog" >&2; exit 1; }
xdotool mousemove --window "$dialog" 10 10
xdotool type --delay 30 "$key"
save_windows "$dir/key-dialog.png" "$main" "$dialog"
enter_key "$dialog" ""
save_windows "$dir/main-window.png" "$main"
# The input field has the focus again: replace its text and encrypt.
xdotool key ctrl+a
xdotool type --delay 30 "$cut_text"
xdotool key alt+a e
warning=$(wait_window "$pid" "$marker" "Corvex" 300) || { echo "no warning" >&2; exit 1; }
save_windows "$dir/warning.png" "$main" "$warning"
xdotool key Return
# A Cyrillic key, which code page 1252 cannot hold: Key > Input Key, then a
# paste (xclip serves the clipboard for one paste).
xdotool key alt+k i
dialog=$(wait_window "$pid" "$marker" "Please Input Key!" 300) || { echo "no key dialog" >&2; exit 1; }
xdotool mousemove --window "$dialog" 10 10
printf '%s' "ключ" | timeout 60 xclip -selection clipboard -loops 1 &
sleep 1
xdotool key ctrl+v
xdotool key Return
question=$(wait_window "$pid" "$marker" "Corvex" 300) || { echo "no question" >&2; exit 1; }
save_windows "$dir/key-warning.png" "$main" "$dialog" "$question"
# No: type the right key instead. Encrypt the text again, copy its cipher
# text from "Output String" as the README says (right-click, Select All,
# right-click, Copy), paste it into "Input String", and decrypt it under a
# mistyped key.
xdotool key Return
enter_key "$dialog" "$key"
xdotool mousemove --window "$main" 230 90 click 1
xdotool key ctrl+a
xdotool type --delay 30 "$text"
xdotool key alt+a e
sleep 2
xdotool mousemove --window "$main" 230 235 click 3
sleep 1
xdotool key a
xdotool click 3
sleep 1
xdotool key c
xdotool mousemove --window "$main" 230 90 click 1
xdotool key ctrl+a ctrl+v
xdotool key alt+k i
dialog=$(wait_window "$pid" "$marker" "Please Input Key!" 300) || { echo "no key dialog" >&2; exit 1; }
enter_key "$dialog" "${key%?}z"
xdotool key alt+a d
warning=$(wait_window "$pid" "$marker" "Corvex" 300) || { echo "no warning after Decrypt" >&2; exit 1; }
save_windows "$dir/wrong-key.png" "$main" "$warning"
