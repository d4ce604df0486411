#!/usr/bin/env bash
# End to end: the real Quillon under Xvfb with a window manager, driven only by the keyboard
# and mouse (xdotool), against real source ports and the Freedoom IWAD.
# Usage: run.sh PATH/TO/Quillon [SHOTS_DIR]; run inside an X server (see Makefile: e2e).
set -euo pipefail

exe=$(realpath "$1")
shots=$(realpath -m "${2:-docs/screenshots}")
here=$(dirname "$(realpath "$0")")
mkdir -p "$shots"
work=$(mktemp -d)
# The machine may be shared: the clean-up ends only the processes this run started, by the
# pids it wrote down ("pid name" a line), each only while that pid still runs that program.
# dsda-doom can hang for good in its own handler for SIGTERM (asleep on a futex), so what
# still runs a second later gets SIGKILL.
runs() { [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$2" ] && ! grep -q '^[^)]*) Z' "/proc/$1/stat" 2>/dev/null; }
stop_started() {
  [ -f "$work/started" ] || return 0
  local signal pid name left
  for signal in TERM KILL; do
    left=""
    while read -r pid name; do
      if runs "$pid" "$name"; then kill -s "$signal" "$pid" 2>/dev/null; left=1; fi
    done < "$work/started"
    [ -n "$left" ] || break
    [ "$signal" = TERM ] && sleep 1
  done
  return 0
}
cleanup() { stop_started; rm -rf "$work"; }
trap cleanup EXIT
started() { echo "$1 $2" >> "$work/started"; }
mkdir -p "$work/quillon" "$work/my maps"
cp "$exe" "$work/quillon/Quillon"
python3 "$here/make_wad.py" "$work/my maps/room.wad"
export SDL_AUDIODRIVER=dummy  # no sound card here; the ports run without one

step() { printf '\n== %s\n' "$*"; }
fail() { printf 'E2E FAILED: %s\n' "$*" >&2; import -window root "$shots/e2e-failure.png" || true; exit 1; }
pause() { sleep "${1:-0.5}"; }
key() { xdotool key --clearmodifiers "$@"; pause 0.4; }
type_text() { xdotool type --delay 10 -- "$1"; pause 0.3; }
shot() { pause 0.5; import -window root "$shots/$1.png"; }
# Waits for a visible window whose title matches, prints its id.
window() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window '$1'"
  echo "$id"
}
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; pause 0.3; }
# Clicks a point of the main window, in its own coordinates.
click() { focus "$main"; xdotool mousemove --window "$main" "$1" "$2" click 1; pause 0.5; }
ini() { tr -d '\r' < "$work/quillon/QLN2.ini"; }
key_of() { ini | sed -n "/^\[$1\]/,/^\[/p" | grep "^$2=" | head -1 | cut -d= -f2-; }
# Closes Quillon with its close box (alt+F4 to its main window) and waits for it to end, or
# fails with WHY. A window that maps late can take the focus from under the key, so it is
# sent up to three times; a window id given (a notice, not modal) must still be open at each
# try, so closing the notice by mistake never passes for the main window closing.
close_quillon() {  # why [window that must stay open]
  local try
  for try in 1 2 3; do
    if [ -n "${2:-}" ] && ! xdotool getwindowname "$2" >/dev/null 2>&1; then
      fail "$1: window $2 went away"
    fi
    focus "$main"; key alt+F4
    for _ in $(seq 50); do kill -0 "$quillon" 2>/dev/null || return 0; sleep 0.1; done
    echo "alt+F4 did not close Quillon (active: $(xdotool getactivewindow getwindowname 2>/dev/null))"
  done
  fail "$1"
}
start_quillon() {
  ( cd / && exec "$work/quillon/Quillon" ) >"$work/quillon.log" 2>&1 &
  quillon=$!
  started "$quillon" Quillon
}
# The newest process of a port started by this run's Quillon (its child: ports of other
# users of the machine are never looked at), written down for the clean-up.
port_pid() {
  local pid=""
  for _ in $(seq 100); do
    pid=$(pgrep -n -P "$quillon" -x "$1" || true)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || fail "$1 did not start"
  started "$pid" "$1"
  echo "$pid"
}
args_of() { tr '\0' '\n' < "/proc/$1/cmdline"; }
# What the set-up of step 2 must give a port, one argument a line.
set_up_args() {
  printf '%s\n' "$1" -iwad freedoom2.wad -file "$work/my maps/room.wad" -warp 1 -window -nomonsters
}
expect_args() {  # pid, expected args one per line
  local got
  got=$(args_of "$1")
  [ "$got" = "$2" ] || fail "arguments of $1 were:
$got
expected:
$2"
  [ "$(readlink "/proc/$1/cwd")" = /usr/games ] || fail "working directory $(readlink "/proc/$1/cwd")"
}

