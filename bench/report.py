#!/usr/bin/env python3
"""Prints the medians of one benchmark run (Google Benchmark JSON) and the ratios against goals.

Usage: report.py RESULTS.json [SERIAL.json]
SERIAL.json holds rows of the same benchmark built with the test's property area, so that the
library read its switches through the area's serials, as on a device.
Exits 1 when a row failed its own check (wrong record count) or a run read its switches another
way than its rows say, never because a goal is missed.
"""
import json
import statistics
import sys

# Row label, benchmark run name, and whether the row is a throughput (MB/s) or a time per record.
ROWS = [
    ("library: written record", "BM_LibraryWritten/real_time", "ns"),
    ("peer: libbase LOG(INFO), written", "BM_PeerLibbaseLog/real_time", "ns"),
    ("peer: spdlog, null sink, written", "BM_PeerSpdlog/real_time", "ns"),
    ("macro: written record", "BM_MacroWritten/real_time", "ns"),
    ("library: dropped record (module)", "BM_LibraryDroppedModule/real_time", "ns"),
    ("library: dropped record (threshold)", "BM_LibraryDroppedThreshold/real_time", "ns"),
    ("library: dropped record (on switch \"0\")", "BM_LibraryDroppedOff/real_time", "ns"),
    ("macro: dropped record (module)", "BM_MacroDroppedModule/real_time", "ns"),
    ("macro: dropped record (threshold)", "BM_MacroDroppedThreshold/real_time", "ns"),
    ("peer: libbase LOG(DEBUG) under its minimum, dropped", "BM_PeerLibbaseLogDropped/real_time",
     "ns"),
    ("peer: spdlog below its level, dropped", "BM_PeerSpdlogDropped/real_time", "ns"),
    ("library: ToString()", "BM_LibraryToString/real_time", "ns"),
    ("library: written record, 2 threads (per record per thread)",
     "BM_LibraryWritten/real_time/threads:2", "ns"),
    ("floor: written record", "BM_FloorWritten/real_time", "ns"),
    ("floor: written record, 2 threads (per record per thread)",
     "BM_FloorWritten/real_time/threads:2", "ns"),
    ("floor: dropped record", "BM_FloorDropped/real_time", "ns"),
    ("floor: 2 property reads (on switch, mask)", "BM_FloorModuleReads/real_time", "ns"),
    ("floor: 4 property reads (on switch, mask, on switch, threshold)",
     "BM_FloorThresholdReads/real_time", "ns"),
    ("floor: chunk record of 1018 characters", "BM_FloorChunk/real_time", "ns"),
    ("AddBuffer, 64 KiB printable", "BM_RenderPrintable/real_time", "MB/s"),
    ("AddBuffer, 64 KiB random bytes", "BM_RenderRandom/real_time", "MB/s"),
    ("memcpy, 64 KiB", "BM_Memcpy/real_time", "MB/s"),
    ("DUMPLOG, 64 KiB printable, size 1024", "BM_DumplogPrintable/real_time", "MB/s"),
    ("serials: library: written record", "serial:BM_LibraryWritten/real_time", "ns"),
    ("serials: macro: written record", "serial:BM_MacroWritten/real_time", "ns"),
    ("serials: macro: dropped record (module)", "serial:BM_MacroDroppedModule/real_time", "ns"),
    ("serials: macro: dropped record (threshold)", "serial:BM_MacroDroppedThreshold/real_time",
     "ns"),
    ("serials: peer: libbase LOG(DEBUG) under its minimum, dropped",
     "serial:BM_PeerLibbaseLogDropped/real_time", "ns"),
    ("serials: macro, module a literal: written record", "serial:BM_MacroWrittenLiteral/real_time",
     "ns"),
    ("serials: macro, module a literal: dropped record (module)",
     "serial:BM_MacroDroppedModuleLiteral/real_time", "ns"),
    ("serials: macro, module a literal: dropped record (threshold)",
     "serial:BM_MacroDroppedThresholdLiteral/real_time", "ns"),
    ("serials: macro, module a std::string: dropped record (module)",
     "serial:BM_MacroDroppedModuleString/real_time", "ns"),
    ("serials: macro, module a std::string: dropped record (threshold)",
     "serial:BM_MacroDroppedThresholdString/real_time", "ns"),
    ("serials: floor: one acquire load and a compare", "serial:BM_FloorRememberedVerdict/real_time",
     "ns"),
    ("macro, module a literal: dropped record (module)", "BM_MacroDroppedModuleLiteral/real_time",
     "ns"),
    ("macro, module a literal: dropped record (threshold)",
     "BM_MacroDroppedThresholdLiteral/real_time", "ns"),
    ("macro: every-n pass held back by its limit", "BM_MacroEveryNHeldBack/real_time", "ns"),
    ("macro: PLUMIX_LOG_IF, condition false", "BM_MacroIfFalse/real_time", "ns"),
    ("macro: PLUMIX_PLOG written", "BM_MacroPlogWritten/real_time", "ns"),
]

