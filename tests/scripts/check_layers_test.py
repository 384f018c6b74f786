#!/usr/bin/env python3
"""The layer check fails on an include that points up the layers and passes the real tree.

The planted include goes into a copy of a real file of the library, in a scratch tree that holds
the project's own list of layers, so the check is tried exactly as the build runs it.
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))
CHECK = os.path.join(ROOT, "scripts", "check_layers.py")


def run(root):
    return subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)


def scratch_tree(files):
    root = tempfile.mkdtemp(prefix="layers-")
    os.makedirs(os.path.join(root, "cmake"))
    shutil.copy(os.path.join(ROOT, "cmake", "layers.txt"), os.path.join(root, "cmake"))
    for path, text in files.items():
        os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
        with open(os.path.join(root, path), "w") as f:
            f.write(text)
    return root


def real(path):
    with open(os.path.join(ROOT, path)) as f:
        return f.read()


failures = []


def expect(name, files, fails, mentions=()):
    root = scratch_tree(files)
    try:
        result = run(root)
        if (result.returncode != 0) != fails:
            failures.append(f"{name}: exit {result.returncode}, output: {result.stderr.strip()}")
        for text in mentions:
            if text not in result.stderr:
                failures.append(f"{name}: the report does not name {text!r}: {result.stderr.strip()}")
    finally:
        shutil.rmtree(root)


core = "document/core/section_list.cpp"
planted = real(core).replace('#include "document/core/section_list.h"',
                             '#include "document/core/section_list.h"\n#include "viewer/html_viewer.h"', 1)
assert planted != real(core), "the file to plant into no longer includes its own header"
expect("the real file as it stands", {core: real(core)}, fails=False)
expect("an include of the viewer planted in the document core", {core: planted}, fails=True,
       mentions=("document/core/section_list.cpp:", "viewer/html_viewer.h"))
expect("a sub-folder of the toolkit including one above it",
       {"toolkit/graphics/x.cpp": '#include "toolkit/controls/controls.h"\n'}, fails=True,
       mentions=("toolkit/graphics/x.cpp:1",))
expect("a backend including its own layer and the ones below",
       {"toolkit/windows/x11/x.cpp": '#include "toolkit/windows/window.h"\n#include "common/types.h"\n'},
       fails=False)
expect("tests and apps are outside the layers",
       {"tests/viewer/x.cpp": '#include "plugin/registry.h"\n'}, fails=False)

result = run(ROOT)
if result.returncode != 0:
    failures.append("the project's own tree: " + result.stderr.strip())

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
