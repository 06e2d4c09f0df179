#!/usr/bin/env bash
# Builds everything twice (normal and with AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# every test of both builds through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTSUMIKI_SANITIZE=address >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests, sanitizer build =="
ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "== tests, release build =="
ctest --test-dir build --output-on-failure -j "$jobs"
