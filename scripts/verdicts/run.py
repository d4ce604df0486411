#!/usr/bin/env python3
"""Starts each WAD of the corpus in each Debian 12 port and compares what really happened
with quillon-check's verdict. Run inside an X server (see the Makefile's `verdicts` target).

Usage: run.py --check quillon-check --corpus quillon_corpus [--out docs/VERDICTS.md]
              [--cases good,xnod,...] [--ports chocolate-doom,...] [--shots DIR]
Exit status: 0 when every case agrees or is explained in EXPLAINED below, 1 otherwise.

What "really happened" is decided like this: a port still running after a few seconds is not
proof that the map started (a port that cannot use the PWAD, or is sent to a map the PWAD
does not have, plays the IWAD's own MAP01 instead), so its window is compared with two
pictures the same port drew in the same run: the corpus room (good.wad) and the IWAD's MAP01
without any PWAD. The corpus room is a grey square room with the player facing a wall, far
from what Freedoom 2's MAP01 shows, so the nearer picture tells which map is playing.
"""
import argparse
import os
import signal
import subprocess
import sys
import tempfile
import time

IWAD = "/usr/share/games/doom/freedoom2.wad"

# Each port, its executable and the switches that make it windowed and quit on an error
# instead of waiting in an error box:
#  chocolate-doom, crispy-doom: -window "Run in a window", -nogui "don't show a GUI window
#    for error messages when the game exits with an error" (man 6 chocolate-doom 3.0.1,
#    man 6 crispy-doom 5.12.0);
#  woof: -window "Run in a window", -nogui "Don't pop up a GUI dialog box to show the error
#    message" (man 6 woof, 10.5.1);
#  dsda-doom: -window (man 6 dsda-doom, 0.25.6); it has no -nogui and prints its errors.
PORTS = {
    "chocolate-doom": ("/usr/games/chocolate-doom", ["-window", "-nogui"]),
    "crispy-doom": ("/usr/games/crispy-doom", ["-window", "-nogui"]),
    "dsda-doom": ("/usr/games/dsda-doom", ["-window"]),
    "woof": ("/usr/games/woof", ["-window", "-nogui"]),
}

# Where the real port and the verdict disagree for a reason that is known and stays, the
# explanation the table gives (port, case) -> text. docs/VERDICTS.md carries them.
EXPLAINED = {
    ("dsda-doom", "pastend"):
        "the file's SIDEDEFS lump claims 1 MiB in a 586-byte file. dsda-doom 0.25.6 does not "
        "hold a lump to the file's end and plays the room, whose four sidedefs are all in "
        "the file; Chocolate Doom, Crispy Doom and Woof! stop with \"W_ReadLump: only read "
        "508 of 1048576\". The verdict stays `fails` for every port: the file is broken, and "
        "what dsda-doom makes of the bytes it never read is luck, not support.",
}

# What earlier runs of this table found wrong in the verdicts, and what was changed; the
# document lists them below the table.
FIXED = [
    "Crispy Doom 5.12 played the Hexen format room, where the verdict said `fails`: its "
    "changelog (Crispy Doom 2.3) says it loads Hexen format LINEDEFS and THINGS and that "
    "\"all interactions with their environment are most probably broken\". Its profile now "
    "says `differs` for a Hexen format map (`hexenGeometryOnly`). The same changelog (3.3) "
    "says it reads ANIMATED and SWITCHES, which the profile now says too.",
    "A missing texture on the wall ahead is drawn black by Crispy Doom, dsda-doom and Woof!, "
    "which made the whole picture nearer the IWAD's MAP01 than the room: the pictures are "
    "now compared in thirds, and the room is seen when one third is clearly the room's.",
]

# Lines the ports print about the machine, never about the files.
NOISE = ("ALSA lib", "Failed to get I/O port", "portmidiplayer", "I_InitSound", "I_InitMusic",
         "SDL_", "Could not", "fluidsynth", "OPL")

SECONDS = 5.0  # how long a started port gets before its window is looked at


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, **kw)


class Started:
    """One port started on one file: the outcome and the picture."""

    def __init__(self, exited, message, picture):
        self.exited = exited      # exit status, or None while it still ran
        self.message = message    # what it printed last of its error
        self.picture = picture    # path of its window's screenshot, or None


def last_words(err, out):
    """The port's error: the last line of stderr that is not about sound or the machine,
    else the last line of stdout."""
    for text in (err, out):
        lines = [l.strip() for l in text.splitlines() if l.strip()]
        lines = [l for l in lines if not l.startswith(NOISE)]
        if lines:
            return lines[-1]
    return ""


