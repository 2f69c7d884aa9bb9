#!/usr/bin/env bash
# The main job: installs what is missing, builds, then runs narv-cli on the shipped example.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" release

cli="$root/build/src/cli/narv-cli"
example="$root/examples/carbon-nitrogen/carbon-nitrogen"
out="$root/narv-demo-output"
mkdir -p "$out"
echo
"$cli" --version
"$cli" check --model "$example.mod" --plant "$example.pln"
echo
echo "Relaxation of the example plant to its steady state:"
"$cli" relax --model "$example.mod" --plant "$example.pln" \
    --save "$out/relaxed.pln" --state-json "$out/relaxed.json"
echo
echo "Two days of integration from the steady state:"
"$cli" integrate --model "$example.mod" --plant "$out/relaxed.pln" --days 2 \
    --state-json "$out/integrated.json"
echo
echo "Files written to $out"
