#!/usr/bin/env bash
# CPU time the idle program uses over 10 s, under Xvfb: bench/idle_cpu.sh build/src/vaultine
set -euo pipefail
program=$(realpath "$1")
folder=$(mktemp -d)
runtime=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$folder" "$runtime"' EXIT
cp "$program" "$folder/"
XDG_RUNTIME_DIR=$runtime xvfb-run -a "$folder/vaultine" &
sleep 3
pid=$(pgrep -n -f "$folder/vaultine")
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
sleep 10
after=$(ticks)
echo "idle CPU over 10 s: $(( (after - before) * 1000 / $(getconf CLK_TCK) )) ms"
