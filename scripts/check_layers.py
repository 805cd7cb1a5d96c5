#!/usr/bin/env python3
"""Checks that every include and every library link goes down the folders' layers.

scripts/layers.txt lists each product folder with the folders it may use, lowest first. A source
belongs to the deepest listed folder that holds it. Every include, in any form ("x.h", <x.h>,
"../x.h", "./x.h"), is resolved to the file the compiler would take (the including file's folder
first for the quoted form, then the project root, the only include folder of the build); a file of
the tree that it reaches must lie in the source's own folder or in one the source's folder may
use. Tests, fuzz targets and benchmarks may include anything; product code may include none of
them.

With a configured build folder as argument, the CMake libraries are checked the same way: each
target belongs to the folder its sources belong to (one folder per target), each link edge must go
to the target's own folder or to one it may use, and the links may not loop. A target with no
sources of its own (an interface library) is looked through to what it links.
"""

import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
LAYERS = "scripts/layers.txt"
FREE = ("tests", "fuzz", "bench")  # may use anything, and no product folder may use them
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

failures = []


def fail(text):
    failures.append(text)


def read_layers():
    order, allowed = [], {}
    with open(os.path.join(ROOT, LAYERS), encoding="utf-8") as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            folder, _, uses = line.partition(":")
            folder = folder.strip()
            allowed[folder] = set(uses.split())
            order.append(folder)
    seen = set()
    for folder in order:
        for dep in sorted(allowed[folder]):
            if dep not in seen:
                fail(f"layers: {folder} may include {dep}, which is not listed before it")
        seen.add(folder)
    return allowed


def source_files():
    """The tree's sources: git's files (tracked and new) when this is a checkout, else a walk."""
    try:
        out = subprocess.run(
            ["git", "-C", ROOT, "ls-files", "--cached", "--others", "--exclude-standard"],
            check=True, capture_output=True, text=True).stdout.split("\n")
        files = [p for p in out if p and os.path.isfile(os.path.join(ROOT, p))]
    except (OSError, subprocess.CalledProcessError):
        files = []
        for top, dirs, names in os.walk(ROOT):
            rel = os.path.relpath(top, ROOT)
            dirs[:] = [d for d in dirs if not d.startswith(".") and
                       not (rel == "." and d.startswith("build"))]
            files += [os.path.normpath(os.path.join(rel, n)) for n in names]
    return sorted(p for p in files if p.endswith(SOURCE_SUFFIXES))


def owner(path, allowed):
    """The deepest listed folder holding `path` (a file's path relative to the root), or None."""
    d = os.path.dirname(path)
    while d:
        if d in allowed:
            return d
        d = os.path.dirname(d)
    return None


def is_free(path):
    return path.split("/", 1)[0] in FREE


def resolve(including, form, name, files):
    """The tree file an include names, as the compiler finds it, or None for one outside it."""
    candidates = [os.path.join(os.path.dirname(including), name)] if form == '"' else []
    candidates.append(name)
    for c in candidates:
        c = os.path.normpath(c)
        if not c.startswith("..") and c in files:
            return c
    return None


def check_includes(allowed):
    sources = source_files()
    known = set(sources)
    for path in sources:
        if is_free(path):
            continue
        here = owner(path, allowed)
        if here is None:
            fail(f"layers: {path} is in no folder of {LAYERS}")
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            for lineno, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = resolve(path, m.group(1), m.group(2), known)
                if target is None:
                    continue  # a system or library header
                there = owner(target, allowed)
                if is_free(target) or there is None:
                    fail(f"layers: {path}:{lineno}: product code may not include {target}")
                elif there != here and there not in allowed[here]:
                    fail(f"layers: {path}:{lineno}: {here} may not include {target} ({there})")


def target_folders(build, allowed):
    """Each of our targets with the folders its sources belong to, from the compile commands."""
    folders = {}
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as f:
        for entry in json.load(f):
            src = os.path.relpath(os.path.realpath(entry["file"]), os.path.realpath(ROOT))
            if src.startswith(".."):
                continue  # generated in the build folder
            args = entry.get("arguments") or shlex.split(entry["command"])
            obj = args[args.index("-o") + 1] if "-o" in args else entry.get("output", "")
            m = re.search(r"CMakeFiles/([^/]+)\.dir/", obj)
            if not m:
                continue
            folder = "tests" if is_free(src) else owner(src, allowed)
            folders.setdefault(m.group(1), set()).add(folder or os.path.dirname(src))
    return folders


def link_edges(build):
    with tempfile.TemporaryDirectory() as tmp:
        dot = os.path.join(tmp, "targets.dot")
        subprocess.run(["cmake", f"--graphviz={dot}", build], check=True, capture_output=True)
        edges = []
        with open(dot, encoding="utf-8") as f:
            for line in f:
                m = re.search(r'"node\d+" -> "node\d+".*// (\S+) -> (\S+)', line)
                if m and m.group(1) != m.group(2):  # a test's discovery step shows as a self-edge
                    edges.append((m.group(1), m.group(2)))
        return edges


def check_links(build, allowed):
    folders = target_folders(build, allowed)
    home = {}
    for target, fs in sorted(folders.items()):
        if len(fs) > 1:
            fail(f"layers: the library {target} holds sources of several folders: {', '.join(sorted(fs))}")
        home[target] = sorted(fs)[0]
    links = {}
    for a, b in link_edges(build):
        links.setdefault(a, set()).add(b)

    def reached(target, seen):
        """Our targets that `target` links, looking through targets without sources."""
        out = set()
        for b in links.get(target, ()):
            if b in home:
                out.add(b)
            elif b not in seen:
                seen.add(b)
                out |= reached(b, seen)
        return out

    graph = {t: reached(t, set()) for t in home}
    for a in sorted(graph):
        fa = home[a]
        if fa.split("/", 1)[0] in FREE:
            continue
        for b in sorted(graph[a]):
            fb = home[b]
            if fb.split("/", 1)[0] in FREE or fb not in allowed:
                fail(f"layers: the product library {a} ({fa}) may not link {b} ({fb})")
            elif fb != fa and fb not in allowed.get(fa, ()):
                fail(f"layers: {a} ({fa}) may not link {b} ({fb})")

    # A loop among the links, even inside one folder.
    state = {}

    def visit(t, path):
        state[t] = 1
        for b in sorted(graph.get(t, ())):
            if state.get(b) == 1:
                loop = path[path.index(b):] + [b]
                fail("layers: the libraries link in a loop: " + " -> ".join(loop))
            elif b not in state:
                visit(b, path + [b])
        state[t] = 2

    for t in sorted(graph):
        if t not in state:
            visit(t, [t])


def main():
    allowed = read_layers()
    check_includes(allowed)
    if len(sys.argv) > 1:
        check_links(os.path.abspath(sys.argv[1]), allowed)
    for text in failures:
        print(text, file=sys.stderr)
    if failures:
        return 1
    print("layers: every include and link goes down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
