#!/usr/bin/env bash
# Mutation check of the test suite: applies the mutations listed in tools/mutations.txt to the
# source one at a time, rebuilds the release preset incrementally, runs the tests and reports
# every mutation the tests did not notice. A surviving mutation is a fault the suite would let
# through.
#
# Each line of the list reads
#     path/from/repository/root @@ exact text to find @@ replacement @@ short label
# Blank lines and lines starting with '#' are skipped; spaces around the fields are trimmed,
# and an empty replacement deletes the text. The text must occur exactly once in the file:
# when files move or code changes, a stale line is reported as an error rather than silently
# mutating something else.
#
# Tests: the four GoogleTest binaries of the release build run directly (core, raster,
# platform, process, in that order), each with --gtest_fail_fast and under a time limit of
# MUTATE_TIMEOUT seconds (default 180); the first failure kills the mutant, so survivors cost
# the most. MUTATE_TESTS (e.g. "drape_core_tests") restricts the binaries; MUTATE_ONLY, an
# extended regular expression, restricts the mutations by label.
#
# Exit status: 0 when every mutation was killed, 1 when any survived, 2 for a stale list, a
# mutant that does not build or a suite that fails without mutations.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
list=${MUTATE_LIST:-tools/mutations.txt}
build_dir=build/release
timeout_s=${MUTATE_TIMEOUT:-180}
read -r -a binaries <<<"${MUTATE_TESTS:-drape_core_tests drape_raster_tests drape_platform_tests drape_process_tests}"
logs=$(mktemp -d "${TMPDIR:-/tmp}/drape-mutate.XXXXXX")

die() {
    echo "mutate: $*" >&2
    exit 2
}

[[ -f "$list" ]] || die "no mutation list at $list"

# --- Read and check the whole list before touching anything -------------------------------
files=()
finds=()
replaces=()
labels=()
stale=0
line_no=0
while IFS= read -r line || [[ -n "$line" ]]; do
    line_no=$((line_no + 1))
    [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
    rest=$line
    fields=()
    while [[ "$rest" == *"@@"* ]]; do
        fields+=("${rest%%@@*}")
        rest=${rest#*@@}
    done
    fields+=("$rest")
    if ((${#fields[@]} != 4)); then
        echo "mutate: $list:$line_no: expected 4 fields separated by @@, found ${#fields[@]}" >&2
        stale=1
        continue
    fi
    for i in 0 1 2 3; do
        f=${fields[$i]}
        f="${f#"${f%%[![:space:]]*}"}"
        f="${f%"${f##*[![:space:]]}"}"
        fields[$i]=$f
    done
    file=${fields[0]} find=${fields[1]} replace=${fields[2]} label=${fields[3]}
    if [[ -z "$file" || "$file" == /* || "$file" == *..* ]]; then
        echo "mutate: $list:$line_no: '$file' is not a path inside the repository" >&2
        stale=1
        continue
    fi
    if [[ ! -f "$file" ]]; then
        echo "mutate: $list:$line_no: $file does not exist (moved?) [$label]" >&2
        stale=1
        continue
    fi
    if [[ -z "$find" || "$find" == "$replace" ]]; then
        echo "mutate: $list:$line_no: empty text or a replacement that changes nothing [$label]" >&2
        stale=1
        continue
    fi
    count=$( (grep -oF -- "$find" "$file" || true) | wc -l)
    if ((count != 1)); then
        echo "mutate: $list:$line_no: '$find' occurs $count times in $file, not once [$label]" >&2
        stale=1
        continue
    fi
    # Filtered only now, so that every line is checked for staleness.
    if [[ -n "${MUTATE_ONLY:-}" && ! "$label" =~ $MUTATE_ONLY ]]; then
        continue
    fi
    files+=("$file")
    finds+=("$find")
    replaces+=("$replace")
    labels+=("$label")
done <"$list"
((stale == 0)) || die "the list is stale; fix the lines above"
((${#files[@]} > 0)) || die "no mutations selected"

# --- Guaranteed restore ----------------------------------------------------------------------
mutated_file=""
backup="$logs/original"
restore() {
    if [[ -n "$mutated_file" ]]; then
        # Written in place, not copied with its old time stamp, so that the next build sees
        # the file change back and recompiles it.
        cat "$backup" >"$mutated_file"
        mutated_file=""
    fi
}
trap 'restore' EXIT
trap 'restore; exit 130' INT TERM

build() {
    cmake --build --preset release -j2 >"$1" 2>&1
}

run_tests() {
    local log=$1
    : >"$log"
    for binary in "${binaries[@]}"; do
        [[ -x "$build_dir/tests/$binary" ]] || die "no test binary $build_dir/tests/$binary"
        local status=0
        DRAPE_BIN_DIR="$root/$build_dir/src" timeout "$timeout_s" \
            "$build_dir/tests/$binary" --gtest_fail_fast --gtest_brief=1 >>"$log" 2>&1 ||
            status=$?
        if ((status != 0)); then
            local failed
            failed=$(grep -m1 -o '^\[  FAILED  \] [^ ]*' "$log" | sed 's/^\[  FAILED  \] //' || true)
            if ((status == 124)); then
                failed="timed out"
            fi
            echo "$binary${failed:+ ($failed)}" >>"$log"
            return 1
        fi
    done
    return 0
}

if [[ ! -f "$build_dir/build.ninja" ]]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake --preset release "${launcher[@]}" >"$logs/configure.log" 2>&1 ||
        die "configure failed, see $logs/configure.log"
fi
echo "mutate: ${#files[@]} mutations; tests: ${binaries[*]} (time limit ${timeout_s} s each)"
build "$logs/baseline-build.log" || die "the unmutated tree does not build, see $logs/baseline-build.log"
run_tests "$logs/baseline-tests.log" ||
    die "the suite fails without mutations, see $logs/baseline-tests.log"

# --- One mutation at a time ------------------------------------------------------------------
survivors=()
broken=()
killed=0
for i in "${!files[@]}"; do
    file=${files[$i]} find=${finds[$i]} replace=${replaces[$i]} label=${labels[$i]}
    cp "$file" "$backup"
    mutated_file=$file
    content=$(
        cat "$file"
        printf x
    )
    content=${content%x}
    printf '%s' "${content/"$find"/"$replace"}" >"$file"
    n=$((i + 1))
    log="$logs/mutant-$n"
    if ! build "$log-build.log"; then
        result="DOES NOT BUILD ($log-build.log)"
        broken+=("$label")
    elif run_tests "$log-tests.log"; then
        result="SURVIVED"
        survivors+=("$label ($file)")
    else
        result="killed by $(tail -n 1 "$log-tests.log")"
        killed=$((killed + 1))
    fi
    restore
    printf '%3d/%d  %-44s %s\n' "$n" "${#files[@]}" "$label" "$result"
done

# Leave the build matching the restored sources.
build "$logs/final-build.log" || echo "mutate: warning: the final rebuild failed" >&2

echo
echo "mutate: ${#files[@]} mutations, $killed killed, ${#survivors[@]} survived, ${#broken[@]} did not build"
for s in "${survivors[@]}"; do
    echo "  survived: $s"
done
for b in "${broken[@]}"; do
    echo "  does not build: $b"
done
echo "mutate: logs in $logs"
((${#broken[@]} == 0)) || exit 2
((${#survivors[@]} == 0)) || exit 1
exit 0
