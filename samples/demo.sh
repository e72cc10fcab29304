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
(cd "$WORK/program" && "$TAVRINC" steps Demo.tvd && "$TAVRINC" mark Demo.tvd) || true
