#!/usr/bin/env bash
# Builds the host preset in Release and runs the benchmarks: this engine
# (Corvane) against OpenSSL's Blowfish, side by side, then prints each
# ratio Corvane/OpenSSL and the key schedule's cycles per round.
#   scripts/bench.sh [--json FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
need_packages "${HOST_PACKAGES[@]}"

json=
if [ "${1:-}" = "--json" ]; then
    json=${2:?usage: scripts/bench.sh [--json FILE]}
fi
out=${json:-$(mktemp)}

cmake --preset host-release >/dev/null
cmake --build --preset host-release --target cipher_bench >/dev/null
g++ -O2 bench/clock_probe.cpp -o build/host-release/clock_probe
ghz=$(build/host-release/clock_probe)

build/host-release/cipher_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json

python3 - "$out" "$ghz" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
ghz = float(sys.argv[2])
median = {b["run_name"]: b["cpu_time"] for b in data["benchmarks"] if b.get("aggregate_name") == "median"}
print(f"\ncore clock, estimated: {ghz:.2f} GHz")
for name in ("Command", "KeySchedule", "Blocks"):
    c, o = median[name + "/Corvane"], median[name + "/OpenSSL"]
    print(f"{name + ':':13} Corvane {c:10.0f} ns  OpenSSL {o:10.0f} ns  ratio {c / o:.2f}")
rounds = 521 * 16
ns = median["KeySchedule/Corvane"] / rounds
print(f"key schedule: {ns:.2f} ns per round = {ns * ghz:.1f} cycles per round "
      f"(OpenSSL {median['KeySchedule/OpenSSL'] / rounds * ghz:.1f})")
PY
[ -z "$json" ] && rm -f "$out"
exit 0
