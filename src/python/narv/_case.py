"""The Python side of narv.Case: pandas views, value access by item, files."""

import json
import os
import pathlib
import tempfile

import numpy as np
import pandas as pd

from ._narv import Case, Error, load, _read_results

# Placeholders of the quantity list that record nothing.
_UNUSED_SERIES = "not used"


def _examples_dir():
    packaged = pathlib.Path(__file__).with_name("examples")
    if packaged.is_dir():
        return packaged
    try:
        from ._paths import EXAMPLES_DIR
    except ImportError:
        raise Error("The example projects are not installed with this narv package.") from None
    return pathlib.Path(EXAMPLES_DIR)


def example_files(name):
    """The files of an example project: a dict of model, plant, variation (None if absent)."""
    directory = _examples_dir() / name
    model = directory / f"{name}.mod"
    if not model.is_file():
        known = sorted(p.name for p in _examples_dir().iterdir() if p.is_dir())
        raise Error(f"No example project {name!r}; there are: {', '.join(known)}")
    plant = directory / f"{name}.pln"
    variation = directory / f"{name}.vrt"
    return {
        "model": str(model),
        "plant": str(plant) if plant.is_file() else None,
        "variation": str(variation) if variation.is_file() else None,
    }


def load_example(name, settings=None):
    """Loads an example project (asm1-benchmark, carbon-nitrogen, ai-demo, sbr-demo)."""
    return load(settings=settings, **example_files(name))


def _frame_from_series(series, skip_unused=True):
    columns = {}
    index = None
    for title, x, y in series:
        if skip_unused and title == _UNUSED_SERIES:
            continue
        if index is None:
            index = x
        if len(y) != len(index):
            y = np.concatenate([y, np.full(len(index) - len(y), np.nan)])[: len(index)]
        columns[title] = y
    frame = pd.DataFrame(columns, index=pd.Index(index if index is not None else [], name="time [h]"))
    return frame


def read_results(path):
    """Every series of a results file (*.rlt) as a DataFrame indexed by time [h]."""
    return _frame_from_series(_read_results(os.fspath(path)))


def _results(self):
    """Every series the last dynamic simulation recorded: columns titled as the charts' legends
    ("R 3: S Ammonium N", "Cl 1: S Ammonium N", ...), indexed by time [h]. The values are the
    recorded single-precision numbers."""
    if not self.has_results:
        raise Error("There are no results yet: run simulate() first.")
    return _frame_from_series(self._series())


def _series_arrays(self):
    """The recorded series as a list of (title, x [h], y) numpy arrays, in series order."""
    return self._series()


def _effluent_titles(self):
    """The series titles of the dissolved species of the effluent: the last compartment."""
    last = self.compartment_count
    reactors = self.reactor_count
    prefix = f"R {last}: " if last <= reactors else f"Cl {last - reactors}: "
    if self.plant_type == "SBR":
        prefix = "R 1: "
    return {name: prefix + name for name in self.dissolved_species}


def _effluent_means(self):
    """The mean over the recorded run of every dissolved species in the effluent (the last
    compartment; the reactor of an SBR), by species name."""
    results = self.results
    means = {}
    for name, title in _effluent_titles(self).items():
        if title in results.columns:
            means[name] = float(results[title].mean())
    return pd.Series(means, name="effluent mean", dtype=float)


def _state(self):
    """The concentrations of every compartment: rows 1..CompartmentCount, columns the species."""
    frame = pd.DataFrame(
        np.hstack([self.S, self.X]),
        columns=self.dissolved_species + self.particulate_species,
        index=pd.RangeIndex(1, self.compartment_count + 1, name="compartment"),
    )
    return frame


def _state_dict(self):
    """The final state in the shape of narv-cli's --state-json."""
    compartments = self.compartment_count
    state = {
        "time": self.time,
        "compartments": [
            {"S": [float(v) for v in self.S[c]], "X": [float(v) for v in self.X[c]]}
            for c in range(compartments)
        ],
        "plant": {
            name: self.get(name)
            for name in (
                "InfluentFlow",
                "Influent2Flow",
                "ReturnFlow",
                "RecircFlow",
                "Recirc2Flow",
                "ExcessRate",
                "OperatingTemperature",
            )
        },
    }
    state["plant"]["Kla"] = [self.get(f"Kla[{c}]") for c in range(1, compartments + 1)]
    state["plant"]["O2Setpoint"] = [self.get(f"O2Setpoint[{c}]") for c in range(1, compartments + 1)]
    return state


