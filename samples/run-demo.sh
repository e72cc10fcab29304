#!/usr/bin/env bash
# The main job: Tavrin.exe runs a whole sequence unattended against the stand-in TradeStation under Wine.
# Called by samples/demo.sh with the build folder, on the Wine display ./dev has started.
#   samples/run-demo.sh BUILD WORK
set -euo pipefail
BUILD="$1"
WORK="$2"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
say() { printf '== %s\n' "$*" >&2; }

# TradeStation is a 32-bit program under "Program Files (x86)"; where this machine cannot run 32-bit
# programs the 64-bit build of the stand-in stands in under "Program Files".
drive_c="$WINEPREFIX/drive_c"
if /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -f "$BUILD/win/tools/orchart/x86/orchart.exe" ]; then
  exe="$BUILD/win/tools/orchart/x86/orchart.exe"
  programs="Program Files (x86)"
else
  exe="$BUILD/win/tools/orchart/orchart.exe"
  programs="Program Files"
  say "this machine cannot run 32-bit programs: the 64-bit stand-in runs under \"$programs\""
fi
folder="$drive_c/$programs/TradeStation 9.5"
rm -rf "$folder"
mkdir -p "$folder/Program"
cp "$exe" "$folder/Program/orchart.exe"
control="$WORK/orchart-control.txt"
: >"$control"
wine reg add 'HKCU\Software\Wine\AppDefaults\orchart.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true

say "starting the stand-in TradeStation (fast mode) in C:/$programs/TradeStation 9.5"
wine "$folder/Program/orchart.exe" --fast --Version=9.5 "--Folder=C:/$programs/TradeStation 9.5" \
  "--Control=Z:$control" "--Workspace=Tavrin Sample" >/dev/null 2>&1 &
ts_pid=$!
stop_standin() {
  echo "Quit=1" >>"$control"
  for _ in $(seq 100); do kill -0 "$ts_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$ts_pid" 2>/dev/null || true
  wait "$ts_pid" 2>/dev/null || true
}
trap stop_standin EXIT
for _ in $(seq 300); do
  grep -q "chart loaded" "$folder/Logs/orchart.log" 2>/dev/null && break
  sleep 0.1
done
grep -q "chart loaded" "$folder/Logs/orchart.log" || { say "the stand-in's chart did not load"; exit 1; }

# The program folder: Tavrin.exe, its settings (short waits for the fast stand-in), the definition and the
# skip list (GM is never tested).
program="$WORK/Tavrin"
mkdir -p "$program"
cp "$BUILD/win/app/Tavrin.exe" "$program/"
cp "$ROOT/samples/run/Tavrin.ini" "$ROOT/samples/run/Skip.txt" "$program/"
sed "s|@TSFOLDER@|C:/$programs/TradeStation 9.5|" "$ROOT/samples/run/Sample.tvd" >"$program/Sample.tvd"
printf '\n==== The definition Sample.tvd ====\n'
cat "$program/Sample.tvd"

printf '\n==== Tavrin.exe /R Sample /Q (unattended, quiet) ====\n'
start=$(date +%s)
set +e
(cd "$program" && wine Tavrin.exe /R Sample /Q >"$WORK/tavrin-output.txt" 2>/dev/null)
code=$?
set -e
tr -d '\r' <"$WORK/tavrin-output.txt"
printf '\nexit code %s, %s s\n' "$code" "$(($(date +%s) - start))"

run="$program/Sample/SEQ_0001"
printf '\n==== The run folder %s ====\n' "${run#"$WORK"/}"
(cd "$run" && find . -maxdepth 1 -type f -printf '%10s  %P\n' | sort -k2)
printf '\n==== _Summary.csv ====\n'
tr -d '\r' <"$run/_Summary.csv"
