#!/usr/bin/env python3
"""Writes data/benchmark/dryweather.cin.csv, the input table of the continuous simulation made
from the benchmark's dry-weather influent (data/benchmark/dryinfluent.csv) for the model of
examples/asm1-benchmark: 1,344 rows of 15 minutes, 14 days.

A row of the input table governs the interval that ends at its time, so row k (time k x 15 min)
carries the influent of the file's row k - 1 (the influent from (k - 1) x 15 min on).
Return sludge and recirculation are the benchmark's 18,446 and 55,338 m3/d; the temperature is
the file's (15 °C).

    python3 scripts/make-dryweather-table.py
"""
import csv
import pathlib

root = pathlib.Path(__file__).resolve().parent.parent
source = root / "data" / "benchmark" / "dryinfluent.csv"
target = root / "data" / "benchmark" / "dryweather.cin.csv"

# Columns of the file: time, S_I, S_S, X_I, X_S, X_BH, X_BA, X_P, S_O, S_NO, S_NH, S_ND, X_ND,
# S_ALK, TSS, Q, T. The model's order: S_O, S_I, S_S, S_NO, S_NH, S_ND, S_ALK and X_I, X_S,
# X_BH, X_BA, X_P, X_ND.
dissolved = [8, 1, 2, 9, 10, 11, 13]
particulate = [3, 4, 5, 6, 7, 12]
flow, temperature = 15, 16

header = [
    "NARV Win Vers. 1.0.0.0",
    "ASM1 Benchmark",
    "",
    "Time_in_hours; Temperature;    Influent;  2.Influent;ReturnSludge;   1.Recycle;"
    "   2.Recycle;S Oxygen      O2;S Inert      COD;S Substrate  COD;S Nitrate      N;"
    "S Ammonium     N;S Organic N    N;S Alkalinity mol;X Inert      COD;X Substrate  COD;"
    "X Heterotr.  COD;X Autotrophs COD;X Products   COD;X Organic N    N;",
]

rows = [[float(v) for v in line] for line in csv.reader(source.open())]
lines = list(header)
for k, row in enumerate(rows, start=1):
    values = [k * 0.25, row[temperature], row[flow], 0.0, 18446.0, 55338.0, 0.0]
    values += [row[c] for c in dissolved] + [row[c] for c in particulate]
    lines.append("".join(f"{v!r:>12};" for v in values))
target.write_bytes(("\r\n".join(lines) + "\r\n").encode("latin-1"))
print(f"{target}: {len(rows)} rows")
