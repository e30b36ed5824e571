#!/usr/bin/env python3
"""Writes the render benchmark's clip: the bundled walk with four-joint fingers
on both hands, 61 joints in all, the fingers curling as the arms swing.

Usage: bench/make-hand-walk.py OUT [--seconds S]   (default 10 seconds)
"""
import importlib.util
import math
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("walk", os.path.join(here, "..", "scripts", "make-walk-sample.py"))
walk = importlib.util.module_from_spec(spec)
spec.loader.exec_module(walk)

FINGERS = (("Thumb", 3.0, 25.0), ("Index", 1.5, 0.0), ("Middle", 0.0, 0.0), ("Ring", -1.5, 0.0), ("Pinky", -3.0, 0.0))


def fingers(side, x):
    out = []
    for name, z, spread in FINGERS:
        node = (None, (0.0, -1.5, 0.0), [])
        for k in (4, 3, 2, 1):
            offset = (x * 0.5 * math.sin(math.radians(spread)), -2.0, z) if k == 1 else (0.0, -2.0, 0.0)
            node = ("%s%s%d" % (side, name, k), offset, [node])
        out.append(node)
    return out


def add_fingers(node):
    name, offset, children = node
    if name in ("LeftHand", "RightHand"):
        return (name, offset, fingers(name[:-4], 1.0 if name.startswith("Left") else -1.0))
    return (name, offset, [add_fingers(c) for c in children if c[0] is not None] +
            [c for c in children if c[0] is None])


def main(argv):
    if not argv or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 0 if argv else 2
    seconds = float(argv[argv.index("--seconds") + 1]) if "--seconds" in argv else 10.0
    base_pose = walk.pose
    skeleton = add_fingers(walk.SKELETON)

    def pose(t):
        pos, rot = base_pose(t)
        curl = 20.0 + 20.0 * math.sin(2.0 * math.pi * t / walk.PERIOD)
        for side in ("Left", "Right"):
            for name, _, _ in FINGERS:
                for k in (1, 2, 3, 4):
                    rot["%s%s%d" % (side, name, k)] = (0.0, -curl, 0.0)
        return pos, rot

    walk.SKELETON = skeleton
    walk.pose = pose
    return walk.main([argv[0], "--seconds", str(seconds)])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
