#!/usr/bin/env python3
"""Lists the #include edges between the folders of src/ and fails on one that runs upward.

A folder may include its own headers and those of folders on lower layers only; folders on
one layer do not include each other. A new folder has to be given its layer here.
"""
import os
import re
import sys

LAYERS = [
    ["common"],                      # settings, die, pictures and their memory, pair table
    ["convert", "quality", "source"],  # pictures to pixels; measurements; the sequences
    ["display"],                     # windows, panes, captions, graphs, info window
    ["playback"],                    # the viewer's buffers, the frame loop, pause and seek
    ["report", "align"],             # further programs built on the source layer
]
LAYER_OF = {folder: n for n, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def edges(src):
    for folder in sorted(os.listdir(src)):
        directory = os.path.join(src, folder)
        if not os.path.isdir(directory):
            continue
        for name in sorted(os.listdir(directory)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(directory, name), encoding="utf-8") as file:
                for target in INCLUDE.findall(file.read()):
                    path = os.path.normpath(os.path.join(folder, target))
                    if "/" not in target and os.path.exists(os.path.join(directory, target)):
                        path = os.path.join(folder, target)
                    elif not os.path.exists(os.path.join(src, path)):
                        path = target  # "folder/file.h", from the src directory
                    yield folder + "/" + name, path.split("/")[0], target


def main():
    src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    failures = 0
    seen = set()
    for source, to, target in edges(src):
        frm = source.split("/")[0]
        if frm == to:
            continue
        for folder in (frm, to):
            if folder not in LAYER_OF:
                print(f"check-layers: {folder}/ has no layer (in {source}: {target})")
                failures += 1
                LAYER_OF[folder] = -1
        if LAYER_OF[to] >= LAYER_OF[frm]:
            print(f"check-layers: {source} includes {target}: {frm} may not include {to}")
            failures += 1
        seen.add((frm, to))
    for frm, to in sorted(seen):
        print(f"  {frm} -> {to}")
    print(f"check-layers: {len(seen)} folder edges, {failures} upward or sideways")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
