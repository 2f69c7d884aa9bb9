"""NARV for Python: activated-sludge plants simulated by the same core as narv-cli.

    import narv
    case = narv.load_example("asm1-benchmark")
    case["SludgeAge"] = 12
    case.relax()
    case.simulate(cycles=2)
    case.results            # every recorded series: a DataFrame indexed by time [h]
    case.effluent_means()   # mean effluent concentrations of the run

Values are read and set by name (see Case.names()); errors raise narv.Error with the
program's message; Ctrl+C stops a long run and raises KeyboardInterrupt.
"""

from ._narv import Case, Error, load
from ._case import load_example, example_files, read_results
from .sweep import RunPlan, sweep

__all__ = [
    "Case",
    "Error",
    "RunPlan",
    "example_files",
    "load",
    "load_example",
    "read_results",
    "sweep",
]