def _write_atomically(path, write, mode="w", newline=None):
    """Writes through a temporary file in the target's directory renamed over the target, so a
    failure leaves the previous file as it was."""
    path = pathlib.Path(path)
    handle, temporary = tempfile.mkstemp(dir=path.parent or ".", prefix=path.name, suffix=".tmp")
    try:
        kwargs = {} if "b" in mode else {"newline": newline, "encoding": "utf-8"}
        with os.fdopen(handle, mode, **kwargs) as out:
            write(out)
        os.replace(temporary, path)
    except BaseException:
        try:
            os.unlink(temporary)
        except FileNotFoundError:
            pass
        raise


def _save_state_json(self, path):
    """Writes the state as narv-cli's --state-json does (numbers read back to the same double)."""
    text = json.dumps(_state_dict(self), indent=2, allow_nan=False) + "\n"
    _write_atomically(path, lambda out: out.write(text))


def _continuous_columns(self):
    leading = ["time [h]", "temperature", "InfluentFlow", "Influent2Flow", "ReturnFlow",
               "RecircFlow", "Recirc2Flow"]
    return leading + self.dissolved_species + self.particulate_species


def _continuous_template(self):
    """An empty input table for continuous(): the columns it takes, in their order."""
    return pd.DataFrame(columns=_continuous_columns(self), dtype=float)


def _read_continuous_output(self, path):
    names = _continuous_columns(self) + ["ExcessRate"] + [
        f"Kla[{c}]" for c in range(1, self.reactor_count + 1)
    ]
    rows = []
    with open(path, encoding="latin-1") as table:
        for number, line in enumerate(table):
            if number < 4 or not line.strip():
                continue
            fields = [f for f in line.replace(";", " ").split()]
            rows.append([float(f.replace("E", "e")) for f in fields])
    width = max((len(r) for r in rows), default=len(names))
    names = (names + [f"column {i + 1}" for i in range(len(names), width)])[:width]
    return pd.DataFrame(rows, columns=names)


def _continuous(self, table, output=None, compartment=None):
    """Drives a standard plant through a table of measured data: a *.cin.csv file, a DataFrame
    or a 2-D array whose columns are those of continuous_template() (time [h], temperature,
    five flows, the 1st influent's concentrations). Writes the output table to output, if
    given, and returns it as a DataFrame (the numbers as the table writes them)."""
    with tempfile.TemporaryDirectory(prefix="narv-continuous-") as directory:
        directory = pathlib.Path(directory)
        if isinstance(table, (str, os.PathLike)):
            input_path = pathlib.Path(table)
        else:
            values = np.asarray(table.to_numpy() if isinstance(table, pd.DataFrame) else table,
                                dtype=float)
            width = len(_continuous_columns(self))
            if values.ndim != 2 or values.shape[1] != width:
                raise Error(
                    f"A continuous table needs {width} columns (time [h], temperature, five "
                    f"flows and {width - 7} concentrations), not shape {values.shape}."
                )
            if not np.all(np.isfinite(values)):
                raise Error("A continuous table holds only finite numbers.")
            input_path = directory / "input.cin.csv"
            self.save_continuous_template(input_path)
            # repr reads back to the same double.
            with open(input_path, "a", encoding="latin-1", newline="") as out:
                for row in values:
                    out.write(";".join(repr(float(v)) for v in row) + ";\r\n")
        output_path = directory / "output.cou.csv"
        outcome = self._continuous(os.fspath(input_path), os.fspath(output_path), compartment)
        if output is not None:
            data = output_path.read_bytes()
            _write_atomically(output, lambda out: out.write(data), mode="wb")
        frame = _read_continuous_output(self, output_path)
    frame.attrs.update(outcome)
    return frame


def _getitem(self, name):
    return self.get(name)


def _setitem(self, name, value):
    self.set(name, float(value))


def _repr(self):
    return (f"<narv.Case {self.model_name!r}: {self.plant_type} plant with "
            f"{self.compartment_count} compartments>")


Case.__getitem__ = _getitem
Case.__setitem__ = _setitem
Case.__repr__ = _repr
Case.results = property(_results)
Case.series = _series_arrays
Case.state = property(_state)
Case.state_dict = _state_dict
Case.save_state_json = _save_state_json
Case.effluent_means = _effluent_means
Case.effluent_titles = _effluent_titles
Case.continuous = _continuous
Case.continuous_template = _continuous_template
