#!/usr/bin/env bash
# The Program menu open on Edit Map, then Edit Map (Ctrl+E) run against the real Eureka: its
# process must run with the PWAD, the IWAD and the warp map, then the program parameters.
# Eureka's settings go to a throw-away HOME. Usage: editmap-screenshot.sh PATH/TO/Quillon [OUTDIR]
set -euo pipefail
exe=$(realpath "$1")
out=$(realpath -m "${2:-docs/screenshots}")
here=$(dirname "$(realpath "$0")")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/quillon" "$work/my maps" "$work/home"
cp "$exe" "$work/quillon/Quillon"
python3 "$here/e2e/make_wad.py" "$work/my maps/room.wad"
cat > "$work/quillon/QLN2.ini" <<INI
[Ports]
NumPorts=0
[IWADs]
NumIWADs=1
IWAD1Name=Freedoom: Phase 2
IWAD1File=freedoom2.wad
[Programs]
NumProgs=1
Prog1Name=Eureka
Prog1Path=eureka
[Files]
NumFiles=1
File1Name=room.wad
File1Path=$work/my maps/room.wad
[Memory]
Port=0
IWAD=1
Prog=1
UseFiles=1
Warp=1
WarpTo=1
ProgParams=-port vanilla
Params=
NoMonsters=0
NoMusic=0
NoSound=0
NoCD=0
OpenGL=0
ExitOnTest=0
INI

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" env HOME="$work/home" bash -c '
  set -e
  work=$1; out=$2
  "$work/quillon/Quillon" & pid=$!
  sleep 3
  main=$(xdotool search --onlyvisible --name "^Quillon\$" | head -1)
  xdotool windowfocus --sync "$main"
  # Program menu by its access key; Down walks past the disabled items to Edit Map.
  xdotool key alt+p; sleep 0.5
  xdotool key Down Down; sleep 0.5
  import -window root "$out/program-menu-edit-map.png"
  xdotool key Escape Escape; sleep 0.5
  xdotool windowfocus --sync "$main"
  xdotool key ctrl+e
  editor=""
  for _ in $(seq 50); do
    editor=$(ps -o pid= --ppid "$pid" | tr -d " " | head -1)
    [ -n "$editor" ] && break
    sleep 0.1
  done
  status=0
  if [ -z "$editor" ]; then echo "Edit Map started nothing" >&2; status=1; else
    got=$(tr "\0" "|" < "/proc/$editor/cmdline")
    want="/usr/bin/eureka|$work/my maps/room.wad|-iwad|/usr/share/games/doom/freedoom2.wad|-warp|MAP01|-port|vanilla|"
    echo "eureka: $got"
    [ "$got" = "$want" ] || { echo "expected $want" >&2; status=1; }
    sleep 3
    import -window root "$out/edit-map-eureka.png"
    kill "$editor"
  fi
  kill "$pid"; wait "$pid" || true
  exit $status
' _ "$work" "$out"
