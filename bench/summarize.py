#!/usr/bin/env python3
"""Prints the benchmark table from the raw results of tools/bench.sh.

  summarize.py RESULTS RUNS

RESULTS holds lines "run set method name value". Every figure is the median over the runs; every
ratio is the median of the ratios taken within each run (same data, same moment of the machine).
"""
import collections
import statistics
import sys


def read_results(path):
    table = collections.defaultdict(dict)  # (set, method, name) -> {run: value}
    for line in open(path):
        parts = line.split()
        if len(parts) != 5:
            continue
        run, set_, method, name, value = parts
        table[(set_, method, name)][int(run)] = float(value)
    return table


def median(table, set_, method, name):
    values = list(table.get((set_, method, name), {}).values())
    return statistics.median(values) if values else None


def ratio(table, set_, top, bottom, name):
    return same_run_ratio(table, (set_, top, name), (set_, bottom, name))


def same_run_ratio(table, top, bottom):
    a = table.get(top, {})
    b = table.get(bottom, {})
    values = [a[r] / b[r] for r in a if r in b and b[r]]
    return statistics.median(values) if values else None


def per_file_ms(table, set_, method):
    seconds = table.get((set_, method, "seconds"), {})
    files = table.get((set_, method, "files"), {})
    values = [seconds[r] * 1000.0 / files[r] for r in seconds if r in files and files[r]]
    return statistics.median(values) if values else None


def fmt(value, digits=2):
    return "-" if value is None else "%.*f" % (digits, value)


def goal(met, text):
    return ("met   " if met else "MISSED") + "  " + text


