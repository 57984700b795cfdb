#!/usr/bin/env python3
"""Checks the include graph of the source tree against its CMake targets.

    tools/check_layers.py [SOURCE_DIR]

Reports, and exits with status 1 on:
  - include loops, taking a header and its source (same folder, same name)
    as one unit;
  - includes that the CMake targets do not allow: a file of target T may
    include headers of T, of T's direct dependencies (PUBLIC or PRIVATE) and
    of what those pass on through PUBLIC dependencies, nothing else;
  - an include, from another target, of a header that its target does not
    list among its PUBLIC_HEADERS (the rest is its inside), and a public
    header that includes its own target's inside;
  - a drevel_library that lists no PUBLIC_HEADERS, or lists a header that is
    no file of its own;
  - a loop among the targets themselves;
  - product sources or headers that belong to no target, and quoted
    includes that name no file of the tree.

Targets, their files and their dependencies are read from the CMakeLists.txt
files (drevel_library, add_library, add_executable, target_link_libraries),
so the layering is written down once, in the build.  Files under tests/ and
bench/ may include every layer (the tests and the benchmarks take the parts
one by one); they are checked for loops only.  Python 3 standard library only.
"""

import os
import re
import sys

SOURCE_SUFFIXES = (".cc", ".cpp", ".c")
HEADER_SUFFIXES = (".h", ".hpp")
SKIP_DIRS = {"build", ".git"}  # and every build tree (a folder with a CMakeCache.txt)
# Folders whose files may include anything the build gives them: the tests,
# the benchmarks and the fuzz targets take a component's inside one piece at
# a time.
UNLAYERED = ("tests", "bench", "fuzz")

def walk(root):
    """os.walk over the tree without build trees and hidden folders."""
    for folder, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS and not d.startswith(".") and
                         not os.path.exists(os.path.join(folder, d, "CMakeCache.txt")))
        yield folder, dirs, files


def strip_comments(text):
    return re.sub(r"#[^\n]*", "", text)


def cmake_commands(text):
    """Yields (name, [arguments]) for each command call in a CMake file."""
    text = strip_comments(text)
    i = 0
    pattern = re.compile(r"([A-Za-z_][A-Za-z0-9_]*)\s*\(")
    while True:
        m = pattern.search(text, i)
        if not m:
            return
        depth, j = 1, m.end()
        while j < len(text) and depth:
            if text[j] == "(":
                depth += 1
            elif text[j] == ")":
                depth -= 1
            j += 1
        body = text[m.end():j - 1]
        yield m.group(1).lower(), split_arguments(body)
        i = j


def split_arguments(body):
    """CMake arguments, generator expressions kept whole."""
    args, cur, depth = [], "", 0
    for ch in body:
        if ch == "<" and cur.endswith("$"):
            depth += 1
        elif ch == ">" and depth:
            depth -= 1
        if ch.isspace() and not depth:
            if cur:
                args.append(cur)
            cur = ""
        else:
            cur += ch
    if cur:
        args.append(cur)
    return [a.strip('"') for a in args]


def expand(arg, variables):
    """Variables substituted; a generator expression $<cond:value> gives its
    value (the check covers every configuration)."""
    arg = re.sub(r"\$\{([A-Za-z0-9_]+)\}", lambda m: " ".join(variables.get(m.group(1), [])),
                 arg)
    while True:
        m = re.search(r"\$<([^<>]*)>", arg)
        if not m:
            break
        inner = m.group(1)
        arg = arg[:m.start()] + (inner.split(":", 1)[1] if ":" in inner else "") + arg[m.end():]
    return arg.split()


class Target:
    def __init__(self, name, folder):
        self.name, self.folder = name, folder
        self.sources = []
        self.public, self.private = set(), set()
        self.executable = False
        self.library = False  # made by drevel_library, which must list its face
        self.public_headers = []


