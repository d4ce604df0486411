#!/usr/bin/python3
"""Quillon as the user sees it, timed black-box under Xvfb (`make bench-x`).

In one run, alternating, five times each (medians):
  - a bare Qt main window of Quillon's size and title, from exec to its MapNotify;
  - each Quillon binary with the default file and with four lists of 32 766 entries, from
    exec to the MapNotify of its window, and its resident memory 1 s after the exec;
  - each binary's setup dialog removing the first of 32 766 ports: from the key that answers
    Yes to the renumbered file on disk;
  - the floor of that write: an 8 MB file (and one of the renumbered file's size) written
    beside it as Quillon writes it (a temporary file, fsync, rename, fsync of the folder).
The map is seen by listening on the root window (SubstructureNotifyMask), not by polling.
The answering key is sent by `xdotool`; its moment is the X server's raw key event seen on
the root window (XInput 2), so xdotool's own start is not counted. The file's change is seen
by a separate process that polls `stat` every 0.2 ms. Prints every figure as a ratio to the
bare window of the same run, since the same binary measures 2-3 times slower from one moment
to the next on a shared machine.

Usage: xbench.py --bare BARE_WINDOW [--runs 5] LABEL=QUILLON_BINARY ...
       xbench.py --watch FILE   (the stat watcher: prints when FILE changes)
"""
import argparse
import os
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display
from Xlib.ext import ge, xinput, xtest

LARGEST = 32766
TITLE = "Quillon"
FLOOR_BYTES = 8 * 1024 * 1024


def default_file():
    lines = []
    for section, count in (("Ports", "NumPorts"), ("IWADs", "NumIWADs"),
                           ("Programs", "NumProgs"), ("Files", "NumFiles")):
        lines += [f"[{section}]", f"{count}=0", ""]
    lines += ["[Memory]", "Port=0", "IWAD=0", "Prog=0", "UseFiles=0", "ExitOnTest=0", "Warp=0",
              "WarpTo=1", "NoMonsters=0", "NoMusic=0", "NoSound=0", "NoCD=0", "OpenGL=0",
              "Params=", "ProgParams=", ""]
    return "\r\n".join(lines).encode()


def largest_file():
    """Four full lists, the last entry of each chosen: what bench/BenchSupport writes."""
    out = []
    for section, prefix, suffix, count in (("Ports", "Port", "Path", "NumPorts"),
                                           ("IWADs", "IWAD", "File", "NumIWADs"),
                                           ("Programs", "Prog", "Path", "NumProgs"),
                                           ("Files", "File", "Path", "NumFiles")):
        out.append(f"[{section}]\r\n{count}={LARGEST}\r\n")
        for n in range(1, LARGEST + 1):
            out.append(f"{prefix}{n}Name=Entry number {n}\r\n"
                       f"{prefix}{n}{suffix}=/home/mapper/doom/stuff/entry{n}.wad\r\n")
        out.append("\r\n")
    out.append(f"[Memory]\r\nPort={LARGEST}\r\nIWAD={LARGEST}\r\nProg={LARGEST}\r\nUseFiles=1\r\n"
               "ExitOnTest=0\r\nWarp=1\r\nWarpTo=1\r\nNoMonsters=0\r\nNoMusic=0\r\nNoSound=0\r\n"
               "NoCD=0\r\nOpenGL=0\r\nParams=-fast\r\nProgParams=\r\n\r\n")
    return "".join(out).encode()


