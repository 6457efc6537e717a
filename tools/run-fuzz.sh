#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset) and runs each on its seed corpus.
#
#   tools/run-fuzz.sh --smoke            each target 15 s, one after another (CI)
#   tools/run-fuzz.sh --long [--jobs N]  each target 30 min, N at a time
#   options: --seconds S (time per target), --runs N (stop a target after N executions),
#            --max-len N (longest input tried; shorter inputs run faster), --no-build, and
#            target names to run only those
#
# New inputs go to build/fuzz/corpus/<target> (the checked-in seeds stay as they are); a crash,
# leak, time-out or broken check is kept in build/fuzz/findings and fails the run. The last
# lines give the executions each target reached.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=15
jobs=1
runs=-1
max_len=
build=1
targets=()
while (($#)); do
    case "$1" in
        --smoke) seconds=15 ;;
        --long) seconds=1800 ;;
        --seconds) seconds="$2"; shift ;;
        --jobs) jobs="$2"; shift ;;
        --runs) runs="$2"; shift ;;
        --max-len) max_len="$2"; shift ;;
        --no-build) build=0 ;;
        -*) echo "run-fuzz.sh: unknown option $1" >&2; exit 2 ;;
        *) targets+=("$1") ;;
    esac
    shift
done

if ((build)); then
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$(nproc)"
fi

if ((${#targets[@]} == 0)); then
    targets=()
    for folder in tests/fuzz/corpus/*/; do
        targets+=("$(basename "$folder")")
    done
fi

dictionary() {
    case "$1" in
        fuzz_tokens | fuzz_prepass | fuzz_interpret | fuzz_drape98 | fuzz_command_files)
            echo tests/fuzz/dict/commands.dict ;;
        fuzz_hive) echo tests/fuzz/dict/hive.dict ;;
        fuzz_monitors) echo tests/fuzz/dict/monitors.dict ;;
        fuzz_exec) echo tests/fuzz/dict/exec.dict ;;
        fuzz_decode_png) echo tests/fuzz/dict/png.dict ;;
        fuzz_decode_jpeg) echo tests/fuzz/dict/jpeg.dict ;;
    esac
}

out=build/fuzz
mkdir -p "$out/findings" "$out/logs"
run_one() {
    local target="$1"
    local corpus="$out/corpus/$target"
    local options=(-max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=1 -artifact_prefix="$out/findings/$target-")
    local dict
    dict="$(dictionary "$target")"
    [[ -n "$dict" ]] && options+=(-dict="$dict")
    [[ -n "$max_len" ]] && options+=(-max_len="$max_len")
    mkdir -p "$corpus"
    # The fake platform's files live in memory.
    if TMPDIR=/dev/shm ASAN_OPTIONS=detect_leaks=1 \
        "$out/fuzz/$target" "${options[@]}" "$corpus" "tests/fuzz/corpus/$target" \
        >"$out/logs/$target.log" 2>&1; then
        echo "ok"
    else
        echo "FAILED"
    fi >"$out/logs/$target.result"
}

running=0
for target in "${targets[@]}"; do
    [[ -x "$out/fuzz/$target" ]] || { echo "run-fuzz.sh: no target $target" >&2; exit 2; }
    echo "fuzzing $target for ${seconds}s"
    run_one "$target" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n
        running=$((running - 1))
    fi
done
wait

failed=0
printf '%-22s %14s  %s\n' target executions result
for target in "${targets[@]}"; do
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$target.log")
    result=$(cat "$out/logs/$target.result")
    printf '%-22s %14s  %s\n' "$target" "${executions:-?}" "$result"
    if [[ "$result" != ok ]]; then
        failed=1
        grep -m 5 -E 'ERROR|check failed|SUMMARY' "$out/logs/$target.log" >&2 || true
    fi
done
exit "$failed"
