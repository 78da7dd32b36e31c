#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Arguments go to
# the program.
#
# The card: with QV_HID_BACKEND set, the program uses what it names. Without
# it, an attached card that this user can open is used; otherwise the
# simulated card (tools/cardsim) is started on a private socket for this run
# and ended with the program. The first line printed says which card is used,
# and why.
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

scripts/install-deps.sh
scripts/build.sh build

if [ "$simulate" -eq 0 ]; then
  exec build/bin/quorvel "$@"
fi

# The simulated card lives in a private folder and ends with the program.
simdir=$(mktemp -d "${XDG_RUNTIME_DIR:-${TMPDIR:-/tmp}}/quorvel-card.XXXXXX")
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$simdir"
}
trap cleanup EXIT

build/bin/cardsim --socket "$simdir/card.sock" </dev/null >"$simdir/cardsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q "listening on" "$simdir/cardsim.log" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$simdir/cardsim.log" >&2; exit 1; }
  sleep 0.05
done

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
