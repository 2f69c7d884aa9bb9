"""Shared fixtures: the narv-cli of the same build and the example projects."""

import os
import pathlib
import subprocess

import pytest

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = SOURCE_DIR / "examples"


@pytest.fixture(scope="session")
def cli():
    path = os.environ.get("NARV_CLI")
    if not path:
        pytest.fail("NARV_CLI names the narv-cli of the build under test")
    return path


def run_cli(cli, *args, cwd=None):
    return subprocess.run([cli, *map(str, args)], capture_output=True, text=True, cwd=cwd,
                          timeout=600)


def example(name, variation=True):
    directory = EXAMPLES / name
    files = {"model": directory / f"{name}.mod", "plant": directory / f"{name}.pln"}
    variation = variation and directory / f"{name}.vrt"
    if variation and variation.exists():
        files["variation"] = variation
    return files


def cli_case_args(name, variation=True):
    files = example(name, variation)
    args = ["--model", files["model"], "--plant", files["plant"]]
    if "variation" in files:
        args += ["--variation", files["variation"]]
    return args
