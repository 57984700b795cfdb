#!/usr/bin/env python3
"""The README's first command, as a newcomer runs it: it installs the
prerequisites it names, builds drevel alone, writes its result inside the
ignored build tree, and shows the result the program writes.
    readme_test.py <drevel binary> <source tree>"""

import fnmatch
import os
import re
import subprocess
import sys
import tempfile


def main(binary, root):
    with open(os.path.join(root, "README.md")) as f:
        readme = f.read()
    blocks = re.findall(r"```(\w*)\n(.*?)```", readme, re.S)
    command = blocks[0][1].strip()
    problems = []
    steps = [s.strip() for s in command.split("&&")]
    if steps[0] != "tools/install-dependencies":
        problems.append("the first step is not tools/install-dependencies: " + steps[0])
    build = [s for s in steps if s.startswith("cmake --build")]
    if len(build) != 1 or "--target drevel" not in build[0]:
        problems.append("the build step does not build drevel alone: %s" % build)
    configure = [s for s in steps if s.startswith("cmake -S")]
    if not configure or "-DDREVEL_TESTS=OFF" not in configure[0] or "-DDREVEL_BENCH=OFF" not in configure[0]:
        problems.append("the configure step builds tests or benchmarks: %s" % configure)
    run = [s for s in steps if s.startswith("./build/drevel")]
    if len(run) != 1:
        problems.append("no run of ./build/drevel")
    else:
        words = run[0].split()
        result = words[2]
        with open(os.path.join(root, ".gitignore")) as f:
            ignored = [l.strip().strip("/") for l in f if l.strip() and not l.startswith("#")]
        top = result.split("/")[0]
        if "/" not in result or not any(fnmatch.fnmatch(top, p.rstrip("/")) for p in ignored):
            problems.append("the result %s is not inside an ignored build tree" % result)
        # The result shown is the one the program writes.
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "result.txt")
            subprocess.run([binary, os.path.join(root, words[1]), out], check=True)
            with open(out) as f:
                written = f.read()
        shown = [b for lang, b in blocks if lang == "" and b.startswith(written.split("\n")[0])]
        if not shown or shown[0] != written:
            problems.append("the README does not show the result the run writes:\n" + written)

    # The prerequisites the prose names are those the script installs.
    with open(os.path.join(root, "tools", "install-dependencies")) as f:
        script = f.read()
    packages = re.search(r'^run="([^"]*)"', script, re.M).group(1).split()
    names = {"libhts-dev": "htslib", "libcairo2-dev": "cairo", "libboost-math-dev": "Boost.Math"}
    prose = readme[readme.index("The first command"):readme.index("## What it computes")]
    for p in packages:
        if names.get(p, p) not in prose:
            problems.append("the README does not name the prerequisite %s" % p)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
