#!/usr/bin/env bash
# Configures and builds NARV into a build directory: scripts/build.sh [release|asan|noqt]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
variant="${1:-release}"

bash "$root/scripts/install-deps.sh"

case "$variant" in
    release) dir="$root/build";      options=(-DCMAKE_BUILD_TYPE=Release) ;;
    # The sanitizer pass covers the parts without Qt, which is also the build of a machine without
    # Qt; built by clang, it brings the libFuzzer targets of the readers along (scripts/fuzz.sh).
    asan)    dir="$root/build-asan"; options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DNARV_SANITIZE=ON -DNARV_FUZZ=ON -DNARV_BUILD_UI=OFF -DNARV_BUILD_BENCH=OFF
                                              -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    # Core, CLI and tests without Qt: what a machine without Qt builds.
    noqt)    dir="$root/build-noqt"; options=(-DCMAKE_BUILD_TYPE=Release -DNARV_BUILD_UI=OFF -DNARV_BUILD_BENCH=OFF) ;;
    *) echo "unknown build variant: $variant (release, asan or noqt)" >&2; exit 2 ;;
esac

# A compiler cache, where one is installed, makes rebuilds of other checkouts cheap.
if command -v ccache >/dev/null 2>&1; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
fi
cmake -S "$root" -B "$dir" -G Ninja -DNARV_WERROR=ON "${options[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
