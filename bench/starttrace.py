#!/usr/bin/python3
"""Where a start's time goes, from exec to the first frame (`make bench-trace`).

Uprobes (perf probe) on the program's own functions and on Qt's, recorded by `perf record`
with the exec itself, under the same Xvfb as `make bench-x`, five runs each of the default
file and of four lists of 32 766 entries. Prints, per phase, the median milliseconds from
the exec, and the phase's own share. Needs root (uprobes) and the linux-perf package.

Usage: starttrace.py [--runs 5] QUILLON_BINARY
"""
import argparse
import functools
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xbench  # noqa: E402  (the files and the Xvfb of bench-x)

QT_WIDGETS = "/lib/x86_64-linux-gnu/libQt6Widgets.so.6"
QT_GUI = "/lib/x86_64-linux-gnu/libQt6Gui.so.6"
QT_XCB = "/lib/x86_64-linux-gnu/libQt6XcbQpa.so.6"

# (event, binary: None for the program, symbol's start, at its return)
PROBES = [
    ("main", None, "main", False),
    ("app", QT_WIDGETS, "_ZN12QApplicationC1ERiPPci", True),
    ("window", None, "_ZN7quillon7frmQLN2C1ERNS_7DesktopE7QStringS3_S3_P7QWidget", False),
    ("read", None, "_ZN7quillon9filestore8ReadFile", False),
    ("readdone", None, "_ZN7quillon9filestore8ReadFile", True),
    ("parse", None, "_ZN7quillon11IniDocument5ParseE", False),
    ("parsed", None, "_ZN7quillon11IniDocument5ParseE", True),
    ("lists", None, "_ZN7quillon7frmQLN212RefreshListsERK7QString", True),
    ("built", None, "_ZN7quillon7frmQLN2C1ERNS_7DesktopE7QStringS3_S3_P7QWidget", True),
    ("map", QT_XCB, "_ZN10QXcbWindow4showEv", False),
    ("loop", QT_WIDGETS, "_ZN12QApplication4execEv", False),
    ("mapped", QT_XCB, "_ZN10QXcbWindow20handleMapNotifyEvent", False),
    ("frame", QT_GUI, "_ZN13QBackingStore5flushERK7QRegionP7QWindowRK6QPoint", False),
]

PHASES = [
    ("exec → main: loading, relocations, static initialisers", "exec", "main"),
    ("main → QApplication made: display, platform, fonts", "main", "app"),
    ("QApplication → window's constructor", "app", "window"),
    ("window → the settings file read", "window", "read"),
    ("the file's bytes read", "read", "readdone"),
    ("the bytes handed to the parser", "readdone", "parse"),
    ("the file parsed and indexed", "parse", "parsed"),
    ("the lists filled", "parsed", "lists"),
    ("the rest of the constructor", "lists", "built"),
    ("shown: the window's map asked for", "built", "map"),
    ("the event loop entered", "map", "loop"),
    ("MapNotify (what bench-x times)", "loop", "mapped"),
    ("the first frame painted and flushed", "mapped", "frame"),
]


@functools.cache
def symbols(binary):
    return subprocess.run(["nm", "--defined-only", binary] + (["-D"] if ".so" in binary else []),
                          capture_output=True, text=True, check=True).stdout.splitlines()


def symbol_address(binary, prefix):
    for line in symbols(binary):
        parts = line.split()
        if len(parts) == 3 and parts[2].split("@")[0].startswith(prefix) and \
                not parts[2].endswith(".cold"):
            return int(parts[0], 16)
    raise SystemExit(f"{prefix} not found in {binary}")


def add_probes(program):
    subprocess.run(["perf", "probe", "-q", "-d", "qtrace:*"], capture_output=True)
    for event, binary, symbol, at_return in PROBES:
        target = binary or program
        probe = f"qtrace:{event}={hex(symbol_address(target, symbol))}"
        if at_return:
            probe += "%return"
        subprocess.run(["perf", "probe", "-q", "-x", target, "--add", probe], check=True)


def trace_once(program, contents, root, env):
    folder = tempfile.mkdtemp(dir=root)
    binary = os.path.join(folder, "Quillon")
    os.link(program, binary)  # the probes are on the program's file, not on a copy
    with open(os.path.join(folder, "QLN2.ini"), "wb") as f:
        f.write(contents)
    data = os.path.join(folder, "perf.data")
    record = subprocess.Popen(
        ["perf", "record", "-q", "-o", data, "-e", "qtrace:*", "-e", "sched:sched_process_exec",
         "--", "timeout", "-s", "KILL", "1.5", binary], env=env,
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    record.wait()
    script = subprocess.run(["perf", "script", "-i", data, "-F", "comm,time,event"],
                            capture_output=True, text=True).stdout
    first = {}
    for line in script.splitlines():
        parts = line.split()
        if len(parts) < 3:
            continue
        stamp = float(parts[-2].rstrip(":"))
        event = parts[-1].rstrip(":").split(":")[-1].removesuffix("__return")
        if event == "sched_process_exec":
            if parts[0] != "Quillon":
                continue
            event = "exec"
        first.setdefault(event, stamp)
    shutil.rmtree(folder, ignore_errors=True)
    return first


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("program")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    add_probes(program)
    server, name = xbench.start_xvfb()
    env = dict(os.environ, DISPLAY=name, SDL_AUDIODRIVER="dummy")
    root = tempfile.mkdtemp(dir=os.path.dirname(program))  # beside it, for the links
    files = [("default file", xbench.default_file()),
             ("four lists of 32 766", xbench.largest_file())]
    stamps = {label: [] for label, _ in files}
    try:
        for _ in range(args.runs):
            for label, contents in files:
                stamps[label].append(trace_once(program, contents, root, env))
                time.sleep(0.2)
    finally:
        server.terminate()
        server.wait()
        subprocess.run(["perf", "probe", "-q", "-d", "qtrace:*"], capture_output=True)
        shutil.rmtree(root, ignore_errors=True)

    print(f"Milliseconds from the exec, medians of {args.runs} runs ({program})\n")
    print("| Phase | " + " | ".join(f"{label}: ends at | own" for label, _ in files) + " |")
    print("|---|" + "---|---|" * len(files))
    for name, start, end in PHASES:
        row = [name]
        for label, _ in files:
            ends = [run[end] - run["exec"] for run in stamps[label] if end in run and "exec" in run]
            owns = [run[end] - run[start] for run in stamps[label] if end in run and start in run]
            row.append(f"{1000 * statistics.median(ends):.1f}" if ends else "-")
            row.append(f"{1000 * statistics.median(owns):.1f}" if owns else "-")
        print("| " + " | ".join(row) + " |")


if __name__ == "__main__":
    main()
