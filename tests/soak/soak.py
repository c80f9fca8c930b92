#!/usr/bin/env python3
"""Soak run: thousands of random navigations of the reader against the sample
edition served with random fault rules. Prints crashes, sanitizer reports,
screens reached and resident memory at two checkpoints.

Usage: soak.py BUILD_DIR [NAVIGATIONS] [SEED]"""
import os
import random
import re
import subprocess
import sys
import tempfile
import time


def navigation(rng):
    """One random user action; none of them can be a script error."""
    kind = rng.random()
    if kind < 0.30:
        return ["event %d" % rng.randint(100, 119), "wait 30"]          # a menu choice
    if kind < 0.55:
        moves = ["key down"] * rng.randint(0, 4)
        return moves + ["key enter", "wait 30"]                          # a row selection
    if kind < 0.75:
        return ["softkey 1", "wait 30"]                                  # back
    if kind < 0.90:
        # next or previous photo through the menu; harmless elsewhere
        return ["option", "key " + rng.choice(["down", "up"]), "key enter", "key back",
                "wait 30"]
    return ["network " + rng.choice(["off", "on"]), "wait 30"]


def fault_rules(rng, feeds_dir):
    paths = []
    for root, _, files in os.walk(feeds_dir):
        for name in files:
            paths.append("/" + os.path.relpath(os.path.join(root, name), feeds_dir))
    kinds = ["status=404", "status=500", "drop=100", "stall=3000@10", "chunk=7",
             "cl=+50", "delay=300", "body=garbage"]
    lines = []
    for path in rng.sample(paths, min(len(paths), max(1, len(paths) // 5))):
        lines.append("%s %s" % (path, rng.choice(kinds)))
    return "\n".join(lines) + "\n"


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def main():
    build = sys.argv[1]
    total = int(sys.argv[2]) if len(sys.argv) > 2 else 5000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="pregonero-soak-")
    feeds = os.path.join(work, "feeds")
    home = os.path.join(work, "home")
    os.makedirs(home)
    subprocess.run([os.path.join(build, "feedserver/pregonero-feeds"), "--sample", feeds],
                   check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, "faults.txt"), "w") as out:
        out.write(fault_rules(rng, feeds))
    port = str(20000 + rng.randint(0, 9999))
    server = subprocess.Popen([os.path.join(build, "feedserver/pregonero-feeds"), feeds,
                               "--port", port, "--faults", os.path.join(work, "faults.txt")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1)
    checkpoint = min(1000, total)
    marks = {checkpoint: os.path.join(work, "mark-%d" % checkpoint),
             total: os.path.join(work, "mark-%d" % total)}
    lines = ["wait 30"]
    for i in range(1, total + 1):
        lines += navigation(rng)
        lines.append("dump")
        if i in marks:
            # The runner reads the resident size while the program sleeps here.
            lines += ["network on", "wait 30", "dump " + marks[i], "sleep 1500"]
    lines.append("quit")
    script = os.path.join(work, "script.txt")
    with open(script, "w") as out:
        out.write("\n".join(lines) + "\n")
    env = dict(os.environ, PREGONERO_STALL_TIMEOUT_MS="1000", PREGONERO_TOTAL_TIMEOUT_MS="5000",
               ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:exitcode=23",
               LSAN_OPTIONS="suppressions=%s:print_suppressions=0" % os.path.join(
                   os.path.dirname(os.path.abspath(__file__)), "..", "lsan.supp"),
               UBSAN_OPTIONS="print_stacktrace=1")
    started = time.time()
    with open(os.path.join(work, "stdout.txt"), "w") as out, \
         open(os.path.join(work, "stderr.txt"), "w") as err:
        program = subprocess.Popen([os.path.join(build, "app/pregonero"), "--headless",
                                    "--home", home, "--feed-server", "http://127.0.0.1:" + port,
                                    "--script", script], stdout=out, stderr=err, env=env)
        rss = {}
        while program.poll() is None:
            for count, mark in marks.items():
                if count not in rss and os.path.exists(mark):
                    rss[count] = rss_kib(program.pid)
            time.sleep(0.2)
    server.terminate()
    server.wait()
    stderr = open(os.path.join(work, "stderr.txt")).read()
    forms = re.findall(r'"form":\{"name":"([A-Z_]+)"', open(os.path.join(work, "stdout.txt")).read())
    reports = len(re.findall(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:", stderr))
    print("navigations:        %d (seed %d, %.0f s)" % (total, seed, time.time() - started))
    print("exit code:          %d" % program.returncode)
    # A signal, or a sanitizer error other than a leak found at exit.
    crashed = program.returncode < 0 or re.search(r"ERROR: AddressSanitizer|runtime error:", stderr)
    print("crashes:            %d" % (1 if crashed else 0))
    print("sanitizer reports:  %d" % reports)
    print("screens reached:    %d dumps; %s" % (len(forms), ", ".join(
        "%s %d" % (name, forms.count(name)) for name in sorted(set(forms)))))
    first, last = rss.get(checkpoint, -1), rss.get(total, -1)
    growth = 100.0 * (last - first) / first if first > 0 and last > 0 else float("nan")
    print("RSS at %d: %d KiB; at %d: %d KiB; growth %.1f %%" % (checkpoint, first, total, last, growth))
    if program.returncode != 0:
        print("stderr tail:\n" + stderr[-3000:])
    print("work directory:     " + work)
    return 0 if program.returncode == 0 and reports == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
