# Sourced by the comparison scripts. measure CMD…: runs CMD $runs times with its output
# discarded and prints "median_seconds peak_kb". Needs $runs and a scratch folder in $work.
measure() {
    local times=() peak=0 seconds kb
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
        read -r seconds kb <"$work/time"
        times+=("$seconds")
        ((kb > peak)) && peak=$kb
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v peak="$peak" \
        '{ t[NR] = $1 } END { printf "%.3f %d\n", t[int((NR + 1) / 2)], peak }'
}
