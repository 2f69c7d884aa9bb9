#!/usr/bin/env bash
# The main job: installs what is missing, builds, then runs the demo: the example project
# asm1-benchmark is relaxed to its steady state and run through three days of its diurnal
# variation; results file, CSV, charts, steady state and summary go to narv-demo-output/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" release

cli="$root/build/src/cli/narv-cli"
echo
"$cli" --version
"$cli" demo --out "$root/narv-demo-output"
