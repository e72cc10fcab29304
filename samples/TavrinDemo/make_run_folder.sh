#!/usr/bin/env bash
# Rebuilds the sample run folder SEQ_0001: the reports (write_reports.py), then each step's description file
# with the statistics table of its report (tavrinc stats), and an optimisation list the summary skips.
# Usage: bash samples/TavrinDemo/make_run_folder.sh PATH/TO/tavrinc
set -euo pipefail
TAVRINC="$1"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
RUN="$HERE/SEQ_0001"
SETTINGS="$(mktemp -d)"
trap 'rm -rf "$SETTINGS"' EXIT
python3 "$HERE/write_reports.py"

step() { # name seq symbol interval value permutations hms seconds "param lines..."
  local name=$1 seq=$2 sym=$3 int=$4 val=$5 perms=$6 hms=$7 secs=$8; shift 8
  {
    printf 'Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),\r\n'
    printf '%d,%s,%s%.2f,%d,%s,%d,\r\n' "$seq" "$sym" "$int" "$val" "$perms" "$hms" "$secs"
    printf 'List of %d Strategy Input Parameters used:\r\n' "$#"
    for p in "$@"; do printf '%s\r\n' "$p"; done
    printf '\r\n'
    "$TAVRINC" stats "$RUN/$name.MHT" "$SETTINGS" | sed 's/$/\r/'
  } > "$RUN/$name.csv"
}

step ES_5min_1 1 ES 5min 5 12 00:03:20 200 "1/FastLength|9|9|1|" "2/SlowLength|18|18|1|"
step MSFT_Daily_2 2 MSFT Daily 1 1 00:01:05 65 "1/Len|20|20|1|" "2/Mult|1.5|1.5|0.5|" "3/StopAmt|300|300|50|"
printf 'Test,FastLength,SlowLength,All: Net Profit,All: Total Trades,All: Profit Factor,All: %% Profitable,All: Max Strategy Drawdown\r\n1,9,18,212.50,4,2.70,50.00,-125.00\r\n' \
  > "$RUN/ES_5min-OptList.csv"