def read_targets(root):
    """The project's targets: the names that drevel_library, add_library and
    add_executable make, with their files and dependencies.  Calls inside
    function() and macro() definitions are templates, not targets (their
    names are parameters, unknown here), and target_link_libraries adds to a
    target only once some call has made it."""
    targets, links = {}, []
    for folder, dirs, files in walk(root):
        if "CMakeLists.txt" not in files:
            continue
        rel = os.path.relpath(folder, root)
        rel = "" if rel == "." else rel
        variables = {}
        with open(os.path.join(folder, "CMakeLists.txt")) as f:
            text = f.read()
        definitions = 0  # depth of function() and macro() bodies
        for command, raw in cmake_commands(text):
            if command in ("function", "macro"):
                definitions += 1
            elif command in ("endfunction", "endmacro"):
                definitions = max(0, definitions - 1)
            if definitions or command in ("endfunction", "endmacro"):
                continue
            args = [x for a in raw for x in expand(a, variables)]
            if command == "set" and args:
                variables[args[0]] = args[1:]
            elif command == "list" and len(args) >= 2 and args[0].upper() in ("APPEND", "PREPEND"):
                variables.setdefault(args[1], []).extend(args[2:])
            elif command in ("drevel_library", "add_library", "add_executable") and args:
                t = targets.setdefault(args[0], Target(args[0], rel))
                t.folder = rel
                t.executable = command == "add_executable"
                t.library = command == "drevel_library"
                section = "SOURCES"
                for a in args[1:]:
                    if a in ("SOURCES", "PUBLIC_DEPS", "PRIVATE_DEPS", "PUBLIC_HEADERS"):
                        section = a
                    elif a in ("STATIC", "SHARED", "OBJECT", "INTERFACE"):
                        continue
                    elif section == "SOURCES" or command != "drevel_library":
                        if a.endswith(SOURCE_SUFFIXES):
                            t.sources.append(os.path.normpath(os.path.join(rel, a)))
                    elif section == "PUBLIC_HEADERS":
                        t.public_headers.append(os.path.normpath(os.path.join(rel, a)))
                    elif section == "PUBLIC_DEPS":
                        t.public.add(a)
                    else:
                        t.private.add(a)
            elif command == "target_link_libraries" and args:
                links.append(args)
    for args in links:
        t = targets.get(args[0])
        if t is None:
            continue
        scope = "PUBLIC"
        for a in args[1:]:
            if a in ("PUBLIC", "PRIVATE", "INTERFACE"):
                scope = a
            elif scope == "PRIVATE":
                t.private.add(a)
            else:
                t.public.add(a)
    for t in targets.values():  # only the project's own targets count
        t.public &= set(targets)
        t.private &= set(targets)
    return targets


def allowed_targets(targets, name):
    """T itself, its direct dependencies, and what they pass on publicly."""
    t = targets[name]
    allowed, todo = {name}, list(t.public | t.private)
    while todo:
        d = todo.pop()
        if d in allowed:
            continue
        allowed.add(d)
        todo.extend(targets[d].public)
    return allowed


def strongly_connected(nodes, edges):
    """Tarjan's algorithm, iteratively; returns the components of more than
    one node."""
    index, low, on_stack, stack, result = {}, {}, set(), [], []
    counter = [0]
    for start in sorted(nodes):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            v, it = work[-1]
            advanced = False
            for w in it:
                if w not in index:
                    index[w] = low[w] = counter[0]
                    counter[0] += 1
                    stack.append(w)
                    on_stack.add(w)
                    work.append((w, iter(sorted(edges.get(w, ())))))
                    advanced = True
                    break
                if w in on_stack:
                    low[v] = min(low[v], index[w])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[v])
            if low[v] == index[v]:
                component = []
                while True:
                    w = stack.pop()
                    on_stack.discard(w)
                    component.append(w)
                    if w == v:
                        break
                if len(component) > 1:
                    result.append(sorted(component))
    return result


def source_files(root):
    out = []
    for folder, dirs, files in walk(root):
        for f in sorted(files):
            if f.endswith(SOURCE_SUFFIXES + HEADER_SUFFIXES):
                out.append(os.path.relpath(os.path.join(folder, f), root))
    return out


