#!/usr/bin/env bash
# Screenshots of the text window: the real program under Xvfb with openbox, on a desktop
# where no program opens text files (PATH holds no xdg-open), F1 pressed and a word found
# with Ctrl+F; at the normal size and at QT_SCALE_FACTOR=2.
# Usage: text-window-screenshot.sh PATH/TO/Quillon [OUTDIR]
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "${2:-docs/screenshots}")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/quillon" "$work/nothing"
cp "$exe" "$work/quillon/Quillon"
cp "$(dirname "$exe")/QLN2.txt" "$work/quillon/"

shoot() {  # suffix, screen size, environment for Quillon...
  local suffix=$1 screen=$2
  shift 2
  rm -f "$work/quillon/QLN2.ini"
  xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" env "$@" bash -c '
    set -euo pipefail
    work=$1; out=$2; suffix=$3
    openbox >/dev/null 2>&1 & wm=$!
    sleep 1
    env PATH="$work/nothing" "$work/quillon/Quillon" >/dev/null 2>&1 & quillon=$!
    window() {
      for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
      done
      echo "no window $1" >&2; exit 1
    }
    key() { xdotool key --clearmodifiers "$@"; sleep 0.6; }
    sleep 2
    key Return                          # the first-start notice
    xdotool windowactivate --sync "$(window "^Quillon$")" 2>/dev/null || true
    key F1
    id=$(window "^QLN2.txt ")
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    key ctrl+f
    xdotool type --delay 20 -- "port"
    key Return
    eval "$(xdotool getwindowgeometry --shell "$id")"
    import -window root -crop "$((WIDTH + 24))x$((HEIGHT + 60))+$((X - 12))+$((Y - 44))" \
      +repage "$out/text-window$suffix.png"
    kill "$quillon" "$wm" 2>/dev/null || true
  ' _ "$work" "$out" "$suffix"
}

shoot "" 1280x1024 QT_QPA_PLATFORM=xcb
shoot -2x 2560x2048 QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2
echo "screenshots in $out"
