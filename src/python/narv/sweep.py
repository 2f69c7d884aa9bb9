"""Scenario sweeps: one run of a case per parameter set, on a dask.distributed cluster or on a
local process pool, gathered into one DataFrame."""

import concurrent.futures
import itertools
import math
import multiprocessing
import numbers
import os
import pickle

import pandas as pd

from ._narv import Case, Error, load

_STEPS = {
    "relax": {"times"},
    "integrate": {"days"},
    "simulate": {"cycles", "all_cycles"},
}
_SERIES_STATISTICS = {"mean", "min", "max", "last"}


class RunPlan:
    """A run described by data, as a sweep file gives it: steps and outputs.

    steps: a list of "relax", {"relax": {"times": [X, S, O2]}}, {"integrate": {"days": T}} or
    {"simulate": {"cycles": N, "all_cycles": false}}, run in order.
    outputs: names of numbers to report after the run:
      - a value name as Case.get takes it, e.g. "S[6,Ammonium]", "SludgeAge";
      - "effluent_mean:SPECIES", the mean of a dissolved species in the effluent over the
        recorded simulation, e.g. "effluent_mean:Ammonium";
      - "mean:TITLE", "min:TITLE", "max:TITLE", "last:TITLE" of a recorded series, e.g.
        "max:R 5: S Oxygen O2".
    """

    def __init__(self, steps, outputs):
        if isinstance(steps, (str, dict)):
            steps = [steps]
        self.steps = [self._step(step) for step in steps]
        if isinstance(outputs, str) or not outputs:
            raise Error("outputs: a list of at least one output name")
        self.outputs = [str(name) for name in outputs]
        for name in self.outputs:
            kind, _, rest = name.partition(":")
            if rest and kind not in _SERIES_STATISTICS and kind != "effluent_mean":
                raise Error(f"outputs: {name!r} is not an output (effluent_mean:, mean:, min:, "
                            "max:, last: or a value name)")

    @staticmethod
    def _step(step):
        if isinstance(step, str):
            step = {step: {}}
        if not isinstance(step, dict) or len(step) != 1:
            raise Error(f"run: a step is a name or an object with one key, not {step!r}")
        (name, options), = step.items()
        if name not in _STEPS:
            raise Error(f"run: no step {name!r} (relax, integrate, simulate)")
        options = options or {}
        if not isinstance(options, dict):
            raise Error(f"run: the options of {name} are an object, not {options!r}")
        unknown = set(options) - _STEPS[name]
        if unknown:
            raise Error(f"run: {name} takes no option {', '.join(sorted(unknown))}")
        if name == "integrate" and "days" not in options:
            raise Error("run: integrate needs days")
        if name == "simulate" and "cycles" not in options:
            raise Error("run: simulate needs cycles")
        return name, options

    def __call__(self, case):
        for name, options in self.steps:
            getattr(case, name)(**options)
        return {name: self._output(case, name) for name in self.outputs}

    @staticmethod
    def _output(case, name):
        kind, _, rest = name.partition(":")
        if not rest:
            return case.get(name)
        if kind == "effluent_mean":
            titles = case.effluent_titles()
            matches = [s for s in titles if _species_matches(s, rest)]
            if len(matches) != 1:
                raise Error(f"{name}: no single dissolved species {rest!r}; the model has "
                            f"{', '.join(titles)}")
            return float(case.results[titles[matches[0]]].mean())
        results = case.results
        if rest not in results.columns:
            raise Error(f"{name}: no recorded series {rest!r}")
        series = results[rest]
        if kind == "last":
            return float(series.iloc[-1])
        return float(getattr(series, kind)())

    def __repr__(self):
        return f"RunPlan(steps={self.steps!r}, outputs={self.outputs!r})"


def _species_matches(full, wanted):
    """As value names take species: the whole name, the label, or the label's first word."""
    wanted = " ".join(wanted.split()).lower()
    full = " ".join(full.split()).lower()
    label = full[2:]
    return wanted in (full, label, label.split(" ")[0])


def parameter_sets(parameters):
    """The parameter sets of a grid {name: [values]} (every combination, the last name varying
    fastest), of a list of {name: value}, or of a DataFrame (one set per row)."""
    if isinstance(parameters, pd.DataFrame):
        return [dict(zip(parameters.columns, map(float, row)))
                for row in parameters.itertuples(index=False)]
    if isinstance(parameters, dict):
        names = list(parameters)
        values = []
        for name in names:
            choices = parameters[name]
            if isinstance(choices, (str, bytes)) or not hasattr(choices, "__iter__"):
                choices = [choices]
            values.append(list(choices))
        return [dict(zip(names, combination)) for combination in itertools.product(*values)]
    sets = list(parameters)
    if not all(isinstance(s, dict) for s in sets):
        raise Error("parameters: a grid {name: [values]}, a list of {name: value} or a DataFrame")
    return [dict(s) for s in sets]


