#!/usr/bin/env bash
# The main job: installs what is missing, builds, then runs narv-cli on the shipped example.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" release

cli="$root/build/src/cli/narv-cli"
model="$root/examples/carbon-nitrogen/carbon-nitrogen.mod"
echo
"$cli" --version
"$cli" check --model "$model"
echo "Rates of compartment 1 at the model's initial conditions:"
"$cli" rates --model "$model" --compartment 1
