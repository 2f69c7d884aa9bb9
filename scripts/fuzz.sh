#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers (clang, ASan, UBSan) into build-fuzz and runs them.
#   scripts/fuzz.sh [--ci] [--build DIR] [--seconds N] [--jobs J] [TARGET...]
# Each target first replays its seeds and kept inputs (fuzz/corpus/TARGET,
# fuzz/regressions/TARGET), then fuzzes for N seconds (default 60) from its seeds with its
# dictionary (fuzz/dict/TARGET.dict). A long run keeps its corpus in build-fuzz/corpus/TARGET and
# continues from it next time; --ci starts from the seeds alone in a fresh directory and gives
# each target 25 seconds (all together well within 5 minutes). --build DIR runs the fuzzers of
# another build configured with -DNARV_FUZZ=ON (the sanitizer pass of CI) instead of build-fuzz.
# A finding (crash, sanitizer report, timeout, out of memory) is saved as
# DIR/findings/TARGET-*, and the script exits 1. Prints the executions per target.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$root/build-fuzz"
own_build=1
all=(model plant variation settings continuous results chart hints)
ci=0
seconds=60
jobs=1
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --ci) ci=1 ;;
        --seconds) seconds="$2"; shift ;;
        --jobs) jobs="$2"; shift ;;
        --build) dir="$(cd "$2" && pwd)"; own_build=0; shift ;;
        -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
        -*) echo "unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1") ;;
    esac
    shift
done
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
if [ "$ci" = 1 ]; then
    # A fixed budget per target; all eight together stay well within 5 minutes.
    seconds=25
fi

if [ "$own_build" = 1 ]; then
    bash "$root/scripts/install-deps.sh"
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
             -DNARV_FUZZ=ON -DNARV_BUILD_UI=OFF -DNARV_BUILD_TESTS=OFF -DNARV_BUILD_BENCH=OFF -DNARV_WERROR=ON)
    if command -v ccache >/dev/null 2>&1; then
        options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
    fi
    cmake -S "$root" -B "$dir" -G Ninja "${options[@]}" >/dev/null
elif ! grep -q '^NARV_FUZZ:BOOL=ON' "$dir/CMakeCache.txt" 2>/dev/null; then
    echo "$dir is not a build with -DNARV_FUZZ=ON" >&2
    exit 2
fi
cmake --build "$dir" --parallel "$(nproc)" --target $(printf 'narv-fuzz-%s ' "${targets[@]}")

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$dir/findings" "$dir/logs"
failed=0
summary=()
for target in "${targets[@]}"; do
    binary="$dir/fuzz/narv-fuzz-$target"
    seeds="$root/fuzz/corpus/$target"
    kept="$root/fuzz/regressions/$target"
    log="$dir/logs/$target.log"
    if [ "$ci" = 1 ]; then
        corpus="$(mktemp -d)"
    else
        corpus="$dir/corpus/$target"
        mkdir -p "$corpus"
    fi
    if [ -d "$kept" ] && [ -n "$(ls -A "$kept")" ]; then
        if ! "$binary" "$kept"/* > "$log" 2>&1; then
            echo "$target: a kept input fails again (log: $log)" >&2
            failed=1
        fi
    fi
    status=0
    # Several jobs write their own logs (fuzz-J.log) into the working directory.
    parallel=()
    work="$dir/logs/$target.jobs"
    rm -rf "$work"
    mkdir -p "$work"
    [ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
    (cd "$work" && "$binary" "$corpus" "$seeds" -dict="$root/fuzz/dict/$target.dict" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${parallel[@]}" \
        -print_final_stats=1 -artifact_prefix="$dir/findings/$target-") >> "$log" 2>&1 || status=$?
    cat "$work"/fuzz-*.log >> "$log" 2>/dev/null || true
    rm -rf "$work"
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{s += $2} END {print s + 0}')
    summary+=("$(printf '%-11s %10s executions in %ss' "$target" "$runs" "$seconds")")
    if [ "$status" -ne 0 ]; then
        echo "$target: finding (log: $log)" >&2
        grep -E "ERROR|SUMMARY|narv fuzz finding|runtime error" "$log" | head -5 >&2 || true
        failed=1
    fi
    [ "$ci" = 1 ] && rm -rf "$corpus"
done
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
    echo "fuzzing found faults: inputs in $dir/findings" >&2
    exit 1
fi
echo "fuzzing: no findings in ${#targets[@]} targets"
