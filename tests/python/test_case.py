"""The module end to end: the same numbers as narv-cli, errors with the program's messages,
values by name, files, the stop of a long run."""

import json
import math
import os
import pickle
import re
import shutil
import signal
import threading

import numpy as np
import pandas as pd
import pytest

import narv
from conftest import EXAMPLES, cli_case_args, example, run_cli


def load(name, variation=True):
    return narv.load(**example(name, variation))


# (example, the narv-cli command and options, the same run in Python)
RUNS = [
    ("asm1-benchmark", ["relax"], lambda c: c.relax()),
    ("asm1-benchmark", ["relax", "--times", "5,1,0.5"], lambda c: c.relax(times=[5, 1, 0.5])),
    ("asm1-benchmark", ["integrate", "--days", "2"], lambda c: c.integrate(2)),
    ("carbon-nitrogen", ["integrate", "--days", "0.3"], lambda c: c.integrate(0.3)),
    ("asm1-benchmark", ["simulate", "--cycles", "2"], lambda c: c.simulate(2)),
    ("carbon-nitrogen", ["simulate", "--cycles", "1", "--all-cycles"],
     lambda c: c.simulate(1, all_cycles=True)),
    ("sbr-demo", ["simulate", "--cycles", "2"], lambda c: c.simulate(2)),
    ("ai-demo", ["simulate", "--cycles", "1"], lambda c: c.simulate(1)),
]


@pytest.mark.parametrize("name,command,run", RUNS, ids=[f"{r[0]}-{'-'.join(r[1])}" for r in RUNS])
def test_runs_equal_the_command_line_bit_for_bit(cli, tmp_path, name, command, run):
    simulate = command[0] == "simulate"
    args = [command[0], *cli_case_args(name, simulate), *command[1:], "--save", tmp_path / "cli.pln",
            "--state-json", tmp_path / "cli.json"]
    if simulate:
        args += ["--csv", tmp_path / "cli.csv"]
    result = run_cli(cli, *args)
    assert result.returncode == 0, result.stderr

    case = load(name, simulate)
    run(case)
    case.save_plant(tmp_path / "py.pln")
    case.save_state_json(tmp_path / "py.json")

    assert (tmp_path / "py.pln").read_bytes() == (tmp_path / "cli.pln").read_bytes()
    cli_state = json.loads((tmp_path / "cli.json").read_text())
    py_state = json.loads((tmp_path / "py.json").read_text())
    cli_state.pop("sbr", None)  # the SBR clock of the end of the run is not part of a case
    assert py_state == cli_state
    assert np.array_equal(case.S, np.array([c["S"] for c in cli_state["compartments"]]))

    if simulate:
        case.save_csv(tmp_path / "py.csv")
        assert (tmp_path / "py.csv").read_bytes() == (tmp_path / "cli.csv").read_bytes()
        # The DataFrame holds the recorded values the CSV writes with 9 digits.
        csv = pd.read_csv(tmp_path / "cli.csv", index_col=0)
        frame = case.results
        for title in frame.columns:
            column = csv[title] if title in csv.columns else None
            assert column is not None, title
            assert np.array_equal(frame[title].to_numpy(np.float32),
                                  column.to_numpy(np.float32)), title


def test_continuous_from_a_file_and_from_a_dataframe_equal_the_command_line(cli, tmp_path):
    measured = EXAMPLES / "asm1-benchmark" / "measured.cin.csv"
    result = run_cli(cli, "continuous", *cli_case_args("asm1-benchmark", False), "--input", measured,
                     "--output", tmp_path / "cli.cou.csv", "--state-json", tmp_path / "cli.json")
    assert result.returncode == 0, result.stderr

    from_file = load("asm1-benchmark", False)
    table = from_file.continuous(measured, output=tmp_path / "file.cou.csv")
    assert (tmp_path / "file.cou.csv").read_bytes() == (tmp_path / "cli.cou.csv").read_bytes()
    assert len(table) == table.attrs["rows_written"]

    rows = [line.replace(";", " ").split() for line in
            measured.read_text(encoding="latin-1").splitlines()[4:] if line.strip()]
    values = np.array(rows, dtype=float)
    from_frame = load("asm1-benchmark", False)
    frame = pd.DataFrame(values, columns=from_frame.continuous_template().columns)
    again = from_frame.continuous(frame, output=tmp_path / "frame.cou.csv")
    # The table's values are read back exactly, so the run is the same.
    assert (tmp_path / "frame.cou.csv").read_bytes() == (tmp_path / "cli.cou.csv").read_bytes()
    pd.testing.assert_frame_equal(again, table, check_exact=True, check_like=False)
    assert np.array_equal(from_frame.S, from_file.S)

    with pytest.raises(narv.Error, match="needs 20 columns"):
        from_frame.continuous(values[:, :5])


