#!/usr/bin/env bash
# The main job: installs what is missing, builds, then runs narv-cli on the shipped example:
# the plant is relaxed to its steady state and then driven through three days of its diurnal
# variation; results file, CSV, charts and state land in narv-demo-output/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" release

cli="$root/build/src/cli/narv-cli"
example="$root/examples/carbon-nitrogen/carbon-nitrogen"
out="$root/narv-demo-output"
mkdir -p "$out"
echo
"$cli" --version
"$cli" check --model "$example.mod" --plant "$example.pln" --variation "$example.vrt"
echo
echo "Relaxation of the example plant to its steady state:"
"$cli" relax --model "$example.mod" --plant "$example.pln" --save "$out/relaxed.pln"
echo
echo "Three days of the diurnal variation from the steady state (the last day recorded):"
"$cli" simulate --model "$example.mod" --plant "$out/relaxed.pln" --variation "$example.vrt" \
    --cycles 3 --results "$out/results.rlt" --csv "$out/results.csv" --charts "$out/charts" \
    --state-json "$out/state.json"
echo
echo "Statistics of the ammonium chart:"
"$cli" results "$out/results.rlt" --stats | awk '/^S Ammonium/{show=1} show{print} show && /^$/{exit}'
echo "Files written to $out"
