#!/usr/bin/env python3
"""Writes a tiny PWAD with one playable map (MAP01): a single square room, lit, with the
player start in the middle and a few pillars-free walls.
Usage: make_wad.py OUT.wad [--no-nodes] [--lamp X]
--no-nodes saves it as an editor that builds none does: SEGS, SSECTORS, NODES, REJECT and
BLOCKMAP empty. --lamp moves the floor lamp (its x; the default 448), to tell two saves apart."""
import argparse
import struct

SIZE = 512          # the room is SIZE x SIZE map units
TEXTURE = b"STARTAN2"
FLOOR, CEILING = b"FLOOR4_8", b"CEIL3_5"


def name8(text):
    return text.ljust(8, b"\0")[:8]


def build(with_nodes=True, lamp=SIZE - 64):
    v = [(0, 0), (0, SIZE), (SIZE, SIZE), (SIZE, 0)]  # clockwise: the room is on the right
    vertexes = b"".join(struct.pack("<hh", x, y) for x, y in v)
    # One-sided, impassable walls, each with sidedef i facing into sector 0.
    lines = [(i, (i + 1) % 4) for i in range(4)]
    linedefs = b"".join(struct.pack("<hhhhhhh", a, b, 1, 0, 0, i, -1) for i, (a, b) in enumerate(lines))
    sidedefs = b"".join(struct.pack("<hh8s8s8sh", 0, 0, name8(b"-"), name8(b"-"), name8(TEXTURE), 0)
                        for _ in lines)
    sectors = struct.pack("<hh8s8shhh", 0, 128, name8(FLOOR), name8(CEILING), 192, 0, 0)
    # Player 1 start facing east, and a light so the screenshot shows something.
    things = struct.pack("<hhhhh", SIZE // 2, SIZE // 2, 0, 1, 7)
    things += struct.pack("<hhhhh", lamp, SIZE // 2, 0, 2028, 7)  # floor lamp
    # A convex room needs no BSP split: one subsector holding the four segs, no nodes.
    import math
    segs = b""
    for i, (a, b) in enumerate(lines):
        (x1, y1), (x2, y2) = v[a], v[b]
        angle = int(math.atan2(y2 - y1, x2 - x1) / (2 * math.pi) * 65536) & 0xFFFF
        segs += struct.pack("<hhHhhh", a, b, angle, i, 0, 0)
    ssectors = struct.pack("<hh", 4, 0)
    nodes = b""
    reject = b"\0"
    # Blockmap: 128-unit cells over the room, every wall listed in each cell it touches.
    cols = rows = SIZE // 128 + 1
    cells = []
    for row in range(rows):
        for col in range(cols):
            x0, y0 = col * 128, row * 128
            inside = []
            for i, (a, b) in enumerate(lines):
                (x1, y1), (x2, y2) = v[a], v[b]
                if max(x1, x2) >= x0 and min(x1, x2) <= x0 + 128 and max(y1, y2) >= y0 and min(y1, y2) <= y0 + 128:
                    inside.append(i)
            cells.append(inside)
    header = 4 + cols * rows
    offsets, lists, at = [], [], header
    for inside in cells:
        offsets.append(at)
        entry = [0] + inside + [-1]
        lists.append(entry)
        at += len(entry)
    blockmap = struct.pack("<hhhh", 0, 0, cols, rows)
    blockmap += b"".join(struct.pack("<H", o) for o in offsets)
    blockmap += b"".join(struct.pack("<h", n) for entry in lists for n in entry)
    if not with_nodes:
        segs = ssectors = reject = blockmap = b""
    return [(b"MAP01", b""), (b"THINGS", things), (b"LINEDEFS", linedefs), (b"SIDEDEFS", sidedefs),
            (b"VERTEXES", vertexes), (b"SEGS", segs), (b"SSECTORS", ssectors), (b"NODES", nodes),
            (b"SECTORS", sectors), (b"REJECT", reject), (b"BLOCKMAP", blockmap)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--no-nodes", action="store_true")
    parser.add_argument("--lamp", type=int, default=SIZE - 64)
    args = parser.parse_args()
    lumps = build(not args.no_nodes, args.lamp)
    path = args.out
    data, directory, offset = b"", b"", 12
    for name, body in lumps:
        directory += struct.pack("<ii8s", offset if body else 0, len(body), name8(name))
        data += body
        offset += len(body)
    with open(path, "wb") as out:
        out.write(b"PWAD" + struct.pack("<ii", len(lumps), 12 + len(data)) + data + directory)


if __name__ == "__main__":
    main()
