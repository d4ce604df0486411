#!/usr/bin/env bash
# Screenshots of what the window says of each port's verdict, from the real program under
# Xvfb with openbox, driven with xdotool: Test in Several Ports with Chocolate Doom marked as
# failing (the corpus file "titled" has extended nodes), the warp box completing the file's
# titled maps, and the custom file's tip. The four Debian ports, Freedoom 2 and the file are
# written into the configuration beforehand.
# Usage: verdict-screenshots.sh PATH/TO/Quillon PATH/TO/quillon_corpus [OUTDIR]
set -euo pipefail
exe=$(realpath "$1")
corpus=$(realpath "$2")
out=$(realpath -m "${3:-docs/screenshots}")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/quillon" "$work/my maps"
cp "$exe" "$work/quillon/Quillon"
"$corpus" "$work/corpus" >/dev/null
cp "$work/corpus/titled.wad" "$work/my maps/titled.wad"
printf '%s\r\n' "[Ports]" "NumPorts=4" \
  "Port1Name=Chocolate Doom" "Port1Path=/usr/games/chocolate-doom" \
  "Port2Name=Crispy Doom" "Port2Path=/usr/games/crispy-doom" \
  "Port3Name=DSDA-Doom" "Port3Path=/usr/games/dsda-doom" \
  "Port4Name=Woof!" "Port4Path=/usr/games/woof" "" \
  "[IWADs]" "NumIWADs=1" "IWAD1Name=Freedoom 2" "IWAD1File=freedoom2.wad" "" \
  "[Programs]" "NumProgs=0" "" \
  "[Files]" "NumFiles=1" "File1Name=titled.wad" "File1Path=$work/my maps/titled.wad" "" \
  "[Memory]" "Port=1" "IWAD=1" "Prog=0" "UseFiles=1" "ExitOnTest=0" "Warp=1" "WarpTo=1" \
  "NoMonsters=0" "NoMusic=0" "NoSound=0" "NoCD=0" "OpenGL=0" "TestPorts=1,2,3,4" "" \
  > "$work/quillon/QLN2.ini"

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c '
  set -euo pipefail
  work=$1; out=$2
  openbox >/dev/null 2>&1 & wm=$!
  sleep 1
  ( cd / && exec "$work/quillon/Quillon" ) >/dev/null 2>&1 & quillon=$!
  pause() { sleep "${1:-0.6}"; }
  key() { xdotool key --clearmodifiers "$@"; pause; }
  window() {
    for _ in $(seq 100); do
      id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
      [ -n "$id" ] && { echo "$id"; return; }
      sleep 0.1
    done
    echo "no window $1" >&2; exit 1
  }
  focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; pause 0.3; }
  # The window with its frame and what it shows below it (tips, pop-ups), cut from the root.
  shot() {  # window id, name, extra height below
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "$((WIDTH + 24))x$((HEIGHT + 60 + ${3:-0}))+$((X - 12))+$((Y - 44))" \
      +repage "$out/$2.png"
  }
  main=$(window "^Quillon$")
  pause 2  # the analysis runs on its own thread; the tips say "checking..." until it is done
  # The custom file list: hover over its first item for the tip.
  focus "$main"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + 470)) $((Y + 60)); pause 0.3
  xdotool mousemove $((X + 480)) $((Y + 46)); pause 3
  import -window root "$out/verdicts-file-tip.png"  # the tip is wider than the window
  xdotool mousemove --window "$main" 5 5; pause
  # Test in Several Ports: every port checked, Chocolate Doom marked as failing.
  key shift+F2
  several=$(window "^Test in Several Ports$")
  focus "$several"
  xdotool windowmove "$several" 380 120; pause
  shot "$several" verdicts-several-ports
  key Escape
  # The warp box completing the maps, titled by the file.
  focus "$main"
  xdotool mousemove --window "$main" 110 226 click 1; pause
  key ctrl+a
  xdotool type --delay 20 -- "MAP0"; pause 1.5
  shot "$main" verdicts-warp-titles 120
  kill "$quillon" "$wm" 2>/dev/null || true
' _ "$work" "$out"
echo "screenshots in $out"
