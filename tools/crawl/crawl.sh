#!/usr/bin/env bash
# Walks the game's screens by seeded random input, one run per seed, each on
# a fresh copy of the sample data tree, and judges every run. Seeds take
# turns at the walk's start (crawl-walk --start): the first screen, a new
# career, the sample save loaded, a new career's first mission accepted,
# launched or flown into its target, the lobby, a hosted game's waiting
# room and a won strike's salvage. A run fails on an
# exit status other than 0, any end of the program before the walk's own
# quit (the walk never chooses another), a place the walk could not leave
# or a flight that did not end after the eject, a screen that "does not
# exist", a sanitizer's report, and a run that stops advancing (no end
# within the time bound). A failing run's seed, its reason and the script
# that plays it again with `vorn --script` are printed, and the script is
# played so to show that it does. The crawl then prints the places and
# modes reached with their step counts; with --require, a place or mode of
# that list that no run reached fails the crawl too.
#
#   tools/crawl/crawl.sh [--build DIR] [--data TREE] [--seed FIRST] [--runs N]
#                        [--minutes M] [--steps S] [--timeout SECONDS] [--keep DIR]
#                        [--jobs J] [--require LIST]
#
# --build is a build folder holding shell/vorn, tools/crawl/crawl-walk and
# tools/mkdata/mkdata (default build/test); --data a sample tree (default:
# one written by mkdata); --runs the number of seeds from FIRST (default
# 1 and 10), or --minutes to walk new seeds until that much time has gone;
# --steps the walk's steps per run (default 150); --keep where failing
# scripts are kept (default BUILD/crawl-failures); --jobs the runs walked
# at once (default 2); --require a file of places and modes, one a line
# ('#' comments), as the crawl prints them. The exit status is 1 when any
# run failed or a required place was not reached.
set -u

build=build/test
data=
first=1
runs=10
minutes=
steps=150
limit=180
keep=
jobs=2
require=
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        --data) data=$2; shift 2 ;;
        --seed) first=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --minutes) minutes=$2; shift 2 ;;
        --steps) steps=$2; shift 2 ;;
        --timeout) limit=$2; shift 2 ;;
        --keep) keep=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --require) require=$2; shift 2 ;;
        *) echo "crawl: unknown argument $1" >&2; exit 2 ;;
    esac
done
keep=${keep:-$build/crawl-failures}
walk=$build/tools/crawl/crawl-walk
vorn=$build/shell/vorn
for program in "$walk" "$vorn"; do
    [ -x "$program" ] || { echo "crawl: $program is not built" >&2; exit 2; }
done
[ -z "$require" ] || [ -r "$require" ] || { echo "crawl: $require cannot be read" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-crawl.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
if [ -z "$data" ]; then
    data=$work/sample
    "$build/tools/mkdata/mkdata" "$data" >/dev/null || { echo "crawl: mkdata failed" >&2; exit 2; }
fi
mkdir -p "$keep" || exit 2
starts=(first new load accepted mission crash lobby hosted strike)

# Why a finished run failed, from its status and output; nothing when it
# did not. $1 status, $2 standard output, $3 standard error.
judge() {
    local status=$1 out=$2 err=$3
    if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
        echo "the run stopped advancing: no end within $limit seconds"
    elif grep -q 'does not exist' "$out" "$err"; then
        grep -h 'does not exist' "$out" "$err" | head -1
    elif grep -qE 'Sanitizer|runtime error:' "$err"; then
        echo "a sanitizer's report: $(grep -hE 'ERROR: .*Sanitizer|runtime error:' "$err" | head -1)"
    elif [ "$status" -ne 0 ]; then
        echo "exit status $status: $(tail -n 1 "$err")"
    elif grep -q '^crawl: stuck: ' "$out"; then
        echo "the walk is stuck: $(grep '^crawl: stuck: ' "$out" | sed 's/^crawl: stuck: //')"
    elif grep -q '^# stuck: ' "$4" 2>/dev/null; then
        echo "the walk is stuck: $(grep '^# stuck: ' "$4" | sed 's/^# stuck: //')"
    elif ! grep -qE ', quit given,|by a quit message' "$out"; then
        echo "the game ended before the walk quit, unasked: $(grep -E '^crawl:|^Main loop ended' "$out" | paste -sd ' ')"
    fi
}

# Plays one program on a fresh copy of the tree: $1 the run's folder, then
# the command. Leaves out, err and status in the folder.
play() {
    local dir=$1
    shift
    rm -rf "$dir/tree" && cp -r "$data" "$dir/tree" || exit 2
    # Each run has its own lock folder, so that runs go side by side.
    mkdir -p "$dir/runtime"
    VORN_RUNTIME_DIR=$dir/runtime timeout -k 5 "$limit" "$@" --data "$dir/tree" >"$dir/out" 2>"$dir/err"
    echo $? >"$dir/status"
}

# One walk: $1 the seed; its folder is $work/seed-SEED.
walk_seed() {
    local seed=$1 dir=$work/seed-$1
    mkdir -p "$dir"
    # A port of the walk's own for the lobby: walks side by side, of this
    # crawl or another, do not find each other's games.
    play "$dir" "$walk" --seed "$seed" --steps "$steps" --start "${starts[$((seed % ${#starts[@]}))]}" \
        --port $((20000 + (seed * 7 + $$) % 20000)) --record "$dir/record.txt"
    # The first walk is played again by vorn from its script, which must
    # pass the same screens and modes: else no failing script could be
    # trusted to show its fault.
    if [ "$seed" -eq "$first" ] && [ -z "$(judge "$(cat "$dir/status")" "$dir/out" "$dir/err" "$dir/record.txt")" ]; then
        mkdir -p "$dir/again"
        play "$dir/again" "$vorn" --headless --script "$dir/record.txt"
        grep -E '^(screen|mode) ' "$dir/out" >"$dir/walked"
        grep -E '^(screen|mode) ' "$dir/again/out" >"$dir/replayed"
        if ! cmp -s "$dir/walked" "$dir/replayed"; then
            echo "vorn --script plays the walk's script another way: $(diff "$dir/walked" "$dir/replayed" |
                head -n 3 | paste -sd ' ')" >"$dir/replay-differs"
        fi
    fi
    rm -rf "$dir/tree" "$dir/again/tree"
}

