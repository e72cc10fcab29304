#!/usr/bin/env bash
# Golden test of "tavrinc size": the steps and optimisation tests of the sample definition with
# optimisation off and on, of a definition whose step is too large for TradeStation's optimiser, and the
# failure for a missing definition. Usage: size.sh TAVRINC ROOT
set -euo pipefail
TAVRINC="$1"
ROOT="$2"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
# A copy, because reading the settings writes their normal forms back into the sample's Tavrin.ini.
cp -r "$ROOT/samples/program" "$ROOT/samples/TradeStation" "$WORK/"
cd "$WORK/program"

{
  echo "== sample, RunOpt=NO"
  "$TAVRINC" size Demo.tvd
  sed -i 's/^RunOpt=NO/RunOpt=YES/' Tavrin.ini
  echo "== sample, RunOpt=YES"
  "$TAVRINC" size Demo.tvd
  printf 'Workspace=../TradeStation/MyWork/Demo.tsw\r\nSymbols=@ES,@NQ\r\nEndDate=10/12/2012\r\n\r\nTemplate=\r\n5 min\r\nDaily|2 Years\r\n\r\nOptSet=\r\n1/Fast|1|200|1\r\n2/Slow|10|109|1\r\n' > Large.tvd
  echo "== a step beyond 10000 tests"
  "$TAVRINC" size Large.tvd
} > "$WORK/printed"
tr -d '\r' < "$ROOT/tests/golden/size.expected" | diff -u - "$WORK/printed"

# "steps" still prints exactly the listing.
"$TAVRINC" steps Demo.tvd > "$WORK/listing"
cmp "$WORK/listing" ShowCmd.csv

# A missing definition: nothing on standard output, the reason on standard error, exit 1.
status=0
"$TAVRINC" size Missing.tvd > "$WORK/out" 2> "$WORK/err" || status=$?
[ "$status" = 1 ] || { echo "size of a missing definition exited with $status" >&2; exit 1; }
grep -q '^Remote Script not found' "$WORK/err" || { echo "unexpected message: $(cat "$WORK/err")" >&2; exit 1; }
[ ! -s "$WORK/out" ] || { echo "a size was printed on failure" >&2; exit 1; }
status=0
"$TAVRINC" size > /dev/null 2>&1 || status=$?
[ "$status" = 2 ] || { echo "size without a definition exited with $status" >&2; exit 1; }
echo "golden size: OK"