# The message boxes carry the program's title with its version; the main window, the name.
# Their text is for the screenshots: X gives a client no way to read a label.
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# Positions of the main window's controls (the layout is fixed-size; fonts from fonts-dejavu).
P_PORTS="130 118"; P_IWADS="130 168"; P_ENABLE="364 66"; P_ADDPWAD="396 93"
P_NOMONSTERS="204 226"; P_PARAMS="170 434"; P_TEST="398 446"; P_WARPTO="110 226"
P_SKILL="216 358"; P_COMPLEVEL="216 386"
P_WINDOWED="60 331"

step "1. First start in an empty directory"
start_quillon
msg=$(window "^Quillon 2.01$")
shot e2e-1-first-start
focus "$msg"; key Return
main=$(window "^Quillon$")
expected_ini=$(printf '%s\r\n' "[Ports]" "NumPorts=0" "" "[IWADs]" "NumIWADs=0" "" "[Programs]" \
  "NumProgs=0" "" "[Files]" "NumFiles=0" "" "[Memory]" "Port=0" "IWAD=0" "Prog=0" "UseFiles=0" \
  "ExitOnTest=0" "Warp=0" "WarpTo=1" "NoMonsters=0" "NoMusic=0" "NoSound=0" "NoCD=0" "OpenGL=0" "" | od -c)
[ "$(od -c < "$work/quillon/QLN2.ini")" = "$expected_ini" ] || fail "the new QLN2.ini is not the default file"
shot e2e-1-main-window

step "2. Set up a port, an IWAD and a PWAD by hand"
add_entry() {  # F-key, dialog title, name, file
  focus "$main"; key "$1"
  focus "$(window "$2")"
  key Tab; key Tab; key space        # Done -> list -> Add
  focus "$(window "^Add/Change")"
  type_text "$3"; key Tab; type_text "$4"; key Return
  focus "$(window "$2")"; key Escape
}
add_entry F5 "^Source Port Setup$" "Chocolate Doom" /usr/games/chocolate-doom
add_entry F6 "^IWAD Setup$" "Freedoom 2" freedoom2.wad
[ "$(key_of Ports Port1Path)" = /usr/games/chocolate-doom ] || fail "port not written"
[ "$(key_of IWADs IWAD1File)" = freedoom2.wad ] || fail "IWAD not written"
# The user picks the new entries: click the list, close its popup, take the first item.
click $P_PORTS; key Escape; key Home
click $P_IWADS; key Escape; key Home
click $P_ENABLE
click $P_ADDPWAD
focus "$(window "^Select PWAD$")"
type_text "$work/my maps/room.wad"; key Return
focus "$main"
[ "$(key_of Files File1Path)" = "$work/my maps/room.wad" ] || fail "PWAD not written"
click $P_NOMONSTERS
click $P_PARAMS; type_text "-window"
shot e2e-2-set-up

step "3. Test starts the real port"
focus "$main"; key F2
choco=$(port_pid chocolate-doom)
expect_args "$choco" "$(set_up_args /usr/games/chocolate-doom)"
window "Chocolate Doom" >/dev/null
sleep 4
shot e2e-3-chocolate-doom

step "4. The same set-up in a second port, both running"
add_entry F5 "^Source Port Setup$" "Crispy Doom" /usr/games/crispy-doom
click $P_PORTS; key Escape; key Down
focus "$main"; key F2
crispy=$(port_pid crispy-doom)
expect_args "$crispy" "$(set_up_args /usr/games/crispy-doom)"
kill -0 "$choco" || fail "the first port ended"
window "Crispy Doom" >/dev/null
sleep 4
shot e2e-4-two-ports

step "5. Close Quillon with its close box; everything comes back"
close_quillon "Quillon did not close"
for k in "Port=2" "IWAD=1" "UseFiles=1" "Warp=1" "WarpTo=1" "NoMonsters=1" "Params=-window"; do
  [ "$(key_of Memory "${k%%=*}")" = "${k#*=}" ] || fail "Memory holds $(key_of Memory "${k%%=*}") for $k"