# The prefix of the rows from SERIAL.json, and how each run must have read its switches.
SERIAL = "serial:"
SWITCH_READS = {"": "android::base::GetProperty", SERIAL: "property area serials"}

DUMPLOG_ROW = "BM_DumplogPrintable/real_time"


def dump_floor(stats, clock):
    """Time per dump that a dump of this design cannot go below: each of its records at the
    chunk floor, and the rendering of the whole buffer."""
    dump, chunk = stats.get(DUMPLOG_ROW), stats.get("BM_FloorChunk/real_time")
    rendering = stats.get("BM_RenderPrintable/real_time")
    if dump is None or chunk is None or rendering is None or "records_per_dump" not in dump:
        return None
    return dump["records_per_dump"] * chunk[clock] + rendering[clock]


# Goal label, measured row, baseline (a row; None: an absolute MB/s; or a function of the stats
# and the clock giving a time), comparison, bound.
GOALS = [
    ("written <= 1.2 x its floor", "BM_LibraryWritten/real_time", "BM_FloorWritten/real_time",
     "<=", 1.2),
    ("written <= libbase LOG(INFO)", "BM_LibraryWritten/real_time",
     "BM_PeerLibbaseLog/real_time", "<=", 1.0),
    ("dropped (module) <= 1.2 x floor", "BM_LibraryDroppedModule/real_time",
     "BM_FloorDropped/real_time", "<=", 1.2),
    ("dropped (on switch) <= 1.2 x floor", "BM_LibraryDroppedOff/real_time",
     "BM_FloorDropped/real_time", "<=", 1.2),
    ("macro written <= 1.1 x written", "BM_MacroWritten/real_time",
     "BM_LibraryWritten/real_time", "<=", 1.1),
    ("macro dropped (module) <= 1.5 x its 2 reads", "BM_MacroDroppedModule/real_time",
     "BM_FloorModuleReads/real_time", "<=", 1.5),
    ("macro dropped (threshold) <= 1.5 x its 4 reads", "BM_MacroDroppedThreshold/real_time",
     "BM_FloorThresholdReads/real_time", "<=", 1.5),
    ("dropped (module) >= 10 x macro dropped (module)", "BM_LibraryDroppedModule/real_time",
     "BM_MacroDroppedModule/real_time", ">=", 10.0),
    ("dropped (threshold) >= 10 x macro dropped (threshold)",
     "BM_LibraryDroppedThreshold/real_time", "BM_MacroDroppedThreshold/real_time", ">=", 10.0),
    ("2 threads <= 1.5 x 1 thread", "BM_LibraryWritten/real_time/threads:2",
     "BM_LibraryWritten/real_time", "<=", 1.5),
    ("printable >= 1500 MB/s", "BM_RenderPrintable/real_time", None, ">=", 1500.0),
    ("random bytes >= 700 MB/s", "BM_RenderRandom/real_time", None, ">=", 700.0),
    ("DUMPLOG <= 1.2 x (records x chunk floor + rendering)", DUMPLOG_ROW, dump_floor, "<=", 1.2),
    ("serials: macro dropped (module) <= 2 x libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedModule/real_time", "serial:BM_PeerLibbaseLogDropped/real_time", "<=",
     2.0),
    ("serials: macro dropped (threshold) <= 2 x libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedThreshold/real_time", "serial:BM_PeerLibbaseLogDropped/real_time",
     "<=", 2.0),
    ("serials: macro written <= 1.05 x written", "serial:BM_MacroWritten/real_time",
     "serial:BM_LibraryWritten/real_time", "<=", 1.05),
    ("serials: macro dropped (module), literal <= libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedModuleLiteral/real_time", "serial:BM_PeerLibbaseLogDropped/real_time",
     "<=", 1.0),
    ("serials: macro dropped (threshold), literal <= libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedThresholdLiteral/real_time",
     "serial:BM_PeerLibbaseLogDropped/real_time", "<=", 1.0),
    ("serials: macro dropped (module), std::string <= 2 x libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedModuleString/real_time", "serial:BM_PeerLibbaseLogDropped/real_time",
     "<=", 2.0),
    ("serials: macro dropped (threshold), std::string <= 2 x libbase LOG(DEBUG) dropped",
     "serial:BM_MacroDroppedThresholdString/real_time",
     "serial:BM_PeerLibbaseLogDropped/real_time", "<=", 2.0),
    ("serials: macro written, literal <= 1.05 x written", "serial:BM_MacroWrittenLiteral/real_time",
     "serial:BM_LibraryWritten/real_time", "<=", 1.05),
    ("macro dropped (module), literal <= 1.5 x its 2 reads",
     "BM_MacroDroppedModuleLiteral/real_time", "BM_FloorModuleReads/real_time", "<=", 1.5),
    ("macro dropped (threshold), literal <= 1.5 x its 4 reads",
     "BM_MacroDroppedThresholdLiteral/real_time", "BM_FloorThresholdReads/real_time", "<=", 1.5),
    ("every-n held back <= 1.2 x macro dropped (threshold, same module and reads)",
     "BM_MacroEveryNHeldBack/real_time", "BM_MacroDroppedThreshold/real_time", "<=", 1.2),
    ("PLUMIX_LOG_IF false <= 2 x libbase LOG(DEBUG) dropped", "BM_MacroIfFalse/real_time",
     "BM_PeerLibbaseLogDropped/real_time", "<=", 2.0),
    ("PLUMIX_PLOG written <= 1.1 x macro written", "BM_MacroPlogWritten/real_time",
     "BM_MacroWritten/real_time", "<=", 1.1),
]