def _check_sets(case, sets):
    for number, values in enumerate(sets, 1):
        for name, value in values.items():
            if not Case.settable(name):
                raise Error(f"parameter set {number}: {name} is not a value that can be set")
            case.get(name)  # the indices must exist in this case
            if not isinstance(value, numbers.Real) or not math.isfinite(value):
                raise Error(f"parameter set {number}: {name} needs a finite number, "
                            f"not {value!r}")


def _as_case(case):
    if isinstance(case, Case):
        return case
    if isinstance(case, str):
        from ._case import load_example
        return load_example(case)
    if isinstance(case, dict):
        return load(**case)
    raise Error("case: a narv.Case, the name of an example project or a dict of its files")


def _as_run(run):
    if isinstance(run, dict) and set(run) <= {"steps", "outputs"}:
        return RunPlan(run.get("steps", []), run.get("outputs"))
    if not callable(run):
        raise Error("run: a function of the case returning its outputs, or a RunPlan")
    return run


def _run_one(state, values, run, number):
    """One run in whatever process it lands: a fresh copy of the case, the values set, the run."""
    case = pickle.loads(state)
    try:
        for name, value in values.items():
            case.set(name, float(value))
        outputs = run(case)
    except Error as error:
        described = ", ".join(f"{name}={value!r}" for name, value in values.items())
        raise Error(f"parameter set {number} ({described}): {error}") from None
    if isinstance(outputs, pd.Series):
        outputs = outputs.to_dict()
    if not isinstance(outputs, dict):
        raise Error(f"parameter set {number}: the run returned {type(outputs).__name__}, "
                    "not a dict of outputs")
    return outputs


def sweep(case, parameters, run, client=None, *, workers=None, progress=None):
    """Runs the case once per parameter set and returns a DataFrame: the parameters, then the
    outputs of each run, one row per set in the order of the sets.

    case        a narv.Case (copied as it stands, with the values set and the state reached),
                the name of an example project, or a dict of files (model, plant, variation,
                settings)
    parameters  a grid {name: [values]} (every combination), a list of {name: value}, or a
                DataFrame with one set per row; names as Case.set takes them
    run         a function taking the case and returning a dict of numbers, or a RunPlan (or
                a dict with steps and outputs)
    client      a dask.distributed Client: the runs go to its workers; without one they go to
                a local process pool
    workers     the size of the local pool (default: the number of processors); 1 runs the
                sets one after another in this process
    progress    called with (done, total) after every finished run
    """
    case = _as_case(case)
    run = _as_run(run)
    sets = parameter_sets(parameters)
    _check_sets(case, sets)
    state = pickle.dumps(case)
    total = len(sets)
    results = [None] * total

    def finished(index, outputs, done):
        results[index] = outputs
        if progress is not None:
            progress(done, total)

    if client is not None:
        futures = client.map(_run_one, [state] * total, sets, [run] * total,
                             range(1, total + 1), pure=False)
        index_of = {future.key: index for index, future in enumerate(futures)}
        from distributed import as_completed
        for done, future in enumerate(as_completed(futures), 1):
            finished(index_of[future.key], future.result(), done)
    elif workers == 1 or total <= 1:
        for index, values in enumerate(sets):
            finished(index, _run_one(state, values, run, index + 1), index + 1)
    else:
        workers = workers or os.cpu_count() or 1
        # fork: the runs find the caller's functions and modules as they are.
        context = multiprocessing.get_context("fork")
        with concurrent.futures.ProcessPoolExecutor(min(workers, total), context) as pool:
            futures = {pool.submit(_run_one, state, values, run, index + 1): index
                       for index, values in enumerate(sets)}
            try:
                for done, future in enumerate(concurrent.futures.as_completed(futures), 1):
                    finished(futures[future], future.result(), done)
            except BaseException:
                for future in futures:
                    future.cancel()
                raise

    names = list(dict.fromkeys(name for values in sets for name in values))
    outputs = list(dict.fromkeys(name for outcome in results for name in outcome))
    rows = [[values.get(name, math.nan) for name in names]
            + [outcome.get(name, math.nan) for name in outputs]
            for values, outcome in zip(sets, results)]
    return pd.DataFrame(rows, columns=names + outputs)