done
kill "$choco" "$crispy" 2>/dev/null || true  # the ports of steps 3 and 4 are done with
start_quillon
main=$(window "^Quillon$")
shot e2e-5-restarted
focus "$main"; key F2
again=$(port_pid crispy-doom)
[ "$(args_of "$again")" = "$(set_up_args /usr/games/crispy-doom)" ] ||
  fail "after the restart the port got: $(args_of "$again")"
# Its window takes the focus when it maps: wait for it before keying Quillon again.
window "Crispy Doom" >/dev/null
pause 2

step "6. A port that stops with an error gets a notice; its output is in a log"
close_quillon "Quillon did not close"
kill "$again" 2>/dev/null || true  # Quillon is closed: nobody watches it any more
# Chocolate Doom again, sent to a map Freedoom 2 does not have; -nogui makes it print its
# error and quit instead of showing its own error box and waiting.
sed -i -e 's/^Port=[0-9]*\r$/Port=1\r/' -e 's/^WarpTo=.*\r$/WarpTo=99\r/' \
  -e 's/^Params=.*\r$/Params=-window -nogui\r/' "$work/quillon/QLN2.ini"
start_quillon
main=$(window "^Quillon$")
focus "$main"; key F2
# Quillon sees the map is in no loaded file and asks first; Test Anyway goes on.
focus "$(window "^Quillon 2.01$")"; key shift+Tab; key space  # from Cancel, the default, to Test Anyway
notice=$(window "^Chocolate Doom stopped$")
shot e2e-6-port-stopped
log=$(ls "$work/quillon/logs/"*" Chocolate Doom.log" 2>/dev/null | tail -1)
[ -n "$log" ] || fail "no log for Chocolate Doom in $work/quillon/logs"
grep -q "startmap: 99" "$log" || fail "the log lacks the port's output: $(cat "$log")"
head -1 "$log" | grep -q "^\$ cd /usr/games/ && /usr/games/chocolate-doom -iwad freedoom2.wad" ||
  fail "the log's first line is $(head -1 "$log")"
# Its Close button is exercised by the window tests; here the notice stays open.
# Not modal: with the notice open, the main window still closes.
close_quillon "Quillon did not close while a notice was open" "$notice"

# From a new user's empty folder: the Setup menu's search fills both lists, then a map is
# tested with each port and IWAD it found.
find_installed_step() {
  step "7. Find Installed Ports and IWADs from an empty folder"
  # The ports of the steps before are done with.
  stop_started
  mkdir -p "$work/fresh"
  cp "$exe" "$work/fresh/Quillon"
  ( cd / && exec "$work/fresh/Quillon" ) >"$work/fresh.log" 2>&1 &
  quillon=$!
  started "$quillon" Quillon
  focus "$(window "^Quillon 2.01$")"; key Return
  main=$(window "^Quillon$")
  focus "$main"; key ctrl+F5
  local found
  found=$(window "^Find Installed Ports and IWADs$")
  focus "$found"
  sleep 2  # the search reads the IWAD folders on its own thread
  shot e2e-7-find-installed
  key Return  # Add, the default: every checked entry
  fresh_key() { tr -d '\r' < "$work/fresh/QLN2.ini" | sed -n "/^\[$1\]/,/^\[/p" | grep "^$2=" | head -1 | cut -d= -f2-; }
  [ "$(fresh_key Ports Port1Name)" = "Chocolate Doom" ] || fail "first port: $(fresh_key Ports Port1Name)"
  [ "$(fresh_key Ports Port1Path)" = /usr/games/chocolate-doom ] || fail "Chocolate Doom's path"
  [ "$(fresh_key Ports Port2Name)" = "Crispy Doom" ] || fail "second port: $(fresh_key Ports Port2Name)"
  [ "$(fresh_key Ports Port2Path)" = /usr/games/crispy-doom ] || fail "Crispy Doom's path"
  [ "$(fresh_key IWADs IWAD1Name)" = "Freedoom: Phase 1" ] || fail "first IWAD: $(fresh_key IWADs IWAD1Name)"
  [ "$(fresh_key IWADs IWAD1File)" = freedoom1.wad ] || fail "Freedoom 1's file"
  [ "$(fresh_key IWADs IWAD2Name)" = "Freedoom: Phase 2" ] || fail "second IWAD: $(fresh_key IWADs IWAD2Name)"
  [ "$(fresh_key IWADs IWAD2File)" = freedoom2.wad ] || fail "Freedoom 2's file"
  # Chocolate Doom on Freedoom 2's MAP01, then Crispy Doom on Freedoom 1's first episode:
  # a new configuration warps to 1. Each list starts on its placeholder, the last item.
  local run pid tested=""
  for run in "Home|Home Down|chocolate-doom|freedoom2.wad" \
             "Home Down|Home|crispy-doom|freedoom1.wad"; do
    IFS='|' read -r port_key iwad_key exe_name iwad <<<"$run"
    click $P_PORTS; key Escape
    for k in $port_key; do key "$k"; done
    click $P_IWADS; key Escape
    for k in $iwad_key; do key "$k"; done
    click $P_PARAMS; key ctrl+a; type_text "-window"
    focus "$main"; key F2
    pid=$(port_pid "$exe_name")
    expect_args "$pid" "$(printf '%s\n' "/usr/games/$exe_name" -iwad "$iwad" -warp 1 -window)"
    window "$( [ "$exe_name" = chocolate-doom ] && echo "Chocolate Doom" || echo "Crispy Doom")" >/dev/null
    sleep 2
    tested="$tested $pid"
  done
  shot e2e-8-found-ports-running
  # Quillon first: a port killed while it watches would rightly get a "stopped" notice.
  close_quillon "Quillon did not close"
  for pid in $tested; do kill "$pid" 2>/dev/null || true; done
}
find_installed_step

