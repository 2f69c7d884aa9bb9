#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# scripts/run-tests.sh --sanitize runs it under AddressSanitizer and UndefinedBehaviorSanitizer,
# then fuzzes every reader for a short, fixed time;
# scripts/run-tests.sh --no-qt builds and runs it without the Qt parts.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
variant=release
dir="$root/build"
case "${1:-}" in
    --sanitize)
        variant=asan
        dir="$root/build-asan"
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        ;;
    --no-qt)
        variant=noqt
        dir="$root/build-noqt"
        ;;
esac
bash "$root/scripts/build.sh" "$variant"
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
# The desktop program end to end, under a virtual X server (release build only: the sanitizers
# make the program too slow for a person's pace).
if [ "$variant" = release ] && [ -x "$dir/src/app/narv" ]; then
    bash "$root/tests/e2e/run-e2e.sh" "$dir"
fi
# The readers under libFuzzer: the seeds and kept inputs again, then a bounded search for new faults.
if [ "$variant" = asan ]; then
    bash "$root/scripts/fuzz.sh" --ci --build "$dir"
fi
