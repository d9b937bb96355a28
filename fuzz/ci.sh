#!/usr/bin/env bash
# The fuzz step of a CI run: builds the fuzz targets and runs each for a
# short fixed time (default 30 s each) from the seeds; any finding fails it.
#   fuzz/ci.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup
exec bash fuzz/run.sh "${1:-30}" all