def main():
    table = read_results(sys.argv[1])
    runs = sys.argv[2]
    out = []
    goals = []
    out.append("Medians of %s runs; ratios are medians of the per-run ratios." % runs)

    for set_, unit, name, title in (("large", "MB/s", "mb_per_s", "1. Large files: 1 GiB in four files"),
                                    ("small", "files/s", "files_per_s", "2. Small files: 3,000 files of 1-64 KiB, nested")):
        if (set_, "job", name) not in table:
            continue
        out.append("")
        out.append(title)
        out.append("| way | %s | seconds | ratio to CopyFileA | ratio to cp |" % unit)
        out.append("|---|---|---|---|---|")
        for method, label in (("job", "copy job (prepare, step; 16384-byte blocks)"), ("copyfile", "CopyFileA loop"),
                              ("cp", "Linux cp -r")):
            out.append("| %s | %s | %s | %s | %s |" % (
                label, fmt(median(table, set_, method, name), 1), fmt(median(table, set_, method, "seconds")),
                fmt(ratio(table, set_, method, "copyfile", name)), fmt(ratio(table, set_, method, "cp", name))))
        idle = median(table, set_, "job", "idle_seconds")
        out.append("copy job: %s s of %s s inside step() with no copy thread copying (%s ms per file); "
                   "copy threads busy %s s" % (fmt(idle), fmt(median(table, set_, "job", "seconds")),
                                               fmt(median(table, set_, "job", "idle_ms_per_file")),
                                               fmt(median(table, set_, "job", "thread_busy_seconds"))))
        if (set_, "job", "open_ms_per_file") in table:
            out.append("per file, ms: opening (Reader, folder, Writer) %s; thread start-up %s; wait for the "
                       "thread's end %s; closing step (times, close, attributes) %s; CopyFileA whole file %s" % (
                           fmt(median(table, set_, "job", "open_ms_per_file")),
                           fmt(median(table, set_, "job", "thread_start_ms_per_file")),
                           fmt(median(table, set_, "job", "thread_end_wait_ms_per_file")),
                           fmt(median(table, set_, "job", "close_ms_per_file")),
                           fmt(per_file_ms(table, set_, "copyfile"))))
        r = ratio(table, set_, "job", "copyfile", name)
        if r is not None and set_ == "large":
            goals.append(goal(r >= 0.6, "large files: copy job at least 0.6x CopyFileA (%.2fx)" % r))
        if r is not None and set_ == "small":
            goals.append(goal(r >= 1 / 3.0, "small files: copy job within 3x of CopyFileA (%.2fx the time)" % (1 / r)))

    if ("large", "dialog", "wait_p99_ms") in table:
        out.append("")
        out.append("3. Responsiveness: a message posted to the main dialog every 10 ms during the copy of (1)")
        out.append("| p50 ms | p99 ms | max ms | messages | copy MB/s in the dialog | ratio to the bare copy job |")
        out.append("|---|---|---|---|---|---|")
        out.append("| %s | %s | %s | %s | %s | %s |" % (
            fmt(median(table, "large", "dialog", "wait_p50_ms")), fmt(median(table, "large", "dialog", "wait_p99_ms")),
            fmt(median(table, "large", "dialog", "wait_max_ms")),
            fmt(median(table, "large", "dialog", "handled_while_copying"), 0),
            fmt(median(table, "large", "dialog", "mb_per_s"), 1), fmt(ratio(table, "large", "dialog", "job", "mb_per_s"))))
        p99 = median(table, "large", "dialog", "wait_p99_ms")
        goals.append(goal(p99 < 150, "dialog: p99 wait under 150 ms (%.1f ms)" % p99))

    if ("startup", "startup", "load_seconds") in table:
        out.append("")
        out.append("4. Start-up: inst.inf of 5,000 entries under one install type")
        out.append("| operation | seconds | baseline | baseline seconds | ratio |")
        out.append("|---|---|---|---|---|")
        rows = (("loadInstInf", "load_seconds", "InfCtrl::open alone", "parse_seconds"),
                ("InfCtrl::get of all 5,000 values", "get_all_seconds", "one walk of the key (count)",
                 "count_walk_seconds"),
                ("checkSpace: one refresh of needed and free space", "size_display_seconds",
                 "one pass: CreateFileA+GetFileSize per entry", "raw_size_seconds"),
                ("OnInitDialog (start-up with first size display)", "init_dialog_seconds",
                 "one pass: CreateFileA+GetFileSize per entry", "raw_size_seconds"))
        for label, name, base_label, base in rows:
            out.append("| %s | %s | %s | %s | %s |" % (
                label, fmt(median(table, "startup", "startup", name), 3), base_label,
                fmt(median(table, "startup", "startup", base), 4),
                fmt(same_run_ratio(table, ("startup", "startup", name), ("startup", "startup", base)), 1)))
        load = median(table, "startup", "startup", "load_seconds")
        init = median(table, "startup", "startup", "init_dialog_seconds")
        get_all = median(table, "startup", "startup", "get_all_seconds")
        goals.append(goal(init < 1.0, "start-up: OnInitDialog (loadInstInf %.2f s + first size display) under 1 s "
                          "(%.2f s)" % (load, init)))
        goals.append(goal(get_all < 1.0, "InfCtrl::get over 5,000 values under 1 s (%.3f s)" % get_all))

    if ("large", "job", "peak_ws_mb") in table:
        out.append("")
        out.append("5. Peak memory of the copy of (1) (GetProcessMemoryInfo of the whole process)")
        out.append("| way | working set before MB | peak working set MB | pagefile before MB | peak pagefile MB |")
        out.append("|---|---|---|---|---|")
        for method, label in (("job", "copy job"), ("copyfile", "CopyFileA loop")):
            out.append("| %s | %s | %s | %s | %s |" % (
                label, fmt(median(table, "large", method, "ws_before_mb"), 1),
                fmt(median(table, "large", method, "peak_ws_mb"), 1),
                fmt(median(table, "large", method, "pagefile_before_mb"), 1),
                fmt(median(table, "large", method, "peak_pagefile_mb"), 1)))
        out.append("peak working set, copy job / CopyFileA: %s" % fmt(ratio(table, "large", "job", "copyfile", "peak_ws_mb")))

    if goals:
        out.append("")
        out.append("Goals")
        out.extend("  " + g for g in goals)
    print("\n".join(out))


if __name__ == "__main__":
    main()
