#!/usr/bin/env bash
# Golden test: "tavrinc summary" of the sample run folder gives the checked "_Summary.csv" (CR LF normalised,
# the folder's path shown as RUN), the same on a second run, and it skips the optimisation list.
# Usage: bash run_summary.sh TAVRINC REPO_ROOT
set -euo pipefail
TAVRINC="$1"
ROOT="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cp -r "$ROOT/samples/TavrinDemo/SEQ_0001" "$WORK/SEQ_0001"
RUN="$WORK/SEQ_0001"
"$TAVRINC" summary "$RUN" 2>/dev/null | tr -d '\r' | sed "s|$RUN|RUN|g" > "$WORK/first.out"
diff -u "$ROOT/tests/golden/summary_SEQ_0001.expected" "$WORK/first.out"
cp "$RUN/_Summary.csv" "$WORK/first.csv"
"$TAVRINC" summary "$RUN" > /dev/null 2>&1
cmp "$WORK/first.csv" "$RUN/_Summary.csv"
grep -q $'\r$' "$RUN/_Summary.csv" || { echo "_Summary.csv lines must end in CR LF" >&2; exit 1; }
