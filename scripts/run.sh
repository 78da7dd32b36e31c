#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Arguments go to
# the program. With QV_HID_BACKEND=sim it talks to the simulated card
# (tools/cardsim) instead of a real one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
exec build/bin/quorvel "$@"
