#!/usr/bin/env python3
"""Runs every benchmark of bench/run.sh and prints one line per figure:
ours, the anchor, the ratio, the goal and whether it is met.
Usage: figures.py BUILD_DIR FIXTURES NGINX_BASE FEEDS_BASE KEPT_BASE
KEPT_BASE is our feed server serving FIXTURES/kept, the sample edition as it
is kept in a folder, which nginx serves at NGINX_BASE/kept."""
import glob
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BUILD, FIX, NGINX, FEEDS, KEPT = sys.argv[1:6]
BENCH = os.path.join(BUILD, "bench")
PROGRAM = os.path.join(BUILD, "app", "pregonero")
EDITION = os.path.join(FIX, "edition")
RUNS = int(os.environ.get("PREGONERO_BENCH_RUNS", "7"))
rows = []


def row(figure, ours, anchor, ratio, goal, met, command):
    rows.append((figure, ours, anchor, ratio, goal, met, command))
    print("%-40s ours %-14s anchor %-14s ratio %-7s goal %-22s %s" %
          (figure, ours, anchor, ratio, goal, "met" if met else "NOT MET"), flush=True)


def gbench(binary, flt, extra=(), base=None):
    out = os.path.join(FIX, binary + ".json")
    cmd = [os.path.join(BENCH, binary), "--benchmark_filter=" + flt,
           "--benchmark_out=" + out, "--benchmark_out_format=json"] + list(extra)
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=dict(os.environ, PREGONERO_BENCH_BASE=base or NGINX))
    return json.load(open(out))["benchmarks"]


def ms(entry):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry["time_unit"]]
    return entry["real_time"] * scale


def runs(benchmarks, prefix):
    return [b for b in benchmarks if b["name"].startswith(prefix) and b.get("run_type") == "iteration"]


def median_of(benchmarks, prefix, key=None):
    for b in benchmarks:
        if b["name"].startswith(prefix) and b.get("aggregate_name") == "median":
            return b[key] if key else ms(b)
    values = [b[key] if key else ms(b) for b in runs(benchmarks, prefix)]
    return statistics.median(values)


def net():
    cmd = "PREGONERO_BENCH_BASE=%s/files %s/NetBench" % (NGINX, BENCH)
    b = gbench("NetBench", ".", base=NGINX + "/files")
    cold = median_of(b, "BM_FetchCold")
    warm = median_of(b, "BM_FetchWarm")
    curl = median_of(b, "BM_CurlParallel")
    cpu = median_of(b, "BM_FetchCold", "cpu_us_per_transfer")
    slowest = max(ms(r) for r in runs(b, "BM_FetchCold")) / cold
    row("HTTP 100x8KB cold (ms)", "%.2f" % cold, "%.2f" % curl, "%.2f" % (cold / curl), "<= 0.5 x curl", cold <= 0.5 * curl, cmd)
    row("HTTP 100x8KB warm (ms)", "%.2f" % warm, "%.2f" % curl, "%.2f" % (warm / curl), "(report)", True, cmd)
    row("HTTP client CPU per transfer (us)", "%.1f" % cpu, "-", "-", "<= 40 us", cpu <= 40, cmd)
    row("HTTP slowest cold run / median", "%.2f" % slowest, "-", "-", "<= 2", slowest <= 2, cmd)


def decode():
    cmd = "%s/DecodeBench" % BENCH
    b = gbench("DecodeBench", ".")
    ours = {b2["label"]: ms(b2) for b2 in b if b2["name"].startswith("BM_DecodeOurs") and b2.get("aggregate_name") == "median"}
    vips = {b2["label"]: ms(b2) for b2 in b if b2["name"].startswith("BM_DecodeVips") and b2.get("aggregate_name") == "median"}
    for label in ours:
        o, v = ours[label], vips.get(label, float("nan"))
        jpeg = "png" not in label
        row("decode %s (pictures/s)" % label, "%.0f" % (1000 / o), "%.0f" % (1000 / v), "%.2f" % (o / v),
            "<= 0.5 x libvips time" if jpeg else "(report)", o <= 0.5 * v if jpeg else True, cmd)
    per_second = median_of(b, "BM_ThumbnailsTwoThreads", "items_per_second")
    row("thumbnails/s, 64 photos, 2 threads", "%.0f" % per_second, "-", "-", ">= 700/s", per_second >= 700, cmd)


