#!/usr/bin/env bash
# Golden test: "tavrinc stats" of the sample reports gives the checked statistics tables (CR LF normalised).
# Usage: bash report_stats.sh TAVRINC REPO_ROOT
set -euo pipefail
TAVRINC="$1"
ROOT="$2"
HERE="$ROOT/tests/golden"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
status=0
for report in ES_5min_1 MSFT_Daily_2; do
  "$TAVRINC" stats "$ROOT/samples/TavrinDemo/SEQ_0001/$report.MHT" "$WORK" | tr -d '\r' > "$WORK/$report.out"
  if ! diff -u "$HERE/stats_$report.expected" "$WORK/$report.out"; then
    echo "statistics table of $report differs from $HERE/stats_$report.expected" >&2
    status=1
  fi
done
exit $status
