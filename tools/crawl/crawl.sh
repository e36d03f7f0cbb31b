#!/usr/bin/env bash
# Walks the game's screens by seeded random input, one run per seed, each on
# a fresh copy of the sample data tree, and judges every run: it fails on an
# exit status other than 0, a game that ended before the walk quit other
# than by a quit the walk chose (the first screen's Exit, Yes in the quit
# dialog), a screen that "does not exist", a sanitizer's report, and a run
# that stops advancing (no end within the time bound). A failing run's seed,
# its reason and the script that plays it again with `vorn --script` are
# printed, and the script is played so to show that it does.
#
#   tools/crawl/crawl.sh [--build DIR] [--data TREE] [--seed FIRST] [--runs N]
#                        [--minutes M] [--steps S] [--timeout SECONDS] [--keep DIR]
#
# --build is a build folder holding shell/vorn, tools/crawl/crawl-walk and
# tools/mkdata/mkdata (default build/test); --data a sample tree (default:
# one written by mkdata); --runs the number of seeds from FIRST (default
# 1 and 10), or --minutes to walk new seeds until that much time has gone;
# --steps the walk's steps per run (default 150); --keep where failing
# scripts are kept (default BUILD/crawl-failures). The exit status is 1 when
# any run failed.
set -u

build=build/test
data=
first=1
runs=10
minutes=
steps=150
limit=120
keep=
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
        *) echo "crawl: unknown argument $1" >&2; exit 2 ;;
    esac
done
keep=${keep:-$build/crawl-failures}
walk=$build/tools/crawl/crawl-walk
vorn=$build/shell/vorn
for program in "$walk" "$vorn"; do
    [ -x "$program" ] || { echo "crawl: $program is not built" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-crawl.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
if [ -z "$data" ]; then
    data=$work/sample
    "$build/tools/mkdata/mkdata" "$data" >/dev/null || { echo "crawl: mkdata failed" >&2; exit 2; }
fi
mkdir -p "$keep" || exit 2
# Each run has its own lock folder, so that the crawl may run beside a game.
export VORN_RUNTIME_DIR=$work/runtime
mkdir -p "$VORN_RUNTIME_DIR"

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
    elif ! grep -qE ', quit given,|by a quit message' "$out" && ! grep -qE '^(Main loop ended|Initial options:) .*mode 7' "$out"; then
        echo "the game ended before the walk quit, not by a quit it chose: $(grep '^crawl:' "$out")"
    fi
}

# Plays one program on a fresh copy of the tree: $1 the copy's folder, then
# the command. Sets $status.
play() {
    local tree=$1
    shift
    rm -rf "$tree" && cp -r "$data" "$tree" || exit 2
    timeout -k 5 "$limit" "$@" --data "$tree" >"$work/out" 2>"$work/err"
    status=$?
}

failures=0
done_runs=0
start=$SECONDS
seed=$first
while :; do
    if [ -n "$minutes" ]; then
        [ $((SECONDS - start)) -lt $((minutes * 60)) ] || break
    else
        [ "$done_runs" -lt "$runs" ] || break
    fi
    record=$work/seed-$seed.txt
    play "$work/tree" "$walk" --seed "$seed" --steps "$steps" --record "$record"
    reason=$(judge "$status" "$work/out" "$work/err")
    done_runs=$((done_runs + 1))
    grep -h '^# step' "$record" | sed 's/^# step [0-9]* //' >>"$work/screens"
    # The first walk is played again by vorn from its script, which must
    # pass the same screens and modes: else no failing script could be
    # trusted to show its fault.
    if [ -z "$reason" ] && [ "$done_runs" -eq 1 ]; then
        grep -E '^(screen|mode) ' "$work/out" >"$work/walked"
        play "$work/again" "$vorn" --headless --script "$record"
        grep -E '^(screen|mode) ' "$work/out" >"$work/replayed"
        if ! cmp -s "$work/walked" "$work/replayed"; then
            reason="vorn --script plays the walk's script another way: $(diff "$work/walked" "$work/replayed" | head -n 3 | paste -sd ' ')"
        fi
    fi
    if [ -n "$reason" ]; then
        failures=$((failures + 1))
        cp "$record" "$keep/seed-$seed.txt"
        echo "crawl: seed $seed FAILED: $reason"
        echo "crawl: the walk's last lines:"
        grep -v '^\(Sound\|Music\)' "$work/out" | tail -n 8 | sed 's/^/    /'
        tail -n 12 "$work/err" | sed 's/^/    /'
        echo "crawl: the script that plays it again ($keep/seed-$seed.txt):"
        sed 's/^/    /' "$record"
        play "$work/again" "$vorn" --headless --script "$record"
        again=$(judge "$status" "$work/out" "$work/err")
        if [ -n "$again" ]; then
            echo "crawl: vorn --headless --data TREE --script $keep/seed-$seed.txt fails the same way: $again"
        else
            echo "crawl: played again by vorn --script, the run did not fail (status $status)"
        fi
    fi
    seed=$((seed + 1))
done
echo "crawl: $done_runs runs of up to $steps steps from seed $first in $((SECONDS - start)) s, $failures failed"
if [ -s "$work/screens" ]; then
    echo "crawl: steps taken on each screen:"
    sort "$work/screens" | uniq -c | sort -rn | awk '{ printf "%s %s", (NR > 1 ? "," : "   "), $NF " " $1 } END { print "" }' |
        fold -s -w 100
fi
[ "$failures" -eq 0 ]
