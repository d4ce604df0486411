#!/usr/bin/python3
"""Many alternating starts of one settings file, under the Xvfb of `make bench-x`.

`xbench.py` times every row of the table in nine runs; a difference of a few milliseconds
between two builds drowns in its noise. This times only the start (exec to MapNotify, as
xbench does), the builds one after another and the bare window after each round, for as
many rounds as asked, and prints each build's median, mean and least, and its median over
the bare window's. With --memory, the idle RSS one second after the start instead.

Usage: xstarts.py [--file default|largest] [--runs 61] [--memory] --bare BARE LABEL=PATH...
"""
import argparse
import os
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xbench  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--file", choices=["default", "largest"], default="largest")
    parser.add_argument("--runs", type=int, default=61)
    parser.add_argument("--memory", action="store_true")
    parser.add_argument("--bare", required=True)
    parser.add_argument("binaries", nargs="+", help="LABEL=PATH of a Quillon executable")
    args = parser.parse_args()
    server, name = xbench.start_xvfb()
    env = dict(os.environ, DISPLAY=name)
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("WAYLAND_DISPLAY", None)
    binaries = [b.split("=", 1) for b in args.binaries]
    root = tempfile.mkdtemp(prefix="quillon-xstarts-",
                            dir=os.path.dirname(os.path.abspath(binaries[-1][1])))
    try:
        screen = xbench.Screen(name)
        contents = xbench.default_file() if args.file == "default" else xbench.largest_file()
        subjects = [(label, xbench.Subject(label, path, contents, root))
                    for label, path in binaries]
        size = None
        for _, subject in subjects:  # warm-up: libraries in the page cache
            subject.reset()
            _, _, size = xbench.time_start(screen, [subject.exe], env, with_memory=False)
        bare = [args.bare, xbench.TITLE, str(size[0]), str(size[1])]
        xbench.time_start(screen, bare, env, with_memory=False)
        figures = {label: [] for label, _ in subjects}
        figures["bare"] = []
        for run in range(args.runs):
            # Each build goes first in every other round.
            for label, subject in subjects if run % 2 == 0 else subjects[::-1]:
                subject.reset()
                ms, rss, _ = xbench.time_start(screen, [subject.exe], env,
                                               with_memory=args.memory)
                figures[label].append(rss if args.memory else ms)
            if not args.memory:
                figures["bare"].append(xbench.time_start(screen, bare, env,
                                                         with_memory=False)[0])
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    unit = "MiB" if args.memory else "ms"
    bare_median = statistics.median(figures["bare"]) if figures["bare"] else None
    print(f"{args.file} file, {args.runs} alternating starts each, {unit}")
    for label, values in figures.items():
        if not values:
            continue
        median = statistics.median(values)
        ratio = f" ({median / bare_median:.2f} × bare)" if bare_median else ""
        print(f"{label}: median {median:.1f}{ratio}, mean {statistics.mean(values):.1f}, "
              f"least {min(values):.1f}")


if __name__ == "__main__":
    main()
