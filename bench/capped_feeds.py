#!/usr/bin/env python3
"""Feeds at the size cap: how long the reader takes to show (or refuse) each
screen kind's worst feed, and its peak memory above the same program showing
only the front page. Goals: 2 s and 250 MB for each.

The feeds, 8 MiB each: a section of <article Title="t"/>, an article feed and
a gallery of <article/>, and a section of one element with 100,000 attributes
(refused). Each case is one headless run against a plain HTTP server on
127.0.0.1 (one that does not compress, so the figure is the reader's and not
the server's compression time); the time is from the screen's request to the
screen idle, both marked by the script driver; medians over the runs.

Usage: bench/capped_feeds.py BUILD_DIR [RUNS]
"""
import functools
import http.server
import os
import statistics
import subprocess
import sys
import tempfile
import threading

CAP = 8 << 20


def fill(head, piece, tail):
    count = (CAP - len(head) - len(tail)) // len(piece)
    return head + piece * count + tail


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def run(program, home, server, script):
    """Returns (marks in ms, peak resident KiB) of one headless run."""
    proc = subprocess.Popen(
        [program, "--headless", "--home", home, "--feed-server", server, "--script", "-"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    proc.stdin.write(script)
    proc.stdin.close()
    out = proc.stdout.read()
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"capped_feeds: the reader failed ({proc.returncode}): {err}")
    marks = {}
    for line in out.splitlines():
        if line.startswith("mark "):
            _, label, ms = line.split()
            marks[label] = float(ms)
    return marks, usage.ru_maxrss


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    program = os.path.join(build, "app", "pregonero")
    feeds = os.path.join(build, "feedserver", "pregonero-feeds")
    with tempfile.TemporaryDirectory(prefix="pregonero-capped-") as work:
        edition = os.path.join(work, "edition")
        # Its pictures keep their placeholder host and are refused: only the feeds count.
        subprocess.run([feeds, "--sample", edition], check=True, stdout=subprocess.DEVNULL)
        handler = functools.partial(QuietHandler, directory=edition)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        url = f"http://127.0.0.1:{server.server_address[1]}"
        xml = '<?xml version="1.0" encoding="UTF-8"?><root>'
        files = {
            "mobile/mexico.xml": fill(xml, '<article Title="t"/>', "</root>"),
            "mobile/deportes.xml": xml + f'<article Title="Grande" '
                                   f'Link="{url}/notas/grande.xml"/></root>',
            "mobile/fg.xml": xml + f'<article Title="Grande" Link="{url}/g/grande.xml"/></root>',
            "notas/grande.xml": fill(xml, "<article/>", "</root>"),
            "g/grande.xml": fill(xml, "<article/>", "</root>"),
            "mobile/estados.xml": xml + '<article Title="t"'
                                  + "".join(f' a{i}=""' for i in range(100000)) + "/></root>",
        }
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(edition, path)), exist_ok=True)
            with open(os.path.join(edition, path), "w") as out:
                out.write(text)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            open_section = "wait 60\noption\nchoose Deportes\nwait 60\nselect 0\n"
            cases = {
                "front page only": "wait 60\nquit\n",
                "section, 8 MiB of articles": "wait 60\noption\nmark go\nchoose Mexico\n"
                                              "wait 60\nmark shown idle\nquit\n",
                "article feed, 8 MiB of elements": open_section.replace("select 0", "mark go\nselect 0")
                                                   + "wait 60\nmark shown idle\nsoftkey 1\nwait 60\nquit\n",
                "gallery, 8 MiB of elements": "wait 60\noption\nchoose Mas...\nchoose Fotogaleria\n"
                                              "wait 60\nmark go\nselect 0\nwait 60\nmark shown idle\n"
                                              "softkey 1\nwait 60\nquit\n",
                "section, 100,000 attributes": "wait 60\noption\nmark go\nchoose Estados\n"
                                               "wait 60\nmark shown idle\nquit\n",
            }
            results = {}
            for name, script in cases.items():
                times, peaks = [], []
                for i in range(runs):
                    home = os.path.join(work, f"home-{len(results)}-{i}")
                    os.makedirs(home)
                    marks, peak = run(program, home, url, script)
                    if "go" in marks:
                        times.append(marks["shown"] - marks["go"])
                    peaks.append(peak)
                results[name] = (statistics.median(times) if times else None,
                                 statistics.median(peaks))
        finally:
            server.shutdown()
    base = results["front page only"][1]
    print("| feed | to shown or refused | peak memory above the front page alone | met |")
    print("| --- | --- | --- | --- |")
    for name, (ms, peak) in results.items():
        if ms is None:
            continue
        above = (peak - base) / 1024
        met = "yes" if ms < 2000 and above < 250 else "no"
        print(f"| {name} | {ms / 1000:.2f} s | {above:.0f} MB | {met} |")


if __name__ == "__main__":
    main()
