#!/usr/bin/env bash
# The Debian package as a user meets it: its file list and validators, `apt install`, a run
# of `quillon-check` as a map project's CI makes it, a first start of `quillon` with a fresh
# home (settings in ~/.config/quillon, nothing beside the executable), a port added through
# the setup dialog and still there after a restart, then `apt remove`, which must take every
# installed file and leave the user's settings.
# Usage: deb-test.sh quillon_<version>_<arch>.deb; run as root inside an X server with a
# window manager (see Makefile: deb-test). Installs into this machine's /usr.
set -euo pipefail

deb=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
shots=$(realpath -m "$here/../build-deb/deb-test")
work=$(mktemp -d)
quillon=""
cleanup() {
  [ -n "$quillon" ] && kill "$quillon" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots"
passed=0

step() { printf '\n== %s\n' "$*"; }
ok() { passed=$((passed + 1)); printf 'ok: %s\n' "$*"; }
fail() {
  printf 'DEB TEST FAILED: %s\n' "$*" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -y -qq "$@"; }

step "1. The package holds what it should"
# Files only; the folders /usr, /usr/share, ... belong to other packages too.
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./|/|' | sort)
expected=$( (
  printf '%s\n' /usr/bin/quillon /usr/bin/quillon-check /usr/share/applications/quillon.desktop \
    /usr/share/metainfo/quillon.metainfo.xml /usr/share/quillon/QLN2.txt \
    /usr/share/man/man6/quillon.6.gz /usr/share/man/man1/quillon-check.1.gz \
    /usr/share/doc/quillon/copyright \
    /usr/share/doc/quillon/changelog.gz /usr/share/icons/hicolor/scalable/apps/quillon.svg
  for size in 16 24 32 48 64 128 256; do
    echo "/usr/share/icons/hicolor/${size}x${size}/apps/quillon.png"
  done
) | sort)
[ "$files" = "$expected" ] || fail "the package holds:
$files
expected:
$expected"
ok "file list"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no dependency on Qt found"
ok "dependencies from dpkg-shlibdeps: $(dpkg-deb -f "$deb" Depends)"

step "2. Validators"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/quillon.desktop" || fail "desktop entry"
ok "desktop-file-validate"
(cd "$work" && appstreamcli validate --no-net "$work/root/usr/share/metainfo/quillon.metainfo.xml") ||
  fail "metainfo"
ok "appstreamcli validate --no-net"
for page in man6/quillon.6.gz man1/quillon-check.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l "$work/root/usr/share/man/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "manual page $page: $warnings"
done
ok "man --warnings"
for size in 16 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/quillon.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
ok "icon sizes"
# Its infos are explained in packaging/README.md.
lintian --fail-on error,warning "$deb" 2>/dev/null || fail "lintian reports errors or warnings"
ok "lintian: no errors, no warnings"

step "3. apt install"
dpkg-query -W -f='${Status}' quillon 2>/dev/null | grep -q 'ok installed' && apt_get purge quillon
apt_get install "$deb" >/dev/null
[ "$(command -v quillon)" = /usr/bin/quillon ] || fail "quillon is not on the PATH"
ok "installed"

step "3b. quillon-check on the PATH, as a map project's CI runs it"
[ "$(command -v quillon-check)" = /usr/bin/quillon-check ] || fail "quillon-check is not on the PATH"
quillon-check --help | grep -q '^usage: quillon-check' || fail "quillon-check --help"
printf 'PWAD\0\0\0\0\14\0\0\0' >"$work/empty.wad"  # a PWAD of no lumps
echo "not a WAD" >"$work/text.wad"
iwad=/usr/share/games/doom/freedoom2.wad
[ -f "$iwad" ] && iwad_args=(--iwad "$iwad") || iwad_args=()
quillon-check "${iwad_args[@]}" --require dsda-doom --json "$work/empty.wad" >"$work/check.json" ||
  fail "quillon-check on an empty PWAD exited with $?"
grep -q '^{"files":\[{"path":"[^"]*/empty.wad","wad":"pwad","maps":\[\]' "$work/check.json" ||
  fail "quillon-check --json: $(cat "$work/check.json")"
status=0
quillon-check --require dsda-doom "$work/text.wad" >/dev/null || status=$?
[ "$status" = 1 ] || fail "quillon-check --require on a file that is not a WAD exited with $status"
ok "quillon-check: --help, JSON of an empty PWAD, status 1 for a required port that fails"

step "4. First start of a user with a fresh home"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_STATE_HOME
ini_file="$HOME/.config/quillon/QLN2.ini"
touch "$work/before-start"
sleep 1  # so that anything written later is newer than the marker on any file system

pause() { sleep "${1:-0.4}"; }
key() { xdotool key --clearmodifiers "$@"; pause; }
type_text() { xdotool type --delay 10 -- "$1"; pause 0.3; }
window() {  # waits for a visible window whose title matches, prints its id
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
start_quillon() {  # from a terminal in / , found on the PATH
  (cd / && exec quillon) >"$work/quillon.log" 2>&1 &
  quillon=$!
}
close_quillon() {
  focus "$main"; key alt+F4
  for _ in $(seq 50); do kill -0 "$quillon" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$quillon" 2>/dev/null && fail "Quillon did not close"
  quillon=""
}
key_of() {  # section, key
  tr -d '\r' <"$ini_file" | sed -n "/^\[$1\]/,/^\[/p" | grep "^$2=" | head -1 | cut -d= -f2-
}

start_quillon
msg=$(window "^Quillon 2.01$")
import -window root "$shots/1-first-start.png"
focus "$msg"; key Return
main=$(window "^Quillon$")
expected_ini=$(printf '%s\r\n' "[Ports]" "NumPorts=0" "" "[IWADs]" "NumIWADs=0" "" "[Programs]" \
  "NumProgs=0" "" "[Files]" "NumFiles=0" "" "[Memory]" "Port=0" "IWAD=0" "Prog=0" "UseFiles=0" \
  "ExitOnTest=0" "Warp=0" "WarpTo=1" "NoMonsters=0" "NoMusic=0" "NoSound=0" "NoCD=0" "OpenGL=0" "" |
  od -c)
[ -f "$ini_file" ] || fail "no $ini_file"
[ "$(od -c <"$ini_file")" = "$expected_ini" ] || fail "$ini_file is not the default file"
[ "$(tr -d '\r' <"$ini_file" | wc -l)" = 26 ] || fail "$ini_file does not hold 26 lines"
ok "~/.config/quillon/QLN2.ini holds the 26 default lines"

step "5. A port added through the setup dialog"
focus "$main"; key F5
setup=$(window "^Source Port Setup$")
focus "$setup"
key Tab; key Tab; key space  # Done -> list -> Add
focus "$(window "^Add/Change")"
type_text "Chocolate Doom"; key Tab; type_text /usr/games/chocolate-doom; key Return
focus "$setup"; key Escape
[ "$(key_of Ports Port1Name)" = "Chocolate Doom" ] || fail "the port was not written"
import -window root "$shots/2-port-added.png"
close_quillon

new=$(find /usr/bin /usr/share/quillon -newer "$work/before-start" -print)
[ -z "$new" ] || fail "written beside the installed program: $new"
ok "nothing written beside the executable or its shared files"

start_quillon
main=$(window "^Quillon$")
pause 1
xdotool search --onlyvisible --name "^Quillon 2.01$" >/dev/null 2>&1 &&
  fail "the restarted program showed the first-start message again"
[ "$(key_of Ports NumPorts)" = 1 ] && [ "$(key_of Ports Port1Path)" = /usr/games/chocolate-doom ] ||
  fail "after the restart the file holds: $(tr -d '\r' <"$ini_file")"
import -window root "$shots/3-restarted.png"
close_quillon
ok "the port is in QLN2.ini after a restart"

step "6. apt remove"
apt_get remove quillon >/dev/null
left=""
for f in $expected; do [ -e "$f" ] && left="$left $f"; done
[ -z "$left" ] || fail "left after removal:$left"
ok "no installed file left"
[ "$(key_of Ports Port1Name)" = "Chocolate Doom" ] || fail "the user's settings went with the package"
ok "the user's settings stay"

echo
echo "deb-test: $passed passed, 0 failed"
