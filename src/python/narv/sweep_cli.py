"""The sweep of narv-cli: python3 -m narv.sweep_cli SWEEP.json [--out OUT.csv]
[--scheduler ADDRESS] [--workers N]. Exit codes as narv-cli's: 0 success, 1 an error of the
input or the computation (message on stderr), 2 a usage error."""

import argparse
import csv
import io
import json
import math
import pathlib
import sys

EXIT_SUCCESS = 0
EXIT_ERROR = 1
EXIT_USAGE = 2


class SpecError(Exception):
    """A sweep file that cannot be run: the message names the file and the field."""


def _case_files(sweep_spec, base, source):
    case = sweep_spec.get("case")
    if isinstance(case, str):
        case = {"example": case}
    if not isinstance(case, dict):
        raise SpecError(f"{source}: \"case\" must be an object with model, plant, variation and "
                        "settings files, or {\"example\": NAME}")
    if "example" in case:
        from . import example_files
        extra = set(case) - {"example", "settings"}
        if extra:
            raise SpecError(f"{source}: \"case\" with an example takes only settings besides, "
                            f"not {', '.join(sorted(extra))}")
        files = example_files(str(case["example"]))
        if case.get("settings"):
            files["settings"] = str(base / case["settings"])
        return files
    unknown = set(case) - {"model", "plant", "variation", "settings"}
    if unknown:
        raise SpecError(f"{source}: \"case\" has no field {', '.join(sorted(unknown))}")
    if not case.get("model"):
        raise SpecError(f"{source}: \"case\" needs a \"model\" file")
    return {key: str(base / value) if value else None for key, value in case.items()}


def read_spec(path):
    """The case files, parameter sets and run plan of a sweep file."""
    from .sweep import RunPlan, parameter_sets
    from ._narv import Error

    path = pathlib.Path(path)
    try:
        text = path.read_text(encoding="utf-8")
    except OSError as error:
        raise SpecError(f"{path}: cannot be read: {error.strerror}") from None
    try:
        sweep_spec = json.loads(text)
    except json.JSONDecodeError as error:
        raise SpecError(f"{path}, line {error.lineno}: not valid JSON: {error.msg}") from None
    if not isinstance(sweep_spec, dict):
        raise SpecError(f"{path}: a sweep file holds one JSON object")
    unknown = set(sweep_spec) - {"case", "parameters", "run", "outputs"}
    if unknown:
        raise SpecError(f"{path}: no field {', '.join(sorted(unknown))} (case, parameters, run, "
                        "outputs)")
    for field in ("case", "parameters", "run", "outputs"):
        if field not in sweep_spec:
            raise SpecError(f"{path}: the field \"{field}\" is missing")
    files = _case_files(sweep_spec, path.parent, path)
    try:
        sets = parameter_sets(sweep_spec["parameters"])
        plan = RunPlan(sweep_spec["run"], sweep_spec["outputs"])
    except Error as error:
        raise SpecError(f"{path}: {error}") from None
    if not sets:
        raise SpecError(f"{path}: \"parameters\" gives no parameter set")
    return files, sets, plan


def _number(value):
    # Written so that it reads back to the same double.
    if isinstance(value, float):
        if not math.isfinite(value):
            return ""
        return repr(value)
    return str(value)


def write_csv(frame, out):
    writer = csv.writer(out, lineterminator="\r\n")
    writer.writerow(list(frame.columns))
    for row in frame.itertuples(index=False):
        writer.writerow([_number(v) for v in row])


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="narv-cli sweep",
        description="Runs one simulation per parameter set of a sweep file and writes a CSV.")
    parser.add_argument("sweep_spec", metavar="SWEEP.json")
    parser.add_argument("--out", metavar="OUT.csv")
    parser.add_argument("--scheduler", metavar="ADDRESS")
    parser.add_argument("--workers", type=int, metavar="N")
    arguments = parser.parse_args(argv)  # exits with 2 on a usage error
    if arguments.workers is not None and arguments.workers < 1:
        parser.error("--workers needs a number of at least 1")

    from . import load, sweep
    from ._narv import Error
    from ._case import _write_atomically

    client = None
    try:
        files, sets, plan = read_spec(arguments.sweep_spec)
        case = load(**files)
        if arguments.scheduler:
            try:
                from distributed import Client
            except ImportError:
                raise SpecError("--scheduler needs dask.distributed (python3-distributed)")
            try:
                client = Client(arguments.scheduler, timeout="20s")
            except (OSError, TimeoutError) as error:
                raise SpecError(f"No dask scheduler answers at {arguments.scheduler}: {error}")
        progress = None
        if sys.stderr.isatty():
            def progress(done, total):
                print(f"\rRun {done} of {total}", end="\n" if done == total else "",
                      file=sys.stderr, flush=True)
        frame = sweep(case, sets, plan, client, workers=arguments.workers, progress=progress)
        text = io.StringIO()
        write_csv(frame, text)
        if arguments.out:
            _write_atomically(arguments.out, lambda out: out.write(text.getvalue()), newline="")
        else:
            sys.stdout.write(text.getvalue())
    except (SpecError, Error) as error:
        print(error, file=sys.stderr)
        return EXIT_ERROR
    except OSError as error:
        print(f"{error.filename or ''}: {error.strerror}" if error.filename else error,
              file=sys.stderr)
        return EXIT_ERROR
    except KeyboardInterrupt:
        print("The sweep was stopped.", file=sys.stderr)
        return EXIT_ERROR
    finally:
        if client is not None:
            client.close()
    return EXIT_SUCCESS


if __name__ == "__main__":
    sys.exit(main())
