#!/usr/bin/env bash
# Benchmarks this engine (Corvane) against OpenSSL's Blowfish, side by side
# in one process, in two builds: the x86-64 Release build (Command/*, ...)
# and a 32-bit x86 build that compiles the engine with Corvex.exe's own
# flags (Command32/*, ...), timed against Debian's 32-bit OpenSSL. Prints
# each ratio Corvane/OpenSSL and the key schedule's cycles per round.
#   scripts/bench.sh [--json FILE]    FILE gets the builds' results
# Where 32-bit x86 programs cannot run, only the x86-64 build is timed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${HOST_PACKAGES[@]}" "${BENCH32_PACKAGES[@]}" && need_cmake || exit 1

json=
if [ "${1:-}" = "--json" ]; then
    json=${2:?usage: scripts/bench.sh [--json FILE]}
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -O2 bench/clock_probe.cpp -o "$work/clock_probe"
ghz=$("$work/clock_probe")

# 32-bit programs must run on the processor itself, not through the qemu
# registration that a Wine run makes on machines that need it: wait for any
# such run to end, and keep others out meanwhile.
. scripts/wine.sh
lock_prefix
drop_stale_i386_exec

# bench PRESET: builds and times one build; fails if it cannot run here.
bench() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" --target cipher_bench >/dev/null
    "build/$1/cipher_bench" --benchmark_list_tests >/dev/null 2>&1 || return 1
    "build/$1/cipher_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out="$work/$1.json" --benchmark_out_format=json
}

bench host-release
builds=(host-release)
if bench host32-release; then
    builds+=(host32-release)
else
    echo "Not timed: the shipped 32-bit build needs a machine that runs i386 code natively, and this one cannot."
fi

python3 - "$ghz" "${json:-}" "${builds[@]/#/$work/}" <<'PY'
import json, sys
ghz = float(sys.argv[1])
runs = [json.load(open(f + ".json")) for f in sys.argv[3:]]
merged = runs[0]
for run in runs[1:]:
    merged["benchmarks"] += run["benchmarks"]
    merged["context"]["build_32"] = run["context"]
if sys.argv[2]:
    json.dump(merged, open(sys.argv[2], "w"), indent=2)
median = {b["run_name"]: b["cpu_time"] for b in merged["benchmarks"] if b.get("aggregate_name") == "median"}
print(f"\ncore clock, estimated: {ghz:.2f} GHz")
rounds = 521 * 16
for bits, suffix in (("x86-64, Release", ""), ("i686, as Corvex.exe", "32"))[:len(runs)]:
    print(f"{bits}:")
    for name in ("Command", "KeySchedule", "Blocks"):
        c, o = median[f"{name}{suffix}/Corvane"], median[f"{name}{suffix}/OpenSSL"]
        print(f"  {name + suffix + ':':15} Corvane {c:10.0f} ns  OpenSSL {o:10.0f} ns  ratio {c / o:.2f}")
    c, o = (median[f"KeySchedule{suffix}/{e}"] / rounds * ghz for e in ("Corvane", "OpenSSL"))
    print(f"  key schedule: {c:.1f} cycles per round (OpenSSL {o:.1f})")
PY

# The mend's worst case, x86-64 Release: a paste whose readings all run to
# the cap on the work, under every code page Decrypt reads one in.
cmake --build --preset host-release --target mend_bench >/dev/null
echo
build/host-release/mend_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
    grep -E '^(Benchmark|Mend_.*_max)'
