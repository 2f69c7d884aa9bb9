#!/usr/bin/env bash
# Runs every example through narv-cli and keeps all it writes, so that a change can be shown
# not to move any output by a bit.
#
#   scripts/compare-outputs.sh capture NARV_CLI DIR   runs the demo and integrate, relax, simulate
#                                                     and continuous of each example into DIR
#   scripts/compare-outputs.sh compare DIR_A DIR_B    compares two captures byte for byte; PNG
#                                                     files by their pixels where a pixel tool is
#                                                     given in NARV_PNG_PIXELS (narv-png-pixels)
#
# Every run keeps its stdout, stderr and exit code; lines with measured times are left out.
set -uo pipefail
command -v faketime >/dev/null || { echo "compare-outputs.sh needs faketime" >&2; exit 2; }
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

capture()
{
    local cli out
    cli="$(realpath "$1")"
    out="$2"
    rm -rf "$out"
    mkdir -p "$out/inputs"
    local examples=(asm1-benchmark carbon-nitrogen ai-demo sbr-demo)

    # run NAME ARGS...: one run in its own directory with its streams and exit code.
    run()
    {
        local name="$1"
        shift
        mkdir -p "$out/$name"
        # The results carry the date and time of the run: the clock stands still for them.
        (cd "$out/$name" &&
            FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f "2026-01-02 03:04:05" "$cli" "$@" \
                >stdout 2>stderr
            echo $? >rc)
        # Wall-clock figures differ on every run.
        sed -i -e '/^Time: /d' -e 's/; simulation time: [0-9:]*$//' "$out/$name/stdout"
    }

    run demo demo --out out --project "$root/examples/asm1-benchmark"

    for example in "${examples[@]}"; do
        local dir="$root/examples/$example"
        local common=(--model "$dir/$example.mod" --plant "$dir/$example.pln")
        local variation=()
        [ -f "$dir/$example.vrt" ] && variation=(--variation "$dir/$example.vrt")
        local outputs=(--save final.pln --state-json state.json)

        run "$example/integrate" integrate "${common[@]}" --days 14 "${outputs[@]}"
        run "$example/integrate-short" integrate "${common[@]}" --days 0.3 "${outputs[@]}"
        run "$example/relax" relax "${common[@]}" "${outputs[@]}"
        run "$example/relax-times" relax "${common[@]}" --times 5,1,0.5 "${outputs[@]}"
        run "$example/simulate" simulate "${common[@]}" "${variation[@]}" --cycles 2 \
            --results run.rlt --csv run.csv --charts charts "${outputs[@]}"
        run "$example/simulate-all" simulate "${common[@]}" "${variation[@]}" --cycles 2 \
            --all-cycles --results run.rlt --csv run.csv "${outputs[@]}"
        run "$example/results" results "$out/$example/simulate/run.rlt" --csv again.csv --stats

        # The measured table of the benchmark under each model's own header; a second table
        # holds the temperature for a day, so that rows of unchanged temperature follow each
        # other.
        local template="$out/inputs/$example-template.cin.csv"
        "$cli" continuous --model "$dir/$example.mod" --template "$template" >/dev/null
        local measured="$root/examples/asm1-benchmark/measured.cin.csv"
        local input="$out/inputs/$example.cin.csv"
        local steady="$out/inputs/$example-steady.cin.csv"
        { head -n 4 "$template"; tail -n +5 "$measured"; } >"$input"
        { head -n 4 "$template"; tail -n +5 "$measured" | awk -F';' -v OFS=';' \
            'NR <= 24 { $2 = "       15.00" } { print }'; } >"$steady"
        run "$example/continuous" continuous "${common[@]}" --input "$input" \
            --output out.cou.csv "${outputs[@]}"
        run "$example/continuous-steady" continuous "${common[@]}" --input "$steady" \
            --output out.cou.csv --compartment 1 "${outputs[@]}"
        run "$example/rates" rates "${common[@]}" --compartment 1
    done
}

compare()
{
    local a="$1" b="$2" status=0
    local files
    files="$(cd "$a" && find . -type f | sort; cd "$b" && find . -type f | sort)"
    while IFS= read -r file; do
        if [ ! -f "$a/$file" ] || [ ! -f "$b/$file" ]; then
            echo "only in one capture: $file"
            status=1
        elif [[ "$file" == *.png ]] && ! cmp -s "$a/$file" "$b/$file"; then
            if [ -z "${NARV_PNG_PIXELS:-}" ]; then
                echo "PNG differs (no pixel tool in NARV_PNG_PIXELS): $file"
                status=1
            elif [ "$("$NARV_PNG_PIXELS" "$a/$file")" != "$("$NARV_PNG_PIXELS" "$b/$file")" ]; then
                echo "PNG pixels differ: $file"
                status=1
            fi
        elif ! cmp -s "$a/$file" "$b/$file"; then
            echo "differs: $file"
            status=1
        fi
    done < <(echo "$files" | sort -u)
    [ $status -eq 0 ] && echo "The captures $a and $b are identical."
    return $status
}

case "${1:-}" in
    capture) capture "$2" "$3" ;;
    compare) compare "$2" "$3" ;;
    *) sed -n '2,11p' "${BASH_SOURCE[0]}" >&2; exit 2 ;;
esac