# Not goals: the macros beside the peers, and how well this machine ran two threads at once
# during the run (the first entry).
REFERENCES = [
    ("floor, 2 threads / 1 thread", "BM_FloorWritten/real_time/threads:2",
     "BM_FloorWritten/real_time"),
    ("macro dropped (module) / libbase dropped", "BM_MacroDroppedModule/real_time",
     "BM_PeerLibbaseLogDropped/real_time"),
    ("macro dropped (module) / spdlog dropped", "BM_MacroDroppedModule/real_time",
     "BM_PeerSpdlogDropped/real_time"),
] + [
    # Each dropped serial row's distance to what a remembered verdict cannot go below.
    (f"serials: {label} / one acquire load and a compare", f"serial:BM_{row}/real_time",
     "serial:BM_FloorRememberedVerdict/real_time")
    for label, row in [
        ("macro dropped (module), pointer", "MacroDroppedModule"),
        ("macro dropped (threshold), pointer", "MacroDroppedThreshold"),
        ("macro dropped (module), literal", "MacroDroppedModuleLiteral"),
        ("macro dropped (threshold), literal", "MacroDroppedThresholdLiteral"),
        ("macro dropped (module), std::string", "MacroDroppedModuleString"),
        ("macro dropped (threshold), std::string", "MacroDroppedThresholdString"),
        ("libbase LOG(DEBUG) dropped", "PeerLibbaseLogDropped"),
    ]
]
TWO_THREAD_GOAL = "BM_LibraryWritten/real_time/threads:2"


def two_cores_busy(stats):
    """Whether another process held a core: the floor took much longer per record by the wall
    clock with two threads, while its CPU time per record did not grow."""
    name, baseline = REFERENCES[0][1], REFERENCES[0][2]
    wall, cpu = ratio(stats, name, baseline, "wall"), ratio(stats, name, baseline, "cpu")
    return wall is not None and cpu is not None and wall > 1.5 and cpu < 1.2


