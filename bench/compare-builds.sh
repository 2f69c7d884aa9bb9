#!/usr/bin/env bash
# Two builds measured against each other in one run, so that both see the same load: the
# solver and rate benchmarks of each build folder alternately, ROUNDS times, then the medians
# of the CPU times over the rounds (the waits for a busy core left out) and their ratio new/old.
#   bench/compare-builds.sh OLD_BUILD NEW_BUILD [ROUNDS]
# bench/cli-times.sh OLD_BUILD/src/cli/narv-cli NEW_BUILD/src/cli/narv-cli times the whole
# programs the same way.
set -euo pipefail
old="$(realpath "$1")"
new="$(realpath "$2")"
rounds="${3:-5}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

for round in $(seq "$rounds"); do
    for side in old new; do
        dir="$old"
        [ "$side" = new ] && dir="$new"
        for program in narv-bench-solvers narv-bench-rates; do
            "$dir/bench/$program" --benchmark_format=json \
                --benchmark_out="$out/$side-$program-$round.json" >/dev/null
        done
    done
done

python3 - "$out" <<'EOF'
import json, pathlib, statistics, sys
from collections import defaultdict
times = {"old": defaultdict(list), "new": defaultdict(list)}
for file in pathlib.Path(sys.argv[1]).glob("*.json"):
    side = file.name.split("-")[0]
    for b in json.loads(file.read_text())["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        times[side][b["run_name"]].append(b["cpu_time"] * scale)
print(f"{'benchmark':40} {'old':>12} {'new':>12} {'new/old':>8}")
for name in sorted(times["new"]):
    if name not in times["old"]:
        continue
    a = statistics.median(times["old"][name])
    b = statistics.median(times["new"][name])
    unit, scale = ("ns", 1e9) if b < 1e-6 else ("ms", 1e3)
    print(f"{name:40} {a * scale:9.2f} {unit} {b * scale:9.2f} {unit} {b / a:8.3f}")
EOF
