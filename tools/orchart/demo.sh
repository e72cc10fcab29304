#!/usr/bin/env bash
# Shows the stand-in TradeStation on the Wine display that is already running (DISPLAY and WINEPREFIX set,
# as ./dev sets them): starts orchart.exe with a sample workspace, waits until its chart has loaded, takes
# screenshots of the chart and of the Format Symbol dialog, then sets an optimisation range in the Format
# Strategy dialog, runs the optimisation and shows the Strategy Performance Report (a screenshot of each),
# and stops it cleanly through its control file.
#
#   tools/orchart/demo.sh BUILD_DIR [OUT_DIR]      (OUT_DIR default /tmp)
#
# The screenshots need ImageMagick's `import` (./dev setup installs it).
#
# ORCHART_FOLDER=/some/dir puts the installation folder there (default: a fresh folder under /tmp).
# Writes OUT_DIR/orchart-chart.png, orchart-format-symbol.png, orchart-format-strategy.png,
# orchart-optimization.png and orchart-performance-report.png.
set -euo pipefail

build="${1:?usage: demo.sh BUILD_DIR [OUT_DIR]}"
out="${2:-/tmp}"
exe="$build/tools/orchart/orchart.exe"
[ -f "$exe" ] || { echo "demo.sh: $exe is missing (build the Windows tree first)" >&2; exit 1; }
base="${ORCHART_FOLDER:-$(mktemp -d /tmp/orchart-demo.XXXXXX)}"
folder="$base/TradeStation 9.5"
control="$base/orchart-control.txt"
log="$folder/Logs/orchart.log"
mkdir -p "$out"
: > "$control"

say() { printf '== orchart: %s\n' "$*" >&2; }

# Waits (at most $2 tenths of a second) for a line of the stand-in's activity log to contain $1.
wait_log() {
  local i
  for ((i = 0; i < $2; i++)); do
    grep -q -- "$1" "$log" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Without a window manager Wine stalls whenever a managed window hides; let Wine draw orchart's frames.
wine reg add 'HKCU\Software\Wine\AppDefaults\orchart.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true

say "starting $exe (installation folder $folder)"
wine "$exe" "--Folder=Z:$folder" "--Control=Z:$control" "--Workspace=Tavrin Sample" >/dev/null 2>&1 &
pid=$!
stop() {
  echo "Quit=1" >> "$control"
  local i
  for ((i = 0; i < 100; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    say "no clean exit; stopping process $pid"
    kill "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}
trap stop EXIT

wait_log "chart loaded" 300 || { say "the chart did not load"; exit 1; }
sleep 0.5
import -window root "$out/orchart-chart.png"
say "chart: $out/orchart-chart.png"

echo "Command=17556" >> "$control"
wait_log "format symbol dialog" 100 || { say "no Format Symbol dialog"; exit 1; }
sleep 1
import -window root "$out/orchart-format-symbol.png"
say "Format Symbol: $out/orchart-format-symbol.png"

# One control-file action at a time: the stand-in reads the file when it changes (every 250 ms).
act() {
  echo "$1" >> "$control"
  sleep 0.5
}
shot() {
  sleep "$2"
  import -window root "$out/orchart-$1.png"
  say "$1: $out/orchart-$1.png"
}

act "Click=Format Symbol -|2"
act "OptTestMs=700"
act "Command=17852"
wait_log "format strategies dialog" 100 || { say "no Format Analysis Techniques & Strategies dialog"; exit 1; }
act "Click=Format Analysis Techniques & Strategies|6635"
wait_log "format strategy dialog" 100 || { say "no Format Strategy dialog"; exit 1; }
act "Click=Format Strategy:|8330"
wait_log "optimize range dialog" 100 || { say "no Optimize dialog"; exit 1; }
act "SetText=Optimize|8280|4"
act "SetText=Optimize|8281|16"
act "SetText=Optimize|8282|2"
act "Click=Optimize|1"
wait_log "optimize FastLength" 100 || { say "the range was not taken"; exit 1; }
shot format-strategy 0.5

act "Click=Format Strategy:|1"
wait_log "format strategy ok" 100 || { say "Format Strategy did not close"; exit 1; }
act "Click=Format Analysis Techniques & Strategies|1"
wait_log "optimization started" 100 || { say "no optimization"; exit 1; }
shot optimization 2.5
wait_log "optimization done" 300 || { say "the optimization did not end"; exit 1; }

act "Command=17542"
wait_log "performance report:" 100 || { say "no performance report"; exit 1; }
shot performance-report 1

trap - EXIT
stop
say "stopped: $(tail -n 1 "$log")"