def window_of(pid):
    for _ in range(50):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
        time.sleep(0.1)
    return None


def stop(proc):
    """Ends the port this script started (its own session), TERM first, KILL a second later:
    dsda-doom can hang in its own SIGTERM handler."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if proc.poll() is not None:
            return
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=1.5)
        except subprocess.TimeoutExpired:
            pass
    proc.wait()


def start(port, wad, work, shot):
    exe, switches = PORTS[port]
    args = [exe, "-iwad", IWAD] + (["-file", wad] if wad else []) + ["-warp", "1"] + switches
    env = dict(os.environ, HOME=os.path.join(work, "home"), SDL_AUDIODRIVER="dummy")
    with open(os.path.join(work, "out"), "w+b") as out, open(os.path.join(work, "err"), "w+b") as err:
        proc = subprocess.Popen(args, cwd=work, env=env, stdout=out, stderr=err,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            proc.wait(timeout=SECONDS)
        except subprocess.TimeoutExpired:
            pass
        picture = None
        if proc.poll() is None:
            win = window_of(proc.pid)
            if win is not None:
                subprocess.run(["import", "-window", win, shot], capture_output=True)
                picture = shot if os.path.exists(shot) else None
            stop(proc)
            return Started(None, "", picture)
        out.seek(0)
        err.seek(0)
        return Started(proc.returncode, last_words(err.read().decode("utf-8", "replace"),
                                                   out.read().decode("utf-8", "replace")), None)


def pixels(path):
    """The picture's 3D view (the status bar's bottom fifth left out), as 128x64 RGB bytes:
    the ports draw in windows of their own sizes."""
    return run(["convert", path, "-gravity", "north", "-crop", "100%x80%+0+0", "+repage",
                "-resize", "128x64!", "-depth", "8", "rgb:-"]).stdout


def distance(a, b):
    """Mean absolute difference per channel, 0 (same) to 255."""
    return sum(abs(x - y) for x, y in zip(a, b)) / max(1, len(a))


BAND = len(b"RGB") * 128 * 64 // 3  # a third of the view: ceiling, wall, floor


def shows_room(px, room, iwad):
    """True when some third of the view is clearly the room's and not the IWAD map's: a
    missing texture blackens the wall ahead and a missing flat the floor, but never all
    three, while the IWAD's MAP01 differs from the room everywhere."""
    for at in range(0, len(px) - BAND + 1, BAND):
        part = slice(at, at + BAND)
        if 2 * distance(px[part], room[part]) < distance(px[part], iwad[part]):
            return True
    return False


def verdicts(check, files, ports):
    import json
    args = [check, "--json", "--iwad", IWAD] + [a for p in ports for a in ("--port", p)] + files
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode not in (0, 1):
        sys.exit(f"quillon-check exited {done.returncode}: {done.stderr}")
    return {os.path.basename(f["path"])[:-4]: f for f in json.loads(done.stdout)["files"]}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--check", required=True)
    ap.add_argument("--corpus", required=True)
    ap.add_argument("--out")
    ap.add_argument("--cases")
    ap.add_argument("--ports", default=",".join(PORTS))
    ap.add_argument("--shots")
    opts = ap.parse_args()
    ports = opts.ports.split(",")
    work = tempfile.mkdtemp(prefix="quillon-verdicts-")
    os.makedirs(os.path.join(work, "home"))
    corpus = os.path.join(work, "corpus")
    listing = run([opts.corpus, corpus], text=True).stdout
    holds = dict(line.split("\t", 1) for line in listing.splitlines() if "\t" in line)
    names = [n[:-4] for n in holds]
    if opts.cases:
        wanted = opts.cases.split(",")
        names = [n for n in names if n in wanted]
        missing = set(wanted) - set(names)
        if missing:
            sys.exit(f"no such case: {', '.join(sorted(missing))}")
    shots = opts.shots or os.path.join(work, "shots")
    os.makedirs(shots, exist_ok=True)
    judged = verdicts(opts.check, [os.path.join(corpus, n + ".wad") for n in names], ports)

    rows = []
    for port in ports:
        iwad_ref = start(port, None, work, os.path.join(shots, f"{port}-iwad.png"))
        good_ref = start(port, os.path.join(corpus, "good.wad"), work,
                         os.path.join(shots, f"{port}-good.png"))
        if iwad_ref.picture is None or good_ref.picture is None:
            sys.exit(f"{port} drew no picture of the IWAD's map or of the corpus room")
        iwad_px, good_px = pixels(iwad_ref.picture), pixels(good_ref.picture)
        for name in names:
            wad = os.path.join(corpus, name + ".wad")
            got = good_ref if name == "good" else start(port, wad, work,
                                                        os.path.join(shots, f"{port}-{name}.png"))
            if got.exited is not None:
                how = (f"killed by {signal.Signals(-got.exited).name}" if got.exited < 0
                       else f"status {got.exited}")
                real, detail, started = "exits", f"{how}: {got.message}", False
            elif got.picture is None:
                # Chocolate Doom opens its window after the level is set up: one stuck
                # there still runs, busy, and shows nothing.
                real, detail, started = "hangs, no window", "still running, no window drawn", False
            else:
                px = pixels(got.picture)
                to_good, to_iwad = distance(px, good_px), distance(px, iwad_px)
                started = shows_room(px, good_px, iwad_px)
                real = "plays the PWAD's map" if started else "plays the IWAD's MAP01"
                detail = f"picture {to_good:.0f} from the room's, {to_iwad:.0f} from the IWAD's"
            entry = judged[name]["ports"][port]
            verdict = entry["verdict"]
            agrees = started == (verdict != "fails")
            why = entry["why"][0] if entry["why"] else ""
            explained = EXPLAINED.get((port, name), "")
            rows.append((port, name, real, detail, verdict, why, agrees, explained))
            mark = "agrees" if agrees else ("explained" if explained else "DISAGREES")
            print(f"{port:15} {name:16} {real:24} {verdict:8} {mark}  {detail}", flush=True)

    if opts.out:
        write_table(opts.out, rows, holds, ports)
    unexplained = [r for r in rows if not r[6] and not r[7]]
    agreed = sum(1 for r in rows if r[6])
    print(f"VERDICTS: {agreed} of {len(rows)} agree, {len(rows) - agreed - len(unexplained)} "
          f"explained, {len(unexplained)} unexplained")
    return 1 if unexplained else 0