def quoted_includes(root, path):
    with open(os.path.join(root, path), errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
            if m:
                yield number, m.group(1)


def resolve(root, files, path, name):
    """The tree's file an include names: from the root, from the including
    file's folder, or from tests/ for the tests' support files."""
    candidates = [name, os.path.join(os.path.dirname(path), name)]
    if path.startswith("tests" + os.sep):
        candidates.append(os.path.join("tests", name))
    for c in candidates:
        c = os.path.normpath(c)
        if c in files:
            return c
    return None


def unit(path):
    return os.path.splitext(path)[0]


def check(root):
    targets = read_targets(root)
    files = set(source_files(root))
    problems = []

    owner = {}
    for t in targets.values():
        for s in t.sources:
            owner[s] = t.name
    folder_owners = {}
    for s, name in owner.items():  # a folder's headers belong to its library
        if not targets[name].executable:
            folder_owners.setdefault(os.path.dirname(s), set()).add(name)
    for f in sorted(files):
        if f in owner:
            continue
        twin = [s for s in owner if unit(s) == unit(f)]
        if twin:
            owner[f] = owner[twin[0]]
        elif len(folder_owners.get(os.path.dirname(f), ())) == 1:
            owner[f] = next(iter(folder_owners[os.path.dirname(f)]))
    for f in sorted(files):
        if f not in owner and not f.startswith(UNLAYERED):
            problems.append("%s: belongs to no CMake target" % f)

    for name, t in sorted(targets.items()):
        if t.library and not t.public_headers:
            problems.append("%s (%s/CMakeLists.txt): lists no PUBLIC_HEADERS" % (name, t.folder))
        for h in t.public_headers:
            if owner.get(h) != name:
                problems.append("%s (%s/CMakeLists.txt): public header %s is no header of its own" %
                                (name, t.folder, h))

    # The targets' own graph must have no loop.
    target_edges = {n: t.public | t.private for n, t in targets.items()}
    for component in strongly_connected(set(targets), target_edges):
        problems.append("target loop: " + " <-> ".join(component))

    unit_edges, witnesses = {}, {}
    allowed = {n: allowed_targets(targets, n) for n in targets}
    for f in sorted(files):
        for number, name in quoted_includes(root, f):
            target = resolve(root, files, f, name)
            if target is None:
                problems.append('%s:%d: "%s" names no file of the tree' % (f, number, name))
                continue
            a, b = unit(f), unit(target)
            if a != b:
                unit_edges.setdefault(a, set()).add(b)
                witnesses.setdefault((a, b), "%s:%d" % (f, number))
            if f.startswith(UNLAYERED) or f not in owner or target not in owner:
                continue
            if owner[target] not in allowed[owner[f]]:
                problems.append("%s:%d: includes %s of %s, which %s does not depend on" %
                                (f, number, target, owner[target], owner[f]))
            face = targets[owner[target]].public_headers
            if owner[target] != owner[f] and face and target not in face:
                problems.append("%s:%d: includes %s, inside %s (its public headers: %s)" %
                                (f, number, target, owner[target], ", ".join(face)))
            if (owner[target] == owner[f] and f in targets[owner[f]].public_headers and
                    target not in targets[owner[f]].public_headers):
                problems.append("%s:%d: public header includes %s, inside %s" %
                                (f, number, target, owner[f]))

    units = set(unit(f) for f in files)
    for component in strongly_connected(units, unit_edges):
        members = set(component)
        steps = ["%s -> %s (%s)" % (a, b, witnesses[(a, b)])
                 for a in component for b in sorted(unit_edges.get(a, ())) if b in members]
        problems.append("include loop among %s:\n    %s" % (", ".join(component),
                                                           "\n    ".join(steps)))
    return targets, problems


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else
                           os.path.join(os.path.dirname(__file__), os.pardir))
    targets, problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print("check_layers: %d problem(s)" % len(problems))
        return 1
    print("check_layers: %d targets, no include loop, every include allowed by the build" %
          len(targets))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
