#!/usr/bin/env python3
"""Tests of check_layers.py on small trees written to a temporary folder."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402

# Three layers, low <- mid <- top, mid on low privately; top's inside is
# hidden behind top/face.h.
TREE = {
    "CMakeLists.txt": "add_subdirectory(low)\nadd_subdirectory(mid)\nadd_subdirectory(top)\n",
    "low/CMakeLists.txt": "drevel_library(low SOURCES a.cc PUBLIC_HEADERS a.h)  # the bottom\n",
    "low/a.h": "int a();\n",
    "low/a.cc": '#include "low/a.h"\n',
    "mid/CMakeLists.txt": ("set(srcs b.cc)\ndrevel_library(mid SOURCES ${srcs}\n  PRIVATE_DEPS low "
                           "PUBLIC_HEADERS b.h)\n"),
    "mid/b.h": "int b();\n",
    "mid/b.cc": '#include "mid/b.h"\n#include "low/a.h"\n',
    "top/CMakeLists.txt": ("drevel_library(top SOURCES face.cc inside.cc\n"
                           "  PRIVATE_DEPS $<$<BOOL:${X}>:mid> PUBLIC_HEADERS face.h)\n"),
    "top/face.h": "int face();\n",
    "top/face.cc": '#include "top/face.h"\n#include "top/inside.h"\n#include "mid/b.h"\n',
    "top/inside.h": "int inside();\n",
    "top/inside.cc": '#include "top/inside.h"\n',
    "tests/t.cc": '#include "top/inside.h"\n#include "low/a.h"\n',
}


def run(changes):
    """check_layers.check on TREE with `changes`: (targets, problems)."""
    with tempfile.TemporaryDirectory() as root:
        tree = dict(TREE)
        tree.update(changes)
        for path, text in tree.items():
            if text is None:
                continue
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        return check_layers.check(root)


def problems(changes):
    return run(changes)[1]


class CheckLayers(unittest.TestCase):
    def test_a_layered_tree_passes(self):
        self.assertEqual(problems({}), [])

    def test_loops_are_found_with_header_and_source_as_one_unit(self):
        # b.h includes a.h and a.cc includes b.h: a loop of units, though no
        # header includes itself.
        found = problems({"low/a.cc": '#include "low/a.h"\n#include "mid/b.h"\n',
                          "mid/b.h": '#include "low/a.h"\n'})
        self.assertTrue(any("include loop among low/a, mid/b" in p for p in found), found)

    def test_an_upward_include_fails(self):
        found = problems({"low/a.cc": '#include "low/a.h"\n#include "top/face.h"\n'})
        self.assertTrue(any("low/a.cc:2" in p and "does not depend on" in p for p in found), found)

    def test_private_dependencies_are_not_passed_on(self):
        # top uses mid, mid uses low privately: top may not include low.
        found = problems({"top/inside.cc": '#include "top/inside.h"\n#include "low/a.h"\n'})
        self.assertTrue(any("top/inside.cc:2" in p for p in found), found)
        # Made public, it is.
        self.assertEqual(problems({
            "top/inside.cc": '#include "top/inside.h"\n#include "low/a.h"\n',
            "mid/CMakeLists.txt": "drevel_library(mid SOURCES b.cc PUBLIC_DEPS low PUBLIC_HEADERS b.h)\n"}),
            [])

    def test_only_the_public_headers_are_reachable_from_outside(self):
        tree = {"mid/CMakeLists.txt": "drevel_library(mid SOURCES b.cc c.cc PRIVATE_DEPS low "
                                      "PUBLIC_HEADERS b.h)\n",
                "mid/c.cc": '#include "mid/b.h"\n',
                "low/CMakeLists.txt": "drevel_library(low SOURCES a.cc PUBLIC_DEPS top "
                                      "PUBLIC_HEADERS a.h)\n",
                "top/CMakeLists.txt": "drevel_library(top SOURCES face.cc inside.cc "
                                      "PUBLIC_HEADERS face.h)\n",
                "top/face.cc": '#include "top/face.h"\n#include "top/inside.h"\n'}
        self.assertEqual(problems(tree), [])
        tree["low/a.cc"] = '#include "low/a.h"\n#include "top/inside.h"\n'
        found = problems(tree)
        self.assertTrue(any("inside top" in p for p in found), found)

    def test_only_the_calls_that_make_targets_name_them(self):
        # The calls inside a helper function name parameters, not targets
        # ("STATIC", "PUBLIC", "_test" once came out of these), and linking
        # a target that no call makes adds none.
        top = ("function(drevel_library name)\n"
               "  add_library(${name} STATIC ${ARG_SOURCES})\n"
               "  target_link_libraries(${name} PUBLIC flags PRIVATE ${ARG_PRIVATE_DEPS})\n"
               "endfunction()\n" + TREE["CMakeLists.txt"] + "add_subdirectory(tests)\n")
        tests = ("macro(unit_test unit)\n  add_executable(${unit}_test ${unit}_test.cc)\n"
                 "endmacro()\nunit_test(t)\ntarget_link_libraries(t_test PRIVATE top)\n")
        targets, found = run({"CMakeLists.txt": top, "tests/CMakeLists.txt": tests})
        self.assertEqual(sorted(targets), ["low", "mid", "top"])
        self.assertEqual(found, [])

    def test_every_library_lists_a_face_of_its_own_that_keeps_its_inside(self):
        found = problems({"low/CMakeLists.txt": "drevel_library(low SOURCES a.cc)\n"})
        self.assertEqual(found, ["low (low/CMakeLists.txt): lists no PUBLIC_HEADERS"])
        # A stale name, or another target's header.
        found = problems({"low/CMakeLists.txt":
                          "drevel_library(low SOURCES a.cc PUBLIC_HEADERS a.h gone.h ../mid/b.h)\n"})
        self.assertEqual(len(found), 2, found)
        self.assertTrue(all("is no header of its own" in p for p in found), found)
        # A public header that includes the inside hands it to every caller.
        found = problems({"top/face.h": '#include "top/inside.h"\nint face();\n'})
        self.assertTrue(any("top/face.h:1: public header includes top/inside.h" in p
                            for p in found), found)

    def test_target_loops_and_orphans_fail(self):
        found = problems({"low/CMakeLists.txt": "drevel_library(low SOURCES a.cc PRIVATE_DEPS top "
                                                 "PUBLIC_HEADERS a.h)\n"})
        self.assertTrue(any(p.startswith("target loop") for p in found), found)
        found = problems({"new/x.h": "int x();\n"})
        self.assertEqual(found, ["new/x.h: belongs to no CMake target"])
        found = problems({"mid/b.cc": '#include "mid/b.h"\n#include "low/gone.h"\n'})
        self.assertTrue(any("names no file" in p for p in found), found)


if __name__ == "__main__":
    unittest.main()
