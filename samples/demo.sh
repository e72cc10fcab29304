#!/usr/bin/env bash
# The main job: called by "./dev demo" with the build folder, on the Wine display ./dev has started.
# First Tavrin.exe runs a whole sequence unattended against the stand-in TradeStation; then a few of the
# console companion's views of the same files.
set -euo pipefail
BUILD="$1"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TAVRINC="$BUILD/native/tools/tavrinc/tavrinc"
WORK="$BUILD/demo"
rm -rf "$WORK"
mkdir -p "$WORK"
section() { printf '\n==== %s ====\n' "$*"; }

bash "$ROOT/samples/run-demo.sh" "$BUILD" "$WORK"
run="$WORK/Tavrin/Sample/SEQ_0001"

section "Statistics of the first step's Strategy Performance Report (tavrinc stats)"
first=$(cd "$run" && ls -1 ./*.MHT | head -1)
"$TAVRINC" stats "$run/${first#./}" "$WORK/Tavrin" | head -20

section "Steps of the sample definition Demo.tvd (symbols from Demo.lst, GM left out by Skip.txt; tavrinc steps)"
cp -r "$ROOT/samples/program" "$WORK/program"
cp -r "$ROOT/samples/TradeStation" "$WORK/TradeStation"
(cd "$WORK/program" && "$TAVRINC" steps Demo.tvd)