def start_xvfb():
    """Xvfb on a free display; -noreset, or every X call slows once the last client leaves."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
         "-screen", "0", "1280x1024x24"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


class Screen:
    def __init__(self, name):
        self.d = display.Display(name)
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.pid_atom = self.d.intern_atom("_NET_WM_PID")
        self.d.xinput_query_version()  # XInput 2 reports raw events only after this
        self.root.xinput_select_events([(xinput.AllMasterDevices, xinput.RawKeyPressMask)])
        self.d.sync()

    def drain(self):
        while self.d.pending_events():
            self.d.next_event()

    def owner(self, window):
        try:
            prop = window.get_full_property(self.pid_atom, X.AnyPropertyType)
        except Exception:  # the window went away meanwhile
            return None
        return prop.value[0] if prop and len(prop.value) else None

    def next_event(self, deadline, what):
        while not self.d.pending_events():
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(what)
            select.select([self.d.fileno()], [], [], left)
        return self.d.next_event(), time.monotonic()

    def wait_map(self, pid, timeout=60.0):
        """The next top-level window of process pid mapped, and the moment it was seen."""
        deadline = time.monotonic() + timeout
        while True:
            event, seen = self.next_event(deadline, f"no window of process {pid} mapped")
            if (event.type == X.MapNotify and not event.override
                    and self.owner(event.window) == pid):
                return event.window, seen

    def xdotool_key(self, name, env, timeout=10.0):
        """Sends the key with xdotool; returns when the server reported pressing it."""
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        subprocess.run(["xdotool", "key", name], env=env, check=True)
        deadline = time.monotonic() + timeout
        while True:
            event, seen = self.next_event(deadline, f"no key press of {name} seen")
            # A raw event's key code follows its device (2 bytes) and time (4 bytes).
            if (event.type == ge.GenericEventCode and event.evtype == xinput.RawKeyPress
                    and struct.unpack_from("=I", event.data, 6)[0] == code):
                return seen

    def focus(self, window):
        window.set_input_focus(X.RevertToParent, X.CurrentTime)
        self.d.sync()

    def key(self, name):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.sync()


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def stop(process):
    process.kill()
    process.wait()


class Subject:
    """One binary, copied beside its own QLN2.ini: Quillon keeps its file by the executable."""

    def __init__(self, label, binary, contents, root):
        self.label = label
        self.folder = tempfile.mkdtemp(prefix=f"{label}-", dir=root)
        self.exe = os.path.join(self.folder, "Quillon")
        shutil.copy2(binary, self.exe)
        self.ini = os.path.join(self.folder, "QLN2.ini")
        self.contents = contents

    def reset(self):
        with open(self.ini, "wb") as f:
            f.write(self.contents)


def time_start(screen, argv, env, with_memory=True):
    screen.drain()
    started = time.monotonic()
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window, mapped = screen.wait_map(process.pid)
        rss = None
        if with_memory:
            time.sleep(max(0.0, started + 1.0 - time.monotonic()))
            rss = resident_mib(process.pid)
        geometry = window.get_geometry()
        return (mapped - started) * 1000.0, rss, (geometry.width, geometry.height)
    finally:
        stop(process)


class StatWatch:
    """A separate process that reports when `stat` first sees the file differ."""

    def __init__(self, path):
        self.process = subprocess.Popen([sys.executable, os.path.abspath(__file__), "--watch", path],
                                        stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise RuntimeError("the stat watcher did not start")

    def changed(self, timeout=60.0):
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        if not ready:
            self.process.kill()
            raise TimeoutError("the file did not change")
        seen = float(self.process.stdout.readline())
        self.process.wait()
        return seen


def watch(path):
    def stamp():
        try:
            info = os.stat(path)
        except FileNotFoundError:
            return None
        return (info.st_ino, info.st_size, info.st_mtime_ns, info.st_ctime_ns)

    first = stamp()
    print("ready", flush=True)
    while stamp() == first:
        time.sleep(0.0002)
    print(repr(time.monotonic()), flush=True)


def time_write_floor(folder, size):
    """What the removal's write costs at least: `size` bytes written as Quillon writes its
    file, from the first byte to the change visible to stat in another process."""
    target = os.path.join(folder, "floor.ini")
    with open(target, "wb") as f:
        f.write(b"\0")
    data = b"x" * size
    watcher = StatWatch(target)
    started = time.monotonic()
    temp = os.path.join(folder, ".floor.tmp")
    fd = os.open(temp, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o600)
    view = memoryview(data)
    while view:
        view = view[os.write(fd, view):]
    os.fsync(fd)
    os.close(fd)
    os.rename(temp, target)
    directory = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    os.fsync(directory)
    os.close(directory)
    seen = watcher.changed()
    os.unlink(target)
    return (seen - started) * 1000.0


def time_setup_remove(screen, subject, env):
    """F5 opens the ports' setup; Tab to the list, Home picks the first port, Tab to Remove,
    Space presses it; the clock runs from the Enter that answers Yes (sent by xdotool) to
    the renumbered file seen by stat from another process."""
    subject.reset()
    screen.drain()
    process = subprocess.Popen([subject.exe], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        window, _ = screen.wait_map(process.pid)
        screen.focus(window)
        screen.key("F5")
        setup, _ = screen.wait_map(process.pid)
        screen.focus(setup)
        for key in ("Tab", "Home", "Tab", "Tab", "Tab", "space"):
            screen.key(key)
        question, _ = screen.wait_map(process.pid)
        screen.focus(question)
        time.sleep(0.2)  # let the box settle: only the removal itself is timed
        watcher = StatWatch(subject.ini)
        screen.drain()
        pressed = screen.xdotool_key("Return", env)
        written = watcher.changed()
        with open(subject.ini, "rb") as f:
            written_bytes = f.read()
        if f"NumPorts={LARGEST - 1}\r\n".encode() not in written_bytes:
            raise RuntimeError(f"{subject.label}: the first port was not removed")
        return (written - pressed) * 1000.0, len(written_bytes)
    finally:
        stop(process)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--watch":
        watch(sys.argv[2])
        return
    parser = argparse.ArgumentParser()
    parser.add_argument("--bare", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("binaries", nargs="+", help="LABEL=PATH of a Quillon executable")
    args = parser.parse_args()
    binaries = [b.split("=", 1) for b in args.binaries]

    server, name = start_xvfb()
    env = dict(os.environ, DISPLAY=name)
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("WAYLAND_DISPLAY", None)
    # Beside the benchmark, on the disk the files live on (not a tmpfs /tmp), so the write
    # floor is measured where Quillon writes.
    root = tempfile.mkdtemp(prefix="quillon-xbench-", dir=os.path.dirname(os.path.abspath(
        binaries[-1][1])))
    try:
        screen = Screen(name)
        small, large = default_file(), largest_file()
        subjects = {}
        for label, binary in binaries:
            subjects[(label, "default")] = Subject(label, binary, small, root)
            subjects[(label, "largest")] = Subject(label, binary, large, root)
        removal = {}
        for label, binary in binaries:
            subject = Subject(label, binary, large, root)
            # The first port's file exists, so picking it shows its date rather than a box.
            subject.contents = large.replace(
                b"Port1Path=/home/mapper/doom/stuff/entry1.wad",
                b"Port1Path=" + subject.exe.encode(), 1)
            removal[label] = subject

        # A warm-up of each: the page cache holds every library, and the bare window takes
        # the size of the last Quillon window.
        size = None
        for subject in subjects.values():
            subject.reset()
            _, _, size = time_start(screen, [subject.exe], env, with_memory=False)
        bare = [args.bare, TITLE, str(size[0]), str(size[1])]
        texted = bare + ["text"]
        time_start(screen, bare, env, with_memory=False)
        time_start(screen, texted, env, with_memory=False)
        _, written_size = time_setup_remove(screen, removal[binaries[-1][0]], env)

        times = {key: [] for key in list(subjects) + [("bare", ""), ("texted", "")]}
        memory = {key: [] for key in subjects}
        removals = {label: [] for label in removal}
        bare_memory = []
        floors = {FLOOR_BYTES: [], written_size: []}
        for run in range(args.runs):
            ms, rss, _ = time_start(screen, bare, env)
            times[("bare", "")].append(ms)
            bare_memory.append(rss)
            ms, _, _ = time_start(screen, texted, env, with_memory=False)
            times[("texted", "")].append(ms)
            for key, subject in subjects.items():
                subject.reset()
                ms, rss, _ = time_start(screen, [subject.exe], env)
                times[key].append(ms)
                memory[key].append(rss)
            for label, subject in removal.items():
                removals[label].append(time_setup_remove(screen, subject, env)[0])
            for floor_size, figures in floors.items():
                figures.append(time_write_floor(root, floor_size))
            print(f"run {run + 1}/{args.runs} done", file=sys.stderr)

        median = statistics.median
        base = median(times[("bare", "")])
        print(f"Window size {size[0]} x {size[1]}; {args.runs} alternating runs, medians; "
              f"raw figures in ms / MiB after each.")
        print(f"bare window: start {base:.1f} ms, idle RSS {median(bare_memory):.1f} MiB   "
              f"{[round(t, 1) for t in times[('bare', '')]]}")
        text_base = median(times[("texted", "")])
        print(f"bare window with a menu and a line of text: start {text_base:.1f} ms   "
              f"{[round(t, 1) for t in times[('texted', '')]]}")
        print()
        print("| Measure | " + " | ".join(label for label, _ in binaries) + " | Goal |")
        print("|---|" + "---|" * (len(binaries) + 1))

        def row(what, figures, goal):
            print(f"| {what} | " + " | ".join(figures) + f" | {goal} |")

        def versus_bare(figures):
            return f"{median(figures) / base:.2f} × ({median(figures):.0f} ms vs {base:.0f} ms)"

        row("default start / bare window",
            [versus_bare(times[(l, "default")]) for l, _ in binaries], "≤ 1.3 ×")
        row(f"start with four lists of {LARGEST:,} entries / bare".replace(",", " "),
            [versus_bare(times[(l, "largest")]) for l, _ in binaries], "≤ 3 ×")
        row(f"Remove the first of {LARGEST:,} ports: from the key that answers Yes to the "
            f"renumbered file on disk / bare start".replace(",", " "),
            [versus_bare(removals[l]) for l, _ in binaries], "≤ 2 ×")
        row("memory (RSS, idle 1 s after start) at the limit / default",
            [f"{median(memory[(l, 'largest')]) / median(memory[(l, 'default')]):.2f} × "
             f"({median(memory[(l, 'largest')]):.0f} MiB vs "
             f"{median(memory[(l, 'default')]):.0f} MiB)" for l, _ in binaries], "≤ 1.5 ×")
        for floor_size, figures in floors.items():
            row(f"floor: write + fsync + rename of a {floor_size / 2**20:.1f} MiB file, same disk, "
                f"to stat / bare start", [versus_bare(figures)] * len(binaries), "")
        print()
        print("Start, default file, beside the bare window with a menu and text: " +
              ", ".join(f"{l} {median(times[(l, 'default')]) / text_base:.2f} ×"
                        for l, _ in binaries))
        print()
        for label, _ in binaries:
            for kind in ("default", "largest"):
                print(f"{label} {kind}: start {[round(t, 1) for t in times[(label, kind)]]} "
                      f"RSS {[round(m, 1) for m in memory[(label, kind)]]}")
            print(f"{label} remove: {[round(t, 1) for t in removals[label]]}")
        for floor_size, figures in floors.items():
            print(f"floor {floor_size} bytes: {[round(t, 1) for t in figures]}")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
