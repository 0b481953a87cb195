#!/usr/bin/env bash
# Builds everything and runs every test; installs what is missing first.
# Ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
. scripts/wine.sh

need_packages "${HOST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINE_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}" &&
    need_cmake && need_clang_runtime || exit 1

passed=0
failed=0
status=0

# run_preset NAME: configure, build and test one preset, adding up its counts.
run_preset() {
    local name=$1 log started=$SECONDS
    log=$(mktemp)
    echo "== $name: configure and build"
    if ! cmake --preset "$name" >"$log" 2>&1 || ! cmake --build --preset "$name" >>"$log" 2>&1; then
        cat "$log"
        echo "== $name: build failed"
        failed=$((failed + 1))
        status=1
        return
    fi
    echo "== $name: test (built in $((SECONDS - started)) s)"
    started=$SECONDS
    ctest --preset "$name" 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    local summary
    summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$summary" ]; then
        echo "== $name: no test summary"
        failed=$((failed + 1))
        status=1
        return
    fi
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
    echo "== $name: tested in $((SECONDS - started)) s"
    passed=$((passed + t - f))
    failed=$((failed + f))
    [ "$rc" -ne 0 ] && status=1
    rm -f "$log"
}

# run_step NAME COMMAND...: one check that is not a ctest suite.
run_step() {
    local name=$1 started=$SECONDS
    shift
    echo "== $name"
    if "$@"; then
        echo "== $name: done in $((SECONDS - started)) s"
        passed=$((passed + 1))
    else
        echo "== $name: FAILED"
        failed=$((failed + 1))
        status=1
    fi
}

# Wine is made ready in the background while the host suites run: under
# emulation that takes minutes, mostly of one core.
wine_log=$(mktemp)
wine_setup=
trap '[ -n "$wine_setup" ] && kill "$wine_setup" 2>/dev/null; stop_wine; rm -f "$wine_log"' EXIT
if lock_prefix && ensure_i386_exec && start_xvfb; then
    (ensure_prefix && start_wineserver) >"$wine_log" 2>&1 &
    wine_setup=$!
fi

run_preset host
run_preset host-asan
run_step "static analysis" bash scripts/lint.sh
run_step "fuzzing, ${CORVANE_FUZZ_SECONDS:-60}s" bash scripts/fuzz.sh "${CORVANE_FUZZ_SECONDS:-60}"

# The Windows suite runs the real dialogs under Wine, on an Xvfb display.
# Built while Wine may still be getting ready; run_preset shows any error.
{ cmake --preset windows && cmake --build --preset windows; } >/dev/null 2>&1
echo "== windows: waiting for Wine to be ready"
wine_ready=no
[ -n "$wine_setup" ] && wait "$wine_setup" && wine_ready=yes
wine_setup=
cat "$wine_log"
if [ "$wine_ready" = yes ]; then
    run_preset windows
else
    echo "== windows: Wine could not be set up"
    failed=$((failed + 1))
    status=1
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
