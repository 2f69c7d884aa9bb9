#!/usr/bin/env bash
# The main job: installs what is missing, builds, then runs the demo: the example project
# asm1-benchmark is relaxed to its steady state and run through three days of its diurnal
# variation; results file, CSV, charts, steady state and summary go to narv-demo-output/.
# Where a display is available ($DISPLAY set) it then opens the desktop program narv on a copy
# of the demo's project, whose plant is the relaxed one, with the demo's results in their window;
# without a display it stops there.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh" release

cli="$root/build/src/cli/narv-cli"
out="$root/narv-demo-output"
echo
"$cli" --version
"$cli" demo --out "$out"

narv="$root/build/src/app/narv"
if [ -z "${DISPLAY:-}" ] || [ ! -x "$narv" ]; then
    exit 0
fi
# The desktop program's own directory: its settings file, and the user directory with the
# project. An existing copy is kept, so that nothing done in the program is overwritten.
desktop="$out/desktop"
project="$desktop/user/asm1-benchmark"
if [ ! -d "$project" ]; then
    example="$root/examples/asm1-benchmark/asm1-benchmark"
    mkdir -p "$project" "$desktop/user/model"
    cp "$example.mod" "$example.vrt" "$project/"
    cp "$out/steady-state.pln" "$project/asm1-benchmark.pln"
fi
if [ ! -f "$desktop/NARV.ini" ]; then
    printf '[Directories]\r\nNARVModel=%s\r\n' "$root/data/models" >"$desktop/NARV.ini"
fi
echo
echo "Opening the demo's project in the desktop program: $project"
cd "$desktop"
exec "$narv" "$project" --results "$out/asm1-benchmark.rlt"
