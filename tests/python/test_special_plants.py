"""SBR and A/I plants by name: their own values read and set with the editors' rules, a changed
plant runs as narv-cli runs the same plant saved, refused values change nothing."""

import pickle
import re

import numpy as np
import pandas as pd
import pytest

import narv
from conftest import example, run_cli


def load(name, variation=True):
    return narv.load(**example(name, variation))


def values(case):
    return {n: case[n] for n in case.names()}


def test_sbr_values_read_as_the_plant_file_stores_them():
    case = load("sbr-demo")
    stored = {
        "TimesliceLength": 5, "InitialVolume": 1500.0, "Accuracy": 0.001,
        "Timeslices[1]": 6, "Timeslices[3]": 18, "Timeslices[12]": 0,
        "Influent1Volume[1]": 400.0, "Influent1Volume[4]": 400.0,
        "SupernatantVolume[8]": 760.0, "MixedLiquorVolume[9]": 40.0,
        "FixedKla[3]": 180.0, "FixedO2[3]": 0.0,
        "AerationMode[3]": 3, "AerationMode[1]": 0, "SignalSpecies[3]": 1,
        "UpperThreshold[3]": 2.5, "LowerThreshold[3]": 1.5, "ValueBelow[3]": 180.0,
        "InputVolume": 800.0, "OutputVolume": 800.0, "CycleLength": 5 * 72,
        "MinimumInitialVolume": 160.0,
    }
    assert {name: case[name] for name in stored} == stored
    names = case.names()
    assert "Timeslices[12]" in names and "ValueBelow[1]" in names
    # The cycle replaces flows, volumes and aeration: they are not values of an SBR plant, only
    # read as the state file holds them.
    assert not {"SludgeAge", "InfluentFlow", "Volume[1]", "Kla[1]", "LaneFed[1]"} & set(names)
    assert case["Kla[1]"] == case.state_dict()["plant"]["Kla"][0]
    with pytest.raises(narv.Error, match="only an A/I plant has this value"):
        case["LaneFed[1]"]
    assert {"InfluentS[1]", "SIn2[1]", "S[1,1]", "OperatingTemperature"} <= set(names)


def test_sbr_values_follow_the_sbr_page_rules():
    case = load("sbr-demo")
    # A fixed kla and a fixed oxygen concentration exclude each other, as in the value entry.
    case["FixedO2[2]"] = 2.0
    assert (case["FixedO2[2]"], case["FixedKla[2]"]) == (2.0, 0.0)
    case["FixedKla[2]"] = 60
    assert (case["FixedO2[2]"], case["FixedKla[2]"]) == (0.0, 60.0)
    # More feed raises the minimum initial volume, and the initial volume follows it.
    case["Influent1Volume[1]"] = 9600
    case["SupernatantVolume[8]"] = 9960
    assert case["MinimumInitialVolume"] == 0.2 * 10000
    assert case["InitialVolume"] == 2000.0
    case["InitialVolume"] = 2500
    case["Timeslices[10]"] = 3
    case["AerationMode[10]"] = 2
    case["SignalSpecies[10]"] = 2
    case["Slope[10]"] = -5
    assert case["CycleLength"] == 5 * 75
    assert case["Slope[10]"] == -5.0 and case["AerationMode[10]"] == 2
    # A changed cycle must balance before it runs.
    case["MixedLiquorVolume[9]"] = 140
    with pytest.raises(narv.Error, match="Influent and effluent volume must add up to same "
                                         "volume per cycle!\nInput Volume: "):
        case.simulate(1)
    case["MixedLiquorVolume[9]"] = 40
    case.simulate(1)


# (values set first, the refused name and value, the message)
SBR_REFUSED = [
    ([], "TimesliceLength", 1441, "Number should be between 0 and 1440"),
    ([], "TimesliceLength", 2.5, "a whole number 0..1440"),
    ([], "Accuracy", 0.5, "Number should be between"),
    ([], "InitialVolume", 100, "Initial Volume should exceed 160.00 m3."),
    ([], "InitialVolume", float("inf"), "Input isn't a valid number"),
    ([], "Timeslices[1]", 223, "Number should be between 0 and 222"),
    ([], "Timeslices[13]", 1, "the cycle has periods 1..12"),
    ([], "Influent2Volume[2]", -1, "Number should be between"),
    ([("Influent1Volume[10]", 5)], "MixedLiquorVolume[10]", 5,
     "Cannot define influent AND effluent if duration of period is 0!"),
    ([("SupernatantVolume[1]", 5)], "Timeslices[1]", 0,
     "Cannot define influent AND effluent if duration of period is 0!"),
    ([], "AerationMode[1]", 4, "Number should be between 0 and 3"),
    ([], "SignalSpecies[1]", 0, "Number should be between 1 and"),
    ([], "UpperThreshold[3]", -1, "Number should be between"),
    ([], "Slope[3]", 2e9, "Number should be between"),
    ([], "CycleLength", 10, "cannot be set"),
    ([], "SludgeAge", 10, "plays no part in an SBR plant"),
    ([], "Kla[1]", 10, "plays no part in an SBR plant"),
    ([], "LaneFed[1]", 1, "only an A/I plant has this value"),
]


