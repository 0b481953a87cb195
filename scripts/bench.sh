#!/usr/bin/env bash
# Benchmarks this engine (Corvane) against OpenSSL's Blowfish, side by side
# in one process, in two builds: the x86-64 Release build (Command/*, ...)
# and a 32-bit x86 build that compiles the engine with Corvex.exe's own
# flags (Command32/*, ...), timed against Debian's 32-bit OpenSSL. Prints
# each ratio Corvane/OpenSSL and the key schedule's cycles per round.
#   scripts/bench.sh [--json FILE]    FILE gets both builds' results
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${HOST_PACKAGES[@]}" "${BENCH32_PACKAGES[@]}"

json=
if [ "${1:-}" = "--json" ]; then
    json=${2:?usage: scripts/bench.sh [--json FILE]}
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -O2 bench/clock_probe.cpp -o "$work/clock_probe"
ghz=$("$work/clock_probe")

# 32-bit programs must run on the processor itself, not through the qemu
# registration that scripts/wine.sh makes on machines that need it.
if [ -e /proc/sys/fs/binfmt_misc/corvane-i386 ]; then
    echo "qemu-i386 is registered for 32-bit programs (a Wine run is going on?); try again after it." >&2
    exit 1
fi

for preset in host-release host32-release; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target cipher_bench >/dev/null
    if ! "build/$preset/cipher_bench" --benchmark_list_tests >/dev/null 2>&1; then
        echo "build/$preset/cipher_bench cannot run on this machine (no 32-bit x86 support)." >&2
        exit 1
    fi
    "build/$preset/cipher_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_out="$work/$preset.json" --benchmark_out_format=json
done

python3 - "$work/host-release.json" "$work/host32-release.json" "$ghz" "${json:-}" <<'PY'
import json, sys
runs = [json.load(open(f)) for f in sys.argv[1:3]]
ghz = float(sys.argv[3])
merged = runs[0]
merged["benchmarks"] += runs[1]["benchmarks"]
merged["context"]["build_32"] = runs[1]["context"]
if sys.argv[4]:
    json.dump(merged, open(sys.argv[4], "w"), indent=2)
median = {b["run_name"]: b["cpu_time"] for b in merged["benchmarks"] if b.get("aggregate_name") == "median"}
print(f"\ncore clock, estimated: {ghz:.2f} GHz")
rounds = 521 * 16
for bits, suffix in (("x86-64, Release", ""), ("i686, as Corvex.exe", "32")):
    print(f"{bits}:")
    for name in ("Command", "KeySchedule", "Blocks"):
        c, o = median[f"{name}{suffix}/Corvane"], median[f"{name}{suffix}/OpenSSL"]
        print(f"  {name + suffix + ':':15} Corvane {c:10.0f} ns  OpenSSL {o:10.0f} ns  ratio {c / o:.2f}")
    c, o = (median[f"KeySchedule{suffix}/{e}"] / rounds * ghz for e in ("Corvane", "OpenSSL"))
    print(f"  key schedule: {c:.1f} cycles per round (OpenSSL {o:.1f})")
PY
