#!/usr/bin/env bash
# Builds the program folder build/dist/ and starts the program from it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tsumiki
exec build/dist/tsumiki "$@"
