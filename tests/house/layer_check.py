#!/usr/bin/env python3
"""Checks every #include "folder/file.h" of src/ against the layers the README's Layout section names.

A file may include headers of its own folder and of the folders of lower layers. An include of a
higher layer, or of another folder of the same layer, is reported as path:line with the rule it
breaks; the exit code is then 1. A folder of src/ that no layer names, or a layer's folder that
src/ lacks, is reported too: the table must describe the tree as it is.

    layer_check.py REPOSITORY
"""

import pathlib
import re
import sys

LAYERS_HEADING = re.compile(r"^#+\s+Layers\b")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".c", ".rc"}


class Layer:
    def __init__(self, rank, name, folders):
        self.rank = rank
        self.name = name
        self.folders = folders


def read_layers(readme_text):
    """The layers of the first table after a "Layers" heading: rank, name and `folders` per row."""
    layers = []
    in_section = False
    for line in readme_text.splitlines():
        if LAYERS_HEADING.match(line):
            in_section = True
            continue
        if not in_section:
            continue
        if line.startswith("#"):
            break
        if not line.startswith("|"):
            if layers:
                break
            continue
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) < 3 or not cells[0].isdigit():
            continue  # the header row and its rule
        layers.append(Layer(int(cells[0]), cells[1], re.findall(r"`([a-z0-9_]+)`", cells[2])))
    return layers


def folder_layers(layers):
    ranks = {}
    for layer in layers:
        for folder in layer.folders:
            ranks[folder] = layer
    return ranks


def describe(folder, layer):
    return f"{folder} (layer {layer.rank}, {layer.name})"


def check(root):
    """The findings for the tree at `root`: one text per broken rule."""
    root = pathlib.Path(root)
    readme = root / "README.md"
    layers = read_layers(readme.read_text(encoding="utf-8"))
    if not layers:
        return [f"{readme}: no table of layers under a \"Layers\" heading"]
    ranks = folder_layers(layers)
    src = root / "src"
    findings = []
    folders = sorted(path.name for path in src.iterdir() if path.is_dir())
    for folder in folders:
        if folder not in ranks:
            findings.append(f"src/{folder}: no layer of README.md names this folder")
    for folder in sorted(set(ranks) - set(folders)):
        findings.append(f"README.md: layer {ranks[folder].rank} names src/{folder}, which does not exist")

    for folder in folders:
        own = ranks.get(folder)
        if own is None:
            continue
        for path in sorted((src / folder).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            relative = path.relative_to(root).as_posix()
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, start=1):
                match = INCLUDE.match(line)
                if not match or "/" not in match.group(1):
                    continue
                target = match.group(1).split("/", 1)[0]
                theirs = ranks.get(target)
                if theirs is None or target == folder:
                    continue
                if theirs.rank > own.rank:
                    findings.append(f'{relative}:{number}: includes "{match.group(1)}": '
                                    f"{describe(folder, own)} may not include {describe(target, theirs)}, "
                                    "a higher layer")
                elif theirs.rank == own.rank:
                    findings.append(f'{relative}:{number}: includes "{match.group(1)}": '
                                    f"{folder} and {target} share layer {own.rank} ({own.name}), "
                                    "whose folders reach each other only through an interface passed in")
    return findings


def main(arguments):
    if len(arguments) != 2:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    findings = check(arguments[1])
    for finding in findings:
        print(finding)
    if findings:
        print(f"{len(findings)} include(s) break the layers of README.md (Layout, Layers)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