def corrupt(source, target, old, new):
    text = source.read_bytes()
    assert old in text
    target.write_bytes(text.replace(old, new, 1))


def test_a_bad_file_raises_the_message_of_the_command_line(cli, tmp_path):
    files = example("asm1-benchmark")
    bad_plant = tmp_path / "bad.pln"
    text = files["plant"].read_bytes().split(b"\n")
    # A number of the flowscheme line that is no number.
    text[6] = text[6][:10] + b"x" + text[6][11:]
    bad_plant.write_bytes(b"\n".join(text))
    cases = [
        {"model": files["model"], "plant": bad_plant},
        {"model": tmp_path / "missing.mod"},
        {"model": files["model"], "plant": EXAMPLES / "sbr-demo" / "sbr-demo.pln"},
    ]
    for files_of_case in cases:
        args = ["check", "--model", files_of_case["model"]]
        if "plant" in files_of_case:
            args += ["--plant", files_of_case["plant"]]
        result = run_cli(cli, *args)
        assert result.returncode == 1
        with pytest.raises(narv.Error) as raised:
            narv.load(**files_of_case)
        assert str(raised.value) == result.stderr.rstrip("\n")
        assert isinstance(raised.value, RuntimeError)


def test_computations_refused_with_the_program_messages():
    sbr = load("sbr-demo")
    with pytest.raises(narv.Error, match="An SBR plant is simulated only by the dynamic"):
        sbr.relax()
    no_variation = narv.load(**{k: v for k, v in example("asm1-benchmark").items()
                                if k != "variation"})
    with pytest.raises(narv.Error, match="needs a variation"):
        no_variation.simulate(1)
    with pytest.raises(narv.Error, match="no results yet"):
        no_variation.results


def test_values_by_name_follow_the_dialog_rules():
    case = load("asm1-benchmark")
    case["SludgeAge"] = 12.5
    assert case["ExcessRate"] == 1.0 / 12.5
    # Species and processes by number, whole name, label or first word, any case.
    for name in ("InfluentS[5]", "InfluentS[S Ammonium N]", "InfluentS[ammonium n]",
                 "InfluentS[Ammonium]", "SIn1[Ammonium]"):
        assert case[name] == case["InfluentS[5]"]
    assert case["KS[Aerobic growth heterotrophs,Oxygen]"] == case["KS[2,1]"]

    base, theta = case["Kr[2]"], case["ThetaKr[2]"]
    case["OperatingTemperature"] = 20
    assert case["KrT[2]"] == base * math.exp(theta * (20 - case["BaseTemperature"]))
    case["Kr[2]"] = 5.0
    assert case["KrT[2]"] == 5.0 * math.exp(theta * (20 - case["BaseTemperature"]))

    case["O2Setpoint[3]"] = 2.0
    assert case["Kla[3]"] == 0.0
    case["Kla[3]"] = 200
    assert (case["Kla[3]"], case["O2Setpoint[3]"]) == (200.0, 0.0)


REFUSED = [
    ("InfluentFlow", -1, "Number should be between"),
    ("SludgeAge", 0.01, "Number should be between"),
    ("OperatingTemperature", 150, "Number should be between"),
    ("Kla[7]", 100, "clarifier"),
    ("Kla[19]", 100, "compartments 1..7"),
    ("Kla", 100, "takes 1 index"),
    ("InfluentS[Nothing]", 1, "no dissolved species 'Nothing'"),
    ("KS[Nothing,1]", 1, "no process 'Nothing'"),
    ("InfluentS[5]", float("nan"), "Input isn't a valid number"),
    ("S[1,5]", -1, "must not be negative"),
    ("ExcessRate", 0.1, "cannot be set"),
    ("Flow", 1, "no value of that name"),
]


