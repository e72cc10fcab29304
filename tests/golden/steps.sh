#!/usr/bin/env bash
# Golden test of a file users keep: the step listing (ShowCmd.csv) of the sample definition, as printed by
# "tavrinc steps", compared with the checked-in listing (CR LF normalised). Usage: steps.sh TAVRINC ROOT
set -euo pipefail
TAVRINC="$1"
ROOT="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# A copy, because reading the settings writes their normal forms back into the sample's Tavrin.ini.
cp -r "$ROOT/samples/program" "$ROOT/samples/TradeStation" "$WORK/"
cd "$WORK/program"

tr -d '\r' < "$ROOT/tests/golden/steps.expected" > "$WORK/expected"
"$TAVRINC" steps Demo.tvd > "$WORK/printed"
tr -d '\r' < "$WORK/printed" | diff -u "$WORK/expected" -
# The printed listing is the file's content byte for byte, and the file has CR LF line ends.
cmp "$WORK/printed" ShowCmd.csv
[ "$(grep -c $'\r$' ShowCmd.csv)" = "$(wc -l < ShowCmd.csv)" ] || { echo "ShowCmd.csv lacks CR LF line ends" >&2; exit 1; }

# A deleted workspace: no listing, the builder's message and a non-zero exit.
rm "$WORK/TradeStation/MyWork/Demo.tsw"
if "$TAVRINC" steps Demo.tvd > "$WORK/out" 2> "$WORK/err"; then
  echo "steps succeeded without the workspace" >&2; exit 1
fi
grep -q '^Workspace .*Demo.tsw not found (' "$WORK/err" || { echo "unexpected message: $(cat "$WORK/err")" >&2; exit 1; }
[ ! -s "$WORK/out" ] || { echo "a listing was printed on failure" >&2; exit 1; }
echo "golden steps: OK"
