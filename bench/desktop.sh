#!/usr/bin/env bash
# The real program under Xvfb: the time from launch to a shown main window (the splash's
# second included), then the CPU time it uses over 10 s idle and over 10 s in capture mode.
# Run: bench/desktop.sh build/src/vaultine
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi
program=$(realpath "$1")
folder=$(mktemp -d)
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'kill "$pid" 2>/dev/null; rm -rf "$folder" "$runtime"' EXIT
cp "$program" "$folder/"
started=$(date +%s%N)
XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb "$folder/vaultine" &
pid=$!
window=$(xdotool search --sync --onlyvisible --name '^Vaultine$' | head -n 1)
echo "launch to a shown main window, splash included: $((($(date +%s%N) - started) / 1000000)) ms"
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
measure() {
    local before after
    before=$(ticks)
    sleep 10
    after=$(ticks)
    echo "CPU over 10 s, $1: $(((after - before) * 1000 / $(getconf CLK_TCK))) ms"
}
measure idle
xdotool mousemove --window "$window" 200 80 click 1
xdotool key alt+c c
sleep 0.5
measure "in capture mode"
