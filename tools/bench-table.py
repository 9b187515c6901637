#!/usr/bin/env python3
"""Turns the benchmark rows (tab-separated BENCH, RATIO and SIZE lines, as
tools/bench-wine.sh, tools/bench-host.sh and tools/bench-size.py print them)
into one Markdown table, each goal marked met or missed.

    bench-table.py ROWS_FILE [--machine TEXT] [--write BENCHMARKS.md]

With --write the table and the machine replace what lies between the
"<!-- table -->" and "<!-- end of table -->" lines of the file.
"""
import argparse
import re
import sys

BEGIN, END = "<!-- table -->", "<!-- end of table -->"


def goal_met(value, goal):
    match = re.match(r"\s*(<=|<)\s*([0-9.]+)", goal)
    if not match:
        return ""
    limit = float(match.group(2))
    return "yes" if (value <= limit if match.group(1) == "<=" else value < limit) else "**no**"


def table(lines):
    out = ["| Figure | What | Median | p25 – p75 | min – max | Unit | Runs | Goal | Met |",
           "|---|---|---:|---:|---:|---|---:|---|---|"]
    for line in lines:
        cells = line.rstrip("\n").split("\t")
        kind = cells[0]
        if kind == "BENCH" and len(cells) == 10:
            _, figure, what, median, p25, p75, low, high, unit, runs = cells
            out.append(f"| {figure} | {what} | {median} | {p25} – {p75} | {low} – {high} | {unit} | {runs} | | |")
        elif kind == "RATIO" and len(cells) == 5:
            _, figure, what, value, goal = cells
            met = goal_met(float(value), goal)
            out.append(f"| {figure} | **{what}** | **{value}** | | | | | {goal} | {met} |")
        elif kind == "SIZE" and len(cells) == 5:
            _, build, part, size, share = cells
            # The file, the payload and the section holding the payload are
            # larger than the overhead: a share of it says nothing there.
            share = f" ({share} % of the overhead)" if float(share) < 100 else ""
            out.append(f"| size | {build} {part}{share} | {int(size):,} | | | bytes | | | |")
        elif line.strip():
            sys.exit(f"bench-table: not a row: {line!r}")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("rows")
    parser.add_argument("--machine", default="")
    parser.add_argument("--write")
    args = parser.parse_args()
    with open(args.rows, encoding="utf-8") as f:
        text = table(f.readlines())
    if args.machine:
        text += f"\n\nMachine: {args.machine}."
    print(text)
    if args.write:
        with open(args.write, encoding="utf-8") as f:
            document = f.read()
        if BEGIN not in document or END not in document:
            sys.exit(f"bench-table: {args.write} has no {BEGIN} ... {END} lines")
        head, rest = document.split(BEGIN, 1)
        _, tail = rest.split(END, 1)
        with open(args.write, "w", encoding="utf-8") as f:
            f.write(f"{head}{BEGIN}\n{text}\n{END}{tail}")


if __name__ == "__main__":
    main()
