"""cmake --install into a prefix of the test's own: the installed package imports in a fresh
interpreter that sees neither the build tree nor the sources, finds its example projects and
runs."""

import os
import pathlib
import subprocess
import sys

import pytest

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]

CHECK = r"""
import pathlib, sys
import narv
prefix = pathlib.Path(sys.argv[1]).resolve()
module = pathlib.Path(narv._narv.__file__).resolve()
assert prefix in module.parents, module
case = narv.load_example("asm1-benchmark")
assert prefix in pathlib.Path(case.plant_file).resolve().parents, case.plant_file
case["SludgeAge"] = 12
case.relax()
sbr = narv.load_example("sbr-demo")
sbr["FixedKla[3]"] = 150
print(case["S[6,Ammonium]"], sbr["FixedKla[3]"], len(narv.example_files("ai-demo")))
"""


@pytest.fixture(scope="module")
def installed(tmp_path_factory):
    build = os.environ.get("NARV_BUILD_DIR")
    cmake = os.environ.get("CMAKE_COMMAND", "cmake")
    if not build:
        pytest.fail("NARV_BUILD_DIR names the build directory under test")
    prefix = tmp_path_factory.mktemp("prefix")
    result = subprocess.run([cmake, "--install", build, "--prefix", prefix, "--component", "python"],
                            capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
    return prefix


def test_the_installed_package_lies_under_the_prefix(installed):
    packages = list(installed.rglob("narv/__init__.py"))
    assert len(packages) == 1, packages
    package = packages[0].parent
    assert list(package.glob("_narv*.so"))
    assert (package / "examples" / "sbr-demo" / "sbr-demo.pln").is_file()
    # The build tree's pointer to the sources stays behind.
    assert not (package / "_paths.py").exists()


def test_the_installed_package_runs_in_a_fresh_interpreter(installed, tmp_path):
    site = next(installed.rglob("narv/__init__.py")).parent.parent
    environment = {key: value for key, value in os.environ.items()
                   if not key.startswith("PYTHON") and key != "NARV_CLI"}
    environment["PYTHONPATH"] = str(site)
    environment["PYTHONDONTWRITEBYTECODE"] = "1"
    result = subprocess.run([sys.executable, "-s", "-c", CHECK, str(installed)],
                            capture_output=True, text=True, cwd=tmp_path, env=environment,
                            timeout=600)
    assert result.returncode == 0, result.stderr
    ammonium, kla, files = result.stdout.split()
    assert float(ammonium) > 0 and float(kla) == 150 and int(files) == 3
