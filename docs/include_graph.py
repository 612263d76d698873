#!/usr/bin/env python3
"""The libraries' include graph, as Graphviz DOT on standard output.

Each arrow is "includes a header of": a source of the library at its tail
includes a header of the one at its head, with the number of such includes.
    python3 docs/include_graph.py | dot -Tsvg -o docs/include-graph.svg
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
FOLDERS = ["window", "cli", "workflow", "controls", "dialogs", "imaging", "platform"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/([^"]+)"', re.M)


def engine_files():
    """The imaging engine's sources, as imaging/CMakeLists.txt lists them."""
    text = (ROOT / "imaging" / "CMakeLists.txt").read_text()
    block = text[text.index("add_library(tarvel_imaging_engine"):]
    block = block[: block.index(")")]
    return set(re.findall(r"[\w.]+\.(?:cpp|h)", block)) | {"worker_main.cpp"}


def core_files():
    text = (ROOT / "platform" / "CMakeLists.txt").read_text()
    block = text[text.index("add_library(tarvel_platform_core"):]
    block = block[: block.index(")")]
    return set(re.findall(r"[\w.]+\.(?:cpp|h)", block))


def library(folder, name, engine, core):
    if folder == "imaging":
        return "imaging engine" if name in engine else "imaging"
    if folder == "platform":
        return "platform core" if name in core else "platform (GUI)"
    return folder


def main():
    engine, core = engine_files(), core_files()
    edges = {}
    for folder in FOLDERS:
        for path in sorted((ROOT / folder).glob("*.[ch]*")):
            tail = library(folder, path.name, engine, core)
            for target_folder, target in INCLUDE.findall(path.read_text(errors="replace")):
                if target_folder not in FOLDERS:
                    continue
                head = library(target_folder, target, engine, core)
                if head != tail:
                    edges[(tail, head)] = edges.get((tail, head), 0) + 1
    out = sys.stdout
    out.write("digraph libraries {\n  rankdir=TB;\n  node [shape=box, fontname=\"sans\"];\n")
    for (tail, head), count in sorted(edges.items()):
        out.write(f'  "{tail}" -> "{head}" [label="{count}"];\n')
    out.write("}\n")


if __name__ == "__main__":
    main()
