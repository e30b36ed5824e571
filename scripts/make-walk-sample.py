#!/usr/bin/env python3
"""Writes samples/walk.bvh: a walk cycle of a 21-joint human skeleton.

The clip is synthesised here from a few sine curves (no captured data): the
hips travel forward along +Z with a small sway and bounce, the legs swing in
opposite phase with knees bending during the swing, the arms swing against
the legs. Units are centimetres; 30 samples per second.

Usage: scripts/make-walk-sample.py [OUT] [--seconds S]
"""
import math
import sys

FPS = 30
PERIOD = 1.1      # seconds per full cycle (two steps)
SPEED = 125.0     # cm per second along +Z
HIP_HEIGHT = 95.0

# name, offset, children; a child of None is an End Site with that offset.
def leg(side, x):
    return (side + "UpLeg", (x, -5.0, 0.0), [
        (side + "Leg", (0.0, -42.0, 0.0), [
            (side + "Foot", (0.0, -42.0, 0.0), [
                (side + "ToeBase", (0.0, -6.0, 12.0), [(None, (0.0, 0.0, 6.0), [])]),
            ]),
        ]),
    ])

def arm(side, x):
    return (side + "Shoulder", (x * 8.0, 20.0, 0.0), [
        (side + "Arm", (x * 10.0, 0.0, 0.0), [
            (side + "ForeArm", (0.0, -28.0, 0.0), [
                (side + "Hand", (0.0, -25.0, 0.0), [(None, (0.0, -8.0, 0.0), [])]),
            ]),
        ]),
    ])

SKELETON = ("Hips", (0.0, 0.0, 0.0), [
    ("Spine", (0.0, 10.0, 0.0), [
        ("Spine1", (0.0, 15.0, 0.0), [
            ("Neck", (0.0, 20.0, 0.0), [
                ("Head", (0.0, 10.0, 0.0), [(None, (0.0, 15.0, 0.0), [])]),
            ]),
            arm("Left", 1.0),
            arm("Right", -1.0),
        ]),
    ]),
    leg("Left", 9.0),
    leg("Right", -9.0),
])


def joint_order(node, out):
    name, _, children = node
    if name is not None:
        out.append(name)
        for c in children:
            joint_order(c, out)
    return out


def write_hierarchy(node, depth, lines, is_root=False):
    name, offset, children = node
    pad = "\t" * depth
    if name is None:
        lines.append(pad + "End Site")
    else:
        lines.append(pad + ("ROOT " if is_root else "JOINT ") + name)
    lines.append(pad + "{")
    lines.append(pad + "\tOFFSET %.2f %.2f %.2f" % offset)
    if name is not None:
        if is_root:
            lines.append(pad + "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation")
        else:
            lines.append(pad + "\tCHANNELS 3 Zrotation Xrotation Yrotation")
    for c in children:
        write_hierarchy(c, depth + 1, lines)
    lines.append(pad + "}")


def pose(t):
    """Returns {joint: (zrot, xrot, yrot)} in degrees and the hips position."""
    ph = 2.0 * math.pi * t / PERIOD
    rot = {}
    for side, shift in (("Left", 0.0), ("Right", math.pi)):
        p = ph + shift
        swing = math.sin(p)                    # > 0: this leg ahead
        lift = max(0.0, math.cos(p)) ** 1.5    # knee bends while the leg moves forward
        rot[side + "UpLeg"] = (0.0, -25.0 * swing - 10.0 * lift, 0.0)
        rot[side + "Leg"] = (0.0, 5.0 + 45.0 * lift, 0.0)
        rot[side + "Foot"] = (0.0, -8.0 * swing - 15.0 * lift + 5.0, 0.0)
        rot[side + "ToeBase"] = (0.0, 10.0 * max(0.0, -swing), 0.0)
        rot[side + "Arm"] = (0.0, 20.0 * swing, 0.0)  # against the leg of the same side
        rot[side + "ForeArm"] = (0.0, -15.0 - 10.0 * max(0.0, -swing), 0.0)
        rot[side + "Shoulder"] = (0.0, 0.0, 0.0)
        rot[side + "Hand"] = (0.0, -5.0, 0.0)
    rot["Hips"] = (2.0 * math.sin(ph), 0.0, 6.0 * math.sin(ph))
    rot["Spine"] = (0.0, 3.0, -4.0 * math.sin(ph))
    rot["Spine1"] = (0.0, 2.0, -3.0 * math.sin(ph))
    rot["Neck"] = (0.0, -3.0, 1.5 * math.sin(ph))
    rot["Head"] = (0.0, 2.0 * math.sin(2.0 * ph), 1.5 * math.sin(ph))
    pos = (2.5 * math.sin(ph), HIP_HEIGHT + 1.5 * math.cos(2.0 * ph), SPEED * t)
    return pos, rot


def main(argv):
    out = "samples/walk.bvh"
    seconds = 4.0
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--seconds":
            seconds = float(args.pop(0))
        elif a in ("-h", "--help"):
            print(__doc__)
            return 0
        else:
            out = a
    lines = ["HIERARCHY"]
    write_hierarchy(SKELETON, 0, lines, is_root=True)
    frames = int(round(seconds * FPS))
    lines += ["MOTION", "Frames: %d" % frames, "Frame Time: %.6f" % (1.0 / FPS)]
    order = joint_order(SKELETON, [])
    for k in range(frames):
        pos, rot = pose(k / FPS)
        values = list(pos)
        for name in order:
            values += rot[name]
        lines.append(" ".join("%.4f" % v for v in values))
    with open(out, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
