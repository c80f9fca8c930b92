#!/usr/bin/env bash
# Soak test, not part of scripts/test: builds the reader under AddressSanitizer
# and UndefinedBehaviorSanitizer, then runs random navigations against the
# sample edition with random fault rules and prints the figures.
#   tests/soak/run.sh [NAVIGATIONS=5000] [SEED=1]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${SOAK_BUILD_DIR:-build-asan}
cmake -S . -B "$build" -DPREGONERO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug -DPREGONERO_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target pregonero pregonero-feeds
exec python3 tests/soak/soak.py "$build" "${1:-5000}" "${2:-1}"
