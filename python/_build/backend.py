"""Builds this pure-Python package's wheel and source archive with the standard library
alone: pip installs it without a network, and needs neither setuptools nor wheel."""

from __future__ import annotations

import base64
import hashlib
import io
import pathlib
import tarfile
import tomllib
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
PACKAGE = "qjxhtml"


def _project() -> dict:
    return tomllib.loads((ROOT / "pyproject.toml").read_text(encoding="utf-8"))["project"]


def _dist_info(project: dict) -> str:
    return f"{project['name']}-{project['version']}.dist-info"


def _metadata_files(project: dict) -> dict[str, bytes]:
    lines = ["Metadata-Version: 2.1", f"Name: {project['name']}", f"Version: {project['version']}",
             f"Summary: {project['description']}", f"License: {project['license']['text']}",
             f"Requires-Python: {project['requires-python']}"]
    lines += [f"Classifier: {c}" for c in project.get("classifiers", [])]
    for extra, requirements in project.get("optional-dependencies", {}).items():
        lines.append(f"Provides-Extra: {extra}")
        lines += [f'Requires-Dist: {r}; extra == "{extra}"' for r in requirements]
    readme = (ROOT / project["readme"]).read_text(encoding="utf-8")
    metadata = "\n".join(lines) + "\nDescription-Content-Type: text/markdown\n\n" + readme
    wheel = "Wheel-Version: 1.0\nGenerator: qjxhtml-backend\nRoot-Is-Purelib: true\nTag: py3-none-any\n"
    scripts = project.get("scripts", {})
    entry_points = "[console_scripts]\n" + "".join(f"{k} = {v}\n" for k, v in scripts.items())
    return {"METADATA": metadata.encode(), "WHEEL": wheel.encode(), "entry_points.txt": entry_points.encode(),
            "top_level.txt": f"{PACKAGE}\n".encode(), "LICENSE": _licence()}


def _licence() -> bytes:
    for folder in (ROOT, ROOT.parent):
        if (folder / "LICENSE").is_file():
            return (folder / "LICENSE").read_bytes()
    return b"MIT License\n"


def _package_files() -> list[pathlib.Path]:
    folder = ROOT / PACKAGE
    return sorted(p for p in folder.rglob("*") if p.is_file() and p.suffix in (".py", ".typed")
                  and "__pycache__" not in p.parts)


def get_requires_for_build_wheel(config_settings: dict | None = None) -> list[str]:
    return []


def get_requires_for_build_sdist(config_settings: dict | None = None) -> list[str]:
    return []


def prepare_metadata_for_build_wheel(metadata_directory: str, config_settings: dict | None = None) -> str:
    project = _project()
    target = pathlib.Path(metadata_directory) / _dist_info(project)
    target.mkdir(parents=True, exist_ok=True)
    for name, data in _metadata_files(project).items():
        (target / name).write_bytes(data)
    return target.name


def build_wheel(wheel_directory: str, config_settings: dict | None = None,
                metadata_directory: str | None = None) -> str:
    project = _project()
    name = f"{project['name']}-{project['version']}-py3-none-any.whl"
    dist_info = _dist_info(project)
    entries = [(p.relative_to(ROOT).as_posix(), p.read_bytes()) for p in _package_files()]
    entries += [(f"{dist_info}/{n}", d) for n, d in _metadata_files(project).items()]
    record = []
    with zipfile.ZipFile(pathlib.Path(wheel_directory) / name, "w", zipfile.ZIP_DEFLATED) as wheel:
        for path, data in entries:
            wheel.writestr(path, data)
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            record.append(f"{path},sha256={digest},{len(data)}")
        record.append(f"{dist_info}/RECORD,,")
        wheel.writestr(f"{dist_info}/RECORD", "\n".join(record) + "\n")
    return name


def build_sdist(sdist_directory: str, config_settings: dict | None = None) -> str:
    project = _project()
    base = f"{project['name']}-{project['version']}"
    files = [ROOT / "pyproject.toml", ROOT / project["readme"], *_package_files(),
             *sorted((ROOT / "_build").glob("*.py")), *sorted((ROOT / "tests").glob("*.py"))]
    name = f"{base}.tar.gz"
    with tarfile.open(pathlib.Path(sdist_directory) / name, "w:gz") as archive:
        for path in files:
            archive.add(path, f"{base}/{path.relative_to(ROOT).as_posix()}")
        info = tarfile.TarInfo(f"{base}/PKG-INFO")
        data = _metadata_files(project)["METADATA"]
        info.size = len(data)
        archive.addfile(info, io.BytesIO(data))
    return name