step "8. Test in Several Ports starts both ports with the same arguments"
sed -i -e 's/^WarpTo=.*\r$/WarpTo=1\r/' -e 's/^Params=.*\r$/Params=-window\r/' \
  "$work/quillon/QLN2.ini"
start_quillon
main=$(window "^Quillon$")
# Test's tip names the command it would run.
focus "$main"; xdotool mousemove --window "$main" $P_TEST; sleep 2
shot e2e-8-test-tip
xdotool mousemove --window "$main" 5 5; pause
focus "$main"; key shift+F2
several=$(window "^Test in Several Ports$")
focus "$several"
key space; key Down; key space   # check Chocolate Doom and Crispy Doom
shot e2e-8-test-several-ports
key Return                       # Test, the default button
choco=$(port_pid chocolate-doom)
crispy=$(port_pid crispy-doom)
expect_args "$choco" "$(set_up_args /usr/games/chocolate-doom)"
expect_args "$crispy" "$(set_up_args /usr/games/crispy-doom)"
[ "$(key_of Memory TestPorts)" = "1,2" ] || fail "TestPorts holds '$(key_of Memory TestPorts)'"
# Side by side as far as the screen allows, for the screenshot.
xdotool windowmove "$(window "Chocolate Doom")" 0 0
xdotool windowmove "$(window "Crispy Doom")" 400 300
sleep 4
shot e2e-8-several-ports-running
close_quillon "Quillon did not close"
# The ports outlive Quillon.
kill -0 "$choco" && kill -0 "$crispy" || fail "a port ended with Quillon"
kill "$choco" "$crispy" 2>/dev/null || true

# The warp box offers the maps of the chosen IWAD and of the enabled custom files, each with
# the file it comes from; a chosen name reaches the port as its number.
warp_completions_step() {
  step "9. Warp completions for Freedoom 2 and the room; MAP07 goes on as -warp 7"
  # The configuration of steps 1 to 6: Chocolate Doom, Freedoom 2 and the room, enabled.
  sed -i -e 's/^Params=.*\r$/Params=-window\r/' "$work/quillon/QLN2.ini"
  start_quillon
  main=$(window "^Quillon$")
  click $P_WARPTO; key ctrl+a
  type_text "MAP"
  pause 1  # the maps are read on the window's worker thread
  shot e2e-9-warp-completions
  type_text "07"; key Down; key Return
  focus "$main"; key F2
  local doom
  doom=$(port_pid chocolate-doom)
  expect_args "$doom" "$(printf '%s\n' /usr/games/chocolate-doom -iwad freedoom2.wad \
    -file "$work/my maps/room.wad" -warp 7 -window -nomonsters)"
  # The port's window takes the focus when it maps: wait for it before keying Quillon again.
  window "Chocolate Doom" >/dev/null
  pause 2
  # Quillon first: a port killed while it watches would rightly get a "stopped" notice.
  close_quillon "Quillon did not close"
  kill "$doom" 2>/dev/null || true
  [ "$(key_of Memory WarpTo)" = MAP07 ] || fail "WarpTo holds $(key_of Memory WarpTo)"
}
warp_completions_step