# Judges a walked seed, says why it failed and shows its script played again.
report_seed() {
    local seed=$1 dir=$work/seed-$1 reason
    reason=$(judge "$(cat "$dir/status")" "$dir/out" "$dir/err" "$dir/record.txt")
    [ -z "$reason" ] && [ -s "$dir/replay-differs" ] && reason=$(cat "$dir/replay-differs")
    grep -h '^# step' "$dir/record.txt" | sed 's/^# step [0-9]* on //' >>"$work/steps"
    grep -hE '^(screen|mode) ' "$dir/out" >>"$work/lines"
    [ -n "$reason" ] || return 0
    failures=$((failures + 1))
    cp "$dir/record.txt" "$keep/seed-$seed.txt"
    echo "crawl: seed $seed FAILED: $reason"
    echo "crawl: the walk's last lines:"
    grep -v '^\(Sound\|Music\)' "$dir/out" | tail -n 8 | sed 's/^/    /'
    tail -n 12 "$dir/err" | sed 's/^/    /'
    echo "crawl: the script that plays it again ($keep/seed-$seed.txt):"
    sed 's/^/    /' "$dir/record.txt"
    mkdir -p "$dir/again2"
    play "$dir/again2" "$vorn" --headless --script "$dir/record.txt"
    local again
    again=$(judge "$(cat "$dir/again2/status")" "$dir/again2/out" "$dir/again2/err" "$dir/record.txt")
    if [ -n "$again" ]; then
        echo "crawl: vorn --headless --data TREE --script $keep/seed-$seed.txt fails the same way: $again"
    else
        echo "crawl: played again by vorn --script, the run did not fail (status $(cat "$dir/again2/status"))"
    fi
    rm -rf "$dir/again2/tree"
}

failures=0
done_runs=0
start=$SECONDS
seed=$first
# A pool of walks: a new one starts as soon as any ends, so that a long walk
# does not hold its partners' cores idle. Reports come in seed order once
# all are walked.
running=0
while :; do
    if [ -n "$minutes" ]; then
        [ $((SECONDS - start)) -lt $((minutes * 60)) ] || break
    else
        [ "$done_runs" -lt "$runs" ] || break
    fi
    walk_seed "$seed" &
    running=$((running + 1))
    seed=$((seed + 1))
    done_runs=$((done_runs + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait
for ((s = first; s < seed; s++)); do report_seed "$s"; done
echo "crawl: $done_runs runs of up to $steps steps from seed $first in $((SECONDS - start)) s, $failures failed"
# Places from the walks' steps, screens and modes from the runs' lines.
{
    sed 's/ in mode [0-9]*$//' "$work/steps" 2>/dev/null
    sed 's/.* in \(mode [0-9]*\)$/\1/' "$work/steps" 2>/dev/null
    grep -h '^screen ' "$work/lines" 2>/dev/null | sed 's/^screen //'
    grep -h '^mode ' "$work/lines" 2>/dev/null
} | sort | uniq -c | sort -rn >"$work/reached"
echo "crawl: places and modes reached, with steps taken there (or lines printed):"
awk '{ count = $1; $1 = ""; sub(/^ /, ""); printf "%s%s %s", (NR > 1 ? ", " : "    "), $0, count } END { print "" }' \
    "$work/reached" | fold -s -w 100
missing=0
if [ -n "$require" ]; then
    while IFS= read -r place; do
        place=${place%%#*}
        place=$(echo "$place" | sed 's/[[:space:]]*$//')
        [ -n "$place" ] || continue
        if ! awk -v want="$place" '{ $1 = ""; sub(/^ /, ""); if ($0 == want) found = 1 } END { exit !found }' "$work/reached"; then
            echo "crawl: never reached: $place"
            missing=$((missing + 1))
        fi
    done <"$require"
fi
[ "$failures" -eq 0 ] && [ "$missing" -eq 0 ]
