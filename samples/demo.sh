#!/usr/bin/env bash
# The main job as far as it exists: called by "./dev demo" with the build folder.
set -euo pipefail
BUILD="$1"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TAVRINC="$BUILD/native/tools/tavrinc/tavrinc"
WORK="$BUILD/demo"
rm -rf "$WORK"
mkdir -p "$WORK"
cp -r "$ROOT/samples/program" "$WORK/program"

section() { printf '\n==== %s ====\n' "$*"; }

section "Settings of the sample program folder (typed reads, normal forms written back)"
"$TAVRINC" settings "$WORK/program"

section "Steps of the sample definition Demo.tvd (symbols from Demo.lst, GM left out by Skip.txt)"
cp -r "$ROOT/samples/TradeStation" "$WORK/TradeStation"
(cd "$WORK/program" && "$TAVRINC" steps Demo.tvd)
section "Abort mark of Demo.tvd, before and after a run aborted at step 5 appended its mark"
(cd "$WORK/program" && "$TAVRINC" mark Demo.tvd) || true
printf ';\r\n; Aborted at 10/12/2012 16:00:00\r\nAbort=5=AAPL|OptSet|Daily|2 Years|10/12/2012|\r\n' >> "$WORK/program/Demo.tvd"
(cd "$WORK/program" && "$TAVRINC" mark Demo.tvd)

section "Statistics table of a saved Strategy Performance Report (4 trades: +250, -125 short, 0, +87.50 short)"
cp -r "$ROOT/samples/TavrinDemo" "$WORK/TavrinDemo"
"$TAVRINC" stats "$WORK/TavrinDemo/SEQ_0001/ES_5min_1.MHT" "$WORK/program"

section "Summary of the sample run folder (the optimisation list is skipped)"
"$TAVRINC" summary "$WORK/TavrinDemo/SEQ_0001"

section "The stand-in TradeStation under Wine: a chart, Format Symbol, Format Strategy with a range, the optimisation and the performance report"
shots="$WORK/screenshots"
bash "$ROOT/tools/orchart/demo.sh" "$BUILD/win" "$shots"
ls -1 "$shots"/*.png