@pytest.mark.parametrize("before,name,value,message", SBR_REFUSED,
                         ids=[f"{r[1]}={r[2]}" for r in SBR_REFUSED])
def test_refused_sbr_values_change_nothing(before, name, value, message):
    case = load("sbr-demo")
    for earlier, earlier_value in before:
        case[earlier] = earlier_value
    unchanged = values(case)
    with pytest.raises(narv.Error, match=re.escape(message)):
        case[name] = value
    assert values(case) == unchanged


def test_a_changed_sbr_plant_runs_as_the_command_line_runs_it_saved(cli, tmp_path):
    case = load("sbr-demo")
    case["TimesliceLength"] = 4
    case["Influent1Volume[1]"] = 450
    case["SupernatantVolume[8]"] = 810
    case["FixedKla[6]"] = 150
    case["AerationMode[3]"] = 2
    case["Setpoint[3]"] = 120
    case["SignalValue[3]"] = 2
    case["Slope[3]"] = -40
    case["Accuracy"] = 0.0005
    case.save_plant(tmp_path / "changed.pln")
    copy = pickle.loads(pickle.dumps(case))

    again = narv.load(example("sbr-demo")["model"], tmp_path / "changed.pln")
    assert values(again) == values(case)

    files = example("sbr-demo", variation=False)
    result = run_cli(cli, "simulate", "--model", files["model"], "--plant",
                     tmp_path / "changed.pln", "--cycles", "2", "--csv", tmp_path / "cli.csv")
    assert result.returncode == 0, result.stderr
    for run in (case, copy):
        run.simulate(2)
        run.save_csv(tmp_path / "py.csv")
        assert (tmp_path / "py.csv").read_bytes() == (tmp_path / "cli.csv").read_bytes()
    unchanged = load("sbr-demo")
    unchanged.simulate(2)
    assert not unchanged.results.equals(case.results)


def test_ai_values_by_name():
    case = load("ai-demo")
    assert (case["PolyvalentCount"], case["LaneCompartmentCount"],
            case["PostAerationCount"]) == (1, 2, 1)
    assert [case[f"LaneFed[{i}]"] for i in range(1, 13)] == [1, 2] * 6
    assert "LaneFed[12]" in case.names() and "Timeslices[1]" not in case.names()
    # Twins: compartment 2 of lane 1 and compartment 4 of lane 2 have one volume.
    case["Volume[2]"] = 500
    assert (case["Volume[2]"], case["Volume[4]"]) == (500.0, 500.0)
    case["Volume[5]"] = 750
    assert (case["Volume[3]"], case["Volume[5]"]) == (750.0, 750.0)
    case["Volume[1]"] = 900
    assert case["Volume[1]"] == 900.0 and case["Volume[6]"] != 900.0
    case["LaneFed[3]"] = 2
    assert case["LaneFed[3]"] == 2


AI_REFUSED = [
    ("LaneFed[1]", 3, "the lane fed is 1 or 2"),
    ("LaneFed[1]", 1.5, "the lane fed is 1 or 2"),
    ("LaneFed[13]", 1, "the variation has time steps 1..12"),
    ("PolyvalentCount", 2, "cannot be set"),
    ("RecircFlow", 100, "recirculates only with 2 or more polyvalent reactors"),
    ("Volume[3]", 0, "Number should be between"),
    ("Timeslices[1]", 1, "only an SBR plant has this value"),
]


@pytest.mark.parametrize("name,value,message", AI_REFUSED, ids=[f"{r[0]}={r[1]}" for r in AI_REFUSED])
def test_refused_ai_values_change_nothing(name, value, message):
    case = load("ai-demo")
    unchanged = values(case)
    with pytest.raises(narv.Error, match=re.escape(message)):
        case[name] = value
    assert values(case) == unchanged


def test_a_changed_ai_plant_runs_as_the_command_line_runs_it_saved(cli, tmp_path):
    case = load("ai-demo")
    case["Volume[2]"] = 500
    case["LaneFed[1]"] = 2
    case["LaneFed[2]"] = 1
    case["Kla[6]"] = 150
    case.save_plant(tmp_path / "changed.pln")
    case.save_variation(tmp_path / "changed.vrt")
    copy = pickle.loads(pickle.dumps(case))

    model = example("ai-demo")["model"]
    result = run_cli(cli, "simulate", "--model", model, "--plant", tmp_path / "changed.pln",
                     "--variation", tmp_path / "changed.vrt", "--cycles", "1",
                     "--csv", tmp_path / "cli.csv")
    assert result.returncode == 0, result.stderr
    for run in (case, copy):
        run.simulate(1)
        run.save_csv(tmp_path / "py.csv")
        assert (tmp_path / "py.csv").read_bytes() == (tmp_path / "cli.csv").read_bytes()
    again = narv.load(model, tmp_path / "changed.pln", tmp_path / "changed.vrt")
    assert (again["Volume[4]"], again["LaneFed[1]"], again["LaneFed[2]"]) == (500.0, 2, 1)
