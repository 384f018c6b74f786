"""Finds the library and qjxview of the build under test (QJXHTML_LIBRARY, QJXVIEW),
else the build/ folder of this checkout."""

from __future__ import annotations

import os
import pathlib
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "python"))
os.environ.setdefault("QJXHTML_LIBRARY", str(ROOT / "build" / "libqjxhtml.so.0"))
os.environ.setdefault("QJXVIEW", str(ROOT / "build" / "apps" / "qjxview" / "qjxview"))
os.environ["QJX_BACKEND"] = "headless"


@pytest.fixture
def qjxview() -> str:
    path = os.environ["QJXVIEW"]
    if not os.access(path, os.X_OK):
        pytest.skip(f"no qjxview at {path}")
    return path


@pytest.fixture
def examples() -> pathlib.Path:
    return ROOT / "examples"