def write_table(path, rows, holds, ports):
    cell = lambda text: text.replace("|", "\\|")
    lines = [
        "# Verdicts against the real ports",
        "",
        "Written by `make verdicts` (scripts/verdicts/run.py): each WAD of the corpus "
        "(tests/corpus/MakeCorpus.cpp) started in each Debian 12 port under Xvfb as "
        f"`PORT -iwad {IWAD} -file X.wad -warp 1 -window` (`-nogui` too where the port has it), "
        "`SDL_AUDIODRIVER=dummy`; what happened beside `quillon-check --json --iwad "
        "freedoom2.wad`. A port still running after "
        f"{SECONDS:.0f} s is looked at: its window is compared with its own pictures of the "
        "corpus room and of the IWAD's MAP01 (mean difference per channel, 0 to 255); it "
        "shows the room when a third of its view (ceiling, wall or floor) is less than half as "
        "far from the room's as from the IWAD's. The "
        "verdict agrees when `fails` goes with a port that did not start the PWAD's map, and "
        "`runs` or `differs` with one that did.",
        "",
        "| File | What it holds | " + " | ".join(ports) + " |",
        "|---|---|" + "---|" * len(ports),
    ]
    by = {(r[0], r[1]): r for r in rows}
    for wad, what in holds.items():
        name = wad[:-4]
        if (ports[0], name) not in by:
            continue
        cells = []
        for port in ports:
            _, _, real, detail, verdict, why, agrees, explained = by[(port, name)]
            short = {"exits": "exits", "plays the PWAD's map": "starts",
                     "plays the IWAD's MAP01": "IWAD's MAP01",
                     "hangs, no window": "hangs"}.get(real, real)
            mark = "agrees" if agrees else ("explained" if explained else "**disagrees**")
            cells.append(f"{short} / {verdict}: {mark}")
        lines.append(f"| {name} | {cell(what)} | " + " | ".join(cells) + " |")
    lines += ["", "## Each case", "",
              "| Port | File | What happened | Detail | Verdict | First reason |",
              "|---|---|---|---|---|---|"]
    for port, name, real, detail, verdict, why, agrees, explained in rows:
        lines.append(f"| {port} | {name} | {real} | {cell(detail)} | {verdict} | {cell(why)} |")
    notes = [r for r in rows if r[7]]
    if notes:
        lines += ["", "## Disagreements explained", ""]
        for port, name, *_, explained in notes:
            lines.append(f"- **{port}, {name}**: {explained}")
    lines += ["", "## Found by earlier runs and fixed", ""] + [f"- {text}" for text in FIXED]
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    sys.exit(main())
