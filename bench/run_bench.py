#!/usr/bin/env python3
"""Runs the benchmarks of a release build and prints one table:
figure, ours, reference, ratio, goal, met. Writes it as CSV too.

Usage: run_bench.py BUILD_DIR [REPETITIONS]
Every pair is measured side by side in one run, interleaved, and the median
of the repetitions is kept. Start-up runs whole processes on the offscreen
platform; peak resident memory comes from each child's own rusage.
"""
import csv
import os
import statistics
import subprocess
import sys
import time

build = sys.argv[1]
repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 41
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
rows = []  # (figure, ours, reference, ratio, goal, met)



def ratios(folder=None):
    """Keystrokes and page moves against their floor, in microseconds."""
    argv = [os.path.join(build, "bench", "bench_ratios"), str(repetitions)] + ([folder] if folder else [])
    out = subprocess.run(argv, env=env, check=True, capture_output=True, text=True).stdout
    return [line.rsplit(",", 2) for line in out.splitlines()]


for figure, ours, floor in ratios():
    ratio = float(ours) / float(floor)
    if figure.endswith("vs SQLite"):
        rows.append((figure.replace(", vs", " (us) vs"), float(ours), float(floor), ratio, "<= 1.0 x", ratio <= 1.0))
    else:
        rows.append((figure + " (us) vs floor", float(ours), float(floor), ratio, "<= 2.0 x", ratio <= 2.0))

# Scaling: the same figures on the largest set the files allow against the
# bundled set, process after process, interleaved.
large = os.path.join(build, "large-set")
if not os.path.exists(os.path.join(large, "localita.loc")):
    subprocess.run([os.path.join(build, "bench", "bench_make_large_set"),
                    os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data"), large],
                   check=True, stdout=subprocess.DEVNULL)
scaled = {}
for _ in range(5):
    for name, folder in (("bundled", None), ("large", large)):
        for figure, ours, _ in ratios(folder):
            scaled.setdefault(figure, {}).setdefault(name, []).append(float(ours))
for figure in ("keystroke, by locality", "page down", "thumb release"):
    big, small = statistics.median(scaled[figure]["large"]), statistics.median(scaled[figure]["bundled"])
    rows.append((figure + " (us), 32,767 vs bundled", big, small, big / small, "<= 1.2 x", big / small <= 1.2))


def run(argv):
    """Wall time from exec until the process ends (ms) and its peak RSS (MB)."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = (time.perf_counter() - start) * 1000.0
    output = child.stdout.read().decode()
    child.stdout.close()
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{argv[0]} failed: {child.returncode}")
    return elapsed, usage.ru_maxrss / 1024.0, output


program = [os.path.join(build, "bin", "bench_startup")]
_, _, size = run(program)  # also warms the file cache
bare = [os.path.join(build, "bin", "bench_bare_window")] + size.split()
run(bare)
times = {"ours": [], "bare": []}
memory = {"ours": [], "bare": []}
for _ in range(max(15, repetitions // 2)):
    for name, argv in (("ours", program), ("bare", bare)):
        elapsed, rss, _ = run(argv)
        times[name].append(elapsed)
        memory[name].append(rss)
ours_ms, bare_ms = statistics.median(times["ours"]), statistics.median(times["bare"])
ratio = ours_ms / bare_ms
rows.append(("start-up to idle window (ms) vs bare Qt", ours_ms, bare_ms, ratio, "<= 1.3 x", ratio <= 1.3))
ours_mb, bare_mb = statistics.median(memory["ours"]), statistics.median(memory["bare"])
rows.append(("start-up peak RSS (MB) vs bare Qt", ours_mb, bare_mb, ours_mb - bare_mb, "<= +8 MB",
             ours_mb - bare_mb <= 8.0))

# The address check: zelvora-cerca --verifica on a list of 100,000 rows drawn
# from the bundled sources (bench/make_address_list.py: mostly right, codes
# missing or wrong, names in lower case, typing errors, wrong provinces,
# streets of three cities), against its goal of 2 seconds from exec to exit
# (and the processor time alone); and its peak memory against the same rows
# checked twice in one list of 200,000, which builds the same indexes: any
# memory a row keeps shows as the difference.
here = os.path.dirname(os.path.abspath(__file__))
lists = {"100000": os.path.join(build, "address-list-100000.csv"),
         "200000": os.path.join(build, "address-list-200000.csv")}
if not os.path.exists(lists["200000"]):
    subprocess.run([sys.executable, os.path.join(here, "make_address_list.py"), os.path.join(here, "..", "data"),
                    "100000", lists["100000"]], check=True)
    with open(lists["100000"], encoding="utf-8", newline="") as f:
        text = f.read()
    with open(lists["200000"], "w", encoding="utf-8", newline="") as f:
        f.write(text + text.split("\r\n", 1)[1])
subprocess.run(["cmake", "--build", build, "--target", "zelvora-cerca", "zelvora_data"], check=True,
               stdout=subprocess.DEVNULL)


def check_list(path):
    """Wall and processor time (s) and peak RSS (MB) of one check."""
    argv = [os.path.join(build, "bin", "zelvora-cerca"), "--verifica", path]
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit(f"{argv[0]} --verifica failed: {status}")
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


checks = {size: [] for size in lists}
for _ in range(5):
    for size, path in lists.items():
        checks[size].append(check_list(path))
wall = statistics.median(c[0] for c in checks["100000"])
cpu = statistics.median(c[1] for c in checks["100000"])
rows.append(("address check, 100,000 rows (s) vs goal", wall, 2.0, wall / 2.0, "<= 1.0 x", wall <= 2.0))
rows.append(("address check, 100,000 rows, CPU (s) vs goal", cpu, 2.0, cpu / 2.0, "<= 1.0 x", cpu <= 2.0))
twice_mb = statistics.median(c[2] for c in checks["200000"])
once_mb = statistics.median(c[2] for c in checks["100000"])
rows.append(("address check peak RSS (MB), rows twice vs once", twice_mb, once_mb, twice_mb - once_mb, "<= +2 MB",
             twice_mb - once_mb <= 2.0))

header = ("figure", "ours", "reference", "ratio", "goal", "met")
table = [header] + [(f, f"{o:.2f}", f"{r:.2f}",
                     (f"+{x:.1f} MB" if "MB" in g else f"{x:.2f} x"), g, "yes" if m else "NO")
                    for f, o, r, x, g, m in rows]
widths = [max(len(row[i]) for row in table) for i in range(len(header))]
for i, row in enumerate(table):
    print("  ".join(cell.ljust(widths[j]) if j == 0 else cell.rjust(widths[j]) for j, cell in enumerate(row)))
    if i == 0:
        print("  ".join("-" * w for w in widths))
path = os.path.join(build, "bench.csv")
with open(path, "w", newline="") as f:
    csv.writer(f).writerows(table)
print(f"\nwritten to {path}")