# One skill and one compatibility level chosen in the window; each port gets them as its
# family takes them: -skill everywhere, -complevel only in the Boom family (dsda-doom).
skill_complevel_step() {
  step "10. Skill 4 and compatibility 9 chosen in the window; only dsda-doom gets -complevel"
  start_quillon
  main=$(window "^Quillon$")
  add_entry F5 "^Source Port Setup$" "DSDA-Doom" /usr/games/dsda-doom
  click $P_PORTS; key Escape; key Home; key Down; key Down
  # A closed drop-down takes a typed digit as the start of an item's text.
  click $P_SKILL; key Escape; key 4
  click $P_COMPLEVEL; key Escape; key 9
  click $P_WARPTO; key ctrl+a; type_text "3"
  click $P_PARAMS; key ctrl+a; type_text "-window"
  shot e2e-10-skill-complevel
  focus "$main"; key F2
  local choco crispy dsda
  # A port's line: its path, then what follows the warp. dsda-doom's manual names no folder
  # it looks in for an IWAD, so it is handed the full path of the one Quillon found.
  chosen_args() {
    local iwad=freedoom2.wad
    [ "$1" = /usr/games/dsda-doom ] && iwad=/usr/share/games/doom/freedoom2.wad
    printf '%s\n' "$1" -iwad "$iwad" -file "$work/my maps/room.wad" -warp 3 "${@:2}"
  }
  dsda=$(port_pid dsda-doom)
  expect_args "$dsda" "$(chosen_args /usr/games/dsda-doom -window -nomonsters -skill 4 -complevel 9)"
  window "^dsda-doom" >/dev/null
  pause 2
  # dsda-doom quits on an option it does not know, so -nogui is for the other two alone:
  # Chocolate Doom and Crispy Doom, still checked in Test in Several Ports from step 8.
  click $P_PARAMS; key ctrl+a; type_text "-window -nogui"
  focus "$main"; key shift+F2
  focus "$(window "^Test in Several Ports$")"; key Return
  choco=$(port_pid chocolate-doom)
  crispy=$(port_pid crispy-doom)
  expect_args "$choco" "$(chosen_args /usr/games/chocolate-doom -window -nogui -nomonsters -skill 4)"
  expect_args "$crispy" "$(chosen_args /usr/games/crispy-doom -window -nogui -nomonsters -skill 4)"
  # Cascaded, so the screenshot shows each one's title (the ports keep their own sizes).
  local at id
  for at in "^dsda-doom|0 0" "Crispy Doom|112 84" "Chocolate Doom|224 168"; do
    id=$(window "${at%%|*}")
    xdotool windowmove "$id" ${at#*|}; focus "$id"
  done
  sleep 4
  kill -0 "$choco" && kill -0 "$crispy" && kill -0 "$dsda" || fail "a port ended"
  shot e2e-10-three-ports-running
  # Quillon first: a port killed while it watches would rightly get a "stopped" notice.
  close_quillon "Quillon did not close"
  kill "$choco" "$crispy" "$dsda" 2>/dev/null || true
  [ "$(key_of Memory Skill)" = 4 ] || fail "Skill holds '$(key_of Memory Skill)'"
  [ "$(key_of Memory Complevel)" = 9 ] || fail "Complevel holds '$(key_of Memory Complevel)'"
}
skill_complevel_step

# Before a start, Quillon looks at what the port is handed: a custom file gone is asked
# about, and Cancel starts nothing. "Windowed" is -window in Chocolate Doom's dialect.
start_check_step() {
  step "11. The room renamed away: F2 asks, and Cancel starts nothing; named back, F2 starts"
  sed -i -e 's/^Port=[0-9]*\r$/Port=1\r/' -e 's/^WarpTo=.*\r$/WarpTo=1\r/' \
    -e 's/^Params=.*\r$/Params=\r/' "$work/quillon/QLN2.ini"
  start_quillon
  main=$(window "^Quillon$")
  click $P_WINDOWED
  local room="$work/my maps/room.wad" doom
  mv "$room" "$room.away"
  # Return takes the default, Cancel; Escape cancels too.
  local answer
  for answer in Return Escape; do
    focus "$main"; key F2
    focus "$(window "^Quillon 2.01$")"
    [ "$answer" = Escape ] && shot e2e-11-start-question
    key "$answer"
    for _ in $(seq 50); do visible "^Quillon 2.01$" || break; sleep 0.1; done
    visible "^Quillon 2.01$" && fail "$answer left the question open"
    pause 1
    [ -z "$(pgrep -P "$quillon")" ] || fail "$answer started: $(pgrep -a -P "$quillon")"
  done
  mv "$room.away" "$room"
  focus "$main"; key F2
  doom=$(port_pid chocolate-doom)
  visible "^Quillon 2.01$" && fail "asked with nothing wrong"
  # Skill 4 is still chosen from step 10; -window comes from Windowed alone.
  expect_args "$doom" "$(printf '%s\n' /usr/games/chocolate-doom -iwad freedoom2.wad \
    -file "$room" -warp 1 -nomonsters -skill 4 -window)"
  window "Chocolate Doom" >/dev/null
  pause 2
  shot e2e-11-started-after-rename
  # Quillon first: a port killed while it watches would rightly get a "stopped" notice.
  close_quillon "Quillon did not close"
  kill "$doom" 2>/dev/null || true
  [ "$(key_of Memory Windowed)" = 1 ] || fail "Windowed holds '$(key_of Memory Windowed)'"
}
start_check_step

# Start Here: a click in the drawn room moves player 1's start in a copy the port is given;
# the user's file stays byte for byte as it was.
start_here_step() {
  step "12. Start Here: a click in the room, Enter, Chocolate Doom starts from a copy"
  local room="$work/my maps/room.wad" doom view copy
  cp "$room" "$work/room.before"
  start_quillon
  main=$(window "^Quillon$")
  focus "$main"; key F8
  view=$(window "^Start Here$")
  focus "$view"
  pause 1  # the map is read on its own thread
  # The window opens at 800 x 640 with the room fitted to the middle: 150 pixels left of the
  # middle is about a quarter of the room's width west of its centre (256, 256).
  xdotool mousemove --window "$view" 250 320 click 1; pause 0.5
  shot e2e-12-start-here
  key Return
  doom=$(port_pid chocolate-doom)
  copy=$(args_of "$doom" | sed -n '/^-file$/{n;p;}')
  [ -n "$copy" ] && [ "$copy" != "$room" ] || fail "the port was given $copy, not a copy"
  expect_args "$doom" "$(printf '%s\n' /usr/games/chocolate-doom -iwad freedoom2.wad \
    -file "$copy" -warp 1 -nomonsters -skill 4 -window)"
  cmp -s "$room" "$work/room.before" || fail "the user's room.wad was written"
  # The copy differs from the room only in player 1's x and y (the first thing's first 4 bytes).
  python3 - "$work/room.before" "$copy" <<'PY' || fail "the copy is not the room with its start moved"
import struct, sys
a, b = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
count, table = struct.unpack_from("<ii", a, 4)
things = next(struct.unpack_from("<ii", a, table + 16 * i)[0] for i in range(count)
              if a[table + 16 * i + 8:table + 16 * i + 16].rstrip(b"\0") == b"THINGS")
x, y, angle, kind = struct.unpack_from("<hhhh", b, things)
print(f"player 1 start in the copy: ({x}, {y}) facing {angle}; {len(b)} bytes, the room {len(a)}")
assert len(a) == len(b) and kind == 1
changed = [i for i in range(len(a)) if a[i] != b[i]]
print(f"bytes changed: {changed}")
assert all(things <= i < things + 6 for i in changed)
assert 40 <= x <= 200 and 180 <= y <= 330, (x, y)
PY
  window "Chocolate Doom" >/dev/null
  pause 2
  shot e2e-12-started-here
  focus "$view"; key Escape  # the view is modal: closed before the main window
  close_quillon "Quillon did not close"
  kill "$doom" 2>/dev/null || true
}
start_here_step

# A few cases of `make verdicts`: quillon-check's verdict beside what the real port did with
# a file of the corpus: the room (runs everywhere), extended nodes (Chocolate Doom hangs in
# its level set-up, dsda-doom plays it) and a texture no file has (Chocolate Doom stops,
# dsda-doom draws it as missing).
verdicts_step() {
  step "13. Verdicts of quillon-check against Chocolate Doom and dsda-doom"
  stop_started
  local bin
  bin=$(dirname "$exe")
  python3 "$here/../verdicts/run.py" --check "$bin/quillon-check" --corpus "$bin/quillon_corpus" \
    --cases good,xnod,missingtex --ports chocolate-doom,dsda-doom > "$work/verdicts.log" 2>&1 ||
    fail "verdicts: $(cat "$work/verdicts.log")"
  cat "$work/verdicts.log"
  grep -q "^VERDICTS: 6 of 6 agree" "$work/verdicts.log" || fail "not every verdict agreed"
}
verdicts_step

# Edit, save, play: a map saved without nodes, Debian's zdbsp chosen to build them, Restart
# Ports on Save on. Test gives Chocolate Doom a built copy; a save (the map rewritten in
# place, its lamp moved) builds that copy again and replaces the port with the same line.
restart_on_save_step() {
  step "14. Restart on save: zdbsp builds a copy, a save replaces the port with the same line"
  local open="$work/my maps/open.wad" doom again copy
  python3 "$here/make_wad.py" "$open" --no-nodes
  sed -i -e "s|^File1Name=.*\r\$|File1Name=open.wad\r|" -e "s|^File1Path=.*\r\$|File1Path=$open\r|" \
    "$work/quillon/QLN2.ini"
  start_quillon
  main=$(window "^Quillon$")
  add_entry F7 "^Program Setup$" "ZDBSP" /usr/bin/zdbsp
  # "Build nodes with:" follows Done, the list, Add, Change and Remove.
  focus "$main"; key F7
  focus "$(window "^Program Setup$")"
  key Tab; key Tab; key Tab; key Tab; key Tab; key Down
  focus "$(window "^Program Setup$")"; key Escape
  [ "$(key_of Memory NodeBuilder)" = 1 ] || fail "NodeBuilder holds '$(key_of Memory NodeBuilder)'"
  focus "$main"; key ctrl+r
  focus "$main"; key F2
  doom=$(port_pid chocolate-doom)
  copy=$(args_of "$doom" | sed -n '/^-file$/{n;p;}')
  case "$copy" in */nodes-*open.wad) ;; *) fail "the port was given $copy, not a built copy" ;; esac
  window "Chocolate Doom" >/dev/null
  pause 2
  shot e2e-14-watching
  cp "$open" "$work/open.before"
  python3 "$here/make_wad.py" "$open" --no-nodes --lamp 300
  again=""
  for _ in $(seq 100); do
    again=$(pgrep -n -P "$quillon" -x chocolate-doom || true)
    [ -n "$again" ] && [ "$again" != "$doom" ] && break
    sleep 0.1
  done
  [ -n "$again" ] && [ "$again" != "$doom" ] || fail "the port was not started again"
  started "$again" chocolate-doom
  runs "$doom" chocolate-doom && fail "the first port still runs"
  expect_args "$again" "$(printf '%s\n' /usr/games/chocolate-doom -iwad freedoom2.wad \
    -file "$copy" -warp 1 -nomonsters -skill 4 -window)"
  # The copy holds the nodes zdbsp built from the second save; the user's file has none.
  python3 - "$open" "$copy" <<'PY' || fail "the copy does not hold the built nodes of the save"
import struct, sys
def lumps(path):
    d = open(path, "rb").read()
    n, t = struct.unpack_from("<ii", d, 4)
    out = {}
    for i in range(n):
        at, size = struct.unpack_from("<ii", d, t + 16 * i)
        out[d[t + 16 * i + 8:t + 16 * i + 16].rstrip(b"\0").decode()] = d[at:at + size]
    return out
mine, copy = lumps(sys.argv[1]), lumps(sys.argv[2])
print({k: len(v) for k, v in copy.items()})
assert len(mine["SSECTORS"]) == 0 and len(copy["SSECTORS"]) > 0 and len(copy["SEGS"]) > 0
assert copy["THINGS"] == mine["THINGS"], "the copy is not of the second save"
PY
  window "Chocolate Doom" >/dev/null
  pause 2
  shot e2e-14-restarted
  close_quillon "Quillon did not close"
  runs "$again" chocolate-doom || fail "closing Quillon ended the port it watched"
  stop_started
}
restart_on_save_step

echo
echo "E2E: 14 passed, 0 failed"
