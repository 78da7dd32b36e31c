#!/usr/bin/env bash
# Installs what the program needs, builds what the run needs (the program,
# its plug-ins and, for a simulated card, the card and catalogue simulators)
# and starts it. Arguments go to the program.
#
# The card: with QV_HID_BACKEND set, the program uses what it names. Without
# it, an attached card that this user can open is used; otherwise the
# simulated card (tools/cardsim) is started on a private socket for this run
# and ended with the program. The first line printed says which card is used,
# and why. With the simulated card the sample catalogue (tools/catalogsim)
# serves the cloud lists too, unless QV_CATALOGUE_URL names a catalogue; the
# second line says so. The last line before the program's own output says
# that it starts.
set -euo pipefail
cd "$(dirname "$0")/.."

vendor=2b53
products="0036 001d 0020"

# Prints the /dev node of the first attached card and whether this user may
# open it: "NODE yes" or "NODE no"; nothing when no card is attached.
find_card() {
  local dir id node
  for dir in /sys/class/hidraw/hidraw*; do
    [ -e "$dir/device/uevent" ] || continue
    id=$(sed -n 's/^HID_ID=[0-9A-Fa-f]*:0000\([0-9A-Fa-f]\{4\}\):0000\([0-9A-Fa-f]\{4\}\)$/\1 \2/p' "$dir/device/uevent" | tr 'A-F' 'a-f')
    [ -n "$id" ] || continue
    set -- $id
    [ "$1" = "$vendor" ] || continue
    case " $products " in *" $2 "*) ;; *) continue ;; esac
    node=/dev/$(basename "$dir")
    if [ -r "$node" ] && [ -w "$node" ]; then echo "$node yes"; else echo "$node no"; fi
    return
  done
}

simulate=0
if [ -n "${QV_HID_BACKEND:-}" ]; then
  echo "quorvel: card: as QV_HID_BACKEND=$QV_HID_BACKEND says${QV_SIM_SOCKET:+ (socket $QV_SIM_SOCKET)}"
else
  card=$(find_card)
  case "$card" in
    *" yes") echo "quorvel: card: the attached card at ${card% yes}" ;;
    *" no")
      echo "quorvel: card: simulated, because the attached card at ${card% no} cannot be opened by $(id -un) (install the udev rule, see README)"
      simulate=1 ;;
    *)
      echo "quorvel: card: simulated, because no card is attached"
      simulate=1 ;;
  esac
fi

catalogue=0
if [ "$simulate" -eq 1 ] && [ -z "${QV_CATALOGUE_URL:-}" ]; then
  echo "quorvel: catalogue: the sample one (tools/catalogsim), started for this run, because QV_CATALOGUE_URL is not set"
  catalogue=1
fi

targets=(quorvel dorbII zenk)
[ "$simulate" -eq 1 ] && targets+=(cardsim)
[ "$catalogue" -eq 1 ] && targets+=(catalogsim)
scripts/install-deps.sh
scripts/build.sh build --target "${targets[@]}"

if [ "$simulate" -eq 0 ]; then
  echo "quorvel: starting build/bin/quorvel"
  exec build/bin/quorvel "$@"
fi

# The simulators live in a private folder and end with the program.
simdir=$(mktemp -d "${XDG_RUNTIME_DIR:-${TMPDIR:-/tmp}}/quorvel-card.XXXXXX")
sim_pids=()
cleanup() {
  local pid
  for pid in "${sim_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$simdir"
}
trap cleanup EXIT

# Starts a simulator in the background, its output in LOG, and waits for its
# "listening on" line; a simulator that ends before it shows its log.
start_simulator() {
  local log=$1
  shift
  "$@" </dev/null >"$log" 2>&1 &
  local pid=$!
  sim_pids+=("$pid")
  for _ in $(seq 200); do
    grep -q "listening on" "$log" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.05
  done
  echo "quorvel: $1 did not start listening" >&2
  exit 1
}

start_simulator "$simdir/cardsim.log" build/bin/cardsim --socket "$simdir/card.sock"
if [ "$catalogue" -eq 1 ]; then
  start_simulator "$simdir/catalogsim.log" build/bin/catalogsim
  base=$(sed -n 's/^catalogsim: listening on \(http:[^ ]*\).*/\1/p' "$simdir/catalogsim.log" | head -n 1)
  export QV_CATALOGUE_URL="$base/tuning"
  echo "quorvel: starting build/bin/quorvel with the simulated card and the sample catalogue at $QV_CATALOGUE_URL"
else
  echo "quorvel: starting build/bin/quorvel with the simulated card"
fi

# The program runs as a child so that a signal to this script reaches it
# and the card is still ended afterwards.
quorvel_pid=
forward() { if [ -n "$quorvel_pid" ]; then kill "-$1" "$quorvel_pid" 2>/dev/null || true; fi; }
trap 'forward INT' INT
trap 'forward TERM' TERM
QV_HID_BACKEND=sim QV_SIM_SOCKET="$simdir/card.sock" build/bin/quorvel "$@" &
quorvel_pid=$!
status=0
while :; do
  if wait "$quorvel_pid"; then status=0; else status=$?; fi
  kill -0 "$quorvel_pid" 2>/dev/null || break
done
exit "$status"
