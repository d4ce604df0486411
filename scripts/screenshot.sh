#!/usr/bin/env bash
# Starts the real program under Xvfb in an empty program directory and takes screenshots:
# the first-start message, then the main window. Usage: screenshot.sh PATH/TO/Quillon [OUTDIR]
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "${2:-docs/screenshots}")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/Quillon"
cp "$(dirname "$exe")/QLN2.txt" "$work/" 2>/dev/null || true

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  work=$1; out=$2
  "$work/Quillon" & pid=$!
  sleep 3
  import -window root "$out/first-start.png"
  xdotool key Return
  sleep 1
  import -window root "$out/main-window.png"
  # Program > Exit, by its access keys, as a user would. Without a window manager
  # nothing gives the window the keyboard focus, so give it.
  xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^Quillon\$" | head -1)"
  xdotool key alt+p
  sleep 0.5
  xdotool key e
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null && echo "Quillon did not close by its menu" >&2 || true
' _ "$work" "$out"
echo "screenshots in $out; configuration written:"
cat -A "$work/QLN2.ini" | head -30
