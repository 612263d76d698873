#!/usr/bin/env python3
"""The libraries' include graph, drawn from the includes themselves.

Each folder is a library (platform two: its core, as platform/CMakeLists.txt
lists it, and the GUI part); an arrow is "includes a header of", with the
number of such includes.

    python3 docs/include_graph.py             Graphviz DOT on standard output
                                              (| dot -Tsvg -o graph.svg)
    python3 docs/include_graph.py --diagram   the diagram of docs/ARCHITECTURE.md
    python3 docs/include_graph.py --check docs/ARCHITECTURE.md
                                              fails when the document's diagram
                                              is not the one the includes draw
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
# The libraries from the top down, and where each one runs: in the programs
# (tarvel, tarvel-batch), in the worker, or on both sides.
LIBRARIES = [
    ("window", "program"),
    ("cli", "program"),
    ("workflow", "program"),
    ("controls", "program"),
    ("dialogs", "program"),
    ("client", "program"),
    ("probe", "both"),
    ("worker", "worker"),
    ("engine", "worker"),
    ("engine/codecs", "worker"),
    ("engine/resample", "worker"),
    ("protocol", "both"),
    ("imaging", "both"),
    ("platform (GUI)", "program"),
    ("platform core", "both"),
]
NOT_CODE = {"tests", "bench", "packaging", "docs", "translations"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)/([^"/]+)"', re.M)
BEGIN = "<!-- include-graph: made by docs/include_graph.py --diagram -->"
END = "<!-- end of include-graph -->"


def core_files():
    text = (ROOT / "platform" / "CMakeLists.txt").read_text()
    block = text[text.index("add_library(tarvel_platform_core"):]
    block = block[: block.index(")")]
    return set(re.findall(r"[\w.]+\.(?:cpp|h)", block))


def library(folder, name, core):
    if folder == "platform":
        return "platform core" if name in core else "platform (GUI)"
    return folder


def code_folders():
    folders = set()
    for path in ROOT.rglob("*.[ch]*"):
        relative = path.relative_to(ROOT)
        if path.suffix not in (".h", ".cpp") or len(relative.parts) < 2:
            continue
        if relative.parts[0] in NOT_CODE or relative.parts[0].startswith(("build", ".")) \
                or any(part.endswith("_autogen") or part == "CMakeFiles" for part in relative.parts):
            continue
        folders.add(relative.parent.as_posix())
    return folders


def edges():
    core = core_files()
    known = {name for name, _ in LIBRARIES} | {"platform"}
    folders = code_folders()
    unknown = folders - known
    if unknown:
        sys.exit(f"include_graph.py: folders without a library of their own here: {', '.join(sorted(unknown))}")
    found = {}
    for folder in sorted(folders):
        for path in sorted((ROOT / folder).glob("*.[ch]*")):
            tail = library(folder, path.name, core)
            for target_folder, target in INCLUDE.findall(path.read_text(errors="replace")):
                if target_folder not in folders:
                    continue
                head = library(target_folder, target, core)
                if head != tail:
                    found[(tail, head)] = found.get((tail, head), 0) + 1
    return found


def dot(found):
    lines = ["digraph libraries {", "  rankdir=TB;", '  node [shape=box, fontname="sans"];']
    lines += [f'  "{tail}" -> "{head}" [label="{count}"];' for (tail, head), count in sorted(found.items())]
    return "\n".join(lines) + "\n}\n"


def diagram(found):
    """Each library, where it runs, and the libraries it includes, in the
    top-down order. Arrows only: a new include along an arrow changes nothing."""
    order = [name for name, _ in LIBRARIES]
    width = max(len(name) for name in order)
    lines = [BEGIN, "```"]
    for name, side in LIBRARIES:
        heads = sorted((head for tail, head in found if tail == name), key=order.index)
        arrows = ", ".join(heads) or "-"
        lines.append(f"{name:<{width}}  {side:<7}  ──► {arrows}")
    lines += ["```", END]
    return "\n".join(lines) + "\n"


def main(argv):
    found = edges()
    if argv[:1] == ["--diagram"]:
        sys.stdout.write(diagram(found))
    elif argv[:1] == ["--check"] and len(argv) == 2:
        text = pathlib.Path(argv[1]).read_text()
        start, end = text.find(BEGIN), text.find(END)
        shown = text[start : end + len(END)] + "\n" if start >= 0 and end > start else ""
        if shown != diagram(found):
            sys.stderr.write(f"{argv[1]}: the diagram is not the one the includes draw; it should read\n")
            sys.stderr.write(diagram(found))
            return 1
    elif not argv:
        sys.stdout.write(dot(found))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
