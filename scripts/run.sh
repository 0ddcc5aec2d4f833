#!/usr/bin/env bash
# Sets up, builds and runs the console against the controller simulator, on the demo
# working folder build/sys (filled from samples/sys the first time; later changes stay).
# Without a display the console runs offscreen; the simulator's decoded traffic shows in
# this terminal either way. Ctrl-C ends both. Options are the simulator's, for a line that
# misbehaves: scripts/run.sh --garbage, scripts/run.sh --vanish-after 5 --back-after 5.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target pav-control kvr-sim

sys="$build/sys"
mkdir -p "$sys"
for sample in "$root"/samples/sys/*; do
  [ -e "$sys/$(basename "$sample")" ] || cp "$sample" "$sys/"
done

# The simulator's device is the working folder's ttyKVR, which ComPorts.txt names as Com 1.
"$build/kvr-sim" --link "$sys/ttyKVR" --answer 06 "$@" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do
  [ -e "$sys/ttyKVR" ] && break
  sleep 0.1
done

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the console runs offscreen. The simulator shows what it receives."
  export QT_QPA_PLATFORM=offscreen
fi
"$build/pav-control"
