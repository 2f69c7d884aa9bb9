#!/usr/bin/env bash
# Whole-process times of narv-cli, as a user sees them: `demo` (relaxation, simulation, 30
# charts) and `relax` and `integrate` of the benchmark example. With two programs, runs them
# alternately in one hyperfine run, so that both see the same load:
#   bench/cli-times.sh NARV_CLI [OTHER_NARV_CLI]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
command -v hyperfine >/dev/null || { echo "cli-times.sh needs hyperfine" >&2; exit 2; }
example="$root/examples/asm1-benchmark"
files="--model $example/asm1-benchmark.mod --plant $example/asm1-benchmark.pln"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

commands=()
for cli in "$@"; do
    commands+=("$cli demo --out $out/demo --project $example")
done
hyperfine -N --warmup 1 --runs 10 "${commands[@]}"

commands=()
for cli in "$@"; do
    commands+=("$cli relax $files" "$cli integrate --days 14 $files")
done
hyperfine -N --warmup 3 --runs 40 "${commands[@]}"