def load_rows(path, prefix, runs, failed):
    """Adds the file's repetitions to runs, by run name with the prefix; returns its context."""
    with open(path) as f:
        results = json.load(f)
    context = results.get("context", {})
    reads = context.get("switch_reads")
    if reads != SWITCH_READS[prefix]:
        failed.append(f"{path}: the switches were read through {reads}, not "
                      f"{SWITCH_READS[prefix]}")
    for b in results["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        name = prefix + b["run_name"]
        if b.get("error_occurred"):
            failed.append(f"{name}: {b.get('error_message', 'failed')}")
            continue
        runs.setdefault(name, []).append(b)
    return context


def medians(repetitions):
    """Wall and CPU time per record per thread in ns; throughput in MB/s (10^6 bytes) by each."""
    # Google Benchmark divides a multi-threaded row's wall time by the records of all threads;
    # one thread's wall time per record is that times the number of threads. CPU time is summed
    # over the threads before the division, so it is per record per thread already.
    threads = repetitions[0].get("threads", 1)
    wall = statistics.median(r["real_time"] for r in repetitions) * threads
    cpu = statistics.median(r["cpu_time"] for r in repetitions)
    stats = {"wall": wall, "cpu": cpu, "n": len(repetitions)}
    if "records_per_dump" in repetitions[0]:
        stats["records_per_dump"] = repetitions[0]["records_per_dump"]
    if "bytes_per_second" in repetitions[0]:
        # Bytes per iteration, from the wall-time rate, give the rate by CPU time as well.
        size = repetitions[0]["bytes_per_second"] * repetitions[0]["real_time"] / 1e9
        stats["wall_rate"] = statistics.median(r["bytes_per_second"] / 1e6 for r in repetitions)
        stats["cpu_rate"] = size / cpu * 1e3  # bytes per ns = 10^3 MB/s
    return stats


def ratio(stats, name, baseline, clock):
    """The goal's number by one clock: a ratio of medians, or an absolute rate in MB/s."""
    s = stats.get(name)
    if s is None:
        return None
    if callable(baseline):
        floor = baseline(stats, clock)
        return None if floor is None else s[clock] / floor
    key = f"{clock}_rate" if "wall_rate" in s else clock
    if baseline is None:
        return s[key]
    b = stats.get(baseline)
    return None if b is None else s[key] / b[key]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    runs, failed = {}, []
    context = load_rows(sys.argv[1], "", runs, failed)
    if len(sys.argv) == 3:
        load_rows(sys.argv[2], SERIAL, runs, failed)
    stats = {name: medians(reps) for name, reps in runs.items()}

    load = ", ".join(f"{x:.2f}" for x in context.get("load_avg", []))
    repetitions = max((s["n"] for s in stats.values()), default=0)
    print(f"{context.get('num_cpus', '?')} CPUs at {context.get('mhz_per_cpu', '?')} MHz, load "
          f"average {load or '?'} at the start; medians of {repetitions} interleaved repetitions.")
    print()
    print("| Row | Median, wall | Median, CPU |")
    print("|---|---:|---:|")
    for label, name, unit in ROWS:
        s = stats.get(name)
        if s is None:
            print(f"| {label} | missing | |")
        elif unit == "MB/s":
            print(f"| {label} | {s['wall_rate']:.0f} MB/s | {s['cpu_rate']:.0f} MB/s |")
        else:
            print(f"| {label} | {s['wall']:.1f} ns | {s['cpu']:.1f} ns |")

    # Goals are judged by the wall clock; the CPU clock beside it shows how much of a miss is
    # the machine's other load rather than the code.
    print()
    print("| Goal | By wall time | By CPU time | Met |")
    print("|---|---:|---:|:---:|")
    for label, name, baseline, comparison, bound in GOALS:
        wall, cpu = ratio(stats, name, baseline, "wall"), ratio(stats, name, baseline, "cpu")
        if wall is None or cpu is None:
            print(f"| {label} | missing | | |")
            continue
        met = wall <= bound if comparison == "<=" else wall >= bound
        verdict = "yes" if met else "NO"
        if name == TWO_THREAD_GOAL and two_cores_busy(stats):
            verdict = "not judged: two cores were not free (see the floor's ratio)"
        shown = "{:.0f} MB/s" if baseline is None else "{:.2f}"
        print(f"| {label} | {shown.format(wall)} | {shown.format(cpu)} | {verdict} |")
    for label, name, baseline in REFERENCES:
        wall, cpu = ratio(stats, name, baseline, "wall"), ratio(stats, name, baseline, "cpu")
        if wall is not None and cpu is not None:
            print(f"| (not a goal) {label} | {wall:.2f} | {cpu:.2f} | |")

    if failed:
        print()
        for line in failed:
            print(f"FAILED {line}")
        sys.exit(1)


if __name__ == "__main__":
    main()