def section():
    cmd = "%s/SectionFeedBench" % BENCH
    b = gbench("SectionFeedBench", ".")
    ours, lint = median_of(b, "BM_LoadSeccion"), median_of(b, "BM_XmllintNoout")
    row("10,000-article section loadSeccion (ms)", "%.1f" % ours, "%.1f" % lint, "%.2f" % (ours / lint), "<= 1.5 x xmllint", ours <= 1.5 * lint, cmd)


FEEDPARSER = """
import feedparser, statistics, sys, time
files = sys.argv[2:]
times = []
for _ in range(int(sys.argv[1])):
    start = time.perf_counter()
    for name in files:
        with open(name, "rb") as f:
            feedparser.parse(f.read())
    times.append((time.perf_counter() - start) * 1000)
print(statistics.median(times))
"""


def sources():
    folder = os.path.join(FIX, "sources")
    files = sorted(glob.glob(os.path.join(folder, "*.xml")))
    os.environ["PREGONERO_BENCH_SOURCES"] = folder
    cmd = "PREGONERO_BENCH_SOURCES=%s %s/SourceFeedBench" % (folder, BENCH)
    ours = median_of(gbench("SourceFeedBench", "."), "BM_ReadSources")
    lint = timed(lambda: subprocess.run(["xmllint", "--noout"] + files, check=True))
    # Python's own start and import are left out: only the parsing is timed.
    out = subprocess.run(["/usr/bin/python3", "-c", FEEDPARSER, str(max(3, RUNS // 2))] + files,
                         check=True, capture_output=True, text=True)
    python = float(out.stdout.strip())
    row("20 feeds x 50 items into the edition (ms)", "%.1f" % ours, "%.1f" % lint, "%.2f" % (ours / lint),
        "<= 2 x xmllint", ours <= 2 * lint, cmd)
    row("same, against feedparser (ms)", "%.1f" % ours, "%.1f" % python, "%.1f x" % (python / ours),
        ">= 20 x faster", python >= 20 * ours, cmd)


def bridge():
    cmd = "%s/BridgeBench" % BENCH
    b = gbench("BridgeBench", ".")
    cpu = median_of(b, "BM_RefreshAllNotModified", "cpu_ms")
    parses = median_of(b, "BM_RefreshAllNotModified", "parses_after_first")
    row("feed refresh, 20 sources all 304 (CPU ms)", "%.2f" % cpu, "-", "-", "< 5 ms, no parse",
        cpu < 5 and parses == 0, cmd)


def lists():
    cmd = "%s/ListBench --benchmark_filter='Scroll|Screenshot'" % BENCH
    b = gbench("ListBench", "Scroll|Screenshot", ["--benchmark_repetitions=3"])
    large = median_of(b, "BM_ScrollFrames/10000/")
    small = median_of(b, "BM_ScrollFrames/10/")
    row("scroll frame, 10,000 rows (ms)", "%.3f" % large, "%.3f" % small, "%.2f" % (large / small),
        "<= 0.5 ms, within 10 % of 10 rows", large <= 0.5 and abs(large / small - 1) <= 0.10, cmd)
    shot = median_of(b, "BM_WriteScreenshot/0/")
    cairo = median_of(b, "BM_WriteScreenshot/1/")
    row("screenshot PNG write (ms)", "%.2f" % shot, "%.2f" % cairo, "%.2f" % (shot / cairo),
        "<= 0.6 x cairo_surface_write_to_png", shot <= 0.6 * cairo, cmd)
    # A fresh process per sample: fonts load once per process.
    first = statistics.median(median_of(gbench("ListBench", "BM_FirstFrame"), "BM_FirstFrame") for _ in range(RUNS))
    row("first frame, fonts included (ms)", "%.1f" % first, "-", "-", "<= 40 ms", first <= 40,
        "%s/ListBench --benchmark_filter=BM_FirstFrame (fresh process, median of %d)" % (BENCH, RUNS))


def program(script, extra=(), timed=False):
    home = tempfile.mkdtemp(prefix="pregonero-bench-home-")
    path = os.path.join(home, "script")
    open(path, "w").write(script)
    cmd = [PROGRAM, "--headless", "--home", home, "--script", path] + list(extra)
    if timed:
        cmd = ["/usr/bin/time", "-f", "peakkb %M"] + cmd
    done = subprocess.run(cmd, capture_output=True, text=True, timeout=120)
    shutil.rmtree(home, ignore_errors=True)
    if done.returncode != 0:
        raise RuntimeError("program failed: " + done.stderr[-500:])
    marks = {m.group(1): float(m.group(2)) for m in re.finditer(r"^mark (\S+) ([\d.]+)$", done.stdout, re.M)}
    dumps = [json.loads(l) for l in done.stdout.splitlines() if l.startswith("{")]
    peak = re.search(r"peakkb (\d+)", done.stderr)
    return marks, dumps, int(peak.group(1)) if peak else None


def timed(fn):
    values = []
    for _ in range(RUNS):
        start = time.perf_counter()
        fn()
        values.append((time.perf_counter() - start) * 1000)
    return statistics.median(values)


def curl(urls):
    config = os.path.join(FIX, "parts.curl")
    with open(config, "w") as f:
        for url in urls:
            f.write('url = "%s"\noutput = "/dev/null"\n' % url)
    return timed(lambda: subprocess.run(["curl", "-sf", "--no-progress-meter", "--parallel", "--parallel-max", "6", "-K", config], check=True))


def xmllint(path):
    return timed(lambda: subprocess.run(["xmllint", "--noout", path], check=True))


def decode_files(side, files):
    out = subprocess.run([os.path.join(BENCH, "DecodeBench"), "--decode-files", str(side)] + files,
                         check=True, capture_output=True, text=True)
    return float(out.stdout.strip())


def local(url):
    return os.path.join(EDITION, url.replace("{{FEED_SERVER}}/", ""))


def end_to_end():
    feed = ["--feed-server", FEEDS]
    home_xml = os.path.join(EDITION, "mobile", "2notashome.xml")
    text = open(home_xml, encoding="utf-8").read()
    pictures = re.findall(r'ImgUrl="([^"]+)"', text)
    links = re.findall(r'Link="([^"]+)"', text)
    script = "wait 30\nmark front idle\ndump\nmark select\nselect 1\nwait 30\nmark article idle\nquit\n"
    fronts, articles = [], []
    for _ in range(RUNS):
        marks, dumps, _ = program(script, feed)
        thumbs = json.dumps(dumps[0]).count('"width": 176')
        if thumbs != 20:
            raise RuntimeError("front page shows %d thumbnails, not 20" % thumbs)
        fronts.append(marks["front"])
        articles.append(marks["article"] - marks["select"])
    # The parts alone: fetches with curl from the same server, the parse, the decodes.
    fetch = curl([FEEDS + "/mobile/2notashome.xml"] + [p.replace("{{FEED_SERVER}}", FEEDS) for p in pictures])
    parse = xmllint(home_xml)
    dec = decode_files(176, [local(p) for p in pictures])
    front = statistics.median(fronts)
    cmd = "bench/run.sh (script: wait; mark front idle)"
    row("start to front page, 20 thumbnails (ms)", "%.1f" % front, "%.1f" % (fetch + parse + dec), "%.2f" % (front / (fetch + parse + dec)),
        "<= 150 ms", front <= 150, cmd)
    print("    parts: fetch feed + 20 pictures (curl) %.1f ms, parse (xmllint) %.1f ms, 20 decodes to 176 %.1f ms" % (fetch, parse, dec))
    note = local(links[1])
    picture = re.search(r'ImgLink="([^"]*)"', open(note, encoding="utf-8").read()).group(1)
    fetch = curl([links[1].replace("{{FEED_SERVER}}", FEEDS), picture.replace("{{FEED_SERVER}}", FEEDS)])
    parse = xmllint(note)
    dec = decode_files(440, [local(picture)])
    article = statistics.median(articles)
    row("headline selected to article shown (ms)", "%.1f" % article, "%.1f" % (fetch + parse + dec), "%.2f" % (article / (fetch + parse + dec)),
        "<= 50 ms", article <= 50, "bench/run.sh (select 1; wait; mark article idle)")
    print("    parts: fetch article + picture (curl) %.1f ms, parse %.1f ms, decode to 440 %.1f ms" % (fetch, parse, dec))
    script = "event 119\nwait 30\nselect 0\nwait 30\noption\nmark select\nchoose Siguiente\nwait 30\nmark next idle\nquit\n"
    nexts = []
    for _ in range(RUNS):
        marks, _, _ = program(script, feed)
        nexts.append(marks["next"] - marks["select"])
    gallery = open(os.path.join(EDITION, "galerias", "1.xml"), encoding="utf-8").read()
    second = re.findall(r'ImgUrl="([^"]+)"', gallery)[1]
    fetch = curl([second.replace("{{FEED_SERVER}}", FEEDS)])
    dec = decode_files(440, [local(second)])
    nxt = statistics.median(nexts)
    row("Siguiente to next photo shown (ms)", "%.1f" % nxt, "%.1f" % (fetch + dec), "%.2f" % (nxt / (fetch + dec)),
        "<= 30 ms", nxt <= 30, "bench/run.sh (choose Siguiente; wait; mark next idle)")
    print("    parts: fetch photo (curl) %.1f ms, decode to 440 %.1f ms" % (fetch, dec))


def memory():
    feed = ["--feed-server", FEEDS]
    empty = statistics.median(program("quit\n", feed, timed=True)[2] for _ in range(3))
    shown = os.path.join(FIX, "section.json")
    program("wait 30\nevent 101\nwait 30\ndump %s\nquit\n" % shown, feed)
    rows = open(shown, encoding="utf-8").read().count('"itemId"')
    if rows < 10000:
        raise RuntimeError("the section shows %d rows, not 10,000" % rows)
    section = statistics.median(program("wait 30\nevent 101\nwait 30\nquit\n", feed, timed=True)[2] for _ in range(3))
    above = (section - empty) / 1024
    row("peak RSS, 10,000-headline section (MB)", "%.1f" % (section / 1024), "%.1f" % (empty / 1024), "+%.1f MB" % above,
        "< 60 MB above empty", above < 60, "bench/run.sh (wait; event 101; wait vs quit at once)")
    script = "event 119\nwait 30\nselect 0\nwait 30\ndump\n" + "option\nchoose Siguiente\nwait 30\ndump\n" * 19 + "quit\n"
    _, dumps, peak = program(script, feed, timed=True)
    rss = [d["rssKb"] for d in dumps]
    pages = [d for d in dumps if "Foto: 20 de 20" in json.dumps(d, ensure_ascii=False)]
    growth = (rss[-1] - rss[2]) / 1024
    row("gallery RSS growth, photo 3 to 20 (MB)", "%.1f" % growth, "%.1f" % (rss[2] / 1024), "-",
        "flat (<= 2 MB)", growth <= 2 and len(pages) == 1, "bench/run.sh (19 x choose Siguiente; dump rssKb)")
    print("    gallery rssKb per photo: %s; peak %d KB" % (" ".join(str(r) for r in rss), peak))


def quit_ms(extra, how):
    """Milliseconds from the way out (a script line or SIGTERM) to the end of
    the process, after the front page, an article and back were shown."""
    home = tempfile.mkdtemp(prefix="pregonero-bench-home-")
    reader = subprocess.Popen([PROGRAM, "--headless", "--home", home, "--script", "-"] + list(extra),
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        reader.stdin.write("wait 30\nselect 0\nwait 30\nsoftkey 1\nwait 30\nmark up\n")
        reader.stdin.flush()
        for line in reader.stdout:
            if line.startswith("mark up"):
                break
        start = time.perf_counter()
        if how == "SIGTERM":
            reader.terminate()
        else:
            reader.stdin.write(how)
            reader.stdin.flush()
        if reader.wait(timeout=30) != 0:
            raise RuntimeError("the reader ended with %d" % reader.returncode)
        return (time.perf_counter() - start) * 1000
    finally:
        if reader.poll() is None:
            reader.kill()
        shutil.rmtree(home, ignore_errors=True)


def quitting():
    for served, extra in (("bundled sample", []), ("outside server", ["--feed-server", FEEDS])):
        for name, how in (("quit", "quit\n"), ("Salir", "option\nchoose Salir\n"), ("SIGTERM", "SIGTERM")):
            took = statistics.median(quit_ms(extra, how) for _ in range(RUNS))
            row("%s to exit, %s (ms)" % (name, served), "%.1f" % took, "-", "-", "<= 200 ms", took <= 200,
                "bench/run.sh (front, article, back; then %s)" % name)


def window_memory():
    # The window on a virtual display, which has no GPU: SDL's software
    # renderer as the reader picks it, against the GL renderer (Mesa's llvmpipe).
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1100x1800x24", "-nolisten", "tcp"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        display = ":" + xvfb.stdout.readline().strip()

        def rss(driver):
            home = tempfile.mkdtemp(prefix="pregonero-bench-home-")
            env = dict(os.environ, DISPLAY=display, SDL_RENDER_DRIVER=driver)
            done = subprocess.run([PROGRAM, "--home", home, "--feed-server", FEEDS, "--script", "-"],
                                  input="wait 30\ndump\nquit\n", env=env, capture_output=True, text=True,
                                  timeout=120)
            shutil.rmtree(home, ignore_errors=True)
            dumps = [json.loads(l) for l in done.stdout.splitlines() if l.startswith("{")]
            if done.returncode != 0 or not dumps:
                raise RuntimeError("window run failed: " + done.stderr[-500:])
            return dumps[-1]["rssKb"] / 1024

        ours = statistics.median(rss("") for _ in range(3))
        gl = statistics.median(rss("opengl") for _ in range(3))
        row("window RSS after the front page (MB)", "%.1f" % ours, "%.1f" % gl, "%.2f" % (ours / gl), "< 60 MB",
            ours < 60, "bench/run.sh (Xvfb; wait; dump rssKb; anchor SDL_RENDER_DRIVER=opengl)")
    finally:
        xvfb.terminate()
        xvfb.wait()


EXPORT_SECTIONS = ("Portada", "Mexico", "Mundo", "Estados", "DF", "EdoMex", "Vialidad", "Cartera",
                   "Deportes", "Showbis", "Estilos", "Tecno", "Destinos", "Letras + Artes",
                   "Autopistas", "Ciencia", "Sociedad", "Opinion", "MxM", "Fotogaleria")


def export_fixtures():
    """20 feeds of 50 items, each item with a picture of its own (hard links to
    the sample edition's photos), spread over three loopback addresses of the
    same nginx, as real sources sit on several hosts; and the list naming them.
    Returns the list's path and every URL the export fetches."""
    port = NGINX.rsplit(":", 1)[1]
    root = os.path.join(FIX, "export")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "fotos"))
    photos = sorted(glob.glob(os.path.join(EDITION, "img", "*.jpg")))
    outlines, urls = [], []
    for s in range(20):
        base = "http://127.0.0.%d:%s/export" % (1 + s % 3, port)
        items = []
        for n in range(50):
            name = "%02d-%02d.jpg" % (s, n)
            os.link(photos[(s * 50 + n) % len(photos)], os.path.join(root, "fotos", name))
            urls.append("%s/fotos/%s" % (base, name))
            items.append("<item><title>Nota %d de la fuente %d</title><link>https://diario%d.example.com/%d</link>"
                         "<guid>%d-%d</guid><pubDate>Tue, 03 Mar 2026 %02d:%02d:00 +0100</pubDate>"
                         "<description>El ayuntamiento aprobó ayer la reforma de la plaza mayor.</description>"
                         "<content:encoded><![CDATA[<p>Los vecinos del barrio piden más autobuses.</p>"
                         "<p>La consejería anuncia obras en la carretera de la sierra.</p>]]></content:encoded>"
                         "<media:content url=\"fotos/%s\" medium=\"image\"/></item>"
                         % (n, s, s, n, s, n, n % 24, n % 60, name))
        with open(os.path.join(root, "fuente-%02d.xml" % s), "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?><rss version="2.0" '
                    'xmlns:content="http://purl.org/rss/1.0/modules/content/" '
                    'xmlns:media="http://search.yahoo.com/mrss/"><channel><title>Diario %d</title>%s'
                    '</channel></rss>' % (s, "".join(items)))
        urls.append("%s/fuente-%02d.xml" % (base, s))
        outlines.append('<outline text="%s" xmlUrl="%s/fuente-%02d.xml"/>' % (EXPORT_SECTIONS[s], base, s))
    opml = os.path.join(root, "diarios.opml")
    with open(opml, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?><opml version="2.0"><body>%s</body></opml>'
                % "".join(outlines))
    return opml, urls


def export_edition():
    opml, urls = export_fixtures()
    tool = os.path.join(BUILD, "feedserver", "pregonero-feeds")
    out, state = os.path.join(FIX, "export-out"), os.path.join(FIX, "export-state")

    def ours(first):
        # A fresh state each time: every feed and picture is fetched, as curl does.
        # The first export has no edition in place; an hourly one has the last.
        shutil.rmtree(state, ignore_errors=True)
        if first:
            shutil.rmtree(out, ignore_errors=True)
        done = subprocess.run([tool, "--sources", opml, "--export", out, "--state", state, "--pictures"],
                              capture_output=True, text=True)
        if done.returncode != 0 or " 1000 pictures (0 left out)" not in done.stdout:
            raise RuntimeError("export failed: " + (done.stderr or done.stdout)[-300:])

    files = os.path.join(FIX, "export-curl")
    config = os.path.join(FIX, "export.curl")
    with open(config, "w") as f:
        for i, url in enumerate(urls):
            f.write('url = "%s"\noutput = "%s/%d"\n' % (url, files, i))

    def anchor():
        shutil.rmtree(files, ignore_errors=True)
        os.makedirs(files)
        subprocess.run(["curl", "-sf", "--no-progress-meter", "--parallel", "--parallel-max", "6", "-K", config],
                       check=True)

    first, fetch, hourly = timed(lambda: ours(True)), timed(anchor), timed(lambda: ours(False))
    row("export 20 sources x 50 items + pictures, hourly (ms)", "%.0f" % hourly, "%.0f" % fetch,
        "%.2f" % (hourly / fetch), "<= 1.2 x curl --parallel", hourly <= 1.2 * fetch,
        "pregonero-feeds --sources export/diarios.opml --export DIR --pictures (fresh state, last edition in DIR)")
    row("export 20 sources x 50 items + pictures, first (ms)", "%.0f" % first, "%.0f" % fetch,
        "%.2f" % (first / fetch), "<= 1.2 x curl --parallel", first <= 1.2 * fetch,
        "the same with no edition in DIR: every file created")


def requests_per_second(base, prefix, paths, accept):
    """wrk, one thread and 8 connections, every path of the edition in turn."""
    out = subprocess.run(["wrk", "-t1", "-c8", "-d3s", "-H", "Accept-Encoding: " + accept,
                          "-s", os.path.join(os.path.dirname(__file__), "paths.lua"), base, "--",
                          prefix, paths], check=True, capture_output=True, text=True).stdout
    if "Non-2xx" in out:
        raise RuntimeError("wrk saw failures: " + out)
    return float(re.search(r"Requests/sec:\s+([\d.]+)", out).group(1))


def serving():
    """The kept edition served by nginx and by pregonero-feeds DIR, the same load on each,
    taking turns so that both meet the same background load."""
    folder = os.path.join(FIX, "kept")
    paths = os.path.join(FIX, "kept-paths.txt")
    with open(paths, "w") as f:
        for top, _, names in os.walk(folder):
            for name in sorted(names):
                f.write("/" + os.path.relpath(os.path.join(top, name), folder) + "\n")
    cmd = "wrk -t1 -c8 -d3s -H 'Accept-Encoding: ...' -s bench/paths.lua URL -- PREFIX PATHS"
    # As the reader asks (it takes every encoding), and as a client that takes none.
    for accept, label in (("deflate, gzip, br, zstd", "reader's encodings"), ("identity", "no compression")):
        nginx, ours = [], []
        for _ in range(3):
            nginx.append(requests_per_second(NGINX, "/kept", paths, accept))
            ours.append(requests_per_second(KEPT, "", paths, accept))
        o, n = statistics.median(ours), statistics.median(nginx)
        row("kept edition served, %s (req/s)" % label, "%.0f" % o, "%.0f" % n, "%.2f" % (o / n),
            ">= 0.5 x nginx", o >= 0.5 * n, cmd)


def main():
    for part in (serving, net, decode, section, sources, bridge, export_edition, lists, end_to_end, memory, quitting, window_memory):
        try:
            part()
        except Exception as error:  # one broken figure must not hide the others
            print("%s: FAILED: %s" % (part.__name__, error), flush=True)
    print("\n| figure | ours | anchor | ratio | goal | met | command |\n| --- | --- | --- | --- | --- | --- | --- |")
    for r in rows:
        print("| %s | %s | %s | %s | %s | %s | `%s` |" % (r[0], r[1], r[2], r[3], r[4], "yes" if r[5] else "no", r[6]))


if __name__ == "__main__":
    main()