@pytest.mark.parametrize("name,value,message", REFUSED, ids=[r[0] for r in REFUSED])
def test_refused_values_change_nothing(name, value, message):
    case = load("asm1-benchmark")
    before = {n: case[n] for n in case.names()}
    with pytest.raises(narv.Error, match=message.replace("[", r"\[").replace(".", r"\.")):
        case[name] = value
    assert {n: case[n] for n in case.names()} == before


def test_a_copy_of_a_case_runs_as_the_original(tmp_path):
    case = load("asm1-benchmark")
    case["SludgeAge"] = 10
    case["OperatingTemperature"] = 12
    case.relax()
    copy = pickle.loads(pickle.dumps(case))
    assert np.array_equal(copy.S, case.S) and np.array_equal(copy.X, case.X)
    assert copy["KrT[4]"] == case["KrT[4]"]
    case.simulate(1)
    copy.simulate(1)
    pd.testing.assert_frame_equal(copy.results, case.results, check_exact=True)


def test_saved_files_read_back(tmp_path):
    case = load("asm1-benchmark")
    case["Volume[1]"] = 1200.0
    case.relax()
    case.simulate(1)
    case.save_model(tmp_path / "m.mod")
    case.save_plant(tmp_path / "p.pln")
    case.save_variation(tmp_path / "v.vrt")
    case.save_results(tmp_path / "r.rlt")
    again = narv.load(tmp_path / "m.mod", tmp_path / "p.pln", tmp_path / "v.vrt")
    assert again["Volume[1]"] == 1200.0
    assert again.processes == case.processes
    stored = narv.read_results(tmp_path / "r.rlt")
    assert np.array_equal(stored["R 5: S Ammonium N"].to_numpy(),
                          case.results["R 5: S Ammonium N"].to_numpy())
    # A save that fails leaves nothing behind and says so.
    with pytest.raises(narv.Error):
        case.save_plant(tmp_path / "no-such-directory" / "p.pln")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["m.mod", "p.pln", "r.rlt", "v.vrt"]


def test_ctrl_c_stops_a_long_run_and_leaves_the_case_usable():
    case = load("asm1-benchmark")
    # The signal arrives while the run goes on without the GIL.
    timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            case.simulate(365)
    finally:
        timer.cancel()
    case.simulate(1)
    assert len(case.results) == 289


# (setting, value, message): the ranges of the settings file and the Configuration dialog.
SETTINGS_REFUSED = [
    ("Eps2", 0.5, "set_setting, [Simulation] Eps2 is 0.5; it must lie between 0 and 0.1."),
    ("Eps2", 0.01, "set_setting, [Simulation] Eps is 0.02; it must lie between 0 and 0.01."),
    ("Eps", 0.2, "set_setting, [Simulation] Eps is 0.2; it must lie between 0 and 0.1."),
    ("DeltMin", 1.0, "set_setting, [Simulation] DeltMin is 1; it must lie between 0 and 0.01."),
    ("ConcMax", 1e200, "it must lie between 0 and 1e110."),
    ("Tdif", -1, "Tdif is -1; it must lie between 0 and 1e9."),
    ("Tdif", float("nan"), "Tdif: Input isn't a valid number"),
    ("loops", 101, "loops: a whole number 1..100"),
    ("loopmin", 2.5, "loopmin: a whole number 1..100"),
    ("Solver", 1, "no such setting"),
]


@pytest.mark.parametrize("key,value,message", SETTINGS_REFUSED,
                         ids=[f"{r[0]}={r[1]}" for r in SETTINGS_REFUSED])
def test_settings_keep_their_ranges(key, value, message):
    case = load("asm1-benchmark")
    before = case.settings
    with pytest.raises(narv.Error, match=re.escape(message)):
        case.set_setting(key, value)
    assert case.settings == before
    case.set_setting("Eps", 0.01)
    case.set_setting("Eps2", 0.01)
    case.set_setting("DeltMin", 1e-6)
    case.set_setting("loops", 20)
    assert {k: case.settings[k] for k in ("Eps", "Eps2", "DeltMin", "loops")} == {
        "Eps": 0.01, "Eps2": 0.01, "DeltMin": 1e-6, "loops": 20}
