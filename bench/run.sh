#!/usr/bin/env bash
# One command for every performance figure: installs the bench packages,
# builds in release mode, writes the fixtures, starts our feed server and an
# nginx serving the same files on 127.0.0.1 (the kept edition among them, for
# the serving figure), runs the benchmarks side by side
# and prints one line per figure (ours, anchor, ratio, goal met or not) and a
# Markdown table at the end. Medians over repeated runs; PREGONERO_BENCH_RUNS
# sets how many runs the end-to-end figures take (default 7).
# Usage: bench/run.sh [--no-setup] [BUILD_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
setup=1
if [[ ${1:-} == --no-setup ]]; then
    setup=0
    shift
fi
build=${1:-$root/build-bench}

echo "bench: $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
if ((setup)); then
    "$root/bench/setup"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPREGONERO_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target pregonero pregonero-feeds NetBench DecodeBench \
    ListBench SectionFeedBench SourceFeedBench BridgeBench >/dev/null

work=$(mktemp -d /tmp/pregonero-bench.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/bench/make_fixtures.py" "$build/feedserver/pregonero-feeds" "$work"
python3 "$root/bench/make_sources.py" "$work/sources"
"$build/feedserver/pregonero-feeds" --sample "$work/kept" >/dev/null

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
wait_port() {
    for _ in $(seq 100); do
        if curl -s -o /dev/null "http://127.0.0.1:$1/"; then
            return 0
        fi
        sleep 0.05
    done
    echo "bench: nothing answers on port $1" >&2
    return 1
}

# nginx as our child, with its own configuration, logs and temp files in $work.
nginx_port=$(free_port)
mkdir -p "$work/nginx"
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log warn;
events { worker_connections 256; }
http {
    access_log off;
    sendfile on;
    keepalive_requests 10000;
    client_body_temp_path $work/nginx/body;
    proxy_temp_path $work/nginx/proxy;
    fastcgi_temp_path $work/nginx/fastcgi;
    uwsgi_temp_path $work/nginx/uwsgi;
    scgi_temp_path $work/nginx/scgi;
    server {
        listen 127.0.0.1:$nginx_port;
        # Further loopback addresses: the export's sources sit on three hosts.
        listen 127.0.0.2:$nginx_port;
        listen 127.0.0.3:$nginx_port;
        root $work;
        autoindex off;
    }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" 2>"$work/nginx/stderr" &
pids+=($!)
wait_port "$nginx_port"

feeds_port=$(free_port)
"$build/feedserver/pregonero-feeds" "$work/edition" --port "$feeds_port" >"$work/feeds.log" 2>&1 &
pids+=($!)
wait_port "$feeds_port"

# The kept edition as a folder: nginx serves it at /kept, a second feed server as its root.
kept_port=$(free_port)
"$build/feedserver/pregonero-feeds" "$work/kept" --port "$kept_port" >"$work/kept.log" 2>&1 &
pids+=($!)
wait_port "$kept_port"

python3 "$root/bench/figures.py" "$build" "$work" "http://127.0.0.1:$nginx_port" \
    "http://127.0.0.1:$feeds_port" "http://127.0.0.1:$kept_port"
python3 "$root/bench/capped_feeds.py" "$build"
echo "bench: done $(date -u '+%H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
