#!/usr/bin/env bash
# Plays one network game on this machine: a host and PLAYERS - 1 clients of
# `vorn --headless`, each with its own copy of the data tree, its own
# VORN_RUNTIME_DIR and its own script, on a free port of 127.0.0.1. Ann
# hosts a cooperative random mission; Bob, then Cid join it from the first
# screen through the lobby. Of four, Dee joins once the others fly and
# says so in flight, and Bob leaves after that. Each flies about SECONDS
# seconds once everything it waits for has happened.
#
# Every line of each process is printed with its pilot's name and ": " in
# front; each process ends with what it holds of the game: its goals and
# sky, an `object U TYPE "NAME"` line per object with a uoid and a
# `net player` line per player. The exit status is the first failing one
# of the processes, in the pilots' order (0 when all ended well).
#
#   tools/netgame.sh [--vorn PATH] [--data DIR] PLAYERS SECONDS
#
# The scripts are made from the data tree's scripts/host-coop.txt and
# scripts/join-coop.txt, whose processes wait for each other's lines.
set -u

usage() {
  echo "usage: $0 [--vorn PATH] [--data DIR] PLAYERS SECONDS   (PLAYERS 2 to 4, SECONDS 1 to 3600)" >&2
  exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
vorn=$root/build/release/shell/vorn
data=$root/build/data
while [ $# -gt 0 ]; do
  case $1 in
    --vorn) [ $# -ge 2 ] || usage; vorn=$2; shift 2 ;;
    --data) [ $# -ge 2 ] || usage; data=$2; shift 2 ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage
players=$1
seconds=$2
[[ $players =~ ^[2-4]$ ]] || usage
[[ $seconds =~ ^[0-9]{1,4}$ ]] && [ "$seconds" -ge 1 ] && [ "$seconds" -le 3600 ] || usage
[ -x "$vorn" ] && [ -d "$data" ] || { echo "$0: $vorn is not a program or $data not a folder" >&2; exit 2; }
# Each process runs in its own folder.
vorn=$(cd "$(dirname "$vorn")" && pwd)/$(basename "$vorn")
data=$(cd "$data" && pwd)
for script in host-coop.txt join-coop.txt; do
  [ -r "$data/scripts/$script" ] || { echo "$0: $data/scripts/$script cannot be read" >&2; exit 2; }
done

names=(Ann Bob Cid Dee)
callsigns=(Ace Bee Cay Dex)
# The waiting room's row of each pilot, from the top: its centre line.
rows=(165 180 194 208)
# What the others see of Dee's line in flight: her pilot's name and the line.
chatLine="Dee: [Dee flies]"
# Without a window, a network run keeps real time at 50 ms a pass.
passesPerSecond=20
flightPasses=$((seconds * passesPerSecond))

work=$(mktemp -d "${TMPDIR:-/tmp}/netgame.XXXXXX")
pids=()
readers=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A UDP and TCP port of the loopback that no socket holds.
free_port() {
  local port hex
  for _ in $(seq 1 100); do
    port=$((20000 + RANDOM % 40000))
    hex=$(printf ':%04X ' "$port")
    if ! cat /proc/net/udp /proc/net/udp6 /proc/net/tcp /proc/net/tcp6 2>/dev/null | grep -q "$hex"; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

# The pass of the last line matching a pattern in a script.
pass_of() { grep -E "$2" "$1" | tail -n 1 | awk '{ print $2 }'; }

# A script's lines up to and including the first matching a pattern.
lines_through() { awk -v pattern="$2" '{ print } $0 ~ pattern { exit }' "$1"; }

host_script() {
  local source=$data/scripts/host-coop.txt ready i
  ready=$(grep -n 'wait chat "Bob : ready"' "$source" | cut -d: -f1)
  [ -n "$ready" ] || return 1
  head -n "$ready" "$source"
  # Every client that joins before the flight says it is ready.
  local at
  at=$(pass_of "$source" 'wait chat "Bob : ready"')
  for ((i = 2; i < players && i < 3; i++)); do echo "at $at wait chat \"${names[i]} : ready\""; done
  tail -n +"$((ready + 1))" "$source" | lines_through /dev/stdin 'wait mode 2'
  flight_steps "$(pass_of "$source" 'wait mode 2')" 0
}

# A client's script: the sample client's with its pilot; a latecomer goes
# from the join straight to the hangar, the game having left the room.
client_script() {
  local i=$1 source=$data/scripts/join-coop.txt
  local renamed="s/Bob/${names[i]}/g; s/Bee/${callsigns[i]}/g; s/click 480 180/click 480 ${rows[i]}/"
  if [ "$i" -eq 3 ]; then
    sed "$renamed" "$source" | awk '/^# A word in the waiting room/ { skip = 1 } /wait screen HANGAR/ { skip = 0 } !skip'
  else
    sed "$renamed" "$source"
  fi | lines_through /dev/stdin 'wait mode 2'
  flight_steps "$(pass_of "$source" 'wait mode 2')" "$i"
}

# What pilot i does once flying, from the pass of its wait for the flight.
flight_steps() {
  local at=$(($1 + 1)) i=$2
  echo "# In flight."
  if [ "$players" -eq 4 ]; then
    if [ "$i" -eq 3 ]; then
      echo "# Tell the others we fly: the chat key, a line, Enter."
      echo "at $((at + 40)) key 41"
      echo "at $((at + 42)) type Dee flies"
      echo "at $((at + 45)) key Enter"
      at=$((at + 46))
    else
      echo "at $at wait message \"Dee has joined the game.\""
      echo "at $at wait message \"$chatLine\""
    fi
    if [ "$i" -eq 1 ]; then
      echo "at $((at + 20)) quit"
      return
    fi
    echo "at $at wait message \"Bob has left the game.\""
  fi
  echo "at $((at + flightPasses)) quit"
}

# Starts pilot i with its script; its lines go out prefixed.
start() {
  local i=$1 name=${names[$1]} script=$2
  mkdir -p "$work/$name/run"
  cp -r "$data" "$work/$name/data"
  printf '%s\n' "$script" > "$work/$name/script.txt"
  : > "$work/$name/log"
  (
    cd "$work/$name" || exit 2
    VORN_RUNTIME_DIR=$work/$name/run exec timeout "$((seconds + 300))" "$vorn" --data "$work/$name/data" --headless \
      --net "127.0.0.1:$port" --script "$work/$name/script.txt" > "$work/$name/log" 2>&1
  ) &
  pids[i]=$!
  tail -n +1 -f --pid="${pids[i]}" "$work/$name/log" 2>/dev/null | sed -u "s/^/$name: /" &
  readers[i]=$!
}

# Waits until a line of pilot i's output matches an extended pattern; false
# after `limit` seconds or when the process has ended.
await_line() {
  local i=$1 line=$2 limit=$3
  for _ in $(seq 1 $((limit * 5))); do
    grep -qE -- "$line" "$work/${names[i]}/log" && return 0
    kill -0 "${pids[i]}" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

port=$(free_port) || { echo "$0: no free port" >&2; exit 1; }
hostText=$(host_script) || { echo "$0: $data/scripts/host-coop.txt is not the sample's" >&2; exit 2; }
start 0 "$hostText"
await_line 0 '^hosting "' 120 || { echo "$0: Ann never hosted" >&2; exit 1; }
# One after the other, so that each client lists the players in the order
# of the host's table and finds its own row where its script clicks.
for ((i = 1; i < players && i < 3; i++)); do
  [ "$i" -eq 1 ] || await_line "$((i - 1))" '^joined "' 120 || echo "$0: ${names[i - 1]} never joined" >&2
  start "$i" "$(client_script "$i")"
done
if [ "$players" -eq 4 ]; then
  flying=1
  for i in 0 1 2; do await_line "$i" '^mode 2$' 300 || { echo "$0: ${names[i]} never flew" >&2; flying=0; }; done
  [ "$flying" -eq 1 ] && start 3 "$(client_script 3)"
fi

status=0
for ((i = 0; i < players; i++)); do
  wait "${pids[i]}"
  code=$?
  if [ "$code" -ne 0 ] && [ "$status" -eq 0 ]; then status=$code; fi
done
# Each prefixing reader ends once its process has and its last lines are out.
wait "${readers[@]}"
exit "$status"
