"""Wall-clock time of a 64-run sweep of the benchmark example: serially, on a local pool of 2
processes and on a dask LocalCluster of 2 workers. Every run relaxes the plant for its sludge
age and kla and simulates one day of the variation.

    PYTHONPATH=build/python /usr/bin/python3 bench/sweep_benchmark.py [--cycles N]
"""

import argparse
import time

import numpy as np

import narv


def timed(label, function):
    start = time.perf_counter()
    table = function()
    seconds = time.perf_counter() - start
    print(f"{label:<36}{seconds:8.2f} s  ({seconds / len(table) * 1000:7.1f} ms per run)")
    return table


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cycles", type=int, default=1)
    arguments = parser.parse_args()
    case = narv.load_example("asm1-benchmark")
    grid = {"SludgeAge": np.linspace(5.0, 20.0, 8), "Kla[5]": np.linspace(60.0, 240.0, 8)}
    plan = narv.RunPlan(["relax", {"simulate": {"cycles": arguments.cycles}}],
                        ["effluent_mean:Ammonium", "effluent_mean:Nitrate"])
    serial = timed("serial (workers=1)", lambda: narv.sweep(case, grid, plan, workers=1))
    pooled = timed("local process pool (workers=2)", lambda: narv.sweep(case, grid, plan, workers=2))
    from distributed import Client, LocalCluster
    start = time.perf_counter()
    with LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        client.wait_for_workers(2)
        print(f"{'dask LocalCluster start-up':<36}{time.perf_counter() - start:8.2f} s")
        clustered = timed("dask LocalCluster (2 workers)",
                          lambda: narv.sweep(case, grid, plan, client))
    assert serial.equals(pooled) and serial.equals(clustered)
    print("The three tables are identical.")


if __name__ == "__main__":
    main()
