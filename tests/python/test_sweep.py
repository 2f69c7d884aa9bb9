"""Sweeps: the same table serially, on a local pool, on a dask LocalCluster and from narv-cli."""

import csv
import json
import subprocess
import sys

import pandas as pd
import pytest

import narv
from conftest import EXAMPLES, SOURCE_DIR, run_cli

# 8 sets: two sludge ages by two kla values by two temperatures.
GRID = {"SludgeAge": [8.0, 14.0], "Kla[4]": [120.0, 240.0], "OperatingTemperature": [12.0, 18.0]}
PLAN = narv.RunPlan(["relax", {"simulate": {"cycles": 1}}],
                    ["effluent_mean:Ammonium", "max:R 5: S Oxygen O2", "S[7,Nitrate]", "ExcessRate"])


@pytest.fixture(scope="module")
def serial():
    return narv.sweep("asm1-benchmark", GRID, PLAN, workers=1)


def test_a_grid_gives_every_combination_in_order(serial):
    assert len(serial) == 8
    assert list(serial.columns) == list(GRID) + PLAN.outputs
    assert list(serial["SludgeAge"]) == [8.0] * 4 + [14.0] * 4
    assert list(serial["OperatingTemperature"]) == [12.0, 18.0] * 4
    assert (serial["ExcessRate"] == 1.0 / serial["SludgeAge"]).all()
    # The sets really differ: a longer sludge age nitrifies more.
    assert serial["effluent_mean:Ammonium"][0] > serial["effluent_mean:Ammonium"][4]


def test_a_local_pool_equals_the_serial_run(serial):
    pooled = narv.sweep("asm1-benchmark", GRID, PLAN, workers=2)
    pd.testing.assert_frame_equal(pooled, serial, check_exact=True)


def test_a_dask_local_cluster_equals_the_serial_run(serial):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        clustered = narv.sweep("asm1-benchmark", GRID, PLAN, client)
    pd.testing.assert_frame_equal(clustered, serial, check_exact=True)


def effluent_nitrogen(case):
    case.relax()
    return {"nitrogen": case["S[7,Ammonium]"] + case["S[7,Nitrate]"]}


def test_a_function_as_run_and_a_list_of_sets(serial):
    case = narv.load_example("asm1-benchmark")
    sets = [{"SludgeAge": 8.0}, {"SludgeAge": 14.0, "InfluentS[Ammonium]": 20.0}]
    table = narv.sweep(case, sets, effluent_nitrogen, workers=2)
    assert list(table.columns) == ["SludgeAge", "InfluentS[Ammonium]", "nitrogen"]
    assert pd.isna(table["InfluentS[Ammonium]"][0])
    # The case given is copied, not changed.
    assert case["SludgeAge"] == narv.load_example("asm1-benchmark")["SludgeAge"]


@pytest.mark.parametrize("parameters,run,message", [
    ({"Nothing": [1]}, PLAN, "Nothing is not a value that can be set"),
    ({"Kla[9]": [1]}, PLAN, "compartments 1..7"),
    ({"SludgeAge": [0.1]}, PLAN, r"parameter set 1 \(SludgeAge=0.1\): SludgeAge: Number should"),
    ({"SludgeAge": ["x"]}, PLAN, "needs a finite number"),
    ({"SludgeAge": [8]}, {"steps": ["boil"], "outputs": ["SludgeAge"]}, "no step 'boil'"),
])
def test_bad_sweeps_raise_before_or_with_the_set(parameters, run, message):
    with pytest.raises(narv.Error, match=message):
        narv.sweep("asm1-benchmark", parameters, run, workers=1)


def read_csv_rows(path):
    with open(path, newline="") as table:
        return list(csv.reader(table))


def test_narv_cli_sweep_writes_the_serial_table(cli, tmp_path, serial):
    sweep_spec = {"case": {"model": "../../examples/asm1-benchmark/asm1-benchmark.mod",
                     "plant": "../../examples/asm1-benchmark/asm1-benchmark.pln",
                     "variation": "../../examples/asm1-benchmark/asm1-benchmark.vrt"},
            "parameters": GRID,
            "run": PLAN.steps and ["relax", {"simulate": {"cycles": 1}}],
            "outputs": PLAN.outputs}
    folder = tmp_path / "a" / "b"
    folder.mkdir(parents=True)
    for suffix in ("mod", "pln", "vrt"):
        target = tmp_path / "examples" / "asm1-benchmark"
        target.mkdir(parents=True, exist_ok=True)
        (target / f"asm1-benchmark.{suffix}").write_bytes(
            (EXAMPLES / "asm1-benchmark" / f"asm1-benchmark.{suffix}").read_bytes())
    (folder / "sweep.json").write_text(json.dumps(sweep_spec))
    result = run_cli(cli, "sweep", folder / "sweep.json", "--out", tmp_path / "out.csv",
                     "--workers", 2)
    assert result.returncode == 0, result.stderr
    rows = read_csv_rows(tmp_path / "out.csv")
    assert rows[0] == list(serial.columns)
    assert [[float(v) for v in row] for row in rows[1:]] == serial.values.tolist()
    assert (tmp_path / "out.csv").read_bytes().count(b"\r\n") == 9


@pytest.mark.parametrize("sweep_spec,args,code,message", [
    ('{"case": "asm1-benchmark", "parameters": {"SludgeAge": [8]}, "run": "relax"}', [], 1,
     'the field "outputs" is missing'),
    ('{"case": "asm1-benchmark", "parameters": {"SludgeAge": [8]}, "run": "relax",', [], 1,
     "not valid JSON"),
    ('{"case": {"model": "none.mod"}, "parameters": {"SludgeAge": [8]}, "run": "relax", '
     '"outputs": ["SludgeAge"]}', [], 1, "none.mod"),
    ('{"case": "asm1-benchmark", "parameters": {"SludgeAge": [8]}, "run": "relax", '
     '"outputs": ["SludgeAge"]}', ["--workers", "0"], 2, "--workers"),
    ('{"case": "asm1-benchmark", "parameters": {"SludgeAge": [8]}, "run": "relax", '
     '"outputs": ["SludgeAge"]}', ["--bogus"], 2, "unknown option"),
])
def test_narv_cli_sweep_exit_codes(cli, tmp_path, sweep_spec, args, code, message):
    (tmp_path / "sweep.json").write_text(sweep_spec)
    result = run_cli(cli, "sweep", tmp_path / "sweep.json", "--out", tmp_path / "out.csv", *args)
    assert result.returncode == code
    assert message in result.stderr
    assert not (tmp_path / "out.csv").exists()


def test_the_example_script_plots_the_sweep(tmp_path):
    script = SOURCE_DIR / "examples" / "python" / "sludge_age_sweep.py"
    result = subprocess.run([sys.executable, script, "--out", tmp_path, "--points", "4",
                             "--workers", "2"], capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stderr
    table = pd.read_csv(tmp_path / "sludge-age-sweep.csv")
    assert len(table) == 4
    assert table["effluent_mean:Ammonium"].is_monotonic_decreasing
    assert (tmp_path / "sludge-age-sweep.png").read_bytes()[:4] == b"\x89PNG"
