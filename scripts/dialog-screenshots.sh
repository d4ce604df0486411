#!/usr/bin/env bash
# Screenshots of the setup dialog (Setup > Ports with two ports), the add/change dialog (as it
# opens, then with a family and parameters of the port's own) and the About box, each at the
# normal size, at QT_SCALE_FACTOR=2 and with a 16 pt application font, taken from the real
# program under Xvfb with openbox and driven with xdotool.
# The 16 pt font comes from Qt's own KDE platform theme reading a kdeglobals file: no code
# of ours is involved. Usage: dialog-screenshots.sh PATH/TO/Quillon [OUTDIR]
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "${2:-docs/screenshots}")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/kde"
printf '[General]\nfont=DejaVu Sans,16,-1,5,50,0,0,0,0,0\n' > "$work/kde/kdeglobals"

shoot() {  # suffix, screen size, environment for Quillon...
  local suffix=$1 screen=$2
  shift 2
  rm -rf "$work/quillon" && mkdir -p "$work/quillon"
  cp "$exe" "$work/quillon/Quillon"
  xvfb-run -a -s "-screen 0 ${screen}x24 -noreset" env "$@" bash -c '
    set -euo pipefail
    work=$1; out=$2; suffix=$3
    openbox >/dev/null 2>&1 & wm=$!
    sleep 1
    "$work/quillon/Quillon" >/dev/null 2>&1 & quillon=$!
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
    # The window with its frame, a little of the screen around it.
    shot() {
      local id; id=$(window "$1")
      xdotool windowactivate --sync "$id" 2>/dev/null || true
      pause
      eval "$(xdotool getwindowgeometry --shell "$id")"
      import -window root -crop "$((WIDTH + 24))x$((HEIGHT + 60))+$((X - 12))+$((Y - 44))" \
        +repage "$out/$2$suffix.png"
    }
    add_port() {  # name, path; with the focus on Add
      key space
      window "^Add/Change Source Port$" >/dev/null
      xdotool type --delay 20 -- "$1"; key Tab
      xdotool type --delay 20 -- "$2"
      [ "${3:-}" = keep ] && return
      key Return
    }
    pause 2
    key Return                          # the first-start notice
    xdotool windowactivate --sync "$(window "^Quillon$")" 2>/dev/null || true
    key F5
    window "^Source Port Setup$" >/dev/null
    key Tab Tab                         # from Done over the list to Add
    add_port chocolate-doom "$work/quillon/Quillon"
    add_port crispy-doom /usr/bin/env
    key shift+Tab                       # back to the list
    key Down                            # pick the first port: its name and file date
    shot "^Source Port Setup$" setup-ports
    key Tab                             # to Add
    add_port prboom-plus /opt/prboom-plus keep
    shot "^Add/Change Source Port$" add-port
    key Tab                             # to the family, Boom picked by its first letter
    key b
    key Tab                             # to the parameters for this port only
    xdotool type --delay 20 -- "-complevel 9 -fast"
    shot "^Add/Change Source Port$" port-entry
    key Escape
    key Escape
    xdotool windowactivate --sync "$(window "^Quillon$")" 2>/dev/null || true
    key alt+h
    key a
    shot "^About Quillon$" about
    key Return
    kill "$quillon" "$wm" 2>/dev/null || true
  ' _ "$work" "$out" "$suffix"
}

shoot "" 1280x1024 QT_QPA_PLATFORM=xcb
shoot -2x 2560x2048 QT_SCALE_FACTOR=2
shoot -16pt 1280x1024 XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 XDG_CONFIG_HOME="$work/kde"
echo "screenshots in $out"
