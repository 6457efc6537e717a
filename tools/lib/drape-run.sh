# Shell functions for the scripts that run the built program in a private environment and look
# at it from outside. Source it; it defines:
#   drape_work                  a private folder ($work) with a 0700 runtime folder, removed on
#                               exit together with whatever drape_start_xvfb and
#                               drape_start_window started
#   drape_start_xvfb            a private Xvfb without a window manager; exports DISPLAY
#   drape_start_window B T W..  starts B/src/drape with the words W in $work's environment and
#                               waits for a visible window titled T (a regular expression);
#                               sets $pid (the program) and $found (the window id)
#   drape_cpu_share S LABEL     measures $pid's CPU time over S seconds, prints it with LABEL
#                               and sets $percent (the share of one core)
#   drape_below_one_percent     says whether $percent met the 1 % target; false when not

drape_work() {
    work=$(mktemp -d)
    mkdir -p "$work/runtime"
    chmod 700 "$work/runtime"
    pid= xvfb=
    trap drape_cleanup EXIT
}

drape_cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}

drape_start_xvfb() {
    local ready number
    # The server writes its display number once it accepts connections.
    exec {ready}<> <(:)
    Xvfb -displayfd "$ready" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb=$!
    read -r -t 15 -u "$ready" number
    export DISPLAY=":$number"
}

drape_start_window() {
    local build=$1 title=$2
    shift 2
    # exec, so that $! is the program itself and not a shell waiting for it.
    (exec env -i PATH="$PATH" HOME="$work" TMPDIR="$work" XDG_CONFIG_HOME="$work/config" \
        XDG_RUNTIME_DIR="$work/runtime" DRAPE_MONITORS="1024x768@0,0" DISPLAY="$DISPLAY" \
        "$build/src/drape" "$@" 2>"$work/stderr") &
    pid=$!
    found=
    for _ in $(seq 100); do
        found=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -1) || true
        [ -n "$found" ] && return 0
        sleep 0.1
    done
    echo "no window titled '$title' appeared:" >&2
    cat "$work/stderr" >&2
    return 1
}

drape_cpu_share() {
    local seconds=$1 label=$2 ticks0 ticks1 wake0 wake1 start end hz
    # Fields 14 and 15 of /proc/<pid>/stat, counted after the ")" that ends the program name.
    ticks0=$(sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }')
    # Voluntary context switches: how often the program went to sleep, i.e. woke up.
    wake0=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status")
    start=$(date +%s.%N)
    sleep "$seconds"
    ticks1=$(sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }')
    wake1=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$pid/status")
    end=$(date +%s.%N)
    hz=$(getconf CLK_TCK)
    percent=$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s="$start" -v e="$end" \
        'BEGIN { printf "%.2f", 100 * t / hz / (e - s) }')
    printf '%s, %s s: %d clock ticks of %d Hz, %s %% of one core, %d wake-ups\n' \
        "$label" "$seconds" $((ticks1 - ticks0)) "$hz" "$percent" $((wake1 - wake0))
}

drape_below_one_percent() {
    if awk -v p="$percent" 'BEGIN { exit !(p < 1) }'; then
        echo "target < 1 %: met"
    else
        echo "target < 1 %: missed"
        return 1
    fi
}
